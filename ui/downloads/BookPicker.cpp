#include "ui/downloads/BookPicker.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QVBoxLayout>

#include "ui/downloads/BookDownloads.h"
#include "ui/skin/ApplicationIcon.h"
#include "ui/skin/SkinColours.h"
#include "ui/skin/SkinFont.h"
#include "ui/skin/TsuiButton.h"
#include "ui/skin/TsuiForm.h"
#include "ui/window/ErrorReport.h"

namespace {

constexpr QSize PickerSize(380, 420);

TsuiButton* Button(const QString& caption, const char* name, QWidget* parent)
{
    auto* button = new TsuiButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setText(caption);
    button->setFont(SkinFont(QStringLiteral("Tahoma"), 12));
    button->setMinimumSize(64, 24);
    button->setAutoDefault(false);
    return button;
}

}  // namespace

BookPicker::BookPicker(std::vector<BookLink> books, QWidget& parent)
    : QDialog(&parent, Qt::Dialog | Qt::FramelessWindowHint), books_(std::move(books))
{
    setObjectName(QStringLiteral("BookPicker"));
    setWindowTitle(QStringLiteral(u"下载本页图书"));
    setWindowIcon(ApplicationIcon());
    setFixedSize(PickerSize);
    setFont(SkinFont(QStringLiteral("Tahoma"), 12));
    setStyleSheet(QStringLiteral("QListWidget { background: white; border: 1px solid %1; }")
                      .arg(SkinColours::ButtonEdge.name()));

    auto* frame = new TsuiForm(this);
    frame->setGeometry(rect());
    frame->setColor(QColor(0xE8, 0xE8, 0xE8));
    auto* layout = new QVBoxLayout(frame);
    layout->setContentsMargins(8, frame->TitleBarRect().bottom() + 9, 8, 8);
    layout->setSpacing(6);

    list_ = new QListWidget(frame);
    list_->setObjectName(QStringLiteral("BookList"));
    for (const BookLink& book : books_) {
        auto* item = new QListWidgetItem(QString::fromStdString(book.title), list_);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        item->setCheckState(Qt::Checked);
        item->setToolTip(QString::fromStdString(book.address));
    }
    layout->addWidget(list_);

    TsuiButton* all = Button(QStringLiteral(u"全选"), "TickAllButton", frame);
    TsuiButton* none = Button(QStringLiteral(u"全不选"), "TickNoneButton", frame);
    TsuiButton* ok = Button(QStringLiteral(u"确定"), "OkButton", frame);
    TsuiButton* cancel = Button(QStringLiteral(u"取消"), "CancelButton", frame);
    ok->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(all);
    buttons->addWidget(none);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);

    connect(all, &QPushButton::clicked, this, [this] { TickAll(true); });
    connect(none, &QPushButton::clicked, this, [this] { TickAll(false); });
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    list_->setFocus();
}

std::vector<BookLink> BookPicker::Ticked() const
{
    std::vector<BookLink> ticked;
    for (int row = 0; row < list_->count(); ++row) {
        if (list_->item(row)->checkState() == Qt::Checked)
            ticked.push_back(books_[static_cast<std::size_t>(row)]);
    }
    return ticked;
}

void BookPicker::TickAll(bool ticked)
{
    for (int row = 0; row < list_->count(); ++row)
        list_->item(row)->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
}

void PickBooksToDownload(QWidget& parent, std::vector<BookLink> books, BookDownloads& downloads)
{
    auto* picker = new BookPicker(std::move(books), parent);
    picker->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(picker, &QDialog::accepted, &downloads, [picker, &downloads] {
        ReportingFailures([&] { downloads.Add(picker->Ticked()); });
    });
    picker->open();
}

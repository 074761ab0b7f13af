#include "ui/downloads/DownloadsWindow.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QTableView>
#include <QUrl>

#include <algorithm>
#include <set>

#include "ui/downloads/BookDownloads.h"
#include "ui/downloads/DownloadText.h"
#include "ui/downloads/ProgressDelegate.h"
#include "ui/skin/ApplicationIcon.h"
#include "ui/skin/SkinColours.h"
#include "ui/skin/SkinFont.h"
#include "ui/skin/TsuiButton.h"
#include "ui/skin/TsuiForm.h"

namespace {

// Narrow enough to stand beside the main window on a screen 1920 pixels wide; low
// enough to leave its title bar and bottom row free where it must overlap it.
constexpr QSize WindowSize(500, 420);
constexpr int Gap = 8;

QString StyleSheet()
{
    const auto rgb = [](const QColor& colour) { return colour.name(); };
    return QStringLiteral(
               "QTableView { background: white; gridline-color: #d4dced; border: 1px solid %1;"
               "  selection-background-color: %2; selection-color: white; }"
               "QHeaderView::section { color: white; border: none; border-right: 1px solid %3; padding: 3px;"
               "  background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 %4, stop:1 %5); }"
               "QLineEdit, QComboBox { border: 1px solid %1; background: white; padding: 1px 3px; }")
        .arg(rgb(SkinColours::ButtonEdge), rgb(SkinColours::BarBottom), rgb(SkinColours::BarTop),
             rgb(SkinColours::TitleTop), rgb(SkinColours::TitleBottom));
}

TsuiButton* Button(const QString& caption, const char* name, QWidget* parent)
{
    auto* button = new TsuiButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setText(caption);
    button->setFont(SkinFont(QStringLiteral("Tahoma"), 12));
    // As wide as its caption: the style's wider buttons would not fit in a row.
    button->setFixedSize(button->fontMetrics().horizontalAdvance(caption) + 18, 24);
    button->setAutoDefault(false);
    return button;
}

}  // namespace

DownloadsWindow::DownloadsWindow(BookDownloads& downloads, QWidget& beside)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), downloads_(downloads), beside_(beside)
{
    setObjectName(QStringLiteral("DownloadsWindow"));
    setWindowTitle(QStringLiteral(u"下载任务"));
    setWindowIcon(ApplicationIcon());
    setFixedSize(WindowSize);
    setFont(SkinFont(QStringLiteral("Tahoma"), 12));
    setStyleSheet(StyleSheet());
    // Closing it hides it; the program ends with its main window alone.
    setAttribute(Qt::WA_QuitOnClose, false);

    auto* frame = new TsuiForm(this);
    frame->setGeometry(rect());
    frame->setColor(QColor(0xE8, 0xE8, 0xE8));
    auto* layout = new QGridLayout(frame);
    layout->setContentsMargins(8, frame->TitleBarRect().bottom() + 9, 8, 8);
    layout->setHorizontalSpacing(6);
    layout->setVerticalSpacing(6);

    folder_ = new QLineEdit(frame);
    folder_->setObjectName(QStringLiteral("FolderEdit"));
    folder_->setReadOnly(true);
    changeFolder_ = Button(QStringLiteral(u"更改…"), "ChangeFolderButton", frame);
    encoding_ = new QComboBox(frame);
    encoding_->setObjectName(QStringLiteral("EncodingBox"));
    for (const SavedEncoding encoding :
         {SavedEncoding::Utf8, SavedEncoding::Utf8Bom, SavedEncoding::Gb18030, SavedEncoding::Original})
        encoding_->addItem(EncodingText(encoding), static_cast<int>(encoding));
    encoding_->setCurrentIndex(encoding_->findData(static_cast<int>(downloads_.Encoding())));
    layout->addWidget(new QLabel(QStringLiteral(u"保存到："), frame), 0, 0);
    layout->addWidget(folder_, 0, 1);
    layout->addWidget(changeFolder_, 0, 2);
    layout->addWidget(new QLabel(QStringLiteral(u"编码："), frame), 1, 0);
    layout->addWidget(encoding_, 1, 1, Qt::AlignLeft);

    list_ = new QTableView(frame);
    list_->setObjectName(QStringLiteral("DownloadList"));
    list_->setModel(&downloads_.Table());
    list_->setItemDelegateForColumn(DownloadTable::Progress, new ProgressDelegate(list_));
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setShowGrid(false);
    list_->setWordWrap(false);
    list_->verticalHeader()->hide();
    list_->verticalHeader()->setDefaultSectionSize(24);
    QHeaderView& header = *list_->horizontalHeader();
    header.setHighlightSections(false);
    header.setSectionResizeMode(QHeaderView::Interactive);
    header.setSectionResizeMode(DownloadTable::Title, QHeaderView::Stretch);
    header.resizeSection(DownloadTable::Size, 66);
    header.resizeSection(DownloadTable::Progress, 86);
    header.resizeSection(DownloadTable::Speed, 76);
    header.resizeSection(DownloadTable::State, 96);
    layout->addWidget(list_, 2, 0, 1, 3);

    cancel_ = Button(QStringLiteral(u"取消"), "CancelButton", frame);
    retry_ = Button(QStringLiteral(u"重试"), "RetryButton", frame);
    openFile_ = Button(QStringLiteral(u"打开文件"), "OpenFileButton", frame);
    openFolder_ = Button(QStringLiteral(u"打开所在文件夹"), "OpenFolderButton", frame);
    openPage_ = Button(QStringLiteral(u"在浏览器中打开图书页面"), "OpenPageButton", frame);
    auto* actions = new QHBoxLayout;
    actions->setSpacing(6);
    for (TsuiButton* button : {cancel_, retry_, openFile_, openFolder_, openPage_})
        actions->addWidget(button);
    actions->addStretch();
    layout->addLayout(actions, 3, 0, 1, 3);

    setTabOrder(changeFolder_, encoding_);
    setTabOrder(encoding_, list_);

    ShowFolder();
    connect(changeFolder_, &QPushButton::clicked, this, &DownloadsWindow::ChangeFolder);
    connect(encoding_, &QComboBox::currentIndexChanged, this, [this] {
        downloads_.SetEncoding(static_cast<SavedEncoding>(encoding_->currentData().toInt()));
    });
    connect(cancel_, &QPushButton::clicked, this, &DownloadsWindow::CancelSelected);
    connect(retry_, &QPushButton::clicked, this, &DownloadsWindow::RetrySelected);
    connect(openFile_, &QPushButton::clicked, this, &DownloadsWindow::OpenSelectedFiles);
    connect(openFolder_, &QPushButton::clicked, this, &DownloadsWindow::OpenSelectedFolders);
    connect(openPage_, &QPushButton::clicked, this, &DownloadsWindow::OpenSelectedPages);

    connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this, &DownloadsWindow::UpdateButtons);
    connect(&downloads_.Table(), &QAbstractItemModel::dataChanged, this, &DownloadsWindow::UpdateButtons);
    connect(&downloads_, &BookDownloads::RowWanted, this, &DownloadsWindow::ShowRow);
    UpdateButtons();
}

void DownloadsWindow::Present()
{
    Appear();
    raise();
    activateWindow();
}

void DownloadsWindow::ShowRow(int row)
{
    // The reader goes on browsing in the main window.
    setAttribute(Qt::WA_ShowWithoutActivating, !isVisible());
    Appear();
    raise();
    setAttribute(Qt::WA_ShowWithoutActivating, false);
    const QModelIndex index = downloads_.Table().index(row, DownloadTable::Title);
    list_->selectionModel()->select(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    list_->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    list_->scrollTo(index);
}

void DownloadsWindow::Appear()
{
    if (!placed_) {
        PlaceBesideMainWindow();
        placed_ = true;
    }
    if (isMinimized())
        showNormal();
    else
        show();
}

// To the right of the main window, else to its left; where neither fits, over its
// right side, clear of its title bar and of the controls along its bottom.
void DownloadsWindow::PlaceBesideMainWindow()
{
    const QRect main = beside_.frameGeometry();
    const QScreen* screen = beside_.screen();
    const QRect area = screen ? screen->availableGeometry() : main;
    const int right = main.right() + 1 + Gap;
    const int left = main.left() - Gap - width();
    QPoint at(main.right() - Gap - width(), main.top() + (main.height() - height()) / 2);
    if (right + width() - 1 <= area.right())
        at = {right, main.top()};
    else if (left >= area.left())
        at = {left, main.top()};
    at.setX(std::clamp(at.x(), area.left(), std::max(area.left(), area.right() + 1 - width())));
    at.setY(std::clamp(at.y(), area.top(), std::max(area.top(), area.bottom() + 1 - height())));
    move(at);
}

void DownloadsWindow::ChangeFolder()
{
    const QString chosen = QFileDialog::getExistingDirectory(
        this, QStringLiteral(u"选择下载文件夹"), QString::fromStdString(downloads_.Folder().string()));
    if (chosen.isEmpty())
        return;
    downloads_.SetFolder(std::filesystem::path(chosen.toStdString()));
    ShowFolder();
}

void DownloadsWindow::ShowFolder()
{
    const QString folder = QString::fromStdString(downloads_.Folder().string());
    folder_->setText(folder);
    folder_->setToolTip(folder);
    folder_->setCursorPosition(0);
}

std::vector<int> DownloadsWindow::SelectedRows() const
{
    std::vector<int> rows;
    for (const QModelIndex& index : list_->selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void DownloadsWindow::UpdateButtons()
{
    bool cancellable = false;
    bool retriable = false;
    bool saved = false;
    const std::vector<int> rows = SelectedRows();
    for (const int row : rows) {
        const DownloadState state = downloads_.Table().At(row).status.state;
        cancellable = cancellable || CanBeCancelled(state);
        retriable = retriable || CanBeRetried(state);
        saved = saved || state == DownloadState::Saved;
    }
    cancel_->setEnabled(cancellable);
    retry_->setEnabled(retriable);
    openFile_->setEnabled(saved);
    openFolder_->setEnabled(!rows.empty());
    openPage_->setEnabled(!rows.empty());
}

void DownloadsWindow::CancelSelected()
{
    for (const int row : SelectedRows())
        downloads_.Cancel(row);
}

void DownloadsWindow::RetrySelected()
{
    for (const int row : SelectedRows())
        downloads_.Retry(row);
}

void DownloadsWindow::OpenSelectedFiles()
{
    for (const int row : SelectedRows()) {
        const DownloadStatus& status = downloads_.Table().At(row).status;
        if (status.state == DownloadState::Saved)
            QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(status.file.string())));
    }
}

void DownloadsWindow::OpenSelectedFolders()
{
    std::set<std::filesystem::path> folders;
    for (const int row : SelectedRows()) {
        const DownloadTable::Entry& entry = downloads_.Table().At(row);
        folders.insert(entry.status.file.empty() ? entry.request.folder : entry.status.file.parent_path());
    }
    for (const auto& folder : folders)
        QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(folder.string())));
}

void DownloadsWindow::OpenSelectedPages()
{
    for (const int row : SelectedRows())
        QDesktopServices::openUrl(QUrl(QString::fromStdString(downloads_.Table().At(row).request.address)));
}

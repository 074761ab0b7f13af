#include "ui/window/Unit1.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QScreen>

#include "navigation/CategoryTable.h"
#include "navigation/ListingNavigator.h"
#include "navigation/NavigationState.h"
#include "retrieval/StatusLine.h"
#include "ui/downloads/BookDownloads.h"
#include "ui/downloads/BookPicker.h"
#include "ui/downloads/DownloadsWindow.h"
#include "ui/downloads/QuitQuestion.h"
#include "ui/skin/ApplicationIcon.h"
#include "ui/window/ErrorReport.h"
#include "ui/GbkText.h"
#include "ui/pane/ListingPaneWriter.h"
#include "ui/window/RightClickFilter.h"
#include "ui/skin/SkinFont.h"

namespace {

const std::string WindowCaption = "Mireval TXT\xD0\xA1\xCB\xB5\xCF\xC2\xD4\xD8\xC6\xF7";  // Mireval TXT小说下载器
const std::string GroupCaption = "\xD1\xA1\xD4\xF1\xCD\xBC\xCA\xE9\xC0\xE0\xD0\xCD   ";     // 选择图书类型
const std::string NextCaption = "\xCF\xC2\xD2\xBB\xD2\xB3";                                  // 下一页
const std::string PreviousCaption = "\xC9\xCF\xD2\xBB\xD2\xB3";                              // 上一页
const std::string GoToCaption = "\xD7\xAA\xB5\xBD";                                          // 转到
const std::string DownloadCaption = "\xCF\xC2\xD4\xD8  ";                                    // 下载

}  // namespace

TForm1::TForm1(BookDownloads& downloads, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), downloads_(downloads)
{
    setupUi(this);
    setFont(SkinFont(QStringLiteral("MS Sans Serif"), 11));
    setWindowIcon(ApplicationIcon());
    setWindowTitle(GbkToQString(WindowCaption));

    GroupBox1->setTitle(GbkToQString(GroupCaption));
    TsuiButton* const categoryButtons[] = {suiButton1, suiButton2, suiButton3, suiButton4, suiButton5, suiButton6,
                                           suiButton7, suiButton8, suiButton9, suiButton10, suiButton11};
    for (std::size_t row = 0; row < CategoryTable.size(); ++row)
        categoryButtons[row]->setText(GbkToQString(CategoryTable[row].Caption));
    suiButton12->setText(GbkToQString(NextCaption));
    suiButton13->setText(GbkToQString(PreviousCaption));
    suiButton14->setText(GbkToQString(GoToCaption));
    suiButton15->setText(GbkToQString(DownloadCaption));

    StatusLineChanged = [this](const std::string& text) { Label1->setText(GbkToQString(text)); };
    downloadsWindow_ = std::make_unique<DownloadsWindow>(downloads_, *this);
    suiProgressBar1->setValue(downloads_.OverallPercent());
    connect(&downloads_, &BookDownloads::OverallPercentChanged, suiProgressBar1, &QProgressBar::setValue);

    // Centred on the whole desktop.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->virtualGeometry().center() - rect().center());

    FormCreate();
}

TForm1::~TForm1()
{
    StatusLineChanged = nullptr;
}

void TForm1::FormCreate()
{
    // One hook serves every window; without it the program runs on, unfiltered.
    if (!MouseHookHandle)
        MouseHookHandle = MouseHook::Install(RightClickFilter);
}

// The listing is kept before it is written: another click may show its own while
// this one waits for the pane.
void TForm1::ShowListingHtml(const std::string& fragment)
{
    shownListing_.Show(fragment, CurrentListingAddress);
    try {
        ::ShowListingHtml(*WebBrowser1, fragment);
    } catch (...) {
        shownListing_.Clear();
        throw;
    }
}

void TForm1::ShowConnectionNotice()
{
    shownListing_.Clear();
    ::ShowConnectionNotice(*WebBrowser1);
}

void TForm1::closeEvent(QCloseEvent* event)
{
    bool CanClose = true;
    FormCloseQuery(CanClose);
    if (!CanClose) {
        event->ignore();
        return;
    }
    downloadsWindow_->hide();
    event->accept();
}

// Books still waiting or running are cancelled only if the reader agrees; their
// .part files stay for a later run.
void TForm1::FormCloseQuery(bool& CanClose)
{
    const int unfinished = downloads_.UnfinishedCount();
    if (unfinished == 0)
        return;
    CanClose = QuitWhileDownloading(*this, unfinished);
    if (CanClose)
        downloads_.CancelUnfinished();
}

void TForm1::ChooseCategoryRow(int row)
{
    ReportingFailures([&] { ChooseCategory(*this, row); });
}

void TForm1::suiButton1Click() { ChooseCategoryRow(1); }
void TForm1::suiButton2Click() { ChooseCategoryRow(2); }
void TForm1::suiButton3Click() { ChooseCategoryRow(3); }
void TForm1::suiButton4Click() { ChooseCategoryRow(4); }
void TForm1::suiButton5Click() { ChooseCategoryRow(5); }
void TForm1::suiButton6Click() { ChooseCategoryRow(6); }
void TForm1::suiButton7Click() { ChooseCategoryRow(7); }
void TForm1::suiButton8Click() { ChooseCategoryRow(8); }
void TForm1::suiButton9Click() { ChooseCategoryRow(9); }
void TForm1::suiButton10Click() { ChooseCategoryRow(10); }
void TForm1::suiButton11Click() { ChooseCategoryRow(11); }

void TForm1::suiButton12Click()
{
    ReportingFailures([&] { NextPage(*this); });
}

void TForm1::suiButton13Click()
{
    ReportingFailures([&] { PreviousPage(*this); });
}

void TForm1::suiButton14Click()
{
    ReportingFailures([&] { GoToPage(*this, [&] { return QStringToGbk(Edit1->text()); }); });
}

// With a listing shown, the reader picks which of its books to download; without
// one, the downloads so far are shown.
void TForm1::suiButton15Click()
{
    ReportingFailures([&] {
        std::vector<BookLink> books = shownListing_.Books();
        if (books.empty())
            downloadsWindow_->Present();
        else
            PickBooksToDownload(*this, std::move(books), downloads_);
    });
}

// A book of the listing clicked in the pane is downloaded; any other link opens in
// the desktop's web browser. The pane never follows a link.
void TForm1::WebBrowser1LinkActivated(const QUrl& url)
{
    ReportingFailures([&] {
        if (auto book = shownListing_.BookAt(url))
            downloads_.Add({std::move(*book)});
        else
            QDesktopServices::openUrl(url);
    });
}

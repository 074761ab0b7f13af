// Books downloaded from the window: the sample catalogue behind the test proxy,
// whose text files a test may hold back to keep their downloads running.
#include <QAbstractButton>
#include <QListWidget>
#include <QTableView>
#include <QTest>

#include <condition_variable>
#include <fstream>
#include <mutex>
#include <set>
#include <sstream>

#include "catalogue/Gbk.h"
#include "catalogue/SampleCatalogue.h"
#include "navigation/ListingBaseAddress.h"
#include "navigation/NavigationState.h"
#include "tests/window/WindowTestSupport.h"
#include "ui/downloads/BookPicker.h"
#include "ui/downloads/DownloadText.h"
#include "ui/downloads/DownloadsWindow.h"
#include "ui/downloads/OverallProgress.h"

namespace {

using namespace std::chrono_literals;

constexpr int Row = 5;  // 武侠仙侠
constexpr int Deadline = 60000;

std::string TextAddress(int number)
{
    return ListingBaseAddress + "/down/Wuxia/010" + std::to_string(1000 + number) + ".txt";
}

QString Title(int number)
{
    return QString::fromStdString(SampleBookAt(Row, number).title);
}

std::string ReadFile(const QString& path)
{
    std::ifstream file(path.toStdString(), std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

// Text files held back: a request for one is answered only once it is released.
class TextGate {
public:
    void Hold(const std::string& address)
    {
        std::lock_guard lock(mutex_);
        held_.insert(address);
    }
    void Release(const std::string& address)
    {
        std::lock_guard lock(mutex_);
        held_.erase(address);
        released_.notify_all();
    }
    void ReleaseAll()
    {
        std::lock_guard lock(mutex_);
        held_.clear();
        released_.notify_all();
    }
    // On the server's thread; bounded, so that no test can hang the server.
    void PassWhenReleased(const std::string& address)
    {
        std::unique_lock lock(mutex_);
        released_.wait_for(lock, 60s, [&] { return !held_.contains(address); });
    }

private:
    std::mutex mutex_;
    std::condition_variable released_;
    std::set<std::string> held_;
};

class DownloadsTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        server.SetFallback([gate = gate](const std::string& address) {
            if (address.ends_with(".txt"))
                gate->PassWhenReleased(address);
            return SampleCataloguePage(address);
        });
    }

    void TearDown() override
    {
        gate->ReleaseAll();
        WindowTest::TearDown();
    }

    void ShowCategory()
    {
        QTest::mouseClick(form->suiButton5, Qt::LeftButton);
        ASSERT_TRUE(PaneShows(*form->WebBrowser1, Title(0)));
    }

    const DownloadTable& Table() const { return downloads->Table(); }

    // Clicks the book at link of the pane and waits for its row, as a reader looks
    // before the next click: the pane may drop a second click that follows the
    // first within moments.
    void ClickBook(int link)
    {
        const int rows = Table().rowCount();
        ClickLink(*form->WebBrowser1, link);
        ASSERT_TRUE(QTest::qWaitFor([&] { return Table().rowCount() > rows; }, Deadline)) << "link " << link;
    }

    // Waits until the table has row and it is in state.
    bool Reaches(int row, DownloadState state)
    {
        const bool reached = QTest::qWaitFor(
            [&] { return Table().rowCount() > row && Table().At(row).status.state == state; }, Deadline);
        if (!reached && Table().rowCount() > row)
            ADD_FAILURE() << "row " << row << ": " << StateText(Table().At(row).status).toStdString();
        return reached;
    }

    bool Requested(const std::string& address)
    {
        return QTest::qWaitFor(
            [&] {
                const auto requests = server.Requests();
                return std::find(requests.begin(), requests.end(), address) != requests.end();
            },
            Deadline);
    }

    int RequestsFor(const std::string& address) const
    {
        const auto requests = server.Requests();
        return static_cast<int>(std::count(requests.begin(), requests.end(), address));
    }

    // Saved where the reader finds it, as the site's text converted to UTF-8.
    void ExpectSaved(int number)
    {
        const QString path = DownloadFolder() + QStringLiteral("/") + Title(number) + QStringLiteral(".txt");
        ASSERT_TRUE(QFile::exists(path)) << path.toStdString();
        EXPECT_TRUE(ToGbk(ReadFile(path)) == SampleBookText(Row, number)) << path.toStdString();
    }

    QAbstractButton& DownloadsButton(const char* name) const
    {
        auto* button = form->Downloads().findChild<QAbstractButton*>(QLatin1String(name));
        if (!button)
            throw std::runtime_error(std::string("no button ") + name);
        return *button;
    }

    std::vector<int> SelectedRows() const
    {
        std::vector<int> rows;
        for (const QModelIndex& index : form->Downloads().List().selectionModel()->selectedRows())
            rows.push_back(index.row());
        return rows;
    }

    std::shared_ptr<TextGate> gate = std::make_shared<TextGate>();
};

TEST_F(DownloadsTest, AClickOnABookSavesItConvertedIntoTheDownloadFolderAndOpensNoBrowser)
{
    UrlRecorder browser;
    ShowCategory();
    const QString status = form->Label1->text();
    ClickLink(*form->WebBrowser1, 0);

    ASSERT_TRUE(Reaches(0, DownloadState::Saved));
    EXPECT_EQ(Table().rowCount(), 1);
    ExpectSaved(0);
    EXPECT_TRUE(browser.opened.empty());
    EXPECT_TRUE(form->Downloads().isVisible());
    EXPECT_EQ(form->Downloads().windowTitle(), QString::fromUtf8("下载任务"));
    EXPECT_EQ(Table().index(0, DownloadTable::Title).data().toString(), Title(0));
    EXPECT_EQ(Table().index(0, DownloadTable::State).data().toString(), QString::fromUtf8("已完成"));
    EXPECT_EQ(Table().index(0, DownloadTable::Progress).data().toString(), QStringLiteral("100%"));
    EXPECT_EQ(form->suiProgressBar1->value(), 100);
    EXPECT_EQ(form->Label1->text(), status);
    EXPECT_TRUE(PaneShows(*form->WebBrowser1, Title(0)));
    EXPECT_EQ(CurrentPageNumber, 1);

    // A link that is no book of the listing still goes to the desktop's browser.
    const QUrl elsewhere(QStringLiteral("https://127.0.0.1:8936/about.htm"));
    form->WebBrowser1LinkActivated(elsewhere);
    EXPECT_EQ(browser.opened, std::vector<QUrl>{elsewhere});
    EXPECT_EQ(Table().rowCount(), 1);

    // With nothing waiting or running the window closes without a question.
    ModalBoxCloser boxes;
    EXPECT_TRUE(form->close());
    EXPECT_TRUE(boxes.seen.empty());
}

TEST_F(DownloadsTest, ABookAlreadyRunningOrSavedIsNotAddedAgainButShownAgain)
{
    gate->Hold(TextAddress(2));
    ShowCategory();
    ClickLink(*form->WebBrowser1, 2);
    ASSERT_TRUE(Requested(TextAddress(2)));

    form->Downloads().List().clearSelection();
    ClickLink(*form->WebBrowser1, 2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return SelectedRows() == std::vector<int>{0}; }, Deadline));
    EXPECT_EQ(Table().rowCount(), 1);

    gate->Release(TextAddress(2));
    ASSERT_TRUE(Reaches(0, DownloadState::Saved));
    form->Downloads().List().clearSelection();
    ClickLink(*form->WebBrowser1, 2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return SelectedRows() == std::vector<int>{0}; }, Deadline));
    EXPECT_EQ(Table().rowCount(), 1);
    EXPECT_EQ(RequestsFor(TextAddress(2)), 1);
    ExpectSaved(2);
}

TEST_F(DownloadsTest, TheDownloadButtonListsThePagesBooksAndEnterDownloadsTheTickedOnes)
{
    ShowCategory();
    QTest::mouseClick(form->suiButton15, Qt::LeftButton);
    BookPicker* picker = nullptr;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return (picker = form->findChild<BookPicker*>()) && picker->isVisible(); }, Deadline));
    EXPECT_EQ(picker->windowTitle(), QString::fromUtf8("下载本页图书"));

    auto& list = *picker->findChild<QListWidget*>(QStringLiteral("BookList"));
    ASSERT_EQ(list.count(), 10);
    for (int number = 0; number < list.count(); ++number) {
        EXPECT_EQ(list.item(number)->text(), Title(number));
        EXPECT_EQ(list.item(number)->checkState(), Qt::Checked);
    }
    const auto ticked = [&] {
        std::vector<int> rows;
        for (int number = 0; number < list.count(); ++number) {
            if (list.item(number)->checkState() == Qt::Checked)
                rows.push_back(number);
        }
        return rows;
    };
    QTest::mouseClick(picker->findChild<QAbstractButton*>(QStringLiteral("TickNoneButton")), Qt::LeftButton);
    EXPECT_TRUE(ticked().empty());
    QTest::mouseClick(picker->findChild<QAbstractButton*>(QStringLiteral("TickAllButton")), Qt::LeftButton);
    EXPECT_EQ(ticked().size(), 10u);
    QTest::mouseClick(picker->findChild<QAbstractButton*>(QStringLiteral("TickNoneButton")), Qt::LeftButton);
    list.item(1)->setCheckState(Qt::Checked);
    list.item(3)->setCheckState(Qt::Checked);

    QTest::keyClick(&list, Qt::Key_Return);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !form->findChild<BookPicker*>(); }, Deadline)) << "the picker stays";
    ASSERT_EQ(Table().rowCount(), 2);
    EXPECT_EQ(TitleOf(Table().At(0)), Title(1));
    EXPECT_EQ(TitleOf(Table().At(1)), Title(3));
    ASSERT_TRUE(Reaches(0, DownloadState::Saved));
    ASSERT_TRUE(Reaches(1, DownloadState::Saved));
    ExpectSaved(1);
    ExpectSaved(3);
}

TEST_F(DownloadsTest, WithNoListingShownTheDownloadButtonShowsTheDownloadsWindow)
{
    QTest::mouseClick(form->suiButton15, Qt::LeftButton);
    EXPECT_TRUE(form->Downloads().isVisible());
    EXPECT_FALSE(form->findChild<BookPicker*>());
    EXPECT_TRUE(server.Requests().empty());

    // Closing it hides it.
    EXPECT_TRUE(form->Downloads().close());
    EXPECT_FALSE(form->Downloads().isVisible());
    EXPECT_TRUE(form->isVisible());
}

TEST_F(DownloadsTest, ACancelledBookIsRetriedFromItsRow)
{
    gate->Hold(TextAddress(0));
    ShowCategory();
    ClickLink(*form->WebBrowser1, 0);
    ASSERT_TRUE(Requested(TextAddress(0)));
    ASSERT_EQ(SelectedRows(), std::vector<int>{0});
    EXPECT_TRUE(DownloadsButton("CancelButton").isEnabled());
    EXPECT_FALSE(DownloadsButton("RetryButton").isEnabled());

    QTest::mouseClick(&DownloadsButton("CancelButton"), Qt::LeftButton);
    ASSERT_TRUE(Reaches(0, DownloadState::Cancelled));
    EXPECT_EQ(Table().index(0, DownloadTable::State).data().toString(), QString::fromUtf8("已取消"));
    EXPECT_FALSE(DownloadsButton("CancelButton").isEnabled());
    EXPECT_TRUE(DownloadsButton("RetryButton").isEnabled());
    EXPECT_EQ(form->suiProgressBar1->value(), 100);

    gate->Release(TextAddress(0));
    QTest::mouseClick(&DownloadsButton("RetryButton"), Qt::LeftButton);
    ASSERT_TRUE(Reaches(0, DownloadState::Saved));
    EXPECT_EQ(Table().rowCount(), 1);
    ExpectSaved(0);
    EXPECT_TRUE(DownloadsButton("OpenFileButton").isEnabled());
}

TEST_F(DownloadsTest, TheProgressBarFollowsTheDownloadsAndEndsFull)
{
    std::vector<int> values;
    QObject::connect(form->suiProgressBar1, &QProgressBar::valueChanged, [&](int value) { values.push_back(value); });
    gate->Hold(TextAddress(0));
    gate->Hold(TextAddress(1));
    ShowCategory();
    const QString status = form->Label1->text();
    ClickBook(0);
    ClickBook(1);
    ASSERT_TRUE(Requested(TextAddress(0)));
    ASSERT_TRUE(Requested(TextAddress(1)));
    EXPECT_EQ(form->suiProgressBar1->value(), 0);

    // The first book done, the second's size unknown yet: it weighs as much.
    gate->Release(TextAddress(0));
    ASSERT_TRUE(Reaches(0, DownloadState::Saved));
    EXPECT_EQ(form->suiProgressBar1->value(), 50);

    gate->Release(TextAddress(1));
    ASSERT_TRUE(Reaches(1, DownloadState::Saved));
    EXPECT_EQ(form->suiProgressBar1->value(), 100);
    ASSERT_FALSE(values.empty());
    EXPECT_EQ(values.front(), 0);
    EXPECT_EQ(values.back(), 100);
    EXPECT_NE(std::find_if(values.begin(), values.end(), [](int value) { return value > 0 && value < 100; }),
              values.end());
    EXPECT_EQ(form->Label1->text(), status) << "downloads never write the status line";
}

TEST_F(DownloadsTest, PagingGoesOnWhileTwoBooksDownload)
{
    gate->Hold(TextAddress(0));
    gate->Hold(TextAddress(1));
    ShowCategory();
    ClickBook(0);
    ClickBook(1);
    ASSERT_TRUE(Requested(TextAddress(0)));
    ASSERT_TRUE(Requested(TextAddress(1)));

    QTest::mouseClick(form->suiButton12, Qt::LeftButton);
    EXPECT_TRUE(PaneShows(*form->WebBrowser1, Title(10)));
    EXPECT_EQ(CurrentPageNumber, 2);
    form->Edit1->setText("3");
    QTest::mouseClick(form->suiButton14, Qt::LeftButton);
    EXPECT_TRUE(PaneShows(*form->WebBrowser1, Title(20)));
    QTest::mouseClick(form->suiButton13, Qt::LeftButton);
    EXPECT_TRUE(PaneShows(*form->WebBrowser1, Title(10)));
    EXPECT_EQ(CurrentPageNumber, 2);
    EXPECT_EQ(downloads->UnfinishedCount(), 2);

    // A book of the page now shown is named from it; it waits for its turn on the site.
    ClickLink(*form->WebBrowser1, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Table().rowCount() == 3; }, Deadline));
    EXPECT_EQ(TitleOf(Table().At(2)), Title(10));

    gate->ReleaseAll();
    ASSERT_TRUE(Reaches(0, DownloadState::Saved));
    ASSERT_TRUE(Reaches(1, DownloadState::Saved));
    ASSERT_TRUE(Reaches(2, DownloadState::Saved));
    ExpectSaved(0);
    ExpectSaved(1);
    ExpectSaved(10);
}

TEST_F(DownloadsTest, ClosingWhileBooksRunAsksFirst)
{
    gate->Hold(TextAddress(0));
    ShowCategory();
    ClickLink(*form->WebBrowser1, 0);
    ASSERT_TRUE(Requested(TextAddress(0)));

    {
        ModalBoxCloser boxes(QMessageBox::No);
        EXPECT_FALSE(form->close());
        ASSERT_EQ(boxes.seen.size(), 1u);
        EXPECT_EQ(boxes.seen[0].title, "Project1");
        EXPECT_EQ(boxes.seen[0].icon, QMessageBox::Question);
        EXPECT_EQ(boxes.seen[0].text, QString::fromUtf8("还有 1 本图书正在下载。退出后可在下次继续下载。确定退出吗？"));
        QStringList captions = boxes.seen[0].captions;
        captions.sort();
        EXPECT_EQ(captions, (QStringList{QString::fromUtf8("否"), QString::fromUtf8("是")}));
    }
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(downloads->UnfinishedCount(), 1);

    {
        ModalBoxCloser boxes(QMessageBox::Yes);
        EXPECT_TRUE(form->close());
        EXPECT_EQ(boxes.seen.size(), 1u);
    }
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(form->Downloads().isVisible());
    EXPECT_TRUE(Reaches(0, DownloadState::Cancelled));
}

DownloadStatus Status(DownloadState state, std::uint64_t received, std::optional<std::uint64_t> size)
{
    DownloadStatus status;
    status.state = state;
    status.received = received;
    status.size = size;
    return status;
}

TEST(OverallPercent, CountsBytesWhereSizesAreKnownAndEndedBooksAsDone)
{
    using enum DownloadState;
    const struct {
        const char* what;
        std::vector<DownloadStatus> downloads;
        int percent;
    } cases[] = {
        {"nothing", {}, 100},
        {"one waiting", {Status(Waiting, 0, std::nullopt)}, 0},
        {"bytes of known sizes", {Status(Running, 300, 1000), Status(Running, 100, 3000)}, 10},
        {"an unknown size weighs the average", {Status(Running, 500, 1000), Status(Running, 0, std::nullopt)}, 25},
        {"saved counts whole", {Status(Saved, 1000, 1000), Status(Waiting, 0, std::nullopt)}, 50},
        {"failed counts as ended", {Status(Failed, 10, 1000), Status(Running, 0, 1000)}, 50},
        {"never 100 while one runs", {Status(Saved, 10, 10), Status(Running, 999'999, 1'000'000)}, 99},
        {"received past the size", {Status(Running, 5000, 1000), Status(Waiting, 0, 1000)}, 50},
        {"all ended", {Status(Cancelled, 0, std::nullopt), Status(Paused, 5, 10)}, 100},
    };
    for (const auto& c : cases)
        EXPECT_EQ(OverallPercent(c.downloads), c.percent) << c.what;
}

}  // namespace

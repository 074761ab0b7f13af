// Whole downloads from loopback sites, each saved file checked byte for byte.

#include <gtest/gtest.h>

#include <string>

#include "catalogue/Gbk.h"
#include "download/DownloadEngine.h"
#include "tests/download/BookSite.h"
#include "tests/download/DownloadRecorder.h"

namespace {

using namespace std::chrono_literals;

// Short bounds and pauses, so that retries and stalls take moments.
constexpr DownloadLimits Quick{.connectTimeoutSeconds = 2, .stallSeconds = 1, .maxRedirects = 5,
                               .maxBookBytes = 1u << 20, .transfersPerHost = 2, .retries = 3,
                               .firstRetryPause = 10ms, .maxRetryAfter = 2s, .hostFailuresBeforePause = 3};

// A novel's text of about size bytes, UTF-8.
std::string NovelText(std::size_t size)
{
    std::string text;
    for (int chapter = 1; text.size() < size; ++chapter) {
        text += "第" + std::to_string(chapter) + "章　风起青萍\r\n\r\n";
        text += "　　夜色如墨，长街上只剩下一盏孤灯。他握紧手中的剑，低声道：“来吧。”\r\n";
        text += "　　风从巷口吹来，带着远方的雨意……\r\n\r\n";
    }
    return text;
}

class Downloads : public testing::Test {
protected:
    BookRequest Book(const std::string& path, const std::string& title = "青锋记",
                     SavedEncoding encoding = SavedEncoding::Utf8) const
    {
        return {site.Address(path), title, folder.Path(), encoding};
    }

    DownloadStatus Download(const BookRequest& request)
    {
        return recorder.WaitForEnd(engine.Add(request));
    }

    BookSite site;
    TemporaryFolder folder;
    DownloadRecorder recorder;
    DownloadEngine engine{recorder, Quick};
};

TEST_F(Downloads, SavesATextFileConvertedToUtf8)
{
    const std::string text = NovelText(200 * 1024);
    site.Route("/f/1.txt", ServesFile(ToGbk(text)));

    const DownloadStatus saved = Download(Book("/f/1.txt"));
    ASSERT_EQ(saved.state, DownloadState::Saved) << saved.reason;
    EXPECT_EQ(saved.file, folder.Path() / "青锋记.txt");
    EXPECT_EQ(saved.reason, "");
    EXPECT_EQ(ReadFile(saved.file), text);
    EXPECT_EQ(saved.received, ToGbk(text).size());
    EXPECT_EQ(saved.size, ToGbk(text).size());
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"青锋记.txt"});
}

TEST_F(Downloads, SavesInTheChosenEncoding)
{
    const std::string text = NovelText(20 * 1024);
    site.Route("/gbk.txt", ServesFile(ToGbk(text)));
    site.Route("/utf8.txt", ServesFile(text));
    const struct {
        const char* path;
        SavedEncoding encoding;
        std::string expected;
    } cases[] = {
        {"/gbk.txt", SavedEncoding::Original, ToGbk(text)},
        {"/gbk.txt", SavedEncoding::Gb18030, ToGbk(text)},
        {"/gbk.txt", SavedEncoding::Utf8Bom, "\xEF\xBB\xBF" + text},
        {"/utf8.txt", SavedEncoding::Gb18030, ToGbk(text)},
        {"/utf8.txt", SavedEncoding::Utf8, text},
    };
    for (const auto& c : cases) {
        const DownloadStatus saved = Download(Book(c.path, "书", c.encoding));
        ASSERT_EQ(saved.state, DownloadState::Saved) << saved.reason;
        EXPECT_EQ(ReadFile(saved.file), c.expected) << c.path << " as " << SavedEncodingName(c.encoding);
        std::filesystem::remove(saved.file);
    }
}

TEST_F(Downloads, FollowsABookPageAndADownloadPageToTheFile)
{
    const std::string text = NovelText(10 * 1024);
    site.Route("/txt/1.htm", ServesPage(ToGbk("<html><head><title>青锋记 - 书库</title></head><body>"
                                              "<h1>青锋记</h1><a href='/down/1.htm'>TXT下载</a></body></html>")));
    site.Route("/down/1.htm", ServesPage(ToGbk("<p><a href='../files/%E9%9D%92.txt'>点此下载</a></p>")));
    site.Route("/files/%E9%9D%92.txt", ServesFile(ToGbk(text)));
    site.Route("/txt/2.htm", ServesPage(ToGbk("<title>云中岳</title><a href='/files/2.TXT'>TXT</a>")));
    site.Route("/files/2.TXT", ServesFile(ToGbk(text)));

    // Without a title: named from the page's heading, else its title.
    const DownloadStatus first = Download(Book("/txt/1.htm", ""));
    ASSERT_EQ(first.state, DownloadState::Saved) << first.reason;
    EXPECT_EQ(first.file, folder.Path() / "青锋记.txt");
    EXPECT_EQ(ReadFile(first.file), text);
    const DownloadStatus second = Download(Book("/txt/2.htm", ""));
    ASSERT_EQ(second.state, DownloadState::Saved) << second.reason;
    EXPECT_EQ(second.file, folder.Path() / "云中岳.txt");
    // A text file without a title is named from its path.
    const DownloadStatus third = Download(Book("/files/%E9%9D%92.txt", ""));
    ASSERT_EQ(third.state, DownloadState::Saved) << third.reason;
    EXPECT_EQ(third.file, folder.Path() / "青.txt");
}

TEST_F(Downloads, TakesTheNextFreeNameAndTouchesNothingThere)
{
    site.Route("/f.txt", ServesFile("text"));
    WriteFile(folder.Path() / "书.txt", "mine");
    TemporaryFolder outside;
    std::filesystem::create_symlink(outside.Path() / "target.txt", folder.Path() / "书 (2).txt");
    std::filesystem::create_directory(folder.Path() / "书 (3).txt");

    const DownloadStatus saved = Download(Book("/f.txt", "书"));
    ASSERT_EQ(saved.state, DownloadState::Saved) << saved.reason;
    EXPECT_EQ(saved.file, folder.Path() / "书 (4).txt");
    EXPECT_EQ(ReadFile(folder.Path() / "书.txt"), "mine");
    EXPECT_TRUE(std::filesystem::is_symlink(folder.Path() / "书 (2).txt"));
    EXPECT_TRUE(outside.Names().empty());
}

TEST_F(Downloads, CancelStopsAtOnceAndALaterDownloadResumes)
{
    const std::string text = NovelText(64 * 1024);
    const std::string gbk = ToGbk(text);
    site.Route("/slow.txt", ServesFile(gbk, {.dripPiece = 1024}));
    const DownloadId id = engine.Add(Book("/slow.txt"));
    recorder.WaitFor(id, [](const DownloadStatus& status) { return status.received >= 8 * 1024; });
    engine.Cancel(id);
    const DownloadStatus cancelled = recorder.WaitForEnd(id);
    ASSERT_EQ(cancelled.state, DownloadState::Cancelled);
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"青锋记.txt.part", "青锋记.txt.part.resume"}));
    const auto kept = std::filesystem::file_size(folder.Path() / "青锋记.txt.part");
    EXPECT_GE(kept, 8u * 1024);
    EXPECT_LT(kept, gbk.size());

    // A new engine, as in a new run of the program.
    site.Route("/slow.txt", ServesFile(gbk));
    DownloadRecorder laterRecorder;
    DownloadEngine later(laterRecorder, Quick);
    const DownloadStatus saved = laterRecorder.WaitForEnd(later.Add(Book("/slow.txt")));
    ASSERT_EQ(saved.state, DownloadState::Saved) << saved.reason;
    EXPECT_EQ(ReadFile(saved.file), text);
    const std::string resumed = site.RequestsFor("/slow.txt").back();
    EXPECT_EQ(HeaderOf(resumed, "Range"), "bytes=" + std::to_string(kept) + "-");
    EXPECT_EQ(HeaderOf(resumed, "If-Range"), "\"v1\"");
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"青锋记.txt"});
}

}  // namespace

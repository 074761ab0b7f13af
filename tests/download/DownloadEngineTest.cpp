// Whole downloads from loopback sites, each saved file checked byte for byte.

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <atomic>
#include <csignal>
#include <memory>
#include <string>

#include "catalogue/Gbk.h"
#include "download/DownloadEngine.h"
#include "tests/download/BookSite.h"
#include "tests/download/DownloadRecorder.h"
#include "tests/hostile/Misbehaviours.h"

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
        // Converted or not, a book may be read by others as the umask allows.
        const mode_t mask = umask(0);
        umask(mask);
        EXPECT_EQ(static_cast<mode_t>(std::filesystem::status(saved.file).permissions()), 0666 & ~mask)
            << SavedEncodingName(c.encoding);
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
    // A part planted as a link is not written through either.
    WriteFile(outside.Path() / "victim", "theirs");
    std::filesystem::create_symlink(outside.Path() / "victim", folder.Path() / "书.txt.part");

    const DownloadStatus saved = Download(Book("/f.txt", "书"));
    ASSERT_EQ(saved.state, DownloadState::Saved) << saved.reason;
    EXPECT_EQ(saved.file, folder.Path() / "书 (4).txt");
    EXPECT_EQ(ReadFile(saved.file), "text");
    EXPECT_EQ(ReadFile(folder.Path() / "书.txt"), "mine");
    EXPECT_TRUE(std::filesystem::is_symlink(folder.Path() / "书 (2).txt"));
    EXPECT_EQ(outside.Names(), std::vector<std::string>{"victim"});
    EXPECT_EQ(ReadFile(outside.Path() / "victim"), "theirs");
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

TEST_F(Downloads, AResumeIsFoundPastPartsThatEnded)
{
    // As left by a second download of the same book, cancelled after the first was saved.
    const std::string text = NovelText(8 * 1024);
    site.Route("/r.txt", ServesFile(text));
    WriteFile(folder.Path() / "书 (2).txt.part", text.substr(0, 1000));
    WriteFile(folder.Path() / "书 (2).txt.part.resume",
              site.Address("/r.txt") + "\n\"v1\"\n" + std::to_string(text.size()) + "\n");

    const DownloadStatus saved = Download(Book("/r.txt", "书"));
    ASSERT_EQ(saved.state, DownloadState::Saved) << saved.reason;
    EXPECT_EQ(ReadFile(saved.file), text);
    EXPECT_EQ(HeaderOf(site.RequestsFor("/r.txt").back(), "Range"), "bytes=1000-");
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"书.txt"});
}

TEST_F(Downloads, BrokenTransfersEndInTheServersExactFile)
{
    const std::string text = NovelText(64 * 1024);
    const std::string gbk = ToGbk(text);
    const std::string revised = NovelText(70 * 1024) + "（修订版）";
    const auto resetEarly = ServesFile(gbk, {.resetAfter = 20000});
    const struct {
        const char* what;
        HostileServer::Behaviour behaviour;
        std::string expected;
        const char* lastRange;  // the Range of the last request
    } cases[] = {
        {"reset mid-file, then resumed", InTurn({resetEarly, ServesFile(gbk)}), text, "bytes=20000-"},
        {"the range ignored", InTurn({resetEarly, ServesFile(gbk, {.honoursRange = false})}), text, "bytes=20000-"},
        {"a Content-Range that starts elsewhere",
         InTurn({resetEarly, ServesFile(gbk, {.wrongContentRange = true}), ServesFile(gbk)}), text, ""},
        {"the file changed between attempts",
         InTurn({resetEarly, ServesFile(ToGbk(revised), {.etag = "\"v2\""})}), revised, "bytes=20000-"},
        {"reset again and again", InTurn({resetEarly, ServesFile(gbk, {.resetAfter = 20000}), ServesFile(gbk)}),
         text, "bytes=40000-"},
        {"silence, then an answer", InTurn({SaysNothing(), ServesFile(gbk)}), text, ""},
        {"a 503, then the file", InTurn({Answers("HTTP/1.1 503 Service Unavailable"), ServesFile(gbk)}), text, ""},
        {"short of its length without a validator", InTurn({FallsShortOfItsLength(gbk), ServesFile(gbk)}), text, ""},
    };
    int number = 0;
    for (const auto& c : cases) {
        const std::string path = "/broken/" + std::to_string(++number) + ".txt";
        site.Route(path, c.behaviour);
        const DownloadStatus saved = Download(Book(path, "书" + std::to_string(number)));
        ASSERT_EQ(saved.state, DownloadState::Saved) << c.what << ": " << saved.reason;
        EXPECT_EQ(ReadFile(saved.file), c.expected) << c.what;
        EXPECT_EQ(HeaderOf(site.RequestsFor(path).back(), "Range"), c.lastRange) << c.what;
        std::filesystem::remove(saved.file);
        EXPECT_TRUE(folder.Names().empty()) << c.what;
    }
}

TEST_F(Downloads, RetryAfterIsHonouredUpToItsBound)
{
    // One second, then an hour that the bound (two seconds here) cuts short.
    site.Route("/busy.txt", InTurn({Answers("HTTP/1.1 503 Service Unavailable", {"Retry-After: 1"}),
                                    Answers("HTTP/1.1 429 Too Many Requests", {"Retry-After: 3600"}),
                                    ServesFile("text")}));
    const auto start = std::chrono::steady_clock::now();
    const DownloadStatus saved = Download(Book("/busy.txt"));
    ASSERT_EQ(saved.state, DownloadState::Saved) << saved.reason;
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, 3s);
    EXPECT_LT(waited, 20s);
    EXPECT_EQ(site.RequestsFor("/busy.txt").size(), 3u);
}

TEST_F(Downloads, TransientFaultsFailOnceTheRetriesRunOut)
{
    site.Route("/down.txt", Answers("HTTP/1.1 502 Bad Gateway"));
    const DownloadStatus failed = Download(Book("/down.txt"));
    EXPECT_EQ(failed.state, DownloadState::Failed);
    EXPECT_EQ(failed.reason, "HTTP 502");
    EXPECT_EQ(site.RequestsFor("/down.txt").size(), 4u);
}

TEST_F(Downloads, PermanentFaultsFailAtOnceAndLeaveNothing)
{
    HostileServer witness(SaysNothing());
    const struct {
        const char* what;
        HostileServer::Behaviour behaviour;
        std::string reason;
    } cases[] = {
        {"not found", Answers("HTTP/1.1 404 Not Found"), "HTTP 404"},
        {"forbidden", Answers("HTTP/1.1 403 Forbidden"), "HTTP 403"},
        {"a page without a way on", ServesPage(ToGbk("<h1>书</h1><a href='/other.htm'>简介</a>")),
         "没有找到TXT下载链接"},
        {"three pages deep", ServesPage(ToGbk("<a href='/page/3.htm'>下载</a>")), "没有找到TXT下载链接"},
        {"a page where the file should be", ServesPage(ToGbk("<a href='/page/html.txt'>TXT</a>")),
         "服务器返回的不是TXT文件"},
        {"a page labelled as text", ServesPage(ToGbk("<a href='/page/sniffed.txt'>TXT</a>")),
         "服务器返回的不是TXT文件"},
        {"an empty file", ServesFile(""), "服务器返回的文件是空的"},
        {"a redirect to a local file", RedirectsTo("file:///etc/passwd"), "不支持的地址"},
        {"a redirect to another scheme", RedirectsTo("ftp://" + witness.Origin().substr(7) + "/a.txt"),
         "不支持的地址"},
        {"a declared size over the cap", ServesFile(std::string((1u << 20) + 1, 'x')), "文件超过大小上限（1 MiB）"},
        {"an endless body", SendsForever(), "文件超过大小上限（1 MiB）"},
    };
    site.Route("/page/3.htm", ServesPage(ToGbk("<a href='/page/4.htm'>下载</a>")));
    site.Route("/page/4.htm", ServesPage(ToGbk("<a href='/page/4.txt'>TXT</a>")));
    site.Route("/page/html.txt", ServesPage("<html><body>Not here</body></html>"));
    site.Route("/page/sniffed.txt", ServesPage("  \r\n<!doctype html><p>moved</p>", "text/plain"));
    int number = 0;
    for (const auto& c : cases) {
        const std::string path = "/bad/" + std::to_string(++number);
        site.Route(path, c.behaviour);
        const DownloadStatus failed = Download(Book(path));
        EXPECT_EQ(failed.state, DownloadState::Failed) << c.what;
        EXPECT_TRUE(failed.reason.starts_with(c.reason)) << c.what << ": " << failed.reason;
        EXPECT_EQ(site.RequestsFor(path).size(), 1u) << c.what;
        EXPECT_TRUE(folder.Names().empty()) << c.what;
    }
    EXPECT_EQ(witness.Connections(), 0);
}

// A file size limit makes every write past it fail, as a full disk would.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) : oldHandler_(std::signal(SIGXFSZ, SIG_IGN))
    {
        getrlimit(RLIMIT_FSIZE, &old_);
        rlimit limited = old_;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }

private:
    void (*oldHandler_)(int);
    rlimit old_{};
};

TEST_F(Downloads, AFailedWriteFailsTheBookAndChangesNothingElse)
{
    WriteFile(folder.Path() / "青锋记.txt", "mine");
    // About 40 KiB of GBK that grow to about 60 KiB as UTF-8.
    const std::string text = NovelText(60 * 1024);
    const std::string gbk = ToGbk(text);
    ASSERT_LT(gbk.size(), 50u * 1024);
    site.Route("/book.txt", ServesFile(gbk));
    const struct {
        const char* what;
        rlim_t limit;
        std::vector<std::string> left;
    } cases[] = {
        {"while downloading", 16 * 1024, {"青锋记.txt", "青锋记.txt.part", "青锋记.txt.part.resume"}},
        {"while converting", 50 * 1024, {"青锋记.txt", "青锋记.txt.part", "青锋记.txt.part.resume"}},
    };
    for (const auto& c : cases) {
        DownloadStatus failed;
        {
            FileSizeLimit limit(c.limit);
            failed = Download(Book("/book.txt"));
        }
        EXPECT_EQ(failed.state, DownloadState::Failed) << c.what;
        EXPECT_EQ(failed.reason, "写入失败：File too large") << c.what;
        EXPECT_EQ(ReadFile(folder.Path() / "青锋记.txt"), "mine") << c.what;
        // What was downloaded stays for a later attempt; nothing else is left.
        EXPECT_EQ(folder.Names(), c.left) << c.what;
    }
    // The complete part is converted again without fetching it anew.
    const std::size_t requests = site.RequestsFor("/book.txt").size();
    const DownloadStatus saved = Download(Book("/book.txt"));
    ASSERT_EQ(saved.state, DownloadState::Saved);
    EXPECT_EQ(ReadFile(saved.file), text);
    EXPECT_EQ(site.RequestsFor("/book.txt").size(), requests);
}

TEST_F(Downloads, TextThatDoesNotDecodeIsKeptAsServed)
{
    // Lead bytes without their trail bytes: neither UTF-8 nor GB18030.
    std::string garbled;
    for (int i = 0; i < 200; ++i)
        garbled += "ab\x81\x20\xFF\n";
    site.Route("/garbled.txt", ServesFile(garbled));
    const std::string text = NovelText(4096);
    const std::string utf16 = "\xFF\xFE" + std::string("\x2C\x7B\x00\x4E\x0D\x00\x0A\x00", 8);
    site.Route("/utf16.txt", ServesFile(utf16));

    const DownloadStatus kept = Download(Book("/garbled.txt", "乱码"));
    ASSERT_EQ(kept.state, DownloadState::Saved);
    EXPECT_EQ(kept.reason, "编码无法识别，已按原样保存");
    EXPECT_EQ(ReadFile(kept.file), garbled);
    const DownloadStatus converted = Download(Book("/utf16.txt", "双字节"));
    ASSERT_EQ(converted.state, DownloadState::Saved);
    EXPECT_EQ(converted.reason, "");
    EXPECT_EQ(ReadFile(converted.file), "第一\r\n");
}

// Counts how many answers of one server are under way at once.
struct Concurrency {
    std::atomic<int> now = 0;
    std::atomic<int> most = 0;
};

// Shares the count with the server's threads, which may outlast the test's body.
HostileServer::Behaviour CountedSlowFile(std::string body, const std::shared_ptr<Concurrency>& concurrency)
{
    return [body = std::move(body), concurrency](HostileConnection& connection, const std::string& head) {
        const int now = ++concurrency->now;
        for (int most = concurrency->most; now > most && !concurrency->most.compare_exchange_weak(most, now);) {
        }
        ServesFile(body, {.dripPiece = 512})(connection, head);
        --concurrency->now;
    };
}

TEST_F(Downloads, AtMostTwoBooksAtATimeFromOneHost)
{
    const auto here = std::make_shared<Concurrency>();
    BookSite other;
    site.Route("/slow.txt", CountedSlowFile(std::string(4096, 'a'), here));
    other.Route("/slow.txt", CountedSlowFile(std::string(4096, 'b'), std::make_shared<Concurrency>()));
    std::vector<DownloadId> ids;
    for (int i = 0; i < 5; ++i)
        ids.push_back(engine.Add(Book("/slow.txt", "书" + std::to_string(i))));
    const DownloadId elsewhere = engine.Add({other.Address("/slow.txt"), "别处", folder.Path()});
    // The other host's book does not wait behind this host's queue.
    EXPECT_EQ(recorder.WaitFor(elsewhere, [](const DownloadStatus& status) {
                  return status.state != DownloadState::Waiting;
              }).state, DownloadState::Running);
    for (const DownloadId id : ids)
        EXPECT_EQ(recorder.WaitForEnd(id).state, DownloadState::Saved);
    EXPECT_EQ(recorder.WaitForEnd(elsewhere).state, DownloadState::Saved);
    EXPECT_EQ(here->most, 2);
    EXPECT_EQ(recorder.History(ids[4]).front().state, DownloadState::Waiting);
}

TEST_F(Downloads, AHostThatKeepsFailingHasItsWaitingBooksPaused)
{
    site.Route("/f.txt", Answers("HTTP/1.1 503 Service Unavailable"));
    std::vector<DownloadId> ids;
    for (int i = 0; i < 5; ++i)
        ids.push_back(engine.Add(Book("/f.txt", "书" + std::to_string(i))));
    // Two run at a time; the third failure in a row pauses what still waits.
    const DownloadStatus paused = recorder.WaitForEnd(ids[4]);
    EXPECT_EQ(paused.state, DownloadState::Paused);
    EXPECT_TRUE(paused.reason.starts_with("该网站接连多次下载失败，已暂停")) << paused.reason;
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(recorder.WaitForEnd(ids[i]).state, DownloadState::Failed);

    site.Route("/f.txt", ServesFile("text"));
    engine.Retry(ids[4]);
    EXPECT_EQ(recorder.WaitFor(ids[4], [](const DownloadStatus& status) {
                  return status.state == DownloadState::Saved;
              }).file, folder.Path() / "书4.txt");
}

TEST_F(Downloads, ProgressCountsTheFileWithItsResumedBytes)
{
    const std::string gbk = ToGbk(NovelText(32 * 1024));
    site.Route("/p.txt", InTurn({ServesFile(gbk, {.resetAfter = 10000}), ServesFile(gbk, {.dripPiece = 2048})}));
    const DownloadId id = engine.Add(Book("/p.txt"));
    ASSERT_EQ(recorder.WaitForEnd(id).state, DownloadState::Saved);
    const std::vector<DownloadStatus> history = recorder.History(id);
    EXPECT_EQ(history.front().state, DownloadState::Waiting);
    std::uint64_t last = 0;
    bool sawSpeed = false;
    for (const DownloadStatus& status : history) {
        if (status.state != DownloadState::Running || status.received == 0)
            continue;
        // Never below what the part already held once resumed.
        EXPECT_GE(status.received, std::min<std::uint64_t>(last, 10000));
        EXPECT_EQ(status.size, gbk.size());
        last = status.received;
        sawSpeed = sawSpeed || status.bytesPerSecond > 0;
    }
    EXPECT_TRUE(sawSpeed);
    EXPECT_EQ(history.back().received, gbk.size());
}

TEST_F(Downloads, CancelAndRetryOfWaitingAndEndedBooks)
{
    site.Route("/a.txt", ServesFile(std::string(2048, 'a'), {.dripPiece = 256}));
    site.Route("/gone.txt", Answers("HTTP/1.1 404 Not Found"));
    const DownloadId first = engine.Add(Book("/a.txt", "甲"));
    const DownloadId second = engine.Add(Book("/a.txt", "乙"));
    const DownloadId third = engine.Add(Book("/a.txt", "丙"));
    engine.Cancel(third);
    EXPECT_EQ(recorder.WaitForEnd(third).state, DownloadState::Cancelled);
    EXPECT_EQ(recorder.WaitForEnd(first).state, DownloadState::Saved);
    EXPECT_EQ(recorder.WaitForEnd(second).state, DownloadState::Saved);
    // A cancelled book never ran: nothing of it is in the folder.
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"乙.txt", "甲.txt"}));

    engine.Cancel(first);  // ended: nothing happens
    engine.Retry(third);
    EXPECT_EQ(recorder.WaitFor(third, [](const DownloadStatus& status) {
                  return status.state == DownloadState::Saved;
              }).file, folder.Path() / "丙.txt");
    EXPECT_EQ(recorder.History(first).back().state, DownloadState::Saved);
}

}  // namespace

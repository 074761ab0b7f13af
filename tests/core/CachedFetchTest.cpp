// FetchPageText through a cache, against a loopback site that sends caching
// headers, answers conditional requests and counts what it is asked. The cache's
// clock is the test's, so that pages age without waiting.
#include <gtest/gtest.h>
#include <httplib.h>

#include <cstdlib>
#include <ctime>
#include <map>
#include <mutex>
#include <thread>

#include "catalogue/AcceptedConnections.h"
#include "catalogue/Gbk.h"
#include "navigation/NavigationState.h"
#include "retrieval/FetchPageText.h"
#include "retrieval/HttpCache.h"
#include "retrieval/ListingPageLoader.h"
#include "retrieval/StatusLine.h"
#include "tests/support/CatalogueFixture.h"

namespace {

using Headers = std::vector<std::pair<std::string, std::string>>;

// 2026-01-01 00:00:00 UTC: where the test's clock starts.
const TimePoint Start{Seconds{1767225600}};

// The HTTP date offset seconds after Start.
std::string At(long offset)
{
    const std::time_t seconds = (Start + Seconds{offset}).time_since_epoch().count();
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[64];
    std::strftime(text, sizeof text, "%a, %d %b %Y %H:%M:%S GMT", &utc);
    return text;
}

struct Answer {
    int status = 200;
    Headers headers;
    std::string body;
};

// What the site was asked: the path and the conditions the request carried.
struct Asked {
    std::string path;
    std::string ifNoneMatch, ifModifiedSince;
    bool operator==(const Asked&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Asked& asked)
{
    return out << asked.path << " [" << asked.ifNoneMatch << "] [" << asked.ifModifiedSince << "]";
}

// Serves pages by path. A request whose If-None-Match or If-Modified-Since matches
// the page's ETag or Last-Modified gets notModified instead of the page.
class CachingSite {
public:
    CachingSite()
    {
        server_.set_tcp_nodelay(true);  // no wait for a delayed acknowledgement on a kept connection
        server_.Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
            const std::lock_guard lock(mutex_);
            const Asked asked{request.path, request.get_header_value("If-None-Match"),
                              request.get_header_value("If-Modified-Since")};
            asked_.push_back(asked);
            clientPorts_.push_back(request.remote_port);
            const auto page = pages_.find(request.path);
            if (page == pages_.end()) {
                response.status = 404;
                return;
            }
            const auto header = [&](const char* name) {
                for (const auto& [field, value] : page->second.headers)
                    if (field == name)
                        return value;
                return std::string();
            };
            // If-None-Match, when sent, decides alone.
            const bool unchanged = !asked.ifNoneMatch.empty()
                                       ? asked.ifNoneMatch == header("ETag")
                                       : !asked.ifModifiedSince.empty() && asked.ifModifiedSince == header("Last-Modified");
            const Answer& answer = unchanged ? notModified_ : page->second;
            response.status = answer.status;
            for (const auto& [field, value] : answer.headers)
                response.set_header(field, value);
            if (!unchanged)
                response.set_content(answer.body, "text/html");
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        listener_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running())
            std::this_thread::yield();
    }
    ~CachingSite() { Stop(); }

    void Stop()
    {
        if (listener_.joinable()) {
            server_.stop();
            EndConnectionsAcceptedOn(port_);
            listener_.join();
        }
    }

    std::string Address(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }

    void Serve(const std::string& path, Answer answer)
    {
        const std::lock_guard lock(mutex_);
        pages_[path] = std::move(answer);
    }
    // The answer to a request whose condition holds; a bare 304 unless set.
    void AnswerUnchangedWith(Answer answer)
    {
        const std::lock_guard lock(mutex_);
        notModified_ = std::move(answer);
    }

    std::vector<Asked> Requests()
    {
        const std::lock_guard lock(mutex_);
        return asked_;
    }
    // The client's port of each request's connection.
    std::vector<int> ClientPorts()
    {
        const std::lock_guard lock(mutex_);
        return clientPorts_;
    }
    // Closes the connections clients keep open, as a site does with idle ones.
    void CloseKeptConnections() { EndConnectionsAcceptedOn(port_); }

private:
    httplib::Server server_;
    int port_ = 0;
    std::thread listener_;
    std::mutex mutex_;
    std::map<std::string, Answer> pages_;
    Answer notModified_{304, {}, ""};
    std::vector<Asked> asked_;
    std::vector<int> clientPorts_;
};

class CachedFetch : public testing::Test {
protected:
    void SetUp() override
    {
        // The site is asked directly, whatever the environment says.
        unsetenv("http_proxy");
    }

    std::string Fetch(const std::string& path) { return FetchPageText(cache, site.Address(path)); }

    CachingSite site;
    TimePoint now = Start;
    HttpCache cache{1u << 20, [this] { return now; }};
};

const std::string Page = ToGbk("<li class=\"p_total\">3页<div id=\"catalog\">武侠 _blank</div>\n<div id=\"pages\">");

TEST_F(CachedFetch, ReusesWhatIsFreshAndAsksAgainWithTheValidatorsItHolds)
{
    struct Case {
        const char* what;
        Headers headers;
        long later;      // seconds from the first fetch to the second
        bool asksAgain;  // whether the second fetch reaches the site
        std::string ifNoneMatch = "", ifModifiedSince = "";
    };
    const Case cases[] = {
        {"max-age, fresh", {{"Cache-Control", "max-age=60"}}, 59, false},
        {"max-age, stale and nothing to check with", {{"Cache-Control", "max-age=60"}}, 61, true},
        {"Expires less Date, fresh", {{"Date", At(0)}, {"Expires", At(60)}}, 30, false},
        {"Expires less Date, stale", {{"Date", At(0)}, {"Expires", At(60)}}, 60, true},
        {"an unreadable Expires has expired", {{"Expires", "0"}}, 0, true},
        {"max-age outranks Expires", {{"Cache-Control", "max-age=60"}, {"Date", At(0)}, {"Expires", At(5)}}, 30, false},
        {"a tenth of the time since Last-Modified, fresh", {{"Date", At(0)}, {"Last-Modified", At(-1000)}}, 99, false},
        {"a tenth of the time since Last-Modified, stale", {{"Date", At(0)}, {"Last-Modified", At(-1000)}}, 100, true,
         "", At(-1000)},
        {"the heuristic holds up to a day", {{"Date", At(0)}, {"Last-Modified", At(-100 * 86400)}}, 86399, false},
        {"the heuristic holds at most a day", {{"Date", At(0)}, {"Last-Modified", At(-100 * 86400)}}, 86400, true, "",
         At(-100 * 86400)},
        {"Age counts", {{"Cache-Control", "max-age=60"}, {"Age", "50"}}, 10, true},
        {"a Date in the past counts", {{"Cache-Control", "max-age=60"}, {"Date", At(-50)}}, 10, true},
        {"no-store", {{"Cache-Control", "no-store, max-age=60"}}, 0, true},
        {"no-cache checks every time", {{"Cache-Control", "no-cache, max-age=60"}, {"ETag", "\"v1\""}}, 0, true,
         "\"v1\""},
        {"must-revalidate, stale", {{"Cache-Control", "max-age=10, must-revalidate"}, {"ETag", "\"v1\""}}, 11, true,
         "\"v1\""},
        {"both validators", {{"Cache-Control", "max-age=0"}, {"ETag", "\"v1\""}, {"Last-Modified", At(-5)}}, 0, true,
         "\"v1\"", At(-5)},
        {"Vary: * is never reused", {{"Cache-Control", "max-age=60"}, {"Vary", "*"}}, 0, true},
        {"Vary on a field every request sends alike", {{"Cache-Control", "max-age=60"}, {"Vary", "Accept-Language"}},
         0, false},
        {"no caching headers", {}, 0, true},
    };
    int row = 0;
    for (const Case& c : cases) {
        const std::string path = "/page" + std::to_string(++row) + ".htm";
        site.Serve(path, {200, c.headers, Page});
        now = Start;
        EXPECT_EQ(Fetch(path), Page) << c.what;
        now = Start + Seconds{c.later};
        EXPECT_EQ(Fetch(path), Page) << c.what;

        std::vector<Asked> expected{{path, "", ""}};
        if (c.asksAgain)
            expected.push_back({path, c.ifNoneMatch, c.ifModifiedSince});
        std::vector<Asked> asked;
        for (const Asked& request : site.Requests())
            if (request.path == path)
                asked.push_back(request);
        EXPECT_EQ(asked, expected) << c.what;
    }
}

TEST_F(CachedFetch, ANotModifiedAnswerGivesTheKeptPageAndItsNewFreshness)
{
    site.Serve("/a.htm", {200, {{"Cache-Control", "max-age=10"}, {"ETag", "\"v1\""}}, Page});
    site.AnswerUnchangedWith({304, {{"Cache-Control", "max-age=100"}, {"ETag", "\"v1\""}}, ""});
    EXPECT_EQ(Fetch("/a.htm"), Page);
    now += Seconds{20};
    EXPECT_EQ(Fetch("/a.htm"), Page);
    now += Seconds{90};  // fresh for 100 seconds from the 304
    EXPECT_EQ(Fetch("/a.htm"), Page);
    EXPECT_EQ(site.Requests().size(), 2u);
    now += Seconds{20};
    EXPECT_EQ(Fetch("/a.htm"), Page);
    EXPECT_EQ(site.Requests().size(), 3u);
}

TEST_F(CachedFetch, AChangedPageReplacesTheKeptOne)
{
    site.Serve("/a.htm", {200, {{"Cache-Control", "max-age=10"}, {"ETag", "\"v1\""}}, Page});
    EXPECT_EQ(Fetch("/a.htm"), Page);
    site.Serve("/a.htm", {200, {{"Cache-Control", "max-age=10"}, {"ETag", "\"v2\""}}, "changed"});
    now += Seconds{20};
    EXPECT_EQ(Fetch("/a.htm"), "changed");
    EXPECT_EQ(Fetch("/a.htm"), "changed");
    EXPECT_EQ(site.Requests(), (std::vector<Asked>{{"/a.htm", "", ""}, {"/a.htm", "\"v1\"", ""}}));
}

TEST_F(CachedFetch, ANotModifiedAnswerAboutAnotherCopyFetchesThePageItself)
{
    site.Serve("/a.htm", {200, {{"Cache-Control", "no-cache"}, {"ETag", "\"v1\""}}, Page});
    site.AnswerUnchangedWith({304, {{"ETag", "\"v9\""}}, ""});
    EXPECT_EQ(Fetch("/a.htm"), Page);
    EXPECT_EQ(Fetch("/a.htm"), Page);
    EXPECT_EQ(site.Requests(),
              (std::vector<Asked>{{"/a.htm", "", ""}, {"/a.htm", "\"v1\"", ""}, {"/a.htm", "", ""}}));
}

TEST_F(CachedFetch, AFailedCheckFailsInsteadOfShowingTheKeptPage)
{
    site.Serve("/a.htm", {200, {{"Cache-Control", "max-age=10"}, {"ETag", "\"v1\""}}, Page});
    EXPECT_EQ(Fetch("/a.htm"), Page);
    site.Stop();
    now += Seconds{20};
    EXPECT_THROW(Fetch("/a.htm"), FetchError);
}

TEST_F(CachedFetch, TheLeastRecentlyUsedPageMakesRoom)
{
    // Room for two of these pages and not three.
    HttpCache small(2 * 10'000 + 2'000, [this] { return now; });
    for (const char* path : {"/a.htm", "/b.htm", "/c.htm"})
        site.Serve(path, {200, {{"Cache-Control", "max-age=60"}}, std::string(10'000, path[1])});
    const auto fetch = [&](const char* path) {
        const std::size_t before = site.Requests().size();
        EXPECT_EQ(FetchPageText(small, site.Address(path)), std::string(10'000, path[1]));
        return site.Requests().size() > before ? "asked" : "kept";
    };
    EXPECT_STREQ(fetch("/a.htm"), "asked");
    EXPECT_STREQ(fetch("/b.htm"), "asked");
    EXPECT_STREQ(fetch("/a.htm"), "kept");
    EXPECT_STREQ(fetch("/c.htm"), "asked");  // b goes
    EXPECT_STREQ(fetch("/a.htm"), "kept");
    EXPECT_STREQ(fetch("/b.htm"), "asked");  // c goes
    EXPECT_STREQ(fetch("/a.htm"), "kept");
    EXPECT_LE(small.UsedBytes(), 2 * 10'000 + 2'000u);
}

TEST_F(CachedFetch, ARedirectedPageIsNotKept)
{
    site.Serve("/old.htm", {301, {{"Location", site.Address("/new.htm")}}, ""});
    site.Serve("/new.htm", {200, {{"Cache-Control", "max-age=60"}}, Page});
    EXPECT_EQ(Fetch("/old.htm"), Page);
    EXPECT_EQ(Fetch("/old.htm"), Page);
    EXPECT_EQ(site.Requests().size(), 4u);
}

// The loader through the program's own cache: the fragment and status line are the
// same whether the page came from the site, from the cache, or from a 304.
TEST(ListingPageCache, TheLoaderCutsTheSameWhicheverWayThePageCame)
{
    unsetenv("http_proxy");
    ListingPageCache().Clear();
    CachingSite site;
    const std::string page = ToGbk("<li class=\"p_total\">12页<div id=\"catalog\"><a target=\"_blank\">书</a></div>\n"
                                   "<div id=\"pages\">")
                             + std::string(1, '\0') + "after";
    site.Serve("/fresh.htm", {200, {{"Cache-Control", "max-age=600"}}, page});
    site.Serve("/checked.htm", {200, {{"Cache-Control", "no-cache"}, {"ETag", "\"v1\""}}, page});
    CurrentPageNumber = 2;
    for (const char* path : {"/fresh.htm", "/checked.htm"}) {
        const std::string address = site.Address(path);
        const std::string fetched = LoadListingPage(address);
        const std::string status = StatusLine;
        EXPECT_EQ(fetched, ToGbk("<div id=\"catalog\"><a target=\"_11111\">书</a></div>")) << path;
        EXPECT_EQ(status, ToGbk("当前第 2 页   共  12   页")) << path;
        StatusLine.clear();
        CurrentListingAddress.clear();
        EXPECT_EQ(LoadListingPage(address), fetched) << path;
        EXPECT_EQ(StatusLine, status) << path;
        EXPECT_EQ(CurrentListingAddress, address) << path;
    }
    EXPECT_EQ(site.Requests(), (std::vector<Asked>{{"/fresh.htm", "", ""},
                                                   {"/checked.htm", "", ""},
                                                   {"/checked.htm", "\"v1\"", ""}}));
    ListingPageCache().Clear();
    ResetSharedState();
}

}  // namespace

TEST_F(CachedFetch, PageAfterPageGoesOverOneConnectionAndOverANewOneOnceTheSiteClosedIt)
{
    site.Serve("/a.htm", {200, {}, Page});  // no caching headers: asked for every time
    EXPECT_EQ(Fetch("/a.htm"), Page);
    EXPECT_EQ(Fetch("/a.htm"), Page);
    site.CloseKeptConnections();
    EXPECT_EQ(Fetch("/a.htm"), Page);

    const std::vector<int> ports = site.ClientPorts();
    ASSERT_EQ(ports.size(), 3u);
    EXPECT_EQ(ports[0], ports[1]);
    EXPECT_NE(ports[1], ports[2]);
}

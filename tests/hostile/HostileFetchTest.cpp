// Fetch and cut against a site that misbehaves, with short fetch bounds.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalogue/Gbk.h"
#include "navigation/NavigationState.h"
#include "retrieval/FetchPageText.h"
#include "retrieval/ListingPageLoader.h"
#include "retrieval/StatusLine.h"
#include "tests/hostile/HostileSite.h"
#include "tests/support/CatalogueFixture.h"

namespace {

using namespace std::chrono_literals;

// A silent or dripping server fails within seconds instead of minutes.
constexpr FetchLimits Quick{.connectTimeoutSeconds = 2, .stallSeconds = 1, .totalTimeoutSeconds = 3,
                            .maxBodyBytes = 1u << 20, .maxRedirects = 5};

class HostileFetch : public HostileSite {
protected:
    std::string Address(int page) const
    {
        return server.Origin() + "/txt/Wuxia/Soft_010_" + std::to_string(page) + ".htm";
    }

    // What LoadListingPage does, within the given bounds.
    std::string Load(const std::string& address, const FetchLimits& limits = Quick)
    {
        return CutListingPage(FetchPageText(address, limits), address);
    }

    // Page 1 loaded well, so that a failure has a state to leave alone.
    void LoadPageOne()
    {
        server.SetBehaviour(Serves(ListingPageFor(Address(1))));
        CurrentPageNumber = 1;
        ASSERT_EQ(Load(Address(1)), FragmentFor(Address(1)));
        ASSERT_EQ(StatusLine, ToGbk("当前第 1 页   共  5   页"));
    }

    void ExpectPageOneStillCurrent()
    {
        EXPECT_EQ(CurrentListingAddress, Address(1));
        EXPECT_EQ(StatusLine, ToGbk("当前第 1 页   共  5   页"));
    }
};

TEST_F(HostileFetch, FailedFetchesChangeNothingAndTheNextLoadWorks)
{
    const std::string page = ListingPageFor("x");
    // Where the redirects to other schemes point: a followed one would connect here.
    HostileServer witness(SaysNothing());
    const std::string witnessHost = witness.Origin().substr(std::string("http://").size());
    const struct {
        const char* what;
        HostileServer::Behaviour behaviour;
    } cases[] = {
        {"accepts and sends nothing", SaysNothing()},
        {"drips a byte every 300 ms", Drips(page, 300ms)},
        {"resets in mid-body", ResetsMidBody(page)},
        {"sends less than its Content-Length", FallsShortOfItsLength(page)},
        {"sends a body without end", SendsForever()},
        {"sends headers without end", SendsHeadersForever()},
        {"answers without a status line", AnswersWithoutAStatusLine(page)},
        {"redirects to itself", RedirectsToItself()},
        {"redirects to file://", RedirectsTo("file:///etc/passwd")},
        {"redirects to ftp://", RedirectsTo("ftp://" + witnessHost + "/list.htm")},
        {"redirects to dict://", RedirectsTo("dict://" + witnessHost + "/d:list")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        LoadPageOne();
        CurrentPageNumber = 2;
        server.SetBehaviour(c.behaviour);
        EXPECT_THROW(Load(Address(2)), FetchError);
        ExpectPageOneStillCurrent();

        server.SetBehaviour(Serves(ListingPageFor(Address(2))));
        EXPECT_EQ(Load(Address(2)), FragmentFor(Address(2)));
        EXPECT_EQ(CurrentListingAddress, Address(2));
        EXPECT_EQ(StatusLine, ToGbk("当前第 2 页   共  5   页"));
    }
    EXPECT_EQ(witness.Connections(), 0);
}

TEST_F(HostileFetch, OddButWholeResponsesGiveTheWholePage)
{
    const std::string page = ListingPageFor(Address(3));
    const struct {
        const char* what;
        HostileServer::Behaviour behaviour;
    } cases[] = {
        {"a byte per read, markers split", Serves(page, 1)},
        {"HTTP/1.0, ended by the close", ServesUntilClose(page)},
        {"chunked, 7 bytes a chunk", ServesChunked(page, 7)},
        {"chunked, a byte a chunk", ServesChunked(page, 1)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        server.SetBehaviour(c.behaviour);
        CurrentPageNumber = 3;
        const std::string text = FetchPageText(Address(3), Quick);
        EXPECT_EQ(text, page);
        EXPECT_EQ(CutListingPage(text, Address(3)), FragmentFor(Address(3)));
        EXPECT_EQ(CurrentListingAddress, Address(3));
        EXPECT_EQ(StatusLine, ToGbk("当前第 3 页   共  5   页"));
    }
}

TEST_F(HostileFetch, AnUnaskedGzipBodyIsTakenAsTheBytesSent)
{
    const std::string compressed = Gzip(ListingPageFor(Address(1)));
    server.SetBehaviour(ServesGzipped(compressed));
    CurrentPageNumber = 1;
    const std::string text = FetchPageText(Address(1), Quick);
    EXPECT_EQ(text, compressed.substr(0, compressed.find('\0')));
    const std::string head = server.Requests().back();
    EXPECT_EQ(head.find("Accept-Encoding"), std::string::npos) << head;

    CutListingPage(text, Address(1));
    EXPECT_EQ(CurrentListingAddress, Address(1));
}

TEST_F(HostileFetch, RedirectsAreFollowedToAnotherServerButNotForever)
{
    HostileServer other(Serves(ListingPageFor("moved")));
    server.SetBehaviour(RedirectsTo(other.Origin() + "/moved.htm"));
    CurrentPageNumber = 4;
    EXPECT_EQ(Load(Address(4)), FragmentFor("moved"));
    EXPECT_EQ(CurrentListingAddress, Address(4));
    ASSERT_EQ(other.Requests().size(), 1u);
    EXPECT_EQ(other.Requests()[0].rfind("GET /moved.htm ", 0), 0u) << other.Requests()[0];

    server.SetBehaviour(RedirectsToItself());
    const std::size_t before = server.Requests().size();
    EXPECT_THROW(FetchPageText(Address(5), Quick), FetchError);
    EXPECT_EQ(server.Requests().size() - before, static_cast<std::size_t>(Quick.maxRedirects + 1));
}

TEST_F(HostileFetch, ATenMegabytePageFailsOverTheCapAndArrivesWholeUnderIt)
{
    const std::string entry = ToGbk("<a href=\"/b.htm\" target=\"_blank\">书</a>\n");
    std::string list, shown;
    while (list.size() < 10u << 20) {
        list += entry;
        shown += ToGbk("<a href=\"/b.htm\" target=\"_11111\">书</a>\n");
    }
    const std::string page = ToGbk("<li class=\"p_total\">900页<div id=\"catalog\">") + list + "</div>\n<div id=\"pages\">";

    LoadPageOne();
    server.SetBehaviour(Serves(page));
    CurrentPageNumber = 2;
    FetchLimits limits = Quick;
    limits.totalTimeoutSeconds = 60;  // a slow machine must not fail the whole-page half
    limits.maxBodyBytes = 1u << 20;
    EXPECT_THROW(Load(Address(2), limits), FetchError);
    ExpectPageOneStillCurrent();

    limits.maxBodyBytes = 16u << 20;
    const std::string text = FetchPageText(Address(2), limits);
    EXPECT_EQ(text.size(), page.size());
    EXPECT_TRUE(text == page);
    const std::string fragment = CutListingPage(text, Address(2));
    EXPECT_TRUE(fragment == ToGbk("<div id=\"catalog\">") + shown + "</div>") << fragment.size();
    EXPECT_EQ(StatusLine, ToGbk("当前第 2 页   共  900   页"));
}

TEST_F(HostileFetch, HostileBytesPassThroughTheCutUntouched)
{
    const struct {
        const char* what;
        std::string total, list, fragment;
    } cases[] = {
        {"quotes, backslashes, script elements and a line separator", "7",
         // U+2028 has no GBK code; these are its GB18030 bytes, which a site may send.
         "<div id=\"catalog\"><a href=\"/a.htm\" target=\"_blank\" title='it\\'s \"q\"'>\\ \\\\ \\\"</a>"
         "</script><script>alert(\"x\")</script><script src=\"/evil.js\"></script>\x81\x36\xA6\x35</div>",
         "<div id=\"catalog\"><a href=\"/a.htm\" target=\"_11111\" title='it\\'s \"q\"'>\\ \\\\ \\\"</a>"
         "</script><script>alert(\"x\")</script><script src=\"/evil.js\"></script>\x81\x36\xA6\x35</div>"},
        // A lead byte takes the next byte along, so a "blank" after one is no
        // occurrence; bytes that open no character do not.
        {"invalid GBK", "7\xB0",
         "<div id=\"catalog\">\x81" "blank \xFF\x80" "blank \x80" "blank\xFE",
         "<div id=\"catalog\">\x81" "blank \xFF\x80" "11111 \x80" "11111\xFE"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string page = "\xB0<html><li class=\"p_total\">" + c.total + "\xD2\xB3</li>\n" + c.list
                                 + "\n<div id=\"pages\">1</div></html>\xFE";
        server.SetBehaviour(Serves(page, 1));
        CurrentPageNumber = 1;
        EXPECT_EQ(Load(Address(1)), c.fragment);
        // "当前第 1 页   共  " + total + "   页"
        EXPECT_EQ(StatusLine, "\xB5\xB1\xC7\xB0\xB5\xDA 1 \xD2\xB3   \xB9\xB2  " + c.total + "   \xD2\xB3");
        EXPECT_EQ(CurrentListingAddress, Address(1));
    }
}

}  // namespace

#include "retrieval/ListingPageLoader.h"

#include <gtest/gtest.h>

#include "catalogue/Gbk.h"
#include "navigation/CategoryTable.h"
#include "navigation/NavigationState.h"
#include "retrieval/FetchPageText.h"
#include "retrieval/StatusLine.h"
#include "tests/support/CatalogueFixture.h"

namespace {

const std::string Address = ListingBaseAddress + "/txt/Wuxia/Soft_010_1.htm";

class ListingPageLoader : public CatalogueFixture {
protected:
    std::string Load(const std::string& body, int status = 200)
    {
        server.Serve(Address, {status, body, {}});
        return LoadListingPage(Address);
    }
};

TEST_F(ListingPageLoader, CutsTheWorkedExample)
{
    CurrentPageNumber = 1;
    std::vector<std::string> shown;
    StatusLineChanged = [&](const std::string& text) { shown.push_back(text); };

    const std::string fragment = Load(ToGbk(
        "<html><ul><li class=\"p_total\">共12页</li></ul>\n"
        "<div id=\"catalog\"><a href=\"/txt/Wuxia/1.htm\" target=\"_blank\">书</a></div>\n"
        "<div id=\"pages\">1 2 3</div></html>"));

    EXPECT_EQ(fragment, ToGbk("<div id=\"catalog\"><a href=\"/txt/Wuxia/1.htm\" target=\"_11111\">书</a></div>"));
    EXPECT_EQ(StatusLine, ToGbk("当前第 1 页   共  共12   页"));
    EXPECT_EQ(shown, std::vector<std::string>{StatusLine});
    EXPECT_EQ(CurrentListingAddress, Address);
    EXPECT_EQ(server.Requests(), std::vector<std::string>{Address});
}

TEST_F(ListingPageLoader, CutsWhateverTheMarkersLeave)
{
    struct Case {
        const char* what;
        std::string page;  // UTF-8, sent as GBK
        int pageNumber;
        std::string fragment, statusLine;
    };
    const Case cases[] = {
        {"no total-count marker: its length less one goes from the front",
         "0123456789012345678共7页<div id=\"catalog\">x</div>\n<div id=\"pages\">", 2,
         "<div id=\"catalog\">x</div>", "当前第 2 页   共  共7   页"},
        {"no page word: empty total",
         "<li class=\"p_total\">seven<div id=\"catalog\">x</div>\n<div id=\"pages\">", 1,
         "<div id=\"catalog\">x</div>", "当前第 1 页   共     页"},
        {"no list-start marker: the list runs from where the total was cut",
         "<li class=\"p_total\">3页 items\n<div id=\"pages\">", 1, "3页 items", "当前第 1 页   共  3   页"},
        {"no list-end marker: the list runs to the end",
         "<li class=\"p_total\">3页<div id=\"catalog\">x</div>tail", 1, "<div id=\"catalog\">x</div>tail",
         "当前第 1 页   共  3   页"},
        {"list-end marker right at the start: nothing cut at the end",
         "<li class=\"p_total\"><div id=\"pages\">页", 1, "<div id=\"pages\">页", "当前第 1 页   共  <div id=\"pages\">   页"},
        {"not-found wording inside the first 19 bytes is cut into and stays",
         "<html><title>没有找到您要访问的页面</title></html>", 3, "到您要访问的页面</title></html>",
         "当前第 3 页   共  到您要访问的   页"},
        {"not-found wording later on replaces fragment and status line",
         "<li class=\"p_total\">9页<div id=\"catalog\">没有找到您要访问的页面</div>", 4, "没有找到您要访问的页面",
         "没有找到您要访问的页面"},
        {"an empty page", "", 1, "", "当前第 1 页   共     页"},
        {"blank is replaced inside words, not in upper case",
         "<li class=\"p_total\">1页<div id=\"catalog\">blanket BLANK _blank</div>", 1,
         "<div id=\"catalog\">11111et BLANK _11111</div>", "当前第 1 页   共  1   页"},
    };
    for (const auto& c : cases) {
        CurrentPageNumber = c.pageNumber;
        EXPECT_EQ(Load(ToGbk(c.page)), ToGbk(c.fragment)) << c.what;
        EXPECT_EQ(StatusLine, ToGbk(c.statusLine)) << c.what;
        EXPECT_EQ(CurrentListingAddress, Address) << c.what;
    }
}

TEST_F(ListingPageLoader, ReplacesBlankAlongALongListAsCharactersFall)
{
    // Words at every offset across many blocks of the scan; after one lead byte a
    // "blank" begins on a trail byte and stays, after two it begins a character.
    std::string list = ToGbk("<div id=\"catalog\">");
    std::string expected = list;
    for (int k = 0; k < 300; ++k) {
        const std::string before = std::string(static_cast<std::size_t>(k % 70), 'x') + std::string(k % 3, '\x81');
        list += before + "blank";
        expected += before + (k % 3 == 1 ? "blank" : "11111");
    }
    CurrentPageNumber = 1;
    EXPECT_EQ(Load(ToGbk("<li class=\"p_total\">7页") + list + "\n" + ToGbk("<div id=\"pages\">")), expected);
    EXPECT_EQ(StatusLine, ToGbk("当前第 1 页   共  7   页"));
}

TEST_F(ListingPageLoader, EndsThePageAtItsFirstNul)
{
    CurrentPageNumber = 1;
    const std::string page = ToGbk("<li class=\"p_total\">2页<div id=\"catalog\">x</div>") + std::string(1, '\0')
                             + "<div id=\"pages\">";
    EXPECT_EQ(Load(page), "<div id=\"catalog\">x</div>");
}

TEST_F(ListingPageLoader, TakesTheBodyOfAnErrorStatus)
{
    CurrentPageNumber = 6;
    EXPECT_EQ(Load(ToGbk("<li class=\"p_total\">5页<div id=\"catalog\">没有找到您要访问的页面</div>"), 404),
              ToGbk("没有找到您要访问的页面"));
    EXPECT_EQ(StatusLine, ToGbk("没有找到您要访问的页面"));
}

TEST_F(ListingPageLoader, FollowsRedirects)
{
    const std::string moved = ListingBaseAddress + "/moved.htm";
    server.Serve(Address, {302, "", {{"Location", moved}}});
    server.Serve(moved, {200, ListingPageFor(Address), {}});
    EXPECT_EQ(LoadListingPage(Address), FragmentFor(Address));
    EXPECT_EQ(server.Requests(), (std::vector<std::string>{Address, moved}));
    EXPECT_EQ(CurrentListingAddress, Address);
}

TEST_F(ListingPageLoader, FailedFetchChangesNothing)
{
    CurrentListingAddress = "before";
    StatusLine = "status";
    BreakTheProxy();
    try {
        LoadListingPage(Address);
        FAIL() << "fetch through a dead proxy succeeded";
    } catch (const FetchError& error) {
        EXPECT_NE(std::string(error.what()).find(Address), std::string::npos) << error.what();
    }
    EXPECT_EQ(CurrentListingAddress, "before");
    EXPECT_EQ(StatusLine, "status");
}

TEST_F(ListingPageLoader, RefusedConnectionFailsWithTheReason)
{
    unsetenv("http_proxy");
    try {
        FetchPageText("http://127.0.0.1:9/txt/Wuxia/Soft_010_1.htm");
        FAIL() << "fetch from a closed port succeeded";
    } catch (const FetchError& error) {
        EXPECT_EQ(std::string(error.what()).rfind("cannot fetch http://127.0.0.1:9/txt/Wuxia/Soft_010_1.htm: ", 0), 0u)
            << error.what();
    }
}

}  // namespace

// The navigator against a misbehaving site, within the program's own fetch bounds:
// only misbehaviour that fails fast at those bounds is tried here.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "catalogue/Gbk.h"
#include "navigation/CategoryTable.h"
#include "navigation/ListingNavigator.h"
#include "navigation/NavigationState.h"
#include "retrieval/StatusLine.h"
#include "tests/hostile/HostileSite.h"
#include "tests/support/CatalogueFixture.h"

namespace {

class RecordingPane : public ListingPane {
public:
    void ShowListingHtml(const std::string& fragment) override { shown.push_back(fragment); }
    void ShowConnectionNotice() override { shown.push_back("notice"); }

    std::vector<std::string> shown;
};

std::string WuxiaPage(int page)
{
    return ListingBaseAddress + "/txt/Wuxia/Soft_010_" + std::to_string(page) + ".htm";
}

class HostileNavigation : public HostileSite {
protected:
    void SetUp() override
    {
        HostileSite::SetUp();
        // The compiled-in site address reaches the hostile server as its proxy.
        setenv("http_proxy", server.Origin().c_str(), 1);
    }

    RecordingPane pane;
};

TEST_F(HostileNavigation, AFailedFetchShowsTheNoticeAndTheNextCommandWorks)
{
    const std::string page = ListingPageFor("x");
    const struct {
        const char* what;
        HostileServer::Behaviour behaviour;
    } cases[] = {
        {"resets in mid-body", ResetsMidBody(page)},
        {"sends less than its Content-Length", FallsShortOfItsLength(page)},
        {"sends a body without end", SendsForever()},
        {"answers without a status line", AnswersWithoutAStatusLine(page)},
        {"redirects to itself", RedirectsToItself()},
        {"redirects to file://", RedirectsTo("file:///etc/passwd")},
    };
    const std::string pageOneStatus = ToGbk("当前第 1 页   共  5   页");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        server.SetBehaviour(Serves(ListingPageFor(WuxiaPage(1))));
        ChooseCategory(pane, 5);  // 武侠仙侠
        ASSERT_EQ(pane.shown.back(), FragmentFor(WuxiaPage(1)));

        server.SetBehaviour(c.behaviour);
        NextPage(pane);
        EXPECT_EQ(pane.shown.back(), "notice");
        // Page and address moved before the load, the status line did not.
        EXPECT_EQ(CurrentPageNumber, 2);
        EXPECT_EQ(CurrentListingAddress, WuxiaPage(2));
        EXPECT_EQ(StatusLine, pageOneStatus);

        pane.shown.clear();
        ChooseCategory(pane, 3);  // 玄幻小说: its first page never arrives
        EXPECT_EQ(pane.shown, std::vector<std::string>{"notice"});
        EXPECT_EQ(CurrentPageNumber, 1);
        EXPECT_EQ(CurrentListingAddress, WuxiaPage(2));
        EXPECT_EQ(StatusLine, pageOneStatus);

        // So the next page steps from page 1 of the category last loaded.
        server.SetBehaviour(Serves(ListingPageFor(WuxiaPage(2))));
        NextPage(pane);
        EXPECT_EQ(pane.shown.back(), FragmentFor(WuxiaPage(2)));
        EXPECT_EQ(CurrentListingAddress, WuxiaPage(2));
        EXPECT_EQ(StatusLine, ToGbk("当前第 2 页   共  5   页"));
    }
}

TEST_F(HostileNavigation, AnOddButWholePageIsShownAsSent)
{
    // Quotes, a closing script tag, a script element and a dangling lead byte.
    const std::string list = "<div id=\"catalog\">\"'\\</script><script>alert(1)</script>\xB0";
    const std::string page = ToGbk("<li class=\"p_total\">8页") + list + "\n<div id=\"pages\">";
    server.SetBehaviour(ServesChunked(page, 5));
    ChooseCategory(pane, 5);
    EXPECT_EQ(pane.shown, std::vector<std::string>{list});
    EXPECT_EQ(CurrentListingAddress, WuxiaPage(1));
    EXPECT_EQ(StatusLine, ToGbk("当前第 1 页   共  8   页"));
}

}  // namespace

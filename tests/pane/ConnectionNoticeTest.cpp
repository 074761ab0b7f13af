#include <functional>

#include "catalogue/Gbk.h"
#include "tests/pane/PaneTestSupport.h"
#include "ui/pane/ListingPaneWriter.h"

namespace {

struct PaneBeforeNotice {
    const char* name;
    std::function<void(TWebBrowser&)> prepare;
};

void PrintTo(const PaneBeforeNotice& before, std::ostream* out)
{
    *out << before.name;
}

class ConnectionNotice : public PaneTest, public testing::WithParamInterface<PaneBeforeNotice> {};

}  // namespace

// Written at once, the notice would land in the document the navigation is about to
// replace.
TEST_P(ConnectionNotice, IsWhatThePaneShowsOnceItsNavigationIsDone)
{
    GetParam().prepare(*pane);
    ShowConnectionNotice(*pane);
    ASSERT_TRUE(WaitUntil([&] { return pane->ReadyState() == TWebBrowser::ReadyStateComplete; }));

    const QString text = BodyText(*pane);
    EXPECT_EQ(text.count(NoticeText), 1) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("listing"))) << text.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Panes, ConnectionNotice,
    testing::Values(PaneBeforeNotice{"Fresh", [](TWebBrowser&) {}},
                    PaneBeforeNotice{"RightAfterAListing",
                                     [](TWebBrowser& pane) { ShowListingHtml(pane, ToGbk("<p>listing 列表</p>")); }},
                    PaneBeforeNotice{"RightAfterANotice", [](TWebBrowser& pane) { ShowConnectionNotice(pane); }}),
    [](const testing::TestParamInfo<PaneBeforeNotice>& info) { return std::string(info.param.name); });

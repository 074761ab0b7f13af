#include "navigation/CategoryTable.h"
#include "navigation/ListingNavigator.h"
#include "tests/pane/PaneTestSupport.h"
#include "tests/support/CatalogueFixture.h"
#include "ui/GbkText.h"

namespace {

// The navigator with the real loader behind the test proxy and a real pane.
class PaneNavigation : public CatalogueFixture {
protected:
    void SetUp() override
    {
        CatalogueFixture::SetUp();
        pane = ShownPane();
    }

    void TearDown() override
    {
        pane.reset();
        CatalogueFixture::TearDown();
    }

    std::unique_ptr<TWebBrowser> pane;
};

}  // namespace

TEST_F(PaneNavigation, ChosenCategoryIsShownLinkedIntoItsListingAndAFailedPageGivesTheNotice)
{
    const std::string address = ListingAddress(CategoryTable[4], 1);
    server.Serve(address, {200, ListingPageFor(address), {}});
    PaneAdapter adapter(*pane);

    ChooseCategory(adapter, 5);
    EXPECT_EQ(BodyHtml(*pane), GbkToQString(FragmentFor(address)));
    EXPECT_EQ(Evaluate(*pane, QStringLiteral("document.baseURI")), QVariant(GbkToQString(address)));

    BreakTheProxy();
    NextPage(adapter);
    ASSERT_TRUE(WaitUntil([&] { return pane->ReadyState() == TWebBrowser::ReadyStateComplete; }));
    EXPECT_EQ(BodyText(*pane).count(NoticeText), 1);
}

#include <QSignalSpy>
#include <QTest>

#include "catalogue/Gbk.h"
#include "navigation/CategoryTable.h"
#include "navigation/NavigationState.h"
#include "tests/pane/PaneTestSupport.h"
#include "ui/GbkText.h"
#include "ui/pane/ListingPaneWriter.h"

namespace {

struct ClickedLink {
    const char* name;
    std::string listingAddress;  // CurrentListingAddress when the fragment is written
    std::string attributes;      // of the link
    std::string reported;        // the address LinkActivated carries
};

void PrintTo(const ClickedLink& link, std::ostream* out)
{
    *out << link.name;
}

class PaneLink : public PaneTest, public testing::WithParamInterface<ClickedLink> {};

const std::string WuxiaPage2 = ListingBaseAddress + "/txt/Wuxia/Soft_010_2.htm";

}  // namespace

TEST_P(PaneLink, ClickIsReportedResolvedAgainstTheSiteAndNotFollowed)
{
    CurrentListingAddress = GetParam().listingAddress;
    const std::string fragment = "<a id=\"link\" style=\"display: block; font-size: 48px;\" " + GetParam().attributes
                                 + ">" + ToGbk("书名") + "</a>";
    ShowListingHtml(*pane, fragment);
    const QVariantList centre =
        Evaluate(*pane, QStringLiteral("var box = document.getElementById('link').getBoundingClientRect();"
                                       "[Math.round(box.left + box.width / 2), Math.round(box.top + box.height / 2)]"))
            .toList();
    ASSERT_EQ(centre.size(), 2);
    QWidget* const surface = pane->focusProxy();
    ASSERT_NE(surface, nullptr);
    QSignalSpy activated(pane.get(), &TWebBrowser::LinkActivated);

    QTest::mouseClick(surface, Qt::LeftButton, {}, QPoint(centre[0].toInt(), centre[1].toInt()));

    ASSERT_TRUE(WaitUntil([&] { return activated.count() > 0; }));
    ASSERT_TRUE(WaitUntil([&] { return !pane->page()->isLoading(); }));
    EXPECT_EQ(activated.count(), 1);
    EXPECT_EQ(activated.at(0).at(0).toUrl(), QUrl(QString::fromStdString(GetParam().reported)));
    EXPECT_EQ(pane->url(), QUrl(QStringLiteral("about:blank")));
    EXPECT_EQ(BodyHtml(*pane), GbkToQString(fragment));
}

INSTANTIATE_TEST_SUITE_P(
    Links, PaneLink,
    testing::Values(ClickedLink{"BeforeAnyListingAgainstTheSite", "", "href=\"/txt/Wuxia/123.htm\"",
                                ListingBaseAddress + "/txt/Wuxia/123.htm"},
                    ClickedLink{"RelativeToTheListing", WuxiaPage2, "href=\"124.htm\"",
                                ListingBaseAddress + "/txt/Wuxia/124.htm"},
                    // The site's own links aim at "_blank", which the loader turns into "_11111".
                    ClickedLink{"AimedAtAnotherWindow", WuxiaPage2, "href=\"/book.htm\" target=\"_11111\"",
                                ListingBaseAddress + "/book.htm"}),
    [](const testing::TestParamInfo<ClickedLink>& info) { return std::string(info.param.name); });

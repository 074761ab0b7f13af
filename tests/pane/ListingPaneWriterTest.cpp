#include <QTimer>
#include <QWebEngineSettings>

#include <stdexcept>

#include "catalogue/Gbk.h"
#include "tests/pane/PaneTestSupport.h"
#include "ui/pane/ListingPaneWriter.h"

namespace {

struct WrittenFragment {
    const char* name;
    std::string fragment;  // GBK, as the loader hands it over
    QString body;          // what the document's body then holds
};

void PrintTo(const WrittenFragment& fragment, std::ostream* out)
{
    *out << fragment.name;
}

class ListingPaneWriter : public PaneTest, public testing::WithParamInterface<WrittenFragment> {};

}  // namespace

TEST_P(ListingPaneWriter, LeavesAClosedBlankDocumentHoldingExactlyTheFragment)
{
    ShowListingHtml(*pane, GetParam().fragment);

    EXPECT_EQ(BodyHtml(*pane), GetParam().body);
    EXPECT_EQ(Evaluate(*pane, QStringLiteral("document.readyState")), QVariant(QStringLiteral("complete")));
    EXPECT_EQ(pane->url(), QUrl(QStringLiteral("about:blank")));
}

INSTANTIATE_TEST_SUITE_P(
    Fragments, ListingPaneWriter,
    testing::Values(
        WrittenFragment{"Chinese", ToGbk("<a href=\"/txt/Wuxia/1.htm\">武侠小说</a><br>第1页"),
                        QStringLiteral("<a href=\"/txt/Wuxia/1.htm\">武侠小说</a><br>第1页")},
        WrittenFragment{"Empty", "", QString()},
        WrittenFragment{"QuotesAndBackslashes", "<p title=\"a'b\">\"'\\\\n\\u0041\\\"</p>",
                        QStringLiteral("<p title=\"a'b\">\"'\\\\n\\u0041\\\"</p>")},
        // The parser drops the stray end tag and turns CR LF into LF.
        WrittenFragment{"ScriptEndTagAndControls", "<p>a</script>b\r\nc\td\x01" "e</p>",
                        QStringLiteral("<p>ab\nc\td\u0001e</p>")},
        WrittenFragment{"Entities", "<p>&lt;b&gt; &amp; &#x2028;&#x2029;</p>",
                        QStringLiteral("<p>&lt;b&gt; &amp; \u2028\u2029</p>")},
        // 0x81 followed by "<", a lone 0xFF and a lead byte at the very end are no GBK;
        // 0x80 is the euro sign in code page 936.
        WrittenFragment{"InvalidGbk", "<p>\x81</p><p>\xFF</p><p>x\x80y</p>\xB0",
                        QStringLiteral("<p>\uFFFD</p><p>\uFFFD</p><p>x\u20ACy</p>\uFFFD")}),
    [](const testing::TestParamInfo<WrittenFragment>& info) { return std::string(info.param.name); });

namespace {

// Each part of it marks the document when its script runs.
const std::string MarkingFragment =
    "<script>document.documentElement.setAttribute('data-script', 'ran')</script>"
    "<img src=\"data:,\" onerror=\"document.documentElement.setAttribute('data-onerror', 'ran')\">"
    "<img src=\"data:image/gif;base64,R0lGODlhAQABAIAAAP///wAAACH5BAEAAAAALAAAAAABAAEAAAICRAEAOw==\" "
    "onload=\"document.documentElement.setAttribute('data-onload', 'ran')\">";

// The marks, once both images are done and the document's load is over.
QString MarksAfterLoad(TWebBrowser& pane)
{
    EXPECT_TRUE(WaitUntil([&] {
        return Evaluate(pane, QStringLiteral("document.readyState == 'complete'"
                                             " && Array.from(document.images).every(function (i) { return i.complete; })"))
               == QVariant(true);
    }));
    return Evaluate(pane, QStringLiteral("['data-script', 'data-onerror', 'data-onload'].map(function (name) {"
                                         "  return document.documentElement.getAttribute(name); }).join(' ')"))
        .toString();
}

}  // namespace

TEST_F(PaneTest, ScriptsInsideAFragmentNeverRun)
{
    // With page scripts on, the same fragment marks the document: the marks do show.
    const auto control = ShownPane();
    control->page()->settings()->setAttribute(QWebEngineSettings::JavascriptEnabled, true);
    ShowListingHtml(*control, MarkingFragment);
    ASSERT_EQ(MarksAfterLoad(*control), QStringLiteral("ran ran ran"));

    ShowListingHtml(*pane, MarkingFragment);
    EXPECT_EQ(MarksAfterLoad(*pane), QStringLiteral("  "));
}

TEST_F(PaneTest, ListingWrittenRightAfterTheNoticeIsShownAndTheNoticeIsNot)
{
    ShowConnectionNotice(*pane);
    ShowListingHtml(*pane, ToGbk("<p>第2页</p>"));

    EXPECT_EQ(BodyHtml(*pane), QStringLiteral("<p>第2页</p>"));
    // Anything the dropped notice might still do has been given its chance.
    ASSERT_TRUE(WaitUntil([&] { return !pane->page()->isLoading(); }));
    EXPECT_EQ(BodyHtml(*pane), QStringLiteral("<p>第2页</p>"));
}

TEST_F(PaneTest, ListingStartedDuringTheWaitIsWrittenAndThenTheInterruptedOneWins)
{
    bool innerShown = false;
    std::string innerFailure;
    QTimer::singleShot(0, pane.get(), [&] {
        try {
            ShowListingHtml(*pane, "<p>inner</p>");
            innerShown = BodyHtml(*pane) == QStringLiteral("<p>inner</p>");
        } catch (const std::exception& failure) {
            innerFailure = failure.what();
        }
    });
    ShowListingHtml(*pane, "<p>outer</p>");

    EXPECT_EQ(innerFailure, "");
    EXPECT_TRUE(innerShown);
    EXPECT_EQ(BodyHtml(*pane), QStringLiteral("<p>outer</p>"));
}

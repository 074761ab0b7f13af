#include <QCoreApplication>
#include <QEvent>

#include "tests/pane/PaneTestSupport.h"

// The page queues its load signals; one of an earlier navigation can still be on its
// way when the next navigation starts.
TEST_F(PaneTest, LoadFinishedOfAnEarlierNavigationDoesNotCompleteTheNextOne)
{
    QWebEnginePage* const page = pane->page();
    QMetaObject::invokeMethod(
        page, [page] { emit page->loadFinished(true); }, Qt::QueuedConnection);
    pane->Navigate("about:blank");
    QCoreApplication::sendPostedEvents(page, QEvent::MetaCall);
    EXPECT_EQ(pane->ReadyState(), TWebBrowser::ReadyStateLoading);

    ASSERT_TRUE(WaitUntil([&] { return pane->ReadyState() == TWebBrowser::ReadyStateComplete; }));
    EXPECT_TRUE(pane->Document().has_value());
}

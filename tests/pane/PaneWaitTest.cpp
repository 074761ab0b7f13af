#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

#include <signal.h>

#include <stdexcept>

#include "tests/pane/PaneTestSupport.h"
#include "ui/pane/ListingPaneWriter.h"

namespace {

// Takes the Quit event off the application after the pane has seen it, so that the
// test program goes on.
class QuitSwallower : public QObject {
protected:
    bool eventFilter(QObject*, QEvent* event) override { return event->type() == QEvent::Quit; }
};

}  // namespace

TEST_F(PaneTest, PaneDestroyedDuringTheWaitFailsTheWrite)
{
    TWebBrowser& doomed = *pane;
    QTimer::singleShot(0, [&] { pane.reset(); });

    EXPECT_THROW(ShowListingHtml(doomed, "<p>x</p>"), std::runtime_error);
    EXPECT_EQ(pane, nullptr);
}

TEST_F(PaneTest, QuitDuringTheWaitFailsTheWriteAndLeavesThePaneUsable)
{
    QuitSwallower swallower;
    QCoreApplication::instance()->installEventFilter(&swallower);
    // What quit() and the closing of the last window send.
    QTimer::singleShot(0, [] {
        QEvent quit(QEvent::Quit);
        QCoreApplication::sendEvent(QCoreApplication::instance(), &quit);
    });

    EXPECT_THROW(ShowListingHtml(*pane, "<p>x</p>"), std::runtime_error);
    QCoreApplication::instance()->removeEventFilter(&swallower);

    ShowListingHtml(*pane, "<p>after</p>");
    EXPECT_EQ(BodyHtml(*pane), QStringLiteral("<p>after</p>"));
}

TEST_F(PaneTest, RendererDeathDuringTheWaitNeverPassesForAShownListing)
{
    ShowListingHtml(*pane, "<p>before</p>");
    const qint64 renderer = pane->page()->renderProcessPid();
    ASSERT_GT(renderer, 0);
    ASSERT_NE(renderer, QCoreApplication::applicationPid());
    QTimer::singleShot(0, [renderer] { ::kill(static_cast<pid_t>(renderer), SIGKILL); });

    try {
        ShowListingHtml(*pane, "<p>during</p>");
        // Only if a new renderer took over in time may it return.
        EXPECT_EQ(BodyHtml(*pane), QStringLiteral("<p>during</p>"));
    } catch (const std::runtime_error&) {
    }

    ShowListingHtml(*pane, "<p>after</p>");
    EXPECT_EQ(BodyHtml(*pane), QStringLiteral("<p>after</p>"));
}

#include "ui/pane/PaneWait.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>

#include <stdexcept>

#include "ui/pane/TWebBrowser.h"

namespace {

// For the length of one wait, notices what must end it early.
class PaneWatch : public QObject {
public:
    explicit PaneWatch(TWebBrowser& browser) : browser_(&browser)
    {
        QCoreApplication::instance()->installEventFilter(this);
        connect(browser.page(), &QWebEnginePage::renderProcessTerminated, this, [this] { rendererGone_ = true; });
    }

    ~PaneWatch() override { QCoreApplication::instance()->removeEventFilter(this); }

    PaneWatch(const PaneWatch&) = delete;
    PaneWatch& operator=(const PaneWatch&) = delete;

    void ThrowIfInterrupted() const
    {
        if (!browser_)
            throw std::runtime_error("the listing pane was destroyed while it was being written");
        if (rendererGone_)
            throw std::runtime_error("the listing pane's renderer process has ended");
        if (quitRequested_)
            throw std::runtime_error("the program is quitting");
    }

protected:
    // Both quit() and the closing of the last window arrive as a Quit event.
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == QCoreApplication::instance() && event->type() == QEvent::Quit)
            quitRequested_ = true;
        return false;
    }

private:
    QPointer<TWebBrowser> browser_;
    bool rendererGone_ = false;
    bool quitRequested_ = false;
};

}  // namespace

void WaitForPane(TWebBrowser& browser, QEventLoop::ProcessEventsFlags flags, const std::function<bool()>& done)
{
    const PaneWatch watch(browser);
    for (;;) {
        watch.ThrowIfInterrupted();
        if (done())
            return;
        // Sleeping until the next event is the thread's yield: whatever ends the
        // wait arrives as an event, and the renderer wants the core meanwhile.
        QCoreApplication::processEvents(flags | QEventLoop::WaitForMoreEvents);
    }
}

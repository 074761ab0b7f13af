#include "tests/pane/PaneTestSupport.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTest>

#include <optional>

#include "navigation/NavigationState.h"
#include "ui/pane/ListingPaneWriter.h"

const QString NoticeText = QStringLiteral("程序连接错误，请从新打开程序");

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds deadline)
{
    const QDeadlineTimer timer(deadline);
    while (!condition()) {
        if (timer.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QTest::qSleep(1);
    }
    return true;
}

std::unique_ptr<TWebBrowser> ShownPane()
{
    auto pane = std::make_unique<TWebBrowser>();
    pane->resize(800, 600);
    pane->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(pane.get()));
    return pane;
}

QVariant Evaluate(TWebBrowser& pane, const QString& script)
{
    auto answer = std::make_shared<std::optional<QVariant>>();
    pane.RunScript(script, [answer](const QVariant& value) { *answer = value; });
    if (!WaitUntil([&] { return answer->has_value(); })) {
        ADD_FAILURE() << "no answer from the pane to " << script.left(80).toStdString();
        return {};
    }
    return **answer;
}

QString BodyHtml(TWebBrowser& pane)
{
    return Evaluate(pane, QStringLiteral("document.body.innerHTML")).toString();
}

QString BodyText(TWebBrowser& pane)
{
    return Evaluate(pane, QStringLiteral("document.body.innerText")).toString();
}

void PaneAdapter::ShowListingHtml(const std::string& fragment)
{
    ::ShowListingHtml(pane_, fragment);
}

void PaneAdapter::ShowConnectionNotice()
{
    ::ShowConnectionNotice(pane_);
}

void PaneTest::SetUp()
{
    CurrentListingAddress.clear();
    CurrentPageNumber = 0;
    pane = ShownPane();
}

void PaneTest::TearDown()
{
    pane.reset();
    CurrentListingAddress.clear();
    CurrentPageNumber = 0;
}

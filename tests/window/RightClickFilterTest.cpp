#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QTest>
#include <QWheelEvent>

#include <optional>
#include <utility>
#include <vector>

#include "tests/window/WindowTestSupport.h"
#include "ui/window/RightClickFilter.h"

namespace {

using Seen = std::pair<QEvent::Type, Qt::MouseButton>;

// Records the mouse events that reach one widget, after every application-wide filter.
class MouseWatcher : public QObject {
public:
    explicit MouseWatcher(QWidget* widget) { widget->installEventFilter(this); }
    std::vector<Seen> seen;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            seen.emplace_back(event->type(), static_cast<QMouseEvent*>(event)->button());
            break;
        case QEvent::Wheel:
            seen.emplace_back(event->type(), Qt::NoButton);
            break;
        default:
            break;
        }
        return false;
    }
};

// Delivers a mouse event through the application, as the window system's would be.
void Deliver(QWidget* widget, QEvent::Type type, Qt::MouseButton button, std::optional<QPointF> point = {})
{
    const QPointF at = point.value_or(QRectF(widget->rect()).center());
    if (type == QEvent::Wheel) {
        QWheelEvent wheel(at, widget->mapToGlobal(at), {}, {0, -120}, Qt::NoButton, {}, Qt::NoScrollPhase, false);
        QApplication::sendEvent(widget, &wheel);
        return;
    }
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent mouse(type, at, widget->mapToGlobal(at), button, held, {});
    QApplication::sendEvent(widget, &mouse);
}

bool AMenuIsOpen()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<QMenu*>(widget) && widget->isVisible())
            return true;
    }
    return false;
}

class RightClickFilterTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        QTest::mouseClick(form->suiButton1, Qt::LeftButton);
        ASSERT_TRUE(PaneShows(*form->WebBrowser1, QStringLiteral("Soft_047_1.htm")));
    }

    // The widget that takes the pane's mouse input.
    QWidget* Surface()
    {
        QWidget* pane = form->WebBrowser1;
        return pane->childAt(pane->rect().center()) ? pane->childAt(pane->rect().center()) : pane;
    }
};

TEST_F(RightClickFilterTest, IsInstalledOnceForTheWholeRun)
{
    ASSERT_TRUE(MouseHookHandle);
    MouseHook* const installed = MouseHookHandle;
    TForm1 second;
    EXPECT_EQ(MouseHookHandle, installed);
}

TEST_F(RightClickFilterTest, RightPressAndReleaseNeverReachThePane)
{
    MouseWatcher watcher(Surface());
    const std::vector<std::pair<QEvent::Type, Qt::MouseButton>> delivered = {
        {QEvent::MouseButtonPress, Qt::RightButton},  {QEvent::MouseButtonRelease, Qt::RightButton},
        {QEvent::MouseButtonDblClick, Qt::RightButton}, {QEvent::MouseButtonRelease, Qt::RightButton},
        {QEvent::MouseButtonPress, Qt::LeftButton},   {QEvent::MouseButtonRelease, Qt::LeftButton},
        {QEvent::MouseButtonPress, Qt::MiddleButton}, {QEvent::MouseButtonRelease, Qt::MiddleButton},
        {QEvent::Wheel, Qt::NoButton},
    };
    for (const auto& [type, button] : delivered)
        Deliver(Surface(), type, button);

    const std::vector<Seen> expected = {
        {QEvent::MouseButtonDblClick, Qt::RightButton},
        {QEvent::MouseButtonPress, Qt::LeftButton},   {QEvent::MouseButtonRelease, Qt::LeftButton},
        {QEvent::MouseButtonPress, Qt::MiddleButton}, {QEvent::MouseButtonRelease, Qt::MiddleButton},
        {QEvent::Wheel, Qt::NoButton},
    };
    EXPECT_EQ(watcher.seen, expected);
}

TEST_F(RightClickFilterTest, NoMenuOpensOverThePaneThoughOneWouldWithoutTheFilter)
{
    QTest::qWait(500);
    Deliver(Surface(), QEvent::MouseButtonPress, Qt::RightButton);
    Deliver(Surface(), QEvent::MouseButtonRelease, Qt::RightButton);
    QTest::qWait(1500);
    EXPECT_FALSE(AMenuIsOpen());

    // The same click with the filter out of the way opens the browser's menu, so the
    // check above can see one.
    qApp->removeEventFilter(MouseHookHandle);
    Deliver(Surface(), QEvent::MouseButtonPress, Qt::RightButton);
    Deliver(Surface(), QEvent::MouseButtonRelease, Qt::RightButton);
    EXPECT_TRUE(QTest::qWaitFor(AMenuIsOpen, 30000));
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<QMenu*>(widget))
            widget->close();
    }
    qApp->installEventFilter(MouseHookHandle);
}

TEST_F(RightClickFilterTest, RightClicksElsewhereReachTheirTargets)
{
    const std::pair<QWidget*, std::optional<QPointF>> targets[] = {
        {form->suiButton1, {}}, {form->suiButton12, {}}, {form->Edit1, {}}, {form->GroupBox1, {}},
        {form->suiForm1, QPointF(400, 10)},  // the title bar
    };
    for (const auto& [target, at] : targets) {
        MouseWatcher watcher(target);
        Deliver(target, QEvent::MouseButtonPress, Qt::RightButton, at);
        Deliver(target, QEvent::MouseButtonRelease, Qt::RightButton, at);
        EXPECT_EQ(watcher.seen, (std::vector<Seen>{{QEvent::MouseButtonPress, Qt::RightButton},
                                                   {QEvent::MouseButtonRelease, Qt::RightButton}}))
            << target->objectName().toStdString();
    }
}

}  // namespace

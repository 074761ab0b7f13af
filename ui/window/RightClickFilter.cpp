#include "ui/window/RightClickFilter.h"

#include <QMouseEvent>
#include <QWebEngineView>
#include <QWidget>

QPointer<MouseHook> MouseHookHandle;

namespace {

// The widgets that take a web view's mouse input are the view and what the engine
// puts inside it, whatever their classes are called in a given Qt release.
bool IsWebViewSurface(QObject* target)
{
    for (auto* widget = qobject_cast<QWidget*>(target); widget; widget = widget->parentWidget()) {
        if (qobject_cast<QWebEngineView*>(widget))
            return true;
        if (widget->isWindow())
            return false;
    }
    return false;
}

bool IsRightPressOrRelease(const QEvent* event)
{
    if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonRelease)
        return false;
    return static_cast<const QMouseEvent*>(event)->button() == Qt::RightButton;
}

}  // namespace

bool RightClickFilter(QObject* target, QEvent* event)
{
    return IsRightPressOrRelease(event) && IsWebViewSurface(target);
}

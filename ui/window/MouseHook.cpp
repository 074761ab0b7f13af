#include "ui/window/MouseHook.h"

#include <QCoreApplication>
#include <QEvent>

MouseHook* MouseHook::Install(Procedure procedure)
{
    QCoreApplication* application = QCoreApplication::instance();
    if (!application)
        return nullptr;
    auto* hook = new MouseHook(application, procedure);
    application->installEventFilter(hook);
    return hook;
}

MouseHook::MouseHook(QObject* application, Procedure procedure) : QObject(application), procedure_(procedure) {}

bool MouseHook::eventFilter(QObject* target, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
        return procedure_(target, event);
    default:
        return false;
    }
}

#pragma once

#include <QObject>

class QEvent;

// A hook on the mouse input of the user-interface thread: its procedure sees every
// mouse event the application delivers, before the event's target does, and
// discards the event by returning true. Owned by the application object, so it
// lasts as long as the application and goes with it.
class MouseHook : public QObject {
public:
    using Procedure = bool (*)(QObject* target, QEvent* event);

    // Null when there is no application to hook.
    static MouseHook* Install(Procedure procedure);

protected:
    bool eventFilter(QObject* target, QEvent* event) override;

private:
    MouseHook(QObject* application, Procedure procedure);

    Procedure procedure_;
};

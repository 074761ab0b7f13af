#pragma once

#include <QPointer>

#include "ui/window/MouseHook.h"

class QEvent;
class QObject;

// The hook that keeps right clicks away from the listing pane, set when the window
// is created and kept for the whole run; null when it could not be set.
extern QPointer<MouseHook> MouseHookHandle;

// Discards right-button presses and releases aimed at the surface of an embedded
// web view, so the browser's own context menu never opens from the mouse. All
// other mouse input, and right clicks anywhere else, pass on.
bool RightClickFilter(QObject* target, QEvent* event);

#pragma once

#include <QEventLoop>

#include <functional>

class TWebBrowser;

// Passes until done() holds; each pass dispatches the pending events that flags let
// through, or sleeps until there is one. There is no timeout,
// but the wait fails (raises) when the pane is destroyed, its renderer process dies
// or the program is asked to quit before done() holds.
void WaitForPane(TWebBrowser& browser, QEventLoop::ProcessEventsFlags flags, const std::function<bool()>& done);

#pragma once

#include <functional>
#include <string>

// The status line under the listing pane, GBK bytes. Written by the loader only.
extern std::string StatusLine;

// Called with the new text after every write of StatusLine; the window sets it to
// keep its label in step. Empty by default.
extern std::function<void(const std::string&)> StatusLineChanged;

void WriteStatusLine(std::string text);

#pragma once

#include <string>

#include "ui/pane/TWebBrowser.h"

// Replaces the pane's content by a GBK fragment of HTML, whose relative links lead
// into the catalogue site. Dispatches pending events while the pane loads, so other
// commands can run meanwhile. Raises (a std::runtime_error) when the fragment cannot
// be written.
void ShowListingHtml(TWebBrowser& browser, const std::string& fragment);

// Replaces the pane's content by the connection-error notice, without waiting.
void ShowConnectionNotice(TWebBrowser& browser);

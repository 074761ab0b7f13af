#pragma once

#include <QPointer>
#include <QString>

class TWebBrowser;

// The document a pane shows, written through a script that runs in the program's own
// script world (page scripts are off). The call waits for the document's answer,
// dispatching no user input meanwhile, and raises when the document refuses a step,
// is no longer there or the wait is cut short (see WaitForPane).
class HtmlDocument {
public:
    explicit HtmlDocument(TWebBrowser& browser);

    // Clears the document, writes html into it and closes it, in that order and
    // stopping at the first step that fails; then makes its relative links resolve
    // against baseAddress, leaving the body as written. One round trip to the
    // renderer for all of it.
    void Rewrite(const QString& html, const QString& baseAddress) const;

    QPointer<TWebBrowser> browser_;
};

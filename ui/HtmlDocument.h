#pragma once

#include <QPointer>
#include <QString>

class TWebBrowser;

// The document a pane shows, written through scripts that run in the program's own
// script world (page scripts are off). Each call waits for the document's answer,
// dispatching no user input meanwhile, and raises when the document refuses the call,
// is no longer there or the wait is cut short (see WaitForPane).
class HtmlDocument {
public:
    explicit HtmlDocument(TWebBrowser& browser);

    // Opens the document afresh, empty.
    void Clear() const;
    void Write(const QString& html) const;
    void Close() const;
    // Makes the document's relative links resolve against address. The body is left
    // as it is.
    void SetBaseAddress(const QString& address) const;

private:
    void Run(const char* call, const QString& script) const;

    QPointer<TWebBrowser> browser_;
};

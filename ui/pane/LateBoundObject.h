#pragma once

#include <QPointer>
#include <QString>

#include <string>

class TWebBrowser;

// The pane's automation object and the document reached from it, with members named
// at run time: the browser object has the property "document", the document object
// the methods "write" and "writeln" taking one string. An unknown name raises.
class LateBoundObject {
public:
    // The browser object of browser.
    explicit LateBoundObject(TWebBrowser& browser);

    LateBoundObject Property(const std::string& name) const;
    // Does not wait: made while a navigation is pending, the call is held until that
    // navigation's document is there (see TWebBrowser::RunWhenLoaded).
    void Call(const std::string& name, const QString& argument) const;

private:
    enum class Kind { Browser, Document };

    LateBoundObject(TWebBrowser* browser, Kind kind);
    [[noreturn]] void UnknownName(const std::string& name) const;

    QPointer<TWebBrowser> browser_;
    Kind kind_;
};

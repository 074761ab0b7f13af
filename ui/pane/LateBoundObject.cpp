#include "ui/pane/LateBoundObject.h"

#include <stdexcept>

#include "ui/pane/ScriptLiteral.h"
#include "ui/pane/TWebBrowser.h"

LateBoundObject::LateBoundObject(TWebBrowser& browser) : LateBoundObject(&browser, Kind::Browser) {}

LateBoundObject::LateBoundObject(TWebBrowser* browser, Kind kind) : browser_(browser), kind_(kind) {}

LateBoundObject LateBoundObject::Property(const std::string& name) const
{
    if (kind_ != Kind::Browser || name != "document")
        UnknownName(name);
    return LateBoundObject(browser_.data(), Kind::Document);
}

void LateBoundObject::Call(const std::string& name, const QString& argument) const
{
    if (kind_ != Kind::Document || (name != "write" && name != "writeln"))
        UnknownName(name);
    if (!browser_)
        throw std::runtime_error("the listing pane is gone");
    browser_->RunWhenLoaded(
        QStringLiteral("document.%1(%2)").arg(QString::fromStdString(name), ScriptLiteral(argument)));
}

void LateBoundObject::UnknownName(const std::string& name) const
{
    throw std::runtime_error("unknown name \"" + name + "\" on the listing pane's "
                             + (kind_ == Kind::Browser ? "browser" : "document"));
}

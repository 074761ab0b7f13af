#include "ui/HtmlDocument.h"

#include <QVariant>

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include "ui/PaneWait.h"
#include "ui/ScriptLiteral.h"
#include "ui/TWebBrowser.h"

HtmlDocument::HtmlDocument(TWebBrowser& browser) : browser_(&browser) {}

void HtmlDocument::Clear() const
{
    Run("clear", QStringLiteral("document.open(); true"));
}

void HtmlDocument::Write(const QString& html) const
{
    Run("write", QStringLiteral("document.write(%1); true").arg(ScriptLiteral(html)));
}

void HtmlDocument::Close() const
{
    Run("close", QStringLiteral("document.close(); true"));
}

void HtmlDocument::SetBaseAddress(const QString& address) const
{
    Run("set the base address of",
        QStringLiteral("(function () {"
                       "  var base = document.createElement('base');"
                       "  base.href = %1;"
                       "  document.head.prepend(base);"
                       "  return true;"
                       "})()")
            .arg(ScriptLiteral(address)));
}

// A script that throws answers with no value, which counts as a refusal.
void HtmlDocument::Run(const char* call, const QString& script) const
{
    const auto failure = [call](const std::string& why) {
        return std::runtime_error(std::string("cannot ") + call + " the listing pane's document: " + why);
    };
    if (!browser_)
        throw failure("the pane is gone");
    if (browser_->ReadyState() != TWebBrowser::ReadyStateComplete)
        throw failure("the pane has no document");
    const auto answer = std::make_shared<std::optional<QVariant>>();
    browser_->RunScript(script, [answer](const QVariant& result) { *answer = result; });
    WaitForPane(*browser_, QEventLoop::ExcludeUserInputEvents, [&] { return answer->has_value(); });
    if (**answer != QVariant(true))
        throw failure("the document refused it");
}

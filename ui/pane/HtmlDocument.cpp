#include "ui/pane/HtmlDocument.h"

#include <QVariant>

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include "ui/pane/PaneWait.h"
#include "ui/pane/ScriptLiteral.h"
#include "ui/pane/TWebBrowser.h"

HtmlDocument::HtmlDocument(TWebBrowser& browser) : browser_(&browser) {}

// The script answers with the step that failed, or with an empty text; a script that
// throws answers with no value at all.
void HtmlDocument::Rewrite(const QString& html, const QString& baseAddress) const
{
    const auto failure = [](const std::string& why) {
        return std::runtime_error("cannot write the listing pane's document: " + why);
    };
    if (!browser_)
        throw failure("the pane is gone");
    if (browser_->ReadyState() != TWebBrowser::ReadyStateComplete)
        throw failure("the pane has no document");
    const QString script = QStringLiteral(
        "(function () {"
        "  var step = 'clear';"
        "  try {"
        "    document.open();"
        "    step = 'write'; document.write(%1);"
        "    step = 'close'; document.close();"
        "    step = 'set the base address';"
        "    var base = document.createElement('base');"
        "    base.href = %2;"
        "    document.head.prepend(base);"
        "    return '';"
        "  } catch (e) {"
        "    return step;"
        "  }"
        "})()").arg(ScriptLiteral(html), ScriptLiteral(baseAddress));
    const auto answer = std::make_shared<std::optional<QVariant>>();
    browser_->RunScript(script, [answer](const QVariant& result) { *answer = result; });
    WaitForPane(*browser_, QEventLoop::ExcludeUserInputEvents, [&] { return answer->has_value(); });
    if (!(*answer)->isValid() || (*answer)->typeId() != QMetaType::QString)
        throw failure("the document refused the script");
    if (const QString step = (*answer)->toString(); !step.isEmpty())
        throw failure("the document refused to " + step.toStdString());
}

#include "ui/pane/ListingPaneWriter.h"

#include "navigation/CategoryTable.h"
#include "navigation/NavigationState.h"
#include "ui/GbkText.h"
#include "ui/pane/PaneWait.h"

namespace {

// <FONT face=宋体 size=7>程序连接错误，请从新打开程序</FONT></BR>
const std::string ConnectionNotice =
    "<FONT face=\xCB\xCE\xCC\xE5 size=7>"
    "\xB3\xCC\xD0\xF2\xC1\xAC\xBD\xD3\xB4\xED\xCE\xF3\xA3\xAC\xC7\xEB\xB4\xD3\xD0\xC2\xB4\xF2\xBF\xAA\xB3\xCC\xD0\xF2"
    "</FONT></BR>";

// The written document is a blank one: the site's relative links would lead nowhere.
std::string LinkBase()
{
    return CurrentListingAddress.empty() ? ListingBaseAddress : CurrentListingAddress;
}

}  // namespace

void ShowListingHtml(TWebBrowser& browser, const std::string& fragment)
{
    browser.Navigate("about:blank ");
    WaitForPane(browser, QEventLoop::AllEvents,
                [&browser] { return browser.ReadyState() == TWebBrowser::ReadyStateComplete; });
    const std::optional<HtmlDocument> document = browser.Document();
    if (!document)
        return;
    document->Rewrite(GbkToQString(fragment), GbkToQString(LinkBase()));
}

void ShowConnectionNotice(TWebBrowser& browser)
{
    browser.Navigate("about:blank");
    browser.OleObject().Property("document").Call("writeln", GbkToQString(ConnectionNotice));
}

#include "tests/support/CatalogueFixture.h"

#include <cstdlib>

#include "catalogue/Gbk.h"
#include "navigation/NavigationState.h"
#include "retrieval/HttpCache.h"
#include "retrieval/StatusLine.h"

void ResetSharedState()
{
    CurrentListingAddress.clear();
    CurrentPageNumber = 0;
    StatusLine.clear();
    StatusLineChanged = nullptr;
}

namespace {

std::string BookList(const std::string& address, const std::string& target)
{
    return ToGbk("<div id=\"catalog\"><a href=\"/book.htm\" target=\"" + target + "\">书</a> ") + address + "</div>";
}

}  // namespace

void CatalogueFixture::SetUp()
{
    ResetSharedState();
    // Every test's site is reached by the same address through its own proxy.
    ListingPageCache().Clear();
    unsetenv("no_proxy");
    unsetenv("NO_PROXY");
    MendTheProxy();
}

void CatalogueFixture::TearDown()
{
    unsetenv("http_proxy");
    ResetSharedState();
}

void CatalogueFixture::BreakTheProxy()
{
    // Port 9 (discard) on loopback: nothing listens there.
    setenv("http_proxy", "http://127.0.0.1:9", 1);
}

void CatalogueFixture::MendTheProxy()
{
    setenv("http_proxy", server.Origin().c_str(), 1);
}

std::string ListingPageFor(const std::string& address, int total)
{
    return ToGbk("<html><head><title>列表</title></head><body>\n<ul><li class=\"p_total\">" + std::to_string(total)
                 + "页</li></ul>\n")
           + BookList(address, "_blank") + ToGbk("\n<div id=\"pages\">1 2 3</div></body></html>");
}

std::string FragmentFor(const std::string& address)
{
    return BookList(address, "_11111");
}

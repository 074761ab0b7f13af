#include "retrieval/ListingPageLoader.h"

#include "navigation/NavigationState.h"
#include "retrieval/FetchPageText.h"
#include "retrieval/StatusLine.h"
#include "text/TextHelpers.h"

namespace {

// The site's markers, in GBK where they are Chinese.
const std::string TotalCountMarker = "<li class=\"p_total\">";
const std::string PageWord = "\xD2\xB3";  // 页
const std::string ListStartMarker = "<div id=\"catalog\">";
const std::string ListEndMarker = "<div id=\"pages\">";
const std::string NotFoundWording =  // 没有找到您要访问的页面
    "\xC3\xBB\xD3\xD0\xD5\xD2\xB5\xBD\xC4\xFA\xD2\xAA\xB7\xC3\xCE\xCA\xB5\xC4\xD2\xB3\xC3\xE6";

// "当前第 " + page + " 页   " + "共  " + total + "   页"
std::string StatusLineFor(std::int32_t page, const std::string& total)
{
    return "\xB5\xB1\xC7\xB0\xB5\xDA " + Decimal(page) + " \xD2\xB3   " + "\xB9\xB2  " + total + "   \xD2\xB3";
}

}  // namespace

std::string CutListingPage(std::string text, const std::string& address)
{
    text = ReplaceAll(text, "blank", "11111");

    // Everything up to and including the total-count marker goes; without the
    // marker its length less one still goes from the front.
    const auto p = Find(TotalCountMarker, text);
    Delete(text, 1, p + static_cast<std::int64_t>(TotalCountMarker.size()) - 1);

    const auto q = Find(PageWord, text);
    const std::string total = Copy(text, 1, q - 1);

    const auto r = Find(ListStartMarker, text);
    Delete(text, 1, r - 1);

    // The end marker goes with all after it and the one byte before it.
    const auto s = Find(ListEndMarker, text);
    Delete(text, s - 1, static_cast<std::int64_t>(text.size()));

    WriteStatusLine(StatusLineFor(CurrentPageNumber, total));
    CurrentListingAddress = address;

    if (Find(NotFoundWording, text) > 0) {
        WriteStatusLine(NotFoundWording);
        text = NotFoundWording;
    }
    return text;
}

bool IsListingPage(const std::string& pageText)
{
    return pageText.find(ListStartMarker) != std::string::npos;
}

std::string LoadListingPage(const std::string& address)
{
    return CutListingPage(FetchPageText(address), address);
}

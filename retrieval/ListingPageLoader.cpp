#include "retrieval/ListingPageLoader.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "navigation/NavigationState.h"
#include "retrieval/FetchPageText.h"
#include "retrieval/ListCut.h"
#include "retrieval/ListingMarkers.h"
#include "retrieval/StatusLine.h"
#include "text/TextHelpers.h"

namespace {

// "当前第 " + page + " 页   " + "共  " + total + "   页"
std::string StatusLineFor(std::int32_t page, const std::string& total)
{
    return "\xB5\xB1\xC7\xB0\xB5\xDA " + Decimal(page) + " \xD2\xB3   " + "\xB9\xB2  " + total + "   \xD2\xB3";
}

// Index of the first needle in text at or after from; npos when there is none.
std::size_t FindFrom(std::string_view text, std::string_view needle, std::size_t from)
{
    const void* at = memmem(text.data() + from, text.size() - from, needle.data(), needle.size());
    return at ? static_cast<std::size_t>(static_cast<const char*>(at) - text.data()) : std::string::npos;
}

}  // namespace

std::string CutListingPage(std::string text, const std::string& address)
{
    // Everything up to and including the total-count marker goes; without the
    // marker its length less one still goes from the front.
    const std::size_t totalMarker = FindFrom(text, TotalCountMarker, 0);
    const std::size_t afterTotal =
        std::min(totalMarker == std::string::npos ? TotalCountMarker.size() - 1 : totalMarker + TotalCountMarker.size(),
                 text.size());

    const std::size_t pageWord = FindFrom(text, PageWord, afterTotal);
    const std::string total = pageWord == std::string::npos ? std::string() : ReplacedSpan(text, afterTotal, pageWord);

    const std::size_t listStart = FindFrom(text, ListStartMarker, afterTotal);
    // The end marker goes with all after it and the one byte before it.
    const bool notFound = CutListInPlace(text, listStart == std::string::npos ? afterTotal : listStart);

    WriteStatusLine(StatusLineFor(CurrentPageNumber, total));
    CurrentListingAddress = address;

    if (notFound) {
        WriteStatusLine(std::string(NotFoundWording));
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

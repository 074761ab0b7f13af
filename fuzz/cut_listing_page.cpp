// The listing cut on arbitrary page bytes, against the loader's steps done
// literally, one text operation after another on the whole page: the fragment, the
// status line and the address must come out the same. Each way this processor has
// of cutting the list is held to its own literal steps too, from any start.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "navigation/NavigationState.h"
#include "retrieval/ListCut.h"
#include "retrieval/ListingPageLoader.h"
#include "retrieval/StatusLine.h"
#include "text/TextHelpers.h"

namespace {

const std::string Address = "http://127.0.0.1:8936/txt/Wuxia/Soft_010_1.htm";
const std::string TotalCountMarker = "<li class=\"p_total\">";
const std::string PageWord = "\xD2\xB3";  // 页
const std::string ListStartMarker = "<div id=\"catalog\">";
const std::string ListEndMarker = "<div id=\"pages\">";
const std::string NotFoundWording =  // 没有找到您要访问的页面
    "\xC3\xBB\xD3\xD0\xD5\xD2\xB5\xBD\xC4\xFA\xD2\xAA\xB7\xC3\xCE\xCA\xB5\xC4\xD2\xB3\xC3\xE6";

struct Cut {
    std::string fragment;
    std::string statusLine;
};

Cut LiteralCut(std::string text, std::int32_t page)
{
    text = ReplaceAll(text, "blank", "11111");
    const auto p = Find(TotalCountMarker, text);
    Delete(text, 1, p + 19);
    const auto q = Find(PageWord, text);
    const std::string total = Copy(text, 1, q - 1);
    const auto r = Find(ListStartMarker, text);
    Delete(text, 1, r - 1);
    const auto s = Find(ListEndMarker, text);
    Delete(text, s - 1, static_cast<std::int64_t>(text.size()));
    // "当前第 " + page + " 页   " + "共  " + total + "   页"
    Cut cut{text, "\xB5\xB1\xC7\xB0\xB5\xDA " + Decimal(page) + " \xD2\xB3   " + "\xB9\xB2  " + total + "   \xD2\xB3"};
    if (Find(NotFoundWording, cut.fragment) > 0)
        cut = {NotFoundWording, NotFoundWording};
    return cut;
}

struct List {
    std::string text;
    bool notFound;
};

// From `from` on, up to the byte before the first list-end marker, replaced.
List LiteralList(const std::string& page, std::size_t from)
{
    std::string text = ReplaceAll(page, "blank", "11111").substr(from);
    const auto s = Find(ListEndMarker, text);
    Delete(text, s - 1, static_cast<std::int64_t>(text.size()));
    const bool notFound = Find(NotFoundWording, text) > 0;
    return {std::move(text), notFound};
}

void Check(bool holds)
{
    if (!holds)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string page(reinterpret_cast<const char*>(data), size);
    // Spreads page numbers over the whole range, negative ones included.
    CurrentPageNumber = static_cast<std::int32_t>(0x9E3779B9u * static_cast<std::uint32_t>(size));
    CurrentListingAddress.clear();

    const std::string fragment = CutListingPage(page, Address);
    const Cut expected = LiteralCut(page, CurrentPageNumber);
    Check(fragment == expected.fragment);
    Check(StatusLine == expected.statusLine);
    Check(CurrentListingAddress == Address);

    const std::size_t from = size == 0 ? 0 : data[0] * 257u % (size + 1);
    const List list = LiteralList(page, from);
    for (const ListCutter cutter : ListCutters()) {
        std::string text = page;
        const bool notFound = cutter(text, from);
        Check(text == list.text);
        Check(notFound == list.notFound);
    }
    return 0;
}

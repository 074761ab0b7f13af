// The listing cut on arbitrary page bytes. Whatever the page, the fragment is one
// byte range of the page after "blank" is replaced (or exactly the not-found
// wording, which then is the status line too), and the status line is made of its
// fixed pieces around the page number and a total that is itself such a range.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "navigation/NavigationState.h"
#include "retrieval/ListingPageLoader.h"
#include "retrieval/StatusLine.h"
#include "text/TextHelpers.h"

namespace {

const std::string Address = "http://127.0.0.1:8936/txt/Wuxia/Soft_010_1.htm";
const std::string PageWord = "\xD2\xB3";  // 页
const std::string NotFoundWording =       // 没有找到您要访问的页面
    "\xC3\xBB\xD3\xD0\xD5\xD2\xB5\xBD\xC4\xFA\xD2\xAA\xB7\xC3\xCE\xCA\xB5\xC4\xD2\xB3\xC3\xE6";

void Check(bool holds)
{
    if (!holds)
        std::abort();
}

bool StartsWith(const std::string& text, const std::string& start) { return text.rfind(start, 0) == 0; }

bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string page(reinterpret_cast<const char*>(data), size);
    // Spreads page numbers over the whole range, negative ones included.
    CurrentPageNumber = static_cast<std::int32_t>(0x9E3779B9u * static_cast<std::uint32_t>(size));
    CurrentListingAddress.clear();

    const std::string fragment = CutListingPage(page, Address);
    const std::string replaced = ReplaceAll(page, "blank", "11111");

    Check(CurrentListingAddress == Address);
    Check(replaced.find(fragment) != std::string::npos);
    if (fragment == NotFoundWording && StatusLine == NotFoundWording)
        return 0;
    Check(Find(NotFoundWording, fragment) == 0);

    // "当前第 " + page + " 页   共  " ... total ... "   页"
    const std::string front = "\xB5\xB1\xC7\xB0\xB5\xDA " + Decimal(CurrentPageNumber) + " \xD2\xB3   \xB9\xB2  ";
    const std::string back = "   \xD2\xB3";
    Check(StartsWith(StatusLine, front) && EndsWith(StatusLine, back)
          && StatusLine.size() >= front.size() + back.size());
    const std::string total = StatusLine.substr(front.size(), StatusLine.size() - front.size() - back.size());
    Check(replaced.find(total) != std::string::npos);
    Check(Find(PageWord, total) == 0);
    return 0;
}

#include "download/BookPage.h"

#include <algorithm>
#include <cctype>

#include "download/Address.h"
#include "download/HtmlDocument.h"

namespace {

bool PathEndsInTxt(const std::string& path)
{
    if (path.size() < 4)
        return false;
    return std::equal(path.end() - 4, path.end(), ".txt",
                      [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
}

}  // namespace

BookPage ReadBookPage(std::string_view html, const std::string& address, const std::optional<std::string>& encoding)
{
    const HtmlDocument document(html, encoding);
    BookPage page{document.FirstText("h1"), document.FirstText("title"), std::nullopt, std::nullopt};
    for (const HtmlDocument::Link& link : document.Links()) {
        const auto target = ResolveWebAddress(address, link.href);
        if (!target)
            continue;
        if (PathEndsInTxt(SplitWebAddress(*target)->path)) {
            page.textFile = target;
            break;
        }
        if (!page.downloadPage && link.text.find("下载") != std::string::npos)
            page.downloadPage = target;
    }
    return page;
}

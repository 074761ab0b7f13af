#include "download/ListingBooks.h"

#include <unordered_set>

#include "download/Address.h"
#include "download/HtmlDocument.h"

std::vector<BookLink> BooksInListing(const std::string& fragment, const std::string& listingAddress)
{
    std::vector<BookLink> books;
    std::unordered_set<std::string> seen;
    for (HtmlDocument::Link& link : HtmlDocument(fragment, "GB18030").Links()) {
        if (link.text.empty())
            continue;
        auto address = ResolveWebAddress(listingAddress, link.href);
        if (address && seen.insert(*address).second)
            books.push_back({std::move(*address), std::move(link.text)});
    }
    return books;
}

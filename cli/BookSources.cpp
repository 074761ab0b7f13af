#include "cli/BookSources.h"

#include "cli/PageProbe.h"
#include "download/ListingBooks.h"
#include "retrieval/ListingPageLoader.h"

std::vector<BookRequest> BooksAt(const std::string& address, const CommandLine& line, const std::atomic<bool>& stop)
{
    const ProbedPage page = ProbePage(address, stop);
    if (!page.html || !IsListingPage(page.text))
        return {BookRequest{address, "", line.folder, line.encoding}};

    // Links resolve against where the listing was found, after any redirect.
    std::vector<BookRequest> books;
    for (BookLink& link : BooksInListing(CutListingPage(page.text, page.address), page.address))
        books.push_back({std::move(link.address), std::move(link.title), line.folder, line.encoding});
    if (books.empty())
        throw ProbeError("列表中没有找到书");
    return books;
}

// The way from a book's page to its file, and a listing's books, on arbitrary page
// bytes. Whatever the page, every address found is an absolute http(s) one that
// libcurl reads back, the file's path ends in ".txt", and a listing names each
// address once, each with a title.

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>

#include "download/Address.h"
#include "download/BookPage.h"
#include "download/ListingBooks.h"

namespace {

const std::string Address = "http://127.0.0.1:8936/txt/Wuxia/0101005.htm";

void Check(bool holds)
{
    if (!holds)
        std::abort();
}

void CheckWebAddress(const std::string& address)
{
    Check(SplitWebAddress(address).has_value());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string page(reinterpret_cast<const char*>(data), size);

    const BookPage found = ReadBookPage(page, Address, std::nullopt);
    if (found.textFile) {
        CheckWebAddress(*found.textFile);
        std::string path = SplitWebAddress(*found.textFile)->path;
        std::transform(path.begin(), path.end(), path.begin(), [](unsigned char c) { return std::tolower(c); });
        Check(path.ends_with(".txt"));
    }
    if (found.downloadPage)
        CheckWebAddress(*found.downloadPage);

    std::set<std::string> seen;
    for (const BookLink& book : BooksInListing(page, Address)) {
        CheckWebAddress(book.address);
        Check(!book.title.empty());
        Check(seen.insert(book.address).second);
    }
    return 0;
}

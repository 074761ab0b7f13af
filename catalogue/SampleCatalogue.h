#pragma once

#include <cstdint>
#include <string>

#include "catalogue/LoopbackServer.h"

// The catalogue the program browses out of the box: a few listing pages for each
// of the eleven categories, GBK, with the markers and page total of the real site,
// book titles of our own and the site's not-found page for any other address.
// Every book has a page with a TXT下载 link, for every third book to a download
// page that links the text file, for the rest to the text file itself.
CannedResponse SampleCataloguePage(const std::string& address);

// A book as its listing shows it. UTF-8.
struct SampleBook {
    std::string title;
    std::string author;
    std::string size;     // "3.5MB"
    std::uint64_t bytes;  // of its text file: the size in MiB, 3.5 * 2^20, rounded down
};

// Book `number` (from 0, in listing order) of category row (1 to 11).
SampleBook SampleBookAt(int row, int number);
// The book's text file, GBK, as the catalogue serves it.
std::string SampleBookText(int row, int number);

// How many listing pages category row (1 to 11) has.
int SamplePageCount(int row);

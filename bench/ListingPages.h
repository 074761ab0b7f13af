#pragma once

// Listing pages as the catalogue site writes them, GBK, at sizes the benchmarks
// choose: head and pager of the site around a book list of the wanted length.

#include <cstddef>
#include <string>

// A page of at least pageBytes bytes (at most one book entry more).
std::string ListingPageOfSize(std::size_t pageBytes);

// A page whose cut book list is at least fragmentBytes bytes.
std::string ListingPageWithFragment(std::size_t fragmentBytes);

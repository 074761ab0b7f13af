#pragma once

#include <string>
#include <vector>

// A book as a listing shows it.
struct BookLink {
    std::string address;  // absolute, resolved against the listing's address
    std::string title;    // the link's text, UTF-8
};

// The books of a listing fragment (GBK HTML, as the listing cut gives it), in the
// order shown: every link in it with text and an http(s) address, each address once.
std::vector<BookLink> BooksInListing(const std::string& fragment, const std::string& listingAddress);

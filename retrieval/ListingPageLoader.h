#pragma once

#include <string>

// Fetches the listing page at address and returns the book list cut out of it.
// Also writes StatusLine and sets CurrentListingAddress to address. A failed
// fetch raises FetchError and changes neither.
std::string LoadListingPage(const std::string& address);

// The cut on its own, on a fetched page text: everything LoadListingPage does
// after the fetch.
std::string CutListingPage(std::string pageText, const std::string& address);

// Whether the cut takes a book list from this page text: it carries the list-start marker.
bool IsListingPage(const std::string& pageText);

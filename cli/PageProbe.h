#pragma once

#include <atomic>
#include <stdexcept>
#include <string>

#include "retrieval/FetchPageText.h"

// A page fetched only as far as needed to tell whether it is an HTML page.
struct ProbedPage {
    bool html = false;    // a 200 labelled text/html, or a body that opens like HTML
    std::string text;     // the whole page when html; else empty
    std::string address;  // where the page was found, redirects followed
};

// An address that could not be read; what() is the reason alone.
class ProbeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads the page at address with the listing fetch's bounds. Anything that is not
// an HTML page (a text file, an error status) is dropped at its first bytes, so a
// large book is not read twice. Stops with ProbeError as soon as stop is raised.
ProbedPage ProbePage(const std::string& address, const std::atomic<bool>& stop, const FetchLimits& limits = {});

#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>

// A listing page that could not be fetched; what() names the address and the reason.
class FetchError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Bounds that keep a silent, slow or endless server from freezing the window.
struct FetchLimits {
    long connectTimeoutSeconds = 60;
    long stallSeconds = 30;         // fail when under one byte a second for this long
    long totalTimeoutSeconds = 300; // backstop for a server that drips just fast enough
    std::size_t maxBodyBytes = 32u << 20;
    long maxRedirects = 20;
};

class HttpCache;

// The page at address, byte for byte, up to its first NUL byte. HTTP error statuses
// are no failure: their body is the page. Raises FetchError when nothing can be read.
// Goes through ListingPageCache(): a page the site allows to be reused comes from
// there while it is fresh, and is checked with the site rather than fetched again
// once it is stale; a failed fetch never falls back on a kept page.
std::string FetchPageText(const std::string& address, const FetchLimits& limits = FetchLimits{});

// The same through the given cache.
std::string FetchPageText(HttpCache& cache, const std::string& address, const FetchLimits& limits = FetchLimits{});

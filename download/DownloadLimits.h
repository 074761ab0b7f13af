#pragma once

#include <chrono>
#include <cstdint>

// Bounds and pacing of book downloads. The defaults are the program's; tests
// shorten them.
struct DownloadLimits {
    long connectTimeoutSeconds = 60;
    long stallSeconds = 30;  // a transfer under one byte a second for this long has stalled
    long maxRedirects = 20;
    std::uint64_t maxBookBytes = std::uint64_t{512} << 20;
    int transfersPerHost = 2;
    int retries = 3;
    std::chrono::milliseconds firstRetryPause{1000};  // doubled for each further retry
    std::chrono::seconds maxRetryAfter{60};
    int hostFailuresBeforePause = 3;  // transient failures of books in a row on one host
};

#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>

// Where the downloads stand, for the progress line.
struct ProgressTotals {
    int books = 0;
    int saved = 0;
    int failed = 0;
    int running = 0;
    std::uint64_t received = 0;  // bytes of the books still running
    double bytesPerSecond = 0;
};

// What the program tells its user: each saved file's path on standard output,
// failures and notes on standard error as "<address>: <reason>", and, when
// standard error is a terminal, a progress line redrawn in place.
class Report {
public:
    explicit Report(bool live) : live_(live) {}
    ~Report() { EndProgress(); }
    Report(const Report&) = delete;
    Report& operator=(const Report&) = delete;

    void Saved(const std::filesystem::path& file);
    void Problem(const std::string& address, const std::string& reason);
    void Progress(const ProgressTotals& totals);
    // Clears the progress line, so that what follows starts on a clean line.
    void EndProgress();

    bool Live() const { return live_; }

private:
    bool live_;
    bool lineShown_ = false;
    std::chrono::steady_clock::time_point drawn_;
};

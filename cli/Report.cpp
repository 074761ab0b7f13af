#include "cli/Report.h"

#include <chrono>
#include <cstdio>

void Report::Saved(const std::filesystem::path& file)
{
    EndProgress();
    std::fprintf(stdout, "%s\n", file.c_str());
    std::fflush(stdout);
}

void Report::Problem(const std::string& address, const std::string& reason)
{
    EndProgress();
    std::fprintf(stderr, "%s: %s\n", address.c_str(), reason.c_str());
}

void Report::Progress(const ProgressTotals& totals)
{
    // A few times a second is as often as anyone reads it; a cleared line comes back at once.
    const auto now = std::chrono::steady_clock::now();
    if (!live_ || (lineShown_ && now - drawn_ < std::chrono::milliseconds(200)))
        return;
    drawn_ = now;
    constexpr double MiB = 1024.0 * 1024.0;
    std::fprintf(stderr, "\r\033[K%d/%d saved, %d failed, %d running: %.1f MiB at %.1f MiB/s", totals.saved,
                 totals.books, totals.failed, totals.running, static_cast<double>(totals.received) / MiB,
                 totals.bytesPerSecond / MiB);
    std::fflush(stderr);
    lineShown_ = true;
}

void Report::EndProgress()
{
    if (!lineShown_)
        return;
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
    lineShown_ = false;
}

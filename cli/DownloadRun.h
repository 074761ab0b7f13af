#pragma once

#include <map>
#include <set>
#include <string>

#include "cli/Report.h"
#include "download/DownloadEngine.h"

// The books of one run of the program: hands them to the engine, each address
// once, and reports each as it ends. A paused book ends the run's interest in it
// too: nothing here retries, so its pause is its failure.
class DownloadRun {
public:
    DownloadRun(DownloadEngine& engine, Report& report) : engine_(engine), report_(report) {}

    void Add(BookRequest request);
    // An address that never reached the engine.
    void Fail(const std::string& address, const std::string& reason);
    void Apply(const std::map<DownloadId, DownloadStatus>& changes);
    // Cancels every book not yet ended; their cancellation is no failure to report.
    void CancelAll();

    bool Finished() const { return ended_ == static_cast<int>(books_.size()); }
    bool AnyFailed() const { return failed_ > 0; }
    ProgressTotals Totals() const;

private:
    struct Book {
        std::string address;
        DownloadStatus status;
        bool ended = false;
    };

    DownloadEngine& engine_;
    Report& report_;
    std::set<std::string> addresses_;
    std::map<DownloadId, Book> books_;
    int ended_ = 0;
    int saved_ = 0;
    int failed_ = 0;
    bool cancelling_ = false;
};

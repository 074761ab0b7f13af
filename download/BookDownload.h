#pragma once

#include <curl/curl.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "download/BookFetch.h"
#include "download/BookRequest.h"
#include "download/DownloadLimits.h"
#include "download/DownloadStatus.h"
#include "download/PartFile.h"
#include "download/SavedBook.h"

// One book on its way from its link to its saved file: the pages on the way, the
// transfer of the file, retries with pauses, the conversion and the commit. The
// engine's worker drives it and adds its handles to the multi handle. The
// conversion runs on a thread of its own, so that a large book holds up neither
// the other transfers nor a cancel; wake tells the worker it has ended.
class BookDownload {
public:
    using Clock = std::chrono::steady_clock;

    BookDownload(DownloadId id, BookRequest request, const DownloadLimits& limits, std::function<void()> wake);
    ~BookDownload();

    const DownloadStatus& Status() const { return status_; }
    // The host the book's link points to; empty for an address that is no http(s) one.
    const std::string& Host() const { return host_; }

    // Waiting → Running from its first page; resumes the part where one is.
    void Start();
    // Back to Waiting, with its retries renewed, from a failure, cancel or pause.
    void Queue();
    // Stops it at once, keeping its part; reason for a pause, none for a cancel. A
    // book whose file was committed just before ends saved instead.
    void Stop(DownloadState state, std::string reason = {});

    // The handle to drive now; none while pausing or once ended.
    CURL* Handle() const { return fetch_ ? fetch_->Handle() : nullptr; }
    // When the pause before the next attempt ends.
    std::optional<Clock::time_point> PauseEnds() const { return pauseEnds_; }
    // Starts the next attempt once its pause is over.
    void EndPause();
    // Whether its conversion has ended, and then takes its result.
    bool SavingEnded() const;
    void EndSaving();
    // After libcurl has finished with the handle: goes on to the next step (a new
    // handle), a pause, or the end.
    void Finished(CURLcode result);
    // Ends it as failed, for a fault outside its own steps.
    void Fail(std::string reason, bool transient = false);
    // Whether its failure, if it failed, came from transient faults only.
    bool FailedTransiently() const { return failedTransiently_; }

    // Brings received bytes, size and speed up to date; true when the reader should hear of it.
    bool UpdateProgress(Clock::time_point now);

private:
    // Starts fetching address; on a retry, the same one again.
    void Begin(std::string address, BookFetch::Expect expect);
    void FollowPage(const BookFetch::Page& page);
    void Save();
    void TakeSaved();
    std::string FileName(const std::string& address) const;
    PartFile& OpenPart();

    DownloadStatus status_;
    BookRequest request_;
    const DownloadLimits& limits_;
    std::string host_;
    std::string derivedTitle_;  // from the book's page, when the request has none
    int pages_ = 0;
    std::string address_;  // what is fetched now, or again after the pause
    BookFetch::Expect expect_ = BookFetch::Expect::PageOrFile;
    int retriesLeft_ = 0;
    bool failedTransiently_ = false;
    std::unique_ptr<BookFetch> fetch_;
    std::optional<PartFile> part_;
    std::optional<Clock::time_point> pauseEnds_;
    std::function<void()> wake_;
    // The conversion under way, and its result once it has ended.
    std::atomic<bool> stopSaving_ = false;
    std::future<SavedBook> saved_;
    std::thread saving_;
    std::optional<Clock::time_point> lastReport_;
    std::uint64_t reportedBytes_ = 0;
};

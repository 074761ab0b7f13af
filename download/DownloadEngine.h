#pragma once

#include <memory>

#include "download/BookRequest.h"
#include "download/DownloadLimits.h"
#include "download/DownloadStatus.h"

// Downloads books on a worker thread of its own, several at a time, and reports
// every change to its observer. Every call returns at once and may be made from
// any thread. Destroying the engine cancels what is left (keeping .part files)
// and joins the worker; the observer hears nothing of that.
//
// A book's file grows as "<name>.txt.part" in its folder, with
// "<name>.txt.part.resume" beside it holding what a later download of the same
// book into the same folder needs to resume it, in this process or another.
class DownloadEngine {
public:
    explicit DownloadEngine(DownloadObserver& observer, DownloadLimits limits = {});
    ~DownloadEngine();
    DownloadEngine(const DownloadEngine&) = delete;
    DownloadEngine& operator=(const DownloadEngine&) = delete;

    // Queues a book; the observer hears of it as Waiting first.
    DownloadId Add(BookRequest request);
    // Stops a waiting, running or paused book at once; nothing for one that has ended.
    void Cancel(DownloadId id);
    // Queues a failed, cancelled or paused book again, resuming from what was saved.
    void Retry(DownloadId id);

private:
    class Worker;
    std::unique_ptr<Worker> worker_;
};

#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>

#include "download/DownloadStatus.h"

// The engine's observer for a program that waits for its books on the main
// thread: each change is kept, the latest per book, and wakes the waiting thread.
// A book's last change is its end, so coalescing loses none.
class DownloadWaiter : public DownloadObserver {
public:
    void DownloadChanged(const DownloadStatus& status) override;

    // Waits until some book has changed, an interruption has come, or the timeout
    // has passed; returns the latest status of each book changed since the last call.
    std::map<DownloadId, DownloadStatus> WaitForChanges(std::chrono::milliseconds timeout);
    std::map<DownloadId, DownloadStatus> TakeChanges();

    // Called from any thread, a signal watcher's among them; wakes the waiter.
    void Interrupt(int signal);
    // The signal that interrupted, or 0.
    int Interruption() const { return signal_; }
    const std::atomic<bool>& Interrupted() const { return interrupted_; }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::map<DownloadId, DownloadStatus> changes_;
    std::atomic<bool> interrupted_ = false;
    std::atomic<int> signal_ = 0;
};

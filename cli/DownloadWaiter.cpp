#include "cli/DownloadWaiter.h"

#include <utility>

void DownloadWaiter::DownloadChanged(const DownloadStatus& status)
{
    {
        const std::lock_guard lock(mutex_);
        changes_[status.id] = status;
    }
    changed_.notify_one();
}

std::map<DownloadId, DownloadStatus> DownloadWaiter::WaitForChanges(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, timeout, [this] { return !changes_.empty() || interrupted_; });
    return std::exchange(changes_, {});
}

std::map<DownloadId, DownloadStatus> DownloadWaiter::TakeChanges()
{
    const std::lock_guard lock(mutex_);
    return std::exchange(changes_, {});
}

void DownloadWaiter::Interrupt(int signal)
{
    {
        // Under the lock, so that a waiter between its check and its sleep cannot miss it.
        const std::lock_guard lock(mutex_);
        int none = 0;
        signal_.compare_exchange_strong(none, signal);
        interrupted_ = true;
    }
    changed_.notify_one();
}

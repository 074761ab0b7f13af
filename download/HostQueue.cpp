#include "download/HostQueue.h"

#include <algorithm>

HostQueue::HostQueue(int runningPerHost, int failuresBeforePause)
    : runningPerHost_(std::max(1, runningPerHost)), failuresBeforePause_(std::max(1, failuresBeforePause))
{
}

void HostQueue::Enqueue(DownloadId id, const std::string& host)
{
    waiting_.push_back({id, host});
}

void HostQueue::Withdraw(DownloadId id)
{
    waiting_.remove_if([id](const Waiting& waiting) { return waiting.id == id; });
}

std::vector<DownloadId> HostQueue::Startable()
{
    std::vector<DownloadId> startable;
    for (auto at = waiting_.begin(); at != waiting_.end();) {
        Host& host = hosts_[at->host];
        if (host.running < runningPerHost_) {
            ++host.running;
            startable.push_back(at->id);
            at = waiting_.erase(at);
        } else {
            ++at;
        }
    }
    return startable;
}

std::vector<DownloadId> HostQueue::Ended(const std::string& host, Ending ending)
{
    Host& ended = hosts_[host];
    --ended.running;
    std::vector<DownloadId> paused;
    switch (ending) {
    case Ending::Stopped:
        break;
    case Ending::Saved:
    case Ending::FailedOtherwise:
        // The site answers; what failed was the book, not the site.
        ended.failuresInARow = 0;
        break;
    case Ending::FailedTransiently:
        if (++ended.failuresInARow < failuresBeforePause_)
            break;
        ended.failuresInARow = 0;
        for (auto at = waiting_.begin(); at != waiting_.end();) {
            if (at->host == host) {
                paused.push_back(at->id);
                at = waiting_.erase(at);
            } else {
                ++at;
            }
        }
        break;
    }
    return paused;
}

#include "download/HostQueue.h"

#include <algorithm>

HostQueue::HostQueue(int runningPerHost, int failuresBeforePause)
    : runningPerHost_(std::max(1, runningPerHost)), failuresBeforePause_(std::max(1, failuresBeforePause))
{
}

void HostQueue::Enqueue(DownloadId id, const std::string& host)
{
    hosts_[host].waiting.push_back({nextOrder_++, id});
}

void HostQueue::Withdraw(DownloadId id, const std::string& host)
{
    auto& waiting = hosts_[host].waiting;
    std::erase_if(waiting, [id](const Waiting& book) { return book.id == id; });
}

std::vector<DownloadId> HostQueue::Startable()
{
    std::vector<Waiting> startable;
    for (auto& [name, host] : hosts_)
        for (; host.running < runningPerHost_ && !host.waiting.empty(); ++host.running) {
            startable.push_back(host.waiting.front());
            host.waiting.pop_front();
        }
    std::sort(startable.begin(), startable.end(),
              [](const Waiting& a, const Waiting& b) { return a.order < b.order; });
    std::vector<DownloadId> ids;
    for (const Waiting& book : startable)
        ids.push_back(book.id);
    return ids;
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
        for (const Waiting& book : ended.waiting)
            paused.push_back(book.id);
        ended.waiting.clear();
        break;
    }
    return paused;
}

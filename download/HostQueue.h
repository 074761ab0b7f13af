#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "download/DownloadStatus.h"

// Politeness towards each site: books wait in the order they were queued, at most
// a few run at a time on one host, and a host whose books keep failing for
// transient reasons has its waiting books paused.
class HostQueue {
public:
    HostQueue(int runningPerHost, int failuresBeforePause);

    void Enqueue(DownloadId id, const std::string& host);
    // Takes a waiting book off the queue; nothing when it is not waiting.
    void Withdraw(DownloadId id, const std::string& host);
    // Waiting books that may start now, in queue order; they count as running from here.
    std::vector<DownloadId> Startable();

    enum class Ending { Saved, FailedTransiently, FailedOtherwise, Stopped };
    // A running book has ended; returns the books of its host to pause, when its
    // host has now failed too often in a row (those books leave the queue).
    std::vector<DownloadId> Ended(const std::string& host, Ending ending);

private:
    struct Waiting {
        std::uint64_t order;
        DownloadId id;
    };
    struct Host {
        int running = 0;
        int failuresInARow = 0;
        std::deque<Waiting> waiting;
    };

    int runningPerHost_;
    int failuresBeforePause_;
    std::uint64_t nextOrder_ = 0;
    std::map<std::string, Host> hosts_;
};

#include "ui/downloads/OverallProgress.h"

#include <algorithm>

namespace {

bool Ended(const DownloadStatus& status)
{
    return status.state != DownloadState::Waiting && status.state != DownloadState::Running;
}

}  // namespace

int OverallPercent(const std::vector<DownloadStatus>& downloads)
{
    double knownBytes = 0;
    int known = 0;
    for (const DownloadStatus& status : downloads) {
        if (status.size && *status.size > 0) {
            knownBytes += static_cast<double>(*status.size);
            ++known;
        }
    }
    const double unknownWeight = known ? knownBytes / known : 1.0;

    double total = 0;
    double done = 0;
    bool unfinished = false;
    for (const DownloadStatus& status : downloads) {
        const bool sized = status.size && *status.size > 0;
        const double weight = sized ? static_cast<double>(*status.size) : unknownWeight;
        total += weight;
        if (Ended(status))
            done += weight;
        else if (sized)
            done += static_cast<double>(std::min(status.received, *status.size));
        unfinished = unfinished || !Ended(status);
    }
    if (total <= 0)
        return 100;
    const int percent = static_cast<int>(100 * done / total);
    return unfinished ? std::min(percent, 99) : 100;
}

#pragma once

// An observer that keeps every status it is told and lets a test wait for one.

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "download/DownloadStatus.h"

class DownloadRecorder : public DownloadObserver {
public:
    void DownloadChanged(const DownloadStatus& status) override;

    // The first status of id that satisfies holds, within timeout; fails the test otherwise.
    DownloadStatus WaitFor(DownloadId id, const std::function<bool(const DownloadStatus&)>& holds,
                           std::chrono::seconds timeout = std::chrono::seconds(30));
    // The status once id has ended: saved, failed, cancelled or paused.
    DownloadStatus WaitForEnd(DownloadId id);
    std::vector<DownloadStatus> History(DownloadId id) const;

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::map<DownloadId, std::vector<DownloadStatus>> history_;
};

bool HasEnded(const DownloadStatus& status);

// A temporary folder, removed with everything in it.
class TemporaryFolder {
public:
    TemporaryFolder();
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    // The names in the folder, sorted.
    std::vector<std::string> Names() const;

private:
    std::filesystem::path path_;
};

std::string ReadFile(const std::filesystem::path& path);
void WriteFile(const std::filesystem::path& path, const std::string& bytes);

#include "tests/download/DownloadRecorder.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>

void DownloadRecorder::DownloadChanged(const DownloadStatus& status)
{
    {
        std::lock_guard lock(mutex_);
        history_[status.id].push_back(status);
    }
    changed_.notify_all();
}

DownloadStatus DownloadRecorder::WaitFor(DownloadId id, const std::function<bool(const DownloadStatus&)>& holds,
                                         std::chrono::seconds timeout)
{
    std::unique_lock lock(mutex_);
    std::size_t seen = 0;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const std::vector<DownloadStatus>& statuses = history_[id];
        for (; seen < statuses.size(); ++seen)
            if (holds(statuses[seen]))
                return statuses[seen];
        if (changed_.wait_until(lock, deadline) == std::cv_status::timeout) {
            ADD_FAILURE() << "download " << id << " did not reach the awaited state";
            return statuses.empty() ? DownloadStatus{} : statuses.back();
        }
    }
}

DownloadStatus DownloadRecorder::WaitForEnd(DownloadId id)
{
    return WaitFor(id, HasEnded);
}

std::vector<DownloadStatus> DownloadRecorder::History(DownloadId id) const
{
    std::lock_guard lock(mutex_);
    const auto found = history_.find(id);
    return found == history_.end() ? std::vector<DownloadStatus>{} : found->second;
}

bool HasEnded(const DownloadStatus& status)
{
    return status.state == DownloadState::Saved || status.state == DownloadState::Failed
           || status.state == DownloadState::Cancelled || status.state == DownloadState::Paused;
}

TemporaryFolder::TemporaryFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "download-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot make a temporary folder");
    path_ = pattern;
}

TemporaryFolder::~TemporaryFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::vector<std::string> TemporaryFolder::Names() const
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

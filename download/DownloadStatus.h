#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

using DownloadId = std::uint64_t;

enum class DownloadState {
    Waiting,    // queued behind others for its host
    Running,    // transferring, or pausing between retries
    Saved,      // the final file exists, complete and converted
    Failed,     // permanently, or after its retries ran out
    Cancelled,  // by the caller; its .part stays for a later resume
    Paused,     // its host failed too often in a row; waits for a retry
};

// Everything a reader is shown of one download, as of one moment.
struct DownloadStatus {
    DownloadId id = 0;
    DownloadState state = DownloadState::Waiting;
    std::uint64_t received = 0;         // bytes of the book's file held so far, resumed ones included
    std::optional<std::uint64_t> size;  // the file's full size, once the server has declared it
    double bytesPerSecond = 0;          // recent transfer speed while running
    std::filesystem::path file;         // the saved file (Saved)
    std::string reason;                 // Failed, Paused: why, in Chinese, with the system's words;
                                        // Saved: a note for the reader, or empty
};

// Told of every change of every download. Called on the engine's worker thread,
// never with the engine's lock held; it must return quickly and must not call
// back into the engine synchronously.
class DownloadObserver {
public:
    virtual ~DownloadObserver() = default;
    virtual void DownloadChanged(const DownloadStatus& status) = 0;
};

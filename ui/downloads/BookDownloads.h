#pragma once

#include <QObject>

#include <filesystem>
#include <memory>
#include <set>
#include <vector>

#include "download/BookRequest.h"
#include "download/DownloadEngine.h"
#include "download/ListingBooks.h"
#include "ui/downloads/DownloadEvents.h"
#include "ui/downloads/DownloadTable.h"

// The program's book downloads: the engine, the table of this run's downloads that
// the windows show, where new books go and how they are encoded. Lives as long as
// the application; destroying it cancels what is left (their .part files stay).
class BookDownloads : public QObject {
    Q_OBJECT

public:
    explicit BookDownloads(DownloadLimits limits = {});
    ~BookDownloads() override;
    BookDownloads(const BookDownloads&) = delete;
    BookDownloads& operator=(const BookDownloads&) = delete;

    const DownloadTable& Table() const { return table_; }
    DownloadTable& Table() { return table_; }

    // Where new books go: the desktop's download folder until another is set.
    const std::filesystem::path& Folder() const { return folder_; }
    void SetFolder(std::filesystem::path folder);
    SavedEncoding Encoding() const { return encoding_; }
    void SetEncoding(SavedEncoding encoding);

    // Downloads each book into the folder, made first when missing. A book already
    // waiting, running or saved there in this run is not added again, and one that
    // failed, was cancelled or paused is retried in its row; either way its row is
    // wanted. Raises, with a GBK message, when the folder cannot be made.
    void Add(const std::vector<BookLink>& books);
    // For a row that is waiting, running or paused.
    void Cancel(int row);
    // For a row that failed, was cancelled or paused: resumes from what was saved.
    void Retry(int row);
    // Cancels every book that waits or runs.
    void CancelUnfinished();
    // Books waiting or running.
    int UnfinishedCount() const;
    // Over the books added or retried since nothing was waiting or running; 100 then.
    int OverallPercent() const { return percent_; }

signals:
    // A book was added, or asked for again: its row should be shown.
    void RowWanted(int row);
    void OverallPercentChanged(int percent);

private:
    void StatusChanged(const DownloadStatus& status);
    void UpdatePercent();

    DownloadEvents events_;
    DownloadTable table_;
    std::unique_ptr<DownloadEngine> engine_;  // last, so that it goes first
    std::filesystem::path folder_;
    SavedEncoding encoding_ = SavedEncoding::Utf8;
    std::set<DownloadId> batch_;  // added or retried since nothing was waiting or running
    int percent_ = 100;
};

bool IsUnfinished(DownloadState state);
bool CanBeCancelled(DownloadState state);
bool CanBeRetried(DownloadState state);

#include "ui/downloads/BookDownloads.h"

#include <sys/resource.h>
#include <unistd.h>

#include <exception>
#include <stdexcept>
#include <system_error>
#include <thread>

#include "ui/GbkText.h"
#include "ui/downloads/DownloadFolder.h"
#include "ui/downloads/OverallProgress.h"

bool IsUnfinished(DownloadState state)
{
    return state == DownloadState::Waiting || state == DownloadState::Running;
}

bool CanBeCancelled(DownloadState state)
{
    return IsUnfinished(state) || state == DownloadState::Paused;
}

bool CanBeRetried(DownloadState state)
{
    return state == DownloadState::Failed || state == DownloadState::Cancelled || state == DownloadState::Paused;
}

namespace {

constexpr int LowestPriority = 19;

// Downloads are background work: on a busy machine the window's clicks come first,
// and the books take what is left. The engine's constructor starts its worker
// thread, which takes the priority of the thread that starts it, so the engine is
// made on a short-lived thread of the lowest priority. Where the priority cannot
// be lowered the engine runs at the normal one.
std::unique_ptr<DownloadEngine> MakeBackgroundEngine(DownloadObserver& observer, DownloadLimits limits)
{
    std::unique_ptr<DownloadEngine> engine;
    std::exception_ptr failure;
    std::thread maker([&] {
        setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), LowestPriority);
        try {
            engine = std::make_unique<DownloadEngine>(observer, limits);
        } catch (...) {
            failure = std::current_exception();
        }
    });
    maker.join();
    if (failure)
        std::rethrow_exception(failure);
    return engine;
}

}  // namespace

BookDownloads::BookDownloads(DownloadLimits limits)
    : engine_(MakeBackgroundEngine(events_, limits)), folder_(DesktopDownloadFolder())
{
    connect(&events_, &DownloadEvents::StatusChanged, this, &BookDownloads::StatusChanged);
}

BookDownloads::~BookDownloads() = default;

void BookDownloads::SetFolder(std::filesystem::path folder)
{
    folder_ = std::move(folder);
}

void BookDownloads::SetEncoding(SavedEncoding encoding)
{
    encoding_ = encoding;
}

void BookDownloads::Add(const std::vector<BookLink>& books)
{
    if (books.empty())
        return;
    std::error_code error;
    std::filesystem::create_directories(folder_, error);
    if (error) {
        throw std::runtime_error(QStringToGbk(QStringLiteral(u"无法建立下载文件夹 %1：%2")
                                                  .arg(QString::fromStdString(folder_.string()),
                                                       QString::fromStdString(error.message()))));
    }

    for (const BookLink& book : books) {
        int row = 0;
        if (const auto listed = table_.RowOf(book.address, folder_)) {
            row = *listed;
            if (CanBeRetried(table_.At(row).status.state))
                Retry(row);
        } else {
            const DownloadId id = engine_->Add({book.address, book.title, folder_, encoding_});
            row = table_.Append(id, {book.address, book.title, folder_, encoding_});
            batch_.insert(id);
        }
        emit RowWanted(row);
    }
    UpdatePercent();
}

void BookDownloads::Cancel(int row)
{
    const DownloadStatus& status = table_.At(row).status;
    if (CanBeCancelled(status.state))
        engine_->Cancel(status.id);
}

void BookDownloads::Retry(int row)
{
    DownloadStatus status = table_.At(row).status;
    if (!CanBeRetried(status.state))
        return;
    engine_->Retry(status.id);
    batch_.insert(status.id);
    // Shown as waiting at once; the engine's own report follows.
    status.state = DownloadState::Waiting;
    status.bytesPerSecond = 0;
    status.reason.clear();
    table_.Update(status);
    UpdatePercent();
}

void BookDownloads::CancelUnfinished()
{
    for (int row = 0; row < table_.rowCount(); ++row) {
        if (IsUnfinished(table_.At(row).status.state))
            engine_->Cancel(table_.At(row).status.id);
    }
}

int BookDownloads::UnfinishedCount() const
{
    int count = 0;
    for (int row = 0; row < table_.rowCount(); ++row)
        count += IsUnfinished(table_.At(row).status.state) ? 1 : 0;
    return count;
}

void BookDownloads::StatusChanged(const DownloadStatus& status)
{
    table_.Update(status);
    UpdatePercent();
}

void BookDownloads::UpdatePercent()
{
    int percent = 100;
    if (UnfinishedCount() == 0) {
        batch_.clear();
    } else {
        std::vector<DownloadStatus> statuses;
        for (const DownloadId id : batch_) {
            if (const auto row = table_.RowOf(id))
                statuses.push_back(table_.At(*row).status);
        }
        percent = ::OverallPercent(statuses);
    }
    if (percent != std::exchange(percent_, percent))
        emit OverallPercentChanged(percent);
}

#include "cli/DownloadRun.h"

void DownloadRun::Add(BookRequest request)
{
    if (!addresses_.insert(request.address).second)
        return;
    const std::string address = request.address;
    const DownloadId id = engine_.Add(std::move(request));
    books_[id].address = address;
}

void DownloadRun::Fail(const std::string& address, const std::string& reason)
{
    report_.Problem(address, reason);
    ++failed_;
}

void DownloadRun::Apply(const std::map<DownloadId, DownloadStatus>& changes)
{
    for (const auto& [id, status] : changes) {
        const auto book = books_.find(id);
        if (book == books_.end() || book->second.ended)
            continue;
        book->second.status = status;
        switch (status.state) {
        case DownloadState::Waiting:
        case DownloadState::Running:
            continue;
        case DownloadState::Saved:
            report_.Saved(status.file);
            if (!status.reason.empty())
                report_.Problem(book->second.address, status.reason);
            ++saved_;
            break;
        case DownloadState::Cancelled:
            if (cancelling_)
                break;
            [[fallthrough]];
        case DownloadState::Failed:
        case DownloadState::Paused:
            report_.Problem(book->second.address, status.reason.empty() ? "已取消" : status.reason);
            ++failed_;
            break;
        }
        book->second.ended = true;
        ++ended_;
    }
}

void DownloadRun::CancelAll()
{
    cancelling_ = true;
    for (const auto& [id, book] : books_) {
        if (!book.ended)
            engine_.Cancel(id);
    }
}

ProgressTotals DownloadRun::Totals() const
{
    ProgressTotals totals;
    totals.books = static_cast<int>(books_.size());
    totals.saved = saved_;
    totals.failed = failed_;
    for (const auto& [id, book] : books_) {
        if (book.status.state != DownloadState::Running || book.ended)
            continue;
        ++totals.running;
        totals.received += book.status.received;
        totals.bytesPerSecond += book.status.bytesPerSecond;
    }
    return totals;
}

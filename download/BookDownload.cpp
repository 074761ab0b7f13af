#include "download/BookDownload.h"

#include <algorithm>

#include "download/Address.h"
#include "download/BookName.h"
#include "download/BookPage.h"
#include "download/SavedBook.h"
#include "download/WriteFailure.h"

namespace {

using namespace std::chrono_literals;

// Progress reaches the reader at most this often per book.
constexpr auto ReportInterval = 150ms;
// From the book's link, at most this many HTML pages lead to its file.
constexpr int MaxPages = 2;

}  // namespace

BookDownload::BookDownload(DownloadId id, BookRequest request, const DownloadLimits& limits,
                           std::function<void()> wake)
    : request_(std::move(request)), limits_(limits), wake_(std::move(wake))
{
    status_.id = id;
    if (const auto parts = SplitWebAddress(request_.address))
        host_ = parts->host;
    retriesLeft_ = limits_.retries;
}

BookDownload::~BookDownload()
{
    if (saving_.joinable()) {
        stopSaving_ = true;
        saving_.join();
    }
}

void BookDownload::Queue()
{
    fetch_.reset();
    pauseEnds_.reset();
    retriesLeft_ = limits_.retries;
    failedTransiently_ = false;
    status_.state = DownloadState::Waiting;
    status_.reason.clear();
    status_.bytesPerSecond = 0;
}

void BookDownload::Start()
{
    status_.state = DownloadState::Running;
    status_.reason.clear();
    pages_ = 0;
    derivedTitle_.clear();
    if (host_.empty()) {
        Fail("地址无效：" + request_.address);
        return;
    }
    Begin(request_.address, BookFetch::Expect::PageOrFile);
}

void BookDownload::Stop(DownloadState state, std::string reason)
{
    if (saving_.joinable()) {
        stopSaving_ = true;
        TakeSaved();
        if (status_.state == DownloadState::Saved)
            return;
    }
    fetch_.reset();
    pauseEnds_.reset();
    // Closing the part releases it for a later download; its bytes stay.
    part_.reset();
    status_.state = state;
    status_.reason = std::move(reason);
    status_.bytesPerSecond = 0;
}

std::string BookDownload::FileName(const std::string& address) const
{
    const std::string& title = request_.title.empty() ? derivedTitle_ : request_.title;
    std::string name = BookFileName(title);
    return name.empty() ? BookFileNameFromAddress(address) : name;
}

PartFile& BookDownload::OpenPart()
{
    part_.emplace(PartFile::Create(request_.folder, FileName(fetch_->Address()), fetch_->Address()));
    return *part_;
}

void BookDownload::Begin(std::string address, BookFetch::Expect expect)
{
    fetch_.reset();
    pauseEnds_.reset();
    address_ = std::move(address);
    expect_ = expect;
    try {
        if (!part_ || part_->Address() != address_ || part_->Descriptor() < 0)
            part_ = PartFile::Find(request_.folder, FileName(address_), address_);
        if (part_) {
            status_.received = part_->Size();
            status_.size = part_->DeclaredSize();
            // Complete already, when only its conversion failed before.
            if (part_->Size() > 0 && part_->DeclaredSize() == part_->Size()) {
                Save();
                return;
            }
        }
        fetch_ = std::make_unique<BookFetch>(address_, expect_, limits_, part_ ? &*part_ : nullptr,
                                             [this]() -> PartFile& { return OpenPart(); });
    } catch (const WriteFailure& failure) {
        Fail(failure.what());
    } catch (const std::exception& error) {
        Fail(std::string("下载失败：") + error.what());
    }
}

void BookDownload::EndPause()
{
    Begin(address_, expect_);
}

void BookDownload::Finished(CURLcode result)
{
    BookFetch::Result outcome = fetch_->Finish(result);
    status_.received = fetch_->Received();
    if (fetch_->Size())
        status_.size = fetch_->Size();
    fetch_.reset();
    // A part the fetch removed (over the cap, empty) is gone for good.
    if (part_ && part_->Descriptor() < 0)
        part_.reset();

    if (const auto* page = std::get_if<BookFetch::Page>(&outcome)) {
        FollowPage(*page);
    } else if (std::holds_alternative<BookFetch::File>(outcome)) {
        Save();
    } else {
        const auto& failure = std::get<FetchFailure>(outcome);
        if (!failure.transient || retriesLeft_ == 0) {
            Fail(failure.reason, failure.transient);
            return;
        }
        --retriesLeft_;
        const int retry = limits_.retries - retriesLeft_;
        std::chrono::milliseconds pause = limits_.firstRetryPause * (1 << std::min(retry - 1, 20));
        if (failure.retryAfter.count() > 0)
            pause = std::min(failure.retryAfter, limits_.maxRetryAfter);
        pauseEnds_ = Clock::now() + pause;
        status_.bytesPerSecond = 0;
    }
}

void BookDownload::FollowPage(const BookFetch::Page& page)
{
    ++pages_;
    const BookPage found = ReadBookPage(page.html, page.address, page.encoding);
    if (pages_ == 1 && request_.title.empty())
        derivedTitle_ = found.heading.empty() ? found.title : found.heading;
    if (found.textFile)
        Begin(*found.textFile, BookFetch::Expect::File);
    else if (found.downloadPage && pages_ < MaxPages)
        Begin(*found.downloadPage, BookFetch::Expect::PageOrFile);
    else
        Fail("没有找到TXT下载链接");
}

void BookDownload::Save()
{
    stopSaving_ = false;
    std::promise<SavedBook> result;
    saved_ = result.get_future();
    std::string name = FileName(part_->Address());
    saving_ = std::thread([this, result = std::move(result), part = std::move(*part_), name = std::move(name),
                           encoding = request_.encoding]() mutable {
        try {
            result.set_value(SaveBook(part, name, encoding, stopSaving_));
        } catch (...) {
            result.set_exception(std::current_exception());
        }
        // Told once the result is there, so that the worker does not sleep through it.
        wake_();
    });
    part_.reset();
}

bool BookDownload::SavingEnded() const
{
    return saved_.valid() && saved_.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

void BookDownload::EndSaving()
{
    TakeSaved();
}

void BookDownload::TakeSaved()
{
    saving_.join();
    try {
        const SavedBook saved = saved_.get();
        status_.state = DownloadState::Saved;
        status_.file = saved.file;
        status_.reason = saved.note;
        status_.bytesPerSecond = 0;
    } catch (const WriteFailure& failure) {
        Fail(failure.what());
    } catch (const SaveStopped&) {
        // Stopped on request: the caller sets the state.
    }
}

void BookDownload::Fail(std::string reason, bool transient)
{
    fetch_.reset();
    pauseEnds_.reset();
    part_.reset();
    failedTransiently_ = transient;
    status_.state = DownloadState::Failed;
    status_.reason = std::move(reason);
    status_.bytesPerSecond = 0;
}

bool BookDownload::UpdateProgress(Clock::time_point now)
{
    if (status_.state != DownloadState::Running)
        return false;
    if (lastReport_ && now - *lastReport_ < ReportInterval)
        return false;
    if (fetch_) {
        status_.received = fetch_->Received();
        if (fetch_->Size())
            status_.size = fetch_->Size();
    }
    double speed = 0;
    if (lastReport_ && status_.received > reportedBytes_) {
        const double seconds = std::chrono::duration<double>(now - *lastReport_).count();
        speed = static_cast<double>(status_.received - reportedBytes_) / seconds;
    }
    const bool changed = status_.received != reportedBytes_ || (speed == 0) != (status_.bytesPerSecond == 0);
    // Smoothed, so that the shown speed does not jump with every read.
    status_.bytesPerSecond = status_.bytesPerSecond == 0 || speed == 0 ? speed : 0.6 * status_.bytesPerSecond + 0.4 * speed;
    lastReport_ = now;
    reportedBytes_ = status_.received;
    return changed;
}

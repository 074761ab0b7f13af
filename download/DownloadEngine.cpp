#include "download/DownloadEngine.h"

#include <curl/curl.h>

#include <map>
#include <set>
#include <mutex>
#include <thread>
#include <vector>

#include "download/BookDownload.h"
#include "download/HostQueue.h"
#include "retrieval/HttpSession.h"

namespace {

using namespace std::chrono_literals;

// How long the worker sleeps at most: short while books transfer, so that their
// progress is reported in time.
constexpr auto IdlePoll = 1000ms;
constexpr auto BusyPoll = 100ms;

}  // namespace

class DownloadEngine::Worker {
public:
    Worker(DownloadObserver& observer, DownloadLimits limits);
    ~Worker();

    DownloadId Add(BookRequest request);
    void Cancel(DownloadId id) { Post({Command::Kind::Cancel, id, {}}); }
    void Retry(DownloadId id) { Post({Command::Kind::Retry, id, {}}); }

private:
    struct Command {
        enum class Kind { Add, Cancel, Retry } kind;
        DownloadId id;
        BookRequest request;
    };

    void Post(Command command);
    void Run();
    void Apply(Command& command);
    void StartWaiting();
    // Books whose pause or conversion has ended go on.
    void Continue(BookDownload::Clock::time_point now);
    void CollectFinished();
    void ReportProgress(BookDownload::Clock::time_point now);
    std::chrono::milliseconds PollTimeout(BookDownload::Clock::time_point now) const;

    // Runs one step of a book, then drives its new handle, reports a change of
    // state, and settles its host's account when it ended.
    template <typename Step>
    void Advance(BookDownload& book, const Step& step);
    void Detach(BookDownload& book);
    void Report(const DownloadStatus& status);

    DownloadObserver& observer_;
    const DownloadLimits limits_;
    CURLM* multi_;

    std::mutex mutex_;
    std::vector<Command> commands_;
    bool stopping_ = false;
    DownloadId lastId_ = 0;

    // The worker thread's own.
    std::map<DownloadId, std::unique_ptr<BookDownload>> books_;
    // The running ones, transferring or pausing between attempts.
    std::set<BookDownload*> running_;
    std::map<CURL*, BookDownload*> transfers_;
    HostQueue hosts_;
    std::thread thread_;
};

DownloadEngine::Worker::Worker(DownloadObserver& observer, DownloadLimits limits)
    : observer_(observer),
      limits_(limits),
      multi_((EnsureCurlInitialised(), curl_multi_init())),
      hosts_(limits.transfersPerHost, limits.hostFailuresBeforePause)
{
    if (!multi_)
        throw std::runtime_error("cannot start the download engine");
    thread_ = std::thread([this] { Run(); });
}

DownloadEngine::Worker::~Worker()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    curl_multi_wakeup(multi_);
    thread_.join();
    curl_multi_cleanup(multi_);
}

DownloadId DownloadEngine::Worker::Add(BookRequest request)
{
    DownloadId id;
    {
        std::lock_guard lock(mutex_);
        id = ++lastId_;
        commands_.push_back({Command::Kind::Add, id, std::move(request)});
    }
    curl_multi_wakeup(multi_);
    return id;
}

void DownloadEngine::Worker::Post(Command command)
{
    {
        std::lock_guard lock(mutex_);
        commands_.push_back(std::move(command));
    }
    curl_multi_wakeup(multi_);
}

void DownloadEngine::Worker::Run()
{
    for (;;) {
        std::vector<Command> commands;
        {
            std::lock_guard lock(mutex_);
            if (stopping_)
                break;
            commands.swap(commands_);
        }
        for (Command& command : commands)
            Apply(command);
        int running = 0;
        curl_multi_perform(multi_, &running);
        CollectFinished();
        const auto now = BookDownload::Clock::now();
        Continue(now);
        // After the ended ones, so that a freed place is taken at once; libcurl
        // then starts the new transfers without waiting for the poll.
        StartWaiting();
        ReportProgress(now);
        curl_multi_poll(multi_, nullptr, 0, static_cast<int>(PollTimeout(now).count()), nullptr);
    }
    // What is left stops where it is; the parts stay for a later download.
    for (auto& [handle, book] : transfers_)
        curl_multi_remove_handle(multi_, handle);
    transfers_.clear();
    running_.clear();
    books_.clear();
}

void DownloadEngine::Worker::Apply(Command& command)
{
    if (command.kind == Command::Kind::Add) {
        try {
            auto book = std::make_unique<BookDownload>(command.id, std::move(command.request), limits_,
                                                       [multi = multi_] { curl_multi_wakeup(multi); });
            const auto at = books_.emplace(command.id, std::move(book)).first;
            hosts_.Enqueue(command.id, at->second->Host());
            Report(at->second->Status());
        } catch (const std::exception& error) {
            books_.erase(command.id);
            DownloadStatus failed;
            failed.id = command.id;
            failed.state = DownloadState::Failed;
            failed.reason = std::string("下载失败：") + error.what();
            Report(failed);
        }
        return;
    }
    const auto found = books_.find(command.id);
    if (found == books_.end())
        return;
    BookDownload& book = *found->second;
    const DownloadState state = book.Status().state;
    if (command.kind == Command::Kind::Cancel) {
        if (state == DownloadState::Waiting)
            hosts_.Withdraw(command.id, book.Host());
        else if (state == DownloadState::Running)
            Detach(book);
        else if (state != DownloadState::Paused)
            return;
        book.Stop(DownloadState::Cancelled);
        if (state == DownloadState::Running) {
            running_.erase(&book);
            // A book committed just before the cancel came is saved all the same.
            hosts_.Ended(book.Host(), book.Status().state == DownloadState::Saved ? HostQueue::Ending::Saved
                                                                                 : HostQueue::Ending::Stopped);
        }
        Report(book.Status());
    } else if (state == DownloadState::Failed || state == DownloadState::Cancelled
               || state == DownloadState::Paused) {
        book.Queue();
        hosts_.Enqueue(command.id, book.Host());
        Report(book.Status());
    }
}

void DownloadEngine::Worker::StartWaiting()
{
    for (const DownloadId id : hosts_.Startable())
        Advance(*books_.at(id), [](BookDownload& book) { book.Start(); });
}

void DownloadEngine::Worker::Continue(BookDownload::Clock::time_point now)
{
    std::vector<BookDownload*> paused, converted;
    for (BookDownload* book : running_) {
        if (book->PauseEnds() && *book->PauseEnds() <= now)
            paused.push_back(book);
        else if (book->SavingEnded())
            converted.push_back(book);
    }
    for (BookDownload* book : paused)
        Advance(*book, [](BookDownload& pausing) { pausing.EndPause(); });
    for (BookDownload* book : converted)
        Advance(*book, [](BookDownload& saving) { saving.EndSaving(); });
}

void DownloadEngine::Worker::CollectFinished()
{
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multi_, &left)) {
        if (message->msg != CURLMSG_DONE)
            continue;
        const auto found = transfers_.find(message->easy_handle);
        if (found == transfers_.end())
            continue;
        BookDownload& book = *found->second;
        const CURLcode result = message->data.result;
        Detach(book);
        Advance(book, [result](BookDownload& finished) { finished.Finished(result); });
    }
}

void DownloadEngine::Worker::ReportProgress(BookDownload::Clock::time_point now)
{
    for (BookDownload* book : running_)
        if (book->UpdateProgress(now))
            Report(book->Status());
}

std::chrono::milliseconds DownloadEngine::Worker::PollTimeout(BookDownload::Clock::time_point now) const
{
    auto timeout = std::chrono::duration_cast<std::chrono::milliseconds>(transfers_.empty() ? IdlePoll : BusyPoll);
    for (const BookDownload* book : running_)
        if (book->PauseEnds())
            timeout = std::min(timeout, std::max(0ms, std::chrono::ceil<std::chrono::milliseconds>(
                                                          *book->PauseEnds() - now)));
    return timeout;
}

template <typename Step>
void DownloadEngine::Worker::Advance(BookDownload& book, const Step& step)
{
    const DownloadState before = book.Status().state;
    try {
        step(book);
    } catch (const std::exception& error) {
        Detach(book);
        book.Fail(std::string("下载失败：") + error.what());
    }
    if (CURL* handle = book.Handle(); handle && !transfers_.contains(handle)) {
        if (curl_multi_add_handle(multi_, handle) == CURLM_OK)
            transfers_.emplace(handle, &book);
        else
            book.Fail("下载失败：无法开始传输");
    }
    const DownloadState after = book.Status().state;
    if (after == before)
        return;
    if (after == DownloadState::Running)
        running_.insert(&book);
    else
        running_.erase(&book);
    Report(book.Status());
    if (after != DownloadState::Saved && after != DownloadState::Failed)
        return;
    const auto ending = after == DownloadState::Saved ? HostQueue::Ending::Saved
                        : book.FailedTransiently()    ? HostQueue::Ending::FailedTransiently
                                                      : HostQueue::Ending::FailedOtherwise;
    for (const DownloadId id : hosts_.Ended(book.Host(), ending)) {
        BookDownload& paused = *books_.at(id);
        paused.Stop(DownloadState::Paused, "该网站接连多次下载失败，已暂停：" + book.Status().reason);
        Report(paused.Status());
    }
}

void DownloadEngine::Worker::Detach(BookDownload& book)
{
    if (CURL* handle = book.Handle(); handle && transfers_.erase(handle) > 0)
        curl_multi_remove_handle(multi_, handle);
}

void DownloadEngine::Worker::Report(const DownloadStatus& status)
{
    // The observer's faults are its own; they must not stop the downloads.
    try {
        observer_.DownloadChanged(status);
    } catch (...) {
    }
}

DownloadEngine::DownloadEngine(DownloadObserver& observer, DownloadLimits limits)
    : worker_(std::make_unique<Worker>(observer, limits))
{
}

DownloadEngine::~DownloadEngine() = default;

DownloadId DownloadEngine::Add(BookRequest request)
{
    return worker_->Add(std::move(request));
}

void DownloadEngine::Cancel(DownloadId id)
{
    worker_->Cancel(id);
}

void DownloadEngine::Retry(DownloadId id)
{
    worker_->Retry(id);
}

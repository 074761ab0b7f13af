// mireval-download: the download engine without the window, for scripts and for
// readers who prefer a terminal.
#include <curl/curl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <iostream>
#include <thread>

#include "cli/BookSources.h"
#include "cli/CommandLine.h"
#include "cli/DownloadRun.h"
#include "cli/DownloadWaiter.h"
#include "cli/PageProbe.h"
#include "cli/SignalWatch.h"
#include "download/DownloadEngine.h"

namespace {

// libcurl's process-wide state, set up before any thread and torn down after all.
class CurlLibrary {
public:
    CurlLibrary()
    {
        if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK)
            throw std::runtime_error("cannot initialise the HTTP client");
    }
    ~CurlLibrary() { curl_global_cleanup(); }
    CurlLibrary(const CurlLibrary&) = delete;
    CurlLibrary& operator=(const CurlLibrary&) = delete;
};

int Download(const CommandLine& line)
{
    const CurlLibrary curl;
    DownloadWaiter waiter;
    const SignalWatch signals([&waiter](int signal) { waiter.Interrupt(signal); });
    Report report(isatty(STDERR_FILENO) == 1);
    // Declared after the waiter and the watch: destroyed first, it cancels what is
    // left and joins its worker while they still stand.
    DownloadEngine engine(waiter);
    DownloadRun run(engine, report);

    // Books start as soon as their address is read, while the next is being read.
    for (const std::string& address : line.addresses) {
        if (waiter.Interrupted())
            break;
        try {
            for (BookRequest& book : BooksAt(address, line, waiter.Interrupted()))
                run.Add(std::move(book));
        } catch (const std::exception& failure) {
            if (!waiter.Interrupted())
                run.Fail(address, failure.what());
        }
        run.Apply(waiter.TakeChanges());
    }

    // Without a progress line there is nothing to do until a book changes.
    const auto tick = report.Live() ? std::chrono::milliseconds(200) : std::chrono::hours(1);
    while (!run.Finished() && !waiter.Interrupted()) {
        run.Apply(waiter.WaitForChanges(tick));
        report.Progress(run.Totals());
    }
    report.EndProgress();

    if (waiter.Interrupted()) {
        // Cancelling is immediate; a book saved meanwhile is still reported as saved.
        run.CancelAll();
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        for (run.Apply(waiter.TakeChanges()); !run.Finished() && std::chrono::steady_clock::now() < deadline;
             run.Apply(waiter.TakeChanges()))
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        std::fputs("mireval-download: interrupted; unfinished books keep their .part files for the next run\n",
                   stderr);
        return 128 + waiter.Interruption();
    }
    return run.AnyFailed() ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv)
{
    CommandLine line;
    try {
        line = ParseCommandLine({argv + 1, argv + argc});
    } catch (const UsageError& error) {
        std::cerr << "mireval-download: " << error.what() << "\n" << UsageLine
                  << "Try 'mireval-download --help' for more.\n";
        return 2;
    }
    if (line.help) {
        std::cout << UsageText;
        return 0;
    }
    try {
        return Download(line);
    } catch (const std::exception& failure) {
        std::cerr << "mireval-download: " << failure.what() << "\n";
        return 1;
    }
}

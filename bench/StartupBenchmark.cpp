// Start-up and memory of the program under Xvfb, each against a bare Qt program that
// shows an empty web view of the same size; paired run by run, alternating which
// goes first.
//
// Start-up: from just before the process is spawned to the X server mapping its
// top-level window (the window whose _NET_WM_PID is the process, and which stays
// mapped), as seen by a client watching the root window.
// Memory: the sum of the peak resident set (VmHWM) of every process in the
// program's tree, QtWebEngine's helper processes included, read once the tree is
// idle: for the program after ten category clicks, for the bare program after it
// has written the same fragment once.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <iconv.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include "bench/Figures.h"
#include "bench/ListingPages.h"
#include "bench/ProcessTree.h"
#include "catalogue/LoopbackServer.h"
#include "navigation/CategoryTable.h"
#include "retrieval/ListingPageLoader.h"

namespace {

using DisplayHandle = std::unique_ptr<Display, int (*)(Display*)>;

// A window may go between its map and our question about it.
int IgnoreErrors(Display*, XErrorEvent*)
{
    return 0;
}

pid_t PidOfWindow(Display* display, Window window)
{
    static const Atom netWmPid = XInternAtom(display, "_NET_WM_PID", False);
    Atom type = None;
    int format = 0;
    unsigned long items = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    pid_t pid = 0;
    if (XGetWindowProperty(display, window, netWmPid, 0, 1, False, XA_CARDINAL, &type, &format, &items, &after,
                           &data) == Success
        && data && format == 32 && items == 1)
        pid = static_cast<pid_t>(*reinterpret_cast<unsigned long*>(data));
    if (data)
        XFree(data);
    return pid;
}

struct Mapped {
    Window window;
    double at;
};

// The top-level window of pid and when the X server mapped it. Qt maps a first
// window and then replaces it by one that the web view can compose into, so a
// window counts only when it stays mapped for a while.
Mapped WaitForWindow(Display* display, pid_t pid, double deadlineSeconds)
{
    constexpr double Stays = 0.5;
    const double deadline = Now() + deadlineSeconds;
    pollfd connection{ConnectionNumber(display), POLLIN, 0};
    std::optional<Mapped> mapped;
    while (Now() < deadline) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify && !mapped && PidOfWindow(display, event.xmap.window) == pid)
                mapped = Mapped{event.xmap.window, Now()};
            else if (mapped && ((event.type == UnmapNotify && event.xunmap.window == mapped->window)
                                || (event.type == DestroyNotify && event.xdestroywindow.window == mapped->window)))
                mapped.reset();
        }
        if (mapped && Now() - mapped->at > Stays)
            return *mapped;
        poll(&connection, 1, 20);
    }
    throw std::runtime_error("no window of process " + std::to_string(pid) + " was shown");
}

struct Shown {
    pid_t pid;
    Window window;
    double seconds;  // from spawn to the window mapped
};

Shown StartAndWaitForWindow(Display* display, const std::string& program, const std::vector<std::string>& args,
                            int stdoutFd = -1)
{
    XSync(display, True);  // drops what earlier runs left in the queue
    const double start = Now();
    const pid_t pid = Spawn(program, args, stdoutFd);
    const Mapped mapped = WaitForWindow(display, pid, 60);
    return {pid, mapped.window, mapped.at - start};
}

std::string Utf8OfGbk(const std::string& gbk)
{
    const std::unique_ptr<void, int (*)(iconv_t)> cd(iconv_open("UTF-8", "GBK"), iconv_close);
    std::string out(gbk.size() * 2 + 4, '\0');
    char* in = const_cast<char*>(gbk.data());
    std::size_t inLeft = gbk.size();
    char* to = out.data();
    std::size_t outLeft = out.size();
    if (cd.get() == reinterpret_cast<iconv_t>(-1) || iconv(cd.get(), &in, &inLeft, &to, &outLeft) == static_cast<std::size_t>(-1))
        throw std::runtime_error("cannot convert the fragment to UTF-8");
    out.resize(out.size() - outLeft);
    return out;
}

void WaitForRequests(const LoopbackServer& server, std::size_t count)
{
    const double deadline = Now() + 60;
    while (server.Requests().size() < count) {
        if (Now() > deadline)
            throw std::runtime_error("the program did not fetch listing " + std::to_string(count));
        usleep(5000);
    }
}

// Ten category clicks, one after the other, each done (its page fetched and the
// tree idle again) before the next.
double ProgramPeakAfterTenClicks(Display* display, const std::string& program, LoopbackServer& server)
{
    server.ClearRequests();
    const Shown shown = StartAndWaitForWindow(display, program, {});
    WaitUntilIdle(shown.pid, 0.3, 60);
    for (int row = 1; row <= 10; ++row) {
        // The middle of suiButton<row>, in the window's coordinates.
        const std::string x = "84";
        const std::string y = std::to_string(53 + 40 * (row - 1));
        const pid_t xdotool = Spawn("xdotool", {"mousemove", "--window", std::to_string(shown.window), x, y, "click", "1"});
        int status = 0;
        waitpid(xdotool, &status, 0);
        WaitForRequests(server, static_cast<std::size_t>(row));
        if (!WaitUntilIdle(shown.pid, 0.3, 60))
            throw std::runtime_error("the program did not come to rest after a click");
    }
    const double peak = PeakResidentBytes(shown.pid);
    EndTree(shown.pid);
    return peak;
}

double BarePeakAfterOneWrite(Display* display, const std::string& bare, const std::string& fragmentFile)
{
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        throw std::runtime_error("no pipe");
    const Shown shown = StartAndWaitForWindow(display, bare, {fragmentFile}, pipeFds[1]);
    close(pipeFds[1]);
    char answer[32] = {};
    pollfd output{pipeFds[0], POLLIN, 0};
    const ssize_t read = poll(&output, 1, 60000) == 1 ? ::read(pipeFds[0], answer, sizeof answer - 1) : -1;
    close(pipeFds[0]);
    if (read <= 0 || std::string(answer).rfind("written", 0) != 0)
        throw std::runtime_error("the bare program did not write the fragment");
    if (!WaitUntilIdle(shown.pid, 0.3, 60))
        throw std::runtime_error("the bare program did not come to rest");
    const double peak = PeakResidentBytes(shown.pid);
    EndTree(shown.pid);
    return peak;
}

double StartupSeconds(Display* display, const std::string& program, const std::vector<std::string>& args)
{
    const Shown shown = StartAndWaitForWindow(display, program, args);
    EndTree(shown.pid);
    return shown.seconds;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string program = PROGRAM_PATH;
    const std::string bare = BARE_PANE_PATH;
    const int startupPairs = argc > 1 ? std::atoi(argv[1]) : 11;
    const int memoryPairs = argc > 2 ? std::atoi(argv[2]) : 5;

    BecomeSubreaper();
    XSetErrorHandler(IgnoreErrors);
    const DisplayHandle display(XOpenDisplay(nullptr), XCloseDisplay);
    if (!display)
        throw std::runtime_error("no X display");
    XSelectInput(display.get(), DefaultRootWindow(display.get()), SubstructureNotifyMask);

    // The site's address goes to a loopback server through the proxy variable; every
    // category has the same listing, whose fragment is about 10 KB.
    const std::string page = ListingPageWithFragment(10'000);
    LoopbackServer server;
    server.SetFallback([&page](const std::string&) { return CannedResponse{200, page, {}}; });
    unsetenv("no_proxy");
    unsetenv("NO_PROXY");
    setenv("http_proxy", server.Origin().c_str(), 1);

    char fragmentFile[] = "/tmp/bench-fragment-XXXXXX";
    const int fragmentFd = mkstemp(fragmentFile);
    const std::string fragment = Utf8OfGbk(CutListingPage(page, ListingAddress(CategoryTable[0], 1)));
    if (fragmentFd < 0 || write(fragmentFd, fragment.data(), fragment.size()) != static_cast<ssize_t>(fragment.size()))
        throw std::runtime_error("cannot write the fragment file");
    close(fragmentFd);

    StartupSeconds(display.get(), program, {});  // warm: the file cache, fontconfig's cache
    StartupSeconds(display.get(), bare, {});
    PairedRuns startup;
    for (int pair = 0; pair < startupPairs; ++pair) {
        MeasurePair(
            startup, [&] { return StartupSeconds(display.get(), program, {}); },
            [&] { return StartupSeconds(display.get(), bare, {}); });
        std::printf("start-up %d: program %.3f s, bare %.3f s\n", pair + 1, startup.ours.back(),
                     startup.floor.back());
        std::fflush(stdout);
    }
    PrintFigure(PairedFigure("start-up to window shown vs bare Qt web view (paired)", startup, 1.2, Quantity::Seconds));

    PairedRuns memory;
    for (int pair = 0; pair < memoryPairs; ++pair) {
        MeasurePair(
            memory, [&] { return ProgramPeakAfterTenClicks(display.get(), program, server); },
            [&] { return BarePeakAfterOneWrite(display.get(), bare, fragmentFile); });
        std::printf("memory %d: program %.1f MiB, bare %.1f MiB\n", pair + 1,
                     memory.ours.back() / (1 << 20), memory.floor.back() / (1 << 20));
        std::fflush(stdout);
    }
    PrintFigure(PairedFigure("peak RSS of process tree, 10 clicks vs bare after 1 write (paired)", memory, 1.2,
                             Quantity::Bytes));
    unlink(fragmentFile);
}

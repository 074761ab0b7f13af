#include "bench/RemoteSite.h"

#include <fcntl.h>
#include <httplib.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>
#include <thread>

namespace {

constexpr int LowestPriority = 19;
constexpr std::size_t BookChunk = 256 << 10;

// A thread for each connection, so that lowering the priority of one that serves a
// book lowers no other. The process ends without waiting for them.
class ThreadPerConnection final : public httplib::TaskQueue {
public:
    void enqueue(std::function<void()> connection) override { std::thread(std::move(connection)).detach(); }
    void shutdown() override {}
};

// The site's process: writes its port to portOut and serves until the lifeline
// closes. One that cannot listen ends without a word.
[[noreturn]] void Serve(const std::string& book, const std::string& page, int portOut, int lifeline)
{
    try {
        httplib::Server server;
        server.new_task_queue = [] { return new ThreadPerConnection; };
        server.Get(".*", [&](const httplib::Request& request, httplib::Response& response) {
            if (!request.path.ends_with(".txt")) {
                response.set_content(page, "text/html");
                return;
            }
            setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), LowestPriority);
            response.set_header("ETag", "\"bench\"");
            response.set_content_provider(book.size(), "text/plain",
                                          [&](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                                              return sink.write(book.data() + offset, std::min(length, BookChunk));
                                          });
        });
        const int port = server.bind_to_any_port("127.0.0.1");
        if (port <= 0)
            _exit(1);
        std::thread([&] { server.listen_after_bind(); }).detach();
        while (!server.is_running())
            std::this_thread::yield();
        if (write(portOut, &port, sizeof port) != sizeof port)
            _exit(1);
        char ignored;
        ssize_t got;
        while ((got = read(lifeline, &ignored, 1)) > 0 || (got < 0 && errno == EINTR)) {
        }
    } catch (...) {
        _exit(1);
    }
    _exit(0);
}

}  // namespace

RemoteSite::RemoteSite(const std::string& book, const std::string& page)
{
    int portPipe[2];
    int lifelinePipe[2];
    if (pipe2(portPipe, O_CLOEXEC) != 0)
        throw std::runtime_error("cannot start the site's process");
    if (pipe2(lifelinePipe, O_CLOEXEC) != 0) {
        close(portPipe[0]);
        close(portPipe[1]);
        throw std::runtime_error("cannot start the site's process");
    }
    const pid_t parent = getpid();
    process_ = fork();
    if (process_ == 0) {
        // Ends with the benchmark, however that ends.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent)
            _exit(1);
        close(portPipe[0]);
        close(lifelinePipe[1]);
        Serve(book, page, portPipe[1], lifelinePipe[0]);
    }
    close(portPipe[1]);
    close(lifelinePipe[0]);
    lifeline_ = lifelinePipe[1];
    const bool forked = process_ > 0;
    const bool told = forked && read(portPipe[0], &port_, sizeof port_) == sizeof port_ && port_ > 0;
    close(portPipe[0]);
    if (!told) {
        close(lifeline_);
        if (forked)
            waitpid(process_, nullptr, 0);
        throw std::runtime_error("the site's process did not start listening on 127.0.0.1");
    }
}

RemoteSite::~RemoteSite()
{
    close(lifeline_);
    waitpid(process_, nullptr, 0);
}

std::string RemoteSite::Origin() const
{
    return "http://127.0.0.1:" + std::to_string(port_);
}

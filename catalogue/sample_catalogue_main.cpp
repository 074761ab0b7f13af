// Serves the sample catalogue on 127.0.0.1:8936, the program's default site, or on
// the port given (0: any free one, for tests that reach it as a proxy), until
// interrupted; prints each address asked for.
//   sample-catalogue [PORT]
#include <charconv>
#include <csignal>
#include <iostream>
#include <string_view>

#include "catalogue/LoopbackServer.h"
#include "catalogue/SampleCatalogue.h"

namespace {

bool ParsePort(std::string_view text, int& port)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), port);
    return error == std::errc() && end == text.data() + text.size() && port >= 0 && port <= 65535;
}

}  // namespace

int main(int argc, char** argv)
{
    int port = 8936;
    if (argc > 2 || (argc == 2 && !ParsePort(argv[1], port))) {
        std::cerr << "usage: sample-catalogue [PORT]" << std::endl;
        return 2;
    }

    // Blocked before the server's thread starts, so only sigwait sees them.
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGINT);
    sigaddset(&stop, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stop, nullptr);

    try {
        LoopbackServer server(port);
        server.SetFallback([](const std::string& address) {
            std::cout << "GET " << address << std::endl;
            return SampleCataloguePage(address);
        });
        std::cout << "Sample catalogue on " << server.Origin() << std::endl;
        int signal = 0;
        sigwait(&stop, &signal);
    } catch (const std::exception& failure) {
        std::cerr << "sample-catalogue: " << failure.what() << std::endl;
        return 1;
    }
    return 0;
}

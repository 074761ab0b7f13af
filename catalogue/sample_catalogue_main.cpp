// Serves the sample catalogue on 127.0.0.1:8936, the program's default site,
// until interrupted; prints each address asked for.
#include <csignal>
#include <iostream>

#include "catalogue/LoopbackServer.h"
#include "catalogue/SampleCatalogue.h"

int main()
{
    // Blocked before the server's thread starts, so only sigwait sees them.
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGINT);
    sigaddset(&stop, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stop, nullptr);

    try {
        LoopbackServer server(8936);
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

// The sample catalogue behind a proxy on a free loopback port, for a program
// pointed at it through http_proxy. Prints its origin, then each address asked
// for, and serves until interrupted.
#include <csignal>
#include <iostream>
#include <string>

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
        LoopbackServer server;
        server.SetFallback([](const std::string& address) {
            std::cout << "GET " << address << std::endl;
            return SampleCataloguePage(address);
        });
        std::cout << "Proxy on " << server.Origin() << std::endl;
        int signal = 0;
        sigwait(&stop, &signal);
    } catch (const std::exception& failure) {
        std::cerr << "sample-catalogue-proxy: " << failure.what() << std::endl;
        return 1;
    }
    return 0;
}

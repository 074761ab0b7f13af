#include "cli/SignalWatch.h"

#include <pthread.h>

#include <system_error>

SignalWatch::SignalWatch(std::function<void(int)> onSignal) : onSignal_(std::move(onSignal))
{
    sigemptyset(&signals_);
    sigaddset(&signals_, SIGINT);
    sigaddset(&signals_, SIGTERM);
    if (const int error = pthread_sigmask(SIG_BLOCK, &signals_, nullptr))
        throw std::system_error(error, std::generic_category(), "cannot block SIGINT");
    watcher_ = std::thread([this] {
        for (;;) {
            int signal = 0;
            if (sigwait(&signals_, &signal) != 0 || stopping_)
                return;
            onSignal_(signal);
        }
    });
}

SignalWatch::~SignalWatch()
{
    // A signal sent to the watcher alone ends its wait; the signals stay blocked,
    // so one that comes later is not the default's to end the process with.
    stopping_ = true;
    pthread_kill(watcher_.native_handle(), SIGTERM);
    watcher_.join();
}

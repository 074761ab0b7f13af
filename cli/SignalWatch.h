#pragma once

#include <atomic>
#include <csignal>
#include <functional>
#include <thread>

// Takes SIGINT and SIGTERM away from their default (ending the process at once)
// and hands them to onSignal on a thread of its own, where it may lock and notify
// as any code may; nothing runs in a signal handler. Construct it before any other
// thread starts, so that every thread inherits the blocked signals.
class SignalWatch {
public:
    explicit SignalWatch(std::function<void(int)> onSignal);
    ~SignalWatch();
    SignalWatch(const SignalWatch&) = delete;
    SignalWatch& operator=(const SignalWatch&) = delete;

private:
    sigset_t signals_;
    std::function<void(int)> onSignal_;
    std::atomic<bool> stopping_ = false;
    std::thread watcher_;
};

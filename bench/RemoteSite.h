#pragma once

// The catalogue site for a benchmark that downloads books while it clicks: an HTTP
// server on 127.0.0.1 in a process of its own, which stands for a remote machine.
// What serving costs it (its memory, its faults, the copying of the books) is not
// the measured program's, and it is asked as a proxy for any address, as the
// LoopbackServer is. Every connection has a thread of its own: one that is asked
// for a book drops to the lowest priority, so that the books take what the machine
// has left, while one asked for a listing page answers at once at the normal
// priority, as a remote site would.

#include <sys/types.h>

#include <string>

class RemoteSite {
public:
    // Addresses ending in ".txt" are answered with book (text/plain), every other
    // with page (text/html). Must be made before the program starts any thread:
    // the site's process is forked from it.
    RemoteSite(const std::string& book, const std::string& page);
    ~RemoteSite();
    RemoteSite(const RemoteSite&) = delete;
    RemoteSite& operator=(const RemoteSite&) = delete;

    // "http://127.0.0.1:<port>"
    std::string Origin() const;

private:
    pid_t process_ = -1;
    int lifeline_ = -1;  // the site's process ends when this closes
    int port_ = 0;
};

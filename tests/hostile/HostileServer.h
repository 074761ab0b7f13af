#pragma once

// A raw-socket HTTP server on 127.0.0.1 whose answers a test writes byte by byte,
// so that it can misbehave as no real HTTP library would: stay silent, drip, stop
// mid-body, reset, never end. One thread per connection, a bounded number at a time;
// every connection ends by itself within a bounded time and all end when the
// server is destroyed.

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class HostileConnection {
public:
    HostileConnection(int socket, const std::atomic<bool>& stopping);
    ~HostileConnection();
    HostileConnection(const HostileConnection&) = delete;
    HostileConnection& operator=(const HostileConnection&) = delete;

    // Sends all of bytes, each write pushed out at once; false when the client is
    // gone, the server stops or the connection has outlived its time.
    bool Send(const std::string& bytes);
    // Sends bytes in pieces of piece bytes, pausing between them so that each
    // arrives in a read of its own.
    bool SendInPieces(const std::string& bytes, std::size_t piece, std::chrono::milliseconds pause);
    // Waits without sending; false when the wait was cut short.
    bool Wait(std::chrono::milliseconds duration);
    // Ends the connection with a reset instead of an orderly close.
    void Reset();

private:
    bool Alive() const;

    int socket_;
    const std::atomic<bool>& stopping_;
    std::chrono::steady_clock::time_point deadline_;
};

class HostileServer {
public:
    // Answers one request; head is the request line and headers as received.
    using Behaviour = std::function<void(HostileConnection& connection, const std::string& head)>;

    explicit HostileServer(Behaviour behaviour);
    ~HostileServer();
    HostileServer(const HostileServer&) = delete;
    HostileServer& operator=(const HostileServer&) = delete;

    // "http://127.0.0.1:<port>"
    std::string Origin() const;
    void SetBehaviour(Behaviour behaviour);
    // Request heads received so far, in order.
    std::vector<std::string> Requests() const;
    // Connections accepted so far, whether or not they sent a request.
    int Connections() const { return accepted_; }

private:
    void Accept();
    void Serve(int socket);

    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_ = false;
    std::atomic<int> open_ = 0;
    std::atomic<int> accepted_ = 0;
    mutable std::mutex mutex_;
    Behaviour behaviour_;
    std::vector<std::string> requests_;
    std::vector<std::thread> connections_;
    std::thread acceptor_;
};

// A whole response: status line, the given header lines, "Connection: close", then body.
std::string Response(const std::string& statusLine, const std::vector<std::string>& headers,
                     const std::string& body);

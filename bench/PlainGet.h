#pragma once

// The simplest HTTP clients, for the floors of the fetch figures: a plain socket to
// 127.0.0.1, one GET written whole, the answer read into memory.

#include <cstddef>
#include <memory>
#include <string>

class Socket;

// One GET on a connection of its own, the answer read to the end of the connection;
// the whole answer, status line and header fields included. target is what the
// request line names: a path, or an absolute address when the server is a proxy.
// extraHeaders are whole lines, each ending in "\r\n". Room for expectedBytes is
// made up front, as a client that read the declared length would.
std::string PlainGet(int port, const std::string& target, const std::string& extraHeaders = "",
                     std::size_t expectedBytes = 0);

// One connection kept open for GET after GET, each answer read up to the end of its
// declared Content-Length, or of its header for a 304; another is opened once the
// server has said it closes this one.
class PlainConnection {
public:
    explicit PlainConnection(int port);
    ~PlainConnection();
    PlainConnection(const PlainConnection&) = delete;
    PlainConnection& operator=(const PlainConnection&) = delete;

    // The whole answer, as PlainGet gives it.
    std::string Get(const std::string& target, const std::string& extraHeaders = "", std::size_t expectedBytes = 0);

private:
    std::unique_ptr<Socket> socket_;
    int port_;
};

#include "tests/hostile/HostileServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>

namespace {

using namespace std::chrono_literals;

// Longer than any fetch bound the tests use, short enough that a fault fails fast.
constexpr auto ConnectionLifetime = 20s;
constexpr int MaxOpenConnections = 32;
constexpr std::size_t MaxRequestHead = 64 * 1024;
constexpr int PollMilliseconds = 50;

}  // namespace

HostileConnection::HostileConnection(int socket, const std::atomic<bool>& stopping)
    : socket_(socket), stopping_(stopping), deadline_(std::chrono::steady_clock::now() + ConnectionLifetime)
{
    const int on = 1;
    setsockopt(socket_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

HostileConnection::~HostileConnection()
{
    if (socket_ >= 0)
        close(socket_);
}

bool HostileConnection::Alive() const
{
    return socket_ >= 0 && !stopping_ && std::chrono::steady_clock::now() < deadline_;
}

bool HostileConnection::Send(const std::string& bytes)
{
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        if (!Alive())
            return false;
        pollfd ready{socket_, POLLOUT, 0};
        if (poll(&ready, 1, PollMilliseconds) <= 0)
            continue;
        const ssize_t n = send(socket_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

bool HostileConnection::SendInPieces(const std::string& bytes, std::size_t piece, std::chrono::milliseconds pause)
{
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t length = std::min(piece, bytes.size() - at);
        if (!Send(bytes.substr(at, length)) || !Wait(pause))
            return false;
        at += length;
    }
    return true;
}

bool HostileConnection::Wait(std::chrono::milliseconds duration)
{
    const auto until = std::chrono::steady_clock::now() + duration;
    for (auto now = std::chrono::steady_clock::now(); now < until; now = std::chrono::steady_clock::now()) {
        if (!Alive())
            return false;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - now).count();
        // The client hanging up ends the wait too.
        pollfd hangUp{socket_, POLLRDHUP, 0};
        if (poll(&hangUp, 1, static_cast<int>(std::min<long long>(left, PollMilliseconds))) > 0)
            return false;
    }
    return true;
}

void HostileConnection::Reset()
{
    const linger abort{1, 0};
    setsockopt(socket_, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
    close(socket_);
    socket_ = -1;
}

HostileServer::HostileServer(Behaviour behaviour) : behaviour_(std::move(behaviour))
{
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0
        || listen(listener_, 16) != 0
        || getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (listener_ >= 0)
            close(listener_);
        throw std::runtime_error("cannot listen on loopback");
    }
    port_ = ntohs(address.sin_port);
    acceptor_ = std::thread([this] { Accept(); });
}

HostileServer::~HostileServer()
{
    stopping_ = true;
    acceptor_.join();
    close(listener_);
    for (std::thread& connection : connections_)
        connection.join();
}

std::string HostileServer::Origin() const
{
    return "http://127.0.0.1:" + std::to_string(port_);
}

void HostileServer::SetBehaviour(Behaviour behaviour)
{
    std::lock_guard lock(mutex_);
    behaviour_ = std::move(behaviour);
}

std::vector<std::string> HostileServer::Requests() const
{
    std::lock_guard lock(mutex_);
    return requests_;
}

void HostileServer::Accept()
{
    while (!stopping_) {
        pollfd ready{listener_, POLLIN, 0};
        if (poll(&ready, 1, PollMilliseconds) <= 0)
            continue;
        const int socket = accept(listener_, nullptr, nullptr);
        if (socket < 0)
            continue;
        ++accepted_;
        if (open_ >= MaxOpenConnections) {
            close(socket);
            continue;
        }
        ++open_;
        std::lock_guard lock(mutex_);
        connections_.emplace_back([this, socket] { Serve(socket); });
    }
}

void HostileServer::Serve(int socket)
{
    {
        HostileConnection connection(socket, stopping_);
        std::string head;
        char buffer[4096];
        const auto deadline = std::chrono::steady_clock::now() + ConnectionLifetime;
        while (head.find("\r\n\r\n") == std::string::npos && head.size() < MaxRequestHead && !stopping_
               && std::chrono::steady_clock::now() < deadline) {
            pollfd ready{socket, POLLIN, 0};
            if (poll(&ready, 1, PollMilliseconds) <= 0)
                continue;
            const ssize_t n = recv(socket, buffer, sizeof buffer, 0);
            if (n <= 0)
                break;
            head.append(buffer, static_cast<std::size_t>(n));
        }
        Behaviour behaviour;
        {
            std::lock_guard lock(mutex_);
            requests_.push_back(head);
            behaviour = behaviour_;
        }
        if (head.find("\r\n\r\n") != std::string::npos)
            behaviour(connection, head);
    }
    --open_;
}

std::string Response(const std::string& statusLine, const std::vector<std::string>& headers,
                     const std::string& body)
{
    std::string response = statusLine + "\r\n";
    for (const std::string& header : headers)
        response += header + "\r\n";
    return response + "Connection: close\r\n\r\n" + body;
}

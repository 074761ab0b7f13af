#include "bench/PlainGet.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string_view>
#include <system_error>

// A connected socket's descriptor, closed on the way out.
class Socket {
public:
    explicit Socket(int port) : fd_(socket(AF_INET, SOCK_STREAM, 0))
    {
        if (fd_ < 0)
            throw std::system_error(errno, std::generic_category(), "socket");
        sockaddr_in server{};
        server.sin_family = AF_INET;
        server.sin_port = htons(static_cast<std::uint16_t>(port));
        server.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (connect(fd_, reinterpret_cast<const sockaddr*>(&server), sizeof server) != 0) {
            const int error = errno;
            close(fd_);
            throw std::system_error(error, std::generic_category(), "connect");
        }
    }
    ~Socket() { close(fd_); }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    int Fd() const { return fd_; }

private:
    int fd_;
};

namespace {

void SendRequest(int fd, int port, const std::string& target, const char* connection, const std::string& extraHeaders)
{
    const std::string request = "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port)
                                + "\r\nConnection: " + connection + "\r\n" + extraHeaders + "\r\n";
    for (std::size_t sent = 0; sent < request.size();) {
        const ssize_t written = send(fd, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
        if (written < 0)
            throw std::system_error(errno, std::generic_category(), "send");
        sent += static_cast<std::size_t>(written);
    }
}

// Appends what one read brings; false at the end of the connection.
bool ReceiveSome(int fd, std::string& answer)
{
    char buffer[64 * 1024];
    const ssize_t got = recv(fd, buffer, sizeof buffer, 0);
    if (got < 0)
        throw std::system_error(errno, std::generic_category(), "recv");
    answer.append(buffer, static_cast<std::size_t>(got));
    return got > 0;
}

}  // namespace

std::string PlainGet(int port, const std::string& target, const std::string& extraHeaders, std::size_t expectedBytes)
{
    const Socket socket(port);
    SendRequest(socket.Fd(), port, target, "close", extraHeaders);
    std::string answer;
    answer.reserve(expectedBytes);
    while (ReceiveSome(socket.Fd(), answer)) {
    }
    return answer;
}

PlainConnection::PlainConnection(int port) : socket_(std::make_unique<Socket>(port)), port_(port) {}

PlainConnection::~PlainConnection() = default;

std::string PlainConnection::Get(const std::string& target, const std::string& extraHeaders, std::size_t expectedBytes)
{
    if (!socket_)
        socket_ = std::make_unique<Socket>(port_);
    SendRequest(socket_->Fd(), port_, target, "keep-alive", extraHeaders);
    std::string answer;
    answer.reserve(expectedBytes);
    std::size_t headerEnd = std::string::npos;
    while ((headerEnd = answer.find("\r\n\r\n")) == std::string::npos) {
        if (!ReceiveSome(socket_->Fd(), answer))
            throw std::runtime_error("the connection ended inside the header");
    }
    // A 304 has no body, whatever it declares.
    std::size_t bodyBytes = 0;
    if (answer.rfind("HTTP/1.1 304", 0) != 0) {
        constexpr std::string_view LengthField = "\r\nContent-Length: ";
        const std::size_t length = answer.find(LengthField);
        if (length == std::string::npos || length > headerEnd)
            throw std::runtime_error("the answer declares no Content-Length");
        bodyBytes = std::strtoull(answer.c_str() + length + LengthField.size(), nullptr, 10);
    }
    const std::size_t total = headerEnd + 4 + bodyBytes;
    while (answer.size() < total) {
        if (!ReceiveSome(socket_->Fd(), answer))
            throw std::runtime_error("the connection ended inside the body");
    }
    // The server's last answer on this connection: the next GET opens another.
    if (answer.find("\r\nConnection: close\r\n") < headerEnd + 2)
        socket_.reset();
    return answer;
}

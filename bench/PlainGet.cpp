#include "bench/PlainGet.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <stdexcept>
#include <system_error>

namespace {

class Socket {
public:
    Socket() : fd_(socket(AF_INET, SOCK_STREAM, 0))
    {
        if (fd_ < 0)
            throw std::system_error(errno, std::generic_category(), "socket");
    }
    ~Socket() { close(fd_); }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    int Fd() const { return fd_; }

private:
    int fd_;
};

}  // namespace

std::string PlainGet(int port, const std::string& target, const std::string& extraHeaders, std::size_t expectedBytes)
{
    Socket socket;
    sockaddr_in server{};
    server.sin_family = AF_INET;
    server.sin_port = htons(static_cast<std::uint16_t>(port));
    server.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(socket.Fd(), reinterpret_cast<const sockaddr*>(&server), sizeof server) != 0)
        throw std::system_error(errno, std::generic_category(), "connect");

    const std::string request = "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port)
                                + "\r\nConnection: close\r\n" + extraHeaders + "\r\n";
    for (std::size_t sent = 0; sent < request.size();) {
        const ssize_t written = send(socket.Fd(), request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
        if (written < 0)
            throw std::system_error(errno, std::generic_category(), "send");
        sent += static_cast<std::size_t>(written);
    }

    std::string answer;
    answer.reserve(expectedBytes);
    char buffer[64 * 1024];
    while (true) {
        const ssize_t got = recv(socket.Fd(), buffer, sizeof buffer, 0);
        if (got < 0)
            throw std::system_error(errno, std::generic_category(), "recv");
        if (got == 0)
            return answer;
        answer.append(buffer, static_cast<std::size_t>(got));
    }
}

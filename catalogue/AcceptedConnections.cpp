#include "catalogue/AcceptedConnections.h"

#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

void EndConnectionsAcceptedOn(int port)
{
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", error)) {
        const int fd = std::atoi(entry.path().filename().c_str());
        sockaddr_in local{}, peer{};
        socklen_t length = sizeof local;
        if (getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length) != 0 || local.sin_family != AF_INET
            || ntohs(local.sin_port) != port)
            continue;
        length = sizeof peer;
        // The listening socket has no peer; the server's side of a connection has.
        if (getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length) == 0)
            shutdown(fd, SHUT_RDWR);
    }
}

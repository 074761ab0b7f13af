#pragma once

// The simplest HTTP client, for the floors of the fetch figures: one connection to
// 127.0.0.1, one GET written whole, the answer read to the end of the connection.

#include <cstddef>
#include <string>

// The whole answer, status line and header fields included. target is what the
// request line names: a path, or an absolute address when the server is a proxy.
// extraHeaders are whole lines, each ending in "\r\n". Room for expectedBytes is
// made up front, as a client that read the declared length would.
std::string PlainGet(int port, const std::string& target, const std::string& extraHeaders = "",
                     std::size_t expectedBytes = 0);

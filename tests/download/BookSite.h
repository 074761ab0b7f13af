#pragma once

// A book site on a HostileServer: each path answers with a behaviour of its own,
// and a book's file can be served as a well-behaved server does (Content-Length,
// an ETag, Range and If-Range) or with a fault.

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "tests/hostile/HostileServer.h"

struct FileServing {
    std::string etag = "\"v1\"";
    bool honoursRange = true;
    // Answers a range with a Content-Range that starts elsewhere.
    bool wrongContentRange = false;
    // Sends this many bytes of what it promised, then resets the connection; 0 sends all.
    std::size_t resetAfter = 0;
    // Sends the body this many bytes at a time with a pause between them; 0 sends it at once.
    std::size_t dripPiece = 0;
};

// The file's body as served to a request head, Range and If-Range considered.
HostileServer::Behaviour ServesFile(std::string body, FileServing serving = {});
// An HTML page, GBK unless the page says otherwise.
HostileServer::Behaviour ServesPage(std::string html, std::string contentType = "text/html");
// A status with headers and an empty body.
HostileServer::Behaviour Answers(std::string statusLine, std::vector<std::string> headers = {});
// The first behaviour for the first request, the second for the next, and so on;
// the last for every request after.
HostileServer::Behaviour InTurn(std::vector<HostileServer::Behaviour> behaviours);

class BookSite {
public:
    BookSite();

    void Route(const std::string& path, HostileServer::Behaviour behaviour);
    std::string Address(const std::string& path) const { return server_.Origin() + path; }
    // Request heads received for path, in order.
    std::vector<std::string> RequestsFor(const std::string& path) const;

private:
    std::shared_ptr<std::mutex> mutex_;
    std::shared_ptr<std::map<std::string, HostileServer::Behaviour>> routes_;
    HostileServer server_;
};

// The value of a header in a request head; empty when absent.
std::string HeaderOf(const std::string& head, const std::string& name);

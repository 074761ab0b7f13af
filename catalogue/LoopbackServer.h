#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace httplib {
class Server;
}

// A 200 answers a Range request with 206 and that part of the body, unless an
// If-Range names neither its ETag nor its Last-Modified.
struct CannedResponse {
    int status = 200;
    std::string body;  // bytes as sent
    std::vector<std::pair<std::string, std::string>> headers;  // Content-Type: text/html unless given
};

// An HTTP server on 127.0.0.1 that answers both as the catalogue site itself
// (origin-form requests) and as a proxy in front of any site (absolute-form
// requests), from pages it was given by absolute address. A request whose
// If-None-Match names the ETag a page is served with gets 304 Not Modified.
class LoopbackServer {
public:
    using Handler = std::function<CannedResponse(const std::string& address)>;

    // port 0 picks a free port.
    explicit LoopbackServer(int port = 0);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    int Port() const { return port_; }
    // "http://127.0.0.1:<port>"
    std::string Origin() const;

    // Answers GETs of this absolute address with response.
    void Serve(const std::string& address, CannedResponse response);
    // Answers every address not served otherwise; by default a 404 with an empty body.
    void SetFallback(Handler handler);

    // Absolute addresses asked for so far, in order.
    std::vector<std::string> Requests() const;
    void ClearRequests();

private:
    CannedResponse Answer(const std::string& address);

    std::unique_ptr<httplib::Server> server_;
    int port_ = 0;
    std::thread listener_;
    mutable std::mutex mutex_;
    std::vector<std::pair<std::string, CannedResponse>> pages_;
    Handler fallback_;
    std::vector<std::string> requests_;
};

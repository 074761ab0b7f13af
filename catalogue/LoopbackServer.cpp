#include "catalogue/LoopbackServer.h"

#include <httplib.h>
#include <strings.h>
#include <sys/socket.h>

#include <stdexcept>

#include "catalogue/AcceptedConnections.h"

namespace {

bool SameName(const std::string& a, const char* b)
{
    return strcasecmp(a.c_str(), b) == 0;
}

std::string HeaderOf(const CannedResponse& response, const char* name)
{
    for (const auto& [header, value] : response.headers) {
        if (SameName(header, name))
            return value;
    }
    return {};
}

// A range is served only while the validator the client holds is still the
// response's: an If-Range naming its ETag or its Last-Modified, or none at all.
bool IfRangeHolds(const httplib::Request& request, const CannedResponse& response)
{
    if (!request.has_header("If-Range"))
        return true;
    const std::string validator = request.get_header_value("If-Range");
    return !validator.empty()
           && (validator == HeaderOf(response, "ETag") || validator == HeaderOf(response, "Last-Modified"));
}

}  // namespace

LoopbackServer::LoopbackServer(int port) : server_(std::make_unique<httplib::Server>())
{
    // Without SO_REUSEPORT, which httplib sets by default: a second server on a taken
    // port must fail, not share it and take some of the first one's requests.
    server_->set_socket_options([](int socket) {
        const int yes = 1;
        setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    // Connections kept as common web servers keep them: up to a hundred requests, and
    // each answer's last small piece sent at once rather than after the client's
    // delayed acknowledgement of the piece before.
    server_->set_keep_alive_max_count(100);
    server_->set_tcp_nodelay(true);
    server_->Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
        // A proxy is asked for the absolute address; the site itself for a path on its host.
        std::string address = request.path.rfind("http://", 0) == 0 || request.path.rfind("https://", 0) == 0
                                  ? request.path
                                  : "http://" + request.get_header_value("Host") + request.path;
        const CannedResponse answer = Answer(address);
        std::string contentType = "text/html";
        for (const auto& [name, value] : answer.headers) {
            if (SameName(name, "Content-Type"))
                contentType = value;
            else
                response.set_header(name, value);
        }
        auto& ranges = const_cast<httplib::Request&>(request).ranges;
        // A client that holds this very page is told so, as a real site would.
        const std::string etag = HeaderOf(answer, "ETag");
        if (answer.status == 200 && !etag.empty() && request.get_header_value("If-None-Match") == etag) {
            ranges.clear();
            response.status = 304;
            return;
        }
        response.set_content(answer.body, contentType);
        // The library cuts the body to any requested range after this handler, and
        // would even for an error page or a stale If-Range: a range it must not
        // serve is taken off the request, which is the library's own object.
        if (answer.status != 200 || ranges.empty() || !IfRangeHolds(request, answer)) {
            ranges.clear();
            response.status = answer.status;
        } else if (ranges.size() == 1 && ranges[0].first >= 0
                   && static_cast<std::size_t>(ranges[0].first) >= answer.body.size()) {
            // Past the end: the library would describe this range wrongly.
            ranges.clear();
            response.status = 416;
            response.set_header("Content-Range", "bytes */" + std::to_string(answer.body.size()));
            response.body.clear();
        } else {
            response.status = 206;
        }
    });
    if (port == 0)
        port_ = server_->bind_to_any_port("127.0.0.1");
    else if (server_->bind_to_port("127.0.0.1", port))
        port_ = port;
    if (port_ <= 0)
        throw std::runtime_error("cannot listen on 127.0.0.1:" + std::to_string(port));
    listener_ = std::thread([this] { server_->listen_after_bind(); });
    // stop() is lost on a server that is not yet running, so be running before anyone can call it.
    while (!server_->is_running())
        std::this_thread::yield();
}

LoopbackServer::~LoopbackServer()
{
    server_->stop();
    EndConnectionsAcceptedOn(port_);
    listener_.join();
}

std::string LoopbackServer::Origin() const
{
    return "http://127.0.0.1:" + std::to_string(port_);
}

void LoopbackServer::Serve(const std::string& address, CannedResponse response)
{
    const std::lock_guard lock(mutex_);
    for (auto& [served, page] : pages_) {
        if (served == address) {
            page = std::move(response);
            return;
        }
    }
    pages_.emplace_back(address, std::move(response));
}

void LoopbackServer::SetFallback(Handler handler)
{
    const std::lock_guard lock(mutex_);
    fallback_ = std::move(handler);
}

std::vector<std::string> LoopbackServer::Requests() const
{
    const std::lock_guard lock(mutex_);
    return requests_;
}

void LoopbackServer::ClearRequests()
{
    const std::lock_guard lock(mutex_);
    requests_.clear();
}

CannedResponse LoopbackServer::Answer(const std::string& address)
{
    Handler fallback;
    {
        const std::lock_guard lock(mutex_);
        requests_.push_back(address);
        for (const auto& [served, page] : pages_) {
            if (served == address)
                return page;
        }
        fallback = fallback_;
    }
    return fallback ? fallback(address) : CannedResponse{404, "", {}};
}

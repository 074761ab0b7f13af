#include "tests/download/BookSite.h"

#include <algorithm>
#include <atomic>
#include <cctype>

#include "tests/hostile/Misbehaviours.h"

namespace {

using namespace std::chrono_literals;

std::string PathOf(const std::string& head)
{
    const std::size_t start = head.find(' ') + 1;
    return head.substr(start, head.find(' ', start) - start);
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

}  // namespace

std::string HeaderOf(const std::string& head, const std::string& name)
{
    const std::string lower = Lower(head);
    const std::size_t at = lower.find("\r\n" + Lower(name) + ":");
    if (at == std::string::npos)
        return {};
    std::size_t start = at + 3 + name.size();
    while (start < head.size() && head[start] == ' ')
        ++start;
    return head.substr(start, head.find("\r\n", start) - start);
}

HostileServer::Behaviour ServesFile(std::string body, FileServing serving)
{
    return [body = std::move(body), serving](HostileConnection& connection, const std::string& head) {
        std::size_t start = 0;
        const std::string range = HeaderOf(head, "Range");
        const std::string ifRange = HeaderOf(head, "If-Range");
        if (serving.honoursRange && range.starts_with("bytes=") && (ifRange.empty() || ifRange == serving.etag))
            start = std::stoull(range.substr(6));
        std::vector<std::string> headers{"Content-Type: text/plain", "ETag: " + serving.etag,
                                         "Content-Length: " + std::to_string(body.size() - start)};
        std::string status = "HTTP/1.1 200 OK";
        if (start > 0) {
            status = "HTTP/1.1 206 Partial Content";
            const std::size_t shown = serving.wrongContentRange ? start / 2 : start;
            headers.push_back("Content-Range: bytes " + std::to_string(shown) + "-"
                              + std::to_string(body.size() - 1 - (start - shown)) + "/"
                              + std::to_string(body.size()));
        }
        std::string sent = body.substr(start);
        if (serving.resetAfter > 0)
            sent = sent.substr(0, serving.resetAfter);
        if (!connection.Send(Response(status, headers, "")))
            return;
        if (serving.dripPiece > 0 ? !connection.SendInPieces(sent, serving.dripPiece, 20ms) : !connection.Send(sent))
            return;
        if (serving.resetAfter > 0) {
            connection.Wait(50ms);
            connection.Reset();
        }
    };
}

HostileServer::Behaviour ServesPage(std::string html, std::string contentType)
{
    return [html = std::move(html), contentType](HostileConnection& connection, const std::string&) {
        connection.Send(Response("HTTP/1.1 200 OK",
                                 {"Content-Type: " + contentType, "Content-Length: " + std::to_string(html.size())},
                                 html));
    };
}

HostileServer::Behaviour Answers(std::string statusLine, std::vector<std::string> headers)
{
    headers.push_back("Content-Length: 0");
    return [statusLine = std::move(statusLine), headers](HostileConnection& connection, const std::string&) {
        connection.Send(Response(statusLine, headers, ""));
    };
}

HostileServer::Behaviour InTurn(std::vector<HostileServer::Behaviour> behaviours)
{
    auto next = std::make_shared<std::atomic<std::size_t>>(0);
    return [behaviours = std::move(behaviours), next](HostileConnection& connection, const std::string& head) {
        const std::size_t turn = std::min(next->fetch_add(1), behaviours.size() - 1);
        behaviours[turn](connection, head);
    };
}

BookSite::BookSite()
    : mutex_(std::make_shared<std::mutex>()),
      routes_(std::make_shared<std::map<std::string, HostileServer::Behaviour>>()),
      server_([mutex = mutex_, routes = routes_](HostileConnection& connection, const std::string& head) {
          HostileServer::Behaviour behaviour;
          {
              std::lock_guard lock(*mutex);
              const auto found = routes->find(PathOf(head));
              if (found != routes->end())
                  behaviour = found->second;
          }
          if (behaviour)
              behaviour(connection, head);
          else
              connection.Send(Response("HTTP/1.1 404 Not Found", {"Content-Length: 0"}, ""));
      })
{
}

void BookSite::Route(const std::string& path, HostileServer::Behaviour behaviour)
{
    std::lock_guard lock(*mutex_);
    (*routes_)[path] = std::move(behaviour);
}

std::vector<std::string> BookSite::RequestsFor(const std::string& path) const
{
    std::vector<std::string> heads;
    for (const std::string& head : server_.Requests())
        if (PathOf(head) == path)
            heads.push_back(head);
    return heads;
}

#include "tests/hostile/Misbehaviours.h"

#include <zlib.h>

#include <cstdio>
#include <stdexcept>

namespace {

using namespace std::chrono_literals;

std::string ContentLength(std::size_t length)
{
    return "Content-Length: " + std::to_string(length);
}

// The request target: the path, or the absolute address when asked as a proxy.
std::string Target(const std::string& head)
{
    const std::size_t start = head.find(' ') + 1;
    return head.substr(start, head.find(' ', start) - start);
}

}  // namespace

HostileServer::Behaviour Serves(std::string body, std::size_t piece)
{
    return [body = std::move(body), piece](HostileConnection& connection, const std::string&) {
        if (connection.Send(Response("HTTP/1.1 200 OK", {ContentLength(body.size())}, "")))
            connection.SendInPieces(body, piece, 1ms);
    };
}

HostileServer::Behaviour ServesUntilClose(std::string body)
{
    return [body = std::move(body)](HostileConnection& connection, const std::string&) {
        connection.Send(Response("HTTP/1.0 200 OK", {}, body));
    };
}

HostileServer::Behaviour ServesChunked(std::string body, std::size_t chunk)
{
    return [body = std::move(body), chunk](HostileConnection& connection, const std::string&) {
        std::string chunked;
        for (std::size_t at = 0; at < body.size(); at += chunk) {
            const std::string piece = body.substr(at, chunk);
            char size[32];
            std::snprintf(size, sizeof size, "%zx\r\n", piece.size());
            chunked += size + piece + "\r\n";
        }
        chunked += "0\r\n\r\n";
        if (connection.Send(Response("HTTP/1.1 200 OK", {"Transfer-Encoding: chunked"}, "")))
            connection.SendInPieces(chunked, 3, 1ms);
    };
}

HostileServer::Behaviour ServesGzipped(std::string compressed)
{
    return [compressed = std::move(compressed)](HostileConnection& connection, const std::string&) {
        connection.Send(Response("HTTP/1.1 200 OK", {"Content-Encoding: gzip", ContentLength(compressed.size())},
                                 compressed));
    };
}

HostileServer::Behaviour SaysNothing()
{
    return [](HostileConnection& connection, const std::string&) { connection.Wait(20s); };
}

HostileServer::Behaviour Drips(std::string body, std::chrono::milliseconds interval)
{
    return [body = std::move(body), interval](HostileConnection& connection, const std::string&) {
        if (connection.Send(Response("HTTP/1.1 200 OK", {ContentLength(body.size())}, "")))
            connection.SendInPieces(body, 1, interval);
    };
}

HostileServer::Behaviour ResetsMidBody(std::string body)
{
    return [body = std::move(body)](HostileConnection& connection, const std::string&) {
        connection.Send(Response("HTTP/1.1 200 OK", {ContentLength(body.size())}, body.substr(0, body.size() / 2)));
        connection.Wait(100ms);
        connection.Reset();
    };
}

HostileServer::Behaviour FallsShortOfItsLength(std::string body)
{
    return [body = std::move(body)](HostileConnection& connection, const std::string&) {
        connection.Send(Response("HTTP/1.1 200 OK", {ContentLength(body.size() + 100)}, body));
    };
}

HostileServer::Behaviour SendsForever()
{
    return [](HostileConnection& connection, const std::string&) {
        const std::string block(64 * 1024, 'x');
        if (connection.Send(Response("HTTP/1.0 200 OK", {}, "")))
            while (connection.Send(block)) {
            }
    };
}

HostileServer::Behaviour SendsHeadersForever()
{
    return [](HostileConnection& connection, const std::string&) {
        const std::string header = "X-Filler: " + std::string(1000, 'h') + "\r\n";
        if (connection.Send("HTTP/1.1 200 OK\r\n"))
            while (connection.Send(header)) {
            }
    };
}

HostileServer::Behaviour AnswersWithoutAStatusLine(std::string body)
{
    return [body = std::move(body)](HostileConnection& connection, const std::string&) { connection.Send(body); };
}

HostileServer::Behaviour RedirectsTo(std::string location)
{
    return [location = std::move(location)](HostileConnection& connection, const std::string&) {
        connection.Send(Response("HTTP/1.1 302 Found", {"Location: " + location, ContentLength(0)}, ""));
    };
}

HostileServer::Behaviour RedirectsToItself()
{
    return [](HostileConnection& connection, const std::string& head) {
        connection.Send(Response("HTTP/1.1 302 Found", {"Location: " + Target(head), ContentLength(0)}, ""));
    };
}

std::string Gzip(const std::string& body)
{
    z_stream stream{};
    // 15 window bits + 16: a gzip wrapper rather than zlib's own.
    if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("cannot start gzip");
    std::string compressed(deflateBound(&stream, body.size()) + 32, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(body.data()));
    stream.avail_in = static_cast<uInt>(body.size());
    stream.next_out = reinterpret_cast<Bytef*>(compressed.data());
    stream.avail_out = static_cast<uInt>(compressed.size());
    const int result = deflate(&stream, Z_FINISH);
    deflateEnd(&stream);
    if (result != Z_STREAM_END)
        throw std::runtime_error("cannot gzip");
    compressed.resize(stream.total_out);
    return compressed;
}

#pragma once

// The ways a catalogue site may answer, well or badly, as HostileServer behaviours.

#include <chrono>
#include <cstddef>
#include <string>

#include "tests/hostile/HostileServer.h"

// 200 with an exact Content-Length, the body written piece bytes at a time (each
// piece its own read, so markers straddle reads).
HostileServer::Behaviour Serves(std::string body, std::size_t piece = std::string::npos);
// HTTP/1.0 without a length: the body ends where the connection closes.
HostileServer::Behaviour ServesUntilClose(std::string body);
// Chunked, chunk bytes to a chunk, the chunks written in small pieces.
HostileServer::Behaviour ServesChunked(std::string body, std::size_t chunk);
// The body gzip-compressed and labelled so, though the request asked for no encoding.
HostileServer::Behaviour ServesGzipped(std::string compressed);

// Accepts, reads the request, and stays silent.
HostileServer::Behaviour SaysNothing();
// Headers, then the body a byte at a time with interval between bytes.
HostileServer::Behaviour Drips(std::string body, std::chrono::milliseconds interval);
// Promises the whole body, sends its first half, then resets the connection.
HostileServer::Behaviour ResetsMidBody(std::string body);
// Promises more bytes than it sends, then closes in order.
HostileServer::Behaviour FallsShortOfItsLength(std::string body);
// A close-delimited body that never ends.
HostileServer::Behaviour SendsForever();
// A header block that never ends.
HostileServer::Behaviour SendsHeadersForever();
// Bytes that are no HTTP response at all.
HostileServer::Behaviour AnswersWithoutAStatusLine(std::string body);
// 302 to location.
HostileServer::Behaviour RedirectsTo(std::string location);
// 302 back to the very address asked for.
HostileServer::Behaviour RedirectsToItself();

// body compressed as a gzip stream.
std::string Gzip(const std::string& body);

#pragma once

#include <curl/curl.h>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "retrieval/FetchPageText.h"

// libcurl's process-wide set-up, done once before the first handle of any kind.
void EnsureCurlInitialised();

// The bounds every request of the program keeps: http and https only, also on
// redirects, a limited number of redirects, a connect timeout, and a stall limit
// of under one byte a second for stallSeconds. The proxy comes from the environment.
void SetTransferBounds(CURL* easy, long connectTimeoutSeconds, long stallSeconds, long maxRedirects);

// One Internet session: a libcurl easy handle that its requests take turns on. It
// keeps what a browser keeps between pages: open connections to a site, looked-up
// names and libcurl's own set-up, so the next page of a site costs no new connection.
class HttpSession {
public:
    HttpSession();
    ~HttpSession();
    HttpSession(const HttpSession&) = delete;
    HttpSession& operator=(const HttpSession&) = delete;

    CURL* Handle() const { return easy_; }

private:
    CURL* easy_;
};

// One GET of one address on a session, which it must have to itself while it lasts.
// extraHeaders are whole header lines ("If-None-Match: \"x\"") sent with it.
class HttpRequest {
public:
    HttpRequest(const HttpSession& session, const std::string& address, const FetchLimits& limits,
                const std::vector<std::string>& extraHeaders = {});
    ~HttpRequest();
    HttpRequest(const HttpRequest&) = delete;
    HttpRequest& operator=(const HttpRequest&) = delete;

    // Performs the request and returns the whole body up to its first NUL byte.
    std::string ReadBody();

    // Of the final response, once the body is read.
    long Status() const;
    long Redirects() const;
    // Every line of the field joined by ", ", or nothing when the response has none.
    std::optional<std::string> Header(const char* name) const;

private:
    void Release();
    static std::size_t Receive(char* data, std::size_t size, std::size_t count, void* self);

    CURL* const easy_;
    curl_slist* headers_ = nullptr;
    std::string address_;
    std::size_t maxBodyBytes_;
    std::size_t received_ = 0;
    bool sawNul_ = false;
    std::string body_;
    char error_[CURL_ERROR_SIZE] = {};
};

#include "retrieval/HttpSession.h"

#include <algorithm>
#include <cstring>

namespace {

template <typename Value>
void SetOption(CURL* easy, CURLoption option, Value value)
{
    if (curl_easy_setopt(easy, option, value) != CURLE_OK)
        throw FetchError("cannot set up the HTTP request");
}

}  // namespace

void EnsureCurlInitialised()
{
    static const bool initialised = [] {
        if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK)
            throw FetchError("cannot initialise the HTTP client");
        return true;
    }();
    (void)initialised;
}

void SetTransferBounds(CURL* easy, long connectTimeoutSeconds, long stallSeconds, long maxRedirects)
{
    SetOption(easy, CURLOPT_FOLLOWLOCATION, 1L);
    SetOption(easy, CURLOPT_MAXREDIRS, maxRedirects);
    SetOption(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    SetOption(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    SetOption(easy, CURLOPT_NOSIGNAL, 1L);
    SetOption(easy, CURLOPT_CONNECTTIMEOUT, connectTimeoutSeconds);
    SetOption(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
    SetOption(easy, CURLOPT_LOW_SPEED_TIME, stallSeconds);
}

HttpSession::HttpSession()
{
    EnsureCurlInitialised();
    easy_ = curl_easy_init();
    if (!easy_)
        throw FetchError("cannot open an HTTP session");
    // Larger reads than libcurl's 16 KiB, for fewer calls per page, but no larger than
    // stays in the processor's cache between the read and the copy into the page.
    // Set once: libcurl refuses to change it on a handle that has held a transfer.
    if (curl_easy_setopt(easy_, CURLOPT_BUFFERSIZE, 64L * 1024) != CURLE_OK) {
        curl_easy_cleanup(easy_);
        throw FetchError("cannot open an HTTP session");
    }
}

HttpSession::~HttpSession()
{
    curl_easy_cleanup(easy_);
}

HttpRequest::HttpRequest(const HttpSession& session, const std::string& address, const FetchLimits& limits,
                         const std::vector<std::string>& extraHeaders)
    : easy_(session.Handle()), address_(address), maxBodyBytes_(limits.maxBodyBytes)
{
    // Every option a request uses is set here, so none is left from the one before.
    try {
        for (const std::string& line : extraHeaders) {
            curl_slist* const longer = curl_slist_append(headers_, line.c_str());
            if (!longer)
                throw FetchError("cannot open " + address + ": out of resources");
            headers_ = longer;
        }
        SetOption(easy_, CURLOPT_HTTPHEADER, headers_);
        SetOption(easy_, CURLOPT_URL, address.c_str());
        SetOption(easy_, CURLOPT_HTTPGET, 1L);
        // No Accept-Encoding and no User-Agent: the page is what comes over the wire.
        SetTransferBounds(easy_, limits.connectTimeoutSeconds, limits.stallSeconds, limits.maxRedirects);
        SetOption(easy_, CURLOPT_TIMEOUT, limits.totalTimeoutSeconds);
        SetOption(easy_, CURLOPT_ERRORBUFFER, error_);
        SetOption(easy_, CURLOPT_WRITEFUNCTION, &HttpRequest::Receive);
        SetOption(easy_, CURLOPT_WRITEDATA, this);
    } catch (...) {
        Release();
        throw;
    }
}

HttpRequest::~HttpRequest()
{
    Release();
}

void HttpRequest::Release()
{
    // The session's handle outlives the request: it keeps nothing that points here.
    curl_easy_setopt(easy_, CURLOPT_HTTPHEADER, nullptr);
    curl_easy_setopt(easy_, CURLOPT_ERRORBUFFER, nullptr);
    curl_easy_setopt(easy_, CURLOPT_WRITEDATA, nullptr);
    curl_slist_free_all(headers_);
}

std::size_t HttpRequest::Receive(char* data, std::size_t size, std::size_t count, void* self)
{
    auto& request = *static_cast<HttpRequest*>(self);
    const std::size_t length = size * count;
    request.received_ += length;
    if (request.received_ > request.maxBodyBytes_)
        return CURL_WRITEFUNC_ERROR;
    // Room for the whole declared body at once, so a large page is not copied as it grows.
    if (request.body_.empty() && !request.sawNul_) {
        curl_off_t declared = -1;
        if (curl_easy_getinfo(request.easy_, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &declared) == CURLE_OK && declared > 0)
            request.body_.reserve(std::min(static_cast<std::size_t>(declared), request.maxBodyBytes_));
    }
    // The page ends at its first NUL; the rest of the body is read and dropped.
    if (!request.sawNul_) {
        const void* nul = std::memchr(data, '\0', length);
        const std::size_t kept = nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - data) : length;
        request.body_.append(data, kept);
        request.sawNul_ = nul != nullptr;
    }
    return length;
}

std::string HttpRequest::ReadBody()
{
    const CURLcode result = curl_easy_perform(easy_);
    if (result == CURLE_WRITE_ERROR && received_ > maxBodyBytes_)
        throw FetchError("cannot fetch " + address_ + ": the page is larger than "
                         + std::to_string(maxBodyBytes_) + " bytes");
    if (result != CURLE_OK)
        throw FetchError("cannot fetch " + address_ + ": " + (error_[0] ? error_ : curl_easy_strerror(result)));
    return std::move(body_);
}

long HttpRequest::Status() const
{
    long status = 0;
    curl_easy_getinfo(easy_, CURLINFO_RESPONSE_CODE, &status);
    return status;
}

long HttpRequest::Redirects() const
{
    long redirects = 0;
    curl_easy_getinfo(easy_, CURLINFO_REDIRECT_COUNT, &redirects);
    return redirects;
}

std::optional<std::string> HttpRequest::Header(const char* name) const
{
    std::optional<std::string> value;
    curl_header* header = nullptr;
    // Request -1: the last response of the transfer, after any redirects.
    for (std::size_t index = 0;
         curl_easy_header(easy_, name, index, CURLH_HEADER, -1, &header) == CURLHE_OK; ++index) {
        value = value ? *value + ", " + header->value : std::string(header->value);
        if (index + 1 >= header->amount)
            break;
    }
    return value;
}

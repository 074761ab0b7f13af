#include "download/BookFetch.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <stdexcept>

#include "download/WriteFailure.h"
#include "retrieval/HttpSession.h"

namespace {

// Book pages are small; this only bounds a server that sends a page without end.
constexpr std::size_t MaxPageBytes = 8u << 20;
// Bytes of leading blanks after which a body is taken for text without looking further.
constexpr std::size_t MaxSniffBytes = 4096;

template <typename Value>
void SetOption(CURL* easy, CURLoption option, Value value)
{
    if (curl_easy_setopt(easy, option, value) != CURLE_OK)
        throw std::runtime_error("cannot set up the HTTP request");
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

// Whether a body that opens with these bytes is an HTML page; nothing while too few have come.
std::optional<bool> LooksLikeHtml(const std::string& head, bool complete)
{
    const std::size_t start = std::find_if_not(head.begin(), head.end(), IsBlank) - head.begin();
    const std::string opening = Lower(head.substr(start, 9));
    for (const std::string_view mark : {std::string_view("<!doctype"), std::string_view("<html")}) {
        if (opening.starts_with(mark))
            return true;
        if (mark.starts_with(opening) && !complete && head.size() < MaxSniffBytes)
            return std::nullopt;
    }
    return false;
}

std::optional<std::uint64_t> Number(std::string_view text)
{
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// "bytes START-END/TOTAL": START, and TOTAL when known.
std::optional<std::pair<std::uint64_t, std::optional<std::uint64_t>>> ParseContentRange(const std::string& value)
{
    const std::string lower = Lower(value);
    if (!lower.starts_with("bytes "))
        return std::nullopt;
    const std::size_t dash = lower.find('-', 6);
    const std::size_t slash = lower.find('/', 6);
    if (dash == std::string::npos || slash == std::string::npos || dash > slash)
        return std::nullopt;
    const auto start = Number(std::string_view(lower).substr(6, dash - 6));
    const auto end = Number(std::string_view(lower).substr(dash + 1, slash - dash - 1));
    if (!start || !end || *end < *start)
        return std::nullopt;
    const std::string_view total = std::string_view(lower).substr(slash + 1);
    if (total == "*")
        return std::make_pair(*start, std::optional<std::uint64_t>());
    const auto size = Number(total);
    if (!size || *end >= *size)
        return std::nullopt;
    return std::make_pair(*start, size);
}

// The charset parameter of a Content-Type value.
std::optional<std::string> Charset(const std::string& contentType)
{
    const std::string lower = Lower(contentType);
    const std::size_t at = lower.find("charset=");
    if (at == std::string::npos)
        return std::nullopt;
    std::string charset = contentType.substr(at + 8);
    charset = charset.substr(0, charset.find(';'));
    charset.erase(std::remove_if(charset.begin(), charset.end(),
                                 [](char c) { return c == '"' || c == '\'' || IsBlank(c); }),
                  charset.end());
    if (charset.empty())
        return std::nullopt;
    return charset;
}

}  // namespace

BookFetch::BookFetch(std::string address, Expect expect, const DownloadLimits& limits, PartFile* part,
                     PartOpener openPart)
    : address_(std::move(address)),
      expect_(expect),
      maxBookBytes_(limits.maxBookBytes),
      part_(part),
      openPart_(std::move(openPart))
{
    EnsureCurlInitialised();
    easy_ = curl_easy_init();
    if (!easy_)
        throw std::runtime_error("cannot open " + address_ + ": out of resources");
    try {
        SetTransferBounds(easy_, limits.connectTimeoutSeconds, limits.stallSeconds, limits.maxRedirects);
        SetOption(easy_, CURLOPT_URL, address_.c_str());
        SetOption(easy_, CURLOPT_HTTPGET, 1L);
        SetOption(easy_, CURLOPT_FAILONERROR, 1L);
        SetOption(easy_, CURLOPT_BUFFERSIZE, 256L * 1024);
        SetOption(easy_, CURLOPT_ERRORBUFFER, error_);
        SetOption(easy_, CURLOPT_WRITEFUNCTION, &BookFetch::Receive);
        SetOption(easy_, CURLOPT_WRITEDATA, this);
        // Resuming needs the first answer's validator: without one a changed file
        // could not be told from the same one, so the part is fetched anew.
        if (part_ && part_->Size() > 0 && !part_->Validator().empty()) {
            rangeStart_ = part_->Size();
            const std::string range = std::to_string(rangeStart_) + "-";
            SetOption(easy_, CURLOPT_RANGE, range.c_str());
            const std::string ifRange = "If-Range: " + part_->Validator();
            headers_ = curl_slist_append(nullptr, ifRange.c_str());
            if (!headers_)
                throw std::runtime_error("cannot open " + address_ + ": out of resources");
            SetOption(easy_, CURLOPT_HTTPHEADER, headers_);
        }
    } catch (...) {
        curl_slist_free_all(headers_);
        curl_easy_cleanup(easy_);
        throw;
    }
}

BookFetch::~BookFetch()
{
    curl_easy_cleanup(easy_);
    curl_slist_free_all(headers_);
}

std::uint64_t BookFetch::Received() const
{
    return part_ && body_ != Body::Page ? part_->Size() : 0;
}

std::optional<std::string> BookFetch::Header(const char* name) const
{
    curl_header* header = nullptr;
    if (curl_easy_header(easy_, name, 0, CURLH_HEADER, -1, &header) != CURLHE_OK || !header || !header->value)
        return std::nullopt;
    return std::string(header->value);
}

FetchFailure BookFetch::Fail(std::string reason, bool transient)
{
    failure_ = FetchFailure{std::move(reason), transient, std::chrono::seconds(0)};
    body_ = Body::Refused;
    return *failure_;
}

std::size_t BookFetch::Receive(char* data, std::size_t size, std::size_t count, void* self)
{
    auto& fetch = *static_cast<BookFetch*>(self);
    // Nothing may unwind through libcurl.
    try {
        return fetch.Take(data, size * count);
    } catch (const WriteFailure& failure) {
        fetch.Fail(failure.what());
    } catch (const std::exception& error) {
        fetch.Fail(std::string("下载失败：") + error.what());
    } catch (...) {
        fetch.Fail("下载失败");
    }
    return 0;
}

std::size_t BookFetch::Take(const char* data, std::size_t length)
{
    if (body_ == Body::Undecided) {
        head_.append(data, length);
        if (!Decide(false))
            return length;
        if (body_ != Body::File)
            return body_ == Body::Refused ? 0 : length;
        return StartFile() ? length : 0;
    }
    if (body_ == Body::Page) {
        if (head_.size() + length > MaxPageBytes) {
            Fail("网页过大");
            return 0;
        }
        head_.append(data, length);
        return length;
    }
    if (body_ == Body::File) {
        if (part_->Size() + length > maxBookBytes_) {
            Fail("文件超过大小上限（" + std::to_string(maxBookBytes_ >> 20) + " MiB）");
            removePart_ = true;
            return 0;
        }
        part_->Append(data, length);
        return length;
    }
    return 0;
}

bool BookFetch::Decide(bool bodyComplete)
{
    long code = 0;
    curl_easy_getinfo(easy_, CURLINFO_RESPONSE_CODE, &code);
    const std::string contentType = Lower(Header("Content-Type").value_or(""));
    const bool declaredHtml = contentType.starts_with("text/html") || contentType.starts_with("application/xhtml");

    if (code == 206) {
        const auto range = ParseContentRange(Header("Content-Range").value_or(""));
        if (!range || range->first != rangeStart_) {
            // What the part holds cannot be joined to this; fetch the file anew.
            if (part_)
                part_->StartOver();
            Fail("服务器返回的续传范围不符", true);
            return true;
        }
        if (declaredHtml) {
            Fail("服务器返回的不是TXT文件");
            return true;
        }
        size_ = range->second;
        body_ = Body::File;
    } else {
        const auto html = declaredHtml ? std::optional<bool>(true) : LooksLikeHtml(head_, bodyComplete);
        if (!html)
            return false;
        if (*html) {
            if (expect_ == Expect::File)
                Fail("服务器返回的不是TXT文件");
            else
                body_ = Body::Page;
            return true;
        }
        curl_off_t length = -1;
        curl_easy_getinfo(easy_, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
        if (length >= 0)
            size_ = static_cast<std::uint64_t>(length);
        rangeStart_ = 0;
        body_ = Body::File;
    }
    if (size_ && *size_ > maxBookBytes_) {
        Fail("文件超过大小上限（" + std::to_string(maxBookBytes_ >> 20) + " MiB）");
        removePart_ = true;
    }
    return true;
}

bool BookFetch::StartFile()
{
    if (!part_)
        part_ = &openPart_();
    if (rangeStart_ == 0) {
        // A whole file: what an earlier attempt left is no part of it.
        if (part_->Size() > 0)
            part_->StartOver();
        const auto etag = Header("ETag");
        // If-Range takes only a strong validator.
        const std::string validator =
            etag && !etag->starts_with("W/") ? *etag : Header("Last-Modified").value_or("");
        part_->Describe(validator, size_);
    }
    std::string head = std::move(head_);
    head_.clear();
    return Take(head.data(), head.size()) == head.size();
}

BookFetch::Result BookFetch::Finish(CURLcode result)
{
    if (result == CURLE_OK && body_ == Body::Undecided) {
        try {
            Decide(true);
            if (body_ == Body::Undecided)
                body_ = Body::File;
            if (body_ == Body::File && !StartFile() && !failure_)
                Fail("下载失败");
        } catch (const WriteFailure& failure) {
            Fail(failure.what());
        }
    }
    if (failure_) {
        if (removePart_ && part_)
            part_->Remove();
        return *failure_;
    }

    long code = 0;
    curl_easy_getinfo(easy_, CURLINFO_RESPONSE_CODE, &code);
    const std::string said = error_[0] ? error_ : curl_easy_strerror(result);
    switch (result) {
    case CURLE_OK:
        break;
    case CURLE_HTTP_RETURNED_ERROR: {
        FetchFailure failure{"HTTP " + std::to_string(code), code == 429 || code >= 500 || code == 416,
                             std::chrono::seconds(0)};
        curl_off_t retryAfter = 0;
        if (curl_easy_getinfo(easy_, CURLINFO_RETRY_AFTER, &retryAfter) == CURLE_OK && retryAfter > 0)
            failure.retryAfter = std::chrono::seconds(retryAfter);
        // The range asked for is past the file's end: the part is not of this file.
        if (code == 416 && part_)
            part_->StartOver();
        return failure;
    }
    case CURLE_COULDNT_CONNECT:
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
        return FetchFailure{"连接失败：" + said, true, std::chrono::seconds(0)};
    case CURLE_OPERATION_TIMEDOUT:
        return FetchFailure{"连接超时：" + said, true, std::chrono::seconds(0)};
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_PARTIAL_FILE:
    case CURLE_GOT_NOTHING:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_HTTP2:
    case CURLE_HTTP2_STREAM:
        return FetchFailure{"传输中断：" + said, true, std::chrono::seconds(0)};
    case CURLE_UNSUPPORTED_PROTOCOL:
        return FetchFailure{"不支持的地址：" + said, false, std::chrono::seconds(0)};
    case CURLE_TOO_MANY_REDIRECTS:
        return FetchFailure{"跳转次数过多：" + said, false, std::chrono::seconds(0)};
    default:
        return FetchFailure{"下载失败：" + said, false, std::chrono::seconds(0)};
    }
    if (code < 200 || code >= 300)
        return FetchFailure{"HTTP " + std::to_string(code), false, std::chrono::seconds(0)};

    if (body_ == Body::Page) {
        Page page{std::move(head_), address_, std::nullopt};
        char* effective = nullptr;
        if (curl_easy_getinfo(easy_, CURLINFO_EFFECTIVE_URL, &effective) == CURLE_OK && effective)
            page.address = effective;
        page.encoding = Charset(Header("Content-Type").value_or(""));
        return page;
    }
    if (part_->Size() == 0) {
        part_->Remove();
        return FetchFailure{"服务器返回的文件是空的", false, std::chrono::seconds(0)};
    }
    if (size_ && part_->Size() != *size_)
        return FetchFailure{"传输中断：文件不完整", true, std::chrono::seconds(0)};
    return File{};
}

#pragma once

#include <curl/curl.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <variant>

#include "download/DownloadLimits.h"
#include "download/PartFile.h"

// Why a fetch came to nothing, in the reader's words.
struct FetchFailure {
    std::string reason;
    bool transient = false;               // worth trying again after a pause
    std::chrono::seconds retryAfter{0};   // what the server asked us to wait, if anything
};

// One GET on the way to a book's text file, on a libcurl easy handle that the
// engine's multi handle drives. The answer is either an HTML page, held in memory,
// or the text file, streamed into the book's part file (resumed from what the part
// holds where the server's validator still matches).
class BookFetch {
public:
    enum class Expect {
        PageOrFile,  // a book link or a download link: an HTML page or the file itself
        File,        // a link to the text file: an HTML page here is an error
    };
    // Finds or creates the part file, once the answer turns out to be the file.
    using PartOpener = std::function<PartFile&()>;

    // part: the part of this address held from an earlier attempt, if any.
    BookFetch(std::string address, Expect expect, const DownloadLimits& limits, PartFile* part,
              PartOpener openPart);
    ~BookFetch();
    BookFetch(const BookFetch&) = delete;
    BookFetch& operator=(const BookFetch&) = delete;

    CURL* Handle() const { return easy_; }
    const std::string& Address() const { return address_; }

    // Bytes of the file held so far, resumed ones included, and its full size once declared.
    std::uint64_t Received() const;
    std::optional<std::uint64_t> Size() const { return size_; }

    struct Page {
        std::string html;
        std::string address;                  // where it was found, after redirects
        std::optional<std::string> encoding;  // the charset the server named
    };
    struct File {};
    using Result = std::variant<Page, File, FetchFailure>;
    // What came of it, once libcurl has finished with result. An over-the-cap file's
    // part is removed here.
    Result Finish(CURLcode result);

private:
    static std::size_t Receive(char* data, std::size_t size, std::size_t count, void* self);
    std::size_t Take(const char* data, std::size_t length);
    // Decides from the headers and the first bytes whether this is a page or the file; false while undecided.
    bool Decide(bool bodyComplete);
    bool StartFile();
    std::optional<std::string> Header(const char* name) const;
    FetchFailure Fail(std::string reason, bool transient = false);

    CURL* easy_ = nullptr;
    curl_slist* headers_ = nullptr;
    std::string address_;
    Expect expect_;
    std::uint64_t maxBookBytes_;
    PartFile* part_;
    PartOpener openPart_;
    std::uint64_t rangeStart_ = 0;  // the byte asked to resume from; 0 for the whole file
    enum class Body { Undecided, Page, File, Refused } body_ = Body::Undecided;
    std::string head_;  // page bytes, or the first bytes while undecided
    std::optional<std::uint64_t> size_;
    std::optional<FetchFailure> failure_;
    bool removePart_ = false;
    char error_[CURL_ERROR_SIZE] = {};
};

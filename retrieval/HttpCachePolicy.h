#pragma once

// When a private HTTP cache may keep a response, when it may answer with it without
// asking the site, and how it asks the site whether its copy still holds. Pure
// functions of the response and the time, so that every rule is testable without a
// network or a clock.

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using Seconds = std::chrono::seconds;
using TimePoint = std::chrono::sys_seconds;

// The response fields caching reads, as received (several lines of one field
// joined by ", ").
struct CacheFields {
    std::optional<std::string> cacheControl{}, date{}, expires{}, lastModified{}, etag{}, age{}, vary{};
};

// A response as the cache holds it, without its body.
struct StoredResponse {
    long status = 0;
    CacheFields fields;
    TimePoint requestTime;   // when the request that brought it was sent
    TimePoint responseTime;  // when it arrived
};

// The Cache-Control directives that matter to a private cache. A directive given
// with arguments (no-cache="Set-Cookie") counts as given without.
struct CacheDirectives {
    bool noStore = false;
    bool noCache = false;
    bool mustRevalidate = false;
    bool isPublic = false;
    std::optional<Seconds> maxAge;  // the first one; an unreadable value counts as 0
};

CacheDirectives ReadCacheControl(std::string_view value);

// Whether the response may be stored at all: a final, complete response without
// no-store or Vary: *, whose status is cacheable by default or which carries
// explicit freshness or public.
bool MayStore(const StoredResponse& response);

// How long the response stays fresh from its origin: max-age, else Expires less
// Date, else a tenth of the time since Last-Modified, at most a day.
Seconds FreshnessLifetime(const StoredResponse& response);

// The response's age at now, from Age, Date and the time it spent in transit and
// in the cache.
Seconds CurrentAge(const StoredResponse& response, TimePoint now);

// Whether the stored response may answer a request at now without the site: fresh
// and without no-cache. A stale one is never served, so must-revalidate holds too.
bool MayServeWithoutAsking(const StoredResponse& response, TimePoint now);

// Whether the response can be checked with the site instead of fetched again.
bool HasValidator(const StoredResponse& response);

// Whether keeping the response can ever save a transfer: storable, and fresh at
// now or able to be revalidated.
bool WorthKeeping(const StoredResponse& response, TimePoint now);

// The header lines that ask the site whether the stored response still holds:
// If-None-Match with its entity tag, If-Modified-Since with its Last-Modified.
std::vector<std::string> ConditionalHeaders(const StoredResponse& response);

// Whether a 304 answer with these fields is about the stored response: it names no
// other entity tag or modification time.
bool ConfirmsStored(const StoredResponse& stored, const CacheFields& notModified);

// The stored response brought up to date by a 304 answer: the fields the answer
// carries replace the stored ones, and the times become the answer's.
StoredResponse Freshened(const StoredResponse& stored, const CacheFields& notModified, TimePoint requestTime,
                         TimePoint responseTime);

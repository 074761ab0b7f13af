#include "retrieval/HttpCachePolicy.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <cstdint>

namespace {

// A delta-seconds value beyond what can be counted counts as this many.
constexpr std::int64_t LongestDelta = 2147483648;
constexpr Seconds LongestHeuristicLifetime{24 * 60 * 60};

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

bool SameLetters(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

// Digits only; nothing for anything else.
std::optional<Seconds> ReadDeltaSeconds(std::string_view text)
{
    if (text.empty())
        return std::nullopt;
    std::int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = std::min(value * 10 + (c - '0'), LongestDelta);
    }
    return Seconds{value};
}

std::optional<TimePoint> ReadHttpDate(const std::optional<std::string>& text)
{
    if (!text)
        return std::nullopt;
    const time_t seconds = curl_getdate(text->c_str(), nullptr);
    if (seconds == -1)
        return std::nullopt;
    return TimePoint{Seconds{seconds}};
}

// Date as sent, or the arrival time when the site sent none or an unreadable one.
TimePoint DateValue(const StoredResponse& response)
{
    return ReadHttpDate(response.fields.date).value_or(response.responseTime);
}

// Cacheable without explicit freshness, with a heuristic lifetime.
bool CacheableByDefault(long status)
{
    switch (status) {
    case 200: case 203: case 204: case 300: case 301: case 308: case 404: case 405: case 410: case 414: case 501:
        return true;
    default:
        return false;
    }
}

bool VariesOnEverything(const CacheFields& fields)
{
    if (!fields.vary)
        return false;
    std::string_view rest = *fields.vary;
    while (true) {
        const std::size_t comma = rest.find(',');
        if (Trimmed(rest.substr(0, comma)) == "*")
            return true;
        if (comma == std::string_view::npos)
            return false;
        rest.remove_prefix(comma + 1);
    }
}

}  // namespace

CacheDirectives ReadCacheControl(std::string_view value)
{
    CacheDirectives directives;
    std::size_t at = 0;
    while (at < value.size()) {
        const std::size_t nameEnd = std::min(value.find_first_of(",=", at), value.size());
        const std::string_view name = Trimmed(value.substr(at, nameEnd - at));
        std::string argument;
        at = nameEnd;
        if (at < value.size() && value[at] == '=') {
            at = value.find_first_not_of(" \t", at + 1);
            if (at != std::string_view::npos && value[at] == '"') {
                // A quoted string may hold commas and backslash escapes.
                for (++at; at < value.size() && value[at] != '"'; ++at) {
                    if (value[at] == '\\' && at + 1 < value.size())
                        ++at;
                    argument += value[at];
                }
            } else if (at != std::string_view::npos) {
                const std::size_t tokenEnd = std::min(value.find(',', at), value.size());
                argument = Trimmed(value.substr(at, tokenEnd - at));
                at = tokenEnd;
            }
        }
        at = std::min(value.find(',', std::min(at, value.size())), value.size());
        if (at < value.size())
            ++at;

        if (SameLetters(name, "no-store"))
            directives.noStore = true;
        else if (SameLetters(name, "no-cache"))
            directives.noCache = true;
        else if (SameLetters(name, "must-revalidate"))
            directives.mustRevalidate = true;
        else if (SameLetters(name, "public"))
            directives.isPublic = true;
        else if (SameLetters(name, "max-age") && !directives.maxAge)
            directives.maxAge = ReadDeltaSeconds(argument).value_or(Seconds{0});
    }
    return directives;
}

bool MayStore(const StoredResponse& response)
{
    // 206 would be part of a page, and a 304 only ever updates a stored response.
    if (response.status < 200 || response.status == 206 || response.status == 304)
        return false;
    const CacheDirectives directives = ReadCacheControl(response.fields.cacheControl.value_or(""));
    if (directives.noStore || VariesOnEverything(response.fields))
        return false;
    return directives.maxAge || response.fields.expires || directives.isPublic || CacheableByDefault(response.status);
}

Seconds FreshnessLifetime(const StoredResponse& response)
{
    const CacheDirectives directives = ReadCacheControl(response.fields.cacheControl.value_or(""));
    if (directives.maxAge)
        return *directives.maxAge;
    if (response.fields.expires) {
        // An unreadable Expires ("0", "-1") means already expired.
        const auto expires = ReadHttpDate(response.fields.expires);
        return expires ? std::max(*expires - DateValue(response), Seconds{0}) : Seconds{0};
    }
    const auto lastModified = ReadHttpDate(response.fields.lastModified);
    if (lastModified && (CacheableByDefault(response.status) || directives.isPublic)) {
        const Seconds unchangedFor = DateValue(response) - *lastModified;
        return std::clamp(unchangedFor / 10, Seconds{0}, LongestHeuristicLifetime);
    }
    return Seconds{0};
}

Seconds CurrentAge(const StoredResponse& response, TimePoint now)
{
    const std::string ageField = response.fields.age.value_or("");
    const std::string_view age = Trimmed(std::string_view(ageField).substr(0, ageField.find(',')));
    const Seconds ageValue = ReadDeltaSeconds(age).value_or(Seconds{0});
    const Seconds apparentAge = std::max(response.responseTime - DateValue(response), Seconds{0});
    const Seconds responseDelay = std::max(response.responseTime - response.requestTime, Seconds{0});
    const Seconds correctedInitialAge = std::max(apparentAge, ageValue + responseDelay);
    const Seconds residentTime = std::max(now - response.responseTime, Seconds{0});
    return correctedInitialAge + residentTime;
}

bool MayServeWithoutAsking(const StoredResponse& response, TimePoint now)
{
    return MayStore(response) && !ReadCacheControl(response.fields.cacheControl.value_or("")).noCache
           && FreshnessLifetime(response) > CurrentAge(response, now);
}

bool HasValidator(const StoredResponse& response)
{
    return response.fields.etag || ReadHttpDate(response.fields.lastModified);
}

bool WorthKeeping(const StoredResponse& response, TimePoint now)
{
    return MayStore(response) && (HasValidator(response) || MayServeWithoutAsking(response, now));
}

std::vector<std::string> ConditionalHeaders(const StoredResponse& response)
{
    std::vector<std::string> lines;
    if (response.fields.etag)
        lines.push_back("If-None-Match: " + *response.fields.etag);
    if (ReadHttpDate(response.fields.lastModified))
        lines.push_back("If-Modified-Since: " + *response.fields.lastModified);
    return lines;
}

bool ConfirmsStored(const StoredResponse& stored, const CacheFields& notModified)
{
    return (!notModified.etag || notModified.etag == stored.fields.etag)
           && (!notModified.lastModified || notModified.lastModified == stored.fields.lastModified);
}

StoredResponse Freshened(const StoredResponse& stored, const CacheFields& notModified, TimePoint requestTime,
                         TimePoint responseTime)
{
    StoredResponse updated = stored;
    for (auto field : {&CacheFields::cacheControl, &CacheFields::expires, &CacheFields::lastModified,
                       &CacheFields::etag, &CacheFields::vary}) {
        if (notModified.*field)
            updated.fields.*field = notModified.*field;
    }
    // Date and Age describe the answer, not the stored copy: an answer without them
    // is dated by its arrival.
    updated.fields.date = notModified.date;
    updated.fields.age = notModified.age;
    updated.requestTime = requestTime;
    updated.responseTime = responseTime;
    return updated;
}

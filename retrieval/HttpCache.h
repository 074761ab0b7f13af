#pragma once

#include <cstddef>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

#include "retrieval/HttpCachePolicy.h"

// A page as the cache holds it: the response that brought it and its page text.
struct CachedPage {
    StoredResponse response;
    std::string text;
};

// Pages by address, in memory only, up to a number of bytes; the page used least
// recently goes first to make room. Safe to use from several threads.
class HttpCache {
public:
    using Clock = std::function<TimePoint()>;

    explicit HttpCache(std::size_t capacityBytes, Clock clock = SystemTime);
    HttpCache(const HttpCache&) = delete;
    HttpCache& operator=(const HttpCache&) = delete;

    static TimePoint SystemTime();
    TimePoint Now() const { return clock_(); }

    // The page kept for address, now the most recently used; null when there is none.
    std::shared_ptr<const CachedPage> Find(const std::string& address);
    // Keeps page for address in place of any earlier one. A page larger than the
    // whole cache is not kept, and the earlier one goes all the same.
    void Store(const std::string& address, std::shared_ptr<const CachedPage> page);
    void Remove(const std::string& address);
    void Clear();

    std::size_t UsedBytes() const;

private:
    using Entry = std::pair<std::string, std::shared_ptr<const CachedPage>>;
    using Index = std::unordered_map<std::string, std::list<Entry>::iterator>;

    void Erase(Index::iterator found);

    const std::size_t capacityBytes_;
    const Clock clock_;
    mutable std::mutex mutex_;
    std::list<Entry> recency_;  // most recently used first
    Index byAddress_;
    std::size_t usedBytes_ = 0;
};

// The cache of listing pages that FetchPageText goes through, for the whole run.
HttpCache& ListingPageCache();

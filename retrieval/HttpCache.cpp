#include "retrieval/HttpCache.h"

namespace {

constexpr std::size_t ListingPageCacheBytes = 64u << 20;

std::size_t FootprintOf(const std::string& address, const CachedPage& page)
{
    std::size_t bytes = sizeof(CachedPage) + address.size() + page.text.size();
    const CacheFields& fields = page.response.fields;
    for (const auto& field :
         {fields.cacheControl, fields.date, fields.expires, fields.lastModified, fields.etag, fields.age, fields.vary})
        bytes += field ? field->size() : 0;
    return bytes;
}

}  // namespace

HttpCache::HttpCache(std::size_t capacityBytes, Clock clock) : capacityBytes_(capacityBytes), clock_(std::move(clock))
{
}

TimePoint HttpCache::SystemTime()
{
    return std::chrono::floor<Seconds>(std::chrono::system_clock::now());
}

std::shared_ptr<const CachedPage> HttpCache::Find(const std::string& address)
{
    const std::lock_guard lock(mutex_);
    const auto found = byAddress_.find(address);
    if (found == byAddress_.end())
        return nullptr;
    recency_.splice(recency_.begin(), recency_, found->second);
    return found->second->second;
}

void HttpCache::Store(const std::string& address, std::shared_ptr<const CachedPage> page)
{
    const std::size_t bytes = FootprintOf(address, *page);
    const std::lock_guard lock(mutex_);
    if (const auto earlier = byAddress_.find(address); earlier != byAddress_.end())
        Erase(earlier);
    if (bytes > capacityBytes_)
        return;
    while (usedBytes_ + bytes > capacityBytes_)
        Erase(byAddress_.find(recency_.back().first));
    recency_.emplace_front(address, std::move(page));
    byAddress_.emplace(address, recency_.begin());
    usedBytes_ += bytes;
}

void HttpCache::Remove(const std::string& address)
{
    const std::lock_guard lock(mutex_);
    if (const auto found = byAddress_.find(address); found != byAddress_.end())
        Erase(found);
}

void HttpCache::Clear()
{
    const std::lock_guard lock(mutex_);
    byAddress_.clear();
    recency_.clear();
    usedBytes_ = 0;
}

std::size_t HttpCache::UsedBytes() const
{
    const std::lock_guard lock(mutex_);
    return usedBytes_;
}

void HttpCache::Erase(Index::iterator found)
{
    usedBytes_ -= FootprintOf(found->first, *found->second->second);
    recency_.erase(found->second);
    byAddress_.erase(found);
}

HttpCache& ListingPageCache()
{
    static HttpCache cache(ListingPageCacheBytes);
    return cache;
}

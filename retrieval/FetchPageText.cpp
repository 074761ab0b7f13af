#include "retrieval/FetchPageText.h"

#include <memory>
#include <vector>

#include "retrieval/HttpCache.h"
#include "retrieval/HttpSession.h"

namespace {

struct Fetched {
    StoredResponse response;
    long redirects = 0;
    std::string text;
};

// The listing fetches' session, one per thread since a session serves one request at a time.
HttpSession& Session()
{
    thread_local HttpSession session;
    return session;
}

Fetched Get(const HttpCache& cache, const std::string& address, const FetchLimits& limits,
            const std::vector<std::string>& conditions)
{
    Fetched fetched;
    fetched.response.requestTime = cache.Now();
    {
        HttpRequest request(Session(), address, limits, conditions);
        fetched.text = request.ReadBody();
        fetched.response.status = request.Status();
        fetched.redirects = request.Redirects();
        CacheFields& fields = fetched.response.fields;
        fields.cacheControl = request.Header("Cache-Control");
        fields.date = request.Header("Date");
        fields.expires = request.Header("Expires");
        fields.lastModified = request.Header("Last-Modified");
        fields.etag = request.Header("ETag");
        fields.age = request.Header("Age");
        fields.vary = request.Header("Vary");
    }
    fetched.response.responseTime = cache.Now();
    return fetched;
}

}  // namespace

std::string FetchPageText(const std::string& address, const FetchLimits& limits)
{
    return FetchPageText(ListingPageCache(), address, limits);
}

std::string FetchPageText(HttpCache& cache, const std::string& address, const FetchLimits& limits)
{
    const std::shared_ptr<const CachedPage> stored = cache.Find(address);
    if (stored && MayServeWithoutAsking(stored->response, cache.Now()))
        return stored->text;

    const std::vector<std::string> conditions = stored ? ConditionalHeaders(stored->response) : std::vector<std::string>{};
    Fetched fetched = Get(cache, address, limits, conditions);
    if (fetched.response.status == 304 && !conditions.empty()) {
        if (fetched.redirects == 0 && ConfirmsStored(stored->response, fetched.response.fields)) {
            const StoredResponse freshened = Freshened(stored->response, fetched.response.fields,
                                                       fetched.response.requestTime, fetched.response.responseTime);
            if (WorthKeeping(freshened, fetched.response.responseTime))
                cache.Store(address, std::make_shared<const CachedPage>(CachedPage{freshened, stored->text}));
            else
                cache.Remove(address);
            return stored->text;
        }
        // The answer is about some other copy (another entity, or the end of a
        // redirect): ask for the page itself.
        fetched = Get(cache, address, limits, {});
    }

    // A redirected page is kept by no address: the redirect itself may not be cacheable.
    if (fetched.redirects == 0 && WorthKeeping(fetched.response, fetched.response.responseTime))
        cache.Store(address, std::make_shared<const CachedPage>(CachedPage{fetched.response, fetched.text}));
    else
        cache.Remove(address);
    return std::move(fetched.text);
}

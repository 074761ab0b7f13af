#include "retrieval/HttpCachePolicy.h"

#include <gtest/gtest.h>

namespace {

// Fri, 01 Jan 2021 00:00:00 GMT, and HTTP dates around it.
const TimePoint Noon{Seconds{1609459200}};
const std::string NoonDate = "Fri, 01 Jan 2021 00:00:00 GMT";
const std::string TenThousandBefore = "Thu, 31 Dec 2020 21:13:20 GMT";  // Noon - 10000 s
const std::string MinuteAfter = "Fri, 01 Jan 2021 00:01:00 GMT";

StoredResponse Response(long status, CacheFields fields, TimePoint requestTime = Noon, TimePoint responseTime = Noon)
{
    return {status, std::move(fields), requestTime, responseTime};
}

TEST(HttpCachePolicy, ReadsCacheControl)
{
    struct Case {
        const char* value;
        bool noStore, noCache, mustRevalidate, isPublic;
        std::optional<long> maxAge;
    };
    const Case cases[] = {
        {"", false, false, false, false, std::nullopt},
        {"max-age=60", false, false, false, false, 60},
        {"Max-Age=60 , NO-STORE", true, false, false, false, 60},
        {"no-cache=\"Set-Cookie, max-age=5\", max-age=7", false, true, false, false, 7},
        {"max-age=\"30\", public, must-revalidate", false, false, true, true, 30},
        {"max-age=soon", false, false, false, false, 0},
        {"max-age=", false, false, false, false, 0},
        {"max-age=5, max-age=100", false, false, false, false, 5},
        {"max-age=99999999999999999999", false, false, false, false, 2147483648},
        {",,private, ,no-cache", false, true, false, false, std::nullopt},
        {"no-cache=\"unterminated, max-age=5", false, true, false, false, std::nullopt},
    };
    for (const Case& c : cases) {
        const CacheDirectives read = ReadCacheControl(c.value);
        EXPECT_EQ(read.noStore, c.noStore) << c.value;
        EXPECT_EQ(read.noCache, c.noCache) << c.value;
        EXPECT_EQ(read.mustRevalidate, c.mustRevalidate) << c.value;
        EXPECT_EQ(read.isPublic, c.isPublic) << c.value;
        EXPECT_EQ(read.maxAge ? std::optional<long>(read.maxAge->count()) : std::nullopt, c.maxAge) << c.value;
    }
}

TEST(HttpCachePolicy, DecidesWhatMayBeStoredAndWhatIsWorthKeeping)
{
    struct Case {
        const char* what;
        StoredResponse response;
        bool mayStore, worthKeeping;
    };
    const Case cases[] = {
        {"a 200 without caching fields", Response(200, {}), true, false},
        {"a 200 with an entity tag", Response(200, {.etag = "\"x\""}), true, true},
        {"a 200 with Last-Modified", Response(200, {.lastModified = TenThousandBefore}), true, true},
        {"an unreadable Last-Modified is no validator", Response(200, {.lastModified = "yesterday"}), true, false},
        {"a 404 fresh by max-age", Response(404, {.cacheControl = "max-age=60"}), true, true},
        {"a 302 is not stored by default", Response(302, {.etag = "\"x\""}), false, false},
        {"a 302 with max-age", Response(302, {.cacheControl = "max-age=60"}), true, true},
        {"a 302 with Expires", Response(302, {.date = NoonDate, .expires = MinuteAfter}), true, true},
        {"a 500 marked public", Response(500, {.cacheControl = "public", .etag = "\"x\""}), true, true},
        {"no-store", Response(200, {.cacheControl = "no-store, max-age=60", .etag = "\"x\""}), false, false},
        {"Vary: *", Response(200, {.cacheControl = "max-age=60", .vary = "Accept, *"}), false, false},
        {"a partial page", Response(206, {.cacheControl = "max-age=60"}), false, false},
        {"max-age=0 and nothing to check with", Response(200, {.cacheControl = "max-age=0"}), true, false},
        {"no-cache and nothing to check with", Response(200, {.cacheControl = "no-cache, max-age=60"}), true, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MayStore(c.response), c.mayStore) << c.what;
        EXPECT_EQ(WorthKeeping(c.response, Noon), c.worthKeeping) << c.what;
    }
}

TEST(HttpCachePolicy, TakesTheLifetimeFromTheSiteOrFromLastModified)
{
    struct Case {
        const char* what;
        StoredResponse response;
        long lifetime;
    };
    const Case cases[] = {
        {"max-age", Response(200, {.cacheControl = "max-age=600", .date = NoonDate, .expires = MinuteAfter}), 600},
        {"Expires less Date", Response(200, {.date = NoonDate, .expires = MinuteAfter}), 60},
        {"Expires less the arrival without a Date",
         Response(200, {.expires = MinuteAfter}, Noon - Seconds{30}, Noon - Seconds{30}), 90},
        {"Expires before Date", Response(200, {.date = MinuteAfter, .expires = NoonDate}), 0},
        {"an unreadable Expires", Response(200, {.date = NoonDate, .expires = "0"}), 0},
        {"a tenth of the time since Last-Modified",
         Response(200, {.date = NoonDate, .lastModified = TenThousandBefore}), 1000},
        {"at most a day", Response(200, {.date = NoonDate, .lastModified = "Sat, 01 Jan 2000 00:00:00 GMT"}), 86400},
        {"Last-Modified after Date", Response(200, {.date = TenThousandBefore, .lastModified = NoonDate}), 0},
        {"no heuristic for a status not cacheable by default",
         Response(500, {.date = NoonDate, .lastModified = TenThousandBefore}), 0},
        {"nothing to go by", Response(200, {.date = NoonDate}), 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FreshnessLifetime(c.response).count(), c.lifetime) << c.what;
}

TEST(HttpCachePolicy, CountsAgeFromAgeDateTransitAndResidence)
{
    struct Case {
        const char* what;
        StoredResponse response;
        TimePoint now;
        long age;
    };
    const Case cases[] = {
        {"just arrived", Response(200, {.date = NoonDate}), Noon, 0},
        {"time in the cache", Response(200, {.date = NoonDate}), Noon + Seconds{25}, 25},
        {"Age", Response(200, {.date = NoonDate, .age = "40"}), Noon + Seconds{5}, 45},
        {"Age plus the time the request took",
         Response(200, {.date = NoonDate, .age = "40"}, Noon - Seconds{3}, Noon), Noon, 43},
        {"a Date behind the arrival", Response(200, {.date = TenThousandBefore, .age = "40"}), Noon, 10000},
        {"a Date ahead of the arrival", Response(200, {.date = MinuteAfter}), Noon + Seconds{1}, 1},
        {"an unreadable Age", Response(200, {.date = NoonDate, .age = "old"}), Noon, 0},
        {"a clock set back", Response(200, {.date = NoonDate}), Noon - Seconds{100}, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CurrentAge(c.response, c.now).count(), c.age) << c.what;
}

TEST(HttpCachePolicy, ServesWithoutAskingOnlyWhatIsFreshAndNotNoCache)
{
    const StoredResponse minute = Response(200, {.cacheControl = "max-age=60", .date = NoonDate});
    EXPECT_TRUE(MayServeWithoutAsking(minute, Noon + Seconds{59}));
    EXPECT_FALSE(MayServeWithoutAsking(minute, Noon + Seconds{60}));
    EXPECT_FALSE(MayServeWithoutAsking(Response(200, {.cacheControl = "max-age=60, no-cache"}), Noon));
    EXPECT_FALSE(MayServeWithoutAsking(Response(200, {.cacheControl = "max-age=60", .vary = "*"}), Noon));
}

TEST(HttpCachePolicy, AsksWithTheValidatorsItHolds)
{
    EXPECT_EQ(ConditionalHeaders(Response(200, {.lastModified = TenThousandBefore, .etag = "W/\"7\""})),
              (std::vector<std::string>{"If-None-Match: W/\"7\"", "If-Modified-Since: " + TenThousandBefore}));
    EXPECT_EQ(ConditionalHeaders(Response(200, {.lastModified = "soon"})), std::vector<std::string>{});
}

TEST(HttpCachePolicy, TakesANotModifiedAnswerOnlyForTheStoredCopy)
{
    const StoredResponse stored = Response(200, {.lastModified = TenThousandBefore, .etag = "\"7\""});
    EXPECT_TRUE(ConfirmsStored(stored, {}));
    EXPECT_TRUE(ConfirmsStored(stored, {.lastModified = TenThousandBefore, .etag = "\"7\""}));
    EXPECT_FALSE(ConfirmsStored(stored, {.etag = "\"8\""}));
    EXPECT_FALSE(ConfirmsStored(stored, {.lastModified = NoonDate}));
}

TEST(HttpCachePolicy, FreshensTheStoredCopyFromANotModifiedAnswer)
{
    const StoredResponse stored = Response(200, {.cacheControl = "max-age=10", .date = TenThousandBefore,
                                                 .lastModified = TenThousandBefore, .etag = "\"7\"", .age = "5"},
                                           Noon - Seconds{10000}, Noon - Seconds{10000});
    const StoredResponse freshened =
        Freshened(stored, {.cacheControl = "max-age=100"}, Noon - Seconds{1}, Noon);
    EXPECT_EQ(freshened.status, 200);
    EXPECT_EQ(freshened.fields.cacheControl, "max-age=100");
    EXPECT_EQ(freshened.fields.etag, "\"7\"");
    EXPECT_EQ(freshened.fields.lastModified, TenThousandBefore);
    EXPECT_EQ(freshened.fields.date, std::nullopt);
    EXPECT_EQ(freshened.fields.age, std::nullopt);
    EXPECT_EQ(freshened.requestTime, Noon - Seconds{1});
    EXPECT_EQ(freshened.responseTime, Noon);
    EXPECT_EQ(CurrentAge(freshened, Noon + Seconds{50}).count(), 51);
}

}  // namespace

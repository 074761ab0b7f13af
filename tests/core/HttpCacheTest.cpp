#include "retrieval/HttpCache.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

std::shared_ptr<const CachedPage> PageOf(std::size_t bytes, char fill = 'x')
{
    CachedPage page;
    page.response.status = 200;
    page.text.assign(bytes, fill);
    return std::make_shared<const CachedPage>(std::move(page));
}

std::vector<std::string> Kept(HttpCache& cache, std::initializer_list<const char*> addresses)
{
    std::vector<std::string> kept;
    for (const char* address : addresses)
        if (cache.Find(address))
            kept.push_back(address);
    return kept;
}

TEST(HttpCache, MakesRoomFromTheLeastRecentlyUsed)
{
    HttpCache probe(1u << 20);
    probe.Store("a", PageOf(1000));
    const std::size_t footprint = probe.UsedBytes();

    HttpCache cache(3 * footprint);
    cache.Store("a", PageOf(1000));
    cache.Store("b", PageOf(1000));
    cache.Store("c", PageOf(1000));
    cache.Find("a");
    cache.Store("d", PageOf(1000));  // b goes
    EXPECT_EQ(cache.Find("b"), nullptr);
    cache.Find("c");
    cache.Store("e", PageOf(2000));  // needs two pages' room: a and d, the least recent now, go
    EXPECT_EQ(Kept(cache, {"a", "b", "c", "d", "e"}), (std::vector<std::string>{"c", "e"}));
    EXPECT_LE(cache.UsedBytes(), 3 * footprint);
}

TEST(HttpCache, ReplacesAndForgets)
{
    HttpCache cache(10'000);
    cache.Store("a", PageOf(100, '1'));
    const std::size_t one = cache.UsedBytes();
    cache.Store("a", PageOf(100, '2'));
    EXPECT_EQ(cache.UsedBytes(), one);
    EXPECT_EQ(cache.Find("a")->text, std::string(100, '2'));

    // A page larger than the whole cache is not kept, nor is the one it replaces.
    cache.Store("a", PageOf(20'000));
    EXPECT_EQ(cache.Find("a"), nullptr);
    EXPECT_EQ(cache.UsedBytes(), 0u);

    cache.Store("a", PageOf(100));
    cache.Store("b", PageOf(100));
    cache.Remove("a");
    EXPECT_EQ(Kept(cache, {"a", "b"}), std::vector<std::string>{"b"});
    cache.Clear();
    EXPECT_EQ(Kept(cache, {"a", "b"}), std::vector<std::string>{});
    EXPECT_EQ(cache.UsedBytes(), 0u);
}

TEST(HttpCache, StaysWholeUnderUseFromSeveralThreads)
{
    HttpCache cache(50 * 1200);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&cache, t] {
            for (int i = 0; i < 2000; ++i) {
                const std::string address = std::to_string((i * 7 + t) % 80);
                if (const auto page = cache.Find(address))
                    EXPECT_EQ(page->text.size(), 1000u);
                else
                    cache.Store(address, PageOf(1000));
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_LE(cache.UsedBytes(), 50 * 1200u);
}

}  // namespace

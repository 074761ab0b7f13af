// The cut of a listing page against one memcpy of the same bytes.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "bench/Figures.h"
#include "bench/ListingPages.h"
#include "navigation/NavigationState.h"
#include "retrieval/ListingPageLoader.h"

namespace {

constexpr double TargetRatio = 4;

const std::string Address = "http://127.0.0.1:8936/txt/Wuxia/Soft_010_1.htm";

double Seconds(std::chrono::steady_clock::duration elapsed)
{
    return std::chrono::duration<double>(elapsed).count();
}

// Each run starts from a fresh copy of the input, made outside the timing, as the
// fetched page is handed over; the copy also leaves the input as warm as it is after
// a fetch.
template <typename Work>
void TimeOnFreshCopy(benchmark::State& state, const std::string& input, Work work)
{
    for (auto _ : state) {
        std::string text = input;
        const auto start = std::chrono::steady_clock::now();
        work(std::move(text));
        state.SetIterationTime(Seconds(std::chrono::steady_clock::now() - start));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(input.size()));
}

void Cut(benchmark::State& state, const std::string& page)
{
    CurrentPageNumber = 1;
    TimeOnFreshCopy(state, page, [](std::string text) {
        const std::string fragment = CutListingPage(std::move(text), Address);
        benchmark::DoNotOptimize(fragment.data());
    });
}

void CopyOnce(benchmark::State& state, const std::string& input)
{
    std::string target(input.size(), '\0');  // written once, so no page faults are timed
    TimeOnFreshCopy(state, input, [&target](std::string text) {
        std::memcpy(target.data(), text.data(), text.size());
        benchmark::ClobberMemory();
    });
}

// Keeps the medians of the repeated runs, by benchmark name.
class MedianCollector : public benchmark::ConsoleReporter {
public:
    MedianCollector() : ConsoleReporter(OO_Tabular) {}

    std::map<std::string, double> seconds;

    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            if (run.aggregate_name == "median")
                seconds[run.run_name.function_name] =
                    run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

struct Case {
    std::string name;
    std::string input;
    void (*work)(benchmark::State&, const std::string&);
};

}  // namespace

int main(int argc, char** argv)
{
    std::vector<Case> cases = {
        {"cut 64 KiB page", ListingPageOfSize(64u << 10), Cut},
        {"cut 1 MiB page", ListingPageOfSize(1u << 20), Cut},
        {"cut 16 MiB page", ListingPageOfSize(16u << 20), Cut},
    };
    for (const Case& c : cases) {
        benchmark::RegisterBenchmark(c.name.c_str(), c.work, c.input)->UseManualTime()->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("memcpy of " + c.name).c_str(), CopyOnce, c.input)
            ->UseManualTime()
            ->Unit(benchmark::kMicrosecond);
    }

    benchmark::Initialize(&argc, argv);
    MedianCollector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    benchmark::Shutdown();

    for (const Case& c : cases) {
        const auto ours = collector.seconds.find(c.name);
        const auto floor = collector.seconds.find("memcpy of " + c.name);
        if (ours == collector.seconds.end() || floor == collector.seconds.end())
            continue;  // filtered out
        PrintFigure({c.name + " (" + std::to_string(c.input.size()) + " B) vs memcpy", ours->second, floor->second,
                     ours->second / floor->second, TargetRatio, Quantity::Seconds});
    }
    // Linear in the size: the cost per byte at 16 MiB against that at 64 KiB.
    const auto perByte = [&](std::size_t index) {
        return collector.seconds[cases[index].name] / static_cast<double>(cases[index].input.size());
    };
    if (collector.seconds.count(cases[0].name) && collector.seconds.count(cases[1].name)
        && collector.seconds.count(cases[2].name)) {
        char note[160];
        std::snprintf(note, sizeof note, "cut per byte: %.3f ns at 64 KiB, %.3f ns at 1 MiB, %.3f ns at 16 MiB",
                      perByte(0) * 1e9, perByte(1) * 1e9, perByte(2) * 1e9);
        PrintNote(note);
    }
}

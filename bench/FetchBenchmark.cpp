// FetchPageText of a listing page from a loopback server, against the curl program
// fetching the same address into /dev/null, paired run by run and alternating which
// goes first.
//
// Ours: an HTTP session and request, connect, GET, the whole body read into memory
// and checked for a NUL, both handles closed. The floor: the curl process from spawn
// to exit, which adds its own start-up (loading libcurl and its libraries) and exit
// but keeps nothing of the body. Both are served by the same server thread.
#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/Figures.h"
#include "bench/ListingPages.h"
#include "catalogue/LoopbackServer.h"
#include "retrieval/FetchPageText.h"

extern char** environ;

namespace {

double CurlSeconds(const std::string& address)
{
    // -q first: no ~/.curlrc.
    const char* argv[] = {"curl", "-q", "-s", "-S", "--noproxy", "*", "-o", "/dev/null", address.c_str(), nullptr};
    const double start = Now();
    pid_t curl = 0;
    if (posix_spawnp(&curl, "curl", nullptr, nullptr, const_cast<char* const*>(argv), environ) != 0)
        throw std::runtime_error("cannot start curl");
    int status = 0;
    waitpid(curl, &status, 0);
    const double elapsed = Now() - start;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("curl failed on " + address);
    return elapsed;
}

double FetchSeconds(const std::string& address, std::size_t expected)
{
    const double start = Now();
    const std::string page = FetchPageText(address);
    const double elapsed = Now() - start;
    if (page.size() != expected)
        throw std::runtime_error("FetchPageText read " + std::to_string(page.size()) + " of "
                                 + std::to_string(expected) + " bytes");
    return elapsed;
}

std::map<std::string, PairedRuns> results;

void PairedFetch(benchmark::State& state, const std::string& name, const std::string& page)
{
    LoopbackServer server;
    const std::string address = server.Origin() + "/txt/Wuxia/Soft_010_1.htm";
    server.Serve(address, {200, page, {{"Content-Type", "text/html; charset=gb2312"}}});
    FetchSeconds(address, page.size());  // warm: the server's first answer, libcurl's set-up
    CurlSeconds(address);

    PairedRuns& runs = results[name];
    for (auto _ : state) {
        MeasurePair(
            runs, [&] { return FetchSeconds(address, page.size()); }, [&] { return CurlSeconds(address); });
        state.SetIterationTime(runs.ours.back());
    }
    const Figure figure = PairedFigure(name, runs, 1.2, Quantity::Seconds);
    state.counters["curl_ms"] = figure.floor * 1e3;
    state.counters["ratio"] = figure.ratio;
}

}  // namespace

int main(int argc, char** argv)
{
    // The address is the server's own: no proxy in between.
    unsetenv("http_proxy");
    unsetenv("HTTP_PROXY");

    const struct {
        std::string name;
        std::size_t bytes;
        int pairs;
    } sizes[] = {{"64 KiB", 64u << 10, 41}, {"1 MiB", 1u << 20, 41}, {"16 MiB", 16u << 20, 21}};
    std::vector<std::string> names;
    for (const auto& size : sizes) {
        const std::string name = "fetch " + size.name + " page vs curl";
        names.push_back(name);
        benchmark::RegisterBenchmark(name.c_str(), PairedFetch, name, ListingPageOfSize(size.bytes))
            ->UseManualTime()
            ->Iterations(size.pairs)
            ->Unit(benchmark::kMillisecond);
    }

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    for (const std::string& name : names) {
        if (const auto runs = results.find(name); runs != results.end())
            PrintFigure(PairedFigure(name + " (paired)", runs->second, 1.2, Quantity::Seconds));
    }
}

// FetchPageText of a listing page from a loopback server, against the simplest
// client in the same process reading the same page from the same server, paired run
// by run and alternating which goes first.
//
// Ours: a request on the listing session, GET on the connection the previous page
// left open, the whole body read into memory and checked for a NUL, the listing
// cache asked (the page sends no caching headers, so it is never kept). The floor
// keeps its connection too: a plain socket, one GET written whole, the answer read
// up to its declared length into memory. A note beside the table compares ours with
// the simplest client of all, which connects for each page and reads to the end of
// the connection: what keeping the connection saves.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/Figures.h"
#include "bench/ListingPages.h"
#include "bench/PlainGet.h"
#include "catalogue/LoopbackServer.h"
#include "retrieval/FetchPageText.h"

namespace {

constexpr double TargetRatio = 1.2;

// The page and room for the status line and header fields.
std::size_t AnswerRoom(std::size_t page)
{
    return page + 1024;
}

double PlainSeconds(const LoopbackServer& server, const std::string& path, std::size_t expected)
{
    const double start = Now();
    const std::string answer = PlainGet(server.Port(), path, "", AnswerRoom(expected));
    const double elapsed = Now() - start;
    if (answer.size() < expected)
        throw std::runtime_error("the plain GET read " + std::to_string(answer.size()) + " bytes");
    return elapsed;
}

double KeptConnectionSeconds(PlainConnection& connection, const std::string& path, std::size_t expected)
{
    const double start = Now();
    const std::string answer = connection.Get(path, "", AnswerRoom(expected));
    const double elapsed = Now() - start;
    if (answer.size() < expected)
        throw std::runtime_error("the plain GET read " + std::to_string(answer.size()) + " bytes");
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

struct Results {
    PairedRuns keptConnection;
    PairedRuns connectionPerPage;
};
std::map<std::string, Results> results;

void PairedFetch(benchmark::State& state, const std::string& name, const std::string& page)
{
    LoopbackServer server;
    const std::string path = "/txt/Wuxia/Soft_010_1.htm";
    const std::string address = server.Origin() + path;
    server.Serve(address, {200, page, {{"Content-Type", "text/html; charset=gb2312"}}});
    FetchSeconds(address, page.size());  // warm: the server's first answer, libcurl's set-up
    PlainSeconds(server, path, page.size());
    PlainConnection connection(server.Port());
    KeptConnectionSeconds(connection, path, page.size());

    Results& runs = results[name];
    for (auto _ : state) {
        MeasurePair(
            runs.keptConnection, [&] { return FetchSeconds(address, page.size()); },
            [&] { return KeptConnectionSeconds(connection, path, page.size()); });
        MeasurePair(
            runs.connectionPerPage, [&] { return FetchSeconds(address, page.size()); },
            [&] { return PlainSeconds(server, path, page.size()); });
        state.SetIterationTime(runs.keptConnection.ours.back());
    }
    const Figure figure = PairedFigure(name, runs.keptConnection, TargetRatio, Quantity::Seconds);
    state.counters["plain_ms"] = figure.floor * 1e3;
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
    } sizes[] = {{"64 KiB", 64u << 10, 101}, {"1 MiB", 1u << 20, 101}, {"16 MiB", 16u << 20, 31}};
    std::vector<std::string> names;
    for (const auto& size : sizes) {
        const std::string name = "fetch " + size.name + " page vs plain socket GET";
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
            PrintFigure(PairedFigure(name + " (paired)", runs->second.keptConnection, TargetRatio, Quantity::Seconds));
    }
    for (const std::string& name : names) {
        if (const auto runs = results.find(name); runs != results.end()) {
            const Figure perPage = PairedFigure(name, runs->second.connectionPerPage, TargetRatio, Quantity::Seconds);
            char note[200];
            std::snprintf(note, sizeof note, "%s, the plain socket connecting for each page: %.2fx (%.1f vs %.1f us)",
                          name.c_str(), perPage.ratio, perPage.ours * 1e6, perPage.floor * 1e6);
            PrintNote(note);
        }
    }
}

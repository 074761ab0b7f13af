// mireval-download fetching one large generated GBK book from a loopback server,
// each figure paired run by run against its floor, alternating which goes first:
//
// - the book kept as served (--encoding original) against `curl -s -o` of the same
//   address: both are whole processes from spawn to exit, writing the same file
//   system, so ours pays for its page probe, its worker and its rename on top;
// - the book converted to UTF-8: what that adds to the original's time, against
//   `iconv -f GB18030 -t UTF-8` of the book from a file;
// - the peak resident set of the process saving a 64 MiB book against that of one
//   saving a 1 MiB book, plus the allowance of 8 MiB: a download's memory must not
//   grow with the book. Both are converted to UTF-8, the default, and measured
//   through bench_peak, a process as small as they are.
//
// The server answers from one string in memory, without copying it per request.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <httplib.h>
#include <map>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "bench/Figures.h"
#include "catalogue/SampleNovel.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

constexpr std::uint64_t MiB = std::uint64_t{1} << 20;
constexpr double MemoryAllowance = 8.0 * MiB;

// The books, served by path with a length, an ETag and the type a TXT site gives.
class BookServer {
public:
    BookServer()
    {
        server_.Get("/(.*)\\.txt", [this](const httplib::Request& request, httplib::Response& response) {
            const auto book = books_.find(request.matches[1].str());
            if (book == books_.end()) {
                response.status = 404;
                return;
            }
            const std::string& text = book->second;
            response.set_header("ETag", "\"" + book->first + "\"");
            response.set_content_provider(text.size(), "text/plain",
                                          [&text](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                                              const std::size_t chunk = std::min<std::size_t>(length, 1 << 20);
                                              return sink.write(text.data() + offset, chunk);
                                          });
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        if (port_ <= 0)
            throw std::runtime_error("cannot listen on loopback");
        listener_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running())
            std::this_thread::yield();
    }
    ~BookServer()
    {
        server_.stop();
        listener_.join();
    }

    // Only before the first request: the handler reads the map unlocked.
    void Add(const std::string& name, std::string text) { books_[name] = std::move(text); }
    std::string Address(const std::string& name) const
    {
        return "http://127.0.0.1:" + std::to_string(port_) + "/" + name + ".txt";
    }

private:
    httplib::Server server_;
    std::map<std::string, std::string> books_;
    int port_ = 0;
    std::thread listener_;
};

double RunProgram(const std::vector<std::string>& arguments)
{
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    const double start = Now();
    pid_t pid = 0;
    const int error = posix_spawnp(&pid, argv[0], &files, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&files);
    if (error != 0)
        throw std::runtime_error("cannot start " + arguments[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    const double elapsed = Now() - start;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error(arguments[0] + " failed");
    return elapsed;
}

// Each run saves into an empty folder, which is emptied again outside the timing.
class Scratch {
public:
    Scratch()
    {
        char folder[] = "/tmp/bench-download-XXXXXX";
        if (!mkdtemp(folder))
            throw std::runtime_error("cannot make a scratch folder");
        root_ = folder;
        fs::create_directory(Out());
    }
    ~Scratch() { fs::remove_all(root_); }

    fs::path Out() const { return root_ / "out"; }
    fs::path File(const std::string& name) const { return root_ / name; }
    void EmptyOut() const
    {
        for (const auto& entry : fs::directory_iterator(Out()))
            fs::remove(entry.path());
    }

private:
    fs::path root_;
};

struct Setting {
    BookServer& server;
    Scratch& scratch;
};

double Ours(const Setting& setting, const std::string& book, const std::string& encoding)
{
    const double seconds = RunProgram({MIREVAL_DOWNLOAD, "--encoding", encoding, "--to",
                                          setting.scratch.Out().string(), setting.server.Address(book)});
    setting.scratch.EmptyOut();
    return seconds;
}

double Curl(const Setting& setting, const std::string& book)
{
    // -q first: no ~/.curlrc.
    const double seconds = RunProgram({"curl", "-q", "-s", "-S", "--noproxy", "*", "-o",
                                       (setting.scratch.Out() / "book.txt").string(), setting.server.Address(book)});
    setting.scratch.EmptyOut();
    return seconds;
}

double Iconv(const Setting& setting)
{
    const double seconds = RunProgram({"iconv", "-f", "GB18030", "-t", "UTF-8", "-o",
                                       (setting.scratch.Out() / "book.txt").string(),
                                       setting.scratch.File("large.txt").string()});
    setting.scratch.EmptyOut();
    return seconds;
}

std::map<std::string, PairedRuns> results;

const std::string OriginalName = "download 64 MiB book, original bytes, vs curl -o (paired)";
const std::string ConversionName = "converting 64 MiB book to UTF-8, time added, vs iconv (paired)";
const std::string MemoryName = "peak RSS, 64 MiB book vs 1 MiB book + 8 MiB (paired)";

void Original(benchmark::State& state, const Setting& setting)
{
    PairedRuns& runs = results[OriginalName];
    for (auto _ : state) {
        MeasurePair(
            runs, [&] { return Ours(setting, "large", "original"); }, [&] { return Curl(setting, "large"); });
        state.SetIterationTime(runs.ours.back());
    }
}

void Conversion(benchmark::State& state, const Setting& setting)
{
    PairedRuns& runs = results[ConversionName];
    for (auto _ : state) {
        MeasurePair(
            runs,
            [&] {
                // The two of ours alternate as well.
                if (runs.ours.size() % 2) {
                    const double original = Ours(setting, "large", "original");
                    return Ours(setting, "large", "utf-8") - original;
                }
                const double converted = Ours(setting, "large", "utf-8");
                return converted - Ours(setting, "large", "original");
            },
            [&] { return Iconv(setting); });
        state.SetIterationTime(runs.ours.back() > 0 ? runs.ours.back() : 1e-9);
    }
}

// The peak resident set of ours saving book, measured through bench_peak.
double Peak(const Setting& setting, const std::string& book)
{
    const std::string report = setting.scratch.File("peak").string();
    RunProgram({BENCH_PEAK, report, MIREVAL_DOWNLOAD, "--to", setting.scratch.Out().string(),
                setting.server.Address(book)});
    setting.scratch.EmptyOut();
    double bytes = 0;
    if (!(std::ifstream(report) >> bytes))
        throw std::runtime_error("bench_peak wrote no figure");
    return bytes;
}

void Memory(benchmark::State& state, const Setting& setting)
{
    PairedRuns& runs = results[MemoryName];
    for (auto _ : state) {
        MeasurePair(
            runs, [&] { return Peak(setting, "large"); }, [&] { return Peak(setting, "small") + MemoryAllowance; });
        state.SetIterationTime(1e-3);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    // The addresses are the server's own: no proxy in between.
    for (const char* name : {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY"})
        unsetenv(name);

    BookServer server;
    Scratch scratch;
    server.Add("large", SampleNovelText("长夜行", "青禾", 64, 64 * MiB));
    server.Add("small", SampleNovelText("短歌行", "木子", 1, MiB));
    std::ofstream(scratch.File("large.txt"), std::ios::binary) << SampleNovelText("长夜行", "青禾", 64, 64 * MiB);
    const Setting setting{server, scratch};
    // Warm: the server's first answers, the programs and their libraries in the page cache.
    Ours(setting, "large", "utf-8");
    Curl(setting, "large");
    Iconv(setting);

    benchmark::RegisterBenchmark(OriginalName.c_str(), Original, setting)
        ->UseManualTime()
        ->Iterations(21)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(ConversionName.c_str(), Conversion, setting)
        ->UseManualTime()
        ->Iterations(15)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(MemoryName.c_str(), Memory, setting)->UseManualTime()->Iterations(7);

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    const struct {
        const std::string& name;
        double target;
        Quantity quantity;
    } figures[] = {{OriginalName, 1.1, Quantity::Seconds},
                   {ConversionName, 1.2, Quantity::Seconds},
                   {MemoryName, 1.0, Quantity::Bytes}};
    for (const auto& figure : figures) {
        if (const auto runs = results.find(figure.name); runs != results.end())
            PrintFigure(PairedFigure(figure.name, runs->second, figure.target, figure.quantity));
    }
}

// The program end to end: spawned as a reader would run it, against the sample
// catalogue served from this process on loopback, its files checked byte for byte.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "catalogue/Gbk.h"
#include "catalogue/LoopbackServer.h"
#include "catalogue/SampleCatalogue.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::set<std::string> Lines(const std::string& text)
{
    std::set<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.insert(line);
    return lines;
}

std::set<std::string> FolderEntries(const fs::path& folder)
{
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

struct Outcome {
    int exitStatus = -1;
    std::string out;
    std::string err;
};

class MirevalDownloadTest : public testing::Test {
protected:
    void SetUp() override
    {
        server.SetFallback(SampleCataloguePage);
        char folderTemplate[] = "/tmp/mireval-download-test-XXXXXX";
        ASSERT_NE(mkdtemp(folderTemplate), nullptr);
        scratch = folderTemplate;
        books = scratch / "books";
        fs::create_directory(books);
    }

    void TearDown() override
    {
        releaseText = true;
        fs::remove_all(scratch);
    }

    // Starts the program with its output in files; loopback is reached directly.
    pid_t Start(const std::vector<std::string>& arguments)
    {
        std::vector<std::string> environment;
        for (char** variable = environ; *variable; ++variable) {
            const std::string entry = *variable;
            if (entry.find("proxy=") == std::string::npos && entry.find("PROXY=") == std::string::npos)
                environment.push_back(entry);
        }
        environment.push_back("no_proxy=127.0.0.1");
        std::vector<char*> envp;
        for (std::string& entry : environment)
            envp.push_back(entry.data());
        envp.push_back(nullptr);

        std::vector<std::string> argv = {MIREVAL_DOWNLOAD};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        std::vector<char*> args;
        for (std::string& argument : argv)
            args.push_back(argument.data());
        args.push_back(nullptr);

        posix_spawn_file_actions_t files;
        posix_spawn_file_actions_init(&files);
        const int flags = O_WRONLY | O_CREAT | O_TRUNC;
        posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, (scratch / "out").c_str(), flags, 0600);
        posix_spawn_file_actions_addopen(&files, STDERR_FILENO, (scratch / "err").c_str(), flags, 0600);
        pid_t pid = 0;
        const int error = posix_spawn(&pid, MIREVAL_DOWNLOAD, &files, nullptr, args.data(), envp.data());
        posix_spawn_file_actions_destroy(&files);
        EXPECT_EQ(error, 0);
        return pid;
    }

    Outcome Finish(pid_t pid)
    {
        int status = 0;
        waitpid(pid, &status, 0);
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(scratch / "out"), ReadFile(scratch / "err")};
    }

    Outcome Run(const std::vector<std::string>& arguments) { return Finish(Start(arguments)); }

    // The 武侠仙侠 row: its first listing page holds books 0 to 9.
    static constexpr int Row = 5;
    std::string Listing() const { return server.Origin() + "/txt/Wuxia/Soft_010_1.htm"; }
    std::string BookPage(int number) const
    {
        return server.Origin() + "/txt/Wuxia/010" + std::to_string(1000 + number) + ".htm";
    }
    std::string TextFile(int number) const
    {
        return server.Origin() + "/down/Wuxia/010" + std::to_string(1000 + number) + ".txt";
    }
    fs::path Saved(int number, const std::string& suffix = "") const
    {
        return books / (SampleBookAt(Row, number).title + suffix + ".txt");
    }

    // Held text files are let go before the server stops, which waits for its handlers.
    std::atomic<bool> releaseText = false;
    LoopbackServer server;
    fs::path scratch;
    fs::path books;
};

// Every book of the page, straight from its page or through its download page,
// saved as UTF-8 under its title; a second run leaves the first run's files be.
TEST_F(MirevalDownloadTest, ListingGivesEveryBookAndASecondRunAddsNumberedNames)
{
    const Outcome first = Run({"--to", books.string(), Listing()});
    EXPECT_EQ(first.exitStatus, 0) << first.err;
    EXPECT_EQ(first.err, "");
    std::set<std::string> expected;
    for (int number = 0; number < 10; ++number)
        expected.insert(Saved(number).string());
    EXPECT_EQ(Lines(first.out), expected);
    for (int number = 0; number < 10; ++number) {
        const std::string text = ReadFile(Saved(number));
        ASSERT_FALSE(text.empty()) << Saved(number);
        EXPECT_EQ(ToGbk(text), SampleBookText(Row, number)) << Saved(number);
    }

    std::vector<struct stat> before(10);
    for (int number = 0; number < 10; ++number)
        ASSERT_EQ(stat(Saved(number).c_str(), &before[static_cast<std::size_t>(number)]), 0);

    const Outcome second = Run({"--to", books.string(), Listing()});
    EXPECT_EQ(second.exitStatus, 0) << second.err;
    std::set<std::string> numbered;
    std::set<std::string> entries;
    for (int number = 0; number < 10; ++number) {
        numbered.insert(Saved(number, " (2)").string());
        entries.insert(Saved(number).filename().string());
        entries.insert(Saved(number, " (2)").filename().string());
        EXPECT_EQ(ReadFile(Saved(number, " (2)")), ReadFile(Saved(number)));
        struct stat after {};
        ASSERT_EQ(stat(Saved(number).c_str(), &after), 0);
        const struct stat& was = before[static_cast<std::size_t>(number)];
        EXPECT_EQ(after.st_ino, was.st_ino);
        EXPECT_EQ(after.st_mtim.tv_sec, was.st_mtim.tv_sec);
        EXPECT_EQ(after.st_mtim.tv_nsec, was.st_mtim.tv_nsec);
    }
    EXPECT_EQ(Lines(second.out), numbered);
    EXPECT_EQ(FolderEntries(books), entries);  // nothing half-done left beside them
}

// A text file named from its path, a book's page named from its heading, and a
// failure reported by its address; the run as a whole failed.
TEST_F(MirevalDownloadTest, TextFileBookPageAndFailureInOneRun)
{
    const std::string missing = server.Origin() + "/txt/Wuxia/0109999.htm";
    const Outcome outcome = Run({"--encoding", "original", "--to", books.string(), TextFile(3), missing, BookPage(2)});
    EXPECT_EQ(outcome.exitStatus, 1);
    const fs::path text = books / ("010" + std::to_string(1003) + ".txt");
    EXPECT_EQ(Lines(outcome.out), (std::set<std::string>{text.string(), Saved(2).string()}));
    EXPECT_EQ(ReadFile(text), SampleBookText(Row, 3));
    EXPECT_EQ(ReadFile(Saved(2)), SampleBookText(Row, 2));
    EXPECT_EQ(outcome.err.rfind(missing + ": ", 0), 0u) << outcome.err;
    EXPECT_EQ(Lines(outcome.err).size(), 1u) << outcome.err;
}

TEST_F(MirevalDownloadTest, BadUsageExitsTwoBeforeFetchingAnything)
{
    const std::string plainFile = (scratch / "plain").string();
    std::ofstream(plainFile) << "x";
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"--to", books.string()},
        {"--frob", Listing()},
        {"--encoding", "latin1", Listing()},
        {"--encoding"},
        {"--to", (scratch / "absent").string(), Listing()},
        {"--to", plainFile, Listing()},
        {"file:///etc/passwd"},
    };
    for (const auto& arguments : cases) {
        std::string shown;
        for (const std::string& argument : arguments)
            shown += argument + " ";
        const Outcome outcome = Run(arguments);
        EXPECT_EQ(outcome.exitStatus, 2) << shown;
        EXPECT_NE(outcome.err.find("usage: mireval-download"), std::string::npos) << shown << outcome.err;
        EXPECT_EQ(outcome.out, "") << shown;
    }
    EXPECT_TRUE(server.Requests().empty());
    EXPECT_EQ(FolderEntries(books), std::set<std::string>{});
}

// Ctrl-C while a book's file is being waited for: the program stops at once
// with 130 and leaves no file under a book's name.
TEST_F(MirevalDownloadTest, InterruptStopsEverythingAndExits130)
{
    server.SetFallback([this](const std::string& address) {
        if (address.ends_with(".txt")) {
            while (!releaseText)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return SampleCataloguePage(address);
    });
    const pid_t pid = Start({"--to", books.string(), Listing()});
    const auto askedForText = [&] {
        for (const std::string& address : server.Requests()) {
            if (address.ends_with(".txt"))
                return true;
        }
        return false;
    };
    for (int wait = 0; wait < 3000 && !askedForText(); ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(askedForText());

    const auto interrupted = std::chrono::steady_clock::now();
    kill(pid, SIGINT);
    const Outcome outcome = Finish(pid);
    const auto stopped = std::chrono::steady_clock::now();

    EXPECT_EQ(outcome.exitStatus, 130) << outcome.err;
    EXPECT_LT(stopped - interrupted, std::chrono::seconds(5));
    EXPECT_EQ(outcome.out, "");
    for (const auto& entry : fs::directory_iterator(books))
        EXPECT_NE(entry.path().extension(), ".txt") << entry.path();
}

}  // namespace

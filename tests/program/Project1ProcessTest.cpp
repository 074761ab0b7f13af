// The built program as a user meets it: its own process under the test display,
// driven by real X11 clicks, fetching through the test proxy.
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <thread>

#include "catalogue/Gbk.h"
#include "catalogue/LoopbackServer.h"
#include "catalogue/SampleCatalogue.h"
#include "navigation/CategoryTable.h"

extern char** environ;

namespace {

using namespace std::chrono_literals;

// Generous: the first start of the web engine can be slow.
constexpr auto Deadline = 60s;

std::string Shell(const std::string& command)
{
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[256];
        while (const std::size_t read = std::fread(buffer, 1, sizeof buffer, pipe))
            output.append(buffer, read);
        pclose(pipe);
    }
    while (!output.empty() && (output.back() == '\n' || output.back() == ' '))
        output.pop_back();
    return output;
}

bool WaitUntil(const std::function<bool()>& done)
{
    const auto end = std::chrono::steady_clock::now() + Deadline;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(100ms);
    }
    return true;
}

// Project1 in a process of its own; stopped when the test is over if it is still running.
class RunningProgram {
public:
    RunningProgram()
    {
        char* argv[] = {const_cast<char*>(PROJECT1_PATH), nullptr};
        if (posix_spawn(&pid_, PROJECT1_PATH, nullptr, nullptr, argv, environ) != 0)
            pid_ = 0;
    }
    ~RunningProgram()
    {
        if (pid_ > 0 && !exitStatus_) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    pid_t Pid() const { return pid_; }

    // The exit code, once the program has ended by itself.
    std::optional<int> ExitCode()
    {
        WaitUntil([&] {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_)
                exitStatus_ = status;
            return exitStatus_.has_value();
        });
        if (exitStatus_ && WIFEXITED(*exitStatus_))
            return WEXITSTATUS(*exitStatus_);
        return std::nullopt;
    }

private:
    pid_t pid_ = 0;
    std::optional<int> exitStatus_;
};

void Click(const std::string& window, int x, int y, int button = 1)
{
    Shell("xdotool mousemove --window " + window + " " + std::to_string(x) + " " + std::to_string(y) + " click "
          + std::to_string(button));
}

// How many windows of the program are mapped: a context menu is one more.
int VisibleWindows(pid_t pid)
{
    const std::string ids = Shell("xdotool search --onlyvisible --pid " + std::to_string(pid) + " '' 2>/dev/null");
    return ids.empty() ? 0 : 1 + static_cast<int>(std::count(ids.begin(), ids.end(), '\n'));
}

// The X11 window of the program's main window once it is shown; empty when none came.
// Qt may map a first window and replace it, so the one taken is one still mapped a
// moment after it was found.
std::string MainWindowOf(const RunningProgram& program)
{
    std::string window;
    if (program.Pid() <= 0)
        return window;
    const bool shown = WaitUntil([&] {
        window = Shell("xdotool search --onlyvisible --pid " + std::to_string(program.Pid())
                       + " --name Mireval 2>/dev/null | tail -n 1");
        if (window.empty())
            return false;
        std::this_thread::sleep_for(300ms);
        return Shell("xwininfo -id " + window + " 2>/dev/null | grep -c IsViewable") == "1";
    });
    return shown ? window : std::string();
}

class Project1Process : public testing::Test {
protected:
    Project1Process()
    {
        unsetenv("no_proxy");
        unsetenv("NO_PROXY");
        setenv("http_proxy", server.Origin().c_str(), 1);
        server.SetFallback([](const std::string& address) {
            return CannedResponse{200,
                                  ToGbk("<html><ul><li class=\"p_total\">9页</li></ul>\n<div id=\"catalog\">书目 ")
                                      + address + "</div>\n<div id=\"pages\"></div></html>",
                                  {}};
        });
    }
    ~Project1Process() override { unsetenv("http_proxy"); }

    LoopbackServer server;
};

TEST_F(Project1Process, ClicksOnACategoryAndOnNextFetchTheirPagesInOrderAndCloseEndsIt)
{
    RunningProgram program;
    const std::string window = MainWindowOf(program);
    ASSERT_FALSE(window.empty()) << "no window appeared";

    Click(window, 8 + 8 + 68, 24 + 16 + 13);  // suiButton1, in GroupBox1
    ASSERT_TRUE(WaitUntil([&] { return !server.Requests().empty(); }));
    Click(window, 592 + 24, 504 + 9);  // suiButton12, next
    ASSERT_TRUE(WaitUntil([&] { return server.Requests().size() >= 2; }));

    const std::vector<std::string> expected = {ListingBaseAddress + "/txt/Chuanyue/Soft_047_1.htm",
                                               ListingBaseAddress + "/txt/Chuanyue/Soft_047_2.htm"};
    EXPECT_EQ(server.Requests(), expected);

    Click(window, 853, 10);  // the title bar's close button, second from the right
    EXPECT_EQ(program.ExitCode(), 0);
}

TEST_F(Project1Process, ARightClickOverThePaneOpensNoMenuWhileOneOnThePageEntryDoes)
{
    RunningProgram program;
    const std::string window = MainWindowOf(program);
    ASSERT_FALSE(window.empty()) << "no window appeared";
    Click(window, 8 + 8 + 68, 24 + 16 + 13);  // suiButton1
    ASSERT_TRUE(WaitUntil([&] { return !server.Requests().empty(); }));
    std::this_thread::sleep_for(1s);  // the list written into the pane
    const int windows = VisibleWindows(program.Pid());

    Click(window, 168 + 350, 32 + 200, 3);  // over the listing pane
    std::this_thread::sleep_for(2s);
    EXPECT_EQ(VisibleWindows(program.Pid()), windows) << "a menu opened over the pane";

    Click(window, 648 + 10, 504 + 9, 3);  // Edit1 takes it and opens its own menu
    EXPECT_TRUE(WaitUntil([&] { return VisibleWindows(program.Pid()) > windows; }));
}

// HOME in a folder of the test's own while it lives, so that the program's books go
// to its Downloads.
class TemporaryHome {
public:
    TemporaryHome()
    {
        char name[] = "/tmp/project1-home-XXXXXX";
        if (mkdtemp(name))
            path_ = name;
        if (const char* home = std::getenv("HOME"))
            saved_ = home;
        setenv("HOME", path_.c_str(), 1);
        unsetenv("XDG_CONFIG_HOME");
    }
    ~TemporaryHome()
    {
        setenv("HOME", saved_.c_str(), 1);
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TemporaryHome(const TemporaryHome&) = delete;
    TemporaryHome& operator=(const TemporaryHome&) = delete;

    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
    std::string saved_;
};

std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

TEST_F(Project1Process, AClickOnTheFirstBookOfAListingSavesItInTheDownloadFolder)
{
    TemporaryHome home;
    server.SetFallback(SampleCataloguePage);
    RunningProgram program;
    const std::string window = MainWindowOf(program);
    ASSERT_FALSE(window.empty()) << "no window appeared";

    Click(window, 8 + 8 + 68, 24 + 16 + 4 * 40 + 13);  // suiButton5, 武侠仙侠
    ASSERT_TRUE(WaitUntil([&] { return !server.Requests().empty(); }));
    std::this_thread::sleep_for(1s);  // the list written into the pane
    Click(window, 168 + 70, 32 + 21);  // the first book's title, at the top of the list

    const SampleBook book = SampleBookAt(5, 0);
    const std::filesystem::path saved = home.Path() / "Downloads" / (book.title + ".txt");
    EXPECT_TRUE(WaitUntil([&] { return std::filesystem::exists(saved); })) << saved;
    EXPECT_TRUE(ToGbk(ReadFile(saved)) == SampleBookText(5, 0)) << "the saved text differs from the site's";

    // The window hears of the saved book a moment after the file is there; closed
    // then, with nothing left running, it asks nothing.
    std::this_thread::sleep_for(1s);
    Click(window, 853, 10);
    EXPECT_EQ(program.ExitCode(), 0);
}

}  // namespace

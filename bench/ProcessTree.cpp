#include "bench/ProcessTree.h"

#include <dirent.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "bench/Figures.h"

extern char** environ;

namespace {

// The fields of /proc/<pid>/stat after the command name, which may hold blanks.
std::vector<std::string> StatFields(pid_t pid)
{
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(file, line);
    const auto close = line.rfind(')');
    std::vector<std::string> fields;
    if (close == std::string::npos)
        return fields;
    std::istringstream rest(line.substr(close + 2));
    for (std::string field; rest >> field;)
        fields.push_back(field);
    return fields;
}

std::map<pid_t, pid_t> ParentsOfAll()
{
    std::map<pid_t, pid_t> parents;
    DIR* proc = opendir("/proc");
    if (!proc)
        return parents;
    while (const dirent* entry = readdir(proc)) {
        const pid_t pid = static_cast<pid_t>(std::atoi(entry->d_name));
        if (pid <= 0)
            continue;
        const auto fields = StatFields(pid);
        if (fields.size() > 1)
            parents[pid] = static_cast<pid_t>(std::stoi(fields[1]));  // field 4: ppid
    }
    closedir(proc);
    return parents;
}

void Reap()
{
    while (waitpid(-1, nullptr, WNOHANG) > 0) {
    }
}

}  // namespace

void BecomeSubreaper()
{
    if (prctl(PR_SET_CHILD_SUBREAPER, 1) != 0)
        throw std::runtime_error("cannot become a child subreaper");
}

std::vector<pid_t> ProcessTree(pid_t pid)
{
    const auto parents = ParentsOfAll();
    std::vector<pid_t> tree{pid};
    for (std::size_t i = 0; i < tree.size(); ++i) {
        for (const auto& [child, parent] : parents) {
            if (parent == tree[i])
                tree.push_back(child);
        }
    }
    return tree;
}

double PeakResidentBytes(pid_t pid)
{
    double bytes = 0;
    for (const pid_t member : ProcessTree(pid)) {
        std::ifstream status("/proc/" + std::to_string(member) + "/status");
        for (std::string line; std::getline(status, line);) {
            if (line.rfind("VmHWM:", 0) == 0)
                bytes += std::stod(line.substr(6)) * 1024;  // "VmHWM:   12345 kB"
        }
    }
    return bytes;
}

long long ProcessorTicks(pid_t pid)
{
    long long ticks = 0;
    for (const pid_t member : ProcessTree(pid)) {
        const auto fields = StatFields(member);
        if (fields.size() > 12)
            ticks += std::stoll(fields[11]) + std::stoll(fields[12]);  // fields 14 and 15: utime, stime
    }
    return ticks;
}

bool WaitUntilIdle(pid_t pid, double quietSeconds, double deadlineSeconds)
{
    const double deadline = Now() + deadlineSeconds;
    while (Now() < deadline) {
        const long long before = ProcessorTicks(pid);
        std::this_thread::sleep_for(std::chrono::duration<double>(quietSeconds));
        if (ProcessorTicks(pid) - before <= 1)
            return true;
    }
    return false;
}

pid_t Spawn(const std::string& program, const std::vector<std::string>& args, int stdoutFd)
{
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (stdoutFd != -1)
        posix_spawn_file_actions_adddup2(&actions, stdoutFd, STDOUT_FILENO);
    pid_t pid = 0;
    const int error = posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0)
        throw std::runtime_error("cannot start " + program);
    return pid;
}

void EndTree(pid_t pid)
{
    for (const pid_t member : ProcessTree(pid))
        kill(member, SIGTERM);
    const double deadline = Now() + 10;
    for (;;) {
        Reap();
        const auto ours = ProcessTree(getpid());
        if (ours.size() == 1)
            return;
        if (Now() > deadline) {
            for (std::size_t i = 1; i < ours.size(); ++i)
                kill(ours[i], SIGKILL);
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            Reap();
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

#pragma once

// The processes a program under measurement runs: itself and every process it
// starts, QtWebEngine's helper processes among them. The caller is made a child
// subreaper, so that helpers whose parent goes stay in its tree.

#include <sys/types.h>

#include <string>
#include <vector>

void BecomeSubreaper();

// pid and all its descendants alive now.
std::vector<pid_t> ProcessTree(pid_t pid);

// Sum over the tree of each process's peak resident set (VmHWM), in bytes.
double PeakResidentBytes(pid_t pid);

// Sum over the tree of the processor time used so far, in clock ticks.
long long ProcessorTicks(pid_t pid);

// Waits until the tree has used no more than a tick of processor time in a whole
// quiet period, or the deadline passes (false).
bool WaitUntilIdle(pid_t pid, double quietSeconds, double deadlineSeconds);

// Starts program with args, its standard output going to stdoutFd when that is
// not -1; raises when it cannot be started.
pid_t Spawn(const std::string& program, const std::vector<std::string>& args, int stdoutFd = -1);

// Ends the tree: SIGTERM to every process, SIGKILL to what is left after a while,
// and reaps every child of ours.
void EndTree(pid_t pid);

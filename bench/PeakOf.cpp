// bench_peak FILE PROGRAM ARGS...: runs the program, its standard output going to
// /dev/null, and writes its peak resident set in bytes to FILE; exits 1 when the
// program fails.
//
// A process's ru_maxrss starts from the peak of the memory it was spawned from, so
// a program measured straight from a benchmark holding large books would report
// the benchmark's size. Spawned from this small process it reports its own.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

extern char** environ;

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fputs("usage: bench_peak FILE PROGRAM ARGS...\n", stderr);
        return 2;
    }
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int error = posix_spawnp(&pid, argv[2], &files, nullptr, argv + 2, environ);
    posix_spawn_file_actions_destroy(&files);
    if (error != 0) {
        std::fprintf(stderr, "bench_peak: cannot start %s\n", argv[2]);
        return 1;
    }
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid)
        return 1;
    FILE* out = std::fopen(argv[1], "w");
    if (!out)
        return 1;
    std::fprintf(out, "%lld\n", static_cast<long long>(usage.ru_maxrss) * 1024);
    const bool written = std::fclose(out) == 0;
    return written && WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
}

#pragma once
// Whole-process timing for the benchmarks that compare our command-line tools with other programs:
// a child runs with its output thrown away, and the best wall and CPU time of the runs is kept.
#include <fcntl.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace xqft::bench {

struct SProcessTimes {
    double wall = 1e30, cpu = 1e30; // the best of the runs
    bool ok = true;                 // false once a run failed
};

// One finished run of a child: its wall time, CPU time and resource use.
struct SChildRun {
    double wall = 0, cpu = 0;
    rusage usage{};
};

// Runs argv (searched on PATH when argv[0] has no '/'), pinned to cpu unless it is negative, with env
// ("NAME=value" or null) added to its environment and its output thrown away; false when it could
// not run or did not exit with 0.
inline bool RunChild(const std::vector<std::string>& argv, int cpu, const char* env, SChildRun& run)
{
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    std::fflush(stdout); // nothing buffered may reach the child
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        if (cpu >= 0) {
            cpu_set_t set;
            CPU_ZERO(&set);
            CPU_SET(cpu, &set);
            if (sched_setaffinity(0, sizeof set, &set) != 0)
                _exit(127);
        }
        if (env != nullptr)
            putenv(const_cast<char*>(env));
        const int null = open("/dev/null", O_WRONLY);
        if (null < 0 || dup2(null, 1) < 0 || dup2(null, 2) < 0)
            _exit(127);
        execvp(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    if (child < 0 || wait4(child, &status, 0, &run.usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return false;
    run.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.cpu = double(run.usage.ru_utime.tv_sec + run.usage.ru_stime.tv_sec) +
              double(run.usage.ru_utime.tv_usec + run.usage.ru_stime.tv_usec) / 1e6;
    return true;
}

// RunChild, keeping the run's wall and CPU time when lower.
inline void RunProcess(const std::vector<std::string>& argv, int cpu, const char* env, SProcessTimes& times)
{
    SChildRun run;
    if (!RunChild(argv, cpu, env, run)) {
        times.ok = false;
        return;
    }
    times.wall = std::min(times.wall, run.wall), times.cpu = std::min(times.cpu, run.cpu);
}

// One line of figures, the label padded to width.
inline void PrintProcessTimes(const char* what, int width, const SProcessTimes& t)
{
    if (t.ok)
        std::printf("  %-*s %7.3f s wall %7.3f s CPU\n", width, what, t.wall, t.cpu);
    else
        std::printf("  %-*s failed\n", width, what);
}

} // namespace xqft::bench

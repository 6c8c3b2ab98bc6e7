#pragma once
// Timing of the encoder benchmarks: the best of a few runs, since the machine may be shared.
#include "BenchSupport.h"

#include <sys/resource.h>

#include <algorithm>

namespace xqft::bench {

// The least seconds of rounds calls of run(); 0 when a call fails (returns false).
template <class Run>
double BestSeconds(int rounds, Run run)
{
    double best = 1e30;
    for (int round = 0; round < rounds; ++round) {
        const auto start = Clock::now();
        if (!run())
            return 0;
        best = std::min(best, Seconds(start, Clock::now()));
    }
    return best;
}

// CPU seconds the process has used (all threads, user and system). On a shared machine the wall clock
// of a parallel run says little; CPU time on all threads over CPU time on one says what the threads
// cost beyond the work itself (1.0: none), so the speedup on idle cores is about cores / that ratio.
inline double ProcessCpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e-6;
}

} // namespace xqft::bench

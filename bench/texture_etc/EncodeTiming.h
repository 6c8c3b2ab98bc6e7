#pragma once
// Timing of the encoder benchmarks: the best of a few runs, since the machine may be shared
// (ProcessCpuSeconds, in BenchSupport.h, gives the CPU time of their parallel runs).
#include "BenchSupport.h"

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

} // namespace xqft::bench

#pragma once
// Debian's libsquish compresses and decompresses an image's blocks on OpenMP threads, as many as the
// machine has. A comparison of one thread against it must hold it to one: otherwise its wall time
// shrinks with the machine's cores, and the CPU time of the calling thread misses the others' work.
#if defined(XQFT_BENCH_OPENMP)
#include <omp.h>
#endif

#include <cstdio>

namespace xqft::bench {

// Holds libsquish to the calling thread; says so when the benchmark was built without OpenMP and
// cannot, since the figures then compare one thread with several.
inline void HoldSquishToOneThread()
{
#if defined(XQFT_BENCH_OPENMP)
    omp_set_num_threads(1);
#else
    std::printf("note: built without OpenMP; libsquish may use several threads (set OMP_NUM_THREADS=1)\n");
#endif
}

} // namespace xqft::bench

#pragma once
// One trace load through the reader, timed and with the memory it took.
#include "BenchSupport.h"
#include "data/MemoryGuard.h"
#include "data/TraceReader.h"

#include <algorithm>
#include <string>

namespace xqft::bench {

struct SMeasuredLoad
{
    int result;
    double seconds;
    long long heapDelta;    // heap in use after the load, beyond that before it
    long long peakDeltaKiB; // resident peak during the load, beyond the resident size before it
    // Private (anonymous) memory at its highest during the load, beyond that before it: sampled
    // where the loader's memory guard looks (every 1,000 calls) and at the end. File pages of the
    // mapped trace count in the resident peak, not here.
    long long privatePeakDeltaKiB;
};

// The reader's log and any earlier trace are the caller's to set up or close.
inline SMeasuredLoad MeasuredLoad(const std::string& path)
{
    CTraceReader& reader = CTraceReader::Instance();
    ResetPeak();
    const long long before = StatusKiB("VmRSS:");
    const long long heapBefore = HeapInUse();
    const long long privateBefore = CommittedMemoryKiB();
    long long privatePeak = privateBefore;
    reader.SetMemoryProbe([&privatePeak] {
        const int64_t now = CommittedMemoryKiB();
        privatePeak = std::max<long long>(privatePeak, now);
        return now;
    });
    const auto t0 = Clock::now();
    const int result = reader.LoadTrace(CXQFTString(path.c_str()), 1);
    const auto t1 = Clock::now();
    reader.SetMemoryProbe(nullptr);
    privatePeak = std::max<long long>(privatePeak, CommittedMemoryKiB());
    const long long heap = HeapInUse() - heapBefore;
    return {result, Seconds(t0, t1), heap, StatusKiB("VmHWM:") - before, privatePeak - privateBefore};
}

} // namespace xqft::bench

#pragma once
// One trace load through the reader, timed and with the memory it took.
#include "BenchSupport.h"
#include "data/TraceReader.h"

#include <string>

namespace xqft::bench {

struct SMeasuredLoad
{
    int result;
    double seconds;
    long long heapDelta;    // heap in use after the load, beyond that before it
    long long peakDeltaKiB; // resident peak during the load, beyond the resident size before it
};

// The reader's log and any earlier trace are the caller's to set up or close.
inline SMeasuredLoad MeasuredLoad(const std::string& path)
{
    CTraceReader& reader = CTraceReader::Instance();
    ResetPeak();
    const long long before = StatusKiB("VmRSS:");
    const long long heapBefore = HeapInUse();
    const auto t0 = Clock::now();
    const int result = reader.LoadTrace(CXQFTString(path.c_str()), 1);
    const auto t1 = Clock::now();
    const long long heap = HeapInUse() - heapBefore;
    return {result, Seconds(t0, t1), heap, StatusKiB("VmHWM:") - before};
}

} // namespace xqft::bench

// Loading a trace of extension calls and describing the calls of one large frame.
//  1. 1,000,000 calls in 1,000 frames, half of them on each API: fixed-point calls every other
//     call, vertex-array binds and generations and map/unmap pairs of 4 KiB for the rest: calls/s
//     and MB/s. Goal: >= 1,500,000 calls/s on one core.
//  2. GetCallInfo for every call of the trace's last frame, 10,000 calls.
// The trace is written by tools/xqftgen.py to $TMPDIR (or /tmp) and removed afterwards.
// Arguments: [calls] [frames] to run a smaller trace.
#include "BenchMixed.h"

using namespace xqft::bench;

int main(int argc, char** argv)
{
    CMixedTrace trace;
    if (!trace.Write("ext-mixed", argc > 1 ? std::atoll(argv[1]) : 1000000, argc > 2 ? std::atoll(argv[2]) : 1000))
        return 1;
    CTraceData* data = trace.Load(1500000);
    if (!data)
        return 1;
    CMixedTrace::DescribeLastFrame(*data);
    return 0;
}

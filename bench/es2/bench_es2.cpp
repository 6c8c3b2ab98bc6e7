// Loading a mixed OpenGL ES 2.0 trace, and describing the calls of one large frame.
//  1. 2,000,000 calls in 5,000 frames, a glDrawArrays with a 1.5 KiB vertex block in every fifth
//     call and a 16 KiB glTexImage2D in one of a hundred (about 1 GB): calls/s, MB/s and peak
//     memory. Goals: >= 1,000,000 calls/s on one core; private memory <= 150 B/call (the captured
//     bytes stay in the file).
//  2. GetCallInfo for every call of the trace's last frame, 10,000 calls. Goal: < 20 ms.
// The trace is written by tools/xqftgen.py to $TMPDIR (or /tmp) and removed afterwards.
// Arguments: [calls] [frames] to run a smaller trace.
#include "BenchMixed.h"
#include "state/Es2State.h"

#include <memory>

using namespace xqft::bench;

int main(int argc, char** argv)
{
    CMixedTrace trace;
    if (!trace.Write("es2-mixed", argc > 1 ? std::atoll(argv[1]) : 2000000, argc > 2 ? std::atoll(argv[2]) : 5000))
        return 1;
    CTraceData* data = trace.Load(1000000);
    if (!data)
        return 1;
    {
        const long long h0 = HeapInUse();
        auto copy = std::make_unique<SEs2State>(data->RunningEs2State());
        std::printf("load: one ES 2.0 state snapshot takes %lld bytes (%d frames)\n", HeapInUse() - h0,
                    data->GetFrameCount());
    }
    CMixedTrace::DescribeLastFrame(*data);
    return 0;
}

// Loading a mixed OpenGL ES 1.1 trace, describing the calls of one large frame, exporting it as text.
//  1. 2,000,000 calls in 5,000 frames: a draw with a 1.5 KiB captured client array in every fifth
//     call (glDrawArrays, or glDrawElements with its indices), a 16 KiB glTexImage2D in one of a
//     hundred, the rest drawn from every ES 1.1 record (about 1 GB): calls/s, MB/s and peak memory.
//     Goals: >= 1,500,000 calls/s on one core; memory <= captured bytes + 150 B/call.
//  2. GetCallInfo for every call of the trace's last frame, 10,000 calls. Goal: < 20 ms.
//  3. The text export of the whole trace. Goal: >= 1,000,000 calls/s.
// The trace is written by tools/xqftgen.py to $TMPDIR (or /tmp) and removed afterwards.
// Arguments: [calls] [frames] to run a smaller trace.
#include "BenchMixed.h"
#include "TraceExport.h"
#include "state/Es1State.h"

#include <memory>

using namespace xqft::bench;

int main(int argc, char** argv)
{
    CMixedTrace trace;
    if (!trace.Write("es1-mixed", argc > 1 ? std::atoll(argv[1]) : 2000000, argc > 2 ? std::atoll(argv[2]) : 5000))
        return 1;
    CTraceData* data = trace.Load(1500000);
    if (!data)
        return 1;
    {
        const long long h0 = HeapInUse();
        auto copy = std::make_unique<SEs1State>(data->RunningEs1State());
        std::printf("load: one ES 1.1 state snapshot takes %lld bytes\n", HeapInUse() - h0);
    }
    CMixedTrace::DescribeLastFrame(*data);

    const std::string text = trace.Path() + ".txt";
    const auto e0 = Clock::now();
    const bool exported = ExportTraceText(data, CXQFTString(text.c_str()), STextExportOptions{});
    const double seconds = Seconds(e0, Clock::now());
    std::ifstream textProbe(text, std::ios::binary | std::ios::ate);
    const double calls = data->GetCallCount();
    std::printf("export: text of %.0f calls (%.1f MB) in %.3f s: %.0f calls/s (goal >= 1000000)%s\n", calls,
                double(textProbe.tellg()) / 1e6, seconds, calls / seconds, exported ? "" : " FAILED");
    std::remove(text.c_str());
    return exported ? 0 : 1;
}

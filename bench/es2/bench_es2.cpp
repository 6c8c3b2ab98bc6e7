// Loading a mixed OpenGL ES 2.0 trace, and describing the calls of one large frame.
//  1. 2,000,000 calls in 5,000 frames, a glDrawArrays with a 1.5 KiB vertex block in every fifth
//     call and a 16 KiB glTexImage2D in one of a hundred (about 1 GB): calls/s, MB/s and peak
//     memory. Goals: >= 1,000,000 calls/s on one core; memory <= captured bytes + 150 B/call.
//  2. GetCallInfo for every call of the trace's last frame, 10,000 calls. Goal: < 20 ms.
// The trace is written by tools/xqftgen.py to $TMPDIR (or /tmp) and removed afterwards.
// Arguments: [calls] [frames] to run a smaller trace.
#include "BenchLoad.h"
#include "apicall/CallInfo.h"
#include "data/TraceData.h"
#include "data/TraceReader.h"
#include "state/Es2State.h"

#include <memory>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <string>

namespace {

using namespace xqft::bench;

std::map<std::string, long long> ReadInfo(const std::string& path)
{
    std::map<std::string, long long> out;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);)
        if (auto eq = line.find('='); eq != std::string::npos)
            out[line.substr(0, eq)] = std::atoll(line.c_str() + eq + 1);
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    const long long calls = argc > 1 ? std::atoll(argv[1]) : 2000000;
    const long long frames = argc > 2 ? std::atoll(argv[2]) : 5000;
    const std::string path = TempDir() + "/bench_es2_mixed.xqft";
    const std::string command = "python3 " XQFT_SOURCE_DIR "/tools/xqftgen.py es2-mixed " + path + " --calls " +
                                std::to_string(calls) + " --frames " + std::to_string(frames) +
                                " --last-frame-calls 10000";
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "cannot write the trace: %s\n", command.c_str());
        return 1;
    }
    auto info = ReadInfo(path + ".info");
    std::ifstream sizeProbe(path, std::ios::binary | std::ios::ate);
    const double fileBytes = double(sizeProbe.tellg());

    CTraceReader& reader = CTraceReader::Instance();
    reader.SetLog(nullptr, nullptr);
    const SMeasuredLoad load = MeasuredLoad(path);
    const int result = load.result;
    const long long peakDelta = load.peakDeltaKiB;
    const long long heap = load.heapDelta;
    CTraceData* data = reader.GetTraceData();
    const double loaded = data ? data->GetCallCount() : 0;
    const double secs = load.seconds;
    const double extraPerCall = (peakDelta * 1024.0 - double(info["captured"])) / loaded;
    std::printf("load: result %d, %.0f calls in %d frames, %.1f MB in %.3f s\n", result, loaded,
                data ? data->GetFrameCount() : 0, fileBytes / 1e6, secs);
    std::printf("load: %.0f calls/s (goal >= 1000000), %.0f MB/s\n", loaded / secs, fileBytes / 1e6 / secs);
    std::printf("load: peak memory %.1f MB for %.1f MB captured: %.0f bytes per call beyond the captured bytes "
                "(goal <= 150)\n",
                peakDelta / 1024.0, info["captured"] / 1e6, extraPerCall);
    std::printf("load: heap in use after the load %.1f MB: %.0f bytes per call beyond the captured bytes\n", heap / 1e6,
                (double(heap) - double(info["captured"])) / loaded);

    {
        const long long h0 = HeapInUse();
        auto copy = std::make_unique<SEs2State>(data->RunningEs2State());
        std::printf("load: one ES 2.0 state snapshot takes %lld bytes (%d frames)\n", HeapInUse() - h0,
                    data->GetFrameCount());
    }

    // The last frame holds 10,000 calls; their descriptions are made on first use.
    const uint32_t last = data ? uint32_t(data->GetFrameCount()) : 0;
    if (last && data->SetCurrentFrame(last, true)) {
        const uint32_t n = data->GetCurrentFrameCallCount();
        const auto c0 = Clock::now();
        size_t arguments = 0;
        while (STraceCall* entry = data->GetNextCall())
            if (const auto* values = entry->GetCallInfo()->GetArguments())
                arguments += values->size();
        const auto c1 = Clock::now();
        std::printf("describe: GetCallInfo for the %u calls of frame %u (%zu arguments) in %.2f ms (goal < 20 ms)\n",
                    n, last, arguments, Seconds(c0, c1) * 1e3);
    }
    reader.Close();
    std::remove(path.c_str());
    std::remove((path + ".info").c_str());
    return result == 0 ? 0 : 1;
}

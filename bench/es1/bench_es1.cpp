// Loading a mixed OpenGL ES 1.1 trace, describing the calls of one large frame, exporting it as text.
//  1. 2,000,000 calls in 5,000 frames: a draw with a 1.5 KiB captured client array in every fifth
//     call (glDrawArrays, or glDrawElements with its indices), a 16 KiB glTexImage2D in one of a
//     hundred, the rest drawn from every ES 1.1 record (about 1 GB): calls/s, MB/s and peak memory.
//     Goals: >= 1,500,000 calls/s on one core; memory <= captured bytes + 150 B/call.
//  2. GetCallInfo for every call of the trace's last frame, 10,000 calls. Goal: < 20 ms.
//  3. The text export of the whole trace. Goal: >= 1,000,000 calls/s.
// The trace is written by tools/xqftgen.py to $TMPDIR (or /tmp) and removed afterwards.
// Arguments: [calls] [frames] to run a smaller trace.
#include "BenchLoad.h"
#include "TraceExport.h"
#include "apicall/CallInfo.h"
#include "data/TraceData.h"
#include "data/TraceReader.h"
#include "state/Es1State.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <unistd.h>

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
    const std::string path = TempDir() + "/bench_es1_mixed_" + std::to_string(getpid()) + ".xqft";
    const std::string command = "python3 " XQFT_SOURCE_DIR "/tools/xqftgen.py es1-mixed " + path + " --calls " +
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
    CTraceData* data = reader.GetTraceData();
    const double loaded = data ? data->GetCallCount() : 0;
    const double extraPerCall = (load.peakDeltaKiB * 1024.0 - double(info["captured"])) / loaded;
    std::printf("load: result %d, %.0f calls in %d frames, %.1f MB in %.3f s\n", load.result, loaded,
                data ? data->GetFrameCount() : 0, fileBytes / 1e6, load.seconds);
    std::printf("load: %.0f calls/s (goal >= 1500000), %.0f MB/s\n", loaded / load.seconds,
                fileBytes / 1e6 / load.seconds);
    std::printf("load: peak memory %.1f MB for %.1f MB captured: %.0f bytes per call beyond the captured bytes "
                "(goal <= 150)\n",
                load.peakDeltaKiB / 1024.0, info["captured"] / 1e6, extraPerCall);
    std::printf("load: heap in use after the load %.1f MB: %.0f bytes per call beyond the captured bytes\n",
                load.heapDelta / 1e6, (double(load.heapDelta) - double(info["captured"])) / loaded);
    if (!data) {
        std::remove(path.c_str());
        std::remove((path + ".info").c_str());
        return 1;
    }
    {
        const long long h0 = HeapInUse();
        auto copy = std::make_unique<SEs1State>(data->RunningEs1State());
        std::printf("load: one ES 1.1 state snapshot takes %lld bytes\n", HeapInUse() - h0);
    }

    // The last frame holds 10,000 calls; their descriptions are made on first use.
    const uint32_t last = uint32_t(data->GetFrameCount());
    if (last && data->SetCurrentFrame(last, true)) {
        const uint32_t n = data->GetCurrentFrameCallCount();
        const auto c0 = Clock::now();
        size_t arguments = 0;
        while (STraceCall* entry = data->GetNextCall())
            if (const auto* values = entry->GetCallInfo()->GetArguments())
                arguments += values->size();
        std::printf("describe: GetCallInfo for the %u calls of frame %u (%zu arguments) in %.2f ms (goal < 20 ms)\n",
                    n, last, arguments, Seconds(c0, Clock::now()) * 1e3);
    }

    const std::string text = path + ".txt";
    const auto e0 = Clock::now();
    const bool exported = ExportTraceText(data, CXQFTString(text.c_str()), STextExportOptions{});
    const double exportSecs = Seconds(e0, Clock::now());
    std::ifstream textProbe(text, std::ios::binary | std::ios::ate);
    std::printf("export: text of %.0f calls (%.1f MB) in %.3f s: %.0f calls/s (goal >= 1000000)%s\n", loaded,
                double(textProbe.tellg()) / 1e6, exportSecs, loaded / exportSecs, exported ? "" : " FAILED");

    reader.Close();
    std::remove(text.c_str());
    std::remove(path.c_str());
    std::remove((path + ".info").c_str());
    return load.result == 0 && exported ? 0 : 1;
}

#pragma once
// The mixed-trace benchmarks of the call families: a trace written by tools/xqftgen.py (es1-mixed,
// es2-mixed) with a last frame of 10,000 calls, loaded and measured (calls/s, MB/s, private and
// resident memory: the captured bytes stay in the file), and every call of that last frame described.
#include "BenchLoad.h"
#include "apicall/CallInfo.h"
#include "data/TraceData.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <unistd.h>

namespace xqft::bench {

class CMixedTrace
{
public:
    // Writes the trace with the generator command (es1-mixed ...); false when it could not.
    bool Write(const std::string& command, long long calls, long long frames)
    {
        m_path = TempDir() + "/bench_" + command + "_" + std::to_string(getpid()) + ".xqft";
        const std::string line = "python3 " XQFT_SOURCE_DIR "/tools/xqftgen.py " + command + " " + m_path +
                                 " --calls " + std::to_string(calls) + " --frames " + std::to_string(frames) +
                                 " --last-frame-calls 10000";
        if (std::system(line.c_str()) != 0) {
            std::fprintf(stderr, "cannot write the trace: %s\n", line.c_str());
            return false;
        }
        std::ifstream info(m_path + ".info");
        for (std::string l; std::getline(info, l);)
            if (auto eq = l.find('='); eq != std::string::npos)
                m_info[l.substr(0, eq)] = std::atoll(l.c_str() + eq + 1);
        return true;
    }

    ~CMixedTrace()
    {
        CTraceReader::Instance().Close();
        std::remove(m_path.c_str());
        std::remove((m_path + ".info").c_str());
    }

    const std::string& Path() const { return m_path; }

    // Loads the trace and prints its figures against the goal of calls per second; null when the
    // load failed.
    CTraceData* Load(double goalCallsPerSecond)
    {
        CTraceReader& reader = CTraceReader::Instance();
        reader.SetLog(nullptr, nullptr);
        std::ifstream sizeProbe(m_path, std::ios::binary | std::ios::ate);
        const double fileBytes = double(sizeProbe.tellg());
        const SMeasuredLoad load = MeasuredLoad(m_path);
        CTraceData* data = reader.GetTraceData();
        const double loaded = data ? data->GetCallCount() : 0;
        const double captured = double(m_info["captured"]);
        std::printf("load: result %d, %.0f calls in %d frames, %.1f MB in %.3f s\n", load.result, loaded,
                    data ? data->GetFrameCount() : 0, fileBytes / 1e6, load.seconds);
        std::printf("load: %.0f calls/s (goal >= %.0f), %.0f MB/s\n", loaded / load.seconds, goalCallsPerSecond,
                    fileBytes / 1e6 / load.seconds);
        // Captured blocks of 64 bytes or more stay in the trace file: private memory holds the
        // calls, the small blocks and what the state effects copied.
        std::printf("load: %.1f MB captured; peak private memory %.1f MB: %.0f bytes per call (goal <= 150); "
                    "resident peak %.1f MB (file pages included)\n",
                    captured / 1e6, load.privatePeakDeltaKiB / 1024.0, load.privatePeakDeltaKiB * 1024.0 / loaded,
                    load.peakDeltaKiB / 1024.0);
        std::printf("load: heap in use after the load %.1f MB: %.0f bytes per call\n", load.heapDelta / 1e6,
                    double(load.heapDelta) / loaded);
        return load.result == 0 ? data : nullptr;
    }

    // Describes every call of the last frame (10,000 calls; descriptions are made on first use).
    static void DescribeLastFrame(CTraceData& data)
    {
        const uint32_t last = uint32_t(data.GetFrameCount());
        if (!last || !data.SetCurrentFrame(last, true))
            return;
        const uint32_t n = data.GetCurrentFrameCallCount();
        const auto c0 = Clock::now();
        size_t arguments = 0;
        while (STraceCall* entry = data.GetNextCall())
            if (const auto* values = entry->GetCallInfo()->GetArguments())
                arguments += values->size();
        std::printf("describe: GetCallInfo for the %u calls of frame %u (%zu arguments) in %.2f ms (goal < 20 ms)\n",
                    n, last, arguments, Seconds(c0, Clock::now()) * 1e3);
    }

private:
    std::string m_path;
    std::map<std::string, long long> m_info;
};

} // namespace xqft::bench

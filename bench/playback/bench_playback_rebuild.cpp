// Frames whose textures the GPU drew in earlier frames, restored as `xqft-dump replay --frame N`
// does (the restore rebuilds the frame by replaying from the latest frame whose restore holds no such
// texture, then the frame is played), against the same frame replayed from the trace's first call
// (`--from-start`). Each the best of three rounds, every round in a fresh analysis playback, the
// frame read back at the end. Goal: the rebuilt restore takes no longer than --from-start.
//  1. render-later and es1-gpu-later-ext (xqft-record): frame 3, rebuilt from frame 1.
//  2. When the real-application cuts lie beside the source (../shared/traces/real-app-cuts.tar.xz):
//     desktop-composite-100, frames 96, 98 and 100, rebuilt from an earlier frame.
//  3. The 3,000-frame video pipelines (xqft-record): frame 2,900 of `pipeline` (framebuffer textures
//     redrawn before they are sampled: no rebuild) restored and played alone, against the same frame of
//     `pipeline-onscreen` (the same work without a texture the GPU made). Goal: <= 1.5 x.
//  4. `pipeline-feedback` (each frame samples a texture before redrawing it) as the dock steps through
//     it: frame 2,900 alone (a rebuild), then ten steps forward and one back on the same analysis,
//     and the memory the kept images take. Goal: the ten steps take <= 10 x 1.5 x the onscreen frame.
#include "BenchHostLibs.h"
#include "BenchSupport.h"
#include "analysis/AnalysisPlayback.h"
#include "host/HostTables.h"

#include "CallQueries.h"
#include "apicall/ApiCall.h"
#include "data/TraceData.h"
#include "data/TraceReader.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {
using namespace xqft::bench;

constexpr int kRounds = 3;

// Frame `frame` brought up and played as the replay command does, read back; seconds, 0 on failure.
double PlayFrame(CTraceData& data, uint32_t frame, bool fromStart)
{
    const auto t0 = Clock::now();
    {
        CQuiet quiet;
        CAnalysisPlayback playback;
        playback.BindTrace(&data);
        if (!playback.GoToFrame(frame, 0, 0))
            return 0;
        if (!fromStart)
            playback.SetRange(1, 0, 1);
        if (playback.m_restoreFailed)
            return 0;
        for (uint32_t n = fromStart ? 1 : playback.m_firstCall + 1; n <= playback.m_endCall; ++n) {
            STraceCall* call = data.GetCall(n);
            if (!call || (n > playback.m_firstCall && IsFrameEnd(uint16_t(call->call->GetId()))))
                break;
            if (!playback.PlayCall(call, 1))
                return 0;
        }
        playback.ReadFrameBuffer();
    }
    return Seconds(t0, Clock::now());
}

// The trace loaded whole into the reader, or null (said) when it did not load.
CTraceData* Load(const std::string& trace, const std::string& name)
{
    CTraceReader& reader = CTraceReader::Instance();
    reader.SetLog(stderr, stderr);
    int loaded = 0;
    {
        CQuiet quiet;
        loaded = reader.LoadTrace(CXQFTString(trace.c_str()), 1);
    }
    CTraceData* data = reader.GetTraceData();
    if (loaded != 0 || !data) {
        std::printf("%s: the trace did not load (%d)\n", name.c_str(), loaded);
        return nullptr;
    }
    return data;
}

bool Measure(const std::string& trace, const std::string& name, std::initializer_list<uint32_t> frames)
{
    CTraceData* data = Load(trace, name);
    if (!data)
        return false;
    bool ok = true;
    for (uint32_t frame : frames) {
        double rebuilt = 1e9, fromStart = 1e9;
        for (int round = 0; round < kRounds && ok; ++round) {
            const double r = PlayFrame(*data, frame, false), s = PlayFrame(*data, frame, true);
            ok = r > 0 && s > 0;
            rebuilt = std::min(rebuilt, r);
            fromStart = std::min(fromStart, s);
        }
        if (!ok) {
            std::printf("%s frame %u: the replay failed\n", name.c_str(), frame);
            break;
        }
        std::printf("%s frame %u: rebuilt restore and frame %.1f ms, --from-start %.1f ms: ratio %.2f (goal <= 1)\n",
                    name.c_str(), frame, rebuilt * 1e3, fromStart * 1e3, rebuilt / fromStart);
    }
    CTraceReader::Instance().Close();
    return ok;
}

// The dock's step to a frame on an existing analysis: the frame selected, restored, analysed.
double DockStep(CAnalysisPlayback& playback, uint32_t frame)
{
    const auto t0 = Clock::now();
    CQuiet quiet;
    if (!playback.GoToFrame(frame, 0, 0xFFFFFFFFu))
        return 0;
    playback.SetRange(1, 0xFFFFFFFFu, 1);
    const int32_t result = playback.Analyse(0);
    return result == 1 || result == 2 ? Seconds(t0, Clock::now()) : 0;
}


// Frame `frame` of a trace restored and played alone, the best of kRounds; 0 on failure.
double BestAlone(const std::string& dir, const std::string& scene, uint32_t frame)
{
    CTraceData* data = Load(dir + "/" + scene + ".xqft", scene);
    double best = 1e9;
    for (int round = 0; data && round < kRounds; ++round)
        best = std::min(best, PlayFrame(*data, frame, false));
    CTraceReader::Instance().Close();
    return data && best < 1e9 ? best : 0;
}

bool MeasurePipelines(const std::string& dir)
{
    constexpr uint32_t kFrame = 2900;
    const double onscreen = BestAlone(dir, "pipeline-onscreen", kFrame);
    const double pipeline = BestAlone(dir, "pipeline", kFrame);
    if (onscreen <= 0 || pipeline <= 0) {
        std::printf("pipeline frame %u: the replay failed\n", kFrame);
        return false;
    }
    std::printf("pipeline-onscreen frame %u alone (no GPU-made texture): %.1f ms\n", kFrame, onscreen * 1e3);
    std::printf("pipeline frame %u alone: %.1f ms: ratio %.2f to the onscreen frame (goal <= 1.5)\n", kFrame,
                pipeline * 1e3, pipeline / onscreen);
    CTraceData* data = Load(dir + "/pipeline-feedback.xqft", "pipeline-feedback");
    if (!data)
        return false;
    bool ok = true;
    {
        CAnalysisPlayback playback;
        playback.BindTrace(data);
        const double rebuild = DockStep(playback, kFrame);
        double forward = 0;
        for (uint32_t f = kFrame + 1; f <= kFrame + 10 && ok; ++f) {
            const double step = DockStep(playback, f);
            ok = step > 0;
            forward += step;
        }
        const double back = ok ? DockStep(playback, kFrame + 4) : 0;
        ok = ok && rebuild > 0 && back > 0;
        if (ok) {
            std::printf("pipeline-feedback frame %u alone in the dock (rebuilt): %.1f ms, %.1f x the onscreen frame\n",
                        kFrame, rebuild * 1e3, rebuild / onscreen);
            std::printf("pipeline-feedback ten forward steps after it: %.1f ms, %.2f x (10 x the onscreen frame) "
                        "(goal <= 1.5)\n",
                        forward * 1e3, forward / (10 * onscreen));
            std::printf("pipeline-feedback one step back (to frame %u): %.1f ms, %.2f x the onscreen frame\n",
                        kFrame + 4, back * 1e3, back / onscreen);
            std::printf("pipeline-feedback kept images: %zu frames, %.2f MiB (budget %zu MiB)\n",
                        playback.KeptImages().FrameCount(), double(playback.KeptImages().Bytes()) / (1 << 20),
                        playback.KeptImages().Budget() >> 20);
        } else {
            std::printf("pipeline-feedback: a dock step failed\n");
        }
    }
    CTraceReader::Instance().Close();
    return ok;
}

} // namespace

int main()
{
    if (!HostLibrariesLoaded(false))
        return 1;
    const std::string dir = TempDir() + "/xqft-bench-rebuild-" + std::to_string(getpid());
    bool ok = true;
    for (const char* scene : {"render-later", "es1-gpu-later-ext"})
        ok = RecordSceneTrace(dir, scene) && Measure(dir + "/" + scene + ".xqft", scene, {3}) && ok;
    for (const char* scene : {"pipeline", "pipeline-onscreen", "pipeline-feedback"})
        ok = RecordSceneTrace(dir, scene) && ok;
    ok = ok && MeasurePipelines(dir);
    const std::string cuts = XQFT_CUTS;
    if (access(cuts.c_str(), R_OK) == 0 &&
        std::system(("mkdir -p '" + dir + "' && tar xJf '" + cuts + "' -C '" + dir + "'").c_str()) == 0)
        ok = Measure(dir + "/desktop-composite-100.xqft", "desktop-composite-100", {96, 98, 100}) && ok;
    else
        std::printf("%s is absent: no figures for the real-application cut\n", cuts.c_str());
    std::system(("rm -rf '" + dir + "'").c_str());
    return ok ? 0 : 1;
}

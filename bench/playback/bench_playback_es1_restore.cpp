// ES 1.1 frames restored and analysed on the host.
//  1. Frames 2 to 60 of the es1-mix scene (800 x 600, 200 indexed draws a frame) analysed in order
//     as a user stepping through frames makes the dock do it (GoToFrame, SetRange restoring the
//     frame, one pass, the read-back), beside the scene rendered directly in the same run, each
//     frame read back as well. Goals:
//     120 frames/s and within 1.2x of direct rendering. Then the same frames in wireframe: goal
//     within 2x of the standard pass.
//  2. A frame whose ES 1.1 snapshot holds 200 textures of 512 x 512 RGBA and 50 buffers of 1 MiB:
//     its first restore beside the same data uploaded directly (goal: within 1.2x), and a second
//     restore beside the buffers alone uploaded directly (the restore sends every buffer again;
//     goal: within 1.2x).
// The playback's diagnostics go to /dev/null while it is timed.
#include "BenchScenes.h"
#include "BenchSupport.h"
#include "PlaybackInterface.h"
#include "Scenes.h"
#include "analysis/AnalysisPlayback.h"
#include "es1/Es1Restore.h"
#include "host/HostContext.h"
#include "host/HostTables.h"
#include "maps/NameMaps.h"

#include "data/TraceData.h"
#include "data/TraceReader.h"

#include <GLES/gl.h>

#include "BenchHostFrame.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {
using namespace xqft::bench;

constexpr uint32_t kFirst = 2, kLast = 60, kDraws = 200;

// Frames kFirst..kLast analysed as the dock does; seconds, failures counted.
double Analyse(CAnalysisInterface& a, uint8_t wireframe, int& failures)
{
    a.SetOption(kOptionWireframe, wireframe);
    CQuiet quiet;
    const auto t0 = Clock::now();
    for (uint32_t f = kFirst; f <= kLast; ++f) {
        a.GoToFrame(f, kDraws);
        a.SetRange(1, kDraws, 1);
        failures += a.Analyse(0) != 1;
    }
    return Seconds(t0, Clock::now());
}

} // namespace

int main()
{
    if (SEglHost::Instance()->IsFailed() || SEs1Host::Instance()->IsFailed())
        return Fail("no host EGL or ES 1.1 library");
    SEs1Host& gl = *SEs1Host::Instance();

    // 1. es1-mix, recorded by the harness and written as a trace.
    const std::string dir = TempDir() + "/xqft-bench-es1-restore-" + std::to_string(getpid());
    if (!RecordSceneTrace(dir, "es1-mix"))
        return Fail("the es1-mix trace could not be recorded (is xqft-record built?)");
    CTraceReader& reader = CTraceReader::Instance();
    reader.SetLog(stderr, stderr);
    int loaded = 0;
    {
        CQuiet quiet;
        loaded = reader.LoadTrace(CXQFTString((dir + "/es1-mix.xqft").c_str()), 1);
    }
    std::system(("rm -rf '" + dir + "'").c_str());
    if (loaded != 0 || !reader.GetTraceData())
        return Fail("the es1-mix trace did not load");
    const SScene* mix = SceneNamed("es1-mix");
    {
        CAnalysisInterface a;
        a.SetTraceForAnalysis(reader.GetTraceData());
        int failures = 0;
        Analyse(a, 0, failures);  // warm: the contexts, the first uploads
        // Three rounds, interleaved with the direct rendering (the machine is shared): the medians.
        std::vector<double> standard, direct, wire;
        for (int round = 0; round < 3; ++round) {
            standard.push_back(Analyse(a, 0, failures));
            wire.push_back(Analyse(a, 1, failures));
            direct.push_back(RenderSceneDirectly(*mix, true) / 60);  // seconds a frame
        }
        for (auto* v : {&standard, &direct, &wire})
            std::sort(v->begin(), v->end());
        const double frames = kLast - kFirst + 1;
        std::printf("es1-mix frames %u to %u analysed in order: %.1f frames/s (%d passes failed), rendered directly "
                    "%.1f frames/s: ratio %.2f (goals >= 120 frames/s, <= 1.2)\n",
                    kFirst, kLast, frames / standard[1], failures, 1 / direct[1], standard[1] / frames / direct[1]);
        std::printf("wireframe: %.1f frames/s, %.2fx the standard pass (goal <= 2)\n", frames / wire[1],
                    wire[1] / standard[1]);
    }
    reader.Close();

    // 2. The heavy frame, on an ES 1.1 context of its own.
    SHostContext context;
    if (!MakeHostContext(1, context))
        return Fail(("no host ES 1.1 context: " + context.error).c_str());
    const SHeavyBytes bytes = HeavyBytes();
    UploadHeavyFrame(gl, bytes);  // the first uploads of the process set up the driver's memory
    std::vector<double> all, buffers, first, again;
    for (int round = 0; round < 3; ++round) {
        all.push_back(UploadHeavyFrame(gl, bytes));
        buffers.push_back(UploadHeavyFrame(gl, bytes, false));
        SEs1State snapshot = HeavyFrame<SEs1State>(
            bytes, [](SEs1State& s, uint32_t t) -> STexImage& { return s.textures[t][0]; });
        ResetNameMaps();
        auto t0 = Clock::now();
        RestoreEs1State(snapshot, 2, nullptr);
        XQF_HOST(gl, glFinish)();
        first.push_back(Seconds(t0, Clock::now()));
        SEs1State current = snapshot;
        t0 = Clock::now();
        RestoreEs1State(snapshot, 2, &current);
        XQF_HOST(gl, glFinish)();
        again.push_back(Seconds(t0, Clock::now()));
        std::vector<GLuint> names;
        for (GLuint n = 1; n <= 200; ++n)
            names.push_back(n);
        XQF_HOST(gl, glDeleteTextures)(200, names.data());
        XQF_HOST(gl, glDeleteBuffers)(50, names.data());
    }
    for (auto* v : {&all, &buffers, &first, &again})
        std::sort(v->begin(), v->end());
    std::printf("first restore of 200 textures (512x512 RGBA) and 50 buffers (1 MiB): %.1f ms, uploaded directly "
                "%.1f ms: ratio %.2f (goal <= 1.2)\n",
                first[1] * 1e3, all[1] * 1e3, first[1] / all[1]);
    std::printf("second restore (every buffer again, no texture): %.1f ms, the buffers uploaded directly %.1f ms: "
                "ratio %.2f (goal <= 1.2)\n",
                again[1] * 1e3, buffers[1] * 1e3, again[1] / buffers[1]);
    return 0;
}

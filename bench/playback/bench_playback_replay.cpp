// Whole traces replayed from their first call, as `xqft-dump replay --from-start` plays them,
// recorded by xqft-record at the start of the run and written as traces: the es1-mix (ES 1.1) and
// mix (ES 2.0) workloads, 800 x 600, 60 frames of about 470 calls and 200 indexed draws from
// buffers each, and the client-array workloads es1-sprites and sprites, 60 frames of 120 draws each
// pointed at client arrays just before it (what the draw and pointer checks cost most on). Names
// given on the command line pick workloads.
//  1. Every call of each trace played with error checks on, beside the same scene rendered directly
//     by the harness in the same run (nothing read back or written), and played with error checks
//     off (what reading the host's error after every call costs). Each the best of five rounds,
//     interleaved (the machine is shared). Goals: at least 120 frames/s and within 1.2x of direct
//     rendering.
//  2. When `apitrace` is installed: the direct rendering traced with `apitrace trace` and replayed
//     with `apitrace replay -b` (headless, on the same Mesa) once in each of the rounds above, best
//     of five; the ratio of the replay above to that one (goal: at most 0.8). Its es1-mix replay is not the recorded image:
//     the tracer keeps no client arrays drawn through an element buffer on ES, so that figure is
//     one of less work.
#include "BenchScenes.h"
#include "BenchHostLibs.h"
#include "BenchSupport.h"
#include "Playback.h"
#include "Scenes.h"
#include "host/HostTables.h"

#include "CallQueries.h"
#include "apicall/ApiCall.h"
#include "data/TraceData.h"
#include "data/TraceReader.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {
using namespace xqft::bench;

constexpr int kRounds = 5;

void Finish(int api)
{
    if (api == kEsVersion1)
        XQF_HOST(*SEs1Host::Instance(), glFinish)();
    else
        XQF_HOST(*SEs2Host::Instance(), glFinish)();
}

// Every call of the trace played from the start, error checks on or off; the seconds it took, or 0
// when a call failed.
double Replay(CTraceData& data, int api, bool checkErrors)
{
    CPlayback playback;
    playback.BindTrace(&data);
    const uint32_t calls = data.GetCallCount();
    const auto t0 = Clock::now();
    {
        CQuiet quiet;
        for (uint32_t n = 1; n <= calls; ++n)
            if (playback.PlayCall(data.GetCall(n), checkErrors) == 0)
                return 0;
        Finish(api);
    }
    return Seconds(t0, Clock::now());
}

// The scene's direct rendering traced by `apitrace trace` into `dir`: the trace's path, or empty when
// apitrace is not there or fails.
std::string ApitraceTwin(const std::string& dir, const std::string& scene)
{
    if (std::system("command -v apitrace >/dev/null 2>&1") != 0)
        return {};
    const std::string trace = dir + "/" + scene + ".trace";
    const std::string record = "apitrace trace --api egl -o '" + trace + "' '" + BinDir() + "/xqft-record' --scene " +
                               scene + " --out '" + dir + "' --play-only >/dev/null 2>&1";
    return std::system(record.c_str()) == 0 ? trace : std::string();
}

// The seconds one `apitrace replay -b` of `trace` reports (headless); 0 when it fails.
double ApitraceReplay(const std::string& trace)
{
    const std::string replay = "WAFFLE_PLATFORM=surfaceless_egl apitrace replay -b --headless '" + trace + "' 2>&1";
    FILE* out = popen(replay.c_str(), "r");
    if (!out)
        return 0;
    char line[512];
    double seconds = 0;
    while (std::fgets(line, sizeof line, out)) {
        int frames = 0;
        if (std::sscanf(line, "Rendered %d frames in %lf secs", &frames, &seconds) == 2)
            break;
    }
    while (std::fgets(line, sizeof line, out)) {
    }
    return pclose(out) == 0 && seconds > 0 ? seconds : 0;
}

// One workload: recorded, loaded, replayed and rendered directly in turn. False when it cannot run.
bool Measure(const char* name)
{
    const SScene* scene = SceneNamed(name);
    const std::string dir = TempDir() + "/xqft-bench-replay-" + std::to_string(getpid());
    if (!scene || !RecordSceneTrace(dir, name)) {
        std::printf("%s: the trace could not be recorded (is xqft-record built?)\n", name);
        return false;
    }
    CTraceReader& reader = CTraceReader::Instance();
    reader.SetLog(stderr, stderr);
    int loaded = 0;
    {
        CQuiet quiet;
        loaded = reader.LoadTrace(CXQFTString((dir + "/" + name + ".xqft").c_str()), 1);
    }
    CTraceData* data = reader.GetTraceData();
    if (loaded != 0 || !data) {
        std::system(("rm -rf '" + dir + "'").c_str());
        std::printf("%s: the trace did not load (%d)\n", name, loaded);
        return false;
    }
    const uint32_t frames = data->GetFrameCount(), calls = data->GetCallCount();
    uint32_t draws = 0;
    for (uint32_t n = 1; n <= calls; ++n)
        draws += IsDrawCall(uint16_t(data->GetCall(n)->call->GetId()));

    // apitrace's replay runs in the same rounds as ours: on a shared machine a ratio of figures taken
    // minutes apart follows the load more than the replays.
    const std::string twin = ApitraceTwin(dir, name);
    double direct = 1e9, replayed = 1e9, unchecked = 1e9, apitrace = twin.empty() ? 0 : 1e9;
    for (int round = 0; round < kRounds; ++round) {
        direct = std::min(direct, RenderSceneDirectly(*scene, false));
        const double r = Replay(*data, scene->api, true);
        const double u = Replay(*data, scene->api, false);
        if (r == 0 || u == 0) {
            reader.Close();
            std::system(("rm -rf '" + dir + "'").c_str());
            std::printf("%s: the replay failed\n", name);
            return false;
        }
        replayed = std::min(replayed, r);
        unchecked = std::min(unchecked, u);
        if (apitrace > 0) {
            const double a = ApitraceReplay(twin);
            apitrace = a > 0 ? std::min(apitrace, a) : 0;
        }
    }
    reader.Close();
    std::printf("%s, %u frames of %u calls and %u draws, whole trace replayed from the start: %.1f frames/s "
                "(goal >= 120), rendered directly %.1f frames/s: ratio %.2f (goal <= 1.2)\n",
                name, frames, calls / std::max(frames, 1u), draws / std::max(frames, 1u), frames / replayed,
                frames / direct, replayed / direct);
    std::printf("%s: replayed in %.3f s with error checks, %.3f s without: the error checks take %.1f%% of the "
                "replay\n",
                name, replayed, unchecked, 100.0 * (replayed - unchecked) / replayed);
    if (apitrace > 0)
        std::printf("%s: apitrace replay -b of the direct rendering %.1f frames/s: this replay takes %.2fx its time "
                    "(goal <= 0.8)\n",
                    name, frames / apitrace, replayed / apitrace);
    else
        std::printf("%s: apitrace is not installed or could not trace the direct rendering: no comparison\n", name);
    std::system(("rm -rf '" + dir + "'").c_str());
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (!HostLibrariesLoaded(true))
        return 1;
    std::vector<const char*> workloads(argv + 1, argv + argc);
    if (workloads.empty())
        workloads = {"es1-mix", "mix", "es1-sprites", "sprites"};
    bool ok = true;
    for (const char* name : workloads)
        ok = Measure(name) && ok;
    return ok ? 0 : 1;
}

// What it costs the command-line tools to look at one early call or frame of a trace, as whole
// processes: the harness's `mix` scene (60 frames, about 28,000 calls) recorded with xqft-record,
// and, when `apitrace` is installed, the same rendering traced by `apitrace trace`.
//   xqft-dump state FILE --call 10000      beside   apitrace replay -D 10000
//   xqft-dump replay FILE --frame 2 OUT    beside   apitrace replay --snapshot=<frame 2's swap>
// Goal: each below apitrace's time. The machine is shared and noisy: the pairs run interleaved,
// kRounds times, each run forked straight (no shell), and both the best and the median wall time
// are shown with their ratios, and the best CPU time (every thread, user and system), which other
// programs disturb less. Then state at call 10,000 of a long trace, tools/xqftgen.py es2-mixed of
// 400,000 calls (the length of a real recording), where loading every call first would cost the
// most.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "BenchProcess.h"
#include "BenchSupport.h"

namespace {
using namespace xqft::bench;

constexpr int kRounds = 11;

struct STimes
{
    std::vector<double> walls;
    double cpu = -1;  // the best
    bool failed = false;

    double Best() const { return walls.empty() ? -1 : *std::min_element(walls.begin(), walls.end()); }
    double Median() const
    {
        std::vector<double> w = walls;
        std::sort(w.begin(), w.end());
        return w.empty() ? -1 : w[w.size() / 2];
    }
};

// Runs argv (searched on PATH) with env ("NAME=value" or null) added and its output thrown away;
// adds its wall time and keeps its CPU time when lower.
void Run(const std::vector<std::string>& argv, const char* env, STimes& times)
{
    SChildRun run;
    if (!RunChild(argv, -1, env, run)) {
        times.failed = true;
        return;
    }
    times.walls.push_back(run.wall);
    if (times.cpu < 0 || run.cpu < times.cpu)
        times.cpu = run.cpu;
}

// The call number of the second eglSwapBuffers of an apitrace trace; 0 when there is none.
long SecondSwap(const std::string& trace)
{
    FILE* out = popen(("apitrace dump --color=never '" + trace + "' 2>/dev/null").c_str(), "r");
    if (!out)
        return 0;
    char line[4096];
    long call = 0;
    int swaps = 0;
    while (std::fgets(line, sizeof line, out)) {
        if (swaps < 2 && std::strstr(line, "eglSwapBuffers(") && ++swaps == 2)
            call = std::atol(line);
    }
    pclose(out);
    return call;
}

std::string Quoted(const std::string& s)
{
    std::string q(1, '\'');
    q += s;
    q += '\'';
    return q;
}

struct SPair
{
    const char* what;
    std::vector<std::string> ours, theirs;
    STimes times[2];
};

void Print(const SPair& p, bool compared)
{
    const STimes& o = p.times[0];
    const STimes& t = p.times[1];
    if (o.failed || o.walls.empty()) {
        std::printf("%s: xqft-dump failed (%s ...)\n", p.what, p.ours[1].c_str());
        return;
    }
    std::printf("%s: xqft-dump best %.3f s, median %.3f s, CPU %.3f s", p.what, o.Best(), o.Median(), o.cpu);
    if (!compared || t.failed || t.walls.empty()) {
        std::printf(" (apitrace is not installed or failed: no comparison)\n");
        return;
    }
    std::printf("; apitrace best %.3f s, median %.3f s, CPU %.3f s\n", t.Best(), t.Median(), t.cpu);
    std::printf("  xqft-dump / apitrace: best %.2fx, median %.2fx, CPU %.2fx (goal < 1)\n", o.Best() / t.Best(),
                o.Median() / t.Median(), o.cpu / t.cpu);
}

} // namespace

int main()
{
    const std::string dir = TempDir() + "/xqft-bench-early-" + std::to_string(getpid());
    if (!RecordSceneTrace(dir, "mix"))
        return Fail("the mix scene could not be recorded (is xqft-record built?)");
    const std::string trace = dir + "/mix.xqft", dump = BinDir() + "/xqft-dump";
    bool apitrace = std::system("command -v apitrace >/dev/null 2>&1") == 0;
    const std::string theirs = dir + "/mix.trace";
    if (apitrace)
        apitrace = std::system(("apitrace trace --api egl -o '" + theirs + "' '" + BinDir() +
                                "/xqft-record' --scene mix --out '" + dir + "/apitrace' --play-only >/dev/null 2>&1")
                                   .c_str()) == 0;
    const long swap = apitrace ? SecondSwap(theirs) : 0;
    const std::vector<std::string> replay = {"apitrace", "replay", "--headless"};
    const auto with = [](std::vector<std::string> v, std::initializer_list<std::string> more) {
        v.insert(v.end(), more);
        return v;
    };
    std::vector<SPair> pairs = {
        {"state at call 10,000", {dump, "state", trace, "--call", "10000"}, with(replay, {"-D", "10000", theirs}), {}},
        {"frame 2's image", {dump, "replay", trace, "--frame", "2", dir + "/f2.ppm"},
         with(replay, {"--snapshot=" + std::to_string(swap), "--snapshot-prefix=" + dir + "/snap-", theirs}), {}},
    };
    static char platform[] = "WAFFLE_PLATFORM=surfaceless_egl";
    const bool compared = apitrace && swap > 0;
    for (int round = 0; round < kRounds; ++round) {
        for (SPair& p : pairs) {
            Run(p.ours, nullptr, p.times[0]);
            if (compared)
                Run(p.theirs, platform, p.times[1]);
        }
    }
    std::printf("interleaved, %d rounds each:\n", kRounds);
    for (const SPair& p : pairs)
        Print(p, compared);
    const std::string mixed = dir + "/mixed.xqft";
    if (std::system(("python3 " XQFT_SOURCE_DIR "/tools/xqftgen.py es2-mixed " + Quoted(mixed) +
                     " --calls 400000 --frames 5500 >/dev/null")
                        .c_str()) == 0) {
        STimes times;
        for (int round = 0; round < kRounds; ++round)
            Run({dump, "state", mixed, "--call", "10000"}, nullptr, times);
        std::printf("state at call 10,000 of 400,000 (es2-mixed): xqft-dump best %.3f s, median %.3f s\n",
                    times.Best(), times.Median());
    }
    std::system(("rm -rf '" + dir + "'").c_str());
    return 0;
}

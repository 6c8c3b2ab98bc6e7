// What it costs the command-line tools to look at one early call or frame of a trace, as whole
// processes: the harness's `mix` scene (60 frames, about 28,000 calls) recorded with xqft-record,
// and, when `apitrace` is installed, the same rendering traced by `apitrace trace`.
//   xqft-dump state FILE --call 10000      beside   apitrace replay -D 10000
//   xqft-dump replay FILE --frame 2 OUT    beside   apitrace replay --snapshot=<frame 2's swap>
// Goal: each below apitrace's time. Best of five each, interleaved. Then state at call 10,000 of a
// long trace, tools/xqftgen.py es2-mixed of 400,000 calls (the length of a real recording), where
// loading every call first would cost the most.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "BenchSupport.h"

namespace {
using namespace xqft::bench;

constexpr int kRounds = 5;

// The seconds a shell command takes with its output thrown away; negative when it fails.
double Timed(const std::string& command)
{
    const auto t0 = Clock::now();
    const int status = std::system((command + " >/dev/null 2>&1").c_str());
    const double seconds = Seconds(t0, Clock::now());
    return status == 0 ? seconds : -1;
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
    std::string ours, theirs;
    double best[2] = {-1, -1};
};

} // namespace

int main()
{
    const std::string dir = TempDir() + "/xqft-bench-early-" + std::to_string(getpid());
    if (!RecordSceneTrace(dir, "mix"))
        return Fail("the mix scene could not be recorded (is xqft-record built?)");
    const std::string trace = dir + "/mix.xqft", dump = Quoted(BinDir() + "/xqft-dump");
    bool apitrace = std::system("command -v apitrace >/dev/null 2>&1") == 0;
    const std::string theirs = dir + "/mix.trace";
    if (apitrace)
        apitrace = std::system(("apitrace trace --api egl -o '" + theirs + "' '" + BinDir() +
                                "/xqft-record' --scene mix --out '" + dir + "/apitrace' --play-only >/dev/null 2>&1")
                                   .c_str()) == 0;
    const long swap = apitrace ? SecondSwap(theirs) : 0;
    const std::string replay = "WAFFLE_PLATFORM=surfaceless_egl apitrace replay --headless ";
    std::vector<SPair> pairs = {
        {"state at call 10,000", dump + " state '" + trace + "' --call 10000",
         replay + "-D 10000 '" + theirs + "'"},
        {"frame 2's image", dump + " replay '" + trace + "' --frame 2 '" + dir + "/f2.ppm'",
         replay + "--snapshot=" + std::to_string(swap) + " --snapshot-prefix='" + dir + "/snap-' '" + theirs + "'"},
    };
    for (int round = 0; round < kRounds; ++round) {
        for (SPair& p : pairs) {
            const double ours = Timed(p.ours);
            if (ours >= 0 && (p.best[0] < 0 || ours < p.best[0]))
                p.best[0] = ours;
            if (apitrace && swap > 0) {
                const double t = Timed(p.theirs);
                if (t >= 0 && (p.best[1] < 0 || t < p.best[1]))
                    p.best[1] = t;
            }
        }
    }
    for (const SPair& p : pairs) {
        if (p.best[0] < 0) {
            std::printf("%s: xqft-dump failed (%s)\n", p.what, p.ours.c_str());
            continue;
        }
        std::printf("%s: xqft-dump %.3f s", p.what, p.best[0]);
        if (p.best[1] > 0)
            std::printf(", apitrace %.3f s: %.2fx its time (goal < 1)\n", p.best[1], p.best[0] / p.best[1]);
        else
            std::printf(" (apitrace is not installed or failed: no comparison)\n");
    }
    const std::string mixed = dir + "/mixed.xqft";
    if (std::system(("python3 " XQFT_SOURCE_DIR "/tools/xqftgen.py es2-mixed " + Quoted(mixed) +
                     " --calls 400000 --frames 5500 >/dev/null")
                        .c_str()) == 0) {
        double best = -1;
        for (int round = 0; round < kRounds; ++round) {
            const double t = Timed(dump + " state " + Quoted(mixed) + " --call 10000");
            if (t >= 0 && (best < 0 || t < best))
                best = t;
        }
        std::printf("state at call 10,000 of 400,000 (es2-mixed): xqft-dump %.3f s\n", best);
    }
    std::system(("rm -rf '" + dir + "'").c_str());
    return 0;
}

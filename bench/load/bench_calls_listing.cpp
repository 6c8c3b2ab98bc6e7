// `xqft-dump calls --all` beside `xqft-dump export-text` of the same traces, as whole processes:
// tools/xqftgen.py es2-mixed traces of 250,000 and 1,000,000 calls. Each command runs kRounds
// times (output thrown away); the best wall and CPU time and the largest peak resident size are
// shown. Goals: the listing no slower than the export, and its peak the same for both lengths
// (it holds one call at a time, where the export holds the loaded trace).
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchProcess.h"
#include "BenchSupport.h"

namespace {
using namespace xqft::bench;

constexpr int kRounds = 5;

struct SFigures
{
    SProcessTimes times;
    long peakKiB = 0;  // the largest of the runs
};

void Measure(const std::vector<std::string>& argv, SFigures& f)
{
    SChildRun run;
    if (!RunChild(argv, -1, nullptr, run)) {
        f.times.ok = false;
        return;
    }
    f.times.wall = std::min(f.times.wall, run.wall);
    f.times.cpu = std::min(f.times.cpu, run.cpu);
    f.peakKiB = std::max(f.peakKiB, long(run.usage.ru_maxrss));
}

void Print(const char* what, const SFigures& f)
{
    if (!f.times.ok) {
        std::printf("  %-22s failed\n", what);
        return;
    }
    std::printf("  %-22s %7.3f s wall %7.3f s CPU %8.1f MiB peak\n", what, f.times.wall, f.times.cpu,
                double(f.peakKiB) / 1024.0);
}

} // namespace

int main()
{
    const std::string dir = TempDir() + "/xqft-bench-calls-" + std::to_string(getpid());
    if (std::system(("mkdir -p '" + dir + "'").c_str()) != 0)
        return Fail("cannot make the work folder");
    const std::string dump = BinDir() + "/xqft-dump";
    int status = 0;
    for (const int calls : {250000, 1000000}) {
        const std::string trace = dir + "/mixed.xqft", text = dir + "/mixed.txt";
        const std::string command = "python3 " XQFT_SOURCE_DIR "/tools/xqftgen.py es2-mixed '" + trace +
                                    "' --calls " + std::to_string(calls) + " >/dev/null";
        if (std::system(command.c_str()) != 0)
            return Fail("xqftgen.py es2-mixed failed");
        SFigures listing, exported;
        for (int round = 0; round < kRounds; ++round) {
            Measure({dump, "calls", trace, "--all"}, listing);
            Measure({dump, "export-text", trace, text}, exported);
        }
        std::printf("es2-mixed, %d calls (best of %d):\n", calls, kRounds);
        Print("calls --all", listing);
        Print("export-text", exported);
        if (listing.times.ok && exported.times.ok)
            std::printf("  calls --all / export-text: wall %.2fx, CPU %.2fx (goal <= 1)\n",
                        listing.times.wall / exported.times.wall, listing.times.cpu / exported.times.cpu);
        status |= !listing.times.ok || !exported.times.ok;
    }
    std::system(("rm -rf '" + dir + "'").c_str());
    return status;
}

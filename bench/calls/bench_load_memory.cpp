// The memory a loaded call costs: on tools/xqftgen.py es2-mixed and es1-mixed of 400,000 and
// 4,000,000 calls in frames of about 73 calls (as long as the frames of a real recording), and on
// es2-real, a trace shaped as a real application's recording (2,702 frames of about 97 calls, each
// with a 230 KB frame image; scenes that build programs from long shader sources and look up a
// dozen uniforms; sprites drawn from client arrays), and es2-scenes, shaped as a recorded benchmark
// (271,000 calls of scenes run one after another, each making a context, looking up its entry
// points and building its objects; frames of 15 to 440 calls drawn from buffer objects, index
// ranges of element buffers and locations looked up by name in every frame; a 320x240 frame image
// in every frame), and es2-draws, the benchmark's draw-heavy scene alone as it loops in a real
// recording (271,000 calls in frames of about 500: each object's locations looked up by name and a
// dozen index ranges drawn; a frame image in every frame). Each load runs in a process of its own, so the
// anonymous memory it leaves (RssAnon + swap after the load, beyond that before it) is not blurred
// by a previous load's freed heap; its peak is sampled where the loader's memory guard looks (every
// 1,000 calls) and at the end. The load once more without state tracking shows what the frames' state
// snapshots take (and the running states, a few KiB). Goal: at most 64 B a call in all; the
// snapshots at most 8 B a call. Then, on the loaded trace, what the states cost to read back:
// the state just before 1,000 random calls (p50, p95, max) and the start states of every frame
// (mean and max a frame), as the viewer's state pages and a frame restore read them.
// Arguments: [calls ...] (default 400000 4000000), or --trace FILE (repeatable) to measure those
// traces alone.
#include "BenchSupport.h"
#include "BenchStateAtCall.h"
#include "data/MemoryGuard.h"
#include "data/TraceData.h"
#include "data/TraceReader.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace xqft::bench;

struct SLoadMemory
{
    long long anonymousBytes = -1;
    long long peakBytes = -1;  // anonymous, at its highest during the load
    long long heapBytes = 0;
    unsigned calls = 0;
    unsigned frames = 0;
    double atCall[3] = {};  // ms: p50, p95, max
    double frameMean = 0, frameMax = 0;  // ms
};

// State at random calls and at every frame's start, of the API the trace was made with.
template <class State>
void TimeStates(CTraceData& data, bool (CTraceData::*atCall)(int32_t, State*),
                bool (CTraceData::*atFrame)(uint32_t, State*) const, SLoadMemory& out)
{
    std::mt19937 random(7);
    std::vector<double> ms;
    for (int i = 0; i < 1000; ++i) {
        State state;
        const auto t0 = Clock::now();
        (data.*atCall)(int32_t(random() % data.GetCallCount()), &state);
        ms.push_back(Ms(t0, Clock::now()));
    }
    std::sort(ms.begin(), ms.end());
    out.atCall[0] = ms[ms.size() / 2];
    out.atCall[1] = ms[ms.size() * 95 / 100];
    out.atCall[2] = ms.back();
    double total = 0;
    const uint32_t frames = uint32_t(data.GetFrameCount());
    for (uint32_t f = 1; f <= frames; ++f) {
        State state;
        const auto t0 = Clock::now();
        (data.*atFrame)(f, &state);
        const double t = Ms(t0, Clock::now());
        total += t;
        out.frameMax = std::max(out.frameMax, t);
    }
    out.frameMean = frames ? total / frames : 0;
}

// Loads the trace in a child process and reports what the load left behind.
SLoadMemory LoadInChild(const std::string& path, bool tracking)
{
    int pipeFds[2];
    SLoadMemory m;
    if (pipe(pipeFds) != 0)
        return m;
    const pid_t pid = fork();
    if (pid == 0) {
        close(pipeFds[0]);
        CTraceReader& reader = CTraceReader::Instance();
        reader.SetLog(nullptr, nullptr);
        reader.SetStateTracking(tracking);
        const long long anon0 = CommittedMemoryKiB(), heap0 = HeapInUse();
        long long peak = anon0;
        reader.SetMemoryProbe([&peak] {
            const int64_t now = CommittedMemoryKiB();
            peak = std::max<long long>(peak, now);
            return now;
        });
        SLoadMemory out;
        if (reader.LoadTrace(CXQFTString(path.c_str()), 1) == 0) {
            out.anonymousBytes = (CommittedMemoryKiB() - anon0) * 1024;
            out.peakBytes = (std::max<long long>(peak, CommittedMemoryKiB()) - anon0) * 1024;
            out.heapBytes = HeapInUse() - heap0;
            CTraceData* data = reader.GetTraceData();
            out.calls = data->GetCallCount();
            out.frames = data->GetFrameRecordCount();
            if (tracking && data->HasEs2())
                TimeStates(*data, &CTraceData::GetEs2StateAtCall, &CTraceData::GetFrameEs2State, out);
            else if (tracking)
                TimeStates(*data, &CTraceData::GetEs1StateAtCall, &CTraceData::GetFrameEs1State, out);
        }
        const bool written = write(pipeFds[1], &out, sizeof out) == ssize_t(sizeof out);
        _exit(written ? 0 : 1);
    }
    close(pipeFds[1]);
    if (pid > 0) {
        if (read(pipeFds[0], &m, sizeof m) != ssize_t(sizeof m))
            m = SLoadMemory();
        waitpid(pid, nullptr, 0);
    }
    close(pipeFds[0]);
    return m;
}

// Loads the trace written by the generator command, tracked and untracked, and prints its row.
bool Measure(const std::string& name, const std::string& command, const std::string& path)
{
    if (std::system(command.c_str()) != 0)
        return Fail("cannot write the trace") == 0;
    const SLoadMemory tracked = LoadInChild(path, true), untracked = LoadInChild(path, false);
    if (tracked.anonymousBytes < 0 || untracked.anonymousBytes < 0)
        return Fail("the load failed") == 0;
    const double n = tracked.calls ? double(tracked.calls) : 1.0;
    std::printf("%-10s %9u %7u %12.1f %10.1f %10.1f %7.1f B/call %7.1f B/call anon\n", name.c_str(), tracked.calls,
                tracked.frames - 1, tracked.anonymousBytes / n, tracked.peakBytes / n, tracked.heapBytes / n,
                (tracked.heapBytes - untracked.heapBytes) / n, untracked.anonymousBytes / n);
    std::printf("%-10s state at a call p50 %.3f ms, p95 %.3f ms, max %.3f ms; a frame's start state "
                "%.3f ms mean, %.3f ms max\n",
                "", tracked.atCall[0], tracked.atCall[1], tracked.atCall[2], tracked.frameMean, tracked.frameMax);
    std::fflush(stdout);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<unsigned> sizes;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--trace" && i + 1 < argc)
            files.push_back(argv[++i]);
        else
            sizes.push_back(unsigned(std::atoi(argv[i])));
    }
    if (sizes.empty())
        sizes = {400000, 4000000};
    const std::string path = TempDir() + "/bench_load_memory_" + std::to_string(getpid()) + ".xqft";
    const std::string generator = "python3 " XQFT_SOURCE_DIR "/tools/xqftgen.py ";
    std::printf("%-10s %9s %7s %12s %12s %10s %12s %10s\n", "trace", "calls", "frames", "anon B/call",
                "peak B/call", "heap B/call", "snapshots", "untracked");
    if (!files.empty()) {
        bool ok = true;
        for (const std::string& file : files)
            ok = ok && Measure(file.substr(file.rfind('/') + 1, 10), "true", file);
        return ok ? 0 : 1;
    }
    bool ok = Measure("es2-real", generator + "es2-real '" + path + "'", path);
    ok = ok && Measure("es2-scenes", generator + "es2-scenes '" + path + "'", path);
    ok = ok && Measure("es2-draws", generator + "es2-scenes '" + path + "' --scenes 1 --calls 240800", path);
    for (const char* api : {"es2", "es1"}) {
        for (unsigned calls : sizes) {
            // Small captured blocks: they stay in the mapped file either way, and the trace on disk
            // stays small.
            ok = ok && Measure(std::string(api) + "-mixed",
                               generator + api + "-mixed '" + path + "' --calls " + std::to_string(calls) +
                                   " --frames " + std::to_string(calls / 73) +
                                   " --vertex-bytes 256 --texture-bytes 1024",
                               path);
        }
    }
    std::remove(path.c_str());
    std::remove((path + ".info").c_str());
    return ok ? 0 : 1;
}

#pragma once
// The state at a call, and what state tracking costs while loading, for one API's state record:
//  1. A trace written by tools/xqftgen.py (es2-state-bench, es1-state-bench: 1,000 textures made in
//     its first frame, then 20 frames of 10,000 random state calls): the state just before 1,000
//     random calls, p50, p95 and max, overall and for the first and the last quarter of the trace
//     (goal: p95 < 10 ms, and flat).
//  2. The load-time share of state tracking (goal: at most 30 percent): the load with tracking
//     against the same load without it; and, as an upper bound, a separate pass applying every
//     call's state effect to a fresh state plus one state copy per frame cut (each cut's copy
//     timed: goal < 0.5 ms).
// The trace is written to $TMPDIR (or /tmp) and removed afterwards.
#include "BenchSupport.h"
#include "CallQueries.h"
#include "apicall/ApiCall.h"
#include "data/TraceData.h"
#include "data/TraceReader.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>
#include <unistd.h>

namespace xqft::bench {

inline double Ms(Clock::time_point a, Clock::time_point b)
{
    return std::chrono::duration<double, std::milli>(b - a).count();
}

inline void PrintStateAtCall(const char* what, std::vector<double> ms)
{
    if (ms.empty())
        return;
    std::sort(ms.begin(), ms.end());
    std::printf("state at a call, %s: p50 %.3f ms, p95 %.3f ms, max %.3f ms over %zu calls (goal: p95 < 10 ms)\n",
                what, ms[ms.size() / 2], ms[ms.size() * 95 / 100], ms.back(), ms.size());
}

template <class State>
int RunStateBench(const char* generator, bool (CTraceData::*atCall)(int32_t, State*), bool (*applies)(uint8_t kind))
{
    const std::string path =
        TempDir() + "/bench_" + generator + "_" + std::to_string(getpid()) + ".xqft";
    const std::string command = "python3 " XQFT_SOURCE_DIR "/tools/xqftgen.py " + std::string(generator) + " " + path;
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "cannot write the trace: %s\n", command.c_str());
        return 1;
    }
    CTraceReader& reader = CTraceReader::Instance();
    reader.SetLog(nullptr, nullptr);
    // Load and tracking figures are the best of three runs: the machine is shared. The loads
    // without state tracking come first; the last tracked load is the one queried below.
    constexpr int kRuns = 3;
    double load = 1e300, untracked = 1e300;
    CTraceData* data = nullptr;
    for (int run = 0; run < 2 * kRuns; ++run) {
        const bool tracking = run >= kRuns;
        reader.Close();
        reader.SetStateTracking(tracking);
        const auto l0 = Clock::now();
        const int result = reader.LoadTrace(CXQFTString(path.c_str()), 1);
        double& best = tracking ? load : untracked;
        best = std::min(best, Ms(l0, Clock::now()));
        data = reader.GetTraceData();
        if (result != 0 || !data) {
            std::fprintf(stderr, "load failed: %d\n", result);
            return 1;
        }
    }
    const uint32_t calls = data->GetCallCount();

    std::mt19937 random(7);
    std::vector<double> all, first, last;
    for (int i = 0; i < 1000; ++i) {
        const uint32_t index = random() % calls;
        State state;
        const auto t0 = Clock::now();
        (data->*atCall)(int32_t(index), &state);
        const double ms = Ms(t0, Clock::now());
        all.push_back(ms);
        if (index < calls / 4)
            first.push_back(ms);
        else if (index >= calls - calls / 4)
            last.push_back(ms);
    }
    PrintStateAtCall("all", all);
    PrintStateAtCall("first quarter", first);
    PrintStateAtCall("last quarter", last);

    // Tracking alone: every call's effect on one running state, and a copy per frame cut. The
    // effects are timed as a whole (a clock read per call would cost more than most effects do);
    // the copies one by one, and taken off that whole.
    double effects = 1e300, copies = 0;
    size_t frameCopies = 0;
    for (int run = 0; run < kRuns; ++run) {
        State running;
        std::vector<std::shared_ptr<const State>> snapshots;
        double copied = 0;
        const auto e0 = Clock::now();
        for (uint32_t n = 1; n <= calls; ++n) {
            CApiCall* call = data->GetCall(n)->call.get();
            if (applies(call->GetStateKind()))
                call->ApplyEffect(&running, 1);
            if (IsFrameEnd(call->GetCallId())) {
                const auto c0 = Clock::now();
                snapshots.push_back(std::make_shared<const State>(running));
                copied += Ms(c0, Clock::now());
            }
        }
        const double applied = Ms(e0, Clock::now()) - copied;
        if (applied + copied < effects + copies) {
            effects = applied;
            copies = copied;
        }
        frameCopies = snapshots.size();
    }
    const double tracking = effects + copies;
    const double share = load - untracked;
    std::printf("load: %u calls in %.1f ms, %.1f ms without state tracking: state tracking %.1f ms = %.0f%% of the "
                "load (goal <= 30%%)\n",
                calls, load, untracked, share, 100.0 * share / load);
    std::printf("tracking pass over the loaded calls: %.1f ms (effects %.1f ms, %zu frame copies %.1f ms) = %.0f%% of "
                "the load (an upper bound: the loader applies each effect to the call it has just read, this pass "
                "finds every call cold)\n",
                tracking, effects, frameCopies, copies, 100.0 * tracking / load);
    std::printf("frame cut: a snapshot of the state takes %.4f ms (goal < 0.5 ms)\n",
                frameCopies ? copies / double(frameCopies) : 0.0);
    reader.Close();
    std::remove(path.c_str());
    return 0;
}

} // namespace xqft::bench

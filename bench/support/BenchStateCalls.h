#pragma once
// The players' state-call benchmark: recorded state calls of a few kinds played through a playback,
// beside the same calls made directly.
#include "BenchSupport.h"
#include "BenchTraceWriter.h"
#include "CallQueries.h"
#include "Playback.h"
#include "host/HostTables.h"
#include "data/TraceData.h"
#include "data/TraceReader.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace xqft::bench {

// One kind of state call: its id and the words after the recorded error.
struct SStateCall
{
    uint16_t id;
    std::vector<uint32_t> words;
    bool bytes = false;  // GLboolean arguments, one byte each
};

inline uint32_t Bits(float f)
{
    uint32_t b;
    std::memcpy(&b, &f, 4);
    return b;
}

// Loads the trace a benchmark wrote at `path`, then removes the file; null, with a line saying so,
// when it does not load.
inline CTraceData* LoadWrittenTrace(const std::string& path, const char* what)
{
    CTraceReader& reader = CTraceReader::Instance();
    reader.SetLog(stderr, stderr);
    const int result = reader.LoadTrace(CXQFTString(path.c_str()), 1);
    std::remove(path.c_str());
    CTraceData* data = reader.GetTraceData();
    if (result != 0 || !data) {
        std::printf("the %s trace did not load (%d)\n", what, result);
        return nullptr;
    }
    return data;
}

// Plays every call of `data` through `playback` once to warm it (what a player reads once is
// read), each checked to be played, not turned down (with `noHostError`, also to leave no host
// error), so that the figures time calls that reach the host; then five timed rounds. Seconds a
// call, or -1, with a line naming the `kind` of call that did not play.
inline double PlayedSecondsPerCall(CPlayback& playback, CTraceData& data, const char* kind, bool noHostError)
{
    const uint32_t calls = data.GetCallCount();
    for (uint32_t n = 1; n <= calls; ++n) {
        if (playback.PlayCall(data.GetCall(n), 0) != 1) {
            std::printf("%s %u did not play\n", kind, n);
            return -1;
        }
        if (noHostError && playback.m_lastHostError != 0) {
            std::printf("%s %u did not play (host error 0x%x)\n", kind, n, playback.m_lastHostError);
            return -1;
        }
    }
    const auto t0 = Clock::now();
    for (int round = 0; round < 5; ++round)
        for (uint32_t n = 1; n <= calls; ++n)
            playback.PlayCall(data.GetCall(n), 0);
    return Seconds(t0, Clock::now()) / (5.0 * calls);
}

// The figures of a player benchmark: seconds a call played and made directly.
inline void PrintPerCall(const char* kind, double played, double direct, uint32_t calls)
{
    std::printf("player: %.0f ns %s, directly %.0f ns: %.0f ns above (goal < 1000 ns) over %u calls\n", played * 1e9,
                kind, direct * 1e9, (played - direct) * 1e9, calls);
}

// Writes a trace of `count` calls cycling through `kinds`, plays it through a playback (one warm-up
// pass, then five timed), makes the same calls directly five times (`direct(k)` makes kind k) and
// prints the cost per call of both. False when the trace does not load.
template <class Direct>
bool TimeStateCalls(const std::vector<SStateCall>& kinds, Direct direct, uint32_t count = 10000)
{
    const std::string path = TempDir() + "/xqft-bench-state-calls-" + std::to_string(getpid()) + ".xqft";
    {
        CWriter w(path);
        for (uint32_t i = 0; i < count; ++i) {
            const SStateCall& k = kinds[i % kinds.size()];
            w.Record(k.id, uint32_t(4 + (k.bytes ? 1 : 4) * k.words.size()));
            w.U32(0);
            for (uint32_t v : k.words)
                k.bytes ? w.U8(uint8_t(v)) : w.U32(v);
        }
    }
    CTraceData* data = LoadWrittenTrace(path, "state-call");
    if (!data)
        return false;
    CPlayback playback;
    playback.BindTrace(data);
    const uint32_t calls = data->GetCallCount();
    const double played = PlayedSecondsPerCall(playback, *data, "state call", false);
    if (played < 0) {
        CTraceReader::Instance().Close();
        return false;
    }
    const auto t0 = Clock::now();
    for (int round = 0; round < 5; ++round)
        for (uint32_t n = 0; n < calls; ++n)
            direct(n % kinds.size());
    PrintPerCall("a state call", played, Seconds(t0, Clock::now()) / (5.0 * calls), calls);
    CTraceReader::Instance().Close();
    return true;
}

// The state calls both players' benchmarks time: nine that ES 1.1 and ES 2.0 share, under the ids of
// `Family`, and `own`, a call of that API alone, which `ownDirect` makes directly. The direct calls
// go through the host table `gl`, as the player's do.
template <ECallFamily Family, class Host, class OwnDirect>
bool TimeSharedStateCalls(Host& gl, const SStateCall& own, OwnDirect ownDirect)
{
    constexpr uint32_t kBlend = 0x0BE2, kSrcAlpha = 0x0302, kOneMinusSrcAlpha = 0x0303, kLequal = 0x0203,
                       kTexture0 = 0x84C0, kTexture2D = 0x0DE1;
    const std::vector<SStateCall> kinds = {
        {CallIdOf(Family, "glEnable"), {kBlend}},
        {CallIdOf(Family, "glDisable"), {kBlend}},
        {CallIdOf(Family, "glBlendFunc"), {kSrcAlpha, kOneMinusSrcAlpha}},
        {CallIdOf(Family, "glDepthFunc"), {kLequal}},
        {CallIdOf(Family, "glClearColor"), {Bits(0.1f), Bits(0.2f), Bits(0.3f), Bits(1.0f)}},
        {CallIdOf(Family, "glViewport"), {0, 0, 64, 64}},
        {CallIdOf(Family, "glActiveTexture"), {kTexture0}},
        {CallIdOf(Family, "glBindTexture"), {kTexture2D, 0}},
        own,
        {CallIdOf(Family, "glColorMask"), {1, 1, 1, 1}, true},
    };
#define XQF_DIRECT(fn, ...) reinterpret_cast<void (*)(__VA_ARGS__)>(XQF_HOST_SLOT(gl, fn))
    return TimeStateCalls(kinds, [&](size_t kind) {
        switch (kind) {
        case 0: XQF_DIRECT(glEnable, uint32_t)(kBlend); break;
        case 1: XQF_DIRECT(glDisable, uint32_t)(kBlend); break;
        case 2: XQF_DIRECT(glBlendFunc, uint32_t, uint32_t)(kSrcAlpha, kOneMinusSrcAlpha); break;
        case 3: XQF_DIRECT(glDepthFunc, uint32_t)(kLequal); break;
        case 4: XQF_DIRECT(glClearColor, float, float, float, float)(0.1f, 0.2f, 0.3f, 1.0f); break;
        case 5: XQF_DIRECT(glViewport, int32_t, int32_t, int32_t, int32_t)(0, 0, 64, 64); break;
        case 6: XQF_DIRECT(glActiveTexture, uint32_t)(kTexture0); break;
        case 7: XQF_DIRECT(glBindTexture, uint32_t, uint32_t)(kTexture2D, 0); break;
        case 8: ownDirect(); break;
        case 9: XQF_DIRECT(glColorMask, uint8_t, uint8_t, uint8_t, uint8_t)(1, 1, 1, 1); break;
        }
    });
#undef XQF_DIRECT
}

} // namespace xqft::bench

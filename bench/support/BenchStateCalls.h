#pragma once
// The players' state-call benchmark: recorded state calls of a few kinds played through a playback,
// beside the same calls made directly.
#include "BenchSupport.h"
#include "BenchTraceWriter.h"
#include "Playback.h"
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
    CTraceReader& reader = CTraceReader::Instance();
    reader.SetLog(stderr, stderr);
    const int result = reader.LoadTrace(CXQFTString(path.c_str()), 1);
    std::remove(path.c_str());
    CTraceData* data = reader.GetTraceData();
    if (result != 0 || !data) {
        std::printf("the state-call trace did not load (%d)\n", result);
        return false;
    }
    CPlayback playback;
    playback.BindTrace(data);
    const uint32_t calls = data->GetCallCount();
    // Warm (what a player reads once is read), and every call checked to be played, not turned down,
    // so that the figures time calls that reach the host.
    for (uint32_t n = 1; n <= calls; ++n)
        if (playback.PlayCall(data->GetCall(n), 0) != 1) {
            std::printf("state call %u did not play\n", n);
            reader.Close();
            return false;
        }
    auto t0 = Clock::now();
    for (int round = 0; round < 5; ++round)
        for (uint32_t n = 1; n <= calls; ++n)
            playback.PlayCall(data->GetCall(n), 0);
    const double played = Seconds(t0, Clock::now()) / (5.0 * calls);
    t0 = Clock::now();
    for (int round = 0; round < 5; ++round)
        for (uint32_t n = 0; n < calls; ++n)
            direct(n % kinds.size());
    const double directCall = Seconds(t0, Clock::now()) / (5.0 * calls);
    std::printf("player: %.0f ns a state call, directly %.0f ns: %.0f ns above (goal < 1000 ns) over %u calls\n",
                played * 1e9, directCall * 1e9, (played - directCall) * 1e9, calls);
    reader.Close();
    return true;
}

} // namespace xqft::bench

#pragma once
// Recorded calls built from payloads (es2test::BuildCall) and played through a playback, as the
// player tests of every API play them.
#include "Es2TestSupport.h"
#include "Playback.h"
#include "data/TraceData.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace playertest {

// A recorded call entry built from a payload after the recorded GL error, of a trace with data or
// without.
inline std::unique_ptr<STraceCall> Entry(const es2test::SCall& c, uint32_t error = 0, bool data = true)
{
    es2test::SPayload p;
    p.U32(error);
    p.bytes.insert(p.bytes.end(), c.payload.bytes.begin(), c.payload.bytes.end());
    es2test::SReadCall r = es2test::BuildCall(c.id, p.bytes, data);
    EXPECT_NE(r.call, nullptr) << c.id;
    return std::make_unique<STraceCall>(1, std::move(r.call), 0);
}

// Plays the calls in order, each kept in `entries` (the host may be left pointing into them);
// returns the results, with what was printed in `out` and `err` (also when a call throws).
inline std::vector<int> PlayCalls(CPlayback& playback, const std::vector<es2test::SCall>& calls, uint8_t checkErrors,
                                  uint32_t error, bool data, std::vector<std::unique_ptr<STraceCall>>& entries,
                                  std::string& out, std::string& err)
{
    std::vector<int> results;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    try {
        for (const es2test::SCall& c : calls) {
            entries.push_back(Entry(c, error, data));
            results.push_back(playback.PlayCall(entries.back().get(), checkErrors));
        }
    } catch (...) {
        out = testing::internal::GetCapturedStdout();
        err = testing::internal::GetCapturedStderr();
        throw;
    }
    out = testing::internal::GetCapturedStdout();
    err = testing::internal::GetCapturedStderr();
    return results;
}

} // namespace playertest

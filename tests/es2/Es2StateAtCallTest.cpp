// The state at a call, rebuilt from the frame's snapshot, must equal the running state of the same
// trace loaded only up to that call: 50 random calls of a generated trace of random state calls.
#include "Es2StateText.h"
#include "Es2TestSupport.h"

#include "data/TraceData.h"
#include "data/TraceReader.h"
#include "state/Es2State.h"

#include <gtest/gtest.h>

#include <random>

using namespace es2test;

namespace {

TEST(Es2StateAtCall, EqualsTheRunningStateOfTheTraceCutBeforeTheCall)
{
    const std::string path = TempPath("random_state.xqft");
    Generate("es2-state-random " + path + " --calls 1500 --frames 15 --seed 3");
    const CTraceCutter trace(path);
    const std::vector<SRawRecord>& records = trace.Records();

    CTraceReader& reader = CTraceReader::Instance();
    reader.SetLog(nullptr, nullptr);
    ASSERT_EQ(reader.LoadTrace(CXQFTString(path.c_str()), 1), 0);
    CTraceData* data = reader.GetTraceData();
    ASSERT_EQ(data->GetCallCount(), records.size());
    std::mt19937 random(11);
    std::vector<std::pair<uint32_t, std::string>> atCall;
    for (int i = 0; i < 50; ++i) {
        const uint32_t n = 1 + random() % data->GetCallCount();
        SEs2State state;
        ASSERT_TRUE(data->GetEs2StateAtCall(int32_t(n - 1), &state));
        atCall.emplace_back(n, DescribeEs2State(state));
    }
    reader.Close();

    const std::string cutPath = TempPath("random_state_cut.xqft");
    for (const auto& [n, expected] : atCall) {
        SCOPED_TRACE("call " + std::to_string(n));
        trace.WriteBefore(n, cutPath);
        reader.LoadTrace(CXQFTString(cutPath.c_str()), 1);
        CTraceData* cut = reader.GetTraceData();
        ASSERT_NE(cut, nullptr);
        EXPECT_EQ(cut->GetCallCount(), n - 1);
        EXPECT_EQ(DescribeEs2State(cut->RunningEs2State()), expected);
        reader.Close();
    }
}

} // namespace

// `xqft-dump es1-state FILE --call N`, the ES 1.1 state rebuilt from the frame's snapshot, must
// equal the running state of the same trace loaded only up to call N: 50 random calls of a
// generated trace of random ES 1.1 state calls.
#include "Es1StateText.h"
#include "Es2TestSupport.h"

#include "data/TraceData.h"
#include "data/TraceReader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include "TestPaths.h"

using namespace es2test;

namespace {

TEST(Es1StateAtCall, DumpEqualsTheRunningStateOfTheTraceCutBeforeTheCall)
{
    const std::string path = TempPath("random_es1_state.xqft");
    Generate("es1-state-random " + path + " --calls 1500 --frames 15 --seed 3");
    const CTraceCutter trace(path);
    const std::vector<SRawRecord>& records = trace.Records();

    CTraceReader& reader = CTraceReader::Instance();
    reader.SetLog(nullptr, nullptr);
    const std::string cutPath = TempPath("random_es1_state_cut.xqft");
    std::mt19937 random(11);
    for (int i = 0; i < 50; ++i) {
        const uint32_t n = 1 + random() % uint32_t(records.size());
        SCOPED_TRACE("call " + std::to_string(n));
        const std::string dumped = CommandOutput(BinaryDir() + "/bin/xqft-dump es1-state " + path + " --call " +
                                                 std::to_string(n) + " 2>/dev/null");
        trace.WriteBefore(n, cutPath);
        reader.LoadTrace(CXQFTString(cutPath.c_str()), 1);
        CTraceData* cut = reader.GetTraceData();
        ASSERT_NE(cut, nullptr);
        EXPECT_EQ(cut->GetCallCount(), n - 1);
        EXPECT_EQ(dumped, n == 1 ? DescribeEs1State(SEs1State()) : DescribeEs1State(cut->RunningEs1State()));
        reader.Close();
    }
    // A call outside the trace has no state: nothing is printed.
    EXPECT_EQ(CommandOutput(BinaryDir() + "/bin/xqft-dump es1-state " + path + " --call " +
                     std::to_string(records.size() + 1) + " 2>/dev/null"),
              "");
}

} // namespace

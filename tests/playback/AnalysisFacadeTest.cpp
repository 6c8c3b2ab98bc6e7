// The playback facade: neutral results without an analysis object, traces without data or null,
// frames refused, unknown option keys, abort, budget 0, release, and the reader closed at the end.
#include "EglTestSupport.h"
#include "Es2TestHost.h"

#include "PlaybackInterface.h"
#include "analysis/AnalysisPlayback.h"
#include "TestPaths.h"

using namespace egltest;
using namespace es2host;

namespace {

std::vector<std::string> ThreeFrames() { return {SwapBuffers(0), SwapBuffers(0), SwapBuffers(0)}; }

// A trace recorded without data, loaded.
CTraceData* LoadWithoutData()
{
    const std::string trace = TestTemp("nodata.xqft");
    const SRunResult r = RunCommand("python3 " + SourceDir() + "/tools/xqftgen.py egl-frames --frames 2 --data-included 0 '" +
                                    trace + "'");
    EXPECT_EQ(r.status, 0) << r.err;
    const int result = CTraceReader::Instance().LoadTrace(CXQFTString(trace.c_str()), 1);
    std::remove(trace.c_str());
    EXPECT_EQ(result, 0);
    return CTraceReader::Instance().GetTraceData();
}

CAnalysisInterface* g_facade = nullptr;
bool AbortingPump(NativeHandle)
{
    g_facade->Abort();
    return true;
}

class Facade : public CEs2HostTest
{
protected:
    void TearDown() override { CTraceReader::Instance().Close(); }
};

TEST_F(Facade, WithoutAnAnalysisObjectEveryWrapperIsNeutral)
{
    CAnalysisInterface f;
    const uint8_t value = 9;
    EXPECT_FALSE(f.GoToFrame(1, 1));
    EXPECT_FALSE(f.SetRange(1, 1, 1));
    EXPECT_FALSE(f.SetOption(2, 1));
    EXPECT_FALSE(f.SetOptionValue(100, &value));
    f.SetCallFilters({1}, {2});
    f.Abort();
    EXPECT_EQ(f.Analyse(0), 0);
    uint8_t sentinel = 0;
    uint8_t* rgb = &sentinel;
    uint32_t w = 7, h = 8;
    EXPECT_FALSE(f.GetFrameBuffer(&rgb, &w, &h));
    EXPECT_EQ(rgb, &sentinel);
    EXPECT_EQ(w, 7);
    EXPECT_EQ(h, 8);
}

TEST_F(Facade, ATraceWithoutDataOrANullTraceLeavesNoAnalysisObject)
{
    CAnalysisInterface f;
    f.SetTraceForAnalysis(LoadLog("with-data", ThreeFrames()));
    ASSERT_NE(f.Analysis(), nullptr);
    CTraceData* without = LoadWithoutData();
    ASSERT_NE(without, nullptr);
    testing::internal::CaptureStdout();
    f.SetTraceForAnalysis(without);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Current trace file recorded without Data....Abort\n");
    EXPECT_EQ(f.Analysis(), nullptr);
    EXPECT_EQ(f.Analyse(0), 0);
    uint8_t* rgb = nullptr;
    EXPECT_FALSE(f.GetFrameBuffer(&rgb, nullptr, nullptr));

    f.SetTraceForAnalysis(LoadLog("with-data", ThreeFrames()));
    ASSERT_NE(f.Analysis(), nullptr);
    f.SetTraceForAnalysis(nullptr);
    EXPECT_EQ(f.Analysis(), nullptr);
    EXPECT_EQ(f.m_trace, nullptr);
}

TEST_F(Facade, FramesAboveTheCountAndUnknownKeysAreRefused)
{
    CAnalysisInterface f;
    f.SetTraceForAnalysis(LoadLog("frames", ThreeFrames()));
    ASSERT_TRUE(f.GoToFrame(2, 1));
    EXPECT_FALSE(f.GoToFrame(4, 1));
    EXPECT_EQ(f.Analysis()->m_currentFrame, 2u);
    const uint8_t value = 3;
    EXPECT_FALSE(f.SetOption(8, 1));
    EXPECT_FALSE(f.SetOptionValue(7, &value));
    CAnalysisPlayback& a = *f.Analysis();
    EXPECT_EQ(a.m_wireframe + a.m_complexity + a.m_rangeMode + a.m_highlight, 0);
    EXPECT_EQ(a.m_increment, 128);
}

TEST_F(Facade, AbortBudgetZeroAndRelease)
{
    std::vector<std::string> lines = Session(64, 48, 0x57);
    lines.push_back(SwapBuffers(0x31));
    lines.push_back(SwapBuffers(0x31));
    CAnalysisInterface f;
    ResetEglMaps();
    f.SetTraceForAnalysis(LoadLog("session", lines));
    ASSERT_NE(f.Analysis(), nullptr);
    testing::internal::CaptureStdout();
    ASSERT_TRUE(f.GoToFrame(2, 0));
    ASSERT_TRUE(f.SetRange(1, 0, 1));
    EXPECT_EQ(f.Analyse(0), 1) << "a budget of 0";
    uint8_t* rgb = nullptr;
    uint32_t w = 0, h = 0;
    EXPECT_TRUE(f.GetFrameBuffer(&rgb, &w, &h));
    EXPECT_EQ(w, 64);
    ASSERT_TRUE(f.GoToFrame(2, 1));
    g_facade = &f;
    f.Analysis()->m_windows.Pump = &AbortingPump;
    EXPECT_EQ(f.Analyse(0), 3);
    testing::internal::GetCapturedStdout();
    f.Release();
    EXPECT_EQ(f.Analysis(), nullptr);
    EXPECT_EQ(f.m_playback, nullptr);
}

TEST_F(Facade, TheFacadeClosesTheReadersTraceAtTheEnd)
{
    {
        CAnalysisInterface f;
        f.SetTraceForAnalysis(LoadLog("closed", ThreeFrames()));
        f.SetTrace(f.m_trace);  // the plain playback beside the analysis
        ASSERT_NE(f.m_playback, nullptr);
    }
    EXPECT_EQ(CTraceReader::Instance().GetTraceData(), nullptr);
}

} // namespace

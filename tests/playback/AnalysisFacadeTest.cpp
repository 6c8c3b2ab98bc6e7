// The playback facade: neutral results without an analysis object, traces without data or null,
// frames refused, unknown option keys, abort, budget 0, release, and the reader closed at the end.
#include "EglTestSupport.h"
#include "Es2TestHost.h"

#include "PlaybackInterface.h"
#include "analysis/AnalysisPlayback.h"
#include "TestPaths.h"

#include <algorithm>
#include <cstdio>
#include <fstream>

using namespace egltest;
using namespace es2host;

namespace {

std::vector<std::string> ThreeFrames() { return {SwapBuffers(0), SwapBuffers(0), SwapBuffers(0)}; }

const char kWithoutData[] = "the trace was recorded without data: none of its calls can be played";

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
    testing::internal::CaptureStderr();
    f.SetTraceForAnalysis(without);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), std::string("ERROR: ") + kWithoutData + "\n");
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

// A session recorded without data cannot even make its window surface on the host: each command
// that plays says why in one line before playing anything, not by the host's error at the surface
// (replay did), nor with a state of zeros and exit 0 (host-state did).
TEST(CommandsThatPlay, GiveOneReasonUpFrontForATraceWithoutData)
{
    const std::string trace = TestTemp("commands-nodata.xqft"), out = TestTemp("commands-nodata.ppm");
    ASSERT_EQ(RunCommand("python3 " + SourceDir() + "/tools/xqftgen.py egl-session --frames 2 --data-included 0 '" +
                         trace + "'").status,
              0);
    for (const char* command : {"replay '%s' --frame 2 '%s'", "replay '%s' --frame 2 --from-start '%s'",
                                "host-state '%s' --frame 2", "analyse '%s' --frame 2 '%s'",
                                "analyse '%s' --frames 1,2 '%s.d'"}) {
        char args[1024];
        std::snprintf(args, sizeof args, command, trace.c_str(), out.c_str());
        const SRunResult r = RunCommand("XQFT_PLAYBACK_WINDOWS=headless " + BinaryDir() + "/bin/xqft-dump " + args);
        EXPECT_EQ(r.status, 5) << args;
        EXPECT_EQ(r.out, "") << args;
        EXPECT_EQ(r.err.substr(std::min(r.err.find("ERROR: "), r.err.size())), "ERROR: " + trace + ": " + kWithoutData + "\n") << args;
        EXPECT_FALSE(std::ifstream(out).good()) << args;
    }
    std::remove(trace.c_str());
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

// The analysis context's frame navigation: frames refused, options, the read-back, restoring a frame
// without a context, restoring a frame twice, and frame numbers past 16 bits.
#include "EglTestSupport.h"
#include "Es2TestHost.h"

#include "Diagnostics.h"
#include "analysis/AnalysisPlayback.h"
#include "probe/StateProbe.h"

#include <EGL/egl.h>
#include "TestPaths.h"

#include <fstream>
#include <functional>
#include <regex>
#include <utility>

using namespace egltest;
using namespace es2host;

namespace {

class Navigation : public CEs2HostTest
{
protected:
    void TearDown() override { CTraceReader::Instance().Close(); }
};

std::string Es2Line(int id, const std::string& values) { return "{\"id\":" + std::to_string(id) + ",\"err\":0,\"v\":[" + values + "]}"; }

TEST_F(Navigation, FramesOutsideTheTraceAreRefusedAndTheFrameKept)
{
    CTraceData* data = LoadLog("three", {SwapBuffers(0), SwapBuffers(0), SwapBuffers(0)});
    ASSERT_NE(data, nullptr);
    CAnalysisPlayback a;
    a.BindTrace(data);
    ASSERT_TRUE(a.GoToFrame(2, 0, 5));
    EXPECT_EQ(a.m_lastDraw, 5u);
    EXPECT_FALSE(a.GoToFrame(0, 0, 0));
    EXPECT_FALSE(a.GoToFrame(4, 0, 0));
    EXPECT_EQ(a.m_currentFrame, 2u);
    EXPECT_EQ(a.m_firstCall, data->GetFrame(2)->firstCall);
    EXPECT_TRUE(a.FindSwapCall());
    EXPECT_EQ(a.m_swapCall, data->GetCall(data->GetFrame(2)->endCall));
}

TEST_F(Navigation, UnknownOptionKeysAndValuesAboveTheLargestAreRefusedAndChangeNothing)
{
    CAnalysisPlayback a;
    const uint8_t value = 7;
    EXPECT_FALSE(a.SetOption(7, 1));
    EXPECT_FALSE(a.SetOptionValue(101, &value));
    EXPECT_FALSE(a.SetOption(kOptionWireframe, 2));
    EXPECT_FALSE(a.SetOption(kValueComplexityIncrement, 256));
    EXPECT_FALSE(a.SetOption(kOptionKeptImagesMib, 1u << 20));  // 1 TiB of kept images
    EXPECT_FALSE(a.SetOption(kOptionKeptImagesMib, 16385));
    EXPECT_EQ(a.m_wireframe + a.m_complexity + a.m_rangeMode + a.m_highlight, 0);
    EXPECT_EQ(a.m_increment, 128);
    EXPECT_TRUE(a.SetOption(2, 1));
    EXPECT_TRUE(a.SetOptionValue(100, &value));
    EXPECT_EQ(a.m_wireframe, 1);
    EXPECT_EQ(a.m_increment, 7);
    std::set<uint32_t> positions = {3}, ids = {2016};
    a.SetCallFilters(positions, ids);
    a.SetCallFilters(a.m_skipPositions, a.m_skipIds);
    EXPECT_EQ(a.m_skipPositions, positions);
    EXPECT_EQ(a.m_skipIds, ids);
}

// The fixture's surface is 800 x 600.
TEST_F(Navigation, TheReadBackPacksPixelsToThreeBytes)
{
    XQF_HOST(*gl, glBindFramebuffer)(GL_FRAMEBUFFER, 0);
    XQF_HOST(*gl, glClearColor)(1.0f, 0.5f, 0.0f, 1.0f);
    XQF_HOST(*gl, glClear)(GL_COLOR_BUFFER_BIT);
    uint32_t width = 800, height = 600;
    RememberWindowSize(&width, &height, nullptr);
    CAnalysisPlayback a;
    EXPECT_TRUE(a.ReadFrameBuffer());
    uint8_t* rgb = nullptr;
    uint32_t w = 0, h = 0;
    ASSERT_TRUE(a.GetFrameBuffer(&rgb, &w, &h));
    EXPECT_EQ(w, 800);
    EXPECT_EQ(h, 600);
    EXPECT_EQ(std::vector<uint8_t>(rgb, rgb + 6), (std::vector<uint8_t>{255, 128, 0, 255, 128, 0}));
}

// A frame whose size is not its surface's (a window resized after the surface was made current, or
// a 1 x 1 surface played as 640 x 480) is no image of the frame.
TEST_F(Navigation, AFrameOfAnotherSizeThanItsSurfaceFailsTheReadWithAnErrorLine)
{
    XQF_HOST(*gl, glBindFramebuffer)(GL_FRAMEBUFFER, 0);
    XQF_HOST(*gl, glClearColor)(1.0f, 0.5f, 0.0f, 1.0f);
    XQF_HOST(*gl, glClear)(GL_COLOR_BUFFER_BIT);
    for (auto [width, height] : {std::pair<uint32_t, uint32_t>{640, 480}, {800, 601}, {2, 1}}) {
        RememberWindowSize(&width, &height, nullptr);
        CAnalysisPlayback a;
        const unsigned errors = PlaybackErrorCount();
        testing::internal::CaptureStderr();
        EXPECT_FALSE(a.ReadFrameBuffer()) << width << "x" << height;
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(PlaybackErrorCount(), errors + 1);
        EXPECT_NE(said.find("ERROR: Frame read: the surface is 800x600, the frame " + std::to_string(width) + "x" +
                            std::to_string(height)),
                  std::string::npos)
            << said;
        uint8_t* rgb = nullptr;
        uint32_t w = 0, h = 0;
        ASSERT_TRUE(a.GetFrameBuffer(&rgb, &w, &h));
        EXPECT_EQ(std::vector<uint8_t>(rgb, rgb + 6), std::vector<uint8_t>(6, 0)) << "nothing read";
    }
}

TEST_F(Navigation, AFrameWithoutAContextResetsTheMapsAndRestoresNothing)
{
    CTraceData* data = LoadLog("nocontext", {Es2Line(2007, "3553,{\"o\":\"texture\",\"v\":5}"), SwapBuffers(0), SwapBuffers(0)});
    ASSERT_NE(data, nullptr);
    CAnalysisPlayback a;
    a.BindTrace(data);
    TextureNameMap::Set(77, 7);
    CHostSpy spy;
    SpyOnEs2(spy);
    ASSERT_TRUE(a.GoToFrame(2, 0, 0));
    a.SetRange(1, 0, 1);
    EXPECT_EQ(TextureNameMap::Get(77), 0u);
    EXPECT_EQ(spy.calls.size(), 0u);
    EXPECT_EQ(a.m_es2Dirty, 0) << "the copy is the frame's";
}

TEST_F(Navigation, FrameNumbersPast16BitsRestoreTheirOwnFrame)
{
    // 69,998 empty frames, then a context made in frame 69,999: frame 70,000 starts with it, frame
    // 70,000 - 65,536 without.
    std::vector<std::string> lines(69998, SwapBuffers(0));
    for (const std::string& line : Session(64, 48, 0x70))
        lines.push_back(line);
    lines.push_back(SwapBuffers(0x31));
    lines.push_back(SwapBuffers(0x31));
    CTraceData* data = LoadLog("long", lines);
    ASSERT_NE(data, nullptr);
    ASSERT_EQ(data->GetFrameCount(), 70000);
    ResetEglMaps();
    CAnalysisPlayback a;
    a.BindTrace(data);
    ASSERT_TRUE(a.GoToFrame(70000, 0, 0));
    EXPECT_EQ(a.m_firstCall, data->GetFrame(70000)->firstCall);
    testing::internal::CaptureStdout();
    a.SetRange(1, 0, 1);
    testing::internal::GetCapturedStdout();
    EXPECT_NE(DisplayHandleMap::Get(1), 0u) << "frame 70,000's display restored";
    EXPECT_EQ(a.m_egl.currentDisplay, 1u);
}

void* HostProc(const char* name)
{
    return reinterpret_cast<void*>(XQF_HOST(*SEglHost::Instance(), eglGetProcAddress)(name));
}

// Records an xqft-record scene into `dir` and writes its trace, with `edit` applied to the log's lines
// first; the trace's path ("" with a test failure when a step fails).
std::string SceneTrace(const std::string& dir, const char* scene,
                       const std::function<void(std::vector<std::string>&)>& edit = nullptr)
{
    const std::string log = dir + "/" + scene + ".log", trace = dir + "/" + scene + ".xqft";
    if (RunCommand("mkdir -p '" + dir + "' && " + BinaryDir() + "/bin/xqft-record --scene " + scene + " --out '" + dir +
                   "'").status != 0) {
        ADD_FAILURE() << "xqft-record --scene " << scene;
        return "";
    }
    if (edit) {
        std::vector<std::string> lines;
        {
            std::ifstream in(log);
            for (std::string line; std::getline(in, line);)
                lines.push_back(line);
        }
        edit(lines);
        std::ofstream out(log);
        for (const std::string& line : lines)
            out << line << "\n";
    }
    if (RunCommand("python3 " + SourceDir() + "/tools/xqftgen.py from-log '" + log + "' '" + trace + "'").status != 0) {
        ADD_FAILURE() << "from-log " << scene;
        return "";
    }
    return trace;
}

// Host contexts and surfaces made, less those destroyed, since the spy began.
std::pair<int, int> LiveHostObjects(const CHostSpy& spy)
{
    return {spy.Count("eglCreateContext") - spy.Count("eglDestroyContext"),
            spy.Count("eglCreateWindowSurface") + spy.Count("eglCreatePbufferSurface") - spy.Count("eglDestroySurface")};
}

TEST_F(Navigation, FailedPassesAndRebuildsLeaveNoHostContextOrSurfaceBehind)
{
    // render-later with its last draw's captured arrays lost: frames 2 and 3 are rebuilt from frame 1
    // (each rebuild starts over first), frame 3's pass then fails and starts over, frame 2's succeeds.
    const std::string dir = TestTemp("standing");
    const std::string trace = SceneTrace(dir, "render-later", [](std::vector<std::string>& lines) {
        for (auto line = lines.rbegin(); line != lines.rend(); ++line)
            if (line->find("\"f\":\"glDraw") != std::string::npos) {
                *line = std::regex_replace(*line, std::regex("\"blocks\":\\[.*\\]"), "\"blocks\":[]");
                return;
            }
        ADD_FAILURE() << "no draw";
    });
    ASSERT_FALSE(trace.empty());
    ASSERT_EQ(CTraceReader::Instance().LoadTrace(CXQFTString(trace.c_str()), 1), 0);
    ResetEglMaps();
    CHostSpy spy;
    SEglHost& egl = *SEglHost::Instance();
    XQF_SPY(spy, egl, eglCreateContext);
    XQF_SPY(spy, egl, eglDestroyContext);
    XQF_SPY(spy, egl, eglCreateWindowSurface);
    XQF_SPY(spy, egl, eglCreatePbufferSurface);
    XQF_SPY(spy, egl, eglDestroySurface);
    std::vector<std::pair<int, int>> live;
    std::vector<std::pair<int32_t, int32_t>> results;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    {
        CAnalysisPlayback a;
        a.BindTrace(CTraceReader::Instance().GetTraceData());
        for (int i = 0; i < 20; ++i) {
            std::pair<int32_t, int32_t> r;
            a.GoToFrame(3, 0, ~0u);
            a.SetRange(1, ~0u, 1);
            r.first = a.Analyse(0);
            a.GoToFrame(2, 0, ~0u);
            a.SetRange(1, ~0u, 1);
            r.second = a.Analyse(0);
            results.push_back(r);
            live.push_back(LiveHostObjects(spy));
        }
    }
    const std::string out = testing::internal::GetCapturedStdout();
    testing::internal::GetCapturedStderr();
    EXPECT_NE(out.find("Frame 3 rebuilt by replaying from frame 1"), std::string::npos);
    for (size_t i = 0; i < live.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(results[i].first, 0) << "frame 3's pass fails at its draw";
        EXPECT_EQ(results[i].second, 2);
        EXPECT_EQ(live[i], live[0]) << "contexts, surfaces";
    }
    EXPECT_EQ(live[0].first, 1) << "the context frame 2 draws on";
    EXPECT_EQ(LiveHostObjects(spy), std::make_pair(0, 0)) << "the analysis destroys its own when it goes";
    CTraceReader::Instance().Close();
    RunCommand("rm -rf '" + dir + "'");
}

TEST_F(Navigation, RestoringAFrameAgainUploadsNothingAndGivesTheSameState)
{
    const std::string dir = TestTemp("scenes");
    ASSERT_EQ(RunCommand("mkdir -p '" + dir + "'").status, 0);
    for (const char* scene : {"textured", "indexed"}) {
        SCOPED_TRACE(scene);
        const std::string log = dir + "/" + scene + ".log", trace = dir + "/" + scene + ".xqft";
        ASSERT_EQ(RunCommand(BinaryDir() + "/bin/xqft-record --scene " + scene + " --out '" + dir + "'").status, 0);
        ASSERT_EQ(RunCommand("python3 " + SourceDir() + "/tools/xqftgen.py from-log '" + log + "' '" + trace + "'").status,
                  0);
        ASSERT_EQ(CTraceReader::Instance().LoadTrace(CXQFTString(trace.c_str()), 1), 0);
        ResetEglMaps();
        CAnalysisPlayback a;
        a.BindTrace(CTraceReader::Instance().GetTraceData());
        testing::internal::CaptureStdout();
        ASSERT_TRUE(a.GoToFrame(2, 0, 0));
        a.SetRange(1, 0, 1);
        const std::string first = ProbeEs2State(SProbeGl{gl->entries, &HostProc});
        CHostSpy spy;
        SpyOnEs2(spy);
        ASSERT_TRUE(a.GoToFrame(2, 0, 0));
        a.SetRange(1, 0, 1);
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(spy.Count("glTexImage2D") + spy.Count("glCompressedTexImage2D") + spy.Count("glBufferData"), 0);
        EXPECT_EQ(ProbeEs2State(SProbeGl{gl->entries, &HostProc}), first);
        CTraceReader::Instance().Close();
    }
    RunCommand("rm -rf '" + dir + "'");
}

// The kept images' read-back and send find the errors the host holds and name each, as a pass's end
// does, instead of dropping them.
TEST_F(Navigation, KeptImagesReportEachGlErrorTheyFind)
{
    SKeptFrame none;
    none.api = kEsVersion2;
    SEs2State s;
    SKeptFrame out;
    const std::function<bool()> steps[] = {[&] { return CKeptImages::Send(none, 7); },
                                           [&] { return CKeptImages::ReadBack(s, 9, out); }};
    const char* said[] = {"WARNING: Kept images sent for frame 7: GL error 0x500",
                          "WARNING: Read-back of the kept images of frame 9: GL error 0x500"};
    for (int i = 0; i < 2; ++i) {
        XQF_HOST(*gl, glEnable)(0x1234);  // GL_INVALID_ENUM
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        EXPECT_FALSE(steps[i]());
        const std::string err = testing::internal::GetCapturedStderr();
        testing::internal::GetCapturedStdout();
        EXPECT_NE(err.find(said[i]), std::string::npos) << err;
        EXPECT_EQ(XQF_HOST(*gl, glGetError)(), GLenum(GL_NO_ERROR));
    }
}

} // namespace

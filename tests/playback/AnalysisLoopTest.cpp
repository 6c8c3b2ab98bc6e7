// The analysis loop over a wrapped ES 2.0 table: the budget, frames without draws, the range left
// out, highlight and complexity around draws, the call filters, calls recorded with an error,
// aborts, failures and exceptions of the player, an open last frame, and the analysis programs
// (the application's vertex shader taken only as the host reports it, relinked only on a change).
#include "EglTestSupport.h"
#include "Es2TestHost.h"

#include "analysis/AnalysisPlayback.h"
#include "host/HostContext.h"
#include "host/HostCurrent.h"

#include "CallQueries.h"

#include <GLES2/gl2.h>

#include <set>
#include "TestPaths.h"

using namespace egltest;
using namespace es2host;

namespace {

constexpr uint16_t kClearColor = CallIdOf(ECallFamily::Es2, "glClearColor");
constexpr uint16_t kClear = CallIdOf(ECallFamily::Es2, "glClear");
constexpr uint16_t kEnable = CallIdOf(ECallFamily::Es2, "glEnable");
constexpr uint16_t kBlendFunc = CallIdOf(ECallFamily::Es2, "glBlendFunc");
constexpr uint16_t kVertexAttribPointer = CallIdOf(ECallFamily::Es2, "glVertexAttribPointer");
constexpr uint16_t kEnableVertexAttribArray = CallIdOf(ECallFamily::Es2, "glEnableVertexAttribArray");

std::string Es2(uint16_t id, const std::string& values, int error = 0)
{
    return "{\"id\":" + std::to_string(id) + ",\"err\":" + std::to_string(error) + ",\"v\":[" + values + "]}";
}

// A session on a 64 x 48 window, frame 1 clearing to red, then `frame2` and its swap.
std::vector<std::string> TwoFrames(const std::vector<std::string>& frame2, bool closed = true)
{
    std::vector<std::string> lines = Session(64, 48, 0x56);
    lines.push_back(Es2(kClearColor, "1,0,0,1"));
    lines.push_back(Es2(kClear, "16384"));
    lines.push_back(SwapBuffers(0x31));
    lines.insert(lines.end(), frame2.begin(), frame2.end());
    if (closed)
        lines.push_back(SwapBuffers(0x31));
    return lines;
}

CAnalysisPlayback* g_aborting = nullptr;
bool AbortingPump(NativeHandle)
{
    if (g_aborting)
        g_aborting->Abort();
    return true;
}
bool QuitPump(NativeHandle) { return false; }

class AnalysisLoop : public CEs2HostTest
{
protected:
    static void SetUpTestSuite()
    {
        s_dir = TestTemp("loop-scenes");
        RunCommand("mkdir -p '" + s_dir + "'");
        for (const char* scene : {"quads"}) {
            const std::string log = s_dir + "/" + scene + ".log", trace = s_dir + "/" + scene + ".xqft";
            RunCommand(BinaryDir() + "/bin/xqft-record --scene " + scene + " --out '" + s_dir + "'");
            RunCommand("python3 " + SourceDir() + "/tools/xqftgen.py from-log '" + log + "' '" + trace + "'");
        }
    }
    static void TearDownTestSuite() { RunCommand("rm -rf '" + s_dir + "'"); }

    void TearDown() override
    {
        analysis.reset();
        CTraceReader::Instance().Close();
    }

    // Loads a recorded scene, or a trace of log lines, and binds a new analysis to it at `frame`
    // with the budget, its state restored (as the dock's GoToFrame and SetRange do).
    bool Open(CTraceData* data, uint32_t frame, uint32_t budget, uint32_t first = 1, uint32_t last = 0)
    {
        if (!data)
            return false;
        ResetEglMaps();
        analysis = std::make_unique<CAnalysisPlayback>();
        analysis->BindTrace(data);
        testing::internal::CaptureStdout();
        const bool ok = analysis->GoToFrame(frame, 0, budget) && analysis->SetRange(first, last ? last : budget, 1);
        testing::internal::GetCapturedStdout();
        return ok;
    }
    CTraceData* Scene(const char* name)
    {
        const std::string trace = s_dir + "/" + name + ".xqft";
        return CTraceReader::Instance().LoadTrace(CXQFTString(trace.c_str()), 1) == 0 ? CTraceReader::Instance().GetTraceData()
                                                                                      : nullptr;
    }
    int32_t Analyse(CHostSpy* spy = nullptr)
    {
        if (spy)
            SpyOnEs2(*spy);
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        const int32_t r = analysis->Analyse(0);
        out = testing::internal::GetCapturedStdout();
        err = testing::internal::GetCapturedStderr();
        return r;
    }
    static int UsesOf(const CHostSpy& spy, GLuint program)
    {
        int n = 0;
        for (const SHostCall& c : spy.Of("glUseProgram"))
            n += c.args[0] == program;
        return n;
    }
    int LinksOf(const CHostSpy& spy, GLuint program)
    {
        int n = 0;
        for (const SHostCall& c : spy.Of("glLinkProgram"))
            n += c.args[0] == program;
        return n;
    }

    static std::string s_dir;
    std::unique_ptr<CAnalysisPlayback> analysis;
};
std::string AnalysisLoop::s_dir;

TEST_F(AnalysisLoop, ABudgetOfZeroPlaysNothingAndClearsToBlack)
{
    ASSERT_TRUE(Open(Scene("quads"), 2, 0, 1, 4));
    CHostSpy spy;
    EXPECT_EQ(Analyse(&spy), 1);
    EXPECT_EQ(spy.Names(), (std::vector<std::string>{"glClearColor", "glClear", "glReadPixels"}));
    EXPECT_EQ(spy.calls[0].args, (std::vector<uint64_t>{0, 0, 0, 0}));
}

TEST_F(AnalysisLoop, AFrameWithoutDrawsPlaysToItsSwapThenClearsToBlack)
{
    ASSERT_TRUE(Open(LoadLog("nodraws", TwoFrames({Es2(kClearColor, "0,0,1,1"), Es2(kClear, "16384")})), 2, 3));
    CHostSpy spy;
    EXPECT_EQ(Analyse(&spy), 2);
    EXPECT_EQ(spy.Count("glClear"), 2) << "the frame's, then the black one";
    EXPECT_EQ(spy.Of("glClearColor").back().args, (std::vector<uint64_t>{0, 0, 0, 0}));
    uint8_t* rgb = nullptr;
    uint32_t w = 0, h = 0;
    ASSERT_TRUE(analysis->GetFrameBuffer(&rgb, &w, &h));
    ASSERT_EQ(w * h, 64 * 48);
    EXPECT_EQ(std::vector<uint8_t>(rgb, rgb + 64 * 48 * 3), std::vector<uint8_t>(64 * 48 * 3, 0));
}

TEST_F(AnalysisLoop, RangeModeLeavesTheRangeOutAndHighlightLeavesClearsOut)
{
    struct SCase
    {
        const char* what;
        uint8_t rangeMode, highlight, complexity;
        int draws, clears, highlightUses, complexityUses;
    };
    const SCase cases[] = {
        {"range mode: draws 2 and 3 left out", 1, 0, 0, 2, 1, 0, 0},
        {"highlight: draws 2 and 3 in green, no glClear", 0, 1, 0, 4, 0, 2, 0},
        {"range mode and highlight: draws 1 and 4 in green", 1, 1, 0, 4, 0, 2, 0},
        {"complexity with highlight: nothing in green", 0, 1, 1, 4, 0, 0, 4},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(Open(Scene("quads"), 2, 4, 2, 3));
        analysis->SetOption(kOptionInvertRange, c.rangeMode);
        analysis->SetOption(kOptionHighlight, c.highlight);
        analysis->SetOption(kOptionComplexity, c.complexity);
        CHostSpy spy;
        EXPECT_EQ(Analyse(&spy), 1);
        EXPECT_EQ(spy.Count("glDrawArrays"), c.draws);
        EXPECT_EQ(spy.Count("glClear"), c.clears);
        EXPECT_EQ(UsesOf(spy, analysis->m_highlightProgram), c.highlightUses);
        EXPECT_EQ(UsesOf(spy, analysis->m_complexityProgram), c.complexityUses);
        if (c.complexity) {
            EXPECT_EQ(LinksOf(spy, analysis->m_complexityProgram), 1) << "one vertex shader: linked once";
        }
        CTraceReader::Instance().Close();
    }
}

// Ranges a user cannot set in the dock, and filters that leave nothing or the swap call out: the
// pass still ends by the budget or at the swap.
TEST_F(AnalysisLoop, OddRangesAndFiltersStillEndThePass)
{
    struct SCase
    {
        const char* what;
        uint32_t first, last;
        bool skipAll;
        int draws;
    };
    const SCase cases[] = {
        {"range [0, 0]", 0, 0, false, 4},
        {"first above last", 3, 2, false, 2},
        {"last above the draw count", 2, 9, false, 3},
        {"every call of the frame filtered, the swap included", 1, 4, true, 0},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(Open(Scene("quads"), 2, 4, c.first, c.last));
        analysis->SetRange(c.first, c.last, 1);
        if (c.skipAll) {
            std::set<uint32_t> all;
            for (uint32_t n = analysis->m_firstCall + 1; n <= analysis->m_endCall; ++n)
                all.insert(n);
            analysis->SetCallFilters(all, {});
        }
        CHostSpy spy;
        EXPECT_EQ(Analyse(&spy), 1);
        EXPECT_EQ(spy.Count("glDrawArrays"), c.draws);
        CTraceReader::Instance().Close();
    }
}

TEST_F(AnalysisLoop, FilteredCallsAreNeitherPlayedNorApplied)
{
    const std::vector<std::string> frame2 = {Es2(kClearColor, "0,1,0,1")};
    struct SCase
    {
        const char* what;
        bool byPosition;
        uint32_t positionOffset;  // from the frame's first call number
        bool byId;
        bool skipped;
    };
    const SCase cases[] = {
        {"no filter", false, 0, false, false},
        {"by id", false, 0, true, true},
        {"by its number", true, 0, false, true},
        {"by the next call's number", true, 1, false, false},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(Open(LoadLog("filters", TwoFrames(frame2)), 2, 1));
        std::set<uint32_t> positions, ids;
        if (c.byPosition)
            positions.insert(analysis->m_firstCall + 1 + c.positionOffset);
        if (c.byId)
            ids.insert(kClearColor);
        analysis->SetCallFilters(positions, ids);
        CHostSpy spy;
        EXPECT_EQ(Analyse(&spy), 2);
        EXPECT_EQ(analysis->m_es2.clearColor[1], c.skipped ? 0.0f : 1.0f);
        EXPECT_EQ(analysis->m_es2Dirty, c.skipped ? 0 : 1);
        EXPECT_EQ(spy.Count("glClearColor"), c.skipped ? 1 : 2) << "the black clear colour of a frame without draws";
        CTraceReader::Instance().Close();
    }
}

TEST_F(AnalysisLoop, ACallRecordedWithAnErrorIsReportedNotAppliedAndThePassGoesOn)
{
    ASSERT_TRUE(Open(LoadLog("recorded-error", TwoFrames({Es2(kClearColor, "0,1,0,1", 0x500), Es2(kClear, "16384")})), 2, 1));
    CHostSpy spy;
    EXPECT_EQ(Analyse(&spy), 2);
    EXPECT_NE(out.find("Es2 Call:Error. (Recorded GL_ERROR)"), std::string::npos) << out;
    EXPECT_EQ(analysis->m_es2.clearColor[0], 1.0f) << "the frame's start value stays";
    EXPECT_EQ(spy.Count("glClear"), 2);
}

TEST_F(AnalysisLoop, AbortsAndQuitRequestsEndThePassBeforeTheNextCall)
{
    for (auto pump : {&AbortingPump, &QuitPump}) {
        ASSERT_TRUE(Open(LoadLog("abort", TwoFrames({Es2(kClear, "16384")})), 2, 1));
        g_aborting = analysis.get();
        analysis->m_windows.Pump = pump;
        CHostSpy spy;
        EXPECT_EQ(Analyse(&spy), 3);
        EXPECT_EQ(spy.calls.size(), 0u) << "before the first call";
        EXPECT_NE(out.find("CAnalysisPlayback::Analyse: USER_ABORTED\n"), std::string::npos);
        g_aborting = nullptr;
        CTraceReader::Instance().Close();
    }
    // An abort asked for before the pass starts is dropped by it.
    ASSERT_TRUE(Open(LoadLog("abort", TwoFrames({Es2(kClear, "16384")})), 2, 1));
    analysis->Abort();
    EXPECT_EQ(Analyse(), 2);
}

TEST_F(AnalysisLoop, AFailedCallEndsThePassWithItsMessages)
{
    ASSERT_TRUE(Open(LoadLog("host-error", TwoFrames({Es2(kEnable, "4660"), Es2(kClear, "16384")})), 2, 1));
    CHostSpy spy;
    EXPECT_EQ(Analyse(&spy), 0);
    EXPECT_NE(err.find("ERROR: Problem calling call"), std::string::npos) << err;
    EXPECT_EQ(spy.Count("glClear"), 0);
}

TEST_F(AnalysisLoop, AnErrorARestoreOrAFailedPassLeavesIsNotChargedToTheNextFrame)
{
    // Frame 2 sets a blend factor the host refuses: its pass fails at that call, and the restore of
    // frames 3 and 4, which start with that factor, raises the host's error again. Frames 3 and 4
    // clear only: nothing in them may be blamed for it, whatever ran before.
    std::vector<std::string> lines = TwoFrames({Es2(kBlendFunc, "4660,0"), Es2(kClear, "16384")});
    for (int frame = 3; frame <= 4; ++frame) {
        lines.push_back(Es2(kClearColor, "0,1,0,1"));
        lines.push_back(Es2(kClear, "16384"));
        lines.push_back(SwapBuffers(0x31));
    }
    CTraceData* data = LoadLog("restore-error", lines);
    ASSERT_NE(data, nullptr);
    ResetEglMaps();
    analysis = std::make_unique<CAnalysisPlayback>();
    analysis->BindTrace(data);
    for (uint32_t frame : {2u, 3u, 4u, 3u, 2u, 4u}) {
        SCOPED_TRACE(frame);
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        ASSERT_TRUE(analysis->GoToFrame(frame, 0, 1));
        analysis->SetRange(1, 1, 1);
        const int32_t result = analysis->Analyse(0);
        out = testing::internal::GetCapturedStdout();
        err = testing::internal::GetCapturedStderr();
        if (frame == 2) {
            EXPECT_EQ(result, 0) << "the refused call fails the pass";
            continue;
        }
        EXPECT_EQ(result, 2) << err;
        EXPECT_EQ(err.find("ERROR: "), std::string::npos) << err;
        const std::string restore = "Restore of frame " + std::to_string(frame) + ": GL error 0x500";
        EXPECT_NE(err.find(restore), std::string::npos) << "reported against the restore: " << err;
    }
}

TEST_F(AnalysisLoop, APlayerExceptionEndsThePassPutsTheSetUpBackAndStartsOver)
{
    // An enabled client array and a draw without captured blocks: the player throws.
    const std::string draw = "{\"id\":2041,\"err\":0,\"mode\":4,\"first\":0,\"count\":3,\"blocks\":[]}";
    ASSERT_TRUE(Open(LoadLog("throws", TwoFrames({Es2(kVertexAttribPointer, "0,2,5126,0,0,4096"),
                                                  Es2(kEnableVertexAttribArray, "0"), draw})),
                     2, 1));
    analysis->SetOption(kOptionComplexity, 1);
    XQF_HOST(*gl, glDisable)(GL_BLEND);
    CHostSpy spy;
    EXPECT_EQ(Analyse(&spy), 0);
    EXPECT_NE(err.find("invalid vector<T> subscript"), std::string::npos) << err;
    EXPECT_NE(err.find("Problem calling call"), std::string::npos) << err;
    // The complexity set-up put back after the draw: blend off again, the application's program.
    ASSERT_FALSE(spy.Of("glDisable").empty());
    EXPECT_EQ(spy.Of("glDisable").back().args[0], uint64_t(GL_BLEND));
    ASSERT_FALSE(spy.Of("glUseProgram").empty());
    EXPECT_EQ(spy.Of("glUseProgram").back().args[0], 0u);
    // Then the analysis is a new one: nothing of the host's is assumed, everything is restored next.
    EXPECT_EQ(analysis->m_eglDirty + analysis->m_es1Dirty + analysis->m_es2Dirty, 3);
    EXPECT_EQ(analysis->m_egl.contexts.Count(), 0);
    EXPECT_EQ(ContextHandleMap::Table().Count(), 0);
    EXPECT_FALSE(analysis->GetFrameBuffer(nullptr, nullptr, nullptr)) << "no image of an earlier pass";
}

TEST_F(AnalysisLoop, AnOpenLastFrameEndsInAnErrorOnceItsCallsRunOut)
{
    ASSERT_TRUE(Open(LoadLog("open", TwoFrames({Es2(kClear, "16384")}, false)), 2, 1));
    EXPECT_EQ(Analyse(), 0);
}

TEST_F(AnalysisLoop, WithoutATraceNothingIsPlayed)
{
    analysis = std::make_unique<CAnalysisPlayback>();
    EXPECT_EQ(Analyse(), 0);
    EXPECT_EQ(err, "ERROR: TraceData is not asigned\n");
}

// The application's program, host-made: a vertex and a fragment shader, linked.
GLuint AppProgram(SEs2Host& gl, GLuint* vertex)
{
    const char* vs = "attribute vec4 p; void main() { gl_Position = p; }";
    const char* fs = "void main() { gl_FragColor = vec4(1.0); }";
    const GLuint program = XQF_HOST(gl, glCreateProgram)();
    for (auto [type, source] : {std::pair{GLenum(GL_VERTEX_SHADER), vs}, std::pair{GLenum(GL_FRAGMENT_SHADER), fs}}) {
        const GLuint shader = XQF_HOST(gl, glCreateShader)(type);
        XQF_HOST(gl, glShaderSource)(shader, 1, &source, nullptr);
        XQF_HOST(gl, glCompileShader)(shader);
        XQF_HOST(gl, glAttachShader)(program, shader);
        if (type == GL_VERTEX_SHADER)
            *vertex = shader;
    }
    XQF_HOST(gl, glLinkProgram)(program);
    return program;
}

TEST_F(AnalysisLoop, TheAnalysisProgramTakesOnlyAVertexShaderTheHostReports)
{
    analysis = std::make_unique<CAnalysisPlayback>();
    analysis->BuildAnalysisPrograms();
    GLuint vertex = 0;
    const GLuint app = AppProgram(*gl, &vertex);
    struct SCase
    {
        const char* what;
        GLuint current;
        bool detachVertex;
        int attaches;
    };
    const SCase cases[] = {
        {"no program in use", 0, false, 0},
        {"a program left with its fragment shader alone", app, true, 0},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.detachVertex)
            XQF_HOST(*gl, glDetachShader)(app, vertex);
        XQF_HOST(*gl, glUseProgram)(c.current);
        CHostSpy spy;
        SpyOnEs2(spy);
        analysis->PatchComplexityShader(1);
        EXPECT_EQ(spy.Count("glAttachShader"), c.attaches);
        EXPECT_EQ(analysis->m_savedProgram, c.current);
    }
    XQF_HOST(*gl, glUseProgram)(0);
    XQF_HOST(*gl, glDeleteProgram)(app);
    XQF_HOST(*gl, glDeleteShader)(vertex);
}

TEST_F(AnalysisLoop, TheAnalysisProgramIsRelinkedOnlyWhenItsInputsChange)
{
    analysis = std::make_unique<CAnalysisPlayback>();
    analysis->BuildAnalysisPrograms();
    GLuint vertex = 0;
    const GLuint app = AppProgram(*gl, &vertex);
    ProgramNameMap::Set(9, app);
    // Each draw patches with the application's program in use (the draw before put it back).
    auto patch = [&](uint32_t mode) {
        XQF_HOST(*gl, glUseProgram)(app);
        analysis->PatchComplexityShader(mode);
    };
    CHostSpy spy;
    SpyOnEs2(spy);
    patch(1);
    patch(1);
    EXPECT_EQ(LinksOf(spy, analysis->m_complexityProgram), 1) << "the same vertex shader and bindings";
    ASSERT_EQ(spy.Count("glAttachShader"), 1);
    EXPECT_EQ(spy.Of("glAttachShader")[0].args[1], vertex);
    SEs2Attribute& bound = analysis->m_es2.linkedAttributes[9][3];
    bound.boundByName = 1;
    bound.name = "p";
    patch(1);
    EXPECT_EQ(LinksOf(spy, analysis->m_complexityProgram), 2) << "a binding changed";
    ASSERT_EQ(spy.Count("glBindAttribLocation"), 1);
    EXPECT_EQ(spy.Of("glBindAttribLocation")[0].args[1], 3u);
    patch(2);
    EXPECT_EQ(LinksOf(spy, analysis->m_highlightProgram), 1);
    EXPECT_EQ(UsesOf(spy, analysis->m_highlightProgram), 1);
    XQF_HOST(*gl, glUseProgram)(0);
    XQF_HOST(*gl, glDeleteProgram)(app);
    XQF_HOST(*gl, glDeleteShader)(vertex);
}

// Headless, every recorded display is the host's one surfaceless display, where the process may hold
// a context of its own (the host command's, these tests'). Going back to frame 1, which starts with
// no display, ends the trace's display: its context and surface go, the process's own context stays
// usable, and the next pass makes the trace's again. Ended whole, the display took the process's
// context with it, and the later cases on that context failed or crashed.
TEST_F(AnalysisLoop, EndingTheTracesDisplayLeavesAContextTheProcessMadeOnTheHost)
{
    SNativeWindowFuncs windows;
    InitNativeWindowFunctions(windows);
    SHostContext own;
    ASSERT_TRUE(own.Make(2, windows, 0x904, SEglSurfaceWindow{0x905, 16, 16})) << own.error;
    ASSERT_TRUE(Open(LoadLog("own-context", TwoFrames({Es2(kClearColor, "0,0,1,1"), Es2(kClear, "16384")})), 1, 3));
    EXPECT_EQ(Analyse(), 2);
    CHostSpy egl;
    SpyOnEgl(egl);
    testing::internal::CaptureStdout();
    EXPECT_TRUE(analysis->SetRange(1, 3, 1));
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(egl.Count("eglTerminate"), 1) << "frame 1 starts without the trace's display";
    EXPECT_EQ(egl.Count("eglDestroyContext"), 1) << "the trace's context goes all the same";
    EXPECT_EQ(Analyse(), 2);
    uint8_t* rgb = nullptr;
    uint32_t w = 0, h = 0;
    ASSERT_TRUE(analysis->GetFrameBuffer(&rgb, &w, &h));
    EXPECT_EQ(w * h, 64u * 48u) << "read from the trace's surface, made again";

    const uint32_t made = HostMakeCurrent(own.display, own.surface, own.surface, own.context);
    ASSERT_EQ(made, uint32_t(EGL_SUCCESS)) << "EGL error 0x" << std::hex << made;
    XQF_HOST(*gl, glClearColor)(0, 1, 0, 1);
    XQF_HOST(*gl, glClear)(GL_COLOR_BUFFER_BIT);
    uint8_t pixel[4] = {};
    XQF_HOST(*gl, glReadPixels)(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    EXPECT_EQ(std::vector<uint8_t>(pixel, pixel + 4), (std::vector<uint8_t>{0, 255, 0, 255}));
    own.Release();
}

} // namespace

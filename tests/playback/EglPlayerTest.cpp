// The EGL player on the host, call by call, over a wrapped EGL table: what reaches the host for
// each recorded call, and what the player keeps.
#include "CallQueries.h"
#include "EglTestSupport.h"
#include "record/XqftError.h"

#include "Es2TestSupport.h"
#include "data/TraceData.h"
#include "host/HostChecks.h"
#include "host/HostCurrent.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <stdexcept>
#include "TestPaths.h"

using namespace egltest;

namespace {

class EglPlayer : public testing::Test
{
protected:
    void SetUp() override
    {
        if (SEglHost::Instance()->IsFailed())
            GTEST_SKIP() << "no host EGL library";
        ResetEglMaps();
        ResetNameMaps();
    }
    void TearDown() override { CTraceReader::Instance().Close(); }

    // Plays every call of the log; returns each result.
    std::vector<int> Play(const std::string& name, const std::vector<std::string>& lines, uint8_t checkErrors = 0)
    {
        std::vector<int> results;
        CTraceData* data = LoadLog(name, lines);
        if (!data)
            return results;
        playback.BindTrace(data);
        testing::internal::CaptureStdout();
        for (uint32_t n = 1; n <= data->GetCallCount(); ++n)
            results.push_back(playback.PlayCall(data->GetCall(n), checkErrors));
        output = testing::internal::GetCapturedStdout();
        return results;
    }

    // Loads the log and binds it; calls are then played one by one with PlayOne.
    CTraceData* Bind(const std::string& name, const std::vector<std::string>& lines)
    {
        CTraceData* data = LoadLog(name, lines);
        if (data)
            playback.BindTrace(data);
        return data;
    }
    int PlayOne(CTraceData& data, uint32_t n)
    {
        testing::internal::CaptureStdout();
        const int result = playback.PlayCall(data.GetCall(n), 0);
        output += testing::internal::GetCapturedStdout();
        return result;
    }

    CPlayback playback;
    CHostSpy spy;
    std::string output;
};

std::string DestroyContext(int context) { return Line(1007, "\"return\":1,\"dpy\":1,\"ctx\":" + std::to_string(context)); }

struct SCase
{
    const char* what;
    std::vector<std::string> lines;
    uint8_t mode;  // the playback's mode byte (1: an analysis playback)
    std::function<void(const CHostSpy&, const CPlayback&, const std::vector<int>&)> check;
};

std::vector<std::string> Concat(std::vector<std::string> a, const std::vector<std::string>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const SCase kCases[] = {
    {"a swap recorded with an error is not replayed and counts as played",
     Concat(Session(), {SwapBuffers(0x31, EGL_BAD_SURFACE)}), 0,
     [](const CHostSpy& s, const CPlayback&, const std::vector<int>& r) {
         EXPECT_EQ(s.Count("eglSwapBuffers"), 0);
         EXPECT_EQ(r.back(), 1);
     }},
    {"a window surface made twice for one recorded surface is made once",
     Concat(Session(), {CreateWindowSurface(0x31, 0x55, 64, 48)}), 0,
     [](const CHostSpy& s, const CPlayback&, const std::vector<int>&) {
         EXPECT_EQ(s.Count("eglCreateWindowSurface"), 1);
     }},
    {"a host surface of width 1 is kept as 640 x 480",
     Session(1, 2, 0x61), 0,
     [](const CHostSpy&, const CPlayback& p, const std::vector<int>&) {
         EXPECT_EQ(p.m_surfaceWidth, 640u);
         EXPECT_EQ(p.m_surfaceHeight, 480u);
     }},
    {"a host surface of 800 x 600 is kept as it is",
     Session(800, 600, 0x62), 0,
     [](const CHostSpy&, const CPlayback& p, const std::vector<int>&) {
         EXPECT_EQ(p.m_surfaceWidth, 800u);
         EXPECT_EQ(p.m_surfaceHeight, 600u);
     }},
    {"a make-current of no context releases the host context and queries nothing",
     Concat(Session(1, 2, 0x61), {MakeCurrent(0, 0)}), 0,
     [](const CHostSpy& s, const CPlayback& p, const std::vector<int>&) {
         const std::vector<SHostCall> current = s.Of("eglMakeCurrent");
         ASSERT_EQ(current.size(), 2u);
         EXPECT_EQ(current[1].args[3], 0u) << "no context";
         EXPECT_EQ(s.Count("eglQuerySurface"), 2 + 2) << "the surface's creation and the first make-current only";
         EXPECT_EQ(p.m_surfaceWidth, 640u) << "the size kept from before (1 x 2 turned to 640 x 480)";
     }},
    {"an analysis playback turns vsync off at make-current; a replayed interval comes after",
     Concat(Session(), {Line(1029, "\"return\":1,\"dpy\":1,\"interval\":2")}), 1,
     [](const CHostSpy& s, const CPlayback&, const std::vector<int>&) {
         const std::vector<SHostCall> intervals = s.Of("eglSwapInterval");
         ASSERT_EQ(intervals.size(), 2u);
         EXPECT_EQ(intervals[0].args[1], 0u);
         EXPECT_EQ(intervals[1].args[1], 2u);
     }},
    {"a plain playback leaves vsync alone",
     Session(), 0,
     [](const CHostSpy& s, const CPlayback&, const std::vector<int>&) { EXPECT_EQ(s.Count("eglSwapInterval"), 0); }},
    {"release-tex-image passes what bind-tex-image passed",
     Concat(Session(), {Line(1026, "\"return\":1,\"dpy\":1,\"surface\":49,\"buffer\":12420"),
                        Line(1027, "\"return\":1,\"dpy\":1,\"surface\":49,\"buffer\":12420")}),
     0,
     [](const CHostSpy& s, const CPlayback&, const std::vector<int>&) {
         ASSERT_EQ(s.Count("eglBindTexImage"), 1);
         ASSERT_EQ(s.Count("eglReleaseTexImage"), 1);
         EXPECT_EQ(s.Of("eglBindTexImage")[0].args, s.Of("eglReleaseTexImage")[0].args);
         EXPECT_NE(s.Of("eglBindTexImage")[0].args[1], 0u) << "the host surface";
     }},
    {"terminate, then the same display again: mapped and initialised anew",
     Concat(Session(), {Line(1023, "\"return\":1,\"dpy\":1"), GetDisplay(), Initialize()}), 0,
     [](const CHostSpy& s, const CPlayback&, const std::vector<int>&) {
         EXPECT_EQ(s.Count("eglTerminate"), 1);
         EXPECT_NE(DisplayHandleMap::Get(1), 0u);
         EXPECT_TRUE(CPlayback::s_hostEglInitialised);
         EXPECT_EQ(SurfaceHandleMap::Get(DisplayHandleMap::Get(1), 0x31), 0u) << "the old surface is forgotten";
     }},
    {"terminating twice and destroying the current surface fail nothing",
     Concat(Session(), {Line(1008, "\"return\":1,\"dpy\":1,\"surface\":49"), Line(1023, "\"return\":1,\"dpy\":1"),
                        Line(1023, "\"return\":1,\"dpy\":1")}),
     0,
     [](const CHostSpy& s, const CPlayback&, const std::vector<int>& r) {
         EXPECT_EQ(s.Count("eglDestroySurface"), 1);
         EXPECT_FALSE(CPlayback::s_hostEglInitialised);
         for (int result : r)
             EXPECT_EQ(result, 1);
     }},
    {"a make-current naming a context never made fails before the host",
     Concat(Session(), {MakeCurrent(0x31, 0x88), SwapBuffers(0x99)}), 0,
     [](const CHostSpy& s, const CPlayback&, const std::vector<int>& r) {
         ASSERT_GE(r.size(), 2u);
         EXPECT_EQ(r[r.size() - 2], 0);
         EXPECT_NE(s.Of("eglMakeCurrent").back().args[3], 0u) << "the session's own make-current is the last";
         EXPECT_EQ(s.Of("eglSwapBuffers").back().args[1], 0u) << "a surface never made reaches the host as null";
     }},
    {"a make-current naming a surface never made fails before the host",
     Concat(Session(), {MakeCurrent(0x77, 0x21)}), 0,
     [](const CHostSpy& s, const CPlayback&, const std::vector<int>& r) {
         EXPECT_EQ(r.back(), 0);
         EXPECT_NE(s.Of("eglMakeCurrent").back().args[1], 0u);
     }},
    {"a recorded window of 0 x 0 gives no surface and the host's error",
     {GetDisplay(), Initialize(), BindApi(), CreateContext(), CreateWindowSurface(0x31, 0x56, 0, 0)}, 0,
     [](const CHostSpy& s, const CPlayback& p, const std::vector<int>& r) {
         EXPECT_EQ(s.Count("eglCreateWindowSurface"), 1);
         EXPECT_EQ(SurfaceHandleMap::Get(DisplayHandleMap::Get(1), 0x31), 0u);
         EXPECT_NE(p.m_lastHostError, uint32_t(EGL_SUCCESS));
         EXPECT_EQ(r.back(), 1) << "window-surface creation never fails the call";
     }},
    {"an unknown share context is passed as no context",
     {GetDisplay(), Initialize(), BindApi(), CreateContext(0x21, 0x999)}, 0,
     [](const CHostSpy& s, const CPlayback&, const std::vector<int>&) {
         ASSERT_EQ(s.Count("eglCreateContext"), 1);
         EXPECT_EQ(s.Of("eglCreateContext")[0].args[2], 0u);
     }},
};

TEST_F(EglPlayer, EachCallReachesTheHostAsRecorded)
{
    SpyOnEgl(spy);
    for (const SCase& c : kCases) {
        SCOPED_TRACE(c.what);
        ResetEglMaps();
        spy.calls.clear();
        playback.m_mode = c.mode;
        playback.m_surfaceWidth = playback.m_surfaceHeight = 0;
        const std::vector<int> results = Play("case", c.lines);
        c.check(spy, playback, results);
    }
}

TEST_F(EglPlayer, TheCurrentContextDestroyedLivesUntilReleasedAndItsNamesGoWithIt)
{
    SpyOnEgl(spy);
    // Calls 1-6 the session on context 0x21, 7 its destroy, 8-9 context 0x22 made and made current;
    // then 0x23 made without sharing and made current, and 0x24 sharing with 0x22 made current.
    CTraceData* data = Bind("destroy", Concat(Session(), {DestroyContext(0x21), CreateContext(0x22),
                                                          MakeCurrent(0x31, 0x22), CreateContext(0x23),
                                                          MakeCurrent(0x31, 0x23), CreateContext(0x24, 0x22),
                                                          MakeCurrent(0x31, 0x24)}));
    ASSERT_NE(data, nullptr);
    for (uint32_t n = 1; n <= 6; ++n)
        ASSERT_EQ(PlayOne(*data, n), 1);
    const uint64_t display = DisplayHandleMap::Get(1), first = ContextHandleMap::Get(display, 0x21);
    ASSERT_NE(first, 0u);
    ShaderNameMap::Set(6001, 77, 0, 0);  // a shader of the first context

    EXPECT_EQ(PlayOne(*data, 7), 1);
    EXPECT_EQ(spy.Count("eglDestroyContext"), 0) << "current: destroyed once released";
    EXPECT_EQ(ContextHandleMap::Get(display, 0x21), first) << "still mapped";
    EXPECT_EQ(reinterpret_cast<uint64_t>(XQF_HOST(*SEglHost::Instance(), eglGetCurrentContext)()), first);

    PlayOne(*data, 8);
    PlayOne(*data, 9);
    ASSERT_EQ(spy.Count("eglDestroyContext"), 1);
    EXPECT_EQ(spy.Of("eglDestroyContext")[0].args[1], first);
    const std::vector<std::string> names = spy.Names();
    EXPECT_LT(std::find(names.begin(), names.end(), "eglMakeCurrent") - names.begin(),
              std::find(names.begin(), names.end(), "eglDestroyContext") - names.begin());
    EXPECT_EQ(ContextHandleMap::Get(display, 0x21), 0u);
    const uint64_t second = ContextHandleMap::Get(display, 0x22);
    EXPECT_EQ(reinterpret_cast<uint64_t>(XQF_HOST(*SEglHost::Instance(), eglGetCurrentContext)()), second);
    EXPECT_EQ(ShaderNameMap::Get(6001).host, 0u) << "the destroyed context's names are gone";
    EXPECT_EQ(TextureNameMap::Get(0), 0u) << "the default objects stay named 0";
    ShaderNameMap::Set(6001, 88, 0, 0);

    PlayOne(*data, 10);
    PlayOne(*data, 11);
    EXPECT_EQ(ShaderNameMap::Get(6001).host, 0u) << "a context sharing nothing has names of its own";
    ShaderNameMap::Set(6001, 99, 0, 0);
    PlayOne(*data, 12);
    PlayOne(*data, 13);
    EXPECT_EQ(ShaderNameMap::Get(6001).host, 88u) << "a context sharing with 0x22 has its names";
    EXPECT_EQ(spy.Count("eglDestroyContext"), 1);
}

// The draw checks key the strides the trace gave to the context the player made current, kept
// without asking the host: each context has its notes, a switch finds them again, and a context made
// anew starts with none.
TEST_F(EglPlayer, StrideNotesFollowTheContextTheHostHasCurrent)
{
    // Calls 1-6 the session on context 0x21, 7-8 context 0x22 made and made current, 9 back to 0x21,
    // 10 nothing current, 11 0x21 again.
    CTraceData* data = Bind("strides", Concat(Session(), {CreateContext(0x22), MakeCurrent(0x31, 0x22),
                                                          MakeCurrent(0x31, 0x21), MakeCurrent(0, 0),
                                                          MakeCurrent(0x31, 0x21)}));
    ASSERT_NE(data, nullptr);
    auto hostCurrent = [] { return XQF_HOST(*SEglHost::Instance(), eglGetCurrentContext)(); };
    for (uint32_t n = 1; n <= 6; ++n)
        ASSERT_EQ(PlayOne(*data, n), 1);
    ASSERT_NE(hostCurrent(), nullptr);
    EXPECT_EQ(HostCurrentContext(), hostCurrent());
    // A stride above the 16 bits the host keeps: the recorded one stands while the host agrees.
    NoteArrayStride(0, 0x10010);
    NoteArrayStride(kEs1ArrayStrides + 2, 0x20008);
    EXPECT_EQ(RecordedArrayStride(0, 0x10), 0x10010u);
    EXPECT_EQ(RecordedArrayStride(0, 0x20), 0x20u) << "the host's stride where it disagrees";
    EXPECT_EQ(RecordedArrayStride(kEs1ArrayStrides + 2, 8), 0x20008u);

    PlayOne(*data, 7);
    PlayOne(*data, 8);
    EXPECT_EQ(HostCurrentContext(), hostCurrent());
    EXPECT_EQ(RecordedArrayStride(0, 0x10), 0x10u) << "another context has no note";
    NoteArrayStride(0, 0x30010);
    NoteArrayStride(900, 0x40004);  // an index no host has: kept all the same
    EXPECT_EQ(RecordedArrayStride(900, 4), 0x40004u);

    PlayOne(*data, 9);
    EXPECT_EQ(HostCurrentContext(), hostCurrent());
    EXPECT_EQ(RecordedArrayStride(0, 0x10), 0x10010u) << "the first context's note again";
    EXPECT_EQ(RecordedArrayStride(900, 4), 4u);
    PlayOne(*data, 10);
    EXPECT_EQ(HostCurrentContext(), nullptr);
    PlayOne(*data, 11);
    EXPECT_EQ(RecordedArrayStride(kEs1ArrayStrides + 2, 8), 0x20008u);

    ForgetArrayStrides(HostCurrentContext());  // as when a context is made at this address
    EXPECT_EQ(RecordedArrayStride(0, 0x10), 0x10u);
}

TEST_F(EglPlayer, ADisplayNeverGotIsTheHostDefaultInitialisedOnceWithOneWarning)
{
    SpyOnEgl(spy);
    const std::vector<std::string> lines = {Initialize(), BindApi(), CreateContext(),
                                            CreateWindowSurface(0x31, 0x55, 64, 48), MakeCurrent(0x31, 0x21),
                                            SwapBuffers(0x31)};
    testing::internal::CaptureStderr();
    const std::vector<int> results = Play("no-display", lines, 1);
    const std::string errors = testing::internal::GetCapturedStderr();
    for (int r : results)
        EXPECT_EQ(r, 1);
    EXPECT_EQ(spy.Count("eglGetDisplay"), 1);
    EXPECT_EQ(spy.Count("eglInitialize"), 1);
    ASSERT_NE(DisplayHandleMap::Get(1), 0u);
    EXPECT_NE(ContextHandleMap::Get(DisplayHandleMap::Get(1), 0x21), 0u);
    EXPECT_NE(XQF_HOST(*SEglHost::Instance(), eglGetCurrentContext)(), EGL_NO_CONTEXT);
    size_t warnings = 0;
    for (size_t at = errors.find("WARNING: "); at != std::string::npos; at = errors.find("WARNING: ", at + 1))
        ++warnings;
    EXPECT_EQ(warnings, 1u) << errors;
    EXPECT_NE(errors.find("EGLDisplay 1 was never got in the trace"), std::string::npos) << errors;
}

// A GL call played while the host has no context current: one ERROR line naming the call by number
// and name, and the call fails (not a later, misleading complaint about what the missing context
// answers).
TEST_F(EglPlayer, AGlCallWithNoContextCurrentFailsWithOneErrorLineNamingIt)
{
    const std::string clear = "{\"id\":" + std::to_string(CallIdOf(ECallFamily::Es2, "glClear")) +
                              ",\"f\":\"glClear\",\"err\":0,\"v\":[16384]}";
    testing::internal::CaptureStderr();
    const std::vector<int> results = Play("no-context", Concat(Session(), {clear, MakeCurrent(0, 0), clear}), 1);
    const std::string errors = testing::internal::GetCapturedStderr();
    ASSERT_EQ(results.size(), 9u);
    EXPECT_EQ(results[6], 1) << "drawn with the session's context current";
    EXPECT_EQ(results[8], 0);
    const std::string line = "ERROR: call 9 glClear: no context is current on the host; the call is not played\n";
    EXPECT_NE(errors.find(line), std::string::npos) << errors;
    EXPECT_EQ(errors.find("ERROR: "), errors.rfind("ERROR: ")) << "one line: " << errors;
}

// A refused call of a trace is named by its number, its function and the argument at fault, in the
// one wording every player refuses in.
TEST_F(EglPlayer, ARefusalNamesTheCallsNumberFunctionAndArgument)
{
    const std::string subData = "{\"id\":" + std::to_string(CallIdOf(ECallFamily::Es2, "glBufferSubData")) +
                                ",\"f\":\"glBufferSubData\",\"err\":0,"
                                "\"v\":[34962,0,16,{\"p\":256,\"hex\":\"01020304\"}]}";
    testing::internal::CaptureStderr();
    const std::vector<int> results = Play("refusal", Concat(Session(), {subData}), 1);
    const std::string errors = testing::internal::GetCapturedStderr();
    ASSERT_EQ(results.size(), 7u);
    EXPECT_EQ(results[6], 0);
    EXPECT_NE(errors.find("ERROR: call 7 glBufferSubData: data: holds 4 bytes of the 16 the host reads; the call is "
                          "not played\n"),
              std::string::npos)
        << errors;
}

TEST_F(EglPlayer, WithErrorChecksOffEveryEglCallCountsAsPlayed)
{
    // Every record layout of every id of the current format, with zero handles, then a session with
    // real ones: only the configuration search needs a display, and it gets one in the session.
    const std::string every = TestTemp("every.xqft");
    ASSERT_EQ(RunCommand("python3 " + SourceDir() + "/tools/xqftgen.py egl-every '" + every + "'").status, 0);
    ASSERT_EQ(CTraceReader::Instance().LoadTrace(CXQFTString(every.c_str()), 1), 0);
    CTraceData* data = CTraceReader::Instance().GetTraceData();
    playback.BindTrace(data);
    testing::internal::CaptureStdout();
    for (uint32_t n = 1; n <= data->GetCallCount(); ++n) {
        CApiCall& call = *data->GetCall(n)->call;
        const int id = call.GetId();
        if (id > CallIdOf(ECallFamily::Egl, "eglWaitClient") || id == CallIdOf(ECallFamily::Egl, "eglCreateContext") ||
            id == CallIdOf(ECallFamily::Egl, "eglCreatePbufferSurface") ||
            id == CallIdOf(ECallFamily::Egl, "eglCreateWindowSurface"))
            continue;
        EXPECT_EQ(playback.PlayCall(data->GetCall(n), 1), 1) << call.GetName();
    }
    testing::internal::GetCapturedStdout();
    std::remove(every.c_str());
    for (int result : Play("session", Concat(Session(), {SwapBuffers(0x31)}), 1))
        EXPECT_EQ(result, 1);
}

TEST_F(EglPlayer, AnOlderWindowSurfaceRecordLacksTheConfigListAndThrows)
{
    // The layout before format version 7: the window as four words, no config attribute list.
    es2test::SPayload p;
    p.U32(EGL_SUCCESS).U32(0x31).U32(1).U32(0x11).U32(0x55).Words({64, 48, 0, 0}).Ptr(0).U32(0);
    es2test::SReadCall built =
        es2test::BuildCall(CallIdOf(ECallFamily::Egl, "eglCreateWindowSurface"), p.bytes, true, 4, 6);
    ASSERT_NE(built.call, nullptr);
    STraceCall entry(1, std::move(built.call), 0);
    try {
        playback.PlayCall(&entry, 0);
        ADD_FAILURE() << "no exception";
    } catch (const CXqftError& e) {
        EXPECT_STREQ(e.what(), "invalid vector<T> subscript");
    }
}

} // namespace

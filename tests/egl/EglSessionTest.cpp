// A generated EGL session loaded end to end: how every call lists itself in both data modes,
// the EGL state snapshotted per frame, and the frame images.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "EglFrameImage.h"
#include "LoadFixture.h"
#include "apicall/ApiCall.h"
#include "apicall/CallInfo.h"
#include "TestPaths.h"

namespace {
std::string Text(const SApiTypeBase* value)
{
    CXQFTString text;
    value->ToString(text, nullptr);
    return text.CStr();
}

// "API name(arg=text, ...) ==> return", every argument of the verbose description included.
std::string Line(STraceCall& entry)
{
    const CGenCallInfo* info = entry.GetCallInfo();
    std::string line = std::string(info->GetApi()) + " " + info->GetFunctionName() + "(";
    if (const auto* values = info->GetArguments())
        for (size_t i = 0; i < values->size(); ++i)
            line += (i ? ", " : "") + std::string(info->GetArgumentNames()[i].CStr()) + "=" + Text((*values)[i]);
    line += ")";
    if (info->GetReturnValue())
        line += " ==> " + Text(info->GetReturnValue());
    return line;
}

std::vector<std::string> AllLines()
{
    std::vector<std::string> lines;
    CTraceData* data = CTraceReader::Instance().GetTraceData();
    for (uint32_t n = 1; n <= data->GetCallCount(); ++n)
        lines.push_back(Line(*data->GetCall(n)));
    return lines;
}

SEglState FrameState(uint32_t frame)
{
    SEglState s;
    EXPECT_TRUE(CTraceReader::Instance().GetTraceData()->GetFrameEglState(frame, &s));
    return s;
}

const std::vector<std::string> kFrameLines = {
    "EGL eglGetError() ==> EGL_SUCCESS",
    "EGL eglSwapBuffers(dpy=EGLDisplay(1), surface=EGLSurface(49), frame=1, width=4, height=2, frameData=~Data(32 bytes)~) ==> EGL_TRUE",
    "EGL eglGetError() ==> EGL_SUCCESS",
    "EGL eglSwapBuffers(dpy=EGLDisplay(1), surface=EGLSurface(49), frame=2, width=4, height=2, frameData=~Data(32 bytes)~) ==> EGL_TRUE",
    "EGL eglMakeCurrent(dpy=EGLDisplay(1), draw=EGL_NO_SURFACE, read=EGL_NO_SURFACE, ctx=EGL_NO_CONTEXT) ==> EGL_TRUE",
    "EGL eglDestroySurface(dpy=EGLDisplay(1), surface=EGLSurface(49)) ==> EGL_TRUE",
    "EGL eglDestroyContext(dpy=EGLDisplay(1), ctx=EGLContext(33)) ==> EGL_TRUE",
    "EGL eglTerminate(dpy=EGLDisplay(1)) ==> EGL_TRUE",
};
}  // namespace

TEST(EglSession, ListsEveryCallInBothDataModes)
{
    struct SMode
    {
        const char* gen;
        std::vector<std::string> setup;
    };
    const SMode modes[] = {
        {"egl-session --frames 2 --frame-image 1 --data-included 1",
         {"EGL eglGetDisplay(NativeDisplayType=EGL_DEFAULT_DISPLAY) ==> EGLDisplay(1)",
          "EGL eglInitialize(dpy=EGLDisplay(1), major_v={ 1 }, minor_v={ 4 }) ==> EGL_TRUE",
          "EGL eglBindAPI(api=EGL_OPENGL_ES_API) ==> EGL_TRUE",
          "EGL eglChooseConfig(dpy=EGLDisplay(1), attrib_list={ EGL_RED_SIZE : 8, EGL_GREEN_SIZE : ... }, "
          "configs={ 17 }, config_size=1, num_config={ 1 }) ==> EGL_TRUE",
          "EGL eglCreateContext(dpy=EGLDisplay(1), config=17, share_context=EGL_NO_CONTEXT, "
          "attrib_list_contex={ EGL_CONTEXT_CLIENT_VERSION : EGL_WR... }, "
          "attrib_list_config={ EGL_RED_SIZE : 8, EGL_GREEN_SIZE : ... }) ==> EGLContext(33)",
          "EGL eglCreateWindowSurface(dpy=EGLDisplay(1), config=17, win=85, attrib_list=NULL, "
          "attrib_list={ EGL_RENDER_BUFFER : EGL_BACK_BUFFER,  }) ==> EGLSurface(49)",
          "EGL eglMakeCurrent(dpy=EGLDisplay(1), draw=EGLSurface(49), read=EGLSurface(49), ctx=EGLContext(33)) ==> EGL_TRUE",
          "EGL eglSwapInterval(dpy=EGLDisplay(1), interval=0) ==> EGL_TRUE"}},
        {"egl-session --frames 2 --frame-image 1 --data-included 0",
         {"EGL eglGetDisplay(NativeDisplayType=EGL_DEFAULT_DISPLAY) ==> EGLDisplay(1)",
          "EGL eglInitialize(dpy=EGLDisplay(1), major_v=0x1200, minor_v=0x1300) ==> EGL_TRUE",
          "EGL eglBindAPI(api=EGL_OPENGL_ES_API) ==> EGL_TRUE",
          "EGL eglChooseConfig(dpy=EGLDisplay(1), attrib_list=0x1200, configs=0x1300, config_size=1, "
          "num_config=0x1500) ==> EGL_TRUE",
          "EGL eglCreateContext(dpy=EGLDisplay(1), config=17, share_context=EGL_NO_CONTEXT, attrib_list=0x1400, "
          "attrib_list_config=0x1500) ==> EGLContext(33)",
          "EGL eglCreateWindowSurface(dpy=EGLDisplay(1), config=17, win=0x1300, attrib_list=NULL, "
          "attrib_list=0x1500) ==> EGLSurface(49)",
          "EGL eglMakeCurrent(dpy=EGLDisplay(1), draw=EGLSurface(49), read=EGLSurface(49), ctx=EGLContext(33)) ==> EGL_TRUE",
          "EGL eglSwapInterval(dpy=EGLDisplay(1), interval=0) ==> EGL_TRUE"}},
    };
    for (const SMode& mode : modes) {
        SCOPED_TRACE(mode.gen);
        ASSERT_EQ(QuietLoad(GenerateTrace("session.xqft", mode.gen)).result, 0);
        std::vector<std::string> expected = mode.setup;
        expected.insert(expected.end(), kFrameLines.begin(), kFrameLines.end());
        const std::vector<std::string> lines = AllLines();
        ASSERT_EQ(lines.size(), expected.size());
        for (size_t i = 0; i < lines.size(); ++i)
            EXPECT_EQ(lines[i], expected[i]) << "call " << i + 1;
    }
    CTraceReader::Instance().Close();
}

TEST(EglSession, StateAtFrameTwo)
{
    for (const char* data : {"1", "0"}) {
        SCOPED_TRACE(data);
        // Draw and read surfaces apart, so that a swap of the two shows.
        ASSERT_EQ(QuietLoad(GenerateTrace("s.xqft", std::string("egl-session --frames 2 --read-surface 0x32 "
                                                                "--data-included ") + data)).result, 0);
        SEglState s = FrameState(2);
        ASSERT_EQ(s.displays.Count(), 1);
        EXPECT_EQ(s.displays[1].initialized, 1);
        EXPECT_EQ(s.displays[1].swapInterval, 0u);
        ASSERT_EQ(s.contexts.Count(), 1);
        const SEglContext& ctx = s.contexts[0x21];
        EXPECT_EQ(ctx.display, 1u);
        EXPECT_EQ(ctx.config, 0x11u);
        ASSERT_EQ(s.surfaces.Count(), 1);
        const SEglSurface& surface = s.surfaces[0x31];
        if (data[0] == '1') {
            EXPECT_EQ(ctx.attributes, SEglAttribArray((const uint32_t[]){0x3098, 2, 0x3038}, 3));
            EXPECT_EQ(surface.window.handle, 0x55u);
            EXPECT_EQ(surface.window.width, 4u);
            EXPECT_EQ(surface.attributes.Count(), 3u);  // the second, verbose-only list
        } else {
            EXPECT_EQ(ctx.attributes.Count(), 0u);
            EXPECT_EQ(surface.window.handle, 0u);
            EXPECT_EQ(surface.window.width, 0u);
        }
        EXPECT_EQ(s.currentContext, 0x21u);
        EXPECT_EQ(s.currentDisplay, 1u);
        EXPECT_EQ(s.currentDrawSurface, 0x31u);
        EXPECT_EQ(s.currentReadSurface, 0x32u);
        EXPECT_EQ(s.currentApi, 0x30A0u);
        // Frames in which no EGL call changed the state share one snapshot.
        CTraceData* trace = CTraceReader::Instance().GetTraceData();
        EXPECT_EQ(trace->GetFrame(3)->Egl(), trace->GetFrame(2)->Egl());
    }
    // The teardown after the last frame shows in the running state only.
    const SEglState& running = CTraceReader::Instance().GetTraceData()->RunningEglState();
    EXPECT_EQ(running.contexts.Count(), 0);
    EXPECT_EQ(running.surfaces.Count(), 0);
    EXPECT_EQ(running.currentContext, 0u);
    CTraceReader::Instance().Close();
}

TEST(EglSession, FailedCallsAndUnknownHandlesChangeNothing)
{
    ASSERT_EQ(QuietLoad(GenerateTrace("plain.xqft", "egl-session --frames 1")).result, 0);
    const SEglState plain = FrameState(2);
    ASSERT_EQ(QuietLoad(GenerateTrace("odd.xqft", "egl-session --frames 1 --fail-create --destroy-unknown")).result, 0);
    const SEglState odd = FrameState(2);
    EXPECT_EQ(odd.contexts.Count(), plain.contexts.Count());
    EXPECT_EQ(odd.contexts.Get(0x99), nullptr);  // the failed eglCreateContext added nothing
    EXPECT_EQ(odd.displays.Count(), plain.displays.Count());
    EXPECT_EQ(odd.surfaces.Count(), 1);
    EXPECT_NE(odd.surfaces.Get(0x31), nullptr);

    // Before version 9 eglMakeCurrent is not tracked.
    ASSERT_EQ(QuietLoad(GenerateTrace("v8.xqft", "egl-session --frames 1 --version 8 --image 0x0")).result, 0);
    const SEglState v8 = FrameState(2);
    EXPECT_EQ(v8.currentContext, 0u);
    EXPECT_EQ(v8.currentDrawSurface, 0u);
    EXPECT_EQ(v8.contexts.Count(), 1);
    CTraceReader::Instance().Close();
}

TEST(EglSession, FrameImagesComeOutAsRecorded)
{
    const std::string prefix = TempPath("frame");
    const std::string path = GenerateTrace("img.xqft", "egl-session --frames 3 --image 5x3 --frame-image 1 --images-to " + prefix);
    ASSERT_EQ(QuietLoad(path).result, 0);
    CTraceData* data = CTraceReader::Instance().GetTraceData();
    const std::vector<unsigned char> recorded = ReadFileBytes(prefix + "2.rgba");
    ASSERT_EQ(recorded.size(), 5u * 3 * 4);

    const STraceFrame* frame = data->GetFrame(2);
    SFrameImage image;
    CXQFTString error;
    ASSERT_TRUE(GetFrameImage(data->GetCall(frame->endCall)->call.get(), image, error)) << error.CStr();
    EXPECT_EQ(image.width, 5u);
    EXPECT_EQ(image.height, 3u);
    EXPECT_TRUE(std::equal(recorded.begin(), recorded.end(), image.rgba));
    EXPECT_FALSE(GetFrameImage(data->GetCall(1)->call.get(), image, error));  // eglGetDisplay carries none

    // The dump tool writes it top row first, without alpha.
    std::vector<unsigned char> ppm = {'P', '6', '\n', '5', ' ', '3', '\n', '2', '5', '5', '\n'};
    for (int y = 2; y >= 0; --y)
        for (int x = 0; x < 5; ++x)
            for (int c = 0; c < 3; ++c)
                ppm.push_back(recorded[(y * 5 + x) * 4 + c]);
    const std::string out = TempPath("frame2.ppm");
    const std::string cmd = BinaryDir() + "/bin/xqft-dump frame-image '" + path + "' --frame 2 '" + out + "' 2>/dev/null";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    EXPECT_EQ(ReadFileBytes(out), ppm);
    CTraceReader::Instance().Close();
}

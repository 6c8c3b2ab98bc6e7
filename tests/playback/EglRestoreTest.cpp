// Restoring a frame's EGL state on the host, over a wrapped EGL table.
#include "EglTestSupport.h"

#include "egl/EglRestore.h"

#include <gtest/gtest.h>

using namespace egltest;

namespace {

const std::vector<uint32_t> kConfig = {EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8, EGL_ALPHA_SIZE, 8,
                                       EGL_DEPTH_SIZE, 24, EGL_STENCIL_SIZE, 8, EGL_SURFACE_TYPE, 5, EGL_NONE};

// A state with one initialised display, a context and a window surface of the given size, current.
SEglState OneWindow(uint64_t display = 1, uint32_t width = 64, uint32_t height = 48, uint64_t surface = 0x31)
{
    SEglState s;
    s.displays[display] = SEglDisplay{display, 0, 1, 1};
    SEglContext& c = s.contexts[0x21];
    c.context = 0x21;
    c.display = display;
    c.config = 0x11;
    const uint32_t contextAttribs[] = {0x3098, 2, EGL_NONE};
    c.attributes = SEglAttribArray(contextAttribs, 3);
    SEglSurface& w = s.surfaces[surface];
    w.surface = surface;
    w.display = display;
    w.config = 0x11;
    w.window = {0x55 + surface, width, height};
    w.attributes = SEglAttribArray(kConfig.data(), kConfig.size());
    s.currentDisplay = display;
    s.currentContext = 0x21;
    s.currentDrawSurface = s.currentReadSurface = surface;
    s.currentApi = EGL_OPENGL_ES_API;
    return s;
}

class EglRestore : public testing::Test
{
protected:
    void SetUp() override
    {
        if (SEglHost::Instance()->IsFailed())
            GTEST_SKIP() << "no host EGL library";
        ResetEglMaps();
        SpyOnEgl(spy);
        testing::internal::CaptureStdout();  // the config match's listing
    }
    void TearDown() override { output = testing::internal::GetCapturedStdout(); }

    // Restores `snapshot` over `current`, which then holds what the host holds.
    void Restore(const SEglState& snapshot, SEglState& current)
    {
        SEglState copy = snapshot;
        RestoreEglState(copy, 2, current);
        current = snapshot;
    }

    CHostSpy spy;
    std::string output;
};

TEST_F(EglRestore, TheSameFrameTwiceMakesAndDestroysNothingTheSecondTime)
{
    SEglState current;
    Restore(OneWindow(), current);
    EXPECT_EQ(spy.Count("eglCreateWindowSurface"), 1);
    EXPECT_EQ(spy.Count("eglCreateContext"), 1);
    EXPECT_EQ(spy.Count("eglMakeCurrent"), 1);
    EXPECT_TRUE(CPlayback::s_hostEglInitialised);
    const uint64_t host = DisplayHandleMap::Get(1);
    EGLint width = 0;
    XQF_HOST(*SEglHost::Instance(), eglQuerySurface)(reinterpret_cast<EGLDisplay>(host),
                                                     reinterpret_cast<EGLSurface>(SurfaceHandleMap::Get(host, 0x31)),
                                                     EGL_WIDTH, &width);
    EXPECT_EQ(width, 64);
    spy.calls.clear();
    Restore(OneWindow(), current);
    for (const char* made : {"eglGetDisplay", "eglInitialize", "eglCreateWindowSurface", "eglCreateContext",
                             "eglDestroySurface", "eglDestroyContext", "eglTerminate", "eglMakeCurrent"})
        EXPECT_EQ(spy.Count(made), 0) << made;
}

TEST_F(EglRestore, ObjectsOnlyThePlaybackHeldAreDestroyedBeforeNewOnesAreMade)
{
    SEglState current;
    Restore(OneWindow(1, 64, 48, 0x31), current);
    spy.calls.clear();
    Restore(OneWindow(1, 32, 16, 0x32), current);
    ASSERT_EQ(spy.Count("eglDestroySurface"), 1);
    ASSERT_EQ(spy.Count("eglCreateWindowSurface"), 1);
    size_t destroyed = 0, made = 0;
    for (size_t i = 0; i < spy.calls.size(); ++i) {
        destroyed = spy.calls[i].name == "eglDestroySurface" ? i : destroyed;
        made = spy.calls[i].name == "eglCreateWindowSurface" ? i : made;
    }
    EXPECT_LT(destroyed, made);
    EXPECT_EQ(spy.Count("eglMakeCurrent"), 1) << "the current surface changed on the same display";
    EXPECT_EQ(SurfaceHandleMap::Get(DisplayHandleMap::Get(1), 0x31), 0u);
}

TEST_F(EglRestore, ASurfaceOfADisplayTheHostDoesNotKnowIsSkipped)
{
    SEglState snapshot = OneWindow();
    snapshot.surfaces[0x40] = snapshot.surfaces[0x31];
    snapshot.surfaces[0x40].surface = 0x40;
    snapshot.surfaces[0x40].display = 7;  // no display 7 in the snapshot
    SEglState current;
    Restore(snapshot, current);
    EXPECT_EQ(spy.Count("eglCreateWindowSurface"), 1);
}

TEST_F(EglRestore, AShareContextIsTranslatedAndAnUnknownOneIsNone)
{
    SEglState snapshot = OneWindow();
    SEglContext second = snapshot.contexts[0x21];
    second.context = 0x22;
    second.shareContext = 0x21;
    snapshot.contexts[0x22] = second;
    SEglContext third = second;
    third.context = 0x23;
    third.shareContext = 0x999;
    snapshot.contexts[0x23] = third;
    SEglState current;
    Restore(snapshot, current);
    const std::vector<SHostCall> made = spy.Of("eglCreateContext");
    ASSERT_EQ(made.size(), 3u);
    const uint64_t host = DisplayHandleMap::Get(1);
    EXPECT_EQ(made[1].args[2], ContextHandleMap::Get(host, 0x21));
    EXPECT_NE(made[1].args[2], 0u);
    EXPECT_EQ(made[2].args[2], 0u);
}

TEST_F(EglRestore, ABindingNamingAHandleNeverMadeIsRefusedAndNamed)
{
    // Each handle unknown beside known ones: a check of one handle through another's host object
    // lets the binding through.
    struct SCase
    {
        uint64_t context, draw, read;
        const char* what;
    };
    const SCase cases[] = {{0x99, 0x31, 0x31, "context 0x99"},
                           {0x21, 0x99, 0x31, "draw surface 0x99"},
                           {0x21, 0x31, 0x99, "read surface 0x99"}};
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.what);
        ResetEglMaps();
        spy.calls.clear();
        SEglState snapshot = OneWindow();
        snapshot.currentContext = c.context;
        snapshot.currentDrawSurface = c.draw;
        snapshot.currentReadSurface = c.read;
        SEglState current;
        testing::internal::CaptureStderr();
        const bool restored = RestoreEglState(snapshot, 2, current);
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_FALSE(restored);
        EXPECT_NE(err.find(std::string("ERROR: Restore of eglMakeCurrent: unknown ") + c.what), std::string::npos) << err;
        EXPECT_EQ(spy.Count("eglMakeCurrent"), 0);
    }
}

TEST_F(EglRestore, TwoRecordedDisplaysAndOneTerminated)
{
    SEglState both = OneWindow(1);
    both.displays[2] = SEglDisplay{2, 0x77, 1, 1};
    SEglState current;
    Restore(both, current);
    EXPECT_NE(DisplayHandleMap::Get(2), 0u);
    spy.calls.clear();
    Restore(OneWindow(1), current);
    EXPECT_EQ(spy.Count("eglTerminate"), 1);
    EXPECT_EQ(DisplayHandleMap::Get(2), 0u);
    EXPECT_NE(DisplayHandleMap::Get(1), 0u);
    // The first display still works: the host kept it (headless, both share one display).
    const uint64_t host = DisplayHandleMap::Get(1);
    EXPECT_NE(XQF_HOST(*SEglHost::Instance(), eglQueryString)(reinterpret_cast<EGLDisplay>(host), EGL_VENDOR), nullptr);
}

} // namespace

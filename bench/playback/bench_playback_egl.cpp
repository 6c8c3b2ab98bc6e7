// EGL on the host: restoring a frame's EGL state.
//  1. The first restore of a frame (display, config match, window surface, context, current binding)
//     against making the same objects directly through the same table. Goal: within 1.5x.
//  2. The same frame restored again. Goal: under 50 us, nothing made or destroyed.
//  3. A config matched before. Goal: under 1 us.
// The restore's config listing goes to /dev/null while it is timed.
#include "BenchSupport.h"
#include "Playback.h"
#include "egl/EglMaps.h"
#include "egl/EglRestore.h"
#include "host/HostTables.h"

#include <EGL/egl.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
using namespace xqft::bench;

const uint32_t kConfig[] = {EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8, EGL_ALPHA_SIZE, 8, EGL_DEPTH_SIZE, 24,
                            EGL_STENCIL_SIZE, 8, EGL_SURFACE_TYPE, 5, EGL_RENDERABLE_TYPE, 4, EGL_NONE};

SEglState Frame(uint64_t display, uint64_t window, uint64_t config)
{
    SEglState s;
    s.displays[display] = SEglDisplay{display, 0, 1, 1};
    SEglContext& c = s.contexts[0x21];
    c.context = 0x21;
    c.display = display;
    c.config = config;
    const uint32_t contextAttribs[] = {0x3098, 2, EGL_NONE};
    c.attributes = SEglAttribArray(contextAttribs, 3);
    SEglSurface& w = s.surfaces[0x31];
    w.surface = 0x31;
    w.display = display;
    w.config = config;
    w.window = {window, 800, 600};
    w.attributes = SEglAttribArray(kConfig, std::size(kConfig));
    s.currentDisplay = display;
    s.currentContext = 0x21;
    s.currentDrawSurface = s.currentReadSurface = 0x31;
    s.currentApi = EGL_OPENGL_ES_API;
    return s;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Standard output into a file while the restore lists its config.
struct SQuiet
{
    int saved;
    SQuiet()
    {
        fflush(stdout);
        saved = dup(1);
        const int sink = open("/dev/null", O_WRONLY);
        dup2(sink, 1);
        close(sink);
    }
    ~SQuiet()
    {
        fflush(stdout);
        dup2(saved, 1);
        close(saved);
    }
};
} // namespace

int main()
{
    SEglHost& egl = *SEglHost::Instance();
    if (egl.IsFailed())
        return 1;
    SNativeWindowFuncs windows;
    InitNativeWindowFunctions(windows);
    // The host initialises its display once per process (about 30 ms): not part of either figure.
    const NativeHandle native = GetNativeDisplayWindow(windows, 0);
    EGLDisplay display = XQF_HOST(egl, eglGetDisplay)(reinterpret_cast<EGLNativeDisplayType>(native));
    XQF_HOST(egl, eglInitialize)(display, nullptr, nullptr);
    // So is the first context's driver set-up: a context is made current once before timing.
    {
        EGLConfig any = nullptr;
        EGLint n = 0;
        const EGLint anyList[] = {EGL_RENDERABLE_TYPE, 4, EGL_NONE};
        XQF_HOST(egl, eglChooseConfig)(display, anyList, &any, 1, &n);
        const EGLint attribs[] = {0x3098, 2, EGL_NONE};
        const NativeHandle w = CreatePlaybackWindow(windows, SEglSurfaceWindow{0x6FF, 64, 64}, native);
        EGLSurface s = XQF_HOST(egl, eglCreateWindowSurface)(display, any, EGLNativeWindowType(w), nullptr);
        EGLContext c = XQF_HOST(egl, eglCreateContext)(display, any, EGL_NO_CONTEXT, attribs);
        XQF_HOST(egl, eglMakeCurrent)(display, s, s, c);
        XQF_HOST(egl, eglMakeCurrent)(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        XQF_HOST(egl, eglDestroyContext)(display, c);
        XQF_HOST(egl, eglDestroySurface)(display, s);
    }

    // Both are timed in alternation over several rounds (the medians are printed): each round makes
    // a new window surface and context, and its restore matches a config it has not seen.
    const EGLint list[] = {EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8, EGL_ALPHA_SIZE, 8, EGL_DEPTH_SIZE, 24,
                           EGL_STENCIL_SIZE, 8, EGL_SURFACE_TYPE, 5, EGL_RENDERABLE_TYPE, 4, EGL_NONE};
    const EGLint contextAttribs[] = {0x3098, 2, EGL_NONE};
    std::vector<double> direct, restored;
    SEglState snapshot, current;
    double again = 0;
    for (uint32_t round = 0; round < 15; ++round) {
        const auto d0 = Clock::now();
        display = XQF_HOST(egl, eglGetDisplay)(reinterpret_cast<EGLNativeDisplayType>(native));
        XQF_HOST(egl, eglInitialize)(display, nullptr, nullptr);
        XQF_HOST(egl, eglBindAPI)(EGL_OPENGL_ES_API);
        EGLConfig config = nullptr;
        EGLint count = 0;
        XQF_HOST(egl, eglChooseConfig)(display, list, &config, 1, &count);
        const NativeHandle window = CreatePlaybackWindow(windows, SEglSurfaceWindow{0x700 + round, 800, 600}, native);
        EGLSurface surface = XQF_HOST(egl, eglCreateWindowSurface)(display, config, EGLNativeWindowType(window), nullptr);
        EGLContext context = XQF_HOST(egl, eglCreateContext)(display, config, EGL_NO_CONTEXT, contextAttribs);
        XQF_HOST(egl, eglMakeCurrent)(display, surface, surface, context);
        direct.push_back(Seconds(d0, Clock::now()));
        XQF_HOST(egl, eglMakeCurrent)(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        XQF_HOST(egl, eglDestroyContext)(display, context);
        XQF_HOST(egl, eglDestroySurface)(display, surface);

        SQuiet quiet;
        snapshot = Frame(1, 0x800 + round, 0x300 + round);
        current = SEglState();
        if (round > 0)
            current.displays[1] = snapshot.displays[1];  // the display made in the first round
        const auto r0 = Clock::now();
        RestoreEglState(snapshot, 2, current);
        restored.push_back(Seconds(r0, Clock::now()));
        current = snapshot;
        const int rounds = 1000;
        const auto a0 = Clock::now();
        for (int i = 0; i < rounds; ++i)
            RestoreEglState(snapshot, 2, current);
        again = Seconds(a0, Clock::now()) / rounds;
        XQF_HOST(egl, eglMakeCurrent)(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    }
    const uint64_t host = DisplayHandleMap::Get(1);
    const int rounds = 1'000'000;
    void* matched = nullptr;
    const auto m0 = Clock::now();
    for (int i = 0; i < rounds; ++i)
        matched = MatchEglConfig(host, 0x300, kConfig, uint32_t(std::size(kConfig)));
    const double match = Seconds(m0, Clock::now()) / rounds;
    const double first = Median(restored), made = Median(direct);
    std::printf("first restore: %.3f ms, the same objects made directly: %.3f ms, ratio %.2f (goal <= 1.5)\n",
                first * 1e3, made * 1e3, first / made);
    std::printf("second restore: %.2f us (goal < 50 us)\n", again * 1e6);
    std::printf("cached config match: %.1f ns (goal < 1000 ns) [%p]\n", match * 1e9, matched);
    return 0;
}

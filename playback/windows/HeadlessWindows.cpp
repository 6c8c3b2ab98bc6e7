// The headless back end: no window system. A recorded display gets a token, a recorded window a
// token that keeps its size; EGL renders to pbuffers of that size on the surfaceless platform.
#include "EglAdapters.h"
#include "NativeWindows.h"
#include "egl/EglMaps.h"
#include "host/HostTables.h"

#include <EGL/eglext.h>

#include <map>
#include <utility>
#include <vector>

namespace headless {
namespace {

struct SWindowToken
{
    uint32_t width;
    uint32_t height;
};

// Tokens are never reused, so a stale handle never meets a newer window.
constexpr NativeHandle kFirstDisplayToken = 0x7D000001;
constexpr NativeHandle kFirstWindowToken = 0x7E000001;
NativeHandle g_nextDisplay = kFirstDisplayToken;
NativeHandle g_nextWindow = kFirstWindowToken;

std::map<NativeHandle, SWindowToken>& Windows()
{
    static std::map<NativeHandle, SWindowToken> windows;
    return windows;
}

EGLDisplay EGLAPIENTRY GetDisplay(EGLNativeDisplayType)
{
    return EglLibraryEntries().PlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY);
}

EGLBoolean EGLAPIENTRY ChooseConfig(EGLDisplay display, const EGLint* attribs, EGLConfig* configs, EGLint size,
                                    EGLint* count)
{
    const SEglLibraryEntries& e = EglLibraryEntries();
    if (!attribs)
        return e.chooseConfig(display, attribs, configs, size, count);
    std::vector<EGLint> list;
    bool surfaceType = false;
    for (const EGLint* a = attribs; *a != EGL_NONE; a += 2) {
        EGLint value = a[1];
        if (a[0] == EGL_SURFACE_TYPE && value != EGL_DONT_CARE && (value & EGL_WINDOW_BIT))
            value = (value & ~EGL_WINDOW_BIT) | EGL_PBUFFER_BIT;
        surfaceType |= a[0] == EGL_SURFACE_TYPE;
        list.push_back(a[0]);
        list.push_back(value);
    }
    // A list without a surface type asks for EGL's default, the window bit.
    if (!surfaceType)
        list.insert(list.end(), {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT});
    list.push_back(EGL_NONE);
    return e.chooseConfig(display, list.data(), configs, size, count);
}

EGLSurface EGLAPIENTRY CreateWindowSurface(EGLDisplay display, EGLConfig config, EGLNativeWindowType window,
                                           const EGLint*)
{
    const SEglLibraryEntries& e = EglLibraryEntries();
    uint32_t width = 0, height = 0;
    if (!WindowTokenSize(window, width, height) || !e.FitsConfig(display, config, width, height))
        return e.Refused(display, config);
    const EGLint attribs[] = {EGL_WIDTH, EGLint(width), EGL_HEIGHT, EGLint(height), EGL_NONE};
    return e.createPbufferSurface(display, config, attribs);
}

// Destroys the contexts and surfaces the maps name on the display: what terminating it would take of
// the replay's, while the process holds other objects on it.
EGLBoolean DestroyReplayObjects(EGLDisplay display)
{
    const uint64_t host = reinterpret_cast<uint64_t>(display);
    std::vector<uint64_t> contexts, surfaces;
    if (const CHandleTable<uint64_t>* table = std::as_const(ContextHandleMap::Table()).Get(host))
        for (const auto& entry : *table)
            contexts.push_back(entry.record);
    if (const CHandleTable<uint64_t>* table = std::as_const(SurfaceHandleMap::Table()).Get(host))
        for (const auto& entry : *table)
            surfaces.push_back(entry.record);
    SEglHost& egl = *SEglHost::Instance();
    for (uint64_t context : contexts)
        if (context)
            XQF_HOST(egl, eglDestroyContext)(display, reinterpret_cast<EGLContext>(context));
    for (uint64_t surface : surfaces)
        if (surface)
            EglLibraryEntries().destroySurface(display, reinterpret_cast<EGLSurface>(surface));
    return EGL_TRUE;
}

// Every recorded display shares the one surfaceless display: a replay's eglTerminate ends it on the
// host only with the last recorded display still on it (the caller forgets the recorded display
// afterwards), and never under a context the process made outside replay (a held display): then
// only the replay's objects go. A call with no recorded display on it is the holder's own.
EGLBoolean EGLAPIENTRY Terminate(EGLDisplay display)
{
    int users = 0;
    for (const auto& entry : std::as_const(DisplayHandleMap::Table()))
        users += entry.record == reinterpret_cast<uint64_t>(display);
    if (users > 1)
        return EGL_TRUE;
    if (users == 1 && HostDisplayHeld(display))
        return DestroyReplayObjects(display);
    return EglLibraryEntries().terminate(display);
}

} // namespace

NativeHandle CreatePlaybackWindow() { return g_nextDisplay++; }

NativeHandle MovePlaybackWindow(int32_t width, uint32_t height, const char*, NativeHandle)
{
    PlaybackWindowSize(width, height);
    const NativeHandle token = g_nextWindow++;
    Windows()[token] = {width > 0 ? uint32_t(width) : 0u, height};
    return token;
}

void DestroyPlaybackWindow(NativeHandle window, NativeHandle) { Windows().erase(window); }

bool PumpPlaybackMessages(NativeHandle)
{
    ServeQtEvents();
    return true;
}

bool WindowTokenSize(NativeHandle window, uint32_t& width, uint32_t& height)
{
    const auto it = Windows().find(window);
    if (it == Windows().end())
        return false;
    width = it->second.width;
    height = it->second.height;
    return true;
}

void InstallEglAdapters(SEglHost& egl)
{
    if (EglLibraryEntries().getPlatformDisplay)
        XQF_HOST_SLOT(egl, eglGetDisplay) = reinterpret_cast<void*>(&GetDisplay);
    if (EglLibraryEntries().chooseConfig)
        XQF_HOST_SLOT(egl, eglChooseConfig) = reinterpret_cast<void*>(&ChooseConfig);
    if (EglLibraryEntries().createPbufferSurface)
        XQF_HOST_SLOT(egl, eglCreateWindowSurface) = reinterpret_cast<void*>(&CreateWindowSurface);
    if (EglLibraryEntries().terminate)
        XQF_HOST_SLOT(egl, eglTerminate) = reinterpret_cast<void*>(&Terminate);
}

} // namespace headless

#include "EglRestore.h"

#include "EglCurrent.h"
#include "EglMaps.h"
#include "FreshSurfaces.h"
#include "Diagnostics.h"
#include "Playback.h"
#include "host/HostTables.h"

#include <EGL/egl.h>

#include <utility>
#include <vector>

namespace {

EGLDisplay Host(uint64_t recordedDisplay) { return reinterpret_cast<EGLDisplay>(DisplayHandleMap::Get(recordedDisplay)); }

void ClearErrors(SEglHost& egl)
{
    XQF_HOST(egl, eglGetError)();
    XQF_HOST(egl, eglGetError)();
}

// A recorded attribute list as the host takes it: within its count, ended with EGL_NONE.
std::vector<EGLint> Terminated(const SEglAttribArray& a)
{
    std::vector<EGLint> list;
    for (uint32_t i = 0; i + 1 < a.Count() && EGLint(a[i]) != EGL_NONE; i += 2)
        list.insert(list.end(), {EGLint(a[i]), EGLint(a[i + 1])});
    list.push_back(EGL_NONE);
    return list;
}

// The API version a recorded context attribute list asks for (EGL's default, 1, when it names none).
int ClientVersion(const SEglAttribArray& a)
{
    for (uint32_t i = 0; i + 1 < a.Count() && EGLint(a[i]) != EGL_NONE; i += 2)
        if (EGLint(a[i]) == EGL_CONTEXT_CLIENT_VERSION)
            return int(a[i + 1]);
    return 1;
}

// For each record of `from`, whether `in` holds one that pairs with it.
template <class T, class Same>
std::vector<bool> Paired(const CHandleTable<T>& from, const CHandleTable<T>& in, Same same)
{
    std::vector<bool> paired(size_t(from.Count()), false);
    for (int32_t i = 0; i < from.Count(); ++i)
        if (const T* other = in.Get(from.KeyAt(i)))
            paired[size_t(i)] = same(from.At(i), *other);
    return paired;
}

} // namespace

bool RestoreEglState(SEglState& snapshot, uint32_t frame, SEglState& current)
{
    SEglHost& egl = *SEglHost::Instance();
    SNativeWindowFuncs windows;
    InitNativeWindowFunctions(windows);
    const CHandleTable<SEglDisplay>& snapDisplays = snapshot.displays;
    const CHandleTable<SEglDisplay>& curDisplays = current.displays;

    // Displays: terminate what only the playback's state holds, then get and initialise the rest.
    const std::vector<bool> keptDisplays = Paired(curDisplays, snapDisplays, [](auto&, auto&) { return true; });
    for (int32_t i = 0; i < curDisplays.Count(); ++i)
        if (!keptDisplays[size_t(i)] && Host(curDisplays.KeyAt(i))) {
            XQF_HOST(egl, eglTerminate)(Host(curDisplays.KeyAt(i)));
            DestroyDisplay(curDisplays.KeyAt(i));
        }
    for (int32_t i = 0; i < snapDisplays.Count(); ++i) {
        const uint64_t recorded = snapDisplays.KeyAt(i);
        const SEglDisplay& d = snapDisplays.At(i);
        if (const SEglDisplay* held = curDisplays.Get(recorded)) {
            if (d.initialized && !held->initialized) {
                XQF_HOST(egl, eglInitialize)(Host(recorded), nullptr, nullptr);
                CPlayback::s_hostEglInitialised = true;
                XQF_HOST(egl, eglBindAPI)(snapshot.currentApi);
            }
            continue;
        }
        EGLDisplay host = Host(recorded);
        if (!host) {
            const NativeHandle native = GetNativeDisplayWindow(windows, d.nativeDisplayId);
            host = XQF_HOST(egl, eglGetDisplay)(reinterpret_cast<EGLNativeDisplayType>(native));
            DisplayHandleMap::Set(recorded, reinterpret_cast<uint64_t>(host), native);
        }
        if (d.initialized) {
            XQF_HOST(egl, eglInitialize)(host, nullptr, nullptr);
            CPlayback::s_hostEglInitialised = true;
        }
        XQF_HOST(egl, eglBindAPI)(snapshot.currentApi);
    }
    ClearErrors(egl);

    // Window surfaces, paired by handle, display and config.
    auto sameSurface = [](const SEglSurface& a, const SEglSurface& b) { return a.display == b.display && a.config == b.config; };
    const CHandleTable<SEglSurface>& snapSurfaces = snapshot.surfaces;
    const CHandleTable<SEglSurface>& curSurfaces = current.surfaces;
    const std::vector<bool> keptSurfaces = Paired(curSurfaces, snapSurfaces, sameSurface);
    const std::vector<bool> heldSurfaces = Paired(snapSurfaces, curSurfaces, sameSurface);
    for (int32_t i = 0; i < curSurfaces.Count(); ++i) {
        const SEglSurface& s = curSurfaces.At(i);
        const uint64_t host = DisplayHandleMap::Get(s.display);
        if (keptSurfaces[size_t(i)] || !host)
            continue;
        XQF_HOST(egl, eglDestroySurface)(reinterpret_cast<EGLDisplay>(host),
                                         reinterpret_cast<EGLSurface>(SurfaceHandleMap::Get(host, curSurfaces.KeyAt(i))));
        SurfaceHandleMap::Erase(host, curSurfaces.KeyAt(i));
    }
    for (int32_t i = 0; i < snapSurfaces.Count(); ++i) {
        const SEglSurface& s = snapSurfaces.At(i);
        const uint64_t host = DisplayHandleMap::Get(s.display);
        if (heldSurfaces[size_t(i)] || !host)
            continue;
        void* config = MatchEglConfig(host, s.config, s.attributes.Values(), s.attributes.Count());
        const NativeHandle window = CreatePlaybackWindow(windows, s.window, DisplayNativeHandleMap::Get(host));
        EGLSurface surface = XQF_HOST(egl, eglCreateWindowSurface)(reinterpret_cast<EGLDisplay>(host), config,
                                                                   EGLNativeWindowType(window), nullptr);
        SurfaceHandleMap::Set(host, snapSurfaces.KeyAt(i), reinterpret_cast<uint64_t>(surface));
        NoteNewSurface(reinterpret_cast<uint64_t>(surface));
    }
    ClearErrors(egl);

    // Contexts, paired the same way; the share context is translated (a device's handle means
    // nothing to the host).
    auto sameContext = [](const SEglContext& a, const SEglContext& b) { return a.display == b.display && a.config == b.config; };
    const CHandleTable<SEglContext>& snapContexts = snapshot.contexts;
    const CHandleTable<SEglContext>& curContexts = current.contexts;
    const std::vector<bool> keptContexts = Paired(curContexts, snapContexts, sameContext);
    const std::vector<bool> heldContexts = Paired(snapContexts, curContexts, sameContext);
    for (int32_t i = 0; i < curContexts.Count(); ++i) {
        const SEglContext& c = curContexts.At(i);
        const uint64_t host = DisplayHandleMap::Get(c.display);
        if (keptContexts[size_t(i)] || !host)
            continue;
        DestroyHostContext(host, curContexts.KeyAt(i));
    }
    for (int32_t i = 0; i < snapContexts.Count(); ++i) {
        const SEglContext& c = snapContexts.At(i);
        const uint64_t host = DisplayHandleMap::Get(c.display);
        if (heldContexts[size_t(i)] || !host)
            continue;
        // (A context recorded without a config keeps the recorded context's list only: nothing of a
        // config is matched from it.)
        void* config = HostContextConfig({&snapshot, nullptr, frame}, host, snapContexts.KeyAt(i), c.config,
                                         c.attributes.Values(), c.attributes.Count(), ClientVersion(c.attributes));
        const std::vector<EGLint> attribs = Terminated(c.attributes);
        EGLContext share = reinterpret_cast<EGLContext>(ContextHandleMap::Get(host, c.shareContext));
        EGLContext context = XQF_HOST(egl, eglCreateContext)(reinterpret_cast<EGLDisplay>(host), config, share,
                                                             attribs.data());
        ContextHandleMap::Set(host, snapContexts.KeyAt(i), reinterpret_cast<uint64_t>(context));
        NoteHostContext(reinterpret_cast<uint64_t>(context), reinterpret_cast<uint64_t>(share));
    }
    ClearErrors(egl);

    // The current binding, when the snapshot's differs from what the host was given last.
    const bool sameBinding = snapshot.currentDisplay == current.currentDisplay &&
                             snapshot.currentContext == current.currentContext &&
                             snapshot.currentDrawSurface == current.currentDrawSurface &&
                             snapshot.currentReadSurface == current.currentReadSurface;
    const uint64_t host = DisplayHandleMap::Get(snapshot.currentDisplay);
    bool known = true;
    if (snapshot.currentDisplay != 0 && !sameBinding && host) {
        EGLDisplay d = reinterpret_cast<EGLDisplay>(host);
        EGLSurface draw = reinterpret_cast<EGLSurface>(SurfaceHandleMap::Get(host, snapshot.currentDrawSurface));
        EGLSurface read = reinterpret_cast<EGLSurface>(SurfaceHandleMap::Get(host, snapshot.currentReadSurface));
        uint64_t context = ContextHandleMap::Get(host, snapshot.currentContext);
        // A binding the trace made with a handle it never made has nothing on the host to bind.
        const std::pair<uint64_t, const char*> unknown[] = {
            {context ? 0 : snapshot.currentContext, "context"},
            {draw ? 0 : snapshot.currentDrawSurface, "draw surface"},
            {read ? 0 : snapshot.currentReadSurface, "read surface"}};
        for (const auto& [handle, what] : unknown)
            if (known && handle != 0) {
                PlaybackError("Restore of eglMakeCurrent: unknown %s 0x%llx: the trace never made it\n", what,
                              static_cast<unsigned long long>(handle));
                known = false;
            }
        if (!known) {
            ClearErrors(egl);
            return false;
        }
        const uint32_t made = MakeCurrentOnHost(host, draw, read, reinterpret_cast<void*>(context));
        ClearNewSurface(host, reinterpret_cast<uint64_t>(draw), context);
        AfterHostMakeCurrent();
        if (made != EGL_SUCCESS) {
            PlaybackError("Restore of eglMakeCurrent: the host refused to make context 0x%llx current (EGL error "
                          "0x%x)\n", static_cast<unsigned long long>(snapshot.currentContext), made);
            known = false;
        }
        EGLint width = 0, height = 0;
        XQF_HOST(egl, eglQuerySurface)(d, draw, EGL_WIDTH, &width);
        XQF_HOST(egl, eglQuerySurface)(d, draw, EGL_HEIGHT, &height);
        uint32_t w = uint32_t(width), h = uint32_t(height);
        RememberWindowSize(&w, &h, &context);
    }
    ClearErrors(egl);
    return known;
}

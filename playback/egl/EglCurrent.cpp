#include "EglCurrent.h"

#include "EglMaps.h"
#include "host/HostCurrent.h"
#include "host/HostExtensions.h"
#include "host/HostTables.h"

#include "data/TraceData.h"
#include "state/EglState.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <algorithm>
#include <map>
#include <utility>

namespace {

// How many frame snapshots the search for a config-less context's surface reads at most: a trace
// makes such a context current with its window within its first frames.
constexpr uint32_t kSnapshotsSearched = 64;

// The config of the window surface the state has the context current with; null without one.
void* ConfigOfWindow(const SEglState& egl, uint64_t hostDisplay, uint64_t recordedContext)
{
    const SEglSurface* window = egl.currentContext == recordedContext ? egl.surfaces.Get(egl.currentDrawSurface)
                                                                     : nullptr;
    return window ? MatchEglConfig(hostDisplay, window->config, window->attributes.Values(), window->attributes.Count())
                  : nullptr;
}

// The same from the state at hand, else from the first frame start from origin.frame on that has one.
void* ConfigOfFirstWindow(const SContextOrigin& origin, uint64_t hostDisplay, uint64_t recordedContext)
{
    if (origin.start)
        if (void* config = ConfigOfWindow(*origin.start, hostDisplay, recordedContext))
            return config;
    if (!origin.trace)
        return nullptr;
    const uint32_t last = uint32_t(std::min<uint64_t>(uint64_t(std::max(origin.trace->GetFrameCount(), 0)),
                                                      uint64_t(origin.frame) + kSnapshotsSearched));
    for (uint32_t f = std::max(origin.frame, 1u); f <= last; ++f) {
        SEglState egl;
        if (origin.trace->GetFrameEglState(f, &egl))
            if (void* config = ConfigOfWindow(egl, hostDisplay, recordedContext))
                return config;
    }
    return nullptr;
}

// The first host config of the attributes, null when the host has none.
void* ChooseFirst(EGLDisplay display, const EGLint* attributes)
{
    SEglHost& egl = *SEglHost::Instance();
    EGLConfig config = nullptr;
    EGLint count = 0;
    if (!XQF_HOST(egl, eglChooseConfig)(display, attributes, &config, 1, &count) || count < 1)
        return nullptr;
    return config;
}

EGLint RenderableBit(int clientVersion) { return clientVersion == 1 ? EGL_OPENGL_ES_BIT : EGL_OPENGL_ES2_BIT; }

// The 1 x 1 pbuffers standing in for no surface, by host display and config.
std::map<std::pair<uint64_t, uint64_t>, EGLSurface>& StandIns()
{
    static std::map<std::pair<uint64_t, uint64_t>, EGLSurface> surfaces;
    return surfaces;
}

// A pbuffer the context works with: of its config, or (a context made without one) of any config
// of its API with pbuffers.
EGLSurface StandIn(EGLDisplay display, EGLContext context)
{
    SEglHost& egl = *SEglHost::Instance();
    EGLint id = 0, version = 2;
    XQF_HOST(egl, eglQueryContext)(display, context, EGL_CONFIG_ID, &id);
    XQF_HOST(egl, eglQueryContext)(display, context, EGL_CONTEXT_CLIENT_VERSION, &version);
    const EGLint byId[] = {EGL_CONFIG_ID, id, EGL_NONE};
    const EGLint anyPbuffer[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, RenderableBit(version),
                                 EGL_NONE};
    void* config = id > 0 ? ChooseFirst(display, byId) : ChooseFirst(display, anyPbuffer);
    if (!config)
        return EGL_NO_SURFACE;
    EGLSurface& kept = StandIns()[{reinterpret_cast<uint64_t>(display), reinterpret_cast<uint64_t>(config)}];
    if (kept == EGL_NO_SURFACE) {
        const EGLint size[] = {EGL_WIDTH, 1, EGL_HEIGHT, 1, EGL_NONE};
        kept = XQF_HOST(egl, eglCreatePbufferSurface)(display, static_cast<EGLConfig>(config), size);
    }
    return kept;
}

} // namespace

bool HostDisplayOffers(uint64_t hostDisplay, const char* extension)
{
    SEglHost& egl = *SEglHost::Instance();
    if (egl.IsFailed())
        return false;
    const char* offered = XQF_HOST(egl, eglQueryString)(reinterpret_cast<EGLDisplay>(hostDisplay), EGL_EXTENSIONS);
    return HasExtension(offered, extension);
}

void* HostContextConfig(const SContextOrigin& origin, uint64_t hostDisplay, uint64_t recordedContext,
                        uint64_t recordedConfig, const uint32_t* attributes, uint32_t count, int clientVersion)
{
    if (recordedConfig != 0)
        return MatchEglConfig(hostDisplay, recordedConfig, attributes, count);
    if (HostDisplayOffers(hostDisplay, "EGL_KHR_no_config_context"))
        return EGL_NO_CONFIG_KHR;
    if (void* window = ConfigOfFirstWindow(origin, hostDisplay, recordedContext))
        return window;
    const EGLint rgba[] = {EGL_SURFACE_TYPE, EGL_WINDOW_BIT | EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE,
                           RenderableBit(clientVersion), EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8,
                           EGL_ALPHA_SIZE, 8, EGL_NONE};
    if (void* config = ChooseFirst(reinterpret_cast<EGLDisplay>(hostDisplay), rgba))
        return config;
    return MatchEglConfig(hostDisplay, 0, nullptr, 0);
}

uint32_t MakeCurrentOnHost(uint64_t hostDisplay, void* draw, void* read, void* context)
{
    EGLDisplay display = reinterpret_cast<EGLDisplay>(hostDisplay);
    if (context && !draw && !read && !HostDisplayOffers(hostDisplay, "EGL_KHR_surfaceless_context")) {
        if (EGLSurface standIn = StandIn(display, static_cast<EGLContext>(context)))
            draw = read = standIn;
    }
    return HostMakeCurrent(display, draw, read, context);
}

void DropStandInSurfaces(uint64_t hostDisplay)
{
    SEglHost& egl = *SEglHost::Instance();
    auto& standIns = StandIns();
    for (auto it = standIns.begin(); it != standIns.end();) {
        if (it->first.first != hostDisplay) {
            ++it;
            continue;
        }
        if (it->second != EGL_NO_SURFACE && !egl.IsFailed())
            XQF_HOST(egl, eglDestroySurface)(reinterpret_cast<EGLDisplay>(hostDisplay), it->second);
        it = standIns.erase(it);
    }
}

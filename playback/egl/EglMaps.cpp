#include "EglMaps.h"

#include "Diagnostics.h"
#include "Playback.h"
#include "host/HostChecks.h"
#include "host/HostCurrent.h"
#include "host/HostTables.h"
#include "maps/NameMaps.h"

#include <EGL/egl.h>

#include <cstdio>
#include <map>
#include <utility>
#include <vector>

CHandleTable<uint64_t>& DisplayHandleMap::Table()
{
    static CHandleTable<uint64_t> table;
    return table;
}

void DisplayHandleMap::Set(uint64_t recorded, uint64_t host, uint64_t native)
{
    Table()[recorded] = host;
    DisplayNativeHandleMap::Table()[host] = native;
}

uint64_t DisplayHandleMap::Get(uint64_t recorded)
{
    if (recorded == 0)
        return 0;
    const uint64_t* host = std::as_const(Table()).Get(recorded);
    return host ? *host : 0;
}

uint64_t HostDisplayOrDefault(SNativeWindowFuncs& windows, uint64_t recorded)
{
    if (recorded == 0)
        return 0;
    if (const uint64_t host = DisplayHandleMap::Get(recorded))
        return host;
    SEglHost& egl = *SEglHost::Instance();
    const NativeHandle native = GetNativeDisplayWindow(windows, 0);
    EGLDisplay display = XQF_HOST(egl, eglGetDisplay)(reinterpret_cast<EGLNativeDisplayType>(native));
    if (display == EGL_NO_DISPLAY)
        return 0;
    PlaybackWarning("EGLDisplay %llu was never got in the trace: playing it on the host's default display",
                    static_cast<unsigned long long>(recorded));
    XQF_HOST(egl, eglInitialize)(display, nullptr, nullptr);
    CPlayback::s_hostEglInitialised = true;
    DisplayHandleMap::Set(recorded, reinterpret_cast<uint64_t>(display), native);
    return reinterpret_cast<uint64_t>(display);
}

CHandleTable<uint64_t>& DisplayNativeHandleMap::Table()
{
    static CHandleTable<uint64_t> table;
    return table;
}

uint64_t DisplayNativeHandleMap::Get(uint64_t host)
{
    if (host == 0)
        return 0;
    const uint64_t* native = std::as_const(Table()).Get(host);
    return native ? *native : 0;
}

void ResetDisplayObjects(uint64_t hostDisplay)
{
    SurfaceHandleMap::Table()[hostDisplay].Reset();
    ContextHandleMap::Table()[hostDisplay].Reset();
    if (ContextHandleMap::Table().Count() == 1)
        ContextHandleMap::Table().Reset();
}

void DestroyDisplay(uint64_t recordedDisplay)
{
    const uint64_t host = DisplayHandleMap::Get(recordedDisplay);
    DisplayHandleMap::Table().Erase(recordedDisplay);
    DisplayNativeHandleMap::Table().Erase(host);
    SurfaceHandleMap::Table().Erase(host);
    ContextHandleMap::Table().Erase(host);
    ConfigHandleMap::Table().Erase(host);
    PlaybackLine("Destroying Displays: %d, remain: %d", int(recordedDisplay), DisplayHandleMap::Table().Count());
}

void RememberWindowSize(uint32_t* width, uint32_t* height, uint64_t* handle)
{
    static uint32_t rememberedWidth = 0, rememberedHeight = 0;
    static uint64_t rememberedHandle = 0;
    auto keep = [](auto* value, auto asks, auto& remembered) {
        if (!value)
            return;
        if (*value == asks)
            *value = remembered;
        else
            remembered = *value;
    };
    keep(width, 0xFFFFFFFFu, rememberedWidth);
    keep(height, 0xFFFFFFFFu, rememberedHeight);
    keep(handle, uint64_t(0), rememberedHandle);
}

namespace {

struct SWaiting
{
    uint64_t display, recorded, host;
};

struct SHostContexts
{
    std::map<uint64_t, uint64_t> groupOf;     // host context -> the group's first context
    std::map<uint64_t, uint32_t> groupSizes;  // group -> its contexts not yet destroyed
    std::vector<SWaiting> waiting;            // destroyed while current
};

SHostContexts& HostContexts()
{
    static SHostContexts contexts;
    return contexts;
}

uint64_t GroupOf(uint64_t host)
{
    const auto it = HostContexts().groupOf.find(host);
    return it == HostContexts().groupOf.end() ? host : it->second;
}

void DestroyNow(uint64_t display, uint64_t recorded, uint64_t host)
{
    SHostContexts& c = HostContexts();
    XQF_HOST(*SEglHost::Instance(), eglDestroyContext)(reinterpret_cast<EGLDisplay>(display),
                                                       reinterpret_cast<EGLContext>(host));
    if (ContextHandleMap::Get(display, recorded) == host)
        ContextHandleMap::Erase(display, recorded);
    if (host == 0)
        return;
    const uint64_t group = GroupOf(host);
    c.groupOf.erase(host);
    const auto size = c.groupSizes.find(group);
    if (size != c.groupSizes.end() && --size->second > 0)
        return;
    c.groupSizes.erase(group);
    DropNameMapGroup(group);
}

} // namespace

void NoteHostContext(uint64_t hostContext, uint64_t hostShare)
{
    if (hostContext == 0)
        return;
    SHostContexts& c = HostContexts();
    const uint64_t group = hostShare ? GroupOf(hostShare) : hostContext;
    if (group == hostContext) {  // forgets an earlier context at the same address (a terminated display's)
        DropNameMapGroup(group);
        c.groupSizes[group] = 0;
    }
    c.groupOf[hostContext] = group;
    ++c.groupSizes[group];
    ForgetArrayStrides(reinterpret_cast<void*>(hostContext));
}

void DestroyHostContext(uint64_t hostDisplay, uint64_t recordedContext)
{
    const uint64_t host = ContextHandleMap::Get(hostDisplay, recordedContext);
    const uint64_t current =
        reinterpret_cast<uint64_t>(XQF_HOST(*SEglHost::Instance(), eglGetCurrentContext)());
    if (host != 0 && host == current) {
        HostContexts().waiting.push_back({hostDisplay, recordedContext, host});
        return;
    }
    DestroyNow(hostDisplay, recordedContext, host);
}

void AfterHostMakeCurrent()
{
    SHostContexts& c = HostContexts();
    const uint64_t current = reinterpret_cast<uint64_t>(HostCurrentContext());
    std::vector<SWaiting> still;
    const std::vector<SWaiting> waiting = std::move(c.waiting);
    c.waiting.clear();
    for (const SWaiting& w : waiting) {
        if (w.host == current)
            still.push_back(w);
        else
            DestroyNow(w.display, w.recorded, w.host);
    }
    c.waiting.insert(c.waiting.end(), still.begin(), still.end());
    if (current != 0)
        BindNameMapGroup(GroupOf(current));
}

void ForgetContextsWaitingOn(uint64_t hostDisplay)
{
    std::vector<SWaiting>& waiting = HostContexts().waiting;
    std::erase_if(waiting, [&](const SWaiting& w) { return w.display == hostDisplay; });
}

// What the EGL calls that change the tracked state do to it. Handles are the recorded 32-bit
// values widened to 64 bits. Creating over an existing handle overwrites that entry in place;
// destroying an unknown handle changes nothing.
#include <vector>

#include "EglRecords.h"

namespace xqft::egl {
namespace {
uint64_t Handle(uint32_t recorded) { return recorded; }

// A copy of a recorded attribute list up to and including its EGL_NONE (none without data).
SEglAttribArray CopyAttribs(const EglInts& list)
{
    const size_t n = list.ElementCount();
    if (n == 0)
        return {};
    std::vector<uint32_t> values(n);
    for (size_t i = 0; i < n; ++i)
        values[i] = static_cast<uint32_t>(list[i].value);
    return SEglAttribArray(values.data(), n);
}
}  // namespace

bool EglEffect(const CEgl_eglGetDisplay_v6& c, SEglState& s)
{
    const uint64_t dpy = Handle(c.Item<"return">().Value());
    SEglDisplay& d = s.displays[dpy];
    d.display = dpy;
    d.nativeDisplayId = c.Item<"NativeDisplayType">().Value();
    return true;
}

bool EglEffect(const CEgl_eglInitialize_v7& c, SEglState& s)
{
    const uint64_t dpy = Handle(c.Item<"dpy">().Value());
    SEglDisplay& d = s.displays[dpy];
    d.display = dpy;
    d.initialized = static_cast<uint8_t>(c.Item<"return">().Value());
    return true;
}

bool EglEffect(const CEgl_eglSwapInterval_v1& c, SEglState& s)
{
    s.displays[Handle(c.Item<"dpy">().Value())].swapInterval =
        static_cast<uint32_t>(c.Item<"interval">().Value());
    return true;
}

bool EglEffect(const CEgl_eglCreateContext_v1& c, SEglState& s)
{
    const uint64_t ctx = Handle(c.Item<"return">().Value());
    SEglContext& r = s.contexts[ctx];
    r.context = ctx;
    r.display = Handle(c.Item<"dpy">().Value());
    r.config = Handle(c.Item<"config">().Value());
    r.shareContext = Handle(c.Item<"share_context">().Value());
    r.attributes = CopyAttribs(c.Item<"attrib_list_contex">().data);
    return true;
}

bool EglEffect(const CEgl_eglDestroyContext_v1& c, SEglState& s)
{
    s.contexts.Remove(Handle(c.Item<"ctx">().Value()));
    return true;
}

bool EglEffect(const CEgl_eglCreateWindowSurface_v7& c, SEglState& s)
{
    const uint64_t surface = Handle(c.Item<"return">().Value());
    SEglSurface& r = s.surfaces[surface];
    r.surface = surface;
    r.display = Handle(c.Item<"dpy">().Value());
    r.config = Handle(c.Item<"config">().Value());
    const SEglNativeWindowDesc& win = c.Item<"win">().data;  // all zero without data
    r.window = {win.handle.value, win.width, win.height};
    // The surface keeps the second, verbose-only list, not the one passed as the argument.
    r.attributes = CopyAttribs(c.Item<"surface_attrib_list">().item.data);
    return true;
}

bool EglEffect(const CEgl_eglDestroySurface_v1& c, SEglState& s)
{
    s.surfaces.Remove(Handle(c.Item<"surface">().Value()));
    return true;
}

bool EglEffect(const CEgl_eglMakeCurrent_v2& c, SEglState& s)
{
    s.currentContext = Handle(c.Item<"ctx">().Value());
    s.currentDisplay = Handle(c.Item<"dpy">().Value());
    s.currentDrawSurface = Handle(c.Item<"draw">().Value());
    s.currentReadSurface = Handle(c.Item<"read">().Value());
    return true;
}

bool EglEffect(const CEgl_eglBindAPI_v1& c, SEglState& s)
{
    s.currentApi = c.Item<"api">().Value();
    return true;
}

}  // namespace xqft::egl

#include "HostContext.h"

#include "host/HostCurrent.h"
#include "host/HostTables.h"
#include "windows/EglAdapters.h"

#include <EGL/egl.h>

#include <cstdio>

bool SHostContext::Make(uint8_t api, SNativeWindowFuncs& windows, uint64_t recordedDisplay,
                        const SEglSurfaceWindow& window)
{
    SEglHost& egl = *SEglHost::Instance();
    char text[96];
    auto fail = [&](const char* what) {
        std::snprintf(text, sizeof text, "%s failed (EGL error 0x%X)", what, XQF_HOST(egl, eglGetError)());
        error = text;
        return false;
    };
    if (holdsDisplay)
        ReleaseHostDisplay(display);
    holdsDisplay = false;
    const NativeHandle native = GetNativeDisplayWindow(windows, recordedDisplay);
    display = XQF_HOST(egl, eglGetDisplay)(reinterpret_cast<EGLNativeDisplayType>(native));
    if (!display || !XQF_HOST(egl, eglInitialize)(display, nullptr, nullptr))
        return fail("eglInitialize");
    HoldHostDisplay(display);  // a replay's eglTerminate on a shared display leaves this context
    holdsDisplay = true;
    if (!XQF_HOST(egl, eglBindAPI)(EGL_OPENGL_ES_API))
        return fail("eglBindAPI");
    const EGLint attribs[] = {EGL_RENDERABLE_TYPE, api == kEsVersion1 ? EGL_OPENGL_ES_BIT : EGL_OPENGL_ES2_BIT,
                              EGL_SURFACE_TYPE,    EGL_WINDOW_BIT,
                              EGL_RED_SIZE,        8,
                              EGL_NONE};
    EGLint count = 0;
    if (!XQF_HOST(egl, eglChooseConfig)(display, attribs, &config, 1, &count) || count < 1)
        return fail("eglChooseConfig");
    const NativeHandle host = CreatePlaybackWindow(windows, window, native);
    surface = XQF_HOST(egl, eglCreateWindowSurface)(display, config, EGLNativeWindowType(host), nullptr);
    if (!surface)
        return fail("eglCreateWindowSurface");
    const EGLint contextAttribs[] = {EGL_CONTEXT_CLIENT_VERSION, api == kEsVersion1 ? 1 : 2, EGL_NONE};
    context = XQF_HOST(egl, eglCreateContext)(display, config, EGL_NO_CONTEXT, contextAttribs);
    if (!context)
        return fail("eglCreateContext");
    if (const uint32_t made = HostMakeCurrent(display, surface, surface, context); made != EGL_SUCCESS) {
        std::snprintf(text, sizeof text, "eglMakeCurrent failed (EGL error 0x%X)", made);
        error = text;
        return false;
    }
    return true;
}

SHostContext::~SHostContext()
{
    if (holdsDisplay)
        ReleaseHostDisplay(display);
}

void SHostContext::Release()
{
    SEglHost& egl = *SEglHost::Instance();
    if (!display)
        return;
    HostMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (context)
        XQF_HOST(egl, eglDestroyContext)(display, context);
    if (surface)
        XQF_HOST(egl, eglDestroySurface)(display, surface);
    context = surface = nullptr;
    if (holdsDisplay)
        ReleaseHostDisplay(display);
    holdsDisplay = false;
}

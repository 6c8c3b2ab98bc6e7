#include "EglAdapters.h"

#include "NativeWindows.h"
#include "host/HostTables.h"

#include <EGL/eglext.h>

#include <map>

namespace {
SEglLibraryEntries& Entries()
{
    static SEglLibraryEntries entries;
    return entries;
}

// Kept to the process's end: a holder may be released by a static's destructor.
std::map<EGLDisplay, int>& Holds()
{
    static auto* holds = new std::map<EGLDisplay, int>;
    return *holds;
}
} // namespace

void HoldHostDisplay(EGLDisplay display) { ++Holds()[display]; }

void ReleaseHostDisplay(EGLDisplay display)
{
    const auto it = Holds().find(display);
    if (it != Holds().end() && --it->second <= 0)
        Holds().erase(it);
}

bool HostDisplayHeld(EGLDisplay display) { return Holds().count(display) != 0; }

const SEglLibraryEntries& EglLibraryEntries() { return Entries(); }

EGLDisplay SEglLibraryEntries::PlatformDisplay(EGLenum platform, void* native) const
{
    if (!getPlatformDisplay)
        return EGL_NO_DISPLAY;
    if (platformDisplayIsExt)
        return reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(getPlatformDisplay)(platform, native, nullptr);
    return getPlatformDisplay(platform, native, nullptr);
}

bool SEglLibraryEntries::FitsConfig(EGLDisplay display, EGLConfig config, uint64_t width, uint64_t height) const
{
    EGLint maxWidth = 0, maxHeight = 0;
    if (!getConfigAttrib || !getConfigAttrib(display, config, EGL_MAX_PBUFFER_WIDTH, &maxWidth) ||
        !getConfigAttrib(display, config, EGL_MAX_PBUFFER_HEIGHT, &maxHeight))
        return width > 0 && height > 0;  // an invalid config: the host reports it itself
    return width > 0 && height > 0 && width <= uint64_t(maxWidth) && height <= uint64_t(maxHeight);
}

EGLSurface SEglLibraryEntries::Refused(EGLDisplay display, EGLConfig config) const
{
    return createWindowSurface ? createWindowSurface(display, config, 0, nullptr) : EGL_NO_SURFACE;
}

void InstallEglAdapters(SEglHost& egl)
{
    SEglLibraryEntries& e = Entries();
    e.getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYPROC>(egl.FindProc("eglGetPlatformDisplay"));
    if (!e.getPlatformDisplay) {
        auto getProc = reinterpret_cast<PFNEGLGETPROCADDRESSPROC>(XQF_HOST_SLOT(egl, eglGetProcAddress));
        e.getPlatformDisplay =
            getProc ? reinterpret_cast<PFNEGLGETPLATFORMDISPLAYPROC>(getProc("eglGetPlatformDisplayEXT")) : nullptr;
        e.platformDisplayIsExt = e.getPlatformDisplay != nullptr;
    }
    e.getDisplay = reinterpret_cast<PFNEGLGETDISPLAYPROC>(XQF_HOST_SLOT(egl, eglGetDisplay));
    e.chooseConfig = reinterpret_cast<PFNEGLCHOOSECONFIGPROC>(XQF_HOST_SLOT(egl, eglChooseConfig));
    e.createWindowSurface = reinterpret_cast<PFNEGLCREATEWINDOWSURFACEPROC>(XQF_HOST_SLOT(egl, eglCreateWindowSurface));
    e.createPbufferSurface = reinterpret_cast<PFNEGLCREATEPBUFFERSURFACEPROC>(XQF_HOST_SLOT(egl, eglCreatePbufferSurface));
    e.destroySurface = reinterpret_cast<PFNEGLDESTROYSURFACEPROC>(XQF_HOST_SLOT(egl, eglDestroySurface));
    e.getConfigAttrib = reinterpret_cast<PFNEGLGETCONFIGATTRIBPROC>(XQF_HOST_SLOT(egl, eglGetConfigAttrib));
    e.terminate = reinterpret_cast<PFNEGLTERMINATEPROC>(XQF_HOST_SLOT(egl, eglTerminate));
    if (ActiveWindowBackEnd() == EWindowBackEnd::X11)
        x11::InstallEglAdapters(egl);
    else
        headless::InstallEglAdapters(egl);
}

#pragma once
// Thin adapters of the window back ends in a few slots of the host EGL table, so that the players and
// restores call EGL as a device would while the host renders headless or into X windows:
//   headless  eglGetDisplay of any native display gives the one surfaceless display;
//             eglCreateWindowSurface on a window token gives a pbuffer of the token's size;
//             eglChooseConfig asks for EGL_PBUFFER_BIT where a list asks for EGL_WINDOW_BIT (also
//             by leaving the surface type to its default)
//             (surfaceless configs are pbuffer-only); eglTerminate terminates the shared display
//             only with the last recorded display on it, and not while held (HoldHostDisplay);
//   x11       eglGetDisplay of an X connection gives its X11 platform display;
//             eglCreateWindowSurface on a window that already holds a surface makes the surface on a
//             fresh X window of the same size on that connection (an X window holds one surface);
//             eglDestroySurface frees the window again, and eglTerminate the windows of all the
//             display's surfaces.
// Both refuse a window of 0 x 0 or above the config's largest surface: the host then answers
// eglCreateWindowSurface on no window, a null surface with its own error.
#include <EGL/egl.h>

struct SEglHost;

void InstallEglAdapters(SEglHost& egl);

// A host display the process uses outside replay (SHostContext's context and surface): every
// recorded display shares the headless back end's one display, and a replayed eglTerminate must not
// take the holder's objects with the replay's. While held, that eglTerminate destroys only the
// contexts and surfaces the replay made on it. Holds are counted; the X11 back end gives each
// recorded display a display of its own and needs none.
void HoldHostDisplay(EGLDisplay display);
void ReleaseHostDisplay(EGLDisplay display);
bool HostDisplayHeld(EGLDisplay display);

// The library's own entry points behind the adapted slots.
struct SEglLibraryEntries
{
    PFNEGLGETPLATFORMDISPLAYPROC getPlatformDisplay = nullptr;  // EGL 1.5, else the EXT form
    bool platformDisplayIsExt = false;
    PFNEGLGETDISPLAYPROC getDisplay = nullptr;
    PFNEGLCHOOSECONFIGPROC chooseConfig = nullptr;
    PFNEGLCREATEWINDOWSURFACEPROC createWindowSurface = nullptr;
    PFNEGLCREATEPBUFFERSURFACEPROC createPbufferSurface = nullptr;
    PFNEGLDESTROYSURFACEPROC destroySurface = nullptr;
    PFNEGLGETCONFIGATTRIBPROC getConfigAttrib = nullptr;
    PFNEGLTERMINATEPROC terminate = nullptr;

    EGLDisplay PlatformDisplay(EGLenum platform, void* native) const;
    // Whether a surface of width x height fits the config (1 to its largest pbuffer size).
    bool FitsConfig(EGLDisplay display, EGLConfig config, uint64_t width, uint64_t height) const;
    // A null surface with the host's own error for a window that cannot be made.
    EGLSurface Refused(EGLDisplay display, EGLConfig config) const;
};
const SEglLibraryEntries& EglLibraryEntries();

namespace headless {
void InstallEglAdapters(SEglHost& egl);
}
namespace x11 {
void InstallEglAdapters(SEglHost& egl);
}

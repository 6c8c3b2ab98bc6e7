#include "HostCurrent.h"

#include "HostTables.h"

#include <EGL/egl.h>

constinit thread_local void* hostcurrent::t_current = nullptr;

uint32_t HostMakeCurrent(void* display, void* draw, void* read, void* context)
{
    SEglHost& egl = *SEglHost::Instance();
    if (egl.IsFailed())
        return EGL_NOT_INITIALIZED;
    XQF_HOST(egl, eglMakeCurrent)(static_cast<EGLDisplay>(display), static_cast<EGLSurface>(draw),
                                  static_cast<EGLSurface>(read), static_cast<EGLContext>(context));
    const uint32_t error = uint32_t(XQF_HOST(egl, eglGetError)());
    NoteHostCurrentContext();
    return error;
}

void* NoteHostCurrentContext()
{
    SEglHost& egl = *SEglHost::Instance();
    hostcurrent::t_current = egl.IsFailed() ? nullptr : XQF_HOST(egl, eglGetCurrentContext)();
    return hostcurrent::t_current;
}

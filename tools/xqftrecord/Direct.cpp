#include "Direct.h"

#include <EGL/eglext.h>

#include <dlfcn.h>

#include <cstdlib>

namespace {
CDirectMesa* g_direct = nullptr;
}

void* CDirectMesa::Resolve(const char* name)
{
    if (!g_direct)
        return nullptr;
    if (void* p = dlsym(g_direct->m_gles, name))
        return p;
    if (void* p = g_direct->m_gles1 ? dlsym(g_direct->m_gles1, name) : nullptr)
        return p;
    auto getProc = XQF_HOST(g_direct->egl, eglGetProcAddress);
    return reinterpret_cast<void*>(getProc(name));
}

bool CDirectMesa::Open(std::string& error, int api)
{
    setenv("LIBGL_ALWAYS_SOFTWARE", "1", 0);
    m_egl = dlopen("libEGL.so.1", RTLD_NOW | RTLD_LOCAL);
    m_gles = dlopen("libGLESv2.so.2", RTLD_NOW | RTLD_LOCAL);
    if (!m_egl || !m_gles) {
        error = "cannot load libEGL.so.1 and libGLESv2.so.2";
        return false;
    }
    for (uint16_t i = 0; i < SDirectEgl::kCount; ++i)
        egl.entries[i] = dlsym(m_egl, SDirectEgl::kNames[i]);
    for (uint16_t i = 0; i < SDirectGl::kCount; ++i)
        gl.entries[i] = dlsym(m_gles, SDirectGl::kNames[i]);
    if (egl.ResolvedCount() != SDirectEgl::kCount || gl.ResolvedCount() != SDirectGl::kCount) {
        error = "the host libraries lack entry points";
        return false;
    }
    if (api == kEsVersion1) {
        m_gles1 = dlopen("libGLESv1_CM.so.1", RTLD_NOW | RTLD_LOCAL);
        if (!m_gles1) {
            error = "cannot load libGLESv1_CM.so.1";
            return false;
        }
        for (uint16_t i = 0; i < SDirectGl1::kCount; ++i)
            gl1.entries[i] = dlsym(m_gles1, SDirectGl1::kNames[i]);
        if (gl1.ResolvedCount() != SDirectGl1::kCount) {
            error = "libGLESv1_CM.so.1 lacks entry points";
            return false;
        }
    }
    g_direct = this;
    auto platformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYPROC>(dlsym(m_egl, "eglGetPlatformDisplay"));
    display = platformDisplay ? platformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr)
                              : EGL_NO_DISPLAY;
    if (!display || !XQF_HOST(egl, eglInitialize)(display, nullptr, nullptr)) {
        error = "no surfaceless EGL display";
        return false;
    }
    const EGLint attribs[] = {EGL_RED_SIZE,     8, EGL_GREEN_SIZE,   8, EGL_BLUE_SIZE,       8,
                              EGL_ALPHA_SIZE,   8, EGL_DEPTH_SIZE,  24, EGL_STENCIL_SIZE,    8,
                              EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE,
                              api == kEsVersion1 ? EGL_OPENGL_ES_BIT : EGL_OPENGL_ES2_BIT, EGL_NONE};
    EGLint count = 0;
    if (!XQF_HOST(egl, eglChooseConfig)(display, attribs, &config, 1, &count) || count < 1) {
        error = "no RGBA 8888, depth 24, stencil 8 pbuffer config";
        return false;
    }
    return true;
}

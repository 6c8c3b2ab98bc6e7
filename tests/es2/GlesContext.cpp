#include "GlesContext.h"

#include <dlfcn.h>

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

using EGLint = int32_t;
constexpr EGLint kNone = 0x3038, kRenderableType = 0x3040, kOpenGLESBit = 0x0001, kOpenGLES2Bit = 0x0004,
                 kSurfaceType = 0x3033,
                 kPbufferBit = 0x0001, kWidth = 0x3057, kHeight = 0x3056, kClientVersion = 0x3098,
                 kOpenGLESApi = 0x30A0, kPlatformSurfaceless = 0x31DD, kPlatformDevice = 0x313F;

} // namespace

CGlesContext& CGlesContext::Instance(int clientVersion)
{
    if (clientVersion == 1) {
        static CGlesContext es1(1);
        return es1;
    }
    static CGlesContext es2(2);
    return es2;
}

CGlesContext::CGlesContext(int clientVersion) : m_version(clientVersion)
{
    setenv("LIBGL_ALWAYS_SOFTWARE", "1", 0);
    setenv("EGL_PLATFORM", "surfaceless", 0);
    m_available = Init();
}

void* CGlesContext::Proc(const char* name) const
{
    void* p = m_gles ? dlsym(m_gles, name) : nullptr;
    return p || !m_getProc ? p : m_getProc(name);
}

bool CGlesContext::Init()
{
    m_egl = dlopen("libEGL.so.1", RTLD_NOW | RTLD_LOCAL);
    const char* library = m_version == 1 ? "libGLESv1_CM.so.1" : "libGLESv2.so.2";
    m_gles = dlopen(library, RTLD_NOW | RTLD_LOCAL);
    if (!m_egl || !m_gles) {
        m_reason = std::string("cannot load libEGL.so.1 and ") + library;
        return false;
    }
    m_getProc = reinterpret_cast<void* (*)(const char*)>(dlsym(m_egl, "eglGetProcAddress"));
    auto egl = [&](const char* name) { return Egl(name); };
    auto getPlatformDisplay = reinterpret_cast<void* (*)(EGLint, void*, const EGLint*)>(egl("eglGetPlatformDisplayEXT"));
    auto getDisplay = reinterpret_cast<void* (*)(void*)>(egl("eglGetDisplay"));
    auto initialize = reinterpret_cast<unsigned (*)(void*, EGLint*, EGLint*)>(egl("eglInitialize"));
    auto bindApi = reinterpret_cast<unsigned (*)(EGLint)>(egl("eglBindAPI"));
    auto chooseConfig = reinterpret_cast<unsigned (*)(void*, const EGLint*, void**, EGLint, EGLint*)>(egl("eglChooseConfig"));
    auto createPbuffer = reinterpret_cast<void* (*)(void*, void*, const EGLint*)>(egl("eglCreatePbufferSurface"));
    if (!initialize || !bindApi || !chooseConfig || !Egl("eglCreateContext") || !Egl("eglMakeCurrent")) {
        m_reason = "libEGL.so.1 lacks core entry points";
        return false;
    }
    void* display = nullptr;
    EGLint major = 0, minor = 0;
    for (EGLint platform : {kPlatformSurfaceless, kPlatformDevice}) {
        display = getPlatformDisplay ? getPlatformDisplay(platform, nullptr, nullptr) : nullptr;
        if (display && initialize(display, &major, &minor))
            break;
        display = nullptr;
    }
    if (!display && getDisplay) {
        display = getDisplay(nullptr);
        if (display && !initialize(display, &major, &minor))
            display = nullptr;
    }
    if (!display || !bindApi(kOpenGLESApi)) {
        m_reason = "no EGL display for OpenGL ES";
        return false;
    }
    void* config = nullptr;
    EGLint count = 0;
    const EGLint renderable = m_version == 1 ? kOpenGLESBit : kOpenGLES2Bit;
    const EGLint withPbuffer[] = {kRenderableType, renderable, kSurfaceType, kPbufferBit, kNone};
    const EGLint anySurface[] = {kRenderableType, renderable, kNone};
    bool pbuffer = chooseConfig(display, withPbuffer, &config, 1, &count) && count > 0;
    if (!pbuffer && !(chooseConfig(display, anySurface, &config, 1, &count) && count > 0))
        config = nullptr; // surfaceless contexts may do without a config
    m_display = display;
    m_config = config;
    const EGLint surfaceAttribs[] = {kWidth, 1, kHeight, 1, kNone};
    m_surface = pbuffer && createPbuffer ? createPbuffer(display, config, surfaceAttribs) : nullptr;
    if (!FreshContext()) {
        m_reason = m_version == 1 ? "no current OpenGL ES 1.1 context" : "no current OpenGL ES 2.0 context";
        return false;
    }
    return true;
}

bool CGlesContext::FreshContext()
{
    auto createContext = reinterpret_cast<void* (*)(void*, void*, void*, const EGLint*)>(Egl("eglCreateContext"));
    auto makeCurrent = reinterpret_cast<unsigned (*)(void*, void*, void*, void*)>(Egl("eglMakeCurrent"));
    auto destroyContext = reinterpret_cast<unsigned (*)(void*, void*)>(Egl("eglDestroyContext"));
    const EGLint contextAttribs[] = {kClientVersion, m_version, kNone};
    void* context = createContext(m_display, m_config, nullptr, contextAttribs);
    if (!context || !makeCurrent(m_display, m_surface, m_surface, context))
        return false;
    if (m_context && destroyContext)
        destroyContext(m_display, m_context);
    m_context = context;
    return true;
}

void* CGlesContext::Egl(const char* name) const
{
    void* p = m_egl ? dlsym(m_egl, name) : nullptr;
    return p || !m_getProc ? p : m_getProc(name);
}

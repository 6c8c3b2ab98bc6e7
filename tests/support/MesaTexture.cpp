#include "MesaTexture.h"

#include <dlfcn.h>

#include <cstdlib>
#include <cstring>

namespace xqft::test {

namespace {

// EGL and GL names used here, spelled out so the helper needs no GL headers.
using EGLDisplay = void*;
using EGLConfig = void*;
using EGLContext = void*;
using EGLint = int32_t;
constexpr EGLint kEglNone = 0x3038, kEglRenderableType = 0x3040, kEglOpenGLBit = 0x0008,
                 kEglOpenGLES3Bit = 0x0040, kEglSurfaceType = 0x3033, kEglPbufferBit = 0x0001,
                 kEglContextMajor = 0x3098, kEglContextMinor = 0x30FB, kEglOpenGLAPI = 0x30A2,
                 kEglOpenGLESAPI = 0x30A0, kEglPlatformSurfaceless = 0x31DD, kEglPlatformDevice = 0x313F;

constexpr uint32_t kGlTexture2D = 0x0DE1, kGlTextureMinFilter = 0x2801, kGlTextureMagFilter = 0x2800,
                   kGlNearest = 0x2600, kGlUnpackAlignment = 0x0CF5, kGlPackAlignment = 0x0D05,
                   kGlFramebuffer = 0x8D40, kGlRenderbuffer = 0x8D41, kGlColorAttachment0 = 0x8CE0,
                   kGlFramebufferComplete = 0x8CD5, kGlRgba32f = 0x8814, kGlRgba = 0x1908, kGlFloat = 0x1406,
                   kGlTriangles = 0x0004, kGlVertexShader = 0x8B31, kGlFragmentShader = 0x8B30,
                   kGlCompileStatus = 0x8B81, kGlLinkStatus = 0x8B82, kGlRenderer = 0x1F01, kGlVersion = 0x1F02,
                   kGlTextureBaseLevel = 0x813C, kGlTextureMaxLevel = 0x813D;

template <class F> F Proc(void* (*getProc)(const char*), const char* name)
{
    return reinterpret_cast<F>(getProc(name));
}

} // namespace

struct CMesaTexture::SGl {
    void* (*eglGetProcAddress)(const char*) = nullptr;
    EGLDisplay (*eglGetPlatformDisplayEXT)(EGLint, void*, const EGLint*) = nullptr;
    EGLDisplay (*eglGetDisplay)(void*) = nullptr;
    unsigned (*eglInitialize)(EGLDisplay, EGLint*, EGLint*) = nullptr;
    unsigned (*eglBindAPI)(EGLint) = nullptr;
    unsigned (*eglChooseConfig)(EGLDisplay, const EGLint*, EGLConfig*, EGLint, EGLint*) = nullptr;
    EGLContext (*eglCreateContext)(EGLDisplay, EGLConfig, EGLContext, const EGLint*) = nullptr;
    unsigned (*eglMakeCurrent)(EGLDisplay, void*, void*, EGLContext) = nullptr;
    unsigned (*eglDestroyContext)(EGLDisplay, EGLContext) = nullptr;
    EGLint (*eglGetError)() = nullptr;

    uint32_t (*glGetError)() = nullptr;
    const uint8_t* (*glGetString)(uint32_t) = nullptr;
    void (*glGenTextures)(int, uint32_t*) = nullptr;
    void (*glDeleteTextures)(int, const uint32_t*) = nullptr;
    void (*glBindTexture)(uint32_t, uint32_t) = nullptr;
    void (*glTexParameteri)(uint32_t, uint32_t, int) = nullptr;
    void (*glTexImage2D)(uint32_t, int, int, int, int, int, uint32_t, uint32_t, const void*) = nullptr;
    void (*glCompressedTexImage2D)(uint32_t, int, uint32_t, int, int, int, int, const void*) = nullptr;
    void (*glPixelStorei)(uint32_t, int) = nullptr;
    void (*glGetTexImage)(uint32_t, int, uint32_t, uint32_t, void*) = nullptr;
    uint32_t (*glCreateShader)(uint32_t) = nullptr;
    void (*glShaderSource)(uint32_t, int, const char* const*, const int*) = nullptr;
    void (*glCompileShader)(uint32_t) = nullptr;
    void (*glGetShaderiv)(uint32_t, uint32_t, int*) = nullptr;
    void (*glGetShaderInfoLog)(uint32_t, int, int*, char*) = nullptr;
    uint32_t (*glCreateProgram)() = nullptr;
    void (*glAttachShader)(uint32_t, uint32_t) = nullptr;
    void (*glLinkProgram)(uint32_t) = nullptr;
    void (*glGetProgramiv)(uint32_t, uint32_t, int*) = nullptr;
    void (*glUseProgram)(uint32_t) = nullptr;
    int (*glGetUniformLocation)(uint32_t, const char*) = nullptr;
    void (*glUniform1i)(int, int) = nullptr;
    void (*glGenFramebuffers)(int, uint32_t*) = nullptr;
    void (*glDeleteFramebuffers)(int, const uint32_t*) = nullptr;
    void (*glBindFramebuffer)(uint32_t, uint32_t) = nullptr;
    void (*glGenRenderbuffers)(int, uint32_t*) = nullptr;
    void (*glDeleteRenderbuffers)(int, const uint32_t*) = nullptr;
    void (*glBindRenderbuffer)(uint32_t, uint32_t) = nullptr;
    void (*glRenderbufferStorage)(uint32_t, uint32_t, int, int) = nullptr;
    void (*glFramebufferRenderbuffer)(uint32_t, uint32_t, uint32_t, uint32_t) = nullptr;
    uint32_t (*glCheckFramebufferStatus)(uint32_t) = nullptr;
    void (*glViewport)(int, int, int, int) = nullptr;
    void (*glDrawArrays)(uint32_t, int, int) = nullptr;
    void (*glReadPixels)(int, int, int, int, uint32_t, uint32_t, void*) = nullptr;
    void (*glGenVertexArrays)(int, uint32_t*) = nullptr;
    void (*glBindVertexArray)(uint32_t) = nullptr;
};

CMesaTexture& CMesaTexture::Instance()
{
    static CMesaTexture instance;
    return instance;
}

CMesaTexture::CMesaTexture() : m_gl(new SGl)
{
    // Software rendering unless the caller chose otherwise: results must not depend on a GPU.
    setenv("LIBGL_ALWAYS_SOFTWARE", "1", 0);
    setenv("GALLIUM_DRIVER", "softpipe", 0);
    setenv("EGL_PLATFORM", "surfaceless", 0);
    m_available = Init();
}

std::string CMesaTexture::Renderer() const
{
    if (!m_available)
        return {};
    const uint8_t* r = m_gl->glGetString(kGlRenderer);
    const uint8_t* v = m_gl->glGetString(kGlVersion);
    return std::string(r ? reinterpret_cast<const char*>(r) : "?") + " / " +
           (v ? reinterpret_cast<const char*>(v) : "?");
}

bool CMesaTexture::Init()
{
    m_egl = dlopen("libEGL.so.1", RTLD_NOW | RTLD_LOCAL);
    if (m_egl == nullptr) {
        m_reason = std::string("cannot load libEGL.so.1: ") + dlerror();
        return false;
    }
    SGl& g = *m_gl;
    g.eglGetProcAddress = reinterpret_cast<void* (*)(const char*)>(dlsym(m_egl, "eglGetProcAddress"));
    if (g.eglGetProcAddress == nullptr) {
        m_reason = "libEGL.so.1 has no eglGetProcAddress";
        return false;
    }
    auto egl = [&](const char* name) {
        void* p = dlsym(m_egl, name);
        return p ? p : g.eglGetProcAddress(name);
    };
    g.eglGetPlatformDisplayEXT =
        reinterpret_cast<decltype(g.eglGetPlatformDisplayEXT)>(egl("eglGetPlatformDisplayEXT"));
    g.eglGetDisplay = reinterpret_cast<decltype(g.eglGetDisplay)>(egl("eglGetDisplay"));
    g.eglInitialize = reinterpret_cast<decltype(g.eglInitialize)>(egl("eglInitialize"));
    g.eglBindAPI = reinterpret_cast<decltype(g.eglBindAPI)>(egl("eglBindAPI"));
    g.eglChooseConfig = reinterpret_cast<decltype(g.eglChooseConfig)>(egl("eglChooseConfig"));
    g.eglCreateContext = reinterpret_cast<decltype(g.eglCreateContext)>(egl("eglCreateContext"));
    g.eglMakeCurrent = reinterpret_cast<decltype(g.eglMakeCurrent)>(egl("eglMakeCurrent"));
    g.eglDestroyContext = reinterpret_cast<decltype(g.eglDestroyContext)>(egl("eglDestroyContext"));
    g.eglGetError = reinterpret_cast<decltype(g.eglGetError)>(egl("eglGetError"));
    if (!g.eglInitialize || !g.eglBindAPI || !g.eglChooseConfig || !g.eglCreateContext || !g.eglMakeCurrent) {
        m_reason = "libEGL.so.1 lacks core entry points";
        return false;
    }
    EGLint major = 0, minor = 0;
    for (EGLint platform : {kEglPlatformSurfaceless, kEglPlatformDevice}) {
        if (g.eglGetPlatformDisplayEXT)
            m_display = g.eglGetPlatformDisplayEXT(platform, nullptr, nullptr);
        if (m_display && g.eglInitialize(m_display, &major, &minor))
            break;
        m_display = nullptr;
    }
    if (m_display == nullptr && g.eglGetDisplay) {
        m_display = g.eglGetDisplay(nullptr);
        if (m_display && !g.eglInitialize(m_display, &major, &minor))
            m_display = nullptr;
    }
    if (m_display == nullptr) {
        m_reason = "no EGL display could be initialised (surfaceless, device or default)";
        return false;
    }
    // XQFT_MESA_GLES=1 skips desktop GL, to exercise the OpenGL ES 3 road.
    const char* gles = std::getenv("XQFT_MESA_GLES");
    const bool tryDesktop = gles == nullptr || std::strcmp(gles, "1") != 0;
    if ((tryDesktop && InitContext(true)) || InitContext(false))
        return true;
    if (m_reason.empty())
        m_reason = "no desktop GL or OpenGL ES 3 context could be made";
    return false;
}

bool CMesaTexture::InitContext(bool desktop)
{
    SGl& g = *m_gl;
    if (!g.eglBindAPI(desktop ? kEglOpenGLAPI : kEglOpenGLESAPI))
        return false;
    const EGLint configAttribs[] = {kEglRenderableType, desktop ? kEglOpenGLBit : kEglOpenGLES3Bit, kEglNone};
    EGLConfig config = nullptr;
    EGLint count = 0;
    if (!g.eglChooseConfig(m_display, configAttribs, &config, 1, &count) || count == 0)
        config = nullptr; // surfaceless contexts may do without a config
    const EGLint esAttribs[] = {kEglContextMajor, 3, kEglContextMinor, 0, kEglNone};
    const EGLint glAttribs[] = {kEglContextMajor, 3, kEglContextMinor, 3, kEglNone};
    m_context = g.eglCreateContext(m_display, config, nullptr, desktop ? glAttribs : esAttribs);
    if (m_context == nullptr || !g.eglMakeCurrent(m_display, nullptr, nullptr, m_context)) {
        if (m_context && g.eglDestroyContext)
            g.eglDestroyContext(m_display, m_context);
        m_context = nullptr;
        return false;
    }
    m_desktop = desktop;
    auto gl = [&](const char* name) { return g.eglGetProcAddress(name); };
#define XQF_GL(name) g.name = reinterpret_cast<decltype(g.name)>(gl(#name))
    XQF_GL(glGetError); XQF_GL(glGetString); XQF_GL(glGenTextures); XQF_GL(glDeleteTextures);
    XQF_GL(glBindTexture); XQF_GL(glTexParameteri); XQF_GL(glTexImage2D); XQF_GL(glCompressedTexImage2D);
    XQF_GL(glPixelStorei); XQF_GL(glCreateShader); XQF_GL(glShaderSource); XQF_GL(glCompileShader);
    XQF_GL(glGetShaderiv); XQF_GL(glGetShaderInfoLog); XQF_GL(glCreateProgram); XQF_GL(glAttachShader);
    XQF_GL(glLinkProgram); XQF_GL(glGetProgramiv); XQF_GL(glUseProgram); XQF_GL(glGetUniformLocation);
    XQF_GL(glUniform1i); XQF_GL(glGenFramebuffers); XQF_GL(glDeleteFramebuffers); XQF_GL(glBindFramebuffer);
    XQF_GL(glGenRenderbuffers); XQF_GL(glDeleteRenderbuffers); XQF_GL(glBindRenderbuffer);
    XQF_GL(glRenderbufferStorage); XQF_GL(glFramebufferRenderbuffer); XQF_GL(glCheckFramebufferStatus);
    XQF_GL(glViewport); XQF_GL(glDrawArrays); XQF_GL(glReadPixels); XQF_GL(glGenVertexArrays);
    XQF_GL(glBindVertexArray);
#undef XQF_GL
    g.glGetTexImage = desktop ? reinterpret_cast<decltype(g.glGetTexImage)>(gl("glGetTexImage")) : nullptr;
    if (!g.glGetError || !g.glTexImage2D || !g.glCompressedTexImage2D || !g.glReadPixels || !g.glDrawArrays) {
        m_reason = "GL entry points missing";
        return false;
    }
    if (g.glGenVertexArrays) {
        g.glGenVertexArrays(1, &m_vao);
        g.glBindVertexArray(m_vao);
    }
    g.glPixelStorei(kGlUnpackAlignment, 1);
    g.glPixelStorei(kGlPackAlignment, 1);
    while (g.glGetError() != 0) {
    }
    return true;
}

bool CMesaTexture::Upload(const SMesaUpload& u, uint32_t& texture)
{
    SGl& g = *m_gl;
    while (g.glGetError() != 0) {
    }
    g.glGenTextures(1, &texture);
    g.glBindTexture(kGlTexture2D, texture);
    g.glTexParameteri(kGlTexture2D, kGlTextureMinFilter, int(kGlNearest));
    g.glTexParameteri(kGlTexture2D, kGlTextureMagFilter, int(kGlNearest));
    g.glTexParameteri(kGlTexture2D, kGlTextureBaseLevel, 0);
    g.glTexParameteri(kGlTexture2D, kGlTextureMaxLevel, 0);
    if (u.compressed)
        g.glCompressedTexImage2D(kGlTexture2D, 0, u.internalFormat, int(u.width), int(u.height), 0, int(u.size),
                                 u.data);
    else
        g.glTexImage2D(kGlTexture2D, 0, int(u.internalFormat), int(u.width), int(u.height), 0, u.format, u.type,
                       u.data);
    if (const uint32_t error = g.glGetError(); error != 0) {
        m_reason = "upload of internal format 0x" + [&] {
            char b[16];
            std::snprintf(b, sizeof b, "%X", u.internalFormat);
            return std::string(b);
        }() + " failed with GL error " + std::to_string(error);
        g.glDeleteTextures(1, &texture);
        texture = 0;
        return false;
    }
    return true;
}

bool CMesaTexture::EnsureProgram(SMesaUpload::ESampler sampler, uint32_t& program)
{
    uint32_t& slot = m_programs[int(sampler)];
    if (slot != 0) {
        program = slot;
        return true;
    }
    SGl& g = *m_gl;
    const std::string header = m_desktop ? "#version 330 core\n" : "#version 300 es\nprecision highp float;\nprecision highp int;\n";
    const std::string vs = header + "void main() {\n"
                                    "  vec2 p = vec2(float((gl_VertexID & 1) * 4 - 1), float((gl_VertexID & 2) * 2 - 1));\n"
                                    "  gl_Position = vec4(p, 0.0, 1.0);\n}\n";
    const char* samplerType = sampler == SMesaUpload::ESampler::Float    ? "sampler2D"
                              : sampler == SMesaUpload::ESampler::Unsigned ? "usampler2D"
                                                                           : "isampler2D";
    const std::string fs = header + "uniform highp " + samplerType + " t;\nout vec4 o;\n"
                           "void main() { o = vec4(texelFetch(t, ivec2(gl_FragCoord.xy), 0)); }\n";
    auto compile = [&](uint32_t kind, const std::string& text) -> uint32_t {
        const uint32_t s = g.glCreateShader(kind);
        const char* src = text.c_str();
        g.glShaderSource(s, 1, &src, nullptr);
        g.glCompileShader(s);
        int ok = 0;
        g.glGetShaderiv(s, kGlCompileStatus, &ok);
        if (!ok) {
            char log[1024] = {};
            g.glGetShaderInfoLog(s, sizeof log, nullptr, log);
            m_reason = std::string("shader compile failed: ") + log;
            return 0;
        }
        return s;
    };
    const uint32_t v = compile(kGlVertexShader, vs), f = compile(kGlFragmentShader, fs);
    if (v == 0 || f == 0)
        return false;
    slot = g.glCreateProgram();
    g.glAttachShader(slot, v);
    g.glAttachShader(slot, f);
    g.glLinkProgram(slot);
    int ok = 0;
    g.glGetProgramiv(slot, kGlLinkStatus, &ok);
    if (!ok) {
        m_reason = "program link failed";
        slot = 0;
        return false;
    }
    program = slot;
    return true;
}

bool CMesaTexture::FetchTexels(const SMesaUpload& u, std::vector<float>& rgba)
{
    rgba.clear();
    if (!m_available || u.width == 0 || u.height == 0)
        return false;
    SGl& g = *m_gl;
    uint32_t program = 0, texture = 0;
    if (!EnsureProgram(u.sampler, program) || !Upload(u, texture))
        return false;
    uint32_t fbo = 0, rbo = 0;
    g.glGenRenderbuffers(1, &rbo);
    g.glBindRenderbuffer(kGlRenderbuffer, rbo);
    g.glRenderbufferStorage(kGlRenderbuffer, kGlRgba32f, int(u.width), int(u.height));
    g.glGenFramebuffers(1, &fbo);
    g.glBindFramebuffer(kGlFramebuffer, fbo);
    g.glFramebufferRenderbuffer(kGlFramebuffer, kGlColorAttachment0, kGlRenderbuffer, rbo);
    bool ok = g.glCheckFramebufferStatus(kGlFramebuffer) == kGlFramebufferComplete;
    if (ok) {
        g.glUseProgram(program);
        g.glUniform1i(g.glGetUniformLocation(program, "t"), 0);
        g.glViewport(0, 0, int(u.width), int(u.height));
        g.glDrawArrays(kGlTriangles, 0, 3);
        rgba.resize(size_t(u.width) * u.height * 4);
        g.glReadPixels(0, 0, int(u.width), int(u.height), kGlRgba, kGlFloat, rgba.data());
        ok = g.glGetError() == 0;
        if (!ok)
            m_reason = "draw or read-back failed";
    } else {
        m_reason = "RGBA32F render target is not supported";
    }
    g.glBindFramebuffer(kGlFramebuffer, 0);
    g.glDeleteFramebuffers(1, &fbo);
    g.glDeleteRenderbuffers(1, &rbo);
    g.glDeleteTextures(1, &texture);
    if (!ok)
        rgba.clear();
    return ok;
}

bool CMesaTexture::GetTexImage(const SMesaUpload& u, uint32_t format, uint32_t type, std::vector<uint8_t>& out)
{
    out.clear();
    if (!m_available || m_gl->glGetTexImage == nullptr)
        return false;
    SGl& g = *m_gl;
    uint32_t texture = 0;
    if (!Upload(u, texture))
        return false;
    // Large enough for any format of up to 16 bytes per texel.
    std::vector<uint8_t> buffer(size_t(u.width) * u.height * 16 + 64);
    g.glGetTexImage(kGlTexture2D, 0, format, type, buffer.data());
    const bool ok = g.glGetError() == 0;
    g.glDeleteTextures(1, &texture);
    if (ok)
        out = std::move(buffer);
    else
        m_reason = "glGetTexImage failed";
    return ok;
}

} // namespace xqft::test

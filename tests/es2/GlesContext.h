#pragma once
// A headless OpenGL ES 2.0 context on the host's Mesa for tests and players: libEGL.so.1 and
// libGLESv2.so.2 are loaded at run time (nothing of the GL stack is linked), the display is the
// surfaceless platform (else the device platform, else the default display) and the context is
// made current with a 1x1 pbuffer when the config offers one, else with no surface. Software
// rendering is forced unless the environment already chose a driver, so results do not depend on
// the machine's GPU.
//
//   CGlesContext& gl = CGlesContext::Instance();
//   if (!gl.Available()) GTEST_SKIP() << gl.Reason();
//   auto glClear = gl.Fn<void (*)(uint32_t)>("glClear");
#include <string>

class CGlesContext
{
public:
    static CGlesContext& Instance();

    bool Available() const { return m_available; }
    const std::string& Reason() const { return m_reason; }

    // Replaces the current context by a new one, so a test starts from GL's initial state.
    bool FreshContext();

    // An entry point of libGLESv2.so.2 (or, failing that, of eglGetProcAddress); null when absent.
    void* Proc(const char* name) const;
    template <class F>
    F Fn(const char* name) const
    {
        return reinterpret_cast<F>(Proc(name));
    }

    CGlesContext(const CGlesContext&) = delete;
    CGlesContext& operator=(const CGlesContext&) = delete;

private:
    CGlesContext();
    bool Init();
    void* Egl(const char* name) const;

    bool m_available = false;
    std::string m_reason;
    void* m_egl = nullptr;
    void* m_gles = nullptr;
    void* (*m_getProc)(const char*) = nullptr;
    void* m_display = nullptr;
    void* m_config = nullptr;
    void* m_surface = nullptr;
    void* m_context = nullptr;
};

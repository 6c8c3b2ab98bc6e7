#pragma once
// A headless OpenGL ES 2.0 (or ES 1.1) context on the host's Mesa for tests and players: libEGL.so.1
// and libGLESv2.so.2 (libGLESv1_CM.so.1) are loaded at run time (nothing of the GL stack is linked), the display is the
// surfaceless platform (else the device platform, else the default display) and the context is
// made current with a 1x1 pbuffer when the config offers one, else with no surface. Software
// rendering is forced unless the environment already chose a driver, so results do not depend on
// the machine's GPU.
//
//   CGlesContext& gl = CGlesContext::Instance();       // CGlesContext::Instance(1) for ES 1.1
//   if (!gl.Available()) GTEST_SKIP() << gl.Reason();
//   auto glClear = gl.Fn<void (*)(uint32_t)>("glClear");
#include <string>

class CGlesContext
{
public:
    // The context of one client version (2: ES 2.0, 1: ES 1.1); a program uses one of them.
    static CGlesContext& Instance(int clientVersion = 2);

    bool Available() const { return m_available; }
    const std::string& Reason() const { return m_reason; }

    // Replaces the current context by a new one, so a test starts from GL's initial state.
    bool FreshContext();

    // An entry point of the version's GL library (or, failing that, of eglGetProcAddress); null when
    // absent.
    void* Proc(const char* name) const;
    template <class F>
    F Fn(const char* name) const
    {
        return reinterpret_cast<F>(Proc(name));
    }

    CGlesContext(const CGlesContext&) = delete;
    CGlesContext& operator=(const CGlesContext&) = delete;

private:
    explicit CGlesContext(int clientVersion);
    bool Init();
    void* Egl(const char* name) const;

    int m_version;
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

#pragma once
// Uploads a texture to Mesa and reads back what Mesa decodes, so tests can check our decoders
// against Mesa's. Runs headless: libEGL.so.1 is loaded with dlopen and a context is made on the
// surfaceless platform (desktop GL when Mesa offers it, else OpenGL ES 3). Software rendering is
// forced (LIBGL_ALWAYS_SOFTWARE, GALLIUM_DRIVER=softpipe) unless the environment already says
// otherwise, so that results do not depend on the machine's GPU. XQFT_MESA_GLES=1 skips desktop GL.
//
// Use:
//   xqft::test::CMesaTexture& mesa = xqft::test::CMesaTexture::Instance();
//   if (!mesa.Available()) GTEST_SKIP() << mesa.Reason();
//   std::vector<float> rgba;
//   mesa.FetchTexels({.internalFormat = 0x9274, .width = 8, .height = 4, .data = blocks.data(),
//                     .size = blocks.size(), .compressed = true}, rgba);
#include <cstdint>
#include <string>
#include <vector>

namespace xqft::test {

struct SMesaUpload {
    uint32_t internalFormat = 0;
    uint32_t width = 0, height = 0;
    const void* data = nullptr;
    size_t size = 0;         // bytes at data (compressed uploads pass it to glCompressedTexImage2D)
    bool compressed = false; // glCompressedTexImage2D, else glTexImage2D with format and type
    uint32_t format = 0, type = 0;
    enum class ESampler { Float, Unsigned, Signed } sampler = ESampler::Float; // integer textures: U / S
};

class CMesaTexture {
public:
    // The process-wide helper; the context is made on first use and kept until exit.
    static CMesaTexture& Instance();

    bool Available() const { return m_available; }
    const std::string& Reason() const { return m_reason; } // why no context, or the last failure
    bool IsDesktopGL() const { return m_desktop; }
    std::string Renderer() const;

    // Texel (x, y) of level 0 as RGBA floats read by texelFetch (integer textures give their integer
    // values as floats). Rows of width texels, top row first as uploaded. False on any GL error.
    bool FetchTexels(const SMesaUpload& upload, std::vector<float>& rgba);

    // The raw bytes glGetTexImage returns for level 0 in (format, type) with pack alignment 1; out
    // may be longer than the image, whose texels come first.
    // Desktop GL only; false otherwise.
    bool GetTexImage(const SMesaUpload& upload, uint32_t format, uint32_t type, std::vector<uint8_t>& out);

    CMesaTexture(const CMesaTexture&) = delete;
    CMesaTexture& operator=(const CMesaTexture&) = delete;

private:
    CMesaTexture();
    bool Init();
    bool InitContext(bool desktop);
    bool Upload(const SMesaUpload& upload, uint32_t& texture);
    bool EnsureProgram(SMesaUpload::ESampler sampler, uint32_t& program);

    bool m_available = false;
    bool m_desktop = false;
    std::string m_reason;
    void* m_egl = nullptr;
    void* m_display = nullptr;
    void* m_context = nullptr;
    uint32_t m_programs[3] = {0, 0, 0};
    uint32_t m_vao = 0;
    struct SGl;
    SGl* m_gl = nullptr;
};

} // namespace xqft::test

#pragma once
// A spy on the host's glTexImage2D for the restore tests: it keeps the pixels each call hands over
// and the unpack alignment the host reads them under, then makes the host call. Include it after
// the GL header of the API tested.
#include "HostSpy.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class CKeptPixels
{
public:
    std::vector<uint8_t> pixels;  // the first bytes of the last image (empty for null data)
    GLint alignment = 0;

    // Wraps the glTexImage2D of the host table `gl` in `spy`, keeping `bytes` bytes of each image.
    // The wrapper reaches this object while `spy` wraps the call: keep it alive as long.
    template <class Host>
    void Keep(CHostSpy& spy, Host& gl, size_t bytes)
    {
        s_kept = this;
        m_bytes = bytes;
        m_texImage = XQF_HOST(gl, glTexImage2D);
        m_getIntegerv = XQF_HOST(gl, glGetIntegerv);
        XQF_SPY(spy, gl, glTexImage2D, &TexImage);
    }

private:
    static void TexImage(GLenum target, GLint level, GLint internal, GLsizei w, GLsizei h, GLint border,
                         GLenum format, GLenum type, const void* data)
    {
        CKeptPixels& k = *s_kept;
        k.m_getIntegerv(GL_UNPACK_ALIGNMENT, &k.alignment);
        const auto* p = static_cast<const uint8_t*>(data);
        k.pixels = p ? std::vector<uint8_t>(p, p + k.m_bytes) : std::vector<uint8_t>();
        k.m_texImage(target, level, internal, w, h, border, format, type, data);
    }

    static inline CKeptPixels* s_kept = nullptr;
    size_t m_bytes = 0;
    decltype(&::glTexImage2D) m_texImage = nullptr;
    decltype(&::glGetIntegerv) m_getIntegerv = nullptr;
};

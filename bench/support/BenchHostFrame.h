#pragma once
// What the host benchmarks share: a context of one API on the host, and the heavy frame (200
// textures of 512 x 512 RGBA, 50 buffers of 1 MiB) as a snapshot to restore and as the same data
// uploaded directly. Include it after the GL header of the API timed: the direct upload calls that
// header's entry points through the host table.
#include "BenchSupport.h"
#include "Playback.h"
#include "host/HostContext.h"
#include "host/HostTables.h"
#include "state/SharedBytes.h"
#include "windows/NativeWindows.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace xqft::bench {

// Makes a 64 x 64 window context of `api` (1: ES 1.1, 2: ES 2.0) current, as a replayed frame finds
// it; false with context.error saying why.
inline bool MakeHostContext(uint8_t api, SHostContext& context)
{
    SNativeWindowFuncs windows;
    InitNativeWindowFunctions(windows);
    if (!context.Make(api, windows, 1, SEglSurfaceWindow{1, 64, 64}))
        return false;
    CPlayback::s_hostEglInitialised = true;
    return true;
}

// The ES 2.0 host table, with a context made current in `context`; null when the host EGL library
// is missing or the context cannot be made (that said on standard output).
inline SEs2Host* OpenEs2Host(SHostContext& context)
{
    if (SEglHost::Instance()->IsFailed())
        return nullptr;
    SEs2Host* gl = SEs2Host::Instance();
    if (!MakeHostContext(2, context)) {
        std::printf("no host context: %s\n", context.error.c_str());
        return nullptr;
    }
    return gl;
}

constexpr uint32_t kHeavyTextures = 200, kHeavyBuffers = 50, kHeavySide = 512;
constexpr uint32_t kHeavyImageBytes = kHeavySide * kHeavySide * 4, kHeavyBufferBytes = 1 << 20;

// The bytes of the heavy frame: one image every texture holds, one block every buffer holds.
struct SHeavyBytes
{
    SharedBytes image, buffer;
};

inline SHeavyBytes HeavyBytes()
{
    std::shared_ptr<uint8_t[]> image = AllocateBytes(kHeavyImageBytes), buffer = AllocateBytes(kHeavyBufferBytes);
    for (size_t i = 0; i < kHeavyImageBytes; ++i)
        image[i] = uint8_t(i * 7);
    std::memset(buffer.get(), 0x5A, kHeavyBufferBytes);
    return {image, buffer};
}

// The heavy frame's snapshot (SEs1State or SEs2State): textures and buffers named from 1;
// `imageOf(s, t)` makes and returns the level-0 image of texture t in s.
template <class TState, class ImageOf>
TState HeavyFrame(const SHeavyBytes& bytes, ImageOf imageOf)
{
    TState s;
    for (uint32_t t = 1; t <= kHeavyTextures; ++t) {
        auto& i = imageOf(s, t);
        i.texture = t;
        i.data = bytes.image;
        i.format = i.internalFormat = GL_RGBA;
        i.width = i.height = kHeavySide;
        i.type = GL_UNSIGNED_BYTE;
        i.unpackAlignment = 4;
        i.size = i.capturedSize = kHeavyImageBytes;
        i.minFilter = GL_LINEAR;
    }
    for (uint32_t b = 1; b <= kHeavyBuffers; ++b)
        s.buffers[b] = {b, GL_ARRAY_BUFFER, bytes.buffer, kHeavyBufferBytes, kHeavyBufferBytes, GL_STATIC_DRAW};
    return s;
}

// The heavy frame's data uploaded directly through the host table `gl` (the textures only when
// asked), finished, then deleted; seconds.
template <class Host>
double UploadHeavyFrame(Host& gl, const SHeavyBytes& bytes, bool textures = true)
{
    std::vector<GLuint> t(kHeavyTextures), b(kHeavyBuffers);
    const auto t0 = Clock::now();
    if (textures) {
        XQF_HOST(gl, glGenTextures)(GLsizei(t.size()), t.data());
        for (GLuint name : t) {
            XQF_HOST(gl, glBindTexture)(GL_TEXTURE_2D, name);
            XQF_HOST(gl, glTexImage2D)(GL_TEXTURE_2D, 0, GL_RGBA, kHeavySide, kHeavySide, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                                       bytes.image.get());
        }
    }
    XQF_HOST(gl, glGenBuffers)(GLsizei(b.size()), b.data());
    for (GLuint name : b) {
        XQF_HOST(gl, glBindBuffer)(GL_ARRAY_BUFFER, name);
        XQF_HOST(gl, glBufferData)(GL_ARRAY_BUFFER, kHeavyBufferBytes, bytes.buffer.get(), GL_STATIC_DRAW);
    }
    XQF_HOST(gl, glFinish)();
    const double s = Seconds(t0, Clock::now());
    if (textures)
        XQF_HOST(gl, glDeleteTextures)(GLsizei(t.size()), t.data());
    XQF_HOST(gl, glDeleteBuffers)(GLsizei(b.size()), b.data());
    return s;
}

} // namespace xqft::bench

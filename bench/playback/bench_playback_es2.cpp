// ES 2.0 on the host: restoring a heavy frame, and replaying state calls.
//  1. A frame whose snapshot holds 200 textures of 512 x 512 RGBA and 50 buffers of 1 MiB: its first
//     restore against the same data uploaded directly (goal: within 1.2x), and a second restore of
//     the frame (goal: under 1 ms).
//  2. 10,000 state calls through the player against the same calls made directly. Goal: under 1 us
//     per call above the direct call.
#include "BenchSupport.h"
#include "BenchStateCalls.h"
#include "Playback.h"
#include "es2/Es2Restore.h"
#include "host/HostContext.h"
#include "host/HostTables.h"

#include "apicall/ApiCall.h"
#include "data/TraceData.h"
#include "data/TraceReader.h"

#include <GLES2/gl2.h>

#include <cstdio>
#include <cstring>
#include <unistd.h>
#include <vector>

namespace {
using namespace xqft::bench;

SEs2State HeavyFrame(const SharedBytes& image, const SharedBytes& buffer)
{
    SEs2State s;
    for (uint32_t t = 1; t <= 200; ++t) {
        SEs2TexImage& i = s.textures[t][0][0];
        i.target = i.normalizedTarget = GL_TEXTURE_2D;
        i.texture = t;
        i.data = image;
        i.format = i.internalFormat = GL_RGBA;
        i.width = i.height = 512;
        i.type = GL_UNSIGNED_BYTE;
        i.unpackAlignment = 4;
        i.size = i.capturedSize = 512 * 512 * 4;
        i.minFilter = GL_LINEAR;
    }
    for (uint32_t b = 1; b <= 50; ++b)
        s.buffers[b] = SEs2Buffer{b, GL_ARRAY_BUFFER, buffer, 1 << 20, 1 << 20, GL_STATIC_DRAW};
    s.viewport[2] = s.viewport[3] = 64;
    return s;
}

#define XQF_ID(name) CallIdOf(ECallFamily::Es2, name)

} // namespace

int main()
{
    if (SEglHost::Instance()->IsFailed())
        return 1;
    SEs2Host& gl = *SEs2Host::Instance();
    SNativeWindowFuncs windows;
    InitNativeWindowFunctions(windows);
    SHostContext context;
    if (!context.Make(2, windows, 1, SEglSurfaceWindow{1, 64, 64})) {
        std::printf("no host context: %s\n", context.error.c_str());
        return 1;
    }
    HostEglInitialised = 1;

    // 1. The heavy frame.
    std::shared_ptr<uint8_t[]> imageBytes = AllocateBytes(512 * 512 * 4), bufferBytes = AllocateBytes(1 << 20);
    for (size_t i = 0; i < 512 * 512 * 4; ++i)
        imageBytes[i] = uint8_t(i * 7);
    std::memset(bufferBytes.get(), 0x5A, 1 << 20);
    const SharedBytes image = imageBytes, buffer = bufferBytes;
    auto direct = [&] {
        std::vector<GLuint> textures(200), buffers(50);
        const auto t0 = Clock::now();
        XQF_HOST(gl, glGenTextures)(200, textures.data());
        for (GLuint t : textures) {
            XQF_HOST(gl, glBindTexture)(GL_TEXTURE_2D, t);
            XQF_HOST(gl, glTexImage2D)(GL_TEXTURE_2D, 0, GL_RGBA, 512, 512, 0, GL_RGBA, GL_UNSIGNED_BYTE, image.get());
        }
        XQF_HOST(gl, glGenBuffers)(50, buffers.data());
        for (GLuint b : buffers) {
            XQF_HOST(gl, glBindBuffer)(GL_ARRAY_BUFFER, b);
            XQF_HOST(gl, glBufferData)(GL_ARRAY_BUFFER, 1 << 20, buffer.get(), GL_STATIC_DRAW);
        }
        XQF_HOST(gl, glFinish)();
        const double s = Seconds(t0, Clock::now());
        XQF_HOST(gl, glDeleteTextures)(200, textures.data());
        XQF_HOST(gl, glDeleteBuffers)(50, buffers.data());
        return s;
    };
    direct();  // the first uploads of the process set up the driver's memory: warmed once
    const double made = direct();
    SEs2State snapshot = HeavyFrame(image, buffer);
    ResetNameMaps();
    auto t0 = Clock::now();
    RestoreEs2State(snapshot, 2, nullptr);
    XQF_HOST(gl, glFinish)();
    const double first = Seconds(t0, Clock::now());
    SEs2State current = snapshot;
    t0 = Clock::now();
    RestoreEs2State(snapshot, 2, &current);
    const double again = Seconds(t0, Clock::now());
    std::printf("first restore of 200 textures (512x512 RGBA) and 50 buffers (1 MiB): %.1f ms, uploaded directly "
                "%.1f ms, ratio %.2f (goal <= 1.2)\n",
                first * 1e3, made * 1e3, first / made);
    std::printf("second restore: %.3f ms (goal < 1 ms)\n", again * 1e3);

    // 2. 10,000 state calls.
    const bool timed = TimeSharedStateCalls<ECallFamily::Es2>(
        gl, {XQF_ID("glUniform4f"), {0xFFFFFFFFu, Bits(1), Bits(2), Bits(3), Bits(4)}},
        [&] { XQF_HOST(gl, glUniform4f)(-1, 1, 2, 3, 4); });
    return timed ? 0 : 1;
}

// ES 2.0 on the host: restoring a heavy frame, and replaying state calls.
//  1. A frame whose snapshot holds 200 textures of 512 x 512 RGBA and 50 buffers of 1 MiB: its first
//     restore against the same data uploaded directly (goal: within 1.2x), and a second restore of
//     the frame (goal: under 1 ms).
//  2. 10,000 state calls through the player against the same calls made directly. Goal: under 1 us
//     per call above the direct call.
#include "BenchStateCalls.h"
#include "BenchSupport.h"
#include "Playback.h"
#include "es2/Es2Restore.h"
#include "host/HostContext.h"
#include "host/HostTables.h"

#include "apicall/ApiCall.h"
#include "data/TraceData.h"
#include "data/TraceReader.h"

#include <GLES2/gl2.h>

#include "BenchHostFrame.h"

#include <cstdio>
#include <cstring>
#include <unistd.h>
#include <vector>

namespace {
using namespace xqft::bench;

#define XQF_ID(name) CallIdOf(ECallFamily::Es2, name)

} // namespace

int main()
{
    SHostContext context;
    SEs2Host* host = OpenEs2Host(context);
    if (!host)
        return 1;
    SEs2Host& gl = *host;

    // 1. The heavy frame.
    const SHeavyBytes bytes = HeavyBytes();
    UploadHeavyFrame(gl, bytes);  // the first uploads of the process set up the driver's memory: warmed once
    const double made = UploadHeavyFrame(gl, bytes);
    SEs2State snapshot = HeavyFrame<SEs2State>(bytes, [](SEs2State& s, uint32_t t) -> STexImage& {
        STexImage& i = s.textures[t][0][0];
        i.target = i.normalizedTarget = GL_TEXTURE_2D;
        return i;
    });
    snapshot.viewport[2] = snapshot.viewport[3] = 64;
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

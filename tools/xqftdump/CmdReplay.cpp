// replay FILE --frame N [--from-start] OUT.ppm: restores frame N's recorded state on the host
// library, plays the frame's calls up to its eglSwapBuffers (error checks on), reads the frame back
// and writes it as a binary PPM (RGB, top row first). With --from-start nothing is restored: every
// call from the trace's first up to frame N's eglSwapBuffers is played. Prints result=1 when every
// call played and the frame was read from a surface of its size (0 otherwise; the image is written
// all the same once the pass is in frame N), width= and height=. A pass that stopped before frame N
// (a failed restore, or a call of an earlier frame) writes no image: it prints image=none and the
// call it stopped at.
// Exit status 0 only when every call played and neither the restore nor a call reported an ERROR
// line; 5 (kDumpPassFailed) otherwise, and for a trace recorded without data, which is not played.
#include "DumpCommand.h"
#include "FramePlayback.h"

#include "CallQueries.h"
#include "apicall/ApiCall.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {
int Run(const std::vector<std::string>& args)
{
    std::string path, out;
    long frame = 0;
    std::vector<std::string> rest;
    bool fromStart = false;
    for (const std::string& a : args) {
        if (a == "--from-start")
            fromStart = true;
        else
            rest.push_back(a);
    }
    if (!ParseFileAndNumber(rest, "--frame", "replay FILE --frame N [--from-start] OUT.ppm", path, frame, &out))
        return kDumpUsage;
    CLoadedTrace trace(path, 0, uint32_t(frame));
    CAnalysisPlayback& playback = CommandPlayback();
    int result = 1;
    uint8_t* rgb = nullptr;
    uint32_t width = 0, height = 0;
    const CPassErrors errors;
    uint32_t stoppedAt = 0;  // the call the pass stopped at (0: none)
    bool reached = true;     // the pass got into frame N
    {
        CDiagnosticsToStderr diagnostics;  // the playback's lines go to standard error
        if (const int restored = RestoreFrame(trace, playback, frame, path, !fromStart))
            return restored;
        if (playback.m_restoreFailed)
            result = 0;  // nothing is played on a host the restore could not bring to the frame
        uint32_t n = fromStart ? 1 : playback.m_firstCall + 1;
        const bool played = result == 1 && RunCaught([&] {
            for (; n <= playback.m_endCall; ++n) {
                STraceCall* call = trace.Data()->GetCall(n);
                if (!call || (n > playback.m_firstCall && IsFrameEnd(uint16_t(call->call->GetId()))))
                    break;
                if (playback.PlayCall(call, 1) == 0) {
                    result = 0;
                    stoppedAt = n;
                    break;
                }
            }
        });
        if (!played) {
            result = 0;
            stoppedAt = playback.m_restoreFailed ? 0 : n;
        }
        reached = !playback.m_restoreFailed && (stoppedAt == 0 || stoppedAt > playback.m_firstCall);
        if (reached) {
            if (!playback.ReadFrameBuffer())
                result = 0;
            playback.GetFrameBuffer(&rgb, &width, &height);
        }
    }
    // What the host holds when the pass stopped before the frame is no image of the frame: none is
    // written (nor one of an earlier run left).
    if (!reached) {
        std::remove(out.c_str());
        printf("result=0\nimage=none (the pass stopped %s, before frame %ld)\n",
               stoppedAt ? ("at call " + std::to_string(stoppedAt)).c_str() : "in the restore", frame);
        return kDumpPassFailed;
    }
    if (!WriteReadBack(out, rgb, width, height))
        return kDumpUsage;
    printf("result=%d\nwidth=%u\nheight=%u\n", result, width, height);
    if (!CapturedBytesStillThere(trace.Data()))
        return kDumpMalformed;
    return result == 1 && !errors.Any() ? kDumpOk : kDumpPassFailed;
}
} // namespace

XQFT_DUMP_COMMAND("replay", "FILE --frame N [--from-start] OUT.ppm", Run);

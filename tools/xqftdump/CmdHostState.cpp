// host-state FILE --frame N: restores frame N's recorded state on the host library and prints the
// host's OpenGL ES 2.0 or ES 1.1 state (by the frame's API) as the record-and-replay state probe
// describes it. A trace recorded without data is not restored: one ERROR line, exit status 5.
// Exit status 5 (kDumpPassFailed) when the restore reported an ERROR line (something
// of the frame could not be rebuilt: the state printed is not the frame's) or threw.
#include "DumpCommand.h"
#include "FramePlayback.h"

#include "probe/StateProbe.h"

#include <EGL/egl.h>

namespace {
void* HostProc(const char* name)
{
    return reinterpret_cast<void*>(XQF_HOST(*SEglHost::Instance(), eglGetProcAddress)(name));
}

int Run(const std::vector<std::string>& args)
{
    std::string path;
    long frame = 0;
    if (!ParseFileAndNumber(args, "--frame", "host-state FILE --frame N", path, frame))
        return kDumpUsage;
    CLoadedTrace trace(path, 0, uint32_t(frame));
    CAnalysisPlayback& playback = CommandPlayback();
    std::string state;
    const CPassErrors errors;
    {
        CDiagnosticsToStderr diagnostics;  // the playback's lines go to standard error
        if (const int restored = RestoreFrame(trace, playback, frame, path))
            return restored;
        SEs1State es1;
        if (trace.Data()->GetFrameEs1State(uint32_t(frame), &es1))
            state = ProbeEs1State(SEs1Host::Instance()->entries, &HostProc);
        else
            state = ProbeEs2State(SProbeGl{SEs2Host::Instance()->entries, &HostProc});
    }
    fputs(state.c_str(), stdout);
    if (!CapturedBytesStillThere(trace.Data()))
        return kDumpMalformed;
    return errors.Any() ? kDumpPassFailed : kDumpOk;
}
} // namespace

XQFT_DUMP_COMMAND("host-state", "FILE --frame N", Run);

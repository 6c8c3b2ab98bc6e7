#pragma once
// Shared by the commands that bring the host to a frame of a trace: the trace loaded, an analysis
// playback bound to it and moved to the frame, whose recorded state is restored on the host.
#include "DumpCommand.h"
#include "DumpTraceArgs.h"

#include "Diagnostics.h"
#include "PlayableTrace.h"
#include "analysis/AnalysisPlayback.h"
#include "host/HostTables.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>

// Standard output sent to standard error while it lives: the playback's diagnostics stay apart from
// what the command prints.
class CDiagnosticsToStderr
{
public:
    CDiagnosticsToStderr()
    {
        fflush(stdout);
        m_saved = dup(1);
        dup2(2, 1);
    }
    ~CDiagnosticsToStderr()
    {
        fflush(stdout);
        dup2(m_saved, 1);
        close(m_saved);
    }
    CDiagnosticsToStderr(const CDiagnosticsToStderr&) = delete;
    CDiagnosticsToStderr& operator=(const CDiagnosticsToStderr&) = delete;

private:
    int m_saved;
};

// Runs a playback step; what the players throw (CXqftError without a host library, for a missing
// argument or when no EGL config exists; std::bad_alloc) is reported on standard error and makes the
// result false.
template <class Step>
bool RunCaught(Step&& step)
{
    try {
        step();
        return true;
    } catch (const std::exception& e) {
        fprintf(stderr, "ERROR: %s\n", e.what());
    }
    return false;
}

// The command's playback. It is never taken apart: the process leaves with the host's contexts and
// surfaces as they are (main.cpp), since destroying them one by one took longer than writing the
// frame's image.
inline CAnalysisPlayback& CommandPlayback()
{
    static CAnalysisPlayback* const playback = new CAnalysisPlayback;
    return *playback;
}

// Whether a command may play the trace: a trace recorded without data gets one ERROR line on standard
// error, the reason every command and the dock give, before anything of it is played.
inline bool ReportedPlayable(const CTraceData& data, const std::string& path)
{
    if (TracePlayable(data))
        return true;
    fprintf(stderr, "ERROR: %s: %s\n", path.c_str(), kRecordedWithoutData);
    return false;
}

// Restores frame `frame` of the loaded trace on the host (with `restore` false, only selects it).
// kDumpUsage (with the reason on standard error) when the trace, the frame or the host libraries
// are missing; kDumpPassFailed when the trace cannot be played or the restore threw.
inline int RestoreFrame(CLoadedTrace& trace, CAnalysisPlayback& playback, long frame, const std::string& path,
                        bool restore = true)
{
    CTraceData* data = trace.Data();
    if (!data) {
        fprintf(stderr, "ERROR: %s: no trace (load result %d)\n", path.c_str(), trace.Result());
        return kDumpUsage;
    }
    if (!ReportedPlayable(*data, path))
        return kDumpPassFailed;
    if (SEglHost::Instance()->IsFailed()) {
        fprintf(stderr, "ERROR: no host EGL library\n");
        return kDumpUsage;
    }
    SEs2Host::Instance();  // throws without a host ES 2.0 library
    playback.BindTrace(data);
    if (!playback.GoToFrame(uint32_t(frame), 0, 0)) {
        ReportNotInTrace(path, "frame", frame);
        return kDumpUsage;
    }
    if (restore && !RunCaught([&] { playback.SetRange(1, 0, 1); }))
        return kDumpPassFailed;
    return kDumpOk;
}

// Whether playback went clean from its construction on: no ERROR line reported (a refused call, a
// restore that could not rebuild something, a host error). A pass that printed one has not
// reproduced the trace, whatever its result says.
class CPassErrors
{
public:
    bool Any() const { return PlaybackErrorCount() != m_before; }

private:
    unsigned m_before = PlaybackErrorCount();
};

// Writes a read-back (RGB, rows bottom-up) as a binary PPM, top row first; false (with the reason on
// standard error) when the file cannot be written.
inline bool WriteReadBack(const std::string& out, const uint8_t* rgb, uint32_t width, uint32_t height)
{
    // Row by row through a buffer of the image's size: one write, not one per 4 KiB.
    const size_t bufferBytes = std::min<size_t>(size_t(width) * height * 3 + 32, size_t(64) << 20);
    const auto buffer = std::make_unique_for_overwrite<char[]>(bufferBytes);
    FILE* file = std::fopen(out.c_str(), "wb");
    bool written = file != nullptr;
    if (file) {
        setvbuf(file, buffer.get(), _IOFBF, bufferBytes);
        std::fprintf(file, "P6\n%u %u\n255\n", width, height);
        for (uint32_t y = height; rgb && y-- > 0;)
            written &= std::fwrite(rgb + size_t(y) * width * 3, 1, size_t(width) * 3, file) == size_t(width) * 3;
        written &= std::fclose(file) == 0;
    }
    if (!written)
        fprintf(stderr, "ERROR: cannot write %s\n", out.c_str());
    return written;
}


// load FILE [--progress]: loads the trace into frames as the viewer does.
//   result=R frames=F calls=C      first line, always
//   error=TEXT                     why the load did not complete (when it did not)
//   progress=TEXT                  each progress event's status text (--progress), followed by
//   progress-bytes=DONE/TOTAL      where the reader stood: bytes of the file during the walk
//   frame=N first=K calls=M        one line per frame; K is the 1-based number of its first call
// The loader's own diagnostic lines go to the error stream. The exit status says whether the whole
// trace was read (LoadExitStatus).
#include "DumpCommand.h"
#include "DumpTraceArgs.h"

#include "data/TraceReader.h"

#include <cstdio>
#include <string>

namespace {
class CProgressLog : public CBasicEvent
{
public:
    void OnEvent(uint32_t, void* argument) override
    {
        const auto* reader = static_cast<CTraceReader*>(argument);
        lines.push_back(std::string("progress=") + reader->GetStatusText().CStr() + "\nprogress-bytes=" +
                        std::to_string(reader->GetProgress()) + "/" + std::to_string(reader->GetTotal()));
    }
    std::vector<std::string> lines;
};

int Run(const std::vector<std::string>& args)
{
    std::string path;
    bool progress = false, usage = false;
    for (const std::string& a : args) {
        if (a == "--progress")
            progress = true;
        else if (path.empty())
            path = a;
        else
            usage = true;
    }
    if (path.empty() || usage) {
        fputs("usage: xqft-dump load FILE [--progress]\n", stderr);
        return kDumpUsage;
    }
    CTraceReader& reader = CTraceReader::Instance();
    reader.SetLog(stderr, stderr);
    CProgressLog log;
    if (progress)
        reader.AddListener(CTraceReader::kProgressEvent, &log);
    const int result = LoadForCommand(path);
    if (progress)
        reader.RemoveListener(CTraceReader::kProgressEvent);

    CTraceData* data = reader.GetTraceData();
    const int32_t frames = data ? data->GetFrameCount() : 0;
    printf("result=%d frames=%d calls=%u\n", result, frames, data ? data->GetCallCount() : 0u);
    if (!reader.GetLastError().IsEmpty())
        printf("error=%s\n", reader.GetLastError().CStr());
    for (const std::string& line : log.lines)
        printf("%s\n", line.c_str());
    for (int32_t n = 1; n <= frames; ++n) {
        data->SetCurrentFrame(static_cast<uint32_t>(n), true);
        const STraceFrame* f = data->GetCurrentFrame();
        printf("frame=%d first=%u calls=%u\n", n, f->firstCall + 1, data->GetCurrentFrameCallCount());
    }
    // The trace stays loaded: the process leaves without taking it apart (main.cpp).
    return LoadExitStatus(result, data);
}
}  // namespace

XQFT_DUMP_COMMAND("load", "FILE [--progress]", Run);

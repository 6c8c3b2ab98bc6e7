// egl-state FILE --frame N: the EGL state at the start of frame N, one line per item:
//   current context=H display=H draw=H read=H api=0xAPI
//   display H native=H swap_interval=N initialized=N
//   context H display=H config=H share=H attributes=V,V,...
//   surface H display=H config=H window=H WxH attributes=V,V,...
// Handles print in hexadecimal, attribute values too.
#include "DumpCommand.h"
#include "DumpTraceArgs.h"

#include <cstdio>
#include <string>

namespace {
std::string Attributes(const SEglAttribArray& a)
{
    std::string out;
    char buf[16];
    for (uint32_t i = 0; i < a.Count(); ++i) {
        std::snprintf(buf, sizeof buf, "%s0x%X", i ? "," : "", a[i]);
        out += buf;
    }
    return out.empty() ? "-" : out;
}

void Print(const SEglState& s)
{
    printf("current context=0x%llX display=0x%llX draw=0x%llX read=0x%llX api=0x%X\n",
           (unsigned long long)s.currentContext, (unsigned long long)s.currentDisplay,
           (unsigned long long)s.currentDrawSurface, (unsigned long long)s.currentReadSurface, s.currentApi);
    for (const auto& e : s.displays)
        printf("display 0x%llX native=0x%llX swap_interval=%u initialized=%u\n", (unsigned long long)e.key,
               (unsigned long long)e.record.nativeDisplayId, e.record.swapInterval, e.record.initialized);
    for (const auto& e : s.contexts)
        printf("context 0x%llX display=0x%llX config=0x%llX share=0x%llX attributes=%s\n",
               (unsigned long long)e.key, (unsigned long long)e.record.display, (unsigned long long)e.record.config,
               (unsigned long long)e.record.shareContext, Attributes(e.record.attributes).c_str());
    for (const auto& e : s.surfaces)
        printf("surface 0x%llX display=0x%llX config=0x%llX window=0x%llX %ux%u attributes=%s\n",
               (unsigned long long)e.key, (unsigned long long)e.record.display, (unsigned long long)e.record.config,
               (unsigned long long)e.record.window.handle, e.record.window.width, e.record.window.height,
               Attributes(e.record.attributes).c_str());
}

int Run(const std::vector<std::string>& args)
{
    std::string path;
    long frame = 0;
    if (!ParseFileAndNumber(args, "--frame", "egl-state FILE --frame N", path, frame))
        return kDumpUsage;
    CLoadedTrace trace(path, 0, uint32_t(frame));
    CTraceData* data = trace.Data();
    SEglState state;
    if (!data || !data->GetFrameEglState(uint32_t(frame), &state)) {
        ReportNotInTrace(path, "frame", frame);
        return kDumpUsage;
    }
    Print(state);
    return kDumpOk;
}
}  // namespace

XQFT_DUMP_COMMAND("egl-state", "FILE --frame N", Run);

// frame-image FILE --frame N OUT.ppm: writes the image recorded with the eglSwapBuffers that ends
// frame N as a binary PPM (RGB, top row first), as the frame-buffer view shows it.
#include "DumpCommand.h"
#include "DumpTraceArgs.h"

#include "EglFrameImage.h"
#include "apicall/ApiCall.h"

#include <cstdio>
#include <string>

namespace {
int Run(const std::vector<std::string>& args)
{
    std::string path, out;
    long frame = 0;
    if (!ParseFileAndNumber(args, "--frame", "frame-image FILE --frame N OUT.ppm", path, frame, &out))
        return kDumpUsage;
    CLoadedTrace trace(path, 0, uint32_t(frame));
    CTraceData* data = trace.Data();
    const STraceFrame* f = data ? data->GetFrame(uint32_t(frame)) : nullptr;
    if (!f || f->endCall == STraceFrame::kOpenEnd || f->endCall == f->firstCall) {
        ReportNotInTrace(path, "frame", frame);
        return kDumpUsage;
    }
    // The frame's last call is the eglSwapBuffers that ended it (or the trace's last call).
    STraceCall* last = data->GetCall(f->endCall);
    SFrameImage image;
    CXQFTString error;
    if (!GetFrameImage(last ? last->call.get() : nullptr, image, error)) {
        fprintf(stderr, "ERROR: frame %ld: %s\n", frame, error.CStr());
        return kDumpMalformed;
    }
    std::vector<uint8_t> rgb;
    FrameImageToRgb(image, rgb);
    FILE* file = std::fopen(out.c_str(), "wb");
    if (!file) {
        fprintf(stderr, "ERROR: cannot write %s\n", out.c_str());
        return kDumpUsage;
    }
    std::fprintf(file, "P6\n%u %u\n255\n", image.width, image.height);
    const bool written = std::fwrite(rgb.data(), 1, rgb.size(), file) == rgb.size();
    if (std::fclose(file) != 0 || !written) {
        fprintf(stderr, "ERROR: cannot write %s\n", out.c_str());
        return kDumpUsage;
    }
    if (!CapturedBytesStillThere(data))
        return kDumpMalformed;
    return kDumpOk;
}
}  // namespace

XQFT_DUMP_COMMAND("frame-image", "FILE --frame N OUT.ppm", Run);

// Cost of reading EGL records and of turning a recorded frame image into what the frame-buffer
// view shows.
//  1. 1,000,000 EGL records (eglGetError, eglGetCurrentSurface, eglQuerySurface with its output
//     array, eglMakeCurrent with its attribute list, eglSwapBuffers without image) loaded:
//     ns per record (goal < 1 us).
//  2. A 1920x1080 frame image to RGB, top row first: ms per image (goal < 5 ms).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "BenchSupport.h"
#include "BenchTraceWriter.h"
#include "EglFrameImage.h"
#include "apicall/ApiCall.h"
#include "data/TraceReader.h"

namespace {
using namespace xqft::bench;


CTraceData* Load(const std::string& path, int& result, double& seconds)
{
    static FILE* sink = std::fopen("/dev/null", "w");
    CTraceReader& reader = CTraceReader::Instance();
    reader.SetLog(sink, sink);
    reader.Close();
    const auto t0 = Clock::now();
    result = reader.LoadTrace(CXQFTString(path.c_str()), 1);
    seconds = Seconds(t0, Clock::now());
    return reader.GetTraceData();
}
}  // namespace

int main()
{
    const std::string dir = TempDir();
    const std::string records = dir + "/bench_egl_records_" + std::to_string(getpid()) + ".xqft";
    const std::string image = dir + "/bench_egl_image_" + std::to_string(getpid()) + ".xqft";

    {
        CWriter w(records);
        for (uint32_t frame = 1; frame <= 200000; ++frame) {
            w.GetError();
            w.GetCurrentSurface();
            w.QuerySurface();
            w.MakeCurrent();
            w.SwapBuffers(frame, 0, 0, {});
        }
    }
    int result = 0;
    double best = 1e9;
    uint32_t calls = 0;
    for (int run = 0; run < 3; ++run) {
        double seconds = 0;
        CTraceData* data = Load(records, result, seconds);
        calls = data ? data->GetCallCount() : 0;
        best = std::min(best, seconds);
    }
    std::printf("EGL records: result %d, %u records in %.3f s: %.0f ns per record (goal < 1000)\n", result, calls,
                best, calls ? best * 1e9 / calls : 0.0);
    CTraceReader::Instance().Close();
    std::remove(records.c_str());

    const uint32_t width = 1920, height = 1080;
    {
        CWriter w(image);
        std::vector<uint8_t> pixels(size_t(width) * height * 4);
        for (size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = uint8_t(i * 7);
        w.SwapBuffers(1, width, height, pixels);
    }
    double seconds = 0;
    CTraceData* data = Load(image, result, seconds);
    SFrameImage frame;
    CXQFTString error;
    if (!data || !GetFrameImage(data->GetCall(1)->call.get(), frame, error)) {
        std::printf("frame image: not found (%s)\n", error.CStr());
        return 1;
    }
    std::vector<uint8_t> rgb;
    const int runs = 50;
    FrameImageToRgb(frame, rgb);  // warm: the output buffer is allocated once
    const auto t0 = Clock::now();
    for (int i = 0; i < runs; ++i)
        FrameImageToRgb(frame, rgb);
    const double perImage = Seconds(t0, Clock::now()) / runs;
    unsigned sum = 0;  // keeps the conversion from being optimised away
    for (size_t i = 0; i < rgb.size(); i += 4099)
        sum += rgb[i];
    std::printf("frame image %ux%u to RGB: %.2f ms per image (goal < 5), checksum %u\n", width, height, perImage * 1e3,
                sum);
    CTraceReader::Instance().Close();
    std::remove(image.c_str());
    return 0;
}

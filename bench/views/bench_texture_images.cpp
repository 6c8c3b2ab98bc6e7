// The texture images of an opened trace: 200 textures of 1024 x 1024 with their mip chains (RGBA8,
// RGB565, ETC1, XQFTC 4 bpp, 50 each), turned into thumbnails by the controller. Prints Mpixels/s,
// the library's decode time of the same levels alone, and the resident peak during the extraction
// beyond the loaded trace, next to the bytes of the images themselves. Offscreen.
// usage: bench_texture_images [TEXTURES]
#include <QApplication>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "BenchTraceWriter.h"
#include "CallQueries.h"
#include "Es2Records.h"
#include "TraceController.h"
#include "TraceLoader.h"
#include "TraceStatistics.h"
#include "TextureTranscoder.h"
#include "data/TraceData.h"

using namespace xqft::bench;

namespace {
constexpr uint16_t kBindTexture = CallIdOf(ECallFamily::Es2, "glBindTexture");
constexpr uint16_t kTexImage2D = CallIdOf(ECallFamily::Es2, "glTexImage2D");
constexpr uint16_t kCompressedTexImage2D = CallIdOf(ECallFamily::Es2, "glCompressedTexImage2D");
enum : uint32_t { kRgba = 0x1908, kRgb = 0x1907, kUbyte = 0x1401, k565 = 0x8363, kEtc1 = 0x8D64, kXqftc = 0x8C00 };

struct SFormat {
    uint32_t internalFormat, format, type;
    bool compressed;
    uint64_t (*bytes)(uint32_t w, uint32_t h);
};
const SFormat kFormats[] = {
    {kRgba, kRgba, kUbyte, false, [](uint32_t w, uint32_t h) { return uint64_t(w) * h * 4; }},
    {kRgb, kRgb, k565, false, [](uint32_t w, uint32_t h) { return uint64_t(w) * h * 2; }},
    {kEtc1, 0, 0, true, [](uint32_t w, uint32_t h) { return uint64_t((w + 3) / 4) * ((h + 3) / 4) * 8; }},
    {kXqftc, 0, 0, true, [](uint32_t w, uint32_t h) { return uint64_t(std::max(w, 8u)) * std::max(h, 8u) / 2; }},
};

void WriteTrace(const std::string& path, int textures)
{
    std::vector<uint8_t> noise(1024 * 1024 * 4);
    uint32_t seed = 12345;
    for (uint8_t& b : noise)
        b = uint8_t((seed = seed * 1664525u + 1013904223u) >> 24);
    CWriter w(path);
    for (int t = 0; t < textures; ++t) {
        const SFormat& f = kFormats[t % 4];
        w.Record(kBindTexture, 12);
        w.U32(0); w.U32(0x0DE1); w.U32(uint32_t(t + 1));
        for (uint32_t level = 0, size = 1024; size >= 1; ++level, size /= 2) {
            const uint32_t n = uint32_t(f.bytes(size, size));
            if (f.compressed) {
                w.Record(kCompressedTexImage2D, 4 + 7 * 4 + 8 + n);
                w.U32(0); w.U32(0x0DE1); w.U32(level); w.U32(f.internalFormat); w.U32(size); w.U32(size);
                w.U32(0); w.U32(n);
            } else {
                w.Record(kTexImage2D, 4 + 8 * 4 + 8 + n + 4);
                w.U32(0); w.U32(0x0DE1); w.U32(level); w.U32(f.internalFormat); w.U32(size); w.U32(size);
                w.U32(0); w.U32(f.format); w.U32(f.type);
            }
            w.U32(0x1000); w.U32(n);
            std::fwrite(noise.data() + (t * 4099) % 4096, 1, n, w.m_f);
            if (!f.compressed)
                w.U32(1);  // unpack alignment: rows of any width are packed
        }
    }
    w.SwapBuffers(1, 0, 0, {});
}

// Loads through the reader, then notes the time and the resident size the extraction starts from.
class CMeasuredLoader : public CTraceLoader
{
public:
    int Load(const CXQFTString& path, CBasicEvent* listener) override
    {
        const int result = CTraceLoader::Load(path, listener);
        ResetPeak();
        rss = StatusKiB("VmRSS:");
        loaded = Clock::now();
        return result;
    }
    long long rss = 0;
    Clock::time_point loaded;
};

uint32_t Padded(uint32_t internalFormat, uint32_t v, uint32_t minimum)
{
    v = internalFormat == kEtc1 || internalFormat == kXqftc ? (v + 3) & ~3u : v;
    return internalFormat == kXqftc ? std::max(v, minimum) : v;
}
} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int textures = argc > 1 ? std::atoi(argv[1]) : 200;
    const std::string path = TempDir() + "/bench_texture_images.xqft";
    WriteTrace(path, textures);

    CTraceController* controller = CTraceController::Instance();
    auto loader = std::make_unique<CMeasuredLoader>();
    CMeasuredLoader* measured = loader.get();
    controller->SetLoader(std::move(loader));
    controller->SLTOpenTrace(QString::fromStdString(path));
    const auto done = Clock::now();
    const long long peakKiB = StatusKiB("VmHWM:") - measured->rss;
    CTraceData* trace = controller->GetTrace();
    if (!trace) {
        std::fprintf(stderr, "the generated trace did not load\n");
        return 1;
    }
    uint64_t pixels = 0, imageBytes = 0;
    for (const auto& t : *controller->GetTextures()) {
        pixels += uint64_t(t->width) * t->height;
        imageBytes += uint64_t(t->thumbnail.width()) * t->thumbnail.height() * 3;
    }
    const double extractSeconds = Seconds(measured->loaded, done);

    // The library alone on the same levels (the padded sizes the viewer decodes): into one buffer
    // used again and again, and into a new buffer per level that is kept, as the thumbnails are
    // (the second also pays for the first touch of every page of the images).
    std::vector<uint8_t> rgb;
    std::vector<std::vector<uint8_t>> kept;
    double decodeSeconds = 0, keptSeconds = 0;
    for (bool keep : {false, true}) {
        const auto t0 = Clock::now();
        for (const STextureUpload& u : *controller->GetStatistics()->GetTextureUploads()) {
            if (keep)
                rgb = std::vector<uint8_t>();
            CApiCall* call = trace->GetCall(u.callNumber)->call.get();
            if (auto* c = dynamic_cast<xqft::es2::CEs2_glTexImage2D_v1*>(call)) {
                const SImage2D& image = c->Item<"pixels">().data;
                xqftexture::TranscodeGLImageToRGB8(c->Item<"internalformat">().Value(), c->Item<"format">().Value(),
                                                   c->Item<"type">().Value(), c->Item<"width">().Value(),
                                                   c->Item<"height">().Value(), image.GetData(), image.size, rgb);
            } else if (auto* c = dynamic_cast<xqft::es2::CEs2_glCompressedTexImage2D_v1*>(call)) {
                const SImage2D& image = c->Item<"pixels">().data;
                const uint32_t f = c->Item<"internalformat">().Value();
                xqftexture::TranscodeGLImageToRGB8(f, 0, 0, Padded(f, c->Item<"width">().Value(), 8),
                                                   Padded(f, c->Item<"height">().Value(), 8), image.GetData(), image.size,
                                                   rgb);
            }
            if (keep)
                kept.push_back(std::move(rgb));
        }
        (keep ? keptSeconds : decodeSeconds) = Seconds(t0, Clock::now());
    }
    kept.clear();

    std::printf("%zu texture records, %.1f Mpixels, images %.1f MiB\n", controller->GetTextures()->size(),
                pixels / 1e6, imageBytes / 1048576.0);
    std::printf("ExtractTextures: %.3f s, %.1f Mpixels/s\n", extractSeconds, pixels / 1e6 / extractSeconds);
    std::printf("library decode alone: %.3f s into one buffer (extraction / decode = %.2f), %.3f s into kept "
                "buffers (extraction / decode = %.2f)\n",
                decodeSeconds, extractSeconds / decodeSeconds, keptSeconds, extractSeconds / keptSeconds);
    std::printf("resident peak during the extraction beyond the loaded trace: %.1f MiB (images + %.1f MiB)\n",
                peakKiB / 1024.0, peakKiB / 1024.0 - imageBytes / 1048576.0);
    controller->Shutdown();
    std::remove(path.c_str());
    return 0;
}

// textures FILE OUTDIR: the texture images of the trace as the viewer makes them, and one line per
// record: call, name, target, level, size, internal format, type, and what became of its image:
//   image=decoded                  OUTDIR/<call>.ppm holds it (a binary PPM)
//   image=partial held=B/N         the data holds B of the N bytes the rows take: the PPM holds the
//                                  rows held whole, no more
//   image=black [held=B/N]         nothing decoded (no data, no decoder, data too short): no file;
//                                  held says what is missing when bytes are
//   image=none                     impossible dimensions: no file
//   image=unavailable              the trace file was cut or changed since the load: no file
// Nothing past the recorded bytes is written: an upload that declares 16384 x 16384 and carries
// 16 KB writes the rows of those 16 KB.
#include "DumpCommand.h"

#if __has_include("TextureImages.h")
#include "CmdExportLoad.h"
#include "TextureImages.h"

#include <cstdio>
#include <string>

namespace {

bool WritePpm(const std::string& path, const STextureImage& image)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    std::fprintf(file, "P6\n%u %u\n255\n", image.width, image.rows);
    // An empty vector's data() may be null, which fwrite must not be given even for no bytes.
    const bool written =
        image.rgb.empty() || std::fwrite(image.rgb.data(), 1, image.rgb.size(), file) == image.rgb.size();
    return std::fclose(file) == 0 && written;
}

const char* KindText(STextureImage::EKind kind)
{
    switch (kind) {
    case STextureImage::kDecoded: return "decoded";
    case STextureImage::kPartial: return "partial";
    case STextureImage::kBlack: return "black";
    case STextureImage::kUnavailable: return "unavailable";
    default: return "none";
    }
}

int Run(const std::vector<std::string>& args)
{
    return RunExport(args, 2, "usage: xqft-dump textures FILE OUTDIR\n",
                     [&](CTraceData& trace, CTraceStatistics& statistics) {
                         int status = kDumpOk;
                         ExtractTextures(trace, *statistics.GetTextureUploads(),
                                         [&](const STextureRecord& r, STextureImage& image) {
                                             std::printf("call=%u name=%u target=0x%X level=%d size=%dx%d "
                                                         "internalformat=0x%X type=0x%X image=%s",
                                                         r.callNumber, r.textureName, r.target, r.level, r.width,
                                                         r.height, r.internalFormat, r.type, KindText(image.kind));
                                             const bool decoded = image.kind == STextureImage::kDecoded ||
                                                                  image.kind == STextureImage::kPartial;
                                             if ((decoded || image.kind == STextureImage::kBlack) &&
                                                 image.bytesHeld < image.bytesNeeded)
                                                 std::printf(" held=%llu/%llu",
                                                             static_cast<unsigned long long>(image.bytesHeld),
                                                             static_cast<unsigned long long>(image.bytesNeeded));
                                             std::printf("\n");
                                             if (image.kind == STextureImage::kUnavailable) {
                                                 std::fprintf(stderr, "ERROR: call %u: the texture's bytes are "
                                                              "unavailable: the trace file was cut or changed\n",
                                                              r.callNumber);
                                                 status = kDumpMalformed;
                                             }
                                             if (!decoded)
                                                 return;
                                             const std::string out =
                                                 args[1] + "/" + std::to_string(r.callNumber) + ".ppm";
                                             if (!WritePpm(out, image)) {
                                                 std::fprintf(stderr, "ERROR: cannot write %s\n", out.c_str());
                                                 status = kDumpUsage;
                                             }
                                         });
                         return status;
                     });
}

} // namespace

XQFT_DUMP_COMMAND("textures", "FILE OUTDIR", Run);
#endif

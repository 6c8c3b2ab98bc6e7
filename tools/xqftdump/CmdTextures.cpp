// textures FILE OUTDIR: the texture images of the trace as the viewer makes them: one binary PPM
// per record, named by the upload's call number ("<call>.ppm"; none for a record without an
// image), and one line per record: call, name, target, level, size, internal format, type.
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
    std::fprintf(file, "P6\n%u %u\n255\n", image.width, image.height);
    // An empty vector's data() may be null, which fwrite must not be given even for no bytes.
    auto put = [file](const std::vector<uint8_t>& bytes) {
        return bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    };
    bool written = true;
    if (image.kind == STextureImage::kDecoded) {
        written = put(image.rgb);
    } else {
        const std::vector<uint8_t> row(size_t(image.width) * 3, 0);
        for (uint32_t y = 0; y < image.height && written; ++y)
            written = put(row);
    }
    return std::fclose(file) == 0 && written;
}

int Run(const std::vector<std::string>& args)
{
    return RunExport(args, 2, "usage: xqft-dump textures FILE OUTDIR\n",
                     [&](CTraceData& trace, CTraceStatistics& statistics) {
                         int status = kDumpOk;
                         ExtractTextures(trace, *statistics.GetTextureUploads(),
                                         [&](const STextureRecord& r, STextureImage& image) {
                                             std::printf("call=%u name=%u target=0x%X level=%d size=%dx%d "
                                                         "internalformat=0x%X type=0x%X image=%s\n",
                                                         r.callNumber, r.textureName, r.target, r.level, r.width,
                                                         r.height, r.internalFormat, r.type,
                                                         image.kind == STextureImage::kDecoded ? "decoded"
                                                         : image.kind == STextureImage::kBlack ? "black"
                                                         : image.kind == STextureImage::kUnavailable
                                                             ? "unavailable"
                                                             : "none");
                                             if (image.kind == STextureImage::kUnavailable) {
                                                 std::fprintf(stderr, "ERROR: call %u: the texture's bytes are "
                                                              "unavailable: the trace file was cut or changed\n",
                                                              r.callNumber);
                                                 status = kDumpMalformed;
                                             }
                                             if (image.kind == STextureImage::kNone ||
                                                 image.kind == STextureImage::kUnavailable)
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

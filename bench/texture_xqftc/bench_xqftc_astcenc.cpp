// XQFTC beside the nearest open encoder, as whole processes on one thread: `xqft-texcodec encode
// --format 0` (2 bpp) and `--format 2` (4 bpp) against `astcenc -fastest -j 1` at 8x8 and 6x6 (its
// 2 and 3.56 bpp) on the same 1024 x 1024 photograph-like mosaic, best of five runs each, the
// runs taking turns. XQFTC runs on the machine's widest vector path and on SSE2 (XQFT_SIMD=sse2).
//
//   bench_xqftc_astcenc [--size N] [--runs N] [--qualities A-B] [--tool PATH]
//
// --tool runs another build's xqft-texcodec (the one beside this program by default).
// The qualities (default 0) are XQFTC's; astcenc runs once per format. astcenc comes from the
// Debian package of that name: without it only XQFTC's figures are printed.
#include "BenchProcess.h"
#include "ImageFiles.h"
#include "ImageSet.h"

#include "XQFTextureSimd.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using xqft::bench::PrintProcessTimes;
using xqft::bench::RunProcess;
using xqft::bench::SProcessTimes;

std::string Directory(const std::string& path) { return path.substr(0, path.rfind('/') + 1); }

std::string SelfDirectory()
{
    char buffer[4096];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return n > 0 ? Directory(std::string(buffer, size_t(n))) : std::string("./");
}

bool HaveAstcenc() { return std::system("astcenc -help >/dev/null 2>&1") == 0; }

} // namespace

int main(int argc, char** argv)
{
    unsigned size = 1024, runs = 5, firstQuality = 0, lastQuality = 0;
    std::string tool = SelfDirectory() + "xqft-texcodec";
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--size") == 0)
            size = unsigned(std::atoi(argv[i + 1]));
        else if (std::strcmp(argv[i], "--runs") == 0)
            runs = unsigned(std::atoi(argv[i + 1]));
        else if (std::strcmp(argv[i], "--tool") == 0)
            tool = argv[i + 1];
        else if (std::strcmp(argv[i], "--qualities") == 0 &&
                 std::sscanf(argv[i + 1], "%u-%u", &firstQuality, &lastQuality) < 1)
            return 2;
    }
    lastQuality = std::max(firstQuality, lastQuality);
    size = std::max(16u, size / 16 * 16);
    char dir[] = "/tmp/xqft-astcenc-XXXXXX";
    if (mkdtemp(dir) == nullptr)
        return 1;
    const std::string base = std::string(dir) + "/mosaic";
    const xqft::test::SColourImage image = xqft::test::PhotoMosaic(size, size);
    const std::vector<uint8_t> rgb = image.Rgb();
    if (!xqft::test::WritePpm(base + ".ppm", rgb.data(), size, size) ||
        !xqft::test::WritePngRgb(base + ".png", rgb.data(), size, size))
        return 1;
    const bool astcenc = HaveAstcenc();
    const xqftexture::ESimdPath widest = xqftexture::SimdPathSupported(xqftexture::ESimdPath::kAvx2)
                                             ? xqftexture::ESimdPath::kAvx2
                                             : xqftexture::ESimdPath::kSse2;
    std::printf("%u x %u photograph-like mosaic, one thread, best of %u whole runs\n", size, size, runs);
    static char sse2[] = "XQFT_SIMD=sse2";
    for (unsigned format : {0u, 2u}) {
        const char* block = format == 0 ? "8x8" : "6x6";
        for (unsigned quality = firstQuality; quality <= lastQuality; ++quality) {
            SProcessTimes wide, narrow, astc;
            const std::vector<std::string> ours = {tool, "encode", "--format", std::to_string(format), "--quality",
                                                   std::to_string(quality), "--threads", "1", base + ".ppm",
                                                   base + ".xqftc"};
            const std::vector<std::string> theirs = {"astcenc", "-cl", base + ".png", base + ".astc", block,
                                                     "-fastest", "-j", "1", "-silent"};
            const bool compare = astcenc && quality == firstQuality;
            for (unsigned r = 0; r < runs; ++r) {
                RunProcess(ours, -1, nullptr, wide);
                if (widest != xqftexture::ESimdPath::kSse2)
                    RunProcess(ours, -1, sse2, narrow);
                if (compare)
                    RunProcess(theirs, -1, nullptr, astc);
            }
            std::printf("XQFTC %s bpp, quality %u:\n", format == 0 ? "2" : "4", quality);
            PrintProcessTimes((std::string("xqft-texcodec, ") + xqftexture::SimdPathName(widest)).c_str(), 44, wide);
            if (widest != xqftexture::ESimdPath::kSse2)
                PrintProcessTimes("xqft-texcodec, sse2", 44, narrow);
            if (compare) {
                PrintProcessTimes((std::string("astcenc -fastest ") + block).c_str(), 44, astc);
                if (wide.ok && astc.ok)
                    std::printf("  ratio (wall): %.2f; (CPU): %.2f\n", wide.wall / astc.wall, wide.cpu / astc.cpu);
            }
        }
    }
    if (!astcenc)
        std::printf("astcenc not found (Debian package astcenc): no comparison\n");
    std::system((std::string("rm -rf ") + dir).c_str());
    return 0;
}

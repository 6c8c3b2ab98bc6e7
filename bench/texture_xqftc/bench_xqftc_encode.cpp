// XQFTC compression: time, Mpixels/s and PSNR of the class compressor (XQFTC quality 0) and the amtc
// compressor at efforts 0 to 4, at 2 and 4 bpp, XQFTC and XQFTC-II, beside libsquish's DXT1 range
// fit and cluster fit (4 bpp too) on the same images in the same run; and the speed-up from one
// thread to 2, 4 and 8.
//
// The whole matrix (both sizes, every effort, every thread limit) takes hours on one machine, most
// of it XQFTC-II at efforts 2 to 4, whose restarts cost about ten times an effort-1 pass: it runs
// with XQFT_BENCH_FULL=1. By default the quality table runs on the 512 x 512 images of the set
// (XQFTC-II efforts 2 to 4 on one image, "sine-noise"), and the thread table on one 1024 x 1024
// image.
#include "BenchSupport.h"
#include "ImageSet.h"
#include "Psnr.h"

#include "XQFTextureCodecs.h"
#include "XQFTextureEncoders.h"
#include "XQFTextureThreads.h"

#include <squish.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

using namespace xqftexture;
using xqft::bench::Clock;
using xqft::bench::Seconds;
using xqft::test::SColourImage;

namespace {

struct SResult {
    double seconds = 0, cpu = 0, psnr = 0;
    u64 pixels = 0;
    double Mpx() const { return seconds > 0 ? double(pixels) / seconds / 1e6 : 0; }
};

// An encoder: compresses the image and returns its decoded pixels (RGBA), or nothing on failure;
// seconds and cpu: the wall and process CPU time of the compression alone.
using Encoder = std::function<std::vector<u8>(const SColourImage&, double& seconds, double& cpu)>;

Encoder Xqftc(bool twoBpp, bool second, u32 quality)
{
    return [=](const SColourImage& image, double& seconds, double& cpu) {
        std::vector<u8> blocks(CompressXQFTCImage(nullptr, 0, nullptr, image.width, image.height, true, twoBpp,
                                                  second, quality));
        const auto start = Clock::now();
        const double cpu0 = xqft::bench::ProcessCpuSeconds();
        const u64 written = CompressXQFTCImage(image.rgba.data(), image.rgba.size(), blocks.data(), image.width,
                                               image.height, true, twoBpp, second, quality);
        seconds = Seconds(start, Clock::now());
        cpu = xqft::bench::ProcessCpuSeconds() - cpu0;
        std::vector<u8> decoded(u64(image.width) * image.height * 4);
        if (written != blocks.size() || DecompressXQFTCImage(blocks.data(), blocks.size(), decoded.data(), image.width,
                                                             image.height, twoBpp, second) != decoded.size())
            decoded.clear();
        return decoded;
    };
}

Encoder Squish(int fit)
{
    return [=](const SColourImage& image, double& seconds, double& cpu) {
        std::vector<u8> blocks(squish::GetStorageRequirements(int(image.width), int(image.height), squish::kDxt1));
        const auto start = Clock::now();
        const double cpu0 = xqft::bench::ProcessCpuSeconds();
        squish::CompressImage(image.rgba.data(), int(image.width), int(image.height), blocks.data(),
                              squish::kDxt1 | fit);
        seconds = Seconds(start, Clock::now());
        cpu = xqft::bench::ProcessCpuSeconds() - cpu0;
        std::vector<u8> decoded(u64(image.width) * image.height * 4);
        squish::DecompressImage(decoded.data(), int(image.width), int(image.height), blocks.data(), squish::kDxt1);
        return decoded;
    };
}

SResult Run(const std::vector<SColourImage>& images, const Encoder& encode)
{
    SResult r;
    for (const SColourImage& image : images) {
        double seconds = 0, cpu = 0;
        const std::vector<u8> decoded = encode(image, seconds, cpu);
        if (decoded.empty())
            return {};
        r.seconds += seconds, r.cpu += cpu;
        r.pixels += u64(image.width) * image.height;
        r.psnr += xqft::test::PsnrRgb(image.rgba.data(), 4, decoded.data(), 4, u64(image.width) * image.height);
    }
    r.psnr /= double(images.size());
    return r;
}

void PrintRow(const std::string& name, const SResult& r, const char* note = "")
{
    std::printf("  %-34s %8.2f s %8.3f Mpx/s %8.2f s CPU %7.2f dB%s\n", name.c_str(), r.seconds, r.Mpx(), r.cpu,
                r.psnr, note);
}

struct SFormat {
    const char* name;
    bool twoBpp, second;
};
constexpr SFormat kFormats[] = {
    {"XQFTC 4bpp", false, false}, {"XQFTC 2bpp", true, false}, {"XQFTC-II 4bpp", false, true}, {"XQFTC-II 2bpp", true, true}};

} // namespace

int main()
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0); // each figure as soon as it is measured
    const bool full = std::getenv("XQFT_BENCH_FULL") != nullptr;
    const std::vector<u32> sizes = full ? std::vector<u32>{512, 1024} : std::vector<u32>{512};
    double clusterPsnr = 0, effort2Psnr = 0, classCpu = 0, effort0Cpu = 0;

    std::printf("XQFTC compression, default thread limit (%u threads)%s\n", GetThreadLimit(),
                full ? "" : "; XQFT_BENCH_FULL=1 runs every size and effort");
    for (const u32 size : sizes) {
        const std::vector<SColourImage> set = xqft::test::ColourImages(size, size);
        const std::vector<SColourImage> one = {xqft::test::ColourImage("sine-noise", size, size)};
        std::printf("%u x %u, %zu images of the set\n", size, size, set.size());
        const SResult range = Run(set, Squish(squish::kColourRangeFit));
        const SResult cluster = Run(set, Squish(squish::kColourClusterFit));
        PrintRow("libsquish DXT1 range fit", range);
        PrintRow("libsquish DXT1 cluster fit", cluster);
        if (size == 512)
            clusterPsnr = cluster.psnr;
        for (const SFormat& f : kFormats) {
            if (!f.second) {
                const SResult r = Run(set, Xqftc(f.twoBpp, false, 0));
                PrintRow(std::string(f.name) + " class compressor", r);
                if (size == 512 && !f.twoBpp)
                    classCpu = r.cpu;
            }
            for (u32 effort = 0; effort <= 4; ++effort) {
                const bool reduced = f.second && effort >= 2 && !full;
                const SResult r = Run(reduced ? one : set, Xqftc(f.twoBpp, f.second, f.second ? effort : effort + 1));
                PrintRow(std::string(f.name) + " amtc effort " + std::to_string(effort), r,
                         reduced ? "  (sine-noise only)" : "");
                if (size == 512 && !f.twoBpp && !f.second && effort == 2)
                    effort2Psnr = r.psnr;
                if (size == 512 && !f.twoBpp && !f.second && effort == 0)
                    effort0Cpu = r.cpu;
            }
        }
    }

    std::printf("Thread limits, 1024 x 1024 %s\n", full ? "images of the set" : "\"sine-noise\"");
    const std::vector<SColourImage> big =
        full ? xqft::test::ColourImages(1024, 1024) : std::vector<SColourImage>{xqft::test::ColourImage("sine-noise", 1024, 1024)};
    // Wall-clock speed-up over one thread; on a shared machine also the CPU time over one thread's
    // (what the threads cost beyond the work: 1.0 is nothing), and the threads over that, which is
    // the speed-up the run would have on idle cores.
    struct SScaling {
        const char* name;
        Encoder encode;
        double speedUp, idleSpeedUp;
    } scaling[] = {
        {"class 4bpp (64 regions)", Xqftc(false, false, 0), 0, 0},
        {"class 2bpp (64 regions)", Xqftc(true, false, 0), 0, 0},
        {"amtc effort 0 XQFTC 4bpp", Xqftc(false, false, 1), 0, 0},
        {"amtc effort 0 XQFTC-II 2bpp", Xqftc(true, true, 0), 0, 0},
    };
    for (SScaling& s : scaling) {
        SResult one;
        for (const u32 limit : {1u, 2u, 4u, 8u}) {
            SetThreadLimit(limit);
            const SResult r = Run(big, s.encode);
            if (limit == 1)
                one = r;
            s.speedUp = r.seconds > 0 ? one.seconds / r.seconds : 0;
            const double cost = one.cpu > 0 ? r.cpu / one.cpu : 0;
            s.idleSpeedUp = cost > 0 ? limit / cost : 0;
            char note[96];
            std::snprintf(note, sizeof note, "  %.2fx wall, CPU %.2fx one thread's: %.2fx on idle cores", s.speedUp,
                          cost, s.idleSpeedUp);
            PrintRow(std::string(s.name) + ", " + std::to_string(limit) + " threads", r, note);
        }
    }
    SetThreadLimit(0);

    std::printf("goal: 5x from one thread to 8: amtc %.2fx wall (%.2fx on idle cores), class %.2fx wall (%.2fx): %s\n",
                scaling[2].speedUp, scaling[2].idleSpeedUp, scaling[0].speedUp, scaling[0].idleSpeedUp,
                scaling[2].speedUp >= 5 && scaling[0].speedUp >= 5 ? "met" : "NOT met on the wall clock");
    std::printf("goal: amtc effort 2 (4 bpp) within 2 dB of the cluster fit: %.2f dB against %.2f dB: %s\n",
                effort2Psnr, clusterPsnr, effort2Psnr >= clusterPsnr - 2 ? "met" : "NOT met");
    std::printf("goal: class compressor 5x faster than amtc effort 0 (4 bpp, CPU time): %.1fx: %s\n",
                classCpu > 0 ? effort0Cpu / classCpu : 0.0, classCpu > 0 && effort0Cpu >= 5 * classCpu ? "met" : "NOT met");
    return 0;
}

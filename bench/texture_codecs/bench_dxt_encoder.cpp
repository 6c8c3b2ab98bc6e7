// DXT1 encoding on one thread beside libsquish's range fit: Mpx/s and PSNR of each on the image set
// and a photograph-like mosaic (alpha made opaque), the best of several rounds, each round running
// both encoders once so that a change in the machine's load weighs on them alike; then our time as
// a share of the range fit's over the whole set, and the quality difference. Times are the thread's
// CPU time, which a busy machine distorts less than the wall clock.
//
//   bench_dxt_encoder [SIZE [ROUNDS]]     default 1024 5
#include "BenchSquishThreads.h"
#include "ImageSet.h"
#include "Psnr.h"
#include "XQFTextureCodecs.h"
#include "XQFTextureEncoders.h"

#include <squish.h>

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace xqftexture;

namespace {

double ThreadSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + 1e-9 * double(t.tv_nsec);
}

// The thread CPU seconds of one run(); 0 when it fails.
template <class Run>
double CpuSeconds(Run run)
{
    const double start = ThreadSeconds();
    return run() ? ThreadSeconds() - start : 0;
}

} // namespace

int main(int argc, char** argv)
{
    xqft::bench::HoldSquishToOneThread();
    const u32 size = argc > 1 ? u32(std::max(4, std::atoi(argv[1]))) : 1024;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    std::vector<xqft::test::SColourImage> images = xqft::test::ColourImages(size, size);
    images.push_back(xqft::test::PhotoMosaic(size, size));
    const u64 pixels = u64(size) * size;
    const double mpx = double(pixels) / 1e6;
    std::printf("DXT1 encoding, %ux%u, one thread, best of %d rounds\n", size, size, rounds);
    std::printf("%-12s %10s %8s | %10s %8s | %6s\n", "image", "ours Mpx/s", "dB", "range fit", "dB", "time");
    double oursSeconds = 0, squishSeconds = 0, oursDb = 0, squishDb = 0;
    for (xqft::test::SColourImage& image : images) {
        for (size_t i = 3; i < image.rgba.size(); i += 4)
            image.rgba[i] = 255;
        std::vector<u8> ours(CompressDXT(nullptr, 0, nullptr, size, size, 1)), theirs(ours.size());
        double best[2] = {1e30, 1e30};
        for (int round = 0; round < rounds; ++round) {
            best[0] = std::min(best[0], CpuSeconds([&] {
                                   return CompressDXT(image.rgba.data(), image.rgba.size(), ours.data(), size, size, 1) ==
                                          ours.size();
                               }));
            best[1] = std::min(best[1], CpuSeconds([&] {
                                   squish::CompressImage(image.rgba.data(), int(size), int(size), theirs.data(),
                                                         squish::kDxt1 | squish::kColourRangeFit);
                                   return true;
                               }));
        }
        std::vector<u8> back(pixels * 4);
        double db[2] = {0, 0};
        if (DecompressDXT(ours.data(), ours.size(), back.data(), size, size, 1) == back.size())
            db[0] = xqft::test::PsnrRgb(image.rgba.data(), 4, back.data(), 4, pixels);
        squish::DecompressImage(back.data(), int(size), int(size), theirs.data(), squish::kDxt1);
        db[1] = xqft::test::PsnrRgb(image.rgba.data(), 4, back.data(), 4, pixels);
        std::printf("%-12s %10.2f %8.2f | %10.2f %8.2f | %5.2fx\n", image.name.c_str(), best[0] > 0 ? mpx / best[0] : 0,
                    db[0], mpx / best[1], db[1], best[0] / best[1]);
        oursSeconds += best[0], squishSeconds += best[1], oursDb += db[0], squishDb += db[1];
    }
    const double n = double(images.size());
    std::printf("set: ours %.2f Mpx/s %.2f dB, range fit %.2f Mpx/s %.2f dB (mean dB)\n", n * mpx / oursSeconds,
                oursDb / n, n * mpx / squishSeconds, squishDb / n);
    std::printf("our time / the range fit's: %.2f (goal at most 1)%s; %+.2f dB\n", oursSeconds / squishSeconds,
                oursSeconds <= squishSeconds ? "" : "  NOT met", (oursDb - squishDb) / n);
    return 0;
}

// Decode rates of the DXT, XQFTC and packed decoders on 4096 x 4096 levels of random data, one
// thread, with libsquish's DXT decoder measured in the same run for comparison. Prints Mpixels/s,
// the best of several rounds; each round runs every decoder once, so that a change in the machine's
// load weighs on all of them alike.
#include "BenchSquishThreads.h"
#include "XQFTextureCodecs.h"

#include <squish.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <vector>

using namespace xqftexture;

namespace {

constexpr u32 kSize = 4096;
constexpr int kRounds = 7;

// Mpixels/s of one decode; 0 when the decoder refused the data.
double MpixelsPerSecond(const std::function<bool()>& decode)
{
    const auto start = std::chrono::steady_clock::now();
    if (!decode())
        return 0;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return double(kSize) * kSize / seconds / 1e6;
}

std::vector<u8> RandomBytes(u64 size, u32 seed)
{
    std::vector<u8> bytes(size);
    std::mt19937 random(seed);
    for (u8& b : bytes)
        b = u8(random());
    return bytes;
}

struct SRow {
    const char* name;
    std::function<bool()> decode;
    double goal;           // Mpixels/s; 0: none
    double timesReference; // or: at least this many times the rate of the row named reference
    const char* reference;
};

} // namespace

int main()
{
    xqft::bench::HoldSquishToOneThread();
    const u64 pixels = u64(kSize) * kSize;
    std::vector<u8> out(pixels * 12);
    const std::vector<u8> dxt1 = RandomBytes(pixels / 2, 1), dxt5 = RandomBytes(pixels, 5);
    const std::vector<u8> twoBpp = RandomBytes(pixels / 4, 2), fourBpp = RandomBytes(pixels / 2, 4);
    const std::vector<u8> yuy2 = RandomBytes(pixels * 2, 17), rgb9e5 = RandomBytes(pixels * 4, 19);

    auto squishDecode = [&](const std::vector<u8>& blocks, int flags) {
        return [&, flags] {
            squish::DecompressImage(out.data(), kSize, kSize, blocks.data(), flags);
            return true;
        };
    };
    auto dxt = [&](const std::vector<u8>& blocks, u32 mode) {
        return [&, mode] { return DecompressDXT(blocks.data(), blocks.size(), out.data(), kSize, kSize, mode) != 0; };
    };
    auto xqftc = [&](const std::vector<u8>& blocks, bool twoBpp, bool second) {
        return [&, twoBpp, second] {
            return DecompressXQFTCImage(blocks.data(), blocks.size(), out.data(), kSize, kSize, twoBpp, second) != 0;
        };
    };
    const SRow rows[] = {
        {"libsquish DXT1", squishDecode(dxt1, squish::kDxt1), 0, 0, nullptr},
        {"libsquish DXT5", squishDecode(dxt5, squish::kDxt5), 0, 0, nullptr},
        {"DXT1", dxt(dxt1, 1), 0, 5, "libsquish DXT1"},
        {"DXT5", dxt(dxt5, 5), 0, 4, "libsquish DXT5"},
        {"XQFTC 2 bpp", xqftc(twoBpp, true, false), 150, 0, nullptr},
        {"XQFTC 4 bpp", xqftc(fourBpp, false, false), 150, 0, nullptr},
        {"XQFTC-II 2 bpp", xqftc(twoBpp, true, true), 150, 0, nullptr},
        {"XQFTC-II 4 bpp", xqftc(fourBpp, false, true), 150, 0, nullptr},
        {"YUY2", [&] { return DecompressYUV422(yuy2.data(), yuy2.size(), out.data(), kSize, kSize, 17) != 0; }, 0, 0,
         nullptr},
        {"RGB9E5",
         [&] { return DecompressSharedExponentR9G9B9E5(rgb9e5.data(), rgb9e5.size(), out.data(), kSize, kSize) != 0; },
         0, 0, nullptr},
    };
    constexpr size_t kRows = sizeof(rows) / sizeof(rows[0]);

    double best[kRows] = {};
    for (int round = 0; round < kRounds; ++round)
        for (size_t i = 0; i < kRows; ++i)
            best[i] = std::max(best[i], MpixelsPerSecond(rows[i].decode));

    std::printf("Decoding %ux%u levels on one thread (best of %d rounds)\n", kSize, kSize, kRounds);
    for (size_t i = 0; i < kRows; ++i) {
        const SRow& row = rows[i];
        std::printf("%-16s %8.1f Mpixels/s", row.name, best[i]);
        if (row.reference != nullptr) {
            double reference = 0;
            for (size_t k = 0; k < kRows; ++k)
                if (std::strcmp(rows[k].name, row.reference) == 0)
                    reference = best[k];
            const double times = reference > 0 ? best[i] / reference : 0;
            std::printf("  %.1fx %s (goal %.0fx)%s", times, row.reference, row.timesReference,
                        times >= row.timesReference ? "" : "  below goal");
        } else if (row.goal > 0) {
            std::printf("  (goal %.0f)%s", row.goal, best[i] >= row.goal ? "" : "  below goal");
        }
        std::printf("\n");
    }
    return 0;
}

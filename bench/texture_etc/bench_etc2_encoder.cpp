// ETC2 and EAC at the fast qualities on the image set: Mpx/s for ETC2 RGB8, RGBA8 and punch-through
// at qualities 0 and 1 and kpx/s for EAC R11 and RG11, on one thread and on all threads, with the PSNR
// (RGB, alpha, 16-bit), beside libsquish's range-fit DXT1 and DXT5 on the same images in the same run.
// Best of three runs; EAC on 512 x 512 images (its search costs 65,536 choices a block).
//
//   bench_etc2_encoder [SIZE [EAC_SIZE]]     default 1024 512
#include "EncodeTiming.h"
#include "ImageSet.h"
#include "PixelFormat.h"
#include "Psnr.h"
#include "XQFTextureCodecs.h"
#include "XQFTextureEncoders.h"
#include "XQFTextureThreads.h"

#include <squish.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

using namespace xqftexture;
using xqft::bench::BestSeconds;

namespace {

constexpr int kRounds = 3;

struct SResult {
    double mpxOne = 0, mpxAll = 0, psnr = 0, alphaPsnr = 0, cpuOne = 0, cpuAll = 0;
};

// Encodes with our encoder on one and on all threads; PSNR of the decoded output against the input
// (RGB for colour, alpha where the format has it, 16-bit for EAC).
SResult Ours(const std::vector<u8>& in, u32 size, u32 id, i32 quality, u32 isSigned, u32 cores)
{
    std::vector<u8> blocks(EncodeETCImage(nullptr, 0, nullptr, size, size, id, 0, 0)), back(in.size());
    auto encode = [&] {
        return EncodeETCImage(in.data(), in.size(), blocks.data(), size, size, id, quality, isSigned) == blocks.size();
    };
    const double mpx = double(size) * size / 1e6;
    SResult r;
    SetThreadLimit(1);
    double cpu = xqft::bench::ProcessCpuSeconds();
    r.mpxOne = mpx / BestSeconds(kRounds, encode);
    r.cpuOne = xqft::bench::ProcessCpuSeconds() - cpu;
    SetThreadLimit(cores);
    cpu = xqft::bench::ProcessCpuSeconds();
    r.mpxAll = mpx / BestSeconds(kRounds, encode);
    r.cpuAll = xqft::bench::ProcessCpuSeconds() - cpu;
    SetThreadLimit(0);
    if (DecodeETCImage(blocks.data(), blocks.size(), back.data(), size, size, id, isSigned, 0) != back.size())
        return {};
    if (id == EAC_R11 || id == EAC_RG11) {
        r.psnr = xqft::test::Psnr16(reinterpret_cast<const u16*>(in.data()), reinterpret_cast<const u16*>(back.data()),
                                    in.size() / 2, isSigned);
    } else {
        r.psnr = xqft::test::PsnrRgb(in.data(), 4, back.data(), 4, u64(size) * size);
        if (id != ETC2_RGB) // RGB8 has no alpha
            r.alphaPsnr = xqft::test::PsnrAlpha(in.data(), 4, back.data(), 4, u64(size) * size);
    }
    return r;
}

SResult Squish(const std::vector<u8>& rgba, u32 size, int flags)
{
    std::vector<u8> blocks(u64(size) * size * ((flags & squish::kDxt1) ? 8 : 16) / 16), back(rgba.size());
    SResult r;
    r.mpxOne = double(size) * size / 1e6 / BestSeconds(kRounds, [&] {
                   squish::CompressImage(rgba.data(), int(size), int(size), blocks.data(), flags | squish::kColourRangeFit);
                   return true;
               });
    squish::DecompressImage(back.data(), int(size), int(size), blocks.data(), flags);
    r.psnr = xqft::test::PsnrRgb(rgba.data(), 4, back.data(), 4, u64(size) * size);
    r.alphaPsnr = xqft::test::PsnrAlpha(rgba.data(), 4, back.data(), 4, u64(size) * size);
    return r;
}

// PSNRs of several images combined as the PSNR of their mean squared error (exact images add 0).
struct SPsnrMean {
    double mseSum = 0;
    int count = 0;
    void Add(double psnr)
    {
        mseSum += psnr >= xqft::test::kPsnrExact ? 0 : 255.0 * 255.0 / std::pow(10.0, psnr / 10);
        ++count;
    }
    double Value() const { return xqft::test::PsnrFromMse(count ? mseSum / count : 0, 255); }
};

} // namespace

int main(int argc, char** argv)
{
    const u32 size = argc > 1 ? u32(std::atoi(argv[1])) : 1024, eacSize = argc > 2 ? u32(std::atoi(argv[2])) : 512;
    const u32 cores = std::max(1u, std::thread::hardware_concurrency());
    std::printf("ETC2 / EAC fast qualities, %ux%u (EAC %ux%u), best of %d runs, 1 and %u threads\n", size, size, eacSize,
                eacSize, kRounds, cores);
    struct SRow {
        const char* name;
        u32 id;
        i32 quality;
    };
    const SRow rows[] = {{"RGB8 q0", ETC2_RGB, 0},  {"RGB8 q1", ETC2_RGB, 1},  {"RGBA8 q0", ETC2_RGBA, 0},
                         {"RGBA8 q1", ETC2_RGBA, 1}, {"RGB8A1", ETC2_RGB_A1, 0}};
    constexpr size_t kRows = sizeof(rows) / sizeof(rows[0]);
    SPsnrMean sumPsnr[kRows], sumAlpha[kRows], dxt1Psnr, dxt5Psnr, dxt5Alpha;
    double sumOne[kRows] = {}, sumAll[kRows] = {}, dxt1Rate = 0, dxt5Rate = 0, cpuOne = 0, cpuAll = 0;
    int images = 0;
    std::printf("%-12s %-9s %9s %9s %8s %8s\n", "image", "format", "Mpx/s 1t", "Mpx/s all", "RGB dB", "alpha dB");
    for (const xqft::test::SColourImage& image : xqft::test::ColourImages(size, size)) {
        ++images;
        for (size_t i = 0; i < kRows; ++i) {
            const SResult r = Ours(image.rgba, size, rows[i].id, rows[i].quality, 0, cores);
            std::printf("%-12s %-9s %9.2f %9.2f %8.2f %8.2f\n", image.name.c_str(), rows[i].name, r.mpxOne, r.mpxAll,
                        r.psnr, r.alphaPsnr);
            sumPsnr[i].Add(r.psnr), sumOne[i] += r.mpxOne, sumAll[i] += r.mpxAll;
            cpuOne += r.cpuOne, cpuAll += r.cpuAll;
            if (rows[i].id != ETC2_RGB)
                sumAlpha[i].Add(r.alphaPsnr);
        }
        std::vector<u8> opaque = image.rgba;
        for (size_t p = 3; p < opaque.size(); p += 4)
            opaque[p] = 255; // DXT1 without its transparency, as ETC2 RGB8
        const SResult d1 = Squish(opaque, size, squish::kDxt1), d5 = Squish(image.rgba, size, squish::kDxt5);
        std::printf("%-12s %-9s %9.2f %9s %8.2f %8s\n%-12s %-9s %9.2f %9s %8.2f %8.2f\n", image.name.c_str(),
                    "DXT1 sq", d1.mpxOne, "-", d1.psnr, "-", image.name.c_str(), "DXT5 sq", d5.mpxOne, "-", d5.psnr,
                    d5.alphaPsnr);
        dxt1Psnr.Add(d1.psnr), dxt5Psnr.Add(d5.psnr), dxt5Alpha.Add(d5.alphaPsnr);
        dxt1Rate += d1.mpxOne, dxt5Rate += d5.mpxOne;
    }
    std::printf("\nmeans over the set (PSNR of the set's mean squared error)\n");
    for (size_t i = 0; i < kRows; ++i) {
        std::printf("%-9s %8.2f Mpx/s 1t (goal 0.21) %8.2f all (%.1fx, goal 6x)  %6.2f dB RGB", rows[i].name,
                    sumOne[i] / images, sumAll[i] / images, sumAll[i] / sumOne[i], sumPsnr[i].Value());
        if (rows[i].id != ETC2_RGB)
            std::printf("  %6.2f dB alpha", sumAlpha[i].Value());
        std::printf("\n");
    }
    std::printf("CPU time on %u threads / on 1 (all ETC2 rows): %.2f, so about %.1fx on %u idle cores\n", cores,
                cpuAll / cpuOne, cores * cpuOne / cpuAll, cores);
    std::printf("libsquish range fit: DXT1 %.2f Mpx/s %.2f dB, DXT5 %.2f Mpx/s %.2f dB RGB %.2f dB alpha\n",
                dxt1Rate / images, dxt1Psnr.Value(), dxt5Rate / images, dxt5Psnr.Value(), dxt5Alpha.Value());
    std::printf("ETC2 RGB8 q0 - DXT1: %+.2f dB (goal > -1); RGBA8 q0 - DXT5: %+.2f dB RGB (goal > -1)", 
                sumPsnr[0].Value() - dxt1Psnr.Value(), sumPsnr[2].Value() - dxt5Psnr.Value());
    if (dxt5Alpha.Value() >= xqft::test::kPsnrExact)
        std::printf("; DXT5 alpha exact on the set, RGBA8 alpha %.2f dB\n", sumAlpha[2].Value());
    else
        std::printf(", %+.2f dB alpha\n", sumAlpha[2].Value() - dxt5Alpha.Value());

    std::printf("\nEAC %ux%u   kpx/s 1t  kpx/s all   16-bit dB\n", eacSize, eacSize);
    double eacOne = 0, eacAll = 0;
    int eacRuns = 0;
    for (const xqft::test::SImage16& image : xqft::test::Images16(eacSize, eacSize))
        for (u32 id : {EAC_R11, EAC_RG11}) {
            const std::vector<u16> values = id == EAC_R11 ? image.Channel(0) : image.rg;
            std::vector<u8> bytes(values.size() * 2);
            std::memcpy(bytes.data(), values.data(), bytes.size());
            const SResult r = Ours(bytes, eacSize, id, 0, image.isSigned, cores);
            std::printf("%-18s %-5s %8.1f %9.1f %10.2f\n", image.name.c_str(), id == EAC_R11 ? "R11" : "RG11",
                        r.mpxOne * 1000, r.mpxAll * 1000, r.psnr);
            if (id == EAC_R11)
                eacOne += r.mpxOne * 1000, eacAll += r.mpxAll * 1000, ++eacRuns;
        }
    std::printf("R11 mean: %.1f kpx/s on 1 thread (goal 50), %.1f on %u (%.1fx)\n", eacOne / eacRuns, eacAll / eacRuns,
                cores, eacAll / eacOne);
    return 0;
}

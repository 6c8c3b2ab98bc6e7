// Decode and transcode speed of 4096x4096 images on one thread, in Mpixels/s, beside the machine's
// memory copy rate over the same amount of data.
#include "TextureTranscoder.h"
#include "XQFTextureCodecs.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

using namespace xqftexture;

namespace {

constexpr u32 kSize = 4096;
constexpr u64 kPixels = u64(kSize) * kSize;

std::vector<u8> RandomBytes(u64 n, u32 seed)
{
    std::vector<u8> v(n);
    std::mt19937 random(seed);
    for (u64 i = 0; i < n; i += 4) {
        const u32 r = random();
        std::memcpy(&v[i], &r, std::min<u64>(4, n - i));
    }
    return v;
}

void SetMpix(benchmark::State& state)
{
    state.counters["Mpix/s"] =
        benchmark::Counter(double(kPixels) * double(state.iterations()) / 1e6, benchmark::Counter::kIsRate);
}

void DecodeEtc(benchmark::State& state, u32 id, u32 blockBytes, u32 outBytes)
{
    const std::vector<u8> src = RandomBytes(kPixels / 16 * blockBytes, id);
    std::vector<u8> dst(kPixels * outBytes);
    for (auto _ : state) {
        benchmark::DoNotOptimize(DecodeETCImage(src.data(), src.size(), dst.data(), kSize, kSize, id, 0, 0));
        benchmark::ClobberMemory();
    }
    SetMpix(state);
}

void BM_DecodeETC1(benchmark::State& s) { DecodeEtc(s, ETC1, 8, 3); }
void BM_DecodeETC2_RGB(benchmark::State& s) { DecodeEtc(s, ETC2_RGB, 8, 4); }
void BM_DecodeETC2_RGBA(benchmark::State& s) { DecodeEtc(s, ETC2_RGBA, 16, 4); }
void BM_DecodeEAC_R11(benchmark::State& s) { DecodeEtc(s, EAC_R11, 8, 2); }

CTextureHeader Header(PixelFormat f, u32 type)
{
    CTextureHeader h;
    h.SetPixelFormat(f);
    h.SetChannelType(type);
    h.SetWidth(kSize);
    h.SetHeight(kSize);
    return h;
}

// The pixel loop of the transcoder, into a texture allocated once.
void Transcode(benchmark::State& state, PixelFormat from, u32 type)
{
    const CTextureHeader h = Header(from, type);
    const std::vector<u8> data = RandomBytes(h.GetDataSize(), 5);
    const CTexture src(h, data.data(), data.size());
    const PixelFormat rgb8('r', 'g', 'b', 0, 8, 8, 8, 0);
    CTexture dst(Header(rgb8, UnsignedByteNorm));
    CPixelAccessor sa(from, type), da(rgb8, UnsignedByteNorm);
    for (auto _ : state) {
        benchmark::DoNotOptimize(ConvertPixels(src, dst, sa, da, 0, 0));
        benchmark::ClobberMemory();
    }
    SetMpix(state);
}

void BM_TranscodeRGBA8ToRGB8(benchmark::State& s) { Transcode(s, PixelFormatRGBA8888, UnsignedByteNorm); }
void BM_TranscodeRGB565ToRGB8(benchmark::State& s)
{
    Transcode(s, PixelFormat('r', 'g', 'b', 0, 5, 6, 5, 0), UnsignedShortNorm);
}

// The whole display entry, as the views call it: recorded bytes in, RGB buffer out.
void DisplayEntry(benchmark::State& state, u32 internalFormat, u32 type, u32 bytesPerPixel)
{
    const std::vector<u8> data = RandomBytes(kPixels * bytesPerPixel, 9);
    std::vector<u8> rgb;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            TranscodeGLImageToRGB8(internalFormat, internalFormat, type, kSize, kSize, data.data(), data.size(), rgb));
        benchmark::ClobberMemory();
    }
    SetMpix(state);
}

void BM_DisplayEntryRGBA8(benchmark::State& s) { DisplayEntry(s, 0x1908, 0x1401, 4); }
void BM_DisplayEntryRGB565(benchmark::State& s) { DisplayEntry(s, 0x1907, 0x8363, 2); }

// Memory copy of one RGBA8 image (4 bytes per pixel): the yardstick for 8-bit transcoding.
void BM_MemoryCopyRGBA8Image(benchmark::State& state)
{
    const std::vector<u8> src = RandomBytes(kPixels * 4, 1);
    std::vector<u8> dst(src.size());
    for (auto _ : state) {
        std::memcpy(dst.data(), src.data(), src.size());
        benchmark::ClobberMemory();
    }
    SetMpix(state);
    state.SetBytesProcessed(i64(state.iterations()) * i64(src.size()));
}

} // namespace

BENCHMARK(BM_DecodeETC1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeETC2_RGB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeETC2_RGBA)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeEAC_R11)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TranscodeRGBA8ToRGB8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TranscodeRGB565ToRGB8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DisplayEntryRGBA8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DisplayEntryRGB565)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemoryCopyRGBA8Image)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();

// xqft-texcodec: the texture library's encoders and decoders from the shell.
//
//   xqft-texcodec encode --format ID --quality Q [--threads N] [--signed] IN OUT
//   xqft-texcodec decode --format ID [--size WxH] [--signed] IN OUT
//
// Images are binary PPM (P6) or PAM (P7) files; ETC1 (id 6) data may also be a PKM file (".pkm"),
// which etc1tool reads and writes. Other compressed data is written and read as the bare blocks, whose
// dimensions decode takes from --size. Exit status 0 on success, 1 on failure, 2 on a usage error.
#include "BlockWalker.h"
#include "ImageFile.h"
#include "PixelFormat.h"
#include "XQFTextureCodecs.h"
#include "XQFTextureEncoders.h"
#include "XQFTextureThreads.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

using namespace xqftexture;

namespace {

// The formats the tool handles: the encoder's input and the decoder's output, as samples per pixel
// and bytes per sample, and the library's entries for them (a null src or dst asks for the size).
using EncodeFn = u64 (*)(const u8* src, u64 srcSize, u8* dst, u32 w, u32 h, u32 id, u32 quality, bool isSigned);
using DecodeFn = u64 (*)(const u8* src, u64 srcSize, u8* dst, u32 w, u32 h, u32 id, bool isSigned);

u64 EtcEncode(const u8* s, u64 n, u8* d, u32 w, u32 h, u32 id, u32 quality, bool isSigned)
{
    return EncodeETCImage(s, n, d, w, h, id, i32(quality), isSigned);
}
u64 EtcDecode(const u8* s, u64 n, u8* d, u32 w, u32 h, u32 id, bool isSigned)
{
    return DecodeETCImage(s, n, d, w, h, id, isSigned, 0);
}
u64 DxtEncode(const u8* s, u64 n, u8* d, u32 w, u32 h, u32 id, u32, bool) { return CompressDXT(s, n, d, w, h, id - 6); }
u64 DxtDecode(const u8* s, u64 n, u8* d, u32 w, u32 h, u32 id, bool) { return DecompressDXT(s, n, d, w, h, id - 6); }
// XQFTC 2 bpp RGB, RGBA (0, 1), 4 bpp RGB, RGBA (2, 3); XQFTC-II 2 bpp (4) and 4 bpp (5).
bool XqftcTwoBpp(u32 id) { return id == 0 || id == 1 || id == 4; }
u64 XqftcEncode(const u8* s, u64 n, u8* d, u32 w, u32 h, u32 id, u32 quality, bool)
{
    return CompressXQFTCImage(s, n, d, w, h, id == 1 || id == 3, XqftcTwoBpp(id), id >= 4, quality);
}
u64 XqftcDecode(const u8* s, u64 n, u8* d, u32 w, u32 h, u32 id, bool)
{
    return DecompressXQFTCImage(s, n, d, w, h, XqftcTwoBpp(id), id >= 4);
}

struct SCodec {
    u32 firstId, lastId;
    u32 channels, bytesPerSample;
    const char* what;
    EncodeFn encode;
    DecodeFn decode;
};
constexpr SCodec kCodecs[] = {
    {XQFTC_2bpp_RGB, XQFTCII_4bpp, 4, 1, "XQFTC, XQFTC-II", XqftcEncode, XqftcDecode},
    {ETC1, ETC1, 3, 1, "ETC1", EtcEncode, EtcDecode},
    {DXT1, DXT5, 4, 1, "DXT1-DXT5", DxtEncode, DxtDecode},
    {ETC2_RGB, ETC2_RGB_A1, 4, 1, "ETC2 RGB, RGBA, RGB A1", EtcEncode, EtcDecode},
    {EAC_R11, EAC_R11, 1, 2, "EAC R11", EtcEncode, EtcDecode},
    {EAC_RG11, EAC_RG11, 2, 2, "EAC RG11", EtcEncode, EtcDecode},
};

const SCodec* CodecOf(u32 id)
{
    for (const SCodec& c : kCodecs)
        if (id >= c.firstId && id <= c.lastId)
            return &c;
    return nullptr;
}

int Usage(const char* why)
{
    if (why != nullptr)
        std::fprintf(stderr, "xqft-texcodec: %s\n", why);
    std::fprintf(stderr, "usage: xqft-texcodec encode --format ID --quality Q [--threads N] [--signed] IN OUT\n"
                         "       xqft-texcodec decode --format ID [--size WxH] [--signed] IN OUT\n"
                         "formats:");
    for (const SCodec& c : kCodecs)
        std::fprintf(stderr, " %u-%u %s;", c.firstId, c.lastId, c.what);
    std::fprintf(stderr, "\nimages: .ppm (P6) or .pam (P7); ETC1 data also .pkm\n");
    return 2;
}

int Fail(const std::string& why)
{
    std::fprintf(stderr, "xqft-texcodec: %s\n", why.c_str());
    return 1;
}

bool ParseNumber(const char* text, u32& value)
{
    char* end = nullptr;
    errno = 0;
    const unsigned long long v = std::strtoull(text, &end, 10);
    if (text[0] < '0' || text[0] > '9' || *end != '\0' || errno != 0 || v > 0xFFFFFFFFull)
        return false;
    value = u32(v);
    return true;
}

struct SArgs {
    std::string command, in, out;
    u32 format = 0, quality = 0, threads = 0, width = 0, height = 0;
    bool haveFormat = false, haveQuality = false, isSigned = false;
};

// The file channel that the encoder's channel c takes, or -1 for opaque alpha. A file of three or four
// channels gives its own, and alpha is opaque without a fourth. A grey file (one channel) gives its
// grey to the colours, and a grey and alpha file (two) its alpha as well, except that a two-channel
// encoder takes a two-channel file's channels as they are (the PAM that decode writes for them).
int SourceChannel(u32 c, u32 fileChannels, u32 codecChannels)
{
    if (fileChannels >= 3)
        return c < fileChannels ? int(c) : -1;
    if (fileChannels == 2 && (c == 3 || (c == 1 && codecChannels == 2)))
        return 1;
    return c == 3 ? -1 : 0;
}

// The image's samples in the layout the encoder of codec takes (SourceChannel); 8-bit samples widen
// to 16 bits as v x 257. Every byte is written, so the buffer starts uninitialised.
struct SEncoderInput {
    std::unique_ptr<u8[]> bytes;
    u64 size = 0;
};
SEncoderInput EncoderInput(const SImageFile& image, const SCodec& codec)
{
    const u64 pixels = u64(image.width) * image.height;
    SEncoderInput input{nullptr, pixels * codec.channels * codec.bytesPerSample};
    input.bytes = std::make_unique_for_overwrite<u8[]>(input.size);
    if (image.bytesPerSample == 1 && codec.bytesPerSample == 1 && codec.channels >= 3 && image.channels >= 3) {
        // The common cases, 8-bit colour into RGB or RGBA, in bands of rows on the library's threads:
        // on one thread it (and the first touch of the buffer) was a few per cent of a threaded encode.
        const u32 bands = std::min(image.height, 64u), from = image.channels, to = codec.channels;
        RunWorkers(bands, [&](u32 band, u32) {
            const u64 first = u64(band) * image.height / bands * image.width;
            const u64 last = u64(band + 1) * image.height / bands * image.width;
            const u8* in = image.samples.data() + first * from;
            u8* out = input.bytes.get() + first * to;
            if (from == to)
                std::memcpy(out, in, (last - first) * to);
            else if (to == 4)
                for (u64 p = first; p < last; ++p, in += 3, out += 4)
                    out[0] = in[0], out[1] = in[1], out[2] = in[2], out[3] = 255;
            else
                for (u64 p = first; p < last; ++p, in += 4, out += 3)
                    out[0] = in[0], out[1] = in[1], out[2] = in[2];
            return true;
        });
        return input;
    }
    u8* const bytes = input.bytes.get();
    for (u64 p = 0; p < pixels; ++p)
        for (u32 c = 0; c < codec.channels; ++c) {
            u32 v;
            const int from = SourceChannel(c, image.channels, codec.channels);
            if (from < 0) {
                v = 0xFFFF;
            } else if (image.bytesPerSample == 2) {
                u16 s;
                std::memcpy(&s, &image.samples[(p * image.channels + from) * 2], 2);
                v = s;
            } else {
                v = image.samples[p * image.channels + from] * 257u;
            }
            if (codec.bytesPerSample == 2) {
                const u16 s = u16(v);
                std::memcpy(&bytes[(p * codec.channels + c) * 2], &s, 2);
            } else {
                bytes[p * codec.channels + c] = u8(v >> 8);
            }
        }
    return input;
}

int Encode(const SArgs& a, const SCodec& codec)
{
    if (a.threads != 0)
        SetThreadLimit(a.threads);
    const CWorkerTeam team; // the threads that read the samples go on to convert and encode them
    SImageFile image;
    std::string why;
    if (!ReadPnm(a.in, image, why))
        return Fail(why);
    const SEncoderInput input = EncoderInput(image, codec);
    const u64 size = codec.encode(nullptr, 0, nullptr, image.width, image.height, a.format, 0, false);
    if (size == 0)
        return Fail("the image is too large for the format");
    std::vector<u8> blocks(size);
    const auto start = std::chrono::steady_clock::now();
    const u64 written =
        codec.encode(input.bytes.get(), input.size, blocks.data(), image.width, image.height, a.format, a.quality, a.isSigned);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (written != size)
        return Fail("format " + std::to_string(a.format) + " cannot be encoded at quality " +
                    std::to_string(a.quality) + (a.isSigned ? " with signed values" : ""));
    const bool saved = EndsWith(a.out, ".pkm")
                           ? (a.format == ETC1 ? WritePkm(a.out, blocks, image.width, image.height, why)
                                               : (why = "only ETC1 (format 6) data goes into a .pkm file", false))
                           : WriteWholeFile(a.out, blocks.data(), blocks.size(), why);
    if (!saved)
        return Fail(why);
    std::printf("format %u quality %u: %ux%u into %llu bytes in %.3f s (%.2f Mpx/s, %u threads)\n", a.format,
                a.quality, image.width, image.height, static_cast<unsigned long long>(size), seconds,
                seconds > 0 ? double(image.width) * image.height / seconds / 1e6 : 0.0, GetThreadLimit());
    return 0;
}

int Decode(const SArgs& a, const SCodec& codec)
{
    std::vector<u8> blocks;
    std::string why;
    u32 width = a.width, height = a.height;
    if (EndsWith(a.in, ".pkm")) {
        if (a.format != ETC1)
            return Fail("a .pkm file holds ETC1 (format 6) data");
        if (!ReadPkm(a.in, blocks, width, height, why))
            return Fail(why);
    } else {
        if (width == 0 || height == 0)
            return Usage("decode needs --size WxH for bare block data");
        if (!ReadWholeFile(a.in, blocks, why))
            return Fail(why);
    }
    SImageFile image;
    image.width = width;
    image.height = height;
    image.channels = codec.channels;
    image.bytesPerSample = codec.bytesPerSample;
    const u64 size = DecodedLevelBytes(width, height, codec.channels * codec.bytesPerSample);
    if (size == 0)
        return Fail("the image is too large");
    image.samples.AssignForOverwrite(size); // a decode that returns size has written every byte
    const u64 decoded = codec.decode(blocks.data(), blocks.size(), image.samples.data(), width, height, a.format, a.isSigned);
    if (decoded != size)
        return Fail(a.in + ": fewer blocks than " + std::to_string(width) + "x" + std::to_string(height) + " needs");
    return WritePnm(a.out, image, why) ? 0 : Fail(why);
}

} // namespace

int main(int argc, char** argv)
{
    SArgs a;
    if (argc < 2)
        return Usage(nullptr);
    a.command = argv[1];
    if (a.command != "encode" && a.command != "decode")
        return Usage(("unknown command " + a.command).c_str());
    std::vector<std::string> files;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](u32& out) { return i + 1 < argc && ParseNumber(argv[++i], out); };
        if (arg == "--format") {
            if (!value(a.format))
                return Usage("--format needs a number");
            a.haveFormat = true;
        } else if (arg == "--quality") {
            if (!value(a.quality))
                return Usage("--quality needs a number");
            a.haveQuality = true;
        } else if (arg == "--threads") {
            if (!value(a.threads) || a.threads == 0)
                return Usage("--threads needs a number above 0");
        } else if (arg == "--signed") {
            a.isSigned = true;
        } else if (arg == "--size") {
            const char* text = i + 1 < argc ? argv[++i] : "";
            const char* x = std::strchr(text, 'x');
            if (x == nullptr || !ParseNumber(std::string(text, x).c_str(), a.width) || !ParseNumber(x + 1, a.height) ||
                a.width == 0 || a.height == 0)
                return Usage("--size needs WxH");
        } else if (arg.size() > 1 && arg[0] == '-') {
            return Usage(("unknown option " + arg).c_str());
        } else {
            files.push_back(arg);
        }
    }
    if (files.size() != 2)
        return Usage("give one input and one output file");
    a.in = files[0];
    a.out = files[1];
    if (!a.haveFormat)
        return Usage("--format is missing");
    const SCodec* codec = CodecOf(a.format);
    if (codec == nullptr)
        return Usage(("format " + std::to_string(a.format) + " has no codec here").c_str());
    if (a.command == "encode") {
        if (!a.haveQuality)
            return Usage("--quality is missing");
        return Encode(a, *codec);
    }
    return Decode(a, *codec);
}

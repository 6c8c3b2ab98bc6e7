// EncodeETCImage: whole images into ETC1, ETC2 and EAC blocks. Each block is gathered (with the
// padding) into small working planes of its own and handed to the driver of its format and quality;
// rows of blocks run on the library's worker threads. Blocks are independent, so the bytes do not
// depend on the thread limit.
#include "BlockWalker.h"
#include "EtcDrivers.h"
#include "EtcEac.h"
#include "EtcTables.h"
#include "PixelFormat.h"
#include "XQFTextureEncoders.h"
#include "XQFTextureThreads.h"

#include <cstring>
#include <new>
#include <vector>

namespace xqftexture {

namespace {

using namespace etc;

// One block's working planes, 4 x 4 pixels with rows of 4: the input, the plane candidates are
// decoded into for measuring, alpha (ids 22-24) and the EAC values in offset form (ids 25, 26).
struct SBlockPlanes {
    static constexpr u32 kStride = 4;
    u8 rgb[48];
    u8 decoded[48];
    u8 alpha[16];
    u16 values[2][16];
};

// What every block of one call shares: the signed flag and the tables of the EAC searches; and what a
// worker keeps for its blocks: the tables of the exhaustive searches, allocated on first use.
struct SContext {
    u8 isSigned = 0;
    const u16* eac11Table = nullptr;
    const i32* eacAlphaTable = &kEACAlphaTable[0][0];
};
struct SWorker {
    SExhaustiveScratch exhaustive;
    SExhaustiveScratch* Exhaustive(bool etc2) { return exhaustive.Allocate(etc2) ? &exhaustive : nullptr; }
};

// Encodes one block of the planes into out (8 or 16 bytes, in file order); false when the worker's
// tables cannot be allocated.
using BlockEncoder = bool (*)(SBlockPlanes& planes, const SContext& context, SWorker& worker, u8* out);

void WriteWords(u8* out, u32 high, u32 low)
{
    for (u32 i = 0; i < 4; ++i) {
        out[i] = u8(high >> (24 - 8 * i));
        out[4 + i] = u8(low >> (24 - 8 * i));
    }
}

constexpr u32 kStride = SBlockPlanes::kStride;

// The colour drivers on the block planes: the fast ones as they are, the exhaustive ones with the
// worker's tables (ETC2 needs all of them, ETC1 the differential ones).
using FastDriver = void (*)(const u8*, u8*, u32, u32, u32, u32&, u32&);
using ExhaustiveDriver = void (*)(const u8*, u8*, u32, u32, u32, u32&, u32&, SExhaustiveScratch&);

template <FastDriver Driver>
bool Fast(SBlockPlanes& p, const SContext&, SWorker&, u8* out)
{
    u32 high = 0, low = 0;
    Driver(p.rgb, p.decoded, kStride, 0, 0, high, low);
    WriteWords(out, high, low);
    return true;
}

template <ExhaustiveDriver Driver, bool Etc2>
bool Exhaustive(SBlockPlanes& p, const SContext&, SWorker& worker, u8* out)
{
    SExhaustiveScratch* scratch = worker.Exhaustive(Etc2);
    if (scratch == nullptr)
        return false;
    u32 high = 0, low = 0;
    Driver(p.rgb, p.decoded, kStride, 0, 0, high, low, *scratch);
    WriteWords(out, high, low);
    return true;
}

void Etc1FastPlain(const u8* rgb, u8* decoded, u32 stride, u32 x0, u32 y0, u32& high, u32& low)
{
    CompressETC1BlockFast(rgb, decoded, stride, x0, y0, high, low); // its error is not needed here
}

// ETC2 RGB8 and RGBA8 at quality 0, and punch-through at every quality (it reads the alpha plane).
template <u32 Format>
bool Etc2Fast(SBlockPlanes& p, const SContext&, SWorker&, u8* out)
{
    u32 high = 0, low = 0;
    CompressETC2BlockFast(p.rgb, p.alpha, p.decoded, kStride, 4, 0, 0, high, low, Format);
    WriteWords(out, high, low);
    return true;
}

constexpr BlockEncoder Etc1Fast = Fast<Etc1FastPlain>, Etc1FastPerceptual = Fast<CompressETC1BlockFastPerceptual>,
                       Etc2FastPerceptual = Fast<CompressETC2BlockFastPerceptual>;
template <bool Perceptual>
constexpr BlockEncoder Etc1Exhaustive = Exhaustive<Perceptual ? CompressETC1BlockExhaustivePerceptual
                                                              : CompressETC1BlockExhaustive, false>;
template <bool Perceptual>
constexpr BlockEncoder Etc2Exhaustive = Exhaustive<Perceptual ? CompressETC2BlockExhaustivePerceptual
                                                              : CompressETC2BlockExhaustive, true>;

// RGBA8: the EAC alpha block (the fast search, or the full one with the exhaustive qualities), then
// the colour block of Colour.
template <BlockEncoder Colour, bool FullAlpha = false>
bool Rgba(SBlockPlanes& p, const SContext& context, SWorker& worker, u8* out)
{
    if (FullAlpha)
        CompressEACAlphaBlock(p.alpha, 0, 0, kStride, 4, out, context.eacAlphaTable);
    else
        CompressEACAlphaBlockFast(p.alpha, 0, 0, kStride, 4, out, context.eacAlphaTable);
    return Colour(p, context, worker, out + 8);
}

// R11 and RG11 (R block, then G block).
template <u32 Channels>
bool Eac11(SBlockPlanes& p, const SContext& context, SWorker&, u8* out)
{
    for (u32 c = 0; c < Channels; ++c)
        CompressEAC11Block(p.values[c], 0, 0, kStride, 4, out + 8 * c, context.isSigned, context.eac11Table);
    return true;
}

// The formats: input bytes per pixel, output bytes per block, and the driver of each quality (0 fast
// plain, 1 fast perceptual, 2 exhaustive plain, 3 exhaustive perceptual). A null driver: not
// encodable at that quality (the call returns 0).
struct SFormat {
    u32 id, pixelBytes, blockBytes;
    BlockEncoder drivers[4];
};
constexpr SFormat kFormats[] = {
    {ETC1, 3, 8, {Etc1Fast, Etc1FastPerceptual, Etc1Exhaustive<false>, Etc1Exhaustive<true>}},
    {ETC2_RGB, 4, 8, {Etc2Fast<ETC2_RGB>, Etc2FastPerceptual, Etc2Exhaustive<false>, Etc2Exhaustive<true>}},
    {ETC2_RGBA, 4, 16,
     {Rgba<Etc2Fast<ETC2_RGBA>>, Rgba<Etc2FastPerceptual>, Rgba<Etc2Exhaustive<false>, true>,
      Rgba<Etc2Exhaustive<true>, true>}},
    // Punch-through and EAC have one driver for every quality.
    {ETC2_RGB_A1, 4, 8, {Etc2Fast<ETC2_RGB_A1>, Etc2Fast<ETC2_RGB_A1>, Etc2Fast<ETC2_RGB_A1>, Etc2Fast<ETC2_RGB_A1>}},
    {EAC_R11, 2, 8, {Eac11<1>, Eac11<1>, Eac11<1>, Eac11<1>}},
    {EAC_RG11, 4, 16, {Eac11<2>, Eac11<2>, Eac11<2>, Eac11<2>}},
};

const SFormat* FormatOf(u32 id)
{
    for (const SFormat& f : kFormats)
        if (f.id == id)
            return &f;
    return nullptr;
}

// The source and the rule that pads it to whole blocks.
struct SSource {
    const u8* pixels;
    u32 width, height, paddedWidth, paddedHeight;
    const SFormat* format;
    bool isSigned;

    // A padding column repeats the column paddedWidth - width to its left, so the last real columns
    // come again in order; a 1-pixel wide image repeats its one column. Rows likewise.
    static u32 Source(u32 v, u32 size, u32 padded) { return v < size ? v : size == 1 ? 0 : v - (padded - size); }

    void Gather(u32 bx, u32 by, SBlockPlanes& p) const
    {
        const u32 bytes = format->pixelBytes, id = format->id;
        for (u32 y = 0; y < 4; ++y) {
            const u64 row = Source(4 * by + y, height, paddedHeight);
            for (u32 x = 0; x < 4; ++x) {
                const u8* s = pixels + (row * width + Source(4 * bx + x, width, paddedWidth)) * bytes;
                const u32 i = 4 * y + x;
                if (id == EAC_R11 || id == EAC_RG11) {
                    // Signed input becomes the decoder's offset form: plus 32768, modulo 65536.
                    const u16 bias = isSigned ? 0x8000 : 0;
                    u16 v[2] = {0, 0};
                    std::memcpy(v, s, bytes);
                    p.values[0][i] = u16(v[0] + bias);
                    p.values[1][i] = u16(v[1] + bias);
                    continue;
                }
                std::memcpy(p.rgb + 3 * i, s, 3);
                if (id == ETC2_RGBA)
                    p.alpha[i] = s[3];
                else if (id == ETC2_RGB_A1)
                    p.alpha[i] = s[3] < 128 ? 0 : 255;
                else
                    p.alpha[i] = 255;
            }
        }
    }
};

} // namespace

u64 EncodeETCImage(const void* src, u64 srcSize, void* dst, u32 width, u32 height, u32 formatId, i32 quality,
                   u32 isSigned)
{
    const SFormat* format = FormatOf(formatId);
    if (format == nullptr || width == 0 || height == 0)
        return 0;
    const u64 outBytes = BlockLevelBytes(width, height, format->blockBytes);
    if (outBytes == 0)
        return 0;
    // Qualities 4 and 5 are 2 and 3; below 0 and above 5 there is no driver. Colour formats take no
    // signed input, except at the aliased qualities, which skip that check. A size query is refused
    // alike: a caller must not size a buffer for an encode that cannot run.
    if (quality < 0 || quality > 5)
        return 0;
    if (quality <= 3 && isSigned && formatId != EAC_R11 && formatId != EAC_RG11)
        return 0;
    const BlockEncoder driver = format->drivers[quality > 3 ? quality - 2 : quality];
    const u64 inBytes = DecodedLevelBytes(width, height, format->pixelBytes);
    if (driver == nullptr || inBytes == 0)
        return 0;
    if (src == nullptr || dst == nullptr)
        return outBytes; // size query
    if (srcSize < inBytes)
        return 0;

    SContext context;
    context.isSigned = isSigned ? 1 : 0;
    if (formatId == EAC_R11 || formatId == EAC_RG11) {
        context.eac11Table = SharedEAC11Table(context.isSigned);
        if (context.eac11Table == nullptr)
            return 0; // no memory for the value table
    }
    const u32 blocksX = u32((u64(width) + 3) / 4), blocksY = u32((u64(height) + 3) / 4);
    const SSource source{static_cast<const u8*>(src), width, height, 4 * blocksX, 4 * blocksY, format,
                         isSigned != 0};
    u8* out = static_cast<u8*>(dst);
    std::vector<SWorker> workers;
    try {
        workers.resize(WorkerSlots(blocksY));
    } catch (const std::bad_alloc&) {
        return 0;
    }
    const bool done = RunWorkers(blocksY, [&](u32 by, u32 slot) {
        SBlockPlanes planes;
        u8* block = out + u64(by) * blocksX * format->blockBytes;
        for (u32 bx = 0; bx < blocksX; ++bx, block += format->blockBytes) {
            source.Gather(bx, by, planes);
            if (!driver(planes, context, workers[slot], block))
                return false; // the worker's tables could not be allocated
        }
        return true;
    }, u32(workers.size()));
    return done ? outBytes : 0; // the workers' tables are freed with them
}

} // namespace xqftexture

#pragma once
// DXT1-DXT5 blocks as parse + texel fetch, for DecodeBlocks. Decoded texels are 'r','g','b','a'
// 8,8,8,8 (as a little-endian word: red in the low byte). DXT2 and DXT4 share the DXT3 and DXT5
// blocks: premultiplied alpha is neither applied nor removed.
#include "BlockWalker.h"

#include <array>
#include <bit>

static_assert(std::endian::native == std::endian::little, "texels are built as little-endian words");

namespace xqftexture::dxt {

inline u32 ReadLE16(const u8* p) { return u32(p[0]) | u32(p[1]) << 8; }
inline u32 ReadLE32(const u8* p) { return ReadLE16(p) | ReadLE16(p + 2) << 16; }
inline u64 ReadLE64(const u8* p) { return u64(ReadLE32(p)) | u64(ReadLE32(p + 4)) << 32; }

// Runs of whole blocks for DecodeRun (DxtRuns.cpp): they return 0 where the processor lacks the
// instructions they use. stream: write with streaming stores, only where StreamRuns says so.
u64 DecodeDxt1Run(const u8* blocks, u64 count, Rgba8* out, u64 width, bool stream = false);
u64 DecodeDxt3Run(const u8* blocks, u64 count, Rgba8* out, u64 width, bool stream = false);
u64 DecodeDxt5Run(const u8* blocks, u64 count, Rgba8* out, u64 width, bool stream = false);
// Caps the instruction sets the runs may use (0 none, 1 SSSE3, 2 AVX2 too; never more than the
// processor has), so that tests on any machine check every path against the texel-by-texel one.
void LimitRunInstructions(int level);
// Whether a level of width x height decoded to out is better written around the cache: it is larger
// than the last-level cache (and out and its rows are aligned as streaming stores need).
bool StreamRuns(const void* out, u32 width, u32 height);

// 5:6:5 endpoint widened to 8 bits per channel by bit replication.
struct SEndpoint {
    u32 r, g, b;
    static SEndpoint From565(u32 c)
    {
        const u32 r = c >> 11, g = (c >> 5) & 63, b = c & 31;
        return {(r << 3) | (r >> 2), (g << 2) | (g >> 4), (b << 3) | (b >> 2)};
    }
};

// The 8-byte colour block: four palette entries and sixteen 2-bit indices.
// A DXT1 block with colour0 <= colour1 has three colours and transparent black at index 3. The
// colour block of DXT2-DXT5 always has four colours, whatever the order of its endpoints.
struct SColourBlock {
    // Entries as 'r','g','b','a' bytes in a little-endian word, built in registers: byte stores
    // read back as words would stall every texel fetch.
    std::array<u32, 4> palette;
    u32 indices;

    static u32 Pack(u32 r, u32 g, u32 b, u32 a) { return r | g << 8 | b << 16 | a << 24; }

    static SColourBlock Parse(const u8* b, bool dxt1)
    {
        const u32 c0 = ReadLE16(b), c1 = ReadLE16(b + 2);
        const SEndpoint e0 = SEndpoint::From565(c0), e1 = SEndpoint::From565(c1);
        const u32 alpha = dxt1 ? 255 : 0; // DXT2-5 take alpha from their alpha block
        SColourBlock block;
        block.indices = ReadLE32(b + 4);
        block.palette[0] = Pack(e0.r, e0.g, e0.b, alpha);
        block.palette[1] = Pack(e1.r, e1.g, e1.b, alpha);
        if (!dxt1 || c0 > c1) {
            block.palette[2] = Pack((2 * e0.r + e1.r) / 3, (2 * e0.g + e1.g) / 3, (2 * e0.b + e1.b) / 3, alpha);
            block.palette[3] = Pack((e0.r + 2 * e1.r) / 3, (e0.g + 2 * e1.g) / 3, (e0.b + 2 * e1.b) / 3, alpha);
        } else {
            block.palette[2] = Pack((e0.r + e1.r) / 2, (e0.g + e1.g) / 2, (e0.b + e1.b) / 2, 255);
            block.palette[3] = 0;
        }
        return block;
    }
    u32 Word(u32 x, u32 y) const { return palette[(indices >> (2 * (4 * y + x))) & 3]; }
    Rgba8 Texel(u32 x, u32 y) const { return std::bit_cast<Rgba8>(Word(x, y)); }
};

struct SDxt1Block {
    using Pixel = Rgba8;
    static constexpr u32 kBytes = 8;
    SColourBlock colour;
    static SDxt1Block Parse(const u8* b) { return {SColourBlock::Parse(b, true)}; }
    Rgba8 Texel(u32 x, u32 y) const { return colour.Texel(x, y); }
    static u64 DecodeRun(const u8* b, u64 count, Rgba8* out, u64 width, bool stream = false)
    {
        return DecodeDxt1Run(b, count, out, width, stream);
    }
};

// DXT2/DXT3: explicit 4-bit alpha per texel, widened as (a << 4) | a.
struct SDxt3Block {
    using Pixel = Rgba8;
    static constexpr u32 kBytes = 16;
    u64 alpha;
    SColourBlock colour;
    static SDxt3Block Parse(const u8* b) { return {ReadLE64(b), SColourBlock::Parse(b + 8, false)}; }
    static u64 DecodeRun(const u8* b, u64 count, Rgba8* out, u64 width, bool stream = false)
    {
        return DecodeDxt3Run(b, count, out, width, stream);
    }
    Rgba8 Texel(u32 x, u32 y) const
    {
        const u32 a = u32((alpha >> (4 * (4 * y + x))) & 15) * 17;
        return std::bit_cast<Rgba8>(colour.Word(x, y) | a << 24);
    }
};

// DXT4/DXT5: two alpha endpoints, a table of eight alphas and 3-bit indices.
struct SDxt5Block {
    using Pixel = Rgba8;
    static constexpr u32 kBytes = 16;
    std::array<u8, 8> table;
    u64 alphaIndices; // 48 bits, texel (x, y) at 3 (4y + x)
    SColourBlock colour;

    static std::array<u8, 8> AlphaTable(u32 a0, u32 a1)
    {
        if (a0 > a1)
            return {u8(a0), u8(a1), u8((6 * a0 + a1) / 7), u8((5 * a0 + 2 * a1) / 7), u8((4 * a0 + 3 * a1) / 7),
                    u8((3 * a0 + 4 * a1) / 7), u8((2 * a0 + 5 * a1) / 7), u8((a0 + 6 * a1) / 7)};
        return {u8(a0), u8(a1), u8((4 * a0 + a1) / 5), u8((3 * a0 + 2 * a1) / 5), u8((2 * a0 + 3 * a1) / 5),
                u8((a0 + 4 * a1) / 5), 0, 255};
    }
    static SDxt5Block Parse(const u8* b)
    {
        return {AlphaTable(b[0], b[1]), ReadLE64(b) >> 16, SColourBlock::Parse(b + 8, false)};
    }
    static u64 DecodeRun(const u8* b, u64 count, Rgba8* out, u64 width, bool stream = false)
    {
        return DecodeDxt5Run(b, count, out, width, stream);
    }
    Rgba8 Texel(u32 x, u32 y) const
    {
        return std::bit_cast<Rgba8>(colour.Word(x, y) | u32(table[(alphaIndices >> (3 * (4 * y + x))) & 7]) << 24);
    }
};

// Block, its runs written with streaming stores.
template <class Block>
struct SStreamed : Block {
    static u64 DecodeRun(const u8* b, u64 count, Rgba8* out, u64 width) { return Block::DecodeRun(b, count, out, width, true); }
};

} // namespace xqftexture::dxt

// DXT1-DXT5 encoding. Colour: endpoints at the extremes of the block's principal axis, quantised to
// the nearest 5:6:5 value, each texel given the nearest colour of the palette the decoder will build,
// then the endpoints refitted by least squares to those choices while that lowers the error. A block
// of one colour that 5:6:5 cannot hold is matched through an interpolated palette entry.
#include "DxtBlocks.h"
#include "XQFTextureEncoders.h"

#include <cmath>
#include <cstring>

namespace xqftexture {
namespace {

using dxt::SColourBlock;

struct SVec3 {
    float r, g, b;
};

// Nearest 5-bit (bits = 5) or 6-bit value whose bit-replicated 8-bit widening is closest to v.
int NearestEndpointValue(float v, int bits)
{
    const int max = (1 << bits) - 1;
    const int guess = int(std::lround(v * float(max) / 255.0f));
    int best = 0;
    float bestErr = 1e30f;
    for (int q = guess - 1; q <= guess + 1; ++q) {
        if (q < 0 || q > max)
            continue;
        const int wide = bits == 5 ? (q << 3) | (q >> 2) : (q << 2) | (q >> 4);
        const float err = std::fabs(float(wide) - v);
        if (err < bestErr)
            bestErr = err, best = q;
    }
    return best;
}

u32 Quantise565(SVec3 c)
{
    auto clamp = [](float v) { return v < 0.0f ? 0.0f : (v > 255.0f ? 255.0f : v); };
    return u32(NearestEndpointValue(clamp(c.r), 5) << 11 | NearestEndpointValue(clamp(c.g), 6) << 5 |
               NearestEndpointValue(clamp(c.b), 5));
}

// The block as the fit sees it: sixteen texels, which of them carry colour, and the block's kind.
struct SBlockInput {
    std::array<Rgba8, 16> texels;
    u32 colourMask;   // bit i set: texel i is fitted (all of them unless DXT1 transparency)
    bool threeColour; // DXT1 block with transparent texels: colour0 <= colour1, index 3 transparent
    bool dxt1;        // the three-colour palette exists (DXT1 only)
};

struct SColourFit {
    u32 c0 = 0, c1 = 0, indices = 0;
    u32 error = ~0u;
};

u32 TexelError(Rgba8 a, Rgba8 b)
{
    const int dr = int(a.r) - b.r, dg = int(a.g) - b.g, db = int(a.b) - b.b;
    return u32(dr * dr + dg * dg + db * db);
}

// Orders the endpoints as the block kind needs, picks each texel's nearest palette entry and
// returns the block with its squared error.
SColourFit Evaluate(const SBlockInput& in, u32 c0, u32 c1)
{
    SColourFit fit;
    if (in.threeColour ? c0 > c1 : c0 < c1)
        std::swap(c0, c1);
    u8 bytes[8] = {u8(c0), u8(c0 >> 8), u8(c1), u8(c1 >> 8), 0, 0, 0, 0};
    const SColourBlock palette = SColourBlock::Parse(bytes, true);
    // Equal endpoints of an opaque block: a decoder that honours the DXT1 order rule would see
    // three colours there, so only index 0 is safe.
    const u32 usable = in.threeColour ? 3 : (c0 == c1 ? 1 : 4);
    fit.c0 = c0, fit.c1 = c1, fit.error = 0;
    for (u32 i = 0; i < 16; ++i) {
        if (!(in.colourMask >> i & 1)) {
            fit.indices |= 3u << (2 * i);
            continue;
        }
        u32 bestIndex = 0, bestErr = ~0u;
        for (u32 k = 0; k < usable; ++k) {
            const u32 err = TexelError(in.texels[i], std::bit_cast<Rgba8>(palette.palette[k]));
            if (err < bestErr)
                bestErr = err, bestIndex = k;
        }
        fit.indices |= bestIndex << (2 * i);
        fit.error += bestErr;
    }
    return fit;
}

// Where index k sits between endpoint 0 (0) and endpoint 1 (1).
float IndexPosition(u32 k, bool threeColour)
{
    static constexpr float kFour[4] = {0.0f, 1.0f, 1.0f / 3.0f, 2.0f / 3.0f};
    static constexpr float kThree[4] = {0.0f, 1.0f, 0.5f, 0.0f};
    return threeColour ? kThree[k] : kFour[k];
}

// Least-squares endpoints for fixed index choices; false when the choices do not pin two endpoints.
bool RefitEndpoints(const SBlockInput& in, const SColourFit& fit, SVec3& e0, SVec3& e1)
{
    float a = 0, b = 0, c = 0;
    SVec3 d0{0, 0, 0}, d1{0, 0, 0};
    for (u32 i = 0; i < 16; ++i) {
        if (!(in.colourMask >> i & 1))
            continue;
        const float t = IndexPosition(fit.indices >> (2 * i) & 3, in.threeColour), s = 1.0f - t;
        const Rgba8 p = in.texels[i];
        a += s * s, b += s * t, c += t * t;
        d0.r += s * p.r, d0.g += s * p.g, d0.b += s * p.b;
        d1.r += t * p.r, d1.g += t * p.g, d1.b += t * p.b;
    }
    const float det = a * c - b * b;
    if (std::fabs(det) < 1e-6f)
        return false;
    const float inv = 1.0f / det;
    e0 = {(c * d0.r - b * d1.r) * inv, (c * d0.g - b * d1.g) * inv, (c * d0.b - b * d1.b) * inv};
    e1 = {(a * d1.r - b * d0.r) * inv, (a * d1.g - b * d0.g) * inv, (a * d1.b - b * d0.b) * inv};
    return true;
}

// Principal axis of the fitted texels by power iteration from (1, 1, 1); endpoints at the extreme
// projections.
void PrincipalEndpoints(const SBlockInput& in, SVec3& e0, SVec3& e1)
{
    SVec3 mean{0, 0, 0};
    float n = 0;
    for (u32 i = 0; i < 16; ++i)
        if (in.colourMask >> i & 1) {
            mean.r += in.texels[i].r, mean.g += in.texels[i].g, mean.b += in.texels[i].b;
            n += 1;
        }
    mean = {mean.r / n, mean.g / n, mean.b / n};
    float m[3][3] = {};
    for (u32 i = 0; i < 16; ++i) {
        if (!(in.colourMask >> i & 1))
            continue;
        const float v[3] = {in.texels[i].r - mean.r, in.texels[i].g - mean.g, in.texels[i].b - mean.b};
        for (int r = 0; r < 3; ++r)
            for (int col = 0; col < 3; ++col)
                m[r][col] += v[r] * v[col];
    }
    float axis[3] = {1, 1, 1};
    for (int iteration = 0; iteration < 100; ++iteration) {
        float next[3];
        for (int r = 0; r < 3; ++r)
            next[r] = m[r][0] * axis[0] + m[r][1] * axis[1] + m[r][2] * axis[2];
        const float len = std::sqrt(next[0] * next[0] + next[1] * next[1] + next[2] * next[2]);
        if (len < 1e-12f)
            break; // no spread along the current axis: keep it
        const float diff[3] = {next[0] / len - axis[0], next[1] / len - axis[1], next[2] / len - axis[2]};
        for (int r = 0; r < 3; ++r)
            axis[r] = next[r] / len;
        if (std::sqrt(diff[0] * diff[0] + diff[1] * diff[1] + diff[2] * diff[2]) < 1e-5f)
            break;
    }
    float lo = 0, hi = 0;
    for (u32 i = 0; i < 16; ++i) {
        if (!(in.colourMask >> i & 1))
            continue;
        const float p = (in.texels[i].r - mean.r) * axis[0] + (in.texels[i].g - mean.g) * axis[1] +
                        (in.texels[i].b - mean.b) * axis[2];
        lo = std::min(lo, p), hi = std::max(hi, p);
    }
    e0 = {mean.r + axis[0] * hi, mean.g + axis[1] * hi, mean.b + axis[2] * hi};
    e1 = {mean.r + axis[0] * lo, mean.g + axis[1] * lo, mean.b + axis[2] * lo};
}

// For one 8-bit value and a channel of 5 or 6 bits: the endpoint pair whose 2/3 : 1/3 mix (the
// four-colour palette) or 1/2 : 1/2 mix (the three-colour palette of DXT1) decodes closest to it.
struct SMixPair {
    u8 e0, e1;
};
struct SMixTables {
    SMixPair five[256], six[256];     // 2/3 : 1/3
    SMixPair fiveHalf[256], sixHalf[256]; // 1/2 : 1/2
    SMixTables()
    {
        Fill(five, 5, false);
        Fill(six, 6, false);
        Fill(fiveHalf, 5, true);
        Fill(sixHalf, 6, true);
    }
    static void Fill(SMixPair* table, int bits, bool half)
    {
        const int max = (1 << bits) - 1;
        auto wide = [bits](int q) { return bits == 5 ? (q << 3) | (q >> 2) : (q << 2) | (q >> 4); };
        for (int v = 0; v < 256; ++v) {
            int bestErr = 1 << 30;
            for (int a = 0; a <= max; ++a)
                for (int b = 0; b <= max; ++b) {
                    const int mix = half ? (wide(a) + wide(b)) / 2 : (2 * wide(a) + wide(b)) / 3;
                    const int err = std::abs(mix - v) * 256 + std::abs(a - b);
                    if (err < bestErr)
                        bestErr = err, table[v] = {u8(a), u8(b)};
                }
        }
    }
};

SColourFit FitOneColour(const SBlockInput& in, Rgba8 colour)
{
    const u32 exact = Quantise565({float(colour.r), float(colour.g), float(colour.b)});
    SColourFit best = Evaluate(in, exact, in.threeColour ? exact : 0);
    if (best.error == 0 || in.threeColour)
        return best;
    static const SMixTables tables;
    const SMixPair r = tables.five[colour.r], g = tables.six[colour.g], b = tables.five[colour.b];
    const SColourFit mixed = Evaluate(in, u32(r.e0 << 11 | g.e0 << 5 | b.e0), u32(r.e1 << 11 | g.e1 << 5 | b.e1));
    if (mixed.error < best.error)
        best = mixed;
    if (in.dxt1 && best.error != 0) {
        // An opaque DXT1 block may use the three-colour palette as long as index 3 stays unused.
        SBlockInput three = in;
        three.threeColour = true;
        const SMixPair hr = tables.fiveHalf[colour.r], hg = tables.sixHalf[colour.g], hb = tables.fiveHalf[colour.b];
        const SColourFit half =
            Evaluate(three, u32(hr.e0 << 11 | hg.e0 << 5 | hb.e0), u32(hr.e1 << 11 | hg.e1 << 5 | hb.e1));
        if (half.error < best.error)
            best = half;
    }
    return best;
}

SColourFit FitColours(const SBlockInput& in)
{
    if (in.colourMask == 0)
        return Evaluate(in, 0, 0);
    int first = -1;
    bool oneColour = true;
    for (u32 i = 0; i < 16; ++i) {
        if (!(in.colourMask >> i & 1))
            continue;
        if (first < 0)
            first = int(i);
        else if (std::memcmp(&in.texels[i], &in.texels[first], 3) != 0)
            oneColour = false;
    }
    if (oneColour)
        return FitOneColour(in, in.texels[first]);

    SVec3 e0, e1;
    PrincipalEndpoints(in, e0, e1);
    SColourFit best = Evaluate(in, Quantise565(e0), Quantise565(e1));
    for (int pass = 0; pass < 3 && best.error != 0; ++pass) {
        if (!RefitEndpoints(in, best, e0, e1))
            break;
        const SColourFit refined = Evaluate(in, Quantise565(e0), Quantise565(e1));
        if (refined.error >= best.error)
            break;
        best = refined;
    }
    return best;
}

void WriteLE(u8* out, u64 value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out[i] = u8(value >> (8 * i));
}

void EncodeBlock(const std::array<Rgba8, 16>& texels, u32 mode, u8* out)
{
    SBlockInput in{texels, 0xFFFF, false, mode == 1};
    if (mode == 1) {
        for (u32 i = 0; i < 16; ++i)
            if (texels[i].a == 0)
                in.colourMask &= ~(1u << i);
        in.threeColour = in.colourMask != 0xFFFF;
    } else if (mode <= 3) {
        u64 alpha = 0;
        for (u32 i = 0; i < 16; ++i)
            alpha |= u64((texels[i].a + 8) / 17) << (4 * i); // nearest of the 17 x a4 levels
        WriteLE(out, alpha, 8);
        out += 8;
    } else {
        EncodeDXTAlphaBlock(reinterpret_cast<const u8*>(texels.data()), out, 4);
        out += 8;
    }
    const SColourFit fit = FitColours(in);
    WriteLE(out, fit.c0, 2);
    WriteLE(out + 2, fit.c1, 2);
    WriteLE(out + 4, fit.indices, 4);
}

} // namespace

void EncodeDXTAlphaBlock(const u8* blockPixels, u8* out, i32 rowStride)
{
    u8 alphas[16];
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            alphas[4 * y + x] = blockPixels[4 * (i64(y) * rowStride + x) + 3];
    // Seven steps between the block's largest and smallest alpha, and five steps between the
    // alphas other than 0 and 255, which that table holds exactly. Each texel takes the nearest
    // entry of the table the decoder builds; the better block wins.
    u8 hi = 0, lo = 255, innerHi = 0, innerLo = 255;
    for (u8 a : alphas) {
        hi = std::max(hi, a), lo = std::min(lo, a);
        if (a != 0 && a != 255)
            innerHi = std::max(innerHi, a), innerLo = std::min(innerLo, a);
    }
    auto encode = [&](u8 a0, u8 a1, u8* block) {
        const std::array<u8, 8> table = dxt::SDxt5Block::AlphaTable(a0, a1);
        u64 indices = 0;
        u32 error = 0;
        for (u32 i = 0; i < 16; ++i) {
            u32 best = 0, bestErr = ~0u;
            for (u32 k = 0; k < 8; ++k) {
                const u32 err = u32(std::abs(int(table[k]) - alphas[i]));
                if (err < bestErr)
                    bestErr = err, best = k;
            }
            indices |= u64(best) << (3 * i);
            error += bestErr * bestErr;
        }
        block[0] = a0;
        block[1] = a1;
        WriteLE(block + 2, indices, 6);
        return error;
    };
    const u32 sevenError = encode(hi, lo, out);
    if (sevenError == 0)
        return;
    if (innerLo > innerHi)
        innerLo = innerHi = lo; // only 0 and 255 in the block
    u8 five[8];
    if (encode(innerLo, innerHi, five) < sevenError)
        std::memcpy(out, five, 8);
}

u64 CompressDXT(const void* src, u64 srcSize, void* dst, u32 width, u32 height, u32 mode)
{
    if (mode < 1 || mode > 5 || width == 0 || height == 0)
        return 0;
    const u32 blockBytes = mode == 1 ? 8 : 16;
    const u64 outBytes = BlockLevelBytes(width, height, blockBytes);
    if (src == nullptr || dst == nullptr)
        return outBytes;
    if (outBytes == 0 || srcSize / 4 < u64(width) * height)
        return 0;
    const Rgba8* in = static_cast<const Rgba8*>(src);
    u8* out = static_cast<u8*>(dst);
    std::array<Rgba8, 16> texels;
    for (u64 by = 0; by < height; by += 4)
        for (u64 bx = 0; bx < width; bx += 4, out += blockBytes) {
            for (u64 y = 0; y < 4; ++y)
                for (u64 x = 0; x < 4; ++x) {
                    const u64 sx = std::min<u64>(bx + x, width - 1), sy = std::min<u64>(by + y, height - 1);
                    texels[4 * y + x] = in[sy * width + sx];
                }
            EncodeBlock(texels, mode, out);
        }
    return outBytes;
}

} // namespace xqftexture

#pragma once
// Window decoding shared by XQFTC and XQFTC-II. A window is the BW x 4 pixel area between the
// centres of four neighbouring blocks P (top left), Q (top right), R (bottom left) and S (bottom
// right): colours A and B are interpolated bilinearly between the four centres and blended by the
// modulation weight of each pixel. Window pixel (c, r) lies at (c + BW/2, r + 2) of the 2BW x 8 grid
// the four blocks form, so each quarter of the window is a quarter of one block.
#include "BlockWalker.h"
#include "XQFTCBlock.h"

#include <cstring>

namespace xqftexture::xqftc {

// XQFTC-II hard transition at 4 bpp: the local palette entry of window pixel k = 4r + c for the
// stored value d. Entries: 0, 1 colours A, B of P; 2, 3 of S; 4, 5 of Q; 6, 7 of R.
inline constexpr u8 kLocalPalette[16][4] = {
    {0, 0, 0, 0}, {0, 1, 4, 5}, {0, 1, 4, 5}, {0, 1, 4, 5}, {0, 1, 6, 7}, {0, 1, 4, 7}, {0, 1, 4, 5}, {2, 1, 4, 5},
    {0, 1, 6, 7}, {0, 1, 6, 7}, {0, 3, 6, 5}, {2, 3, 4, 5}, {0, 1, 6, 7}, {0, 3, 6, 7}, {2, 3, 6, 7}, {2, 3, 6, 5},
};
inline u8 LocalPaletteColour(int c, int r, int d) { return kLocalPalette[4 * r + c][d]; }

inline Rgba8 Widened(const SColour& c)
{
    return {u8(c.r << 3 | c.r >> 2), u8(c.g << 3 | c.g >> 2), u8(c.b << 3 | c.b >> 2), u8(c.a << 4 | c.a)};
}

// The eight colours a hard-transition window picks from: A and B of P, S, Q and R, in that order.
inline void BuildLocalPalette(const SBlock* const* corner, Rgba8 palette[8])
{
    const SBlock* const order[4] = {corner[0], corner[3], corner[1], corner[2]};
    for (int k = 0; k < 4; ++k) {
        palette[2 * k] = Widened(order[k]->a);
        palette[2 * k + 1] = Widened(order[k]->b);
    }
}

inline u8 Blend(i32 a, i32 b, i32 w) { return u8(((b - a) * w + 8 * a) >> 3); }

template <int BW>
class TWindow {
public:
    static constexpr int kHalf = BW / 2;
    static constexpr int kPixels = 4 * BW;
    static constexpr bool kTwoBpp = BW == 8;

    // corner: P, Q, R, S. second: XQFTC-II rules.
    TWindow(const SBlock* const* corner, bool second) : m_corner(corner), m_second(second) {}

    // Pixels row by row, BW to a row.
    void Decode(Rgba8* pixels) const
    {
        u32 punch = 0;
        i32 weights[kPixels];
        ModulationWeights(weights, punch);
        if (m_second && m_corner[0]->hard)
            DecodeHard(weights, pixels);
        else
            DecodeInterpolated(weights, punch, pixels);
    }

private:
    const SBlock& Owner(int gx, int gy) const { return *m_corner[(gx >= BW) | (gy >= 4) << 1]; }
    int StoredWeightAt(int gx, int gy) const { return Owner(gx, gy).weight[(gy & 3) * BW + gx % BW]; }

    // Weights 0..8 of the window's pixels (the modulation weight at each one's place in the 16 x 8
    // grid of the four blocks) and the punch-through ones, quarter by quarter.
    void ModulationWeights(i32 (&weights)[kPixels], u32& punch) const
    {
        for (int quarter = 0; quarter < 4; ++quarter) {
            const SBlock& block = *m_corner[quarter];
            const int c0 = (quarter & 1) * kHalf, r0 = (quarter >> 1) * 2;
            for (int r = r0; r < r0 + 2; ++r)
                for (int c = c0; c < c0 + kHalf; ++c) {
                    const int gx = c + kHalf, gy = r + 2, local = (gy & 3) * BW + gx % BW;
                    int w = block.weight[local];
                    if constexpr (kTwoBpp) {
                        // Pixels an interpolated block does not store average their neighbours, which
                        // may lie in another block of the window.
                        if (block.mode != 0 && ((gx + gy) & 1)) {
                            const int left = StoredWeightAt(gx - 1, gy), right = StoredWeightAt(gx + 1, gy);
                            const int up = StoredWeightAt(gx, gy - 1), down = StoredWeightAt(gx, gy + 1);
                            w = block.mode == 1   ? (left + right + up + down + 2) / 4
                                : block.mode == 2 ? (left + right + 1) / 2
                                                  : (up + down + 1) / 2;
                        }
                    } else {
                        punch |= ((block.punch >> local) & 1) << (r * BW + c);
                    }
                    weights[r * BW + c] = w;
                }
        }
    }

    // Eight 16-bit lanes: colour A's red, green, blue, alpha, then colour B's. Every value below
    // stays under 2^12, so 16 bits hold the whole computation.
    using V8 = i16 __attribute__((vector_size(16)));
    using B8 = u8 __attribute__((vector_size(8)));

    void DecodeInterpolated(const i32 (&weights)[kPixels], u32 punch, Rgba8* out) const
    {
        V8 corner[4];
        for (int k = 0; k < 4; ++k) {
            const SBlock& b = *m_corner[k];
            corner[k] = V8{i16(b.a.r), i16(b.a.g), i16(b.a.b), i16(b.a.a),
                           i16(b.b.r), i16(b.b.g), i16(b.b.b), i16(b.b.a)};
        }
        const V8 alphaLanes = {0, 0, 0, -1, 0, 0, 0, -1};
        for (int r = 0; r < 4; ++r) {
            const V8 left = i16(4 - r) * corner[0] + i16(r) * corner[2];
            const V8 step = i16(4 - r) * corner[1] + i16(r) * corner[3] - left;
            for (int c = 0; c < BW; ++c) {
                const V8 x = i16(BW) * left + i16(c) * step;
                // Widening to 8 bits of 5-bit colour and 4-bit alpha, the weights adding up to 16
                // (4 bpp) or 32 (2 bpp).
                V8 colour, alpha;
                if constexpr (kTwoBpp)
                    colour = (x >> 7) + (x >> 2), alpha = (x >> 5) + (x >> 1);
                else
                    colour = (x >> 6) + (x >> 1), alpha = (x >> 4) + x;
                const V8 v = (colour & ~alphaLanes) | (alpha & alphaLanes);
                const V8 a = __builtin_shufflevector(v, v, 0, 1, 2, 3, 0, 1, 2, 3);
                const V8 b = __builtin_shufflevector(v, v, 4, 5, 6, 7, 4, 5, 6, 7);
                const V8 blended = ((b - a) * i16(weights[r * BW + c]) + (a << 3)) >> 3;
                const B8 bytes = __builtin_convertvector(blended, B8);
                std::memcpy(&out[r * BW + c], &bytes, 4);
            }
        }
        for (; punch != 0; punch &= punch - 1) {
            // Punch-through clears alpha; XQFTC-II makes the pixel transparent black.
            Rgba8& p = out[__builtin_ctz(punch)];
            p = m_second ? Rgba8{0, 0, 0, 0} : Rgba8{p.r, p.g, p.b, 0};
        }
    }

    // XQFTC-II block with the hard-transition flag: no colour interpolation towards the neighbours.
    void DecodeHard(const i32 (&weights)[kPixels], Rgba8* out) const
    {
        Rgba8 palette[8];
        BuildLocalPalette(m_corner, palette);
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < BW; ++c) {
                const int gx = c + kHalf, gy = r + 2;
                const SBlock& own = Owner(gx, gy);
                const int d = own.value[(gy & 3) * BW + gx % BW];
                if (!kTwoBpp && (r | c) != 0 && own.mode != 0) {
                    out[r * BW + c] = palette[LocalPaletteColour(c, r, d)];
                    continue;
                }
                // 4 bpp ignores the mode here: the plain weights of the stored values.
                const int w = kTwoBpp ? weights[r * BW + c] : kWeights[d];
                const Rgba8 ca = Widened(own.a), cb = Widened(own.b);
                out[r * BW + c] = {Blend(ca.r, cb.r, w), Blend(ca.g, cb.g, w), Blend(ca.b, cb.b, w),
                                   Blend(ca.a, cb.a, w)};
            }
    }

    const SBlock* const* m_corner;
    bool m_second;
};

// Decodes the window whose corners are P, Q, R and S (corner[0..3]) into 4 rows of BW pixels.
template <int BW>
inline void DecodeXQFTCWindow(const SBlock* const* corner, bool second, Rgba8* pixels)
{
    TWindow<BW>(corner, second).Decode(pixels);
}

} // namespace xqftexture::xqftc

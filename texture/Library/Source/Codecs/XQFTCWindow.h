#pragma once
// Window decoding shared by XQFTC and XQFTC-II. A window is the BW x 4 pixel area between the
// centres of four neighbouring blocks P (top left), Q (top right), R (bottom left) and S (bottom
// right): colours A and B are interpolated bilinearly between the four centres and blended by the
// modulation weight of each pixel. Window pixel (c, r) lies at (c + BW/2, r + 2) of the 2BW x 8 grid
// the four blocks form.
#include "BlockWalker.h"
#include "XQFTCBlock.h"

namespace xqftexture::xqftc {

// XQFTC-II hard transition at 4 bpp: the local palette entry of window pixel k = 4r + c for the
// stored value d. Entries: 0, 1 colours A, B of P; 2, 3 of S; 4, 5 of Q; 6, 7 of R.
inline constexpr u8 kLocalPalette[16][4] = {
    {0, 0, 0, 0}, {0, 1, 4, 5}, {0, 1, 4, 5}, {0, 1, 4, 5}, {0, 1, 6, 7}, {0, 1, 4, 7}, {0, 1, 4, 5}, {2, 1, 4, 5},
    {0, 1, 6, 7}, {0, 1, 6, 7}, {0, 3, 6, 5}, {2, 3, 4, 5}, {0, 1, 6, 7}, {0, 3, 6, 7}, {2, 3, 6, 7}, {2, 3, 6, 5},
};

inline Rgba8 Widened(const SColour& c)
{
    return {u8(c.r << 3 | c.r >> 2), u8(c.g << 3 | c.g >> 2), u8(c.b << 3 | c.b >> 2), u8(c.a << 4 | c.a)};
}

inline u8 Blend(i32 a, i32 b, i32 w) { return u8(((b - a) * w + 8 * a) >> 3); }

template <int BW>
class TWindow {
public:
    static constexpr int kHalf = BW / 2;
    static constexpr bool kTwoBpp = BW == 8;

    // corner: P, Q, R, S. second: XQFTC-II rules.
    TWindow(const SBlock* const* corner, bool second) : m_corner(corner), m_second(second) {}

    void Decode(Rgba8 (&pixels)[4][BW]) const
    {
        if (m_second && m_corner[0]->hard)
            DecodeHard(pixels);
        else
            DecodeInterpolated(pixels);
    }

private:
    const SBlock& Owner(int gx, int gy) const { return *m_corner[(gx >= BW) | (gy >= 4) << 1]; }
    int ValueAt(int gx, int gy) const { return Owner(gx, gy).value[(gy & 3) * BW + gx % BW]; }

    // Weight 0..8 of grid position (gx, gy); punch marks 4 bpp mode-1 pixels with value 2.
    int Weight(int gx, int gy, bool& punch) const
    {
        const SBlock& own = Owner(gx, gy);
        const int d = own.value[(gy & 3) * BW + gx % BW];
        punch = false;
        if constexpr (!kTwoBpp) {
            if (own.mode == 0)
                return kWeights[d];
            punch = d == 2;
            return d == 0 ? 0 : (d == 3 ? 8 : 4);
        } else {
            if (own.mode == 0 || ((gx + gy) & 1) == 0)
                return kWeights[d];
            const int left = kWeights[ValueAt(gx - 1, gy)], right = kWeights[ValueAt(gx + 1, gy)];
            const int up = kWeights[ValueAt(gx, gy - 1)], down = kWeights[ValueAt(gx, gy + 1)];
            if (own.mode == 1)
                return (left + right + up + down + 2) / 4;
            if (own.mode == 2)
                return (left + right + 1) / 2;
            return (up + down + 1) / 2;
        }
    }

    // Bilinear interpolation of one channel between the four centres, widened to 8 bits.
    static void Upscale(i32 p, i32 q, i32 sr, i32 s, bool alpha, u8 (&out)[4][BW])
    {
        for (int r = 0; r < 4; ++r) {
            const i32 left = (4 - r) * p + r * sr, right = (4 - r) * q + r * s;
            for (int c = 0; c < BW; ++c) {
                const i32 v = (BW - c) * left + c * right;
                if constexpr (kTwoBpp)
                    out[r][c] = u8(alpha ? (v >> 5) + (v >> 1) : (v >> 7) + (v >> 2));
                else
                    out[r][c] = u8(alpha ? (v >> 4) + v : (v >> 6) + (v >> 1));
            }
        }
    }

    void DecodeInterpolated(Rgba8 (&pixels)[4][BW]) const
    {
        const SBlock &p = *m_corner[0], &q = *m_corner[1], &sr = *m_corner[2], &s = *m_corner[3];
        u8 a[4][4][BW], b[4][4][BW];
        Upscale(p.a.r, q.a.r, sr.a.r, s.a.r, false, a[0]);
        Upscale(p.a.g, q.a.g, sr.a.g, s.a.g, false, a[1]);
        Upscale(p.a.b, q.a.b, sr.a.b, s.a.b, false, a[2]);
        Upscale(p.a.a, q.a.a, sr.a.a, s.a.a, true, a[3]);
        Upscale(p.b.r, q.b.r, sr.b.r, s.b.r, false, b[0]);
        Upscale(p.b.g, q.b.g, sr.b.g, s.b.g, false, b[1]);
        Upscale(p.b.b, q.b.b, sr.b.b, s.b.b, false, b[2]);
        Upscale(p.b.a, q.b.a, sr.b.a, s.b.a, true, b[3]);
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < BW; ++c) {
                bool punch;
                const int w = Weight(c + kHalf, r + 2, punch);
                Rgba8& out = pixels[r][c];
                out = {Blend(a[0][r][c], b[0][r][c], w), Blend(a[1][r][c], b[1][r][c], w),
                       Blend(a[2][r][c], b[2][r][c], w), punch ? u8(0) : Blend(a[3][r][c], b[3][r][c], w)};
                if (punch && m_second)
                    out = {0, 0, 0, 0}; // XQFTC-II punch-through is transparent black
            }
    }

    // XQFTC-II block with the hard-transition flag: no colour interpolation towards the neighbours.
    void DecodeHard(Rgba8 (&pixels)[4][BW]) const
    {
        const SBlock &p = *m_corner[0], &q = *m_corner[1], &sr = *m_corner[2], &s = *m_corner[3];
        const Rgba8 palette[8] = {Widened(p.a),  Widened(p.b),  Widened(s.a), Widened(s.b),
                                  Widened(q.a),  Widened(q.b),  Widened(sr.a), Widened(sr.b)};
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < BW; ++c) {
                const int gx = c + kHalf, gy = r + 2;
                const SBlock& own = Owner(gx, gy);
                const int d = ValueAt(gx, gy);
                if (!kTwoBpp && (r | c) != 0 && own.mode != 0) {
                    pixels[r][c] = palette[kLocalPalette[4 * r + c][d]];
                    continue;
                }
                bool punch;
                const int w = kTwoBpp ? Weight(gx, gy, punch) : kWeights[d];
                const Rgba8 ca = Widened(own.a), cb = Widened(own.b);
                pixels[r][c] = {Blend(ca.r, cb.r, w), Blend(ca.g, cb.g, w), Blend(ca.b, cb.b, w), Blend(ca.a, cb.a, w)};
            }
    }

    const SBlock* const* m_corner;
    bool m_second;
};

} // namespace xqftexture::xqftc

#pragma once
// The colours a window pixel can take, and the choice among them: the compressor's model of the
// decoder. Palettes are formed exactly as the decoders form a pixel: the four surrounding blocks'
// endpoints cut to the colour word's precision, blended bilinearly, widened to 8 bits, then blended
// by the modulation weights.
#include "AmtcSupport.h"

namespace xqftexture::amtc {

// One block's endpoints at the colour word's precision: 5-bit red, green, blue and 4-bit alpha.
struct SCutPair {
    i32 a[4], b[4];
};
inline SCutPair CutPair(const SRgba& a, const SRgba& b)
{
    SCutPair p;
    for (int i = 0; i < 3; ++i)
        p.a[i] = a.c[i] >> 3, p.b[i] = b.c[i] >> 3;
    p.a[3] = a.c[3] >> 4, p.b[3] = b.c[3] >> 4;
    return p;
}
inline SRgba WidenCut(const i32 v[4])
{
    return {{u8(v[0] << 3 | v[0] >> 2), u8(v[1] << 3 | v[1] >> 2), u8(v[2] << 3 | v[2] >> 2), u8(v[3] << 4 | v[3])}};
}

// The upscaled A and B at a pixel: weights (8 - fx, fx) across and (8 - fy, fy) down add up to 64.
inline void UpscaleAt(const SBlendEntry& e, const SCutPair* nine, SRgba& a, SRgba& b)
{
    const SCutPair &p = nine[e.corner[0]], &q = nine[e.corner[1]], &r = nine[e.corner[2]], &s = nine[e.corner[3]];
    const i32 wp = (8 - e.fx) * (8 - e.fy), wq = e.fx * (8 - e.fy), wr = (8 - e.fx) * e.fy, ws = e.fx * e.fy;
    for (int i = 0; i < 4; ++i) {
        const i32 va = wp * p.a[i] + wq * q.a[i] + wr * r.a[i] + ws * s.a[i];
        const i32 vb = wp * p.b[i] + wq * q.b[i] + wr * r.b[i] + ws * s.b[i];
        if (i < 3)
            a.c[i] = u8((va >> 8) + (va >> 3)), b.c[i] = u8((vb >> 8) + (vb >> 3));
        else
            a.c[i] = u8((va >> 6) + (va >> 2)), b.c[i] = u8((vb >> 6) + (vb >> 2));
    }
}

inline SRgba BlendColours(const SRgba& a, const SRgba& b, u32 wa, u32 wb)
{
    SRgba out;
    for (int i = 0; i < 4; ++i) {
        const u32 v = (a.c[i] * wa + b.c[i] * wb) >> 3;
        out.c[i] = u8(v > 255 ? 255 : v);
    }
    return out;
}

// Colours of the values 0 to 3 (and 4 to 7 with a second palette) at the pixel of entry e; nine:
// the cut endpoints of the 3 x 3 neighbourhood. Returns whether there is a second palette.
inline bool PixelPalette(const SBlendEntry& e, const SCutPair* nine, SRgba colours[8])
{
    if (e.localPalette && e.secondKind == 0) {
        for (int d = 0; d < 4; ++d) {
            const u8 index = e.localIndex[d];
            const SCutPair& pair = nine[e.corner[index >> 1]];
            colours[d] = WidenCut(index & 1 ? pair.b : pair.a);
        }
        return false;
    }
    SRgba a, b;
    UpscaleAt(e, nine, a, b);
    colours[0] = a;
    colours[3] = b;
    colours[1] = BlendColours(a, b, e.paletteWeights[0], e.paletteWeights[1]);
    colours[2] = BlendColours(a, b, e.paletteWeights[2], e.paletteWeights[3]);
    u32 masked;
    std::memcpy(&masked, colours[2].c, 4);
    masked &= e.alphaMask;
    std::memcpy(colours[2].c, &masked, 4);
    if (e.secondKind == 0)
        return false;
    // Four more blends, mirrored: (w0, w1), (w2, w3), (w3, w2), (w1, w0), alpha raised by the offset.
    const u8* w = e.second;
    const u8 pairs[4][2] = {{w[0], w[1]}, {w[2], w[3]}, {w[3], w[2]}, {w[1], w[0]}};
    for (int k = 0; k < 4; ++k) {
        SRgba c = BlendColours(a, b, pairs[k][0], pairs[k][1]);
        const u32 alpha = c.c[3] + u32(w[4]);
        c.c[3] = u8(alpha > 255 ? 255 : alpha);
        colours[4 + k] = c;
    }
    return true;
}

// The value whose colour is nearest to the pixel. restrictToEnds: 3 unless value 0 is strictly
// nearer. Otherwise the values are examined in the order 2, 1, 0, 3 (then 6, 5, 4, 7) and a later
// one replaces the choice only when strictly nearer.
inline u32 ChooseModulation(const SRgba& pixel, const SRgba* colours, bool restrictToEnds, bool second,
                            u32& distance)
{
    if (restrictToEnds) {
        const u32 d0 = ColourDistanceSq(pixel, colours[0]), d3 = ColourDistanceSq(pixel, colours[3]);
        distance = d0 < d3 ? d0 : d3;
        return d0 < d3 ? 0 : 3;
    }
    static constexpr u8 kOrder[8] = {2, 1, 0, 3, 6, 5, 4, 7};
    u32 best = 2, bestDistance = ColourDistanceSq(pixel, colours[2]);
    for (int k = 1; k < (second ? 8 : 4); ++k) {
        const u32 d = ColourDistanceSq(pixel, colours[kOrder[k]]);
        if (d < bestDistance)
            bestDistance = d, best = kOrder[k];
    }
    distance = bestDistance;
    return best;
}

} // namespace xqftexture::amtc

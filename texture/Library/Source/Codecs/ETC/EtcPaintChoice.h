#pragma once
// The index choice of the two-colour modes (T and H): for each distance index the four paint colours,
// each pixel (row by row) taking the first paint with the least error, and the distance with the least
// sum (the first on ties). The raster index word holds pixel (0, 0) in bits 31..30.
#include "XQFTextureTypes.h"

namespace xqftexture::etc {

inline constexpr u32 kPaintSentinel = 1040400000u;

// The pixel errors of the two metrics: perceptual (299, 587, 114) and plain, as 32-bit integers.
inline u32 PaintErrorPerceptual(i32 dr, i32 dg, i32 db)
{
    return 299u * u32(dr * dr) + 587u * u32(dg * dg) + 114u * u32(db * db);
}
inline u32 PaintErrorPlain(i32 dr, i32 dg, i32 db) { return u32(dr * dr + dg * dg + db * db); }

// paints(d, paint) fills paint[4][3] for distance index d. With alpha, a pixel of alpha 0 takes paint
// transparentSlot(d) at no cost, and no other pixel may take that paint (alpha null: no such slot).
// Sum is the type errors are summed in (u32, or double for the plain metric).
template <class Sum, class Paints, class Error, class Slot>
Sum ChoosePaints(const u8* rgb, i32 stride, i32 x0, i32 y0, const u8* alpha, u8& distance, u32& raster, Paints paints,
                 Error error, Slot transparentSlot)
{
    Sum best = kPaintSentinel;
    for (u32 d = 0; d < 8; ++d) {
        i32 paint[4][3];
        paints(d, paint);
        const i32 slot = alpha != nullptr ? transparentSlot(d) : -1;
        Sum sum = 0;
        u32 word = 0;
        for (i32 y = 0; y < 4; ++y)
            for (i32 x = 0; x < 4; ++x) {
                const i64 at = i64(y0 + y) * stride + x0 + x;
                const u8* p = rgb + at * 3;
                u32 pixelBest = kPaintSentinel, index = 0;
                if (slot >= 0 && alpha[at] == 0) {
                    pixelBest = 0, index = u32(slot);
                } else {
                    for (u32 k = 0; k < 4; ++k) {
                        if (i32(k) == slot)
                            continue; // the transparent slot costs the sentinel
                        const u32 e = error(paint[k][0] - p[0], paint[k][1] - p[1], paint[k][2] - p[2]);
                        if (e < pixelBest)
                            pixelBest = e, index = k;
                    }
                }
                word = word << 2 | index;
                sum += pixelBest;
            }
        if (sum < best) {
            best = sum;
            distance = u8(d);
            raster = word;
        }
    }
    return best;
}

// The T-mode paints of a lone and a split colour (8-bit): lone, split + d, split, split - d.
inline auto TPaints(const i32 lone[3], const i32 split[3])
{
    return [lone, split](u32 d, i32 (&paint)[4][3]) {
        static constexpr i32 kDistances[8] = {3, 6, 11, 16, 23, 32, 41, 64};
        const i32 distance = kDistances[d];
        for (u32 c = 0; c < 3; ++c) {
            paint[0][c] = lone[c];
            paint[1][c] = split[c] + distance > 255 ? 255 : split[c] + distance;
            paint[2][c] = split[c];
            paint[3][c] = split[c] - distance < 0 ? 0 : split[c] - distance;
        }
    };
}

inline i32 NoTransparentSlot(u32) { return -1; }

} // namespace xqftexture::etc

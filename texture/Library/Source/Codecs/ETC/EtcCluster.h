#pragma once
// Two-colour clustering of a block (LBG, from seeded random starting centres), the RGB444 colour-pair
// quantiser, the T-mode evaluation of two fixed colours, and the LBG-based T-mode compressors.
//
// Planes are RGB (3 bytes per pixel) with rows of `width` pixels; blocks are addressed by their
// top-left pixel. Colour pairs are 6 bytes R0, G0, B0, R1, G1, B1. T-mode pairs are the lone colour
// (paint 0) then the split colour (paints 1-3) as 4-bit levels.
#include "XQFTextureTypes.h"

namespace xqftexture::etc {

// The random numbers of the clusterings: the portable 15-bit linear congruential generator, one per
// clustering call, seeded with 10000 every time. A clustering's result therefore depends on the
// block alone, not on what other calls or threads drew before.
class CClusterRandom {
public:
    explicit CClusterRandom(u32 seed = 10000) : m_next(seed) {}
    u32 Next() // 0 .. 32767
    {
        m_next = m_next * 1103515245u + 12345u;
        return (m_next >> 16) & 0x7FFF;
    }

private:
    u32 m_next;
};

// The five clusterings; each writes the two 8-bit centre colours, centre 0 first.
// Standard: decorrelated space (intensity and two colour differences), intensity weighted 0.5.
void ClusterTwoColours(const u8* pixels, i32 width, i32 x, i32 y, u8 colours[6]);
// Intensity weighted 0; the restarting twin starts a new attempt when the error stops changing.
void ClusterTwoColoursNoIntensity(const u8* pixels, i32 width, i32 x, i32 y, u8 colours[6]);
void ClusterTwoColoursNoIntensityRestarting(const u8* pixels, i32 width, i32 x, i32 y, u8 colours[6]);
// RGB space, distances to the centre rounded to integers.
void ClusterTwoColoursRGBRestarting(const u8* pixels, i32 width, i32 x, i32 y, u8 colours[6]);
void ClusterTwoColoursRGB(const u8* pixels, i32 width, i32 x, i32 y, u8 colours[6]);

// Both colours of a pair to bitsR, bitsG, bitsB bits per channel: ((v + 2^(7-b)) (2^b - 1)) / 255.
void QuantiseColourPair(u32 bitsR, u32 bitsG, u32 bitsB, const u8 in[6], u8 out[6]);

// The best distance index and raster index word (pixel (0, 0) in bits 31..30) for the T-mode colours
// (lone, split: 4-bit levels), and the error. The both-orders members also try the colours swapped and
// leave the array in the order the result belongs to.
u32 EvaluateTModeBothOrdersPerceptual(const u8* pixels, i32 width, i32 x, i32 y, u8 colours[6], u8& distance,
                                      u32& raster);
double EvaluateTModeBothOrders(const u8* pixels, i32 width, i32 x, i32 y, u8 colours[6], u8& distance, u32& raster);
u32 EvaluateTModePerceptual(const u8* pixels, i32 width, i32 x, i32 y, const u8 colours[6], u8& distance,
                            u32& raster);
double EvaluateTMode(const u8* pixels, i32 width, i32 x, i32 y, const u8 colours[6], u8& distance, u32& raster);

// The start fits of the exhaustive T-mode search: the clustered, quantised and evaluated colours as
// 12-bit numbers R << 8 | G << 4 | B, and their error.
u32 FitTModeColoursPerceptual(const u8* pixels, i32 width, i32 x, i32 y, u32& lone12, u32& split12);
double FitTModeColours(const u8* pixels, i32 width, i32 x, i32 y, u32& lone12, u32& split12);

// T-mode blocks from the standard clustering: the unpacked 59-bit T layout and the low word.
double CompressTModeLBGPerceptual(const u8* pixels, i32 width, i32 x, i32 y, u32& t59, u32& low);
double CompressTModeLBG(const u8* pixels, i32 width, i32 x, i32 y, u32& t59, u32& low);
// The best of three clusterings (intensity-free, standard, RGB), ties keeping the earlier.
double CompressTModeLBGMulti(const u8* pixels, i32 width, i32 x, i32 y, u32& t59, u32& low);

} // namespace xqftexture::etc

#pragma once
// Fast ETC1: one block (individual or differential mode, flipped or not) from the average colours of
// its half-blocks, without a search over base colours. Every routine has a plain and a perceptual
// twin (the metrics of EtcMetrics.h).
//
// Blocks come as the high and low word of the format (first and last four bytes, big-endian). Sub-block
// 1 is the left half (not flipped) or the top half (flipped). The unflipped orientation is tried first;
// the flipped one is kept only when its error is strictly smaller.
#include "XQFTextureTypes.h"

namespace xqftexture::etc {

// Balanced quantisation of an average colour to 4 or 5 bits per channel: per channel the level just
// below or just above, chosen so that the three channels' errors are as equal as possible (the ETC
// modifiers move all channels alike). q receives the levels, expanded their 8-bit values.
// The perceptual twins weigh the channel pairs (RG, RB, GB) by 0.175513, 0.034086 and 0.066918.
void QuantiseColourBalanced444(const float avg[3], u32 q[3], u8 expanded[3]);
void QuantiseColourBalanced555(const float avg[3], u32 q[3], u8 expanded[3]);
void QuantiseColourBalanced444Perceptual(const float avg[3], u32 q[3], u8 expanded[3]);
void QuantiseColourBalanced555Perceptual(const float avg[3], u32 q[3], u8 expanded[3]);

// Differential mode when the two halves' 5-bit colours lie within -4..3 of each other, else individual
// mode; the colours rounded (trunc(avg x 31 / 255 + 0.5), trunc(avg / 17 + 0.5001)) or balanced.
// The rounded perceptual twin returns the chosen block's error (a sum of two truncated half errors).
void CompressETC1AverageRounded(const u8* pixels, i32 width, i32 x, i32 y, u32& high, u32& low);
double CompressETC1AverageRoundedPerceptual(const u8* pixels, i32 width, i32 x, i32 y, u32& high, u32& low);
void CompressETC1AverageBalanced(const u8* pixels, i32 width, i32 x, i32 y, u32& high, u32& low);
void CompressETC1AverageBalancedPerceptual(const u8* pixels, i32 width, i32 x, i32 y, u32& high, u32& low);
// The rounded and the balanced plain block, the balanced one kept only when its error is strictly
// smaller; returns the kept block's error.
i32 CompressETC1AverageBest(const u8* pixels, i32 width, i32 x, i32 y, u32& high, u32& low);

// What the individual-only compressors also report: the 4-bit colours and the flip of the chosen
// orientation, and each half-block's own 4-bit colour and error (the seeds of the exhaustive search).
struct SIndividualAverage {
    u32 colour1[3], colour2[3], flip;
    u32 errorTop, errorBottom, errorLeft, errorRight; // flipped top and bottom, unflipped left and right
    u32 top[3], bottom[3], left[3], right[3];
};
// Individual mode only, colours trunc(avg x 15 / 255 + 0.5). Returns the chosen block's error (plain or
// perceptual integer metric).
u32 CompressETC1IndividualAverage(const u8* pixels, i32 width, i32 x, i32 y, u32& high, u32& low,
                                  SIndividualAverage& out);
u32 CompressETC1IndividualAveragePerceptual(const u8* pixels, i32 width, i32 x, i32 y, u32& high, u32& low,
                                            SIndividualAverage& out);

// Differential mode only, colours rounded to 5 bits; halves too far apart share one colour: the
// plain twin the rounded mean of the two averages, the perceptual twin the mean of the two 5-bit
// colours. Returns the chosen block's error (plain or perceptual integer metric); the plain twin
// also reports the chosen 5-bit colours (absolute) and flip.
struct SDifferentialAverage {
    u32 colour1[3], colour2[3], flip;
};
u32 CompressETC1DifferentialAverage(const u8* pixels, i32 width, i32 x, i32 y, u32& high, u32& low,
                                    SDifferentialAverage& out);
u32 CompressETC1DifferentialAveragePerceptual(const u8* pixels, i32 width, i32 x, i32 y, u32& high, u32& low);

// Block-layout helpers the exhaustive searches share.
inline constexpr u32 Expand4(u32 q) { return q * 17; }
inline constexpr u32 Expand5(u32 q) { return (q << 3) | (q >> 2); }
// The low word of two sub-blocks' index planes (bit 4 dx + dy of each half-block).
inline constexpr u32 SubBlockIndices(u32 flip, u32 msb1, u32 lsb1, u32 msb2, u32 lsb2)
{
    const u32 shift = flip ? 2 : 8;
    return ((msb1 | msb2 << shift) & 0xFFFF) << 16 | ((lsb1 | lsb2 << shift) & 0xFFFF);
}

} // namespace xqftexture::etc

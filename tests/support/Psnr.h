#pragma once
// PSNR of encoder output against its source, in dB. Pixels are given as runs of bytes with a number
// of channels per pixel (3 for RGB, 4 for RGBA), so RGB sources compare with RGBA decodes directly.
// Identical inputs give kPsnrExact instead of infinity, so that averages stay finite.
#include <cstddef>
#include <cstdint>

namespace xqft::test {

inline constexpr double kPsnrExact = 200.0; // above any real figure of up to 2^32 values

// Peak 255, mean over the three colour channels.
double PsnrRgb(const uint8_t* a, int aChannels, const uint8_t* b, int bChannels, size_t pixels);
// Peak 255, the squared errors weighted 0.299 R, 0.587 G, 0.114 B (the weights add up to 1).
double PsnrLuma(const uint8_t* a, int aChannels, const uint8_t* b, int bChannels, size_t pixels);
// Peak 255, the fourth channel only.
double PsnrAlpha(const uint8_t* a, int aChannels, const uint8_t* b, int bChannels, size_t pixels);
// Peak 65535 over count 16-bit values; signed values (two's complement) compare as int16.
double Psnr16(const uint16_t* a, const uint16_t* b, size_t count, bool isSigned);
// The PSNR of a mean squared error at a peak.
double PsnrFromMse(double mse, double peak);

} // namespace xqft::test

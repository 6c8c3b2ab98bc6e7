#include "Psnr.h"

#include <algorithm>
#include <cmath>

namespace xqft::test {

double PsnrFromMse(double mse, double peak)
{
    return mse <= 0 ? kPsnrExact : 10 * std::log10(peak * peak / mse);
}

namespace {

// Mean over pixels of the weighted sum of squared channel differences.
double WeightedMse(const uint8_t* a, int aChannels, const uint8_t* b, int bChannels, size_t pixels,
                   const double (&weights)[4])
{
    double sum = 0;
    for (size_t i = 0; i < pixels; ++i)
        for (int c = 0; c < 4; ++c)
            if (weights[c] != 0) {
                const double d = double(a[i * aChannels + c]) - b[i * bChannels + c];
                sum += weights[c] * d * d;
            }
    return pixels == 0 ? 0 : sum / pixels;
}

} // namespace

double PsnrRgb(const uint8_t* a, int aChannels, const uint8_t* b, int bChannels, size_t pixels)
{
    static constexpr double kWeights[4] = {1.0 / 3, 1.0 / 3, 1.0 / 3, 0};
    return PsnrFromMse(WeightedMse(a, aChannels, b, bChannels, pixels, kWeights), 255);
}

double PsnrLuma(const uint8_t* a, int aChannels, const uint8_t* b, int bChannels, size_t pixels)
{
    static constexpr double kWeights[4] = {0.299, 0.587, 0.114, 0};
    return PsnrFromMse(WeightedMse(a, aChannels, b, bChannels, pixels, kWeights), 255);
}

double PsnrAlpha(const uint8_t* a, int aChannels, const uint8_t* b, int bChannels, size_t pixels)
{
    static constexpr double kWeights[4] = {0, 0, 0, 1};
    return PsnrFromMse(WeightedMse(a, aChannels, b, bChannels, pixels, kWeights), 255);
}

double Psnr16(const uint16_t* a, const uint16_t* b, size_t count, bool isSigned)
{
    double sum = 0;
    for (size_t i = 0; i < count; ++i) {
        const double d = isSigned ? double(int16_t(a[i])) - int16_t(b[i]) : double(a[i]) - b[i];
        sum += d * d;
    }
    return PsnrFromMse(count == 0 ? 0 : sum / count, 65535);
}

} // namespace xqft::test

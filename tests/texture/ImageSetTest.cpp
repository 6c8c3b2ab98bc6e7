// The encoder test bench's image set: the same images on every run, at the requested size, with
// the alpha and 16-bit values the encoder tests rely on.
#include "ImageSet.h"
#include "Psnr.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

using namespace xqft::test;

namespace {

TEST(ImageSet, SameImagesEveryRunAtAnySize)
{
    for (auto [w, h] : {std::pair<uint32_t, uint32_t>{64, 64}, {5, 3}, {1, 1}, {37, 130}}) {
        const auto a = ColourImages(w, h), b = ColourImages(w, h);
        ASSERT_EQ(a.size(), 8u);
        for (size_t i = 0; i < a.size(); ++i) {
            EXPECT_EQ(a[i].rgba, b[i].rgba) << a[i].name;
            EXPECT_EQ(a[i].rgba.size(), size_t(w) * h * 4) << a[i].name;
            EXPECT_EQ(a[i].Rgb().size(), size_t(w) * h * 3) << a[i].name;
        }
        const auto c = Images16(w, h), d = Images16(w, h);
        ASSERT_EQ(c.size(), 4u);
        for (size_t i = 0; i < c.size(); ++i)
            EXPECT_EQ(c[i].rg, d[i].rg) << c[i].name;
    }
}

TEST(ImageSet, AlphaAndSixteenBitImagesHoldTheirThresholdsAndExtremes)
{
    std::set<uint8_t> steps;
    const SColourImage image = ColourImage("alpha-steps", 64, 64);
    for (size_t i = 3; i < image.rgba.size(); i += 4)
        steps.insert(image.rgba[i]);
    EXPECT_EQ(steps, (std::set<uint8_t>{0, 127, 128, 255}));
    EXPECT_TRUE(image.hasAlpha);
    for (const SColourImage& opaque : ColourImages(16, 16)) {
        if (!opaque.hasAlpha) {
            for (size_t i = 3; i < opaque.rgba.size(); i += 4)
                ASSERT_EQ(opaque.rgba[i], 255) << opaque.name;
        }
    }

    for (const SImage16& image16 : Images16(64, 64)) {
        const auto r = image16.Channel(0);
        auto [lo, hi] = std::minmax_element(r.begin(), r.end(), [&](uint16_t a, uint16_t b) {
            return image16.isSigned ? int16_t(a) < int16_t(b) : a < b;
        });
        EXPECT_EQ(image16.isSigned ? int16_t(*lo) : *lo, image16.isSigned ? -32768 : 0) << image16.name;
        EXPECT_EQ(image16.isSigned ? int16_t(*hi) : *hi, image16.isSigned ? 32767 : 65535) << image16.name;
    }
}

TEST(Psnr, PeaksWeightsAndExactInputs)
{
    const uint8_t a[8] = {10, 20, 30, 40, 10, 20, 30, 40}, b[6] = {10, 20, 30, 10, 20, 30};
    EXPECT_EQ(PsnrRgb(a, 4, b, 3, 2), kPsnrExact);
    const uint8_t c[6] = {10 + 3, 20, 30, 10 + 3, 20, 30}; // red off by 3: MSE 3 over RGB, 0.299 x 9 luma
    EXPECT_NEAR(PsnrRgb(a, 4, c, 3, 2), 10 * std::log10(255.0 * 255 / 3), 1e-9);
    EXPECT_NEAR(PsnrLuma(a, 4, c, 3, 2), 10 * std::log10(255.0 * 255 / (0.299 * 9)), 1e-9);
    const uint8_t d[8] = {0, 0, 0, 40 + 5, 0, 0, 0, 40 - 5};
    EXPECT_NEAR(PsnrAlpha(a, 4, d, 4, 2), 10 * std::log10(255.0 * 255 / 25), 1e-9);
    const uint16_t s[2] = {0x8000, 0x7FFF}, t[2] = {0x7FFF, 0x7FFF}; // signed: -32768 against 32767
    EXPECT_NEAR(Psnr16(s, t, 2, true), 10 * std::log10(65535.0 * 65535 / (65535.0 * 65535 / 2)), 1e-9);
    EXPECT_NEAR(Psnr16(s, t, 2, false), 10 * std::log10(65535.0 * 65535 / 0.5), 1e-9); // unsigned: off by 1
}

} // namespace

#include "ImageSet.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <random>

namespace xqft::test {

namespace {

uint8_t Clamp8(double v) { return uint8_t(std::clamp(std::lround(v), 0L, 255L)); }

// Every pixel from fn(x, y, random) -> {r, g, b, a}. The generator is seeded per kind, so the set is
// the same on every machine (std::mt19937 is fully specified; only its raw output is used).
template <class Fn>
SColourImage Make(const char* name, uint32_t w, uint32_t h, bool hasAlpha, uint32_t seed, Fn fn)
{
    SColourImage image{name, w, h, hasAlpha, std::vector<uint8_t>(size_t(w) * h * 4)};
    std::mt19937 random(seed);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            const auto p = fn(x, y, random);
            std::copy(p.begin(), p.end(), &image.rgba[(size_t(y) * w + x) * 4]);
        }
    return image;
}

using Pixel = std::array<uint8_t, 4>;

// A few fixed strokes of pseudo-glyphs per 16 x 16 cell: horizontal, vertical and diagonal bars 1
// or 2 pixels wide, chosen by the cell's position.
bool OnStroke(uint32_t x, uint32_t y)
{
    const uint32_t cx = x / 16, cy = y / 16, u = x % 16, v = y % 16;
    const uint32_t glyph = (cx * 7 + cy * 13) % 5;
    if (u < 2 || v < 2)
        return false; // spacing between glyphs
    switch (glyph) {
    case 0: return u == 3 || u == 4 || v == 8;                   // "H"-like
    case 1: return v == 3 || v == 13 || (u == 8 && v > 2);        // "I"-like
    case 2: return u == v || u == v + 1;                          // diagonal
    case 3: return (u == 3) || (v == 13 && u < 12) || (v == 3 && u < 10); // "E"-like, thin
    default: return (u - 8) * (u - 8) + (v - 8) * (v - 8) <= 25 && (u - 8) * (u - 8) + (v - 8) * (v - 8) >= 13;
    }
}

// A 32-bit integer hash (lowbias32), for lattice values that do not depend on the order of use.
uint32_t Hash(uint32_t v)
{
    v ^= v >> 16, v *= 0x7feb352dU, v ^= v >> 15, v *= 0x846ca68bU, v ^= v >> 16;
    return v;
}

// Lattice noise 0..255 of cell size `period` (a power of two), bilinear between the lattice points.
int32_t LatticeNoise(uint32_t x, uint32_t y, uint32_t period, uint32_t seed)
{
    const uint32_t ix = x / period, iy = y / period, fx = x % period, fy = y % period;
    auto at = [&](uint32_t i, uint32_t j) { return int32_t(Hash(seed ^ Hash(i * 0x9E3779B1U ^ Hash(j + 0x632BE5ABU))) & 0xFF); };
    const int32_t top = at(ix, iy) * int32_t(period - fx) + at(ix + 1, iy) * int32_t(fx);
    const int32_t bottom = at(ix, iy + 1) * int32_t(period - fx) + at(ix + 1, iy + 1) * int32_t(fx);
    return (top * int32_t(period - fy) + bottom * int32_t(fy)) / int32_t(period * period);
}

struct SRect {
    uint32_t x, y, w, h;
};

// Cuts r at random places until the pieces are between 24 and about 160 pixels a side.
void CutMosaic(const SRect& r, std::mt19937& random, std::vector<SRect>& out)
{
    const bool wide = r.w >= r.h;
    const uint32_t side = wide ? r.w : r.h;
    if (side < 48 || (side < 160 && random() % 3 == 0)) {
        out.push_back(r);
        return;
    }
    const uint32_t cut = 24 + random() % (side - 47);
    if (wide) {
        CutMosaic({r.x, r.y, cut, r.h}, random, out);
        CutMosaic({r.x + cut, r.y, r.w - cut, r.h}, random, out);
    } else {
        CutMosaic({r.x, r.y, r.w, cut}, random, out);
        CutMosaic({r.x, r.y + cut, r.w, r.h - cut}, random, out);
    }
}

} // namespace

SColourImage PhotoMosaic(uint32_t w, uint32_t h, uint32_t seed)
{
    SColourImage image{"photo-mosaic", w, h, false, std::vector<uint8_t>(size_t(w) * h * 4)};
    std::mt19937 random(seed);
    std::vector<SRect> pieces;
    CutMosaic({0, 0, w, h}, random, pieces);
    for (const SRect& r : pieces) {
        int32_t dark[3], light[3], object[3];
        for (int c = 0; c < 3; ++c)
            dark[c] = int32_t(random() % 120), light[c] = int32_t(110 + random() % 146), object[c] = int32_t(random() % 256);
        const uint32_t s = random(), period = 16u << (random() % 3), tintChannel = random() % 3;
        const bool hasObject = random() % 2 == 0;
        const int32_t ox = int32_t(r.x + random() % r.w), oy = int32_t(r.y + random() % r.h);
        const int32_t radius = int32_t(4 + random() % 24);
        for (uint32_t y = r.y; y < r.y + r.h; ++y)
            for (uint32_t x = r.x; x < r.x + r.w; ++x) {
                // Octaves at the scene's scale, a quarter and a sixteenth of it; 0..255.
                const int32_t f = (LatticeNoise(x, y, period * 4, s) * 9 + LatticeNoise(x, y, period, s + 1) * 5 +
                                   LatticeNoise(x, y, std::max(period / 4, 2u), s + 2) * 2) / 16;
                const int32_t tint = LatticeNoise(x, y, period * 2, s + 3) - 128;
                const int32_t grain = int32_t(Hash(s ^ (y * 0x10001U + x)) % 9) - 4;
                const int32_t dx = int32_t(x) - ox, dy = int32_t(y) - oy;
                const bool inObject = hasObject && dx * dx + dy * dy <= radius * radius;
                uint8_t* p = &image.rgba[(size_t(y) * w + x) * 4];
                for (int c = 0; c < 3; ++c) {
                    int32_t v = inObject ? object[c] + (f - 128) / 8 : dark[c] + (light[c] - dark[c]) * f / 255;
                    if (c == int32_t(tintChannel))
                        v += tint / 4;
                    p[c] = uint8_t(std::clamp(v + grain, 0, 255));
                }
                p[3] = 255;
            }
    }
    return image;
}

std::vector<uint8_t> SColourImage::Rgb() const
{
    std::vector<uint8_t> rgb(size_t(width) * height * 3);
    for (size_t i = 0, n = size_t(width) * height; i < n; ++i)
        std::copy_n(&rgba[i * 4], 3, &rgb[i * 3]);
    return rgb;
}

std::vector<uint16_t> SImage16::Channel(uint32_t c) const
{
    std::vector<uint16_t> values(size_t(width) * height);
    for (size_t i = 0; i < values.size(); ++i)
        values[i] = rg[i * 2 + c];
    return values;
}

SColourImage ColourImage(const std::string& name, uint32_t w, uint32_t h)
{
    const double fw = std::max(w, 1u), fh = std::max(h, 1u);
    if (name == "gradient") // two crossed colour ramps over the whole image
        return Make("gradient", w, h, false, 1, [&](uint32_t x, uint32_t y, std::mt19937&) {
            const double fx = x / fw, fy = y / fh;
            return Pixel{Clamp8(255 * fx), Clamp8(255 * fy), Clamp8(255 * (1 - fx) * (0.3 + 0.7 * fy)), 255};
        });
    if (name == "sine-noise") // low-frequency bands with mild noise, like ordinary texture content
        return Make("sine-noise", w, h, false, 2, [&](uint32_t x, uint32_t y, std::mt19937& r) {
            const double fx = x / 64.0, fy = y / 64.0;
            auto noise = [&] { return int(r() % 25) - 12; };
            return Pixel{Clamp8(127 + 100 * std::sin(fx * 5.3 + fy * 1.1) + noise()),
                         Clamp8(127 + 100 * std::sin(fy * 4.1 + 1) + noise()),
                         Clamp8(127 + 100 * std::sin((fx + fy) * 3.7 + 2) + noise()), 255};
        });
    if (name == "edges") // flat discs and bands with hard edges off the block grid
        return Make("edges", w, h, false, 3, [&](uint32_t x, uint32_t y, std::mt19937&) {
            const double dx = (x % 48) - 23.5, dy = (y % 40) - 19.5;
            if (dx * dx + dy * dy < 150)
                return Pixel{203, 61, 47, 255};
            if ((x / 7 + y / 5) % 3 == 0)
                return Pixel{30, 144, 221, 255};
            return Pixel{241, 229, 97, 255};
        });
    if (name == "checkers") // black and white cells of 3 pixels, then coloured cells of 5
        return Make("checkers", w, h, false, 4, [&](uint32_t x, uint32_t y, std::mt19937&) {
            if (y < h / 2)
                return ((x / 3 + y / 3) & 1) ? Pixel{255, 255, 255, 255} : Pixel{0, 0, 0, 255};
            return ((x / 5 + y / 5) & 1) ? Pixel{250, 30, 160, 255} : Pixel{20, 200, 40, 255};
        });
    if (name == "strokes") // dark, thin glyph-like strokes on a light ground
        return Make("strokes", w, h, false, 5, [&](uint32_t x, uint32_t y, std::mt19937&) {
            return OnStroke(x, y) ? Pixel{24, 20, 40, 255} : Pixel{236, 232, 220, 255};
        });
    if (name == "noise") // white noise in every channel
        return Make("noise", w, h, false, 6, [&](uint32_t, uint32_t, std::mt19937& r) {
            const uint32_t v = uint32_t(r());
            return Pixel{uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), 255};
        });
    if (name == "alpha-ramp") // sine colours under an alpha ramp 0..255 along x, mirrored every 64 rows
        return Make("alpha-ramp", w, h, true, 7, [&](uint32_t x, uint32_t y, std::mt19937&) {
            const double fx = x / fw, fy = y / fh;
            const double a = (y / 64) % 2 ? 255 * (1 - fx) : 255 * fx;
            return Pixel{Clamp8(127 + 120 * std::sin(fx * 9)), Clamp8(127 + 120 * std::sin(fy * 7 + 1)),
                         Clamp8(127 + 120 * std::sin((fx + fy) * 5)), Clamp8(a)};
        });
    if (name == "alpha-steps") // alpha in bands of 0, 127, 128 and 255, 3 pixels wide, over edges
        return Make("alpha-steps", w, h, true, 8, [&](uint32_t x, uint32_t y, std::mt19937& r) {
            static constexpr uint8_t kSteps[4] = {0, 127, 128, 255};
            const uint8_t a = kSteps[(x / 3 + y / 7) % 4];
            const uint8_t grey = uint8_t(((x / 5) & 1) ? 220 : 40);
            return Pixel{grey, uint8_t(grey / 2 + r() % 16), uint8_t(255 - grey), a};
        });
    return SColourImage{name, 0, 0, false, {}};
}

std::vector<SColourImage> ColourImages(uint32_t width, uint32_t height)
{
    std::vector<SColourImage> set;
    for (const char* name :
         {"gradient", "sine-noise", "edges", "checkers", "strokes", "noise", "alpha-ramp", "alpha-steps"})
        set.push_back(ColourImage(name, width, height));
    return set;
}

std::vector<SImage16> Images16(uint32_t w, uint32_t h)
{
    std::vector<SImage16> set;
    auto make = [&](const char* name, bool isSigned, auto fn) {
        SImage16 image{name, w, h, isSigned, std::vector<uint16_t>(size_t(w) * h * 2)};
        std::mt19937 random(uint32_t(set.size()) + 20);
        for (uint32_t y = 0; y < h; ++y)
            for (uint32_t x = 0; x < w; ++x) {
                const auto [r, g] = fn(x, y, random);
                image.rg[(size_t(y) * w + x) * 2] = uint16_t(r);
                image.rg[(size_t(y) * w + x) * 2 + 1] = uint16_t(g);
            }
        set.push_back(std::move(image));
    };
    const double fw = std::max(w, 1u), fh = std::max(h, 1u);
    using Pair = std::pair<int32_t, int32_t>;
    // Unsigned: R ramps 0..65535 along x, G a fine sine along y.
    make("ramp16", false, [&](uint32_t x, uint32_t y, std::mt19937&) {
        return Pair{int32_t(std::lround(65535 * x / std::max(fw - 1, 1.0))),
                    int32_t(std::lround(32767.5 + 32767.5 * std::sin(y / fh * 11)))};
    });
    // Unsigned extremes: 0, 1, 65534, 65535 and mid values in 2 x 2 cells, noise in G.
    make("extremes16", false, [&](uint32_t x, uint32_t y, std::mt19937& r) {
        static constexpr int32_t kValues[6] = {0, 65535, 1, 65534, 32767, 32768};
        return Pair{kValues[(x / 2 + 3 * (y / 2)) % 6], int32_t(r() & 0xFFFF)};
    });
    // Signed: R ramps -32768..32767 along x, G the other way along y.
    make("ramp16-signed", true, [&](uint32_t x, uint32_t y, std::mt19937&) {
        return Pair{int32_t(std::lround(-32768 + 65535 * x / std::max(fw - 1, 1.0))),
                    int32_t(std::lround(32767 - 65535 * y / std::max(fh - 1, 1.0)))};
    });
    // Signed extremes: -32768, -32767, -1, 0, 1, 32767 in 2 x 2 cells, noise in G.
    make("extremes16-signed", true, [&](uint32_t x, uint32_t y, std::mt19937& r) {
        static constexpr int32_t kValues[6] = {-32768, 32767, -1, 0, 1, -32767};
        return Pair{kValues[(x / 2 + 5 * (y / 2)) % 6], int32_t(int16_t(r() & 0xFFFF))};
    });
    return set;
}

} // namespace xqft::test

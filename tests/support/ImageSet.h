#pragma once
// The encoder test bench's images: a deterministic set made by the tests themselves, at any size, so
// that tests run it small and benchmarks large. Each kind stresses something else in an encoder:
// smooth gradients (quantisation), sine plus noise (ordinary texture content), hard edges and
// checkers (two colours in one block), text-like strokes (thin dark detail on a light ground),
// white noise (nothing to predict), alpha ramps and steps through 0, 127, 128 and 255 (alpha
// precision and thresholds). The 16-bit set holds ramps and extremes, unsigned and signed.
//
//   for (const SColourImage& image : ColourImages(64, 64)) { ... image.rgba ... image.Rgb() ... }
//   for (const SImage16& image : Images16(64, 64)) { ... image.rg ... image.Channel(0) ... }
#include <cstdint>
#include <string>
#include <vector>

namespace xqft::test {

struct SColourImage {
    std::string name;
    uint32_t width = 0, height = 0;
    bool hasAlpha = false;     // alpha varies; otherwise every alpha is 255
    std::vector<uint8_t> rgba; // rows of width pixels, R, G, B, A
    std::vector<uint8_t> Rgb() const; // the same pixels without alpha
};

struct SImage16 {
    std::string name;
    uint32_t width = 0, height = 0;
    bool isSigned = false;      // values are int16 in two's complement, held as uint16
    std::vector<uint16_t> rg;   // rows of width pixels, two channels (R, G)
    std::vector<uint16_t> Channel(uint32_t c) const; // one channel, rows of width values
};

// Every colour kind, in a fixed order (the alpha kinds last).
std::vector<SColourImage> ColourImages(uint32_t width, uint32_t height);
// One kind by name ("gradient", "sine-noise", "edges", "checkers", "strokes", "noise", "alpha-ramp",
// "alpha-steps"); an empty image for an unknown name.
SColourImage ColourImage(const std::string& name, uint32_t width, uint32_t height);

// A photograph-like mosaic: rectangles of varying size, each a smooth scene (several octaves of
// lattice noise between two colours, a tint, fine grain) with now and then a hard-edged object.
// Integer arithmetic only, so the pixels are the same with any compiler and C library: tests may
// pin what an encoder makes of it.
SColourImage PhotoMosaic(uint32_t width, uint32_t height, uint32_t seed = 1);

// Every 16-bit kind: unsigned and signed ramps and extremes.
std::vector<SImage16> Images16(uint32_t width, uint32_t height);

} // namespace xqft::test

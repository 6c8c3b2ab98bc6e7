#pragma once
// The window evaluation at speed. While one candidate is refined, only the centre block's pair
// changes: every pixel's upscaled A and B are a fixed sum over the neighbours plus the centre's
// share times the centre pair. The model keeps the fixed parts, so that an evaluation is a few
// vector operations per pixel; it gives exactly what the pixel palettes and the modulation
// chooser (PixelPalette.h) give.
#include "AmtcTypes.h"
#include "PixelPalette.h"

namespace xqftexture::amtc {

struct SCandidateProblem;
struct SWindowFit;

class CWindowModel {
public:
    // The problem's entries and neighbour pairs; the centre (and positions that wrap onto it on
    // grids one block wide or high) is left to Evaluate.
    void Build(const SCandidateProblem& problem);

    // The fit of centre pair (a, b): see EvaluateWindow.
    void Evaluate(const SRgba& a, const SRgba& b, bool withBorder, SWindowFit& fit, u8* weights2bpp) const;

    using V8 = i16 __attribute__((vector_size(16))); // A's red, green, blue, alpha, then B's

private:
    enum EKind : u8 { kBlend, kLocal, kScalar };
    struct SPixel {
        V8 pixel;         // the window pixel, twice
        V8 fixed;         // the neighbours' share of the upscaled A and B (before widening)
        V8 wA, wB;        // palette entries 1 (lanes 0-3) and 2 (lanes 4-7) = (A wA + B wB) >> 3
        V8 mask;          // entry 2's alpha mask, per lane
        i16 centre;       // the centre's weight in the upscaling, in 64ths
        u8 kind, edge, role, second;
        u8 source[4];     // local palette: 0 a fixed colour, 1 the centre's A, 2 its B
        SRgba local[4];
        u8 valueWeights[8];
        i32 fitWeight, centreFitWeight;
    };
    // Plain data (set by Build), so that workers can hold a model in scratch memory.
    const SCandidateProblem* m_problem;
    int m_width, m_height;
    bool m_twoBpp;
    SPixel m_pixels[kMaxWindowPixels];
};

} // namespace xqftexture::amtc

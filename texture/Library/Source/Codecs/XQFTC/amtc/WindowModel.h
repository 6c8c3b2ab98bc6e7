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
    // The blend pixels the chooser takes in the usual way, eight a vector, channel by channel.
    static constexpr int kPlane = kMaxWindowPixels + 16;
    struct SBlendPlanes {
        i16 pixel[4][kPlane], fixedA[4][kPlane], fixedB[4][kPlane], mask2[4][kPlane];
        i16 centre[kPlane], a1[kPlane], b1[kPlane], a2[kPlane], b2[kPlane], ends[kPlane];
        u8 level[4][kPlane]; // the weight level each value counts for (kNoLevel: none)
        i16 fitWeight[kPlane]; // at most 1008
        i32 centreFitWeight[kPlane];
        u8 index[kPlane]; // the window pixel
    };
    // The 2 bpp pixels between stored ones, likewise: their weight is the rounded mean of the
    // weights of the `count` neighbours listed.
    struct SBetweenPlanes {
        i16 pixel[4][kPlane], fixedA[4][kPlane], fixedB[4][kPlane], centre[kPlane];
        i16 fitWeight[kPlane];
        i32 centreFitWeight[kPlane];
        u8 neighbours[4][kPlane], count[kPlane];
    };
    struct SLevelSums;
    void EvaluateBlends(int start, int count, bool edge, const V8 cutA[4], const V8 cutB[4], SWindowFit& fit,
                        SLevelSums& sums, u8* weights2bpp) const;
    void EvaluateBetween(int start, int count, bool edge, const V8 cutA[4], const V8 cutB[4], SWindowFit& fit,
                         SLevelSums& sums, const u8* weights2bpp) const;

    // The pixels of the per-pixel code: local and second palettes.
    enum EKind : u8 { kLocal, kScalar };
    struct SPixel {
        V8 pixel;         // the window pixel, twice
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
    // The blend pixels (of a role other than between stored ones at 2 bpp): the inner ones from 0,
    // the border ones from m_edgeStart (a multiple of 8); the other pixels of the first pass.
    SBlendPlanes m_planes;
    int m_innerCount, m_edgeStart, m_edgeCount;
    int m_restCount;
    u8 m_rest[kMaxWindowPixels];
    // 2 bpp: the pixels between stored ones, inner from 0, border from m_betweenEdgeStart.
    SBetweenPlanes m_between;
    int m_betweenInner, m_betweenEdgeStart, m_betweenEdge;
};

} // namespace xqftexture::amtc

#pragma once
// What the fixed-function analysis draw (FixedAnalysisDraw.h) changes on the host, kept to be put
// back after the draw.
#include <cstdint>

struct SFixedDrawSaved
{
    uint32_t activeTexture = 0;
    uint32_t units = 0;
    uint8_t texture2D[32] = {};
    uint32_t binding = 0;       // unit 0's 2D texture
    int32_t env[7] = {};        // unit 0's mode, combiners, first sources and operands
    float envColor[4] = {};
    float scales[2] = {};       // RGB and alpha
    uint8_t capabilities[6] = {};  // blend, depth, stencil, alpha test, fog, logic op
    uint32_t blendSrc = 0, blendDst = 0;
};

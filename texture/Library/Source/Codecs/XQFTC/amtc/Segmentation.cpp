// Regions of similar colour in a block's window.
#include "AmtcSupport.h"
#include "BlockSetUp.h"

namespace xqftexture::amtc {
namespace {

u32 SecondDifferenceSq(const SRgba& a, const SRgba& b, const SRgba& c)
{
    u32 sum = 0;
    for (int i = 0; i < 4; ++i) {
        const i32 d = i32(a.c[i]) - 2 * i32(b.c[i]) + i32(c.c[i]);
        sum += u32(d * d);
    }
    return sum;
}

} // namespace

int SegmentWindow(const SRgba* window, const AmtcParams& params, u8* labels, u8* order)
{
    constexpr u8 kUnlabelled = 255;
    const int width = params.windowWidth, height = params.windowHeight, pixels = width * height;
    // A pixel is flat across (down) when it lies on a straight ramp with its neighbours; border
    // pixels take the flags of their inner neighbour.
    bool flatAcross[kMaxWindowPixels], flatDown[kMaxWindowPixels];
    for (int r = 0; r < height; ++r)
        for (int c = 0; c < width; ++c) {
            const int cc = c < 1 ? 1 : c > width - 2 ? width - 2 : c;
            const int rr = r < 1 ? 1 : r > height - 2 ? height - 2 : r;
            const SRgba* row = window + r * width;
            flatAcross[r * width + c] = SecondDifferenceSq(row[cc - 1], row[cc], row[cc + 1]) < 17;
            flatDown[r * width + c] =
                SecondDifferenceSq(window[(rr - 1) * width + c], window[rr * width + c], window[(rr + 1) * width + c]) < 17;
        }

    std::memset(labels, kUnlabelled, u64(pixels));
    int regions = 0, ordered = 0;
    u8 stack[kMaxWindowPixels];
    for (int seed = 0; seed < pixels; ++seed) {
        if (labels[seed] != kUnlabelled)
            continue;
        const u8 label = u8(regions++);
        labels[seed] = label;
        order[ordered++] = u8(seed);
        int top = 0;
        stack[top++] = u8(seed);
        while (top > 0) {
            const int at = stack[--top], r = at / width, c = at % width;
            for (int dr = -1; dr <= 1; ++dr)
                for (int dc = -1; dc <= 1; ++dc) {
                    const int nr = r + dr, nc = c + dc;
                    if ((dr | dc) == 0 || nr < 0 || nr >= height || nc < 0 || nc >= width)
                        continue;
                    const int n = nr * width + nc;
                    if (labels[n] != kUnlabelled)
                        continue;
                    const bool joins = ColourDistanceSq(window[at], window[n]) <= 16 || (dr == 0 && flatAcross[n]) ||
                                       (dc == 0 && flatDown[n]);
                    if (!joins)
                        continue;
                    labels[n] = label;
                    order[ordered++] = u8(n);
                    stack[top++] = u8(n);
                }
        }
    }
    return regions;
}

} // namespace xqftexture::amtc

// Colour statistics of a block's window: the five boxes of its record.
#include "AmtcSupport.h"
#include "BlockSetUp.h"

#include <cfloat>
#include <cmath>

namespace xqftexture::amtc {
namespace {

bool Transparent(const SRgba& p) { return (p.c[0] | p.c[1] | p.c[2] | p.c[3]) == 0; }

u8 RoundClamp(double v) { return u8(v <= 0.0 ? 0 : v >= 255.0 ? 255 : std::lround(v)); }

// Weighted sums of a box's colours. The window weights may be negative at the window's border; a
// set whose weights do not add up to a positive total is described with weight 1 per pixel.
struct SBoxStats {
    double weight = 0, sum[4] = {}, moments[10] = {};
    double count = 0, unitSum[4] = {}, unitMoments[10] = {};
    float lo[4] = {FLT_MAX, FLT_MAX, FLT_MAX, FLT_MAX}, hi[4] = {-FLT_MAX, -FLT_MAX, -FLT_MAX, -FLT_MAX};
    bool centred = false; // pixels are accumulated around 128, residuals as they are

    void Add(const float v[4], float w)
    {
        for (int i = 0; i < 4; ++i) {
            lo[i] = std::fmin(lo[i], v[i]), hi[i] = std::fmax(hi[i], v[i]);
            sum[i] += double(w) * v[i], unitSum[i] += v[i];
        }
        weight += w, count += 1;
        AccumulateCovariance(moments, w, v);
        AccumulateCovariance(unitMoments, 1.0f, v);
    }
    void AddPixel(const SRgba& p, float w)
    {
        centred = true;
        float v[4];
        for (int i = 0; i < 4; ++i)
            v[i] = float(p.c[i]) - 128.0f;
        Add(v, w);
    }

    // The record: point flag, rounded mean (shifted by offset), and the axes with no extent yet.
    void Finish(SBoxRecord& record, const float offset[4], float mean[4]) const
    {
        const float base = centred ? 128.0f : 0.0f;
        if (count == 0) {
            // An empty set (an all-transparent window's opaque pixels): the point at the offset.
            for (int i = 0; i < 4; ++i)
                mean[i] = offset[i], record.mean.c[i] = RoundClamp(offset[i]);
            record.point = 1;
            InitIdentityBox(record.box, mean);
            return;
        }
        const bool weighted = weight > 0;
        const double total = weighted ? weight : count;
        const double* s = weighted ? sum : unitSum;
        const double* m = weighted ? moments : unitMoments;
        float centredMean[4];
        bool point = true;
        for (int i = 0; i < 4; ++i) {
            centredMean[i] = float(s[i] / total);
            mean[i] = centredMean[i] + base + offset[i];
            record.mean.c[i] = RoundClamp(mean[i]);
            point = point && lo[i] == hi[i];
        }
        record.point = point;
        if (point) {
            InitIdentityBox(record.box, mean);
            return;
        }
        double normalised[10];
        for (int k = 0; k < 10; ++k)
            normalised[k] = m[k] / total;
        float values[4], axes[16];
        PrincipalAxes(normalised, centredMean, values, axes);
        InitColourBox(record.box, axes);
    }
};

// A box that no pixel extended (all its pixels were left out of the extent) sits at its mean.
void CloseEmptyAxes(SColourBox& box, const float mean[4])
{
    for (int i = 0; i < 4; ++i)
        if (box.minimum[i] > box.maximum[i]) {
            const float t = box.m[4 * i] * mean[0] + box.m[4 * i + 1] * mean[1] + box.m[4 * i + 2] * mean[2] +
                            box.m[4 * i + 3] * mean[3];
            box.minimum[i] = box.maximum[i] = t;
        }
}

} // namespace

void WindowStatistics(const SRgba* window, const AmtcParams& params, const SAmtcTables& tables,
                      AmtcBlockRecord& block)
{
    const int pixels = params.windowWidth * params.windowHeight;
    const bool fourBpp = params.mode == 4, second = params.isXQFTCII != 0;

    // Without XQFTC-II a 4 bpp punch-through pixel keeps its colour: box 2 sees the alpha-0 pixels
    // at the window's mean alpha.
    u8 meanAlpha = 0;
    if (fourBpp && !second) {
        double total = 0, alpha = 0;
        for (int i = 0; i < pixels; ++i)
            if (window[i].c[3] != 0)
                total += tables.smooth[i], alpha += double(tables.smooth[i]) * window[i].c[3];
        meanAlpha = total > 0 ? RoundClamp(alpha / total) : 0;
    }

    SBoxStats stats[3];
    for (int i = 0; i < pixels; ++i) {
        const SRgba& p = window[i];
        stats[0].AddPixel(p, tables.sharp[i]);
        if (fourBpp && second) {
            if (!Transparent(p))
                stats[1].AddPixel(p, tables.sharp[i]);
        } else if (fourBpp && p.c[3] == 0) {
            SRgba withMean = p;
            withMean.c[3] = meanAlpha;
            stats[1].AddPixel(withMean, tables.sharp[i]);
        } else {
            stats[1].AddPixel(p, tables.sharp[i]);
        }
        if (tables.centreMask[i])
            stats[2].AddPixel(p, 1.0f);
    }
    const float none[4] = {0, 0, 0, 0};
    float means[3][4];
    for (int k = 0; k < 3; ++k)
        stats[k].Finish(block.boxes[k], none, means[k]);

    block.transparent = 0;
    for (int i = 0; i < pixels; ++i) {
        const SRgba& p = window[i];
        ExtendBoxByPixel(block.boxes[kBoxWindow].box, p.c);
        if (p.c[3] != 0)
            ExtendBoxByPixel(block.boxes[kBoxOpaque].box, p.c);
        if (tables.centreMask[i]) {
            ExtendBoxByPixel(block.boxes[kBoxOwn].box, p.c);
            if (fourBpp && (second ? Transparent(p) : p.c[3] == 0))
                block.transparent = 1;
        }
    }
    for (int k = 0; k < 3; ++k)
        CloseEmptyAxes(block.boxes[k].box, means[k]);
}

void ResidualStatistics(const SRgba* window, const AmtcParams& params, const SAmtcTables& tables,
                        const SRgba means[9], AmtcBlockRecord& block)
{
    const int bw = params.blockWidth, bh = params.blockHeight;
    const int width = params.windowWidth, height = params.windowHeight;
    SBoxStats stats[2];
    // The residuals: the boxes describe how the window departs from a smooth blend of the
    // neighbours' means. Residuals are kept to place the boxes afterwards.
    float residuals[kMaxWindowPixels][4];
    for (int r = 1; r < height - 1; ++r) {
        // The representative points lie on rows 0, BH and 2 BH: rows 1 .. BH blend rows 0 and 1 of
        // the neighbourhood (BH itself at fraction 1), the rows below blend rows 1 and 2.
        const int pr = (r - 1) / bh;
        const float fy = float(r - pr * bh) / float(bh);
        for (int c = 1; c < width - 1; ++c) {
            const int pc = (c - 1) / bw;
            const float fx = float(c - pc * bw) / float(bw);
            const SRgba &p = means[3 * pr + pc], &q = means[3 * pr + pc + 1];
            const SRgba &s0 = means[3 * pr + pc + 3], &s1 = means[3 * pr + pc + 4];
            const int i = r * width + c;
            float* v = residuals[i];
            for (int ch = 0; ch < 4; ++ch) {
                const float upper = (1.0f - fx) * float(p.c[ch]) + fx * float(q.c[ch]);
                const float lower = (1.0f - fx) * float(s0.c[ch]) + fx * float(s1.c[ch]);
                v[ch] = float(window[i].c[ch]) - ((1.0f - fy) * upper + fy * lower);
            }
            stats[0].Add(v, tables.smooth[i]);
            if (window[i].c[3] != 0)
                stats[1].Add(v, tables.smooth[i]);
        }
    }
    // Moved back by the block's own mean (its box-1 mean, as its neighbours read it), so that the
    // boxes describe colours around that mean.
    float own[4];
    for (int ch = 0; ch < 4; ++ch)
        own[ch] = float(block.boxes[kBoxWindow].mean.c[ch]);
    SBoxRecord* const boxes[2] = {&block.boxes[kBoxResidual], &block.boxes[kBoxResidualSet]};
    for (int k = 0; k < 2; ++k) {
        float mean[4];
        stats[k].Finish(*boxes[k], own, mean);
        SColourBox& box = boxes[k]->box;
        if (boxes[k]->point)
            continue;
        for (int r = 1; r < height - 1; ++r)
            for (int c = 1; c < width - 1; ++c) {
                const int i = r * width + c;
                if (k == 0 || window[i].c[3] != 0) {
                    float colour[4];
                    for (int ch = 0; ch < 4; ++ch)
                        colour[ch] = residuals[i][ch] + own[ch];
                    ExtendBoxByVector(box, colour);
                }
            }
        CloseEmptyAxes(box, mean);
    }
}

} // namespace xqftexture::amtc

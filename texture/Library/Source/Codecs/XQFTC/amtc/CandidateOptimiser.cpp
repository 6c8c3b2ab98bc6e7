// The per-candidate optimiser.
#include "CandidateOptimiser.h"

#include "AmtcSupport.h"
#include "PixelPalette.h"
#include "Quantise.h"
#include "SingleColour.h"
#include "WindowModel.h"

#include <cmath>

namespace xqftexture::amtc {
namespace {

// Least squares for the changes of A and B: at weight level t the mean difference the centre's
// endpoints can explain is modelled as (1 - t) dA + t dB. Level k has W_k = its summed centre fit
// weights (in 64ths) and D_k its fit-weighted differences, so W_k ((1 - t) dA + t dB) = 64 D_k;
// each level counts with 1 / (4096 (1 - (N - n_k) / 262144)), an empty level with 0.
bool SolveChanges(const SWindowFit& fit, double dA[4], double dB[4])
{
    i64 total = 0;
    for (int k = 0; k < 9; ++k)
        total += fit.count[k];
    double a11 = 0, a12 = 0, a22 = 0, rA[4] = {}, rB[4] = {};
    for (int k = 0; k < 9; ++k) {
        if (fit.count[k] == 0 || fit.weight[k] == 0)
            continue;
        const double bracket = 1.0 - double(total - fit.count[k]) / 262144.0;
        if (bracket <= 0.0)
            continue;
        const double lambda = 1.0 / (4096.0 * bracket), t = k / 8.0, w = double(fit.weight[k]);
        a11 += lambda * w * w * (1 - t) * (1 - t);
        a12 += lambda * w * w * t * (1 - t);
        a22 += lambda * w * w * t * t;
        for (int i = 0; i < 4; ++i) {
            const double target = 64.0 * double(fit.difference[k][i]);
            rA[i] += lambda * w * (1 - t) * target;
            rB[i] += lambda * w * t * target;
        }
    }
    const double det = a11 * a22 - a12 * a12;
    if (!(det > 1e-9 * (a11 * a22)) || a11 <= 0 || a22 <= 0)
        return false; // the levels used do not tell A and B apart
    for (int i = 0; i < 4; ++i) {
        dA[i] = (rA[i] * a22 - rB[i] * a12) / det;
        dB[i] = (a11 * rB[i] - a12 * rA[i]) / det;
    }
    return true;
}

u32 Clamp32(u64 e) { return u32(e > 0xFFFFFFFFu ? 0xFFFFFFFFu : e); }

u8 NearestByte(float v) { return u8(v <= 0.0f ? 0 : v >= 255.0f ? 255 : std::lround(v)); }

float FloatDistance(const float f[4], const SRgba& c)
{
    float sum = 0;
    for (int i = 0; i < 4; ++i)
        sum += (f[i] - float(c.c[i])) * (f[i] - float(c.c[i]));
    return sum;
}

struct SWorking {
    SRgba a, b;
    float fa[4], fb[4];
    void Set(const SRgba& x, const SRgba& y)
    {
        a = x, b = y;
        for (int i = 0; i < 4; ++i)
            fa[i] = x.c[i], fb[i] = y.c[i];
    }
};

} // namespace

void EvaluateWindow(const SCandidateProblem& problem, const SRgba& a, const SRgba& b, bool withBorder,
                    SWindowFit& fit, u8* weights2bpp)
{
    if (problem.model != nullptr) {
        problem.model->Evaluate(a, b, withBorder, fit, weights2bpp);
        return;
    }
    CWindowModel model;
    model.Build(problem);
    model.Evaluate(a, b, withBorder, fit, weights2bpp);
}

AmtcColourPair OptimiseCandidate(const SCandidateProblem& problem, const AmtcColourPair& p0, u32 iterations)
{
    if (iterations == 0)
        return {p0.a, p0.b, 0, p0.restart};
    if (problem.model == nullptr) {
        CWindowModel model;
        model.Build(problem);
        SCandidateProblem withModel = problem;
        withModel.model = &model;
        return OptimiseCandidate(withModel, p0, iterations);
    }
    const AmtcParams& params = *problem.params;
    const bool second = params.isXQFTCII != 0;
    u8 weights2bpp[kMaxWindowPixels] = {};
    const u32 n = iterations;

    SWorking work, best;
    work.Set(p0.a, p0.b);
    u64 border = 0, e0 = 0, bestError = 0;
    SWindowFit bestFit;
    bool continued = false;
    for (u32 i = 0; i < n; ++i) {
        SWindowFit fit;
        EvaluateWindow(problem, work.a, work.b, i == 0, fit, weights2bpp);
        if (i == 0)
            border = fit.fixedBorder;
        const u64 e = fit.inner + fit.border + border;
        if (i == 0)
            e0 = e;
        if (i == 0 || e < bestError)
            best = work, bestError = e, bestFit = fit;
        if (i == n - 1) {
            AmtcColourPair result{work.a, work.b, Clamp32(e), p0.restart};
            if (continued) {
                // The continuation from the best pair may have made it worse: that pair, quantised,
                // against the final one, the earlier on ties.
                SRgba qa, qb;
                QuantisePair(second, problem.punch, best.fa, best.fb, qa, qb);
                SWindowFit again;
                EvaluateWindow(problem, qa, qb, false, again, weights2bpp);
                const u64 eq = again.inner + again.border + border;
                if (eq <= e)
                    result = {qa, qb, Clamp32(eq), p0.restart};
            }
            if (result.error > Clamp32(e0))
                return {p0.a, p0.b, Clamp32(e0), p0.restart};
            return result;
        }
        const SWindowFit* use = &fit;
        if (i + 2 == n && e > bestError) {
            work = best, use = &bestFit, continued = true;
        }
        double dA[4], dB[4];
        const bool solved = SolveChanges(*use, dA, dB);
        if (solved)
            for (int c = 0; c < 4; ++c)
                work.fa[c] += float(dA[c]), work.fb[c] += float(dB[c]);
        if (params.boxClamp) {
            ClampToBox(*problem.box, work.fa);
            ClampToBox(*problem.box, work.fb);
        }
        if (i + 2 == n || !solved) {
            QuantisePair(second, problem.punch, work.fa, work.fb, work.a, work.b);
        } else {
            for (int c = 0; c < 4; ++c)
                work.a.c[c] = NearestByte(work.fa[c]), work.b.c[c] = NearestByte(work.fb[c]);
            if (work.a == work.b) {
                // One colour: split it into the single-colour pair, in the order nearer the floats.
                u8 x[4], y[4];
                u32 flags[4];
                SingleColourFit(work.a.c, problem.punch, second, false, x, y, flags);
                SRgba sx, sy;
                std::memcpy(sx.c, x, 4), std::memcpy(sy.c, y, 4);
                const bool swap = FloatDistance(work.fa, sy) + FloatDistance(work.fb, sx) <
                                  FloatDistance(work.fa, sx) + FloatDistance(work.fb, sy);
                work.a = swap ? sy : sx, work.b = swap ? sx : sy;
            }
        }
        if (work.a == p0.a && work.b == p0.b)
            return {p0.a, p0.b, Clamp32(e0), p0.restart};
    }
    return {p0.a, p0.b, Clamp32(e0), p0.restart}; // not reached: the last iteration returns
}

} // namespace xqftexture::amtc

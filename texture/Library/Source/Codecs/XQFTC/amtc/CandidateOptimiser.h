#pragma once
// The per-candidate optimiser: refines one endpoint pair of a block against its window, the
// neighbours' endpoints held fixed, by alternating the decoder's modulation choice with a weighted
// least-squares step on the block's two endpoints.
#include "AmtcTypes.h"

namespace xqftexture::amtc {

class CWindowModel;

struct SCandidateProblem {
    const AmtcParams* params;
    const SRgba* window;          // (2 BW + 1) x (2 BH + 1) pixels
    const SBlendEntry* entries;   // for the candidate and the neighbourhood's ids
    const AmtcColourPair* nine;   // the neighbours' current pairs; the centre's is ignored
    const SColourBox* box;        // the candidate's colour box
    bool punch;                   // 4 bpp punch-through candidate
    bool boxClamp;
    const CWindowModel* model = nullptr; // built from the fields above, or null (built per call)
};

// The window evaluation of one pair: squared error, split into the border pixels whose colour
// depends on the neighbours only (evaluated once), the other border pixels (at 2 bpp, those between
// stored pixels take weights from inside the window) and the inner pixels; and the least-squares
// sums of the inner pixels per weight level 0..8 (eighths of B).
struct SWindowFit {
    u64 fixedBorder = 0, border = 0, inner = 0;
    i64 count[9] = {}, weight[9] = {};
    i64 difference[9][4] = {};
};

// Evaluates the pair against the window; withBorder also adds up the border pixels that depend on
// the neighbours only. weights2bpp keeps the one- and two-bit pixels' chosen weights between calls
// (2 bpp; the border's are reused).
void EvaluateWindow(const SCandidateProblem& problem, const SRgba& a, const SRgba& b, bool withBorder,
                    SWindowFit& fit, u8* weights2bpp);

// Refines p0 with the given number of iterations (0: p0 as it is). The result is never worse than
// p0 for this neighbourhood; its error is the window's squared error.
AmtcColourPair OptimiseCandidate(const SCandidateProblem& problem, const AmtcColourPair& p0, u32 iterations);

} // namespace xqftexture::amtc

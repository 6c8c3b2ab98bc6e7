// Optimisation of one block's candidates.
#include "OptimiseRegion.h"

#include "AmtcSupport.h"
#include "BlendEntries.h"
#include "CandidateOptimiser.h"
#include "Quantise.h"

#include <algorithm>

namespace xqftexture::amtc {
namespace {

bool SamePair(const AmtcColourPair& x, const AmtcColourPair& y) { return x.a == y.a && x.b == y.b; }

// The pairs one restart refines: the kept pairs, then perturbations of the best kept pair until
// the list holds the kept-pair limit or the ten perturbations are used up. A perturbation counts
// only when it differs from its source and from every pair already in the list.
int WorkList(const AmtcParams& params, const AmtcCandidate& slot, const SColourBox& box, bool punch,
             AmtcColourPair* work)
{
    int n = 0;
    for (int k = 0; k < slot.count; ++k)
        work[n++] = slot.pairs[k];
    if (params.iterations == 1 || slot.count == 0)
        return n;
    const AmtcColourPair& source = slot.pairs[0];
    for (int f = 0; f < 10 && n < int(params.keptPairs); ++f) {
        float a[4], b[4];
        LerpColourClamped(a, kPerturbations[f][0], source.a.c, source.b.c);
        LerpColourClamped(b, kPerturbations[f][1], source.a.c, source.b.c);
        if (params.boxClamp) {
            ClampToBox(box, a);
            ClampToBox(box, b);
        }
        AmtcColourPair candidate{};
        QuantisePair(params.isXQFTCII != 0, punch, a, b, candidate.a, candidate.b);
        candidate.error = kUnevaluated, candidate.restart = source.restart;
        bool fresh = !SamePair(candidate, source);
        for (int k = 0; k < n && fresh; ++k)
            fresh = !SamePair(candidate, work[k]);
        if (fresh)
            work[n++] = candidate;
    }
    return n;
}

} // namespace

bool OptimiseRegion(const CAmtcLevel& level, u32 by, u32 bx, SOptimiseScratch& scratch, u32 counter)
{
    const AmtcParams& params = level.Params();
    u8 ids[8];
    const int candidates = CandidateList(params, params.extended != 0, ids);
    if (candidates == 0)
        return false;
    AmtcBlockRecord* nb[9];
    level.Neighbourhood(by, bx, nb);
    AmtcBlockRecord& block = *nb[4];

    if (params.reevaluate == 0) {
        u32 latest = 0;
        for (int k = 0; k < 9; ++k)
            if (k != 4)
                latest = std::max(latest, nb[k]->lastChanged);
        if (block.lastVisited > latest)
            return true; // nothing around the block changed since its last visit
    }
    level.CopyWindow(by, bx, scratch.window);

    AmtcColourPair nine[9];
    for (int k = 0; k < 9; ++k)
        nine[k] = SelectedPair(*nb[k]);
    const u32 restarts = params.restarts ? 8 : 1;
    const bool fourBpp = params.mode == 4;
    bool slotChanged = false;
    // Refined pairs of all restarts: up to the kept-pair limit per restart.
    AmtcColourPair refined[8 * 4];
    for (int k = 0; k < candidates; ++k) {
        AmtcCandidate& slot = block.slots[k];
        const u32 id = ids[k];
        const bool punch = fourBpp && (id & 3) == 1;
        const u32 iterations = slot.flag && !(fourBpp && id == 3) ? 1 : params.iterations;
        const SColourBox& box = block.boxes[slot.box].box;
        const SCandidateProblem problem{&params, scratch.window, scratch.entries, nine, &box, punch, params.boxClamp != 0,
                                        &scratch.model};
        int total = 0;
        for (u32 r = 0; r < restarts; ++r) {
            // Each restart optimises under other kinds of the upper-left neighbours; its pairs keep
            // the errors they have there (a pair that fits a kind a neighbour may take next).
            CreateBlendingAndUpdateWeights(id, nb, r, params, scratch.entries);
            scratch.model.Build(problem);
            AmtcColourPair work[4];
            const int n = WorkList(params, slot, box, punch, work);
            for (int w = 0; w < n; ++w) {
                AmtcColourPair result = OptimiseCandidate(problem, work[w], iterations);
                if (!SamePair(result, work[w]))
                    result.restart = r; // refined under this restart; a pair taken over keeps its own
                refined[total++] = result;
            }
        }
        std::stable_sort(refined, refined + total,
                         [](const AmtcColourPair& x, const AmtcColourPair& y) { return x.error < y.error; });
        if (total == 0)
            continue;
        slotChanged = slotChanged || slot.count == 0 || !SamePair(refined[0], slot.pairs[0]);
        // The best pair first, then the next distinct ones up to the limit.
        int kept = 0;
        for (int w = 0; w < total && kept < int(params.keptPairs) && kept < 4; ++w) {
            bool distinct = true;
            for (int j = 0; j < kept && distinct; ++j)
                distinct = !SamePair(refined[w], slot.pairs[j]);
            if (distinct)
                slot.pairs[kept++] = refined[w];
        }
        slot.count = u8(kept);
    }

    int best = 0;
    for (int k = 1; k < candidates; ++k)
        if (block.slots[k].count > 0 && block.slots[k].pairs[0].error < block.slots[best].pairs[0].error)
            best = k;
    bool changed = slotChanged || params.iterations < 2;
    if (block.slots[best].id != block.selected) {
        block.selected = block.slots[best].id;
        changed = true;
    }
    block.lastVisited = counter;
    if (changed)
        block.lastChanged = counter;
    return true;
}

} // namespace xqftexture::amtc

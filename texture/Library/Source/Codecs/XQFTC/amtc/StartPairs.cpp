// Starting endpoint pairs of every candidate of a block.
#include "AmtcSupport.h"
#include "BlockSetUp.h"
#include "Quantise.h"
#include "SingleColour.h"

#include <algorithm>
#include <cmath>

namespace xqftexture::amtc {
namespace {

bool Transparent(const SRgba& p) { return (p.c[0] | p.c[1] | p.c[2] | p.c[3]) == 0; }

float Project(const float axis[4], const SRgba& p)
{
    return axis[0] * float(p.c[0]) + axis[1] * float(p.c[1]) + axis[2] * float(p.c[2]) + axis[3] * float(p.c[3]);
}

// Projections of the window pixels on an axis, sorted ascending, with running sums of weight,
// weighted projection and weighted squared projection: the weighted squared error of any run of
// them against one level costs constant time.
struct SSortedProjections {
    int n = 0;
    int index[kMaxWindowPixels]; // window pixel of each sorted entry
    double p[kMaxWindowPixels];
    double w[kMaxWindowPixels + 1], wp[kMaxWindowPixels + 1], wpp[kMaxWindowPixels + 1];

    // Entries [from, to) against level l.
    double RunError(int from, int to, double l) const
    {
        const double sw = w[to] - w[from], swp = wp[to] - wp[from], swpp = wpp[to] - wpp[from];
        return swpp - 2.0 * l * swp + l * l * sw;
    }
};

// The two-level fit of sorted projections: four levels lo + t (hi - lo), t = 0, 3/8, 5/8, 1; each
// projection goes to its nearest level, then lo and hi are solved by weighted least squares. A fit
// stops when the assignment no longer changes, after at most 20 rounds.
//
// An assignment is where each level's run of sorted projections ends, and whether the levels
// descend (hi below lo). A round's solve depends on the assignment alone, so the fits of one pixel
// set (from many starting points) share their rounds through a table of the transitions met.
class CLevelFitter {
public:
    explicit CLevelFitter(const SSortedProjections& s) : m_s(s) { std::fill(std::begin(m_keys), std::end(m_keys), kEmpty); }

    // Fits from (lo, hi); returns the error of the final levels and assignment. Unless its first
    // solve fails, a fit depends on its first assignment alone: fits from the same one are looked up.
    double Fit(double& lo, double& hi)
    {
        const u32 start = Assign(lo, hi);
        if (!Transition(start).degenerate)
            for (int k = 0; k < m_fits; ++k)
                if (m_fitKeys[k] == start) {
                    lo = m_fitResults[k][0], hi = m_fitResults[k][1];
                    return m_fitResults[k][2];
                }
        u32 key = start;
        for (int round = 0; round < 20; ++round) {
            const STransition& t = Transition(key);
            if (t.degenerate)
                break; // one level holds everything: lo and hi stay
            lo = t.lo, hi = t.hi;
            const bool same = t.next == key;
            key = t.next;
            if (same)
                break;
        }
        const double error = Error(lo, hi, key);
        if (!Transition(start).degenerate && m_fits < kFits) {
            m_fitKeys[m_fits] = start;
            m_fitResults[m_fits][0] = lo, m_fitResults[m_fits][1] = hi, m_fitResults[m_fits][2] = error;
            ++m_fits;
        }
        return error;
    }

private:
    static constexpr double kT[4] = {0.0, 3.0 / 8.0, 5.0 / 8.0, 1.0};
    static constexpr u32 kEmpty = ~0u;
    static constexpr int kTable = 256;
    struct STransition {
        bool degenerate;
        double lo, hi;
        u32 next;
    };

    // Ends of the runs of the first three levels in ascending order of value (8 bits each: at most
    // 153 projections), and bit 24 when the levels descend.
    // hint: an assignment near this one (the previous round's), whose ends are walked from; without
    // one the ends are found by bisection.
    u32 Assign(double lo, double hi, const u32* hint = nullptr) const
    {
        const bool descending = hi < lo;
        u32 key = u32(descending) << 24;
        int at = 0;
        for (int j = 0; j < 3; ++j) {
            const double bound = 0.5 * (Level(lo, hi, Order(descending, j)) + Level(lo, hi, Order(descending, j + 1)));
            if (hint == nullptr) {
                at = LowerBound(at, bound);
            } else {
                // The first projection from `at` on that is not below the bound.
                int e = std::max(at, End(*hint, j));
                while (e > at && m_s.p[e - 1] >= bound)
                    --e;
                while (e < m_s.n && m_s.p[e] < bound)
                    ++e;
                at = e;
            }
            key |= u32(at) << (8 * j);
        }
        return key;
    }
    // The first sorted projection from `from` on that is not below bound (without branches: the
    // comparisons are unpredictable).
    int LowerBound(int from, double bound) const
    {
        const double* base = m_s.p + from;
        int n = m_s.n - from;
        if (n <= 0)
            return m_s.n;
        while (n > 1) {
            const int half = n / 2;
            base = base[half - 1] < bound ? base + half : base;
            n -= half;
        }
        return int(base - m_s.p) + (*base < bound);
    }
    static int Order(bool descending, int j) { return descending ? 3 - j : j; }
    static double Level(double lo, double hi, int k) { return lo + kT[k] * (hi - lo); }
    int End(u32 key, int j) const { return j == 3 ? m_s.n : int((key >> (8 * j)) & 0xFF); }

    double Error(double lo, double hi, u32 key) const
    {
        const bool descending = key >> 24;
        double e = 0.0;
        for (int j = 0, from = 0; j < 4; from = End(key, j++))
            e += m_s.RunError(from, End(key, j), Level(lo, hi, Order(descending, j)));
        return e;
    }

    STransition Solve(u32 key) const
    {
        const bool descending = key >> 24;
        double a11 = 0, a12 = 0, a22 = 0, b1 = 0, b2 = 0;
        for (int j = 0, from = 0; j < 4; from = End(key, j++)) {
            const int end = End(key, j);
            const double t = kT[Order(descending, j)], sw = m_s.w[end] - m_s.w[from], swp = m_s.wp[end] - m_s.wp[from];
            a11 += sw * (1 - t) * (1 - t), a12 += sw * t * (1 - t), a22 += sw * t * t;
            b1 += swp * (1 - t), b2 += swp * t;
        }
        const double det = a11 * a22 - a12 * a12;
        if (std::fabs(det) <= 1e-12 * (std::fabs(a11 * a22) + a12 * a12))
            return {true, 0, 0, key};
        const double lo = (b1 * a22 - b2 * a12) / det, hi = (a11 * b2 - a12 * b1) / det;
        return {false, lo, hi, Assign(lo, hi, &key)};
    }

    const STransition& Transition(u32 key)
    {
        for (u32 slot = (key * 2654435761u) >> 24, probe = 0; probe < kTable; ++probe, slot = (slot + 1) % kTable) {
            if (m_keys[slot] == key)
                return m_transitions[slot];
            if (m_keys[slot] == kEmpty) {
                m_keys[slot] = key;
                return m_transitions[slot] = Solve(key);
            }
        }
        m_spare = Solve(key); // a full table: solve without keeping it
        return m_spare;
    }

    static constexpr int kFits = 32;
    const SSortedProjections& m_s;
    int m_fits = 0;
    u32 m_fitKeys[kFits];
    double m_fitResults[kFits][3]; // lo, hi, error
    u32 m_keys[kTable];
    STransition m_transitions[kTable];
    STransition m_spare;
};

// The weighted mean colour of sorted entries [from, to); weight 1 each when the weights do not add
// up to a positive total. False for an empty run.
bool MeanColour(const SSortedProjections& s, const SRgba* window, const float* sharp, int from, int to, float out[4])
{
    if (from >= to)
        return false;
    double sum[4] = {}, unit[4] = {}, total = 0;
    for (int k = from; k < to; ++k) {
        const SRgba& p = window[s.index[k]];
        const double w = sharp[s.index[k]];
        total += w;
        for (int i = 0; i < 4; ++i)
            sum[i] += w * p.c[i], unit[i] += p.c[i];
    }
    for (int i = 0; i < 4; ++i)
        out[i] = float(total > 0 ? sum[i] / total : unit[i] / double(to - from));
    return true;
}

void SinglePointStarts(const AmtcParams& params, bool punch, const SBoxRecord& point, AmtcCandidate& slot)
{
    u32 flags[4];
    for (int variant = 0; variant < 2; ++variant) {
        AmtcColourPair& pair = slot.pairs[variant];
        SingleColourFit(point.mean.c, punch, params.isXQFTCII != 0, variant != 0, pair.a.c, pair.b.c, flags);
        pair.error = kUnevaluated, pair.restart = 0;
    }
    slot.count = 2;
    slot.flag = 1;
}

// Start pairs of a standard slot: two single-colour splits when the box record is one colour,
// otherwise the principal-axis fit along fitBox and three pairs inside it.
void StartPairs(const AmtcParams& params, bool punch, const SRgba* window, const float* sharp,
                const SBoxRecord& pointTest, const SColourBox& fitBox, AmtcCandidate& slot)
{
    if (pointTest.point) {
        SinglePointStarts(params, punch, pointTest, slot);
        return;
    }
    SRgba a, b;
    PrincipalAxisPairFit(params, punch, window, sharp, fitBox, a, b);
    slot.pairs[0] = {a, b, kUnevaluated, 0};
    static constexpr float kInner[3][2] = {{0.25f, 0.75f}, {0.25f, 1.0f}, {0.0f, 0.75f}};
    for (int k = 0; k < 3; ++k) {
        float fa[4], fb[4];
        LerpColourClamped(fa, kInner[k][0], a.c, b.c);
        LerpColourClamped(fb, kInner[k][1], a.c, b.c);
        AmtcColourPair& pair = slot.pairs[k + 1];
        QuantisePair(params.isXQFTCII != 0, punch, fa, fb, pair.a, pair.b);
        pair.error = kUnevaluated, pair.restart = 0;
    }
    slot.count = 4;
    slot.flag = 0;
}

// The disc of the 9 x 9 window whose pixels seed the local palette: first and last column per row.
constexpr int kDisc[9][2] = {{1, 0}, {3, 5}, {2, 6}, {1, 7}, {1, 7}, {1, 7}, {2, 6}, {3, 5}, {1, 0}};

// Up to five representative colours of the disc: the widest cluster along box 1's first axis is
// split at the middle of its projections until there are five or none can be split; each
// representative is its cluster's mean, ordered by projection, highest first.
int LocalPaletteColours(const SRgba* window, const float axis[4], SRgba colours[5])
{
    struct SEntry {
        float p;
        SRgba colour;
    };
    SEntry entries[81];
    int n = 0;
    for (int r = 0; r < 9; ++r)
        for (int c = kDisc[r][0]; c <= kDisc[r][1]; ++c)
            entries[n].colour = window[r * 9 + c], entries[n].p = Project(axis, window[r * 9 + c]), ++n;
    std::stable_sort(entries, entries + n, [](const SEntry& x, const SEntry& y) { return x.p < y.p; });
    // Clusters are runs of the sorted entries.
    int begin[5] = {0}, end[5] = {n}, clusters = 1;
    while (clusters < 5) {
        int widest = -1;
        float width = 0.0f;
        for (int k = 0; k < clusters; ++k) {
            const float w = entries[end[k] - 1].p - entries[begin[k]].p;
            if (w > width)
                width = w, widest = k;
        }
        if (widest < 0)
            break; // every cluster is one projection
        const int first = begin[widest], last = end[widest] - 1;
        const float middle = 0.5f * (entries[first].p + entries[last].p);
        int split = first;
        while (split < last && entries[split].p <= middle)
            ++split;
        // Two neighbouring floats have no float between them: the top value alone goes up.
        while (split > first + 1 && entries[split - 1].p == entries[last].p)
            --split;
        begin[clusters] = split, end[clusters] = end[widest], end[widest] = split;
        ++clusters;
    }
    struct SRepresentative {
        float p;
        SRgba colour;
    } reps[5];
    for (int k = 0; k < clusters; ++k) {
        float sum[4] = {};
        for (int e = begin[k]; e < end[k]; ++e)
            for (int i = 0; i < 4; ++i)
                sum[i] += float(entries[e].colour.c[i]);
        for (int i = 0; i < 4; ++i)
            reps[k].colour.c[i] = u8(std::lround(sum[i] / float(end[k] - begin[k])));
        reps[k].p = Project(axis, reps[k].colour);
    }
    std::stable_sort(reps, reps + clusters, [](const SRepresentative& x, const SRepresentative& y) { return x.p > y.p; });
    for (int k = 0; k < clusters; ++k) {
        for (int i = 0; i < 3; ++i)
            colours[k].c[i] = QuantiseChannelInt(reps[k].colour.c[i], 5, true);
        colours[k].c[3] = reps[k].colour.c[3];
    }
    return clusters;
}

void LocalPaletteStarts(const AmtcParams& params, const AmtcBlockRecord& block, const SRgba* window,
                        AmtcCandidate& slot)
{
    SRgba colours[5];
    const int n = LocalPaletteColours(window, block.boxes[kBoxWindow].box.m, colours);
    // Pairs (i, j), i < j, by increasing i + j, then increasing i; fewer than four are repeated
    // with A and B swapped. One colour gives the pair of it with itself.
    int count = 0;
    for (int sum = 1; sum <= 2 * n - 3 && count < 4; ++sum)
        for (int i = 0; 2 * i < sum && count < 4; ++i)
            if (sum - i < n)
                slot.pairs[count++] = {colours[i], colours[sum - i], kUnevaluated, 0};
    for (int k = 0, found = count; k < found && count < 4; ++k)
        slot.pairs[count++] = {slot.pairs[k].b, slot.pairs[k].a, kUnevaluated, 0};
    if (count == 0)
        slot.pairs[count++] = {colours[0], colours[0], kUnevaluated, 0};
    // The pairs are already placed; they are only rounded to what the colour word holds.
    for (int k = 0; k < count; ++k)
        QuantisePairNearest(params.isXQFTCII != 0, slot.pairs[k].a, slot.pairs[k].b, slot.pairs[k].a, slot.pairs[k].b);
    slot.count = u8(count);
    slot.flag = 0;
}

} // namespace

void PrincipalAxisPairFit(const AmtcParams& params, bool punch, const SRgba* window, const float* sharp,
                          const SColourBox& box, SRgba& a, SRgba& b)
{
    const int pixels = params.windowWidth * params.windowHeight;
    const bool skipTransparent = punch && params.mode == 4 && params.isXQFTCII;
    SSortedProjections s;
    for (int i = 0; i < pixels; ++i)
        if (!(skipTransparent && Transparent(window[i])))
            s.index[s.n++] = i;
    float fa[4] = {0, 0, 0, 0}, fb[4] = {0, 0, 0, 0};
    if (s.n > 0) {
        float proj[kMaxWindowPixels];
        for (int i = 0; i < pixels; ++i)
            proj[i] = Project(box.m, window[i]);
        std::stable_sort(s.index, s.index + s.n, [&](int x, int y) { return proj[x] < proj[y]; });
        s.w[0] = s.wp[0] = s.wpp[0] = 0;
        for (int k = 0; k < s.n; ++k) {
            const double p = proj[s.index[k]], w = sharp[s.index[k]];
            s.p[k] = p;
            s.w[k + 1] = s.w[k] + w, s.wp[k + 1] = s.wp[k] + w * p, s.wpp[k + 1] = s.wpp[k] + w * p * p;
        }
        const double pmin = s.p[0], pmax = s.p[s.n - 1];
        if (pmin == pmax) {
            MeanColour(s, window, sharp, 0, 1, fa);
            MeanColour(s, window, sharp, s.n - 1, s.n, fb);
        } else {
            CLevelFitter fitter(s);
            double lo = pmin, hi = pmax;
            double best = fitter.Fit(lo, hi);
            for (int k0 = 0; k0 < 8; ++k0)
                for (int k1 = k0 + 1; k1 < 8; ++k1) {
                    double l = pmin + k0 * (pmax - pmin) / 7.0, h = pmin + k1 * (pmax - pmin) / 7.0;
                    const double e = fitter.Fit(l, h);
                    if (e < best)
                        best = e, lo = l, hi = h;
                }
            // A from the projections in the lowest sixteenth of the way, B from the highest.
            const double low = std::min(lo, hi), high = std::max(lo, hi);
            const double m1 = std::clamp(0.8125 * lo + 0.1875 * hi, low, high);
            const double m2 = std::clamp(0.1875 * lo + 0.8125 * hi, low, high);
            int below = 0, above = s.n;
            while (below < s.n && s.p[below] < m1)
                ++below;
            while (above > 0 && s.p[above - 1] > m2)
                --above;
            if (!MeanColour(s, window, sharp, 0, below, fa))
                MeanColour(s, window, sharp, 0, 1, fa);
            if (!MeanColour(s, window, sharp, above, s.n, fb))
                MeanColour(s, window, sharp, s.n - 1, s.n, fb);
        }
    }
    QuantisePair(params.isXQFTCII != 0, false, fa, fb, a, b);
}

void SetUpStandardRepStarts(AmtcBlockRecord& block, const AmtcParams& params, const SRgba* window,
                            const float* sharp)
{
    u8 ids[8];
    const int count = CandidateList(params, true, ids);
    const SBoxRecord* boxes = block.boxes;
    for (int k = 0; k < count; ++k) {
        AmtcCandidate& slot = block.slots[k];
        const u32 c = ids[k];
        switch (c) {
        case 0:
        case 4:
        case 8:
            // The residual box when the neighbours explain part of the window; the single-colour
            // test stays with the window's own colours.
            if (BoxExtentSum(boxes[kBoxWindow].box) >= BoxExtentSum(boxes[kBoxResidual].box)) {
                slot.box = kBoxResidual;
                StartPairs(params, false, window, sharp, boxes[kBoxWindow], boxes[kBoxResidual].box, slot);
            } else {
                slot.box = kBoxWindow;
                StartPairs(params, false, window, sharp, boxes[kBoxWindow], boxes[kBoxWindow].box, slot);
            }
            break;
        case 9:
        case 10:
        case 11:
            slot = *SlotOf(block, 8);
            break;
        case 1:
        case 5:
            slot.box = kBoxOpaque;
            StartPairs(params, true, window, sharp, boxes[kBoxOpaque], boxes[kBoxResidualSet].box, slot);
            break;
        case 2:
        case 6:
        case 12:
            slot.box = kBoxOwn;
            StartPairs(params, false, window, sharp, boxes[kBoxOwn], boxes[kBoxOwn].box, slot);
            break;
        case 13:
        case 14:
        case 15:
            slot = *SlotOf(block, 12);
            break;
        case 3:
        case 7:
            slot.box = kBoxWindow;
            LocalPaletteStarts(params, block, window, slot);
            break;
        default:
            LogFprintf(stderr, "Error: Unexpected mode in SetUpStandardRepStarts()!\n");
            break;
        }
        slot.id = u8(c);
    }
    if (params.mode == 4)
        block.selected = block.transparent && params.isXQFTCII && count > 1 ? ids[1] : ids[0];
    else
        block.selected = 9;
}

} // namespace xqftexture::amtc

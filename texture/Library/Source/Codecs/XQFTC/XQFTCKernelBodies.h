// The class compressors' kernels, included once per instruction set (XQFTCKernels.cpp) inside a
// namespace that defines before it:
//   XQFT_TARGET    the target attribute of every function here
//   G              pixels per vector (4 or 8)
//   VU, VI, VS     G lanes of u32, G of i32, 2 G of i16
//   Madd(a, b)     pairs of i16 products added into i32 lanes
//   LoadRows4(p, stride)  G pixels as G / 4 rows of 4 pixels, stride pixels apart
//   SpreadHalves(c)       c[0] in the lower half of the lanes, c[1] in the upper (AVX2 only)
//   FromLeft(prev, cur), FromRight(cur, next)  lane i - 1 (i + 1) of the vectors side by side
//   Sum(v)                the sum of the lanes
//   StoreBytes(out, v)    the lanes (0..255) as G bytes; LoadWeights(k): G bytes as lanes
// A pixel lives in a 32-bit lane, split into two: red and green (RG) or blue and alpha (BA), each
// channel a 16-bit half. Every sum below stays within 16 bits per half before Madd widens it.

// Plain code only (no library templates), so that nothing here is shared with other translation
// units under another instruction set.

XQFT_TARGET inline VU LoadRun(const SPixel4* p)
{
    VU v;
    __builtin_memcpy(&v, p, sizeof v);
    return v;
}

XQFT_TARGET inline void StoreRun(SPixel4* p, VU v) { __builtin_memcpy(p, &v, sizeof v); }

XQFT_TARGET inline VS SplitRG(VU u) { return VS((u & 0xFFu) | ((u << 8) & 0xFF0000u)); }
XQFT_TARGET inline VS SplitBA(VU u) { return VS(((u >> 16) & 0xFFu) | ((u >> 8) & 0xFF0000u)); }

// The bytes of pixels whose halves hold values 0..255.
XQFT_TARGET inline VU JoinPixels(VS rg, VS ba)
{
    const VU r = VU(rg), b = VU(ba);
    return (r & 0xFFu) | ((r >> 8) & 0xFF00u) | ((b & 0xFFu) << 16) | ((b >> 16) << 24);
}

XQFT_TARGET inline VI Distance(VS rg, VS ba) { return Madd(rg, rg) + Madd(ba, ba); }


XQFT_TARGET inline VI Select(VI mask, VI x, VI y) { return (mask & x) | (~mask & y); }

// Lane i: i.
XQFT_TARGET inline VI LaneIndex()
{
    VI v;
    for (u32 i = 0; i < G; ++i)
        v[i] = i32(i);
    return v;
}



// Pixel order, channel pair and weight packing for the upscaling: lanes hold a pixel's two halves.
XQFT_TARGET inline u32 HalfPair(u8 lo, u8 hi) { return u32(lo) | u32(hi) << 16; }

// Block column `column` of the upper and lower block rows blended at y (of 4), both halves of a
// lane at once.
XQFT_TARGET inline void BlendColumn(const SPixel4* upper, const SPixel4* lower, u32 column, u32 y, u32& rg, u32& ba)
{
    const SPixel4 &u = upper[column], &d = lower[column];
    rg = (4 - y) * HalfPair(u.c[0], u.c[1]) + y * HalfPair(d.c[0], d.c[1]);
    ba = (4 - y) * HalfPair(u.c[2], u.c[3]) + y * HalfPair(d.c[2], d.c[3]);
}

// Lane i: c[i / BW], the window the lane's pixel lies in.
template <u32 BW>
XQFT_TARGET inline VU Spread(const u32* c)
{
    if constexpr (G <= BW) {
        return VU{} + c[0];
    } else {
        static_assert(G == 2 * BW);
        return SpreadHalves(c);
    }
}

// Image rows [row0, row1) over block columns [x0, x1): row iy lies between the representative points
// of block rows (iy - 2) / 4 and the next, rounded down (wrapping). A row buffer holds windows x0 to
// x1, window e spanning image columns e BW - BW / 2 on, between block columns e - 1 and e.
template <u32 BW>
XQFT_TARGET void UpscaleRows(const SPixel4* low, SPixel4* full, u32 width, u32 nx, u32 ny, u32 x0, u32 x1, u32 row0,
                             u32 row1)
{
    constexpr u32 kBH = 4, kShift = BW == 8 ? 5 : 4;
    // A vector holds kWindows whole windows, or a window takes kParts vectors.
    constexpr u32 kWindows = G > BW ? G / BW : 1, kParts = G < BW ? BW / G : 1;
    VS left[kParts], right[kParts];
    for (u32 part = 0; part < kParts; ++part) {
        VU l, r;
        for (u32 i = 0; i < G; ++i) {
            const u32 x = (part * G + i) % BW;
            l[i] = HalfPair(u8(BW - x), u8(BW - x)), r[i] = HalfPair(u8(x), u8(x));
        }
        left[part] = VS(l), right[part] = VS(r);
    }
    const u32 windows = x1 - x0 + 1;
    SRowScratch scratch(windows + 4, windows * BW + G);
    u32* const crg = scratch.crg;
    u32* const cba = scratch.cba;
    SPixel4* const row = scratch.row;
    for (u32 iy = row0; iy < row1; ++iy) {
        const i64 window = (i64(iy) - 2) >> 2;
        const u32 y = u32(i64(iy) - 2 - 4 * window);
        const SPixel4* upper = low + u64(WrapIndex(window, ny)) * nx;
        const SPixel4* lower = low + u64(WrapIndex(window + 1, ny)) * nx;
        // c[k]: block column x0 + k - 1 (wrapping), both halves of a lane at once (each below 4 x 255):
        // the columns of the blocks themselves G at a time, then the ones left and right of them.
        u32 k = 1;
        for (; k + G <= windows; k += G) {
            const VU u = LoadRun(upper + x0 + k - 1), d = LoadRun(lower + x0 + k - 1);
            const VU rg = (kBH - y) * VU(SplitRG(u)) + y * VU(SplitRG(d)), ba = (kBH - y) * VU(SplitBA(u)) + y * VU(SplitBA(d));
            __builtin_memcpy(crg + k, &rg, sizeof rg);
            __builtin_memcpy(cba + k, &ba, sizeof ba);
        }
        for (; k < windows; ++k)
            BlendColumn(upper, lower, x0 + k - 1, y, crg[k], cba[k]);
        BlendColumn(upper, lower, x0 == 0 ? nx - 1 : x0 - 1, y, crg[0], cba[0]);
        BlendColumn(upper, lower, x1 == nx ? 0 : x1, y, crg[windows], cba[windows]);
        for (u32 k = windows + 1; k < windows + 4; ++k)
            crg[k] = cba[k] = 0; // read past the last window only
        for (u32 e = 0; e < windows; e += kWindows) {
            const VU lrg = Spread<BW>(crg + e), lba = Spread<BW>(cba + e);
            const VU rrg = Spread<BW>(crg + e + 1), rba = Spread<BW>(cba + e + 1);
            for (u32 part = 0; part < kParts; ++part) {
                const VS rg = (left[part] * VS(lrg) + right[part] * VS(rrg)) >> i16(kShift);
                const VS ba = (left[part] * VS(lba) + right[part] * VS(rba)) >> i16(kShift);
                StoreRun(row + e * BW + part * G, JoinPixels(rg, ba));
            }
        }
        __builtin_memcpy(full + u64(iy) * width + u64(x0) * BW, row + BW / 2, u64(x1 - x0) * BW * sizeof(SPixel4));
    }
}

XQFT_TARGET void UpscaleArea(const SPixel4* low, SPixel4* full, u32 width, u32 nx, u32 ny, u32 bw, u32 x0, u32 x1,
                             u32 y0, u32 y1)
{
    if (x0 >= x1 || y0 >= y1)
        return;
    if (bw == 8)
        UpscaleRows<8>(low, full, width, nx, ny, x0, x1, 4 * y0, 4 * y1);
    else
        UpscaleRows<4>(low, full, width, nx, ny, x0, x1, 4 * y0, 4 * y1);
}

// The image rows of window row by (P blocks on block row by), those inside the image.
XQFT_TARGET void UpscaleWindowRow(const SPixel4* low, SPixel4* full, u32 width, u32 height, u32 nx, u32 ny, u32 bw,
                                  i64 by)
{
    const i64 first = by * 4 + 2, row0 = first < 0 ? 0 : first, row1 = first + 4 > i64(height) ? i64(height) : first + 4;
    if (row0 >= row1)
        return;
    if (bw == 8)
        UpscaleRows<8>(low, full, width, nx, ny, 0, nx, u32(row0), u32(row1));
    else
        UpscaleRows<4>(low, full, width, nx, ny, 0, nx, u32(row0), u32(row1));
}

// The pixels' distances to the blend at weight w (eighths of B), as the decoder blends.
struct SBlendState {
    VS prg, pba, arg, aba, srg, sba;
};

XQFT_TARGET inline SBlendState BlendState(VU p, VU a, VU b)
{
    SBlendState s;
    s.prg = SplitRG(p), s.pba = SplitBA(p), s.arg = SplitRG(a), s.aba = SplitBA(a);
    s.srg = SplitRG(b) - s.arg, s.sba = SplitBA(b) - s.aba;
    return s;
}

// The distance at weight w (0..8) of each lane, from the distances at every weight: a binary
// choice on w's bits.
XQFT_TARGET inline VI DistanceAt(const VI d[9], VI w)
{
    const VI b0 = (w & 1) != 0, b1 = (w & 2) != 0, b2 = (w & 4) != 0, b3 = (w & 8) != 0;
    const VI d01 = Select(b0, d[1], d[0]), d23 = Select(b0, d[3], d[2]);
    const VI d45 = Select(b0, d[5], d[4]), d67 = Select(b0, d[7], d[6]);
    const VI d03 = Select(b1, d23, d01), d47 = Select(b1, d67, d45);
    return Select(b3, d[8], Select(b2, d47, d03));
}

// The rounded mean (sum + n / 2) / n of sums up to 32 over n = 1 to 4 neighbours, n per lane given
// as the multipliers of Divisor(n).
XQFT_TARGET inline VI Mean(VI sum, VI half, VS divisor)
{
    const VI x = sum + half;
    return Madd(VS(x | (x << 16)), divisor) >> 15;
}

// x * (lo + hi) / 2^15 is x / n rounded down for x up to 36: 2^15 / n, split over the two halves
// so that every half fits 16 bits.
XQFT_TARGET inline u32 Divisor(u32 n)
{
    return n == 1 ? 16384u | 16384u << 16 : n == 2 ? 16384u : n == 3 ? 10923u : 8192u;
}

// The pixels of two rows with x + y even (s) and odd (n), when the upper row's y is even.
XQFT_TARGET inline void SplitPair(const SPixel4* upper, const SPixel4* lower, VI even, VU& s, VU& n)
{
    const VI u = VI(LoadRun(upper)), l = VI(LoadRun(lower));
    s = VU(Select(even, u, l)), n = VU(Select(even, l, u));
}

// The 2 bpp modulation of every block: the direct mode (each pixel the nearer of weights 0 and 8)
// and the three interpolated ones (the stored pixels, x + y even, the nearest of 0, 3, 5 and 8; the
// others the rounded mean of their stored neighbours inside the block, across and down, across
// only, down only); ties to the lower weight, then to the lower mode after the bias.
//
// The pixels of two rows are taken apart into their stored ones (S: lane i from the upper row when
// i is even, from the lower when odd) and the others (N: the rest), so that a pixel of N finds its
// neighbours across in lanes i - 1 and i + 1 of S, and those down in lane i of S of the same pair
// and of the pair above (odd lanes) or below (even lanes).
XQFT_TARGET void Evaluate2bpp(const SClassImages& im, SBlock2bpp* blocks, u32 x0, u32 x1, u32 y0, u32 y1)
{
    constexpr u32 kV = 8 / G; // vectors a row
    const VI even = (LaneIndex() & 1) == 0;
    // Per pair q and vector v: the neighbour counts of N's pixels as halves and divisors.
    VI halfBoth[2][kV], halfAcross[2][kV], halfDown[2][kV];
    VS divBoth[2][kV], divAcross[2][kV], divDown[2][kV];
    for (u32 q = 0; q < 2; ++q)
        for (u32 v = 0; v < kV; ++v) {
            VU db, da, dd;
            for (u32 i = 0; i < G; ++i) {
                const u32 x = v * G + i, y = 2 * q + 1 - (i & 1);
                const u32 nh = (x > 0) + (x < 7), nv = (y > 0) + (y < 3);
                halfBoth[q][v][i] = i32((nh + nv) / 2), halfAcross[q][v][i] = i32(nh / 2), halfDown[q][v][i] = i32(nv / 2);
                db[i] = Divisor(nh + nv), da[i] = Divisor(nh), dd[i] = Divisor(nv);
            }
            divBoth[q][v] = VS(db), divAcross[q][v] = VS(da), divDown[q][v] = VS(dd);
        }
    for (u32 by = y0; by < y1; ++by)
        for (u32 bx = x0; bx < x1; ++bx) {
            SBlock2bpp& block = blocks[u64(by) * im.blocksX + bx];
            VI storedWeight[2][kV], distances[2][kV][9];
            VI nearestDirect = VI{}, nearestStored = VI{};
            for (u32 q = 0; q < 2; ++q) {
                const u64 upper = (u64(by) * 4 + 2 * q) * im.width + u64(bx) * 8, lower = upper + im.width;
                for (u32 v = 0; v < kV; ++v) {
                    const u32 x = v * G;
                    VU ps, pn, as, an, bs, bn;
                    SplitPair(im.image + upper + x, im.image + lower + x, even, ps, pn);
                    SplitPair(im.fullA + upper + x, im.fullA + lower + x, even, as, an);
                    SplitPair(im.fullB + upper + x, im.fullB + lower + x, even, bs, bn);
                    // S: weights 0, 3, 5 and 8.
                    const SBlendState s = BlendState(ps, as, bs);
                    const VS rg3 = (s.arg << 3) + s.srg * 3, ba3 = (s.aba << 3) + s.sba * 3;
                    const VS rg5 = rg3 + (s.srg << 1), ba5 = ba3 + (s.sba << 1);
                    const VI candidates[4] = {Distance(s.prg - s.arg, s.pba - s.aba),
                                              Distance(s.prg - (rg3 >> 3), s.pba - (ba3 >> 3)),
                                              Distance(s.prg - (rg5 >> 3), s.pba - (ba5 >> 3)),
                                              Distance(s.prg - (s.arg + s.srg), s.pba - (s.aba + s.sba))};
                    VI best = candidates[0], index = VI{};
                    for (i32 k = 1; k < 4; ++k) {
                        const VI nearer = candidates[k] < best;
                        best = Select(nearer, candidates[k], best);
                        index = Select(nearer, VI{} + k, index);
                    }
                    nearestStored += best;
                    storedWeight[q][v] = index * 3 - ((index >= 2) & 1);
                    const VI directS = candidates[0] < candidates[3];
                    nearestDirect += Select(directS, candidates[0], candidates[3]);
                    // N: every weight.
                    const SBlendState n = BlendState(pn, an, bn);
                    VI* d = distances[q][v];
                    VS accRG = n.arg << 3, accBA = n.aba << 3;
                    for (u32 w = 0; w <= 8; ++w) {
                        if (w != 0)
                            accRG += n.srg, accBA += n.sba;
                        d[w] = Distance(n.prg - (accRG >> 3), n.pba - (accBA >> 3));
                    }
                    const VI directN = d[0] < d[8];
                    nearestDirect += Select(directN, d[0], d[8]);
                    // Back into rows: the upper row's even lanes are S's, the lower row's odd ones.
                    const u32 p = 16 * q + x;
                    StoreBytes(block.direct + p, ~Select(even, directS, directN) & 3);
                    StoreBytes(block.direct + p + 8, ~Select(even, directN, directS) & 3);
                    StoreBytes(block.stored + p, index & even);
                    StoreBytes(block.stored + p + 8, index & ~even);
                }
            }
            VI interpolated[3][2][kV];
            VI errors[3] = {VI{}, VI{}, VI{}};
            for (u32 q = 0; q < 2; ++q)
                for (u32 v = 0; v < kV; ++v) {
                    const VI* w = storedWeight[q];
                    const VI across = FromLeft(v > 0 ? w[v - 1] : VI{}, w[v]) + FromRight(w[v], v + 1 < kV ? w[v + 1] : VI{});
                    const VI other = Select(even, q == 0 ? storedWeight[1][v] : VI{}, q == 1 ? storedWeight[0][v] : VI{});
                    const VI down = w[v] + other;
                    interpolated[0][q][v] = Mean(across + down, halfBoth[q][v], divBoth[q][v]);
                    interpolated[1][q][v] = Mean(across, halfAcross[q][v], divAcross[q][v]);
                    interpolated[2][q][v] = Mean(down, halfDown[q][v], divDown[q][v]);
                    for (u32 m = 0; m < 3; ++m)
                        errors[m] += DistanceAt(distances[q][v], interpolated[m][q][v]);
                }
            const u64 stored = u64(Sum(nearestStored));
            const u64 modeErrors[4] = {u64(Sum(nearestDirect)), stored + u64(Sum(errors[0])),
                                       stored + u64(Sum(errors[1])), stored + u64(Sum(errors[2]))};
            u64 bestScore = ~u64(0);
            for (u32 mode = 0; mode < 4; ++mode) {
                const u64 score = u64(block.bias[mode]) * modeErrors[mode];
                if (score < bestScore)
                    bestScore = score, block.mode = u8(mode);
            }
            // The chosen mode's weights, for the refinement.
            if (block.mode == 0) {
                for (u32 p = 0; p < 32; ++p)
                    block.weights[p] = block.direct[p] == 3 ? 8 : 0;
                continue;
            }
            for (u32 q = 0; q < 2; ++q)
                for (u32 v = 0; v < kV; ++v) {
                    const VI s = storedWeight[q][v], n = interpolated[block.mode - 1][q][v];
                    StoreBytes(block.weights + 16 * q + v * G, Select(even, s, n));
                    StoreBytes(block.weights + 16 * q + v * G + 8, Select(even, n, s));
                }
        }
}

XQFT_TARGET void Evaluate4bpp(const SClassImages& im, SBlock4bpp* blocks, u32 x0, u32 x1, u32 y0, u32 y1)
{
    const VI alpha = VI{} + i32(0xFFFF0000u);
    for (u32 by = y0; by < y1; ++by)
        for (u32 bx = x0; bx < x1; ++bx) {
            SBlock4bpp& block = blocks[u64(by) * im.blocksX + bx];
            // Each pixel takes the nearest candidate of each variant (ties to the lower index).
            VI errors[2] = {VI{}, VI{}};
            for (u32 y = 0; y < 4; y += G / 4) {
                const u64 at = (u64(by) * 4 + y) * im.width + u64(bx) * 4;
                const SBlendState s = BlendState(LoadRows4(im.image + at, im.width), LoadRows4(im.fullA + at, im.width),
                                                 LoadRows4(im.fullB + at, im.width));
                const VS base = s.arg << 3, baseBA = s.aba << 3;
                const VS rg3 = base + s.srg * 3, ba3 = baseBA + s.sba * 3;
                const VS rg4 = rg3 + s.srg, ba4 = ba3 + s.sba, rg5 = rg4 + s.srg, ba5 = ba4 + s.sba;
                const VI d0 = Distance(s.prg - s.arg, s.pba - s.aba);
                const VI d8 = Distance(s.prg - (s.arg + s.srg), s.pba - (s.aba + s.sba));
                const VI d3 = Distance(s.prg - (rg3 >> 3), s.pba - (ba3 >> 3));
                const VI d5 = Distance(s.prg - (rg5 >> 3), s.pba - (ba5 >> 3));
                const VS drg4 = s.prg - (rg4 >> 3), dba4 = s.pba - (ba4 >> 3);
                const VI d4 = Distance(drg4, dba4);
                // Punch-through: the blend at 4 with alpha 0.
                const VI punch = Distance(drg4, VS(Select(alpha, VI(s.pba), VI(dba4))));
                const VI candidates[2][4] = {{d0, d3, d5, d8}, {d0, d4, punch, d8}};
                for (u32 variant = 0; variant < 2; ++variant) {
                    VI best = candidates[variant][0], index = VI{};
                    for (i32 k = 1; k < 4; ++k) {
                        const VI nearer = candidates[variant][k] < best;
                        best = Select(nearer, candidates[variant][k], best);
                        index = Select(nearer, VI{} + k, index);
                    }
                    StoreBytes(block.indices[variant] + 4 * y, index);
                    errors[variant] += best;
                }
            }
            const u64 e0 = u64(Sum(errors[0])), e1 = u64(Sum(errors[1]));
            block.variant = u64(block.bias[0]) * e0 > u64(block.bias[1]) * e1 ? 1 : 0;
        }
}

// Adds the least-squares sums of G pixels with weights k (eighths of B, in each half of a lane).
struct SRefineAccumulator {
    VI e[4] = {VI{}, VI{}, VI{}, VI{}}, ek[4] = {VI{}, VI{}, VI{}, VI{}};
    VI k = VI{}, kk = VI{};
};

XQFT_TARGET inline void AccumulateRefine(SRefineAccumulator& acc, VU p, VU a, VU b, VU k)
{
    const SBlendState s = BlendState(p, a, b);
    const VS kk = VS(k | (k << 16));
    const VS erg = ((s.prg - s.arg) << 3) - kk * s.srg, eba = ((s.pba - s.aba) << 3) - kk * s.sba;
    const VS low = VS(VU{} + 1u), high = VS(VU{} + (1u << 16)), klow = VS(k), khigh = VS(k << 16);
    acc.e[0] += Madd(erg, low), acc.e[1] += Madd(erg, high), acc.e[2] += Madd(eba, low), acc.e[3] += Madd(eba, high);
    acc.ek[0] += Madd(erg, klow), acc.ek[1] += Madd(erg, khigh);
    acc.ek[2] += Madd(eba, klow), acc.ek[3] += Madd(eba, khigh);
    acc.k += VI(k), acc.kk += VI(k * k);
}

// The sums of four vectors' lanes, in lanes 0 to 3.
XQFT_TARGET inline V4 SumEach(VI a, VI b, VI c, VI d)
{
    const V4 x = Fold(a), y = Fold(b), z = Fold(c), w = Fold(d);
    const V4 xy = __builtin_shufflevector(x, y, 0, 4, 1, 5) + __builtin_shufflevector(x, y, 2, 6, 3, 7);
    const V4 zw = __builtin_shufflevector(z, w, 0, 4, 1, 5) + __builtin_shufflevector(z, w, 2, 6, 3, 7);
    return __builtin_shufflevector(xy, zw, 0, 1, 4, 5) + __builtin_shufflevector(xy, zw, 2, 3, 6, 7);
}

XQFT_TARGET inline void FinishRefine(const SRefineAccumulator& acc, SRefineSums& sums)
{
    const V4 e = SumEach(acc.e[0], acc.e[1], acc.e[2], acc.e[3]);
    const V4 ek = SumEach(acc.ek[0], acc.ek[1], acc.ek[2], acc.ek[3]);
    const V4 k = SumEach(acc.k, acc.kk, VI{}, VI{});
    __builtin_memcpy(sums.sumE, &e, sizeof e);
    __builtin_memcpy(sums.sumEK, &ek, sizeof ek);
    sums.sumK = k[0], sums.sumKK = k[1];
}

XQFT_TARGET void Refine2bpp(const SClassImages& im, const SBlock2bpp* blocks, u32 x0, u32 x1, u32 y0, u32 y1)
{
    for (u32 by = y0; by < y1; ++by)
        for (u32 bx = x0; bx < x1; ++bx) {
            const SBlock2bpp& block = blocks[u64(by) * im.blocksX + bx];
            const u8* k = block.weights;
            SRefineAccumulator acc;
            for (u32 y = 0; y < 4; ++y) {
                const u64 at = (u64(by) * 4 + y) * im.width + u64(bx) * 8;
                for (u32 x = 0; x < 8; x += G)
                    AccumulateRefine(acc, LoadRun(im.image + at + x), LoadRun(im.fullA + at + x),
                                     LoadRun(im.fullB + at + x), LoadWeights(k + 8 * y + x));
            }
            SRefineSums sums;
            FinishRefine(acc, sums);
            const u64 i = u64(by) * im.blocksX + bx;
            SPixel4 a = im.lowA[i], b = im.lowB[i];
            SolveRefinement(a, b, sums, 32, 128.0f);
            im.refinedA[i] = a, im.refinedB[i] = b;
        }
}

XQFT_TARGET void Refine4bpp(const SClassImages& im, const SBlock4bpp* blocks, u32 x0, u32 x1, u32 y0, u32 y1)
{
    // The indices as eighths of B; variant 1 too is fitted with 0, 3, 5 and 8.
    for (u32 by = y0; by < y1; ++by)
        for (u32 bx = x0; bx < x1; ++bx) {
            const SBlock4bpp& block = blocks[u64(by) * im.blocksX + bx];
            const u8* indices = block.indices[block.variant];
            SRefineAccumulator acc;
            for (u32 y = 0; y < 4; y += G / 4) {
                const u64 at = (u64(by) * 4 + y) * im.width + u64(bx) * 4;
                // Indices 0..3 to eighths 0, 3, 5, 8: 3 i - (i >= 2).
                const VU i = LoadWeights(indices + 4 * y) & 3u;
                const VU k = i * 3u - (VU(i >= 2u) & 1u);
                AccumulateRefine(acc, LoadRows4(im.image + at, im.width), LoadRows4(im.fullA + at, im.width),
                                 LoadRows4(im.fullB + at, im.width), k);
            }
            SRefineSums sums;
            FinishRefine(acc, sums);
            const u64 i = u64(by) * im.blocksX + bx;
            SPixel4 a = im.lowA[i], b = im.lowB[i];
            SolveRefinement(a, b, sums, 16, 32.0f);
            im.refinedA[i] = a, im.refinedB[i] = b;
        }
}

// The byte-wise minimum (maximum) of a vector's pixels, in every lane.
XQFT_TARGET inline VU FoldPixels(VU v, bool maximum)
{
    using VB = u8 __attribute__((vector_size(4 * G)));
    for (u32 step = G / 2; step >= 1; step /= 2) {
        VU moved;
        for (u32 l = 0; l < G; ++l)
            moved[l] = v[(l + step) % G];
        const VB a = VB(v), b = VB(moved);
        v = VU(maximum ? (a > b ? a : b) : (a < b ? a : b));
    }
    return v;
}

// The distances from pixel i to pixels from..n-1 (G at a time, the padding past n included) into
// row; their largest.
XQFT_TARGET inline i32 RowDistances(const u32* rg, const u32* ba, u32 i, u32 from, u32 n, i32* row)
{
    const VS irg = VS(VU{} + rg[i]), iba = VS(VU{} + ba[i]);
    VI top = VI{};
    for (u32 j = from; j < n; j += G) {
        VU vrg, vba;
        __builtin_memcpy(&vrg, rg + j, sizeof vrg);
        __builtin_memcpy(&vba, ba + j, sizeof vba);
        const VI d = Distance(VS(vrg) - irg, VS(vba) - iba);
        __builtin_memcpy(row + j, &d, sizeof d);
        top = d > top ? d : top;
    }
    i32 best = 0;
    for (u32 l = 0; l < G; ++l)
        best = top[l] > best ? top[l] : best;
    return best;
}

XQFT_TARGET u32 FurthestPair(const SPixel4* pixels, u32 n)
{
    alignas(32) u32 rg[64 + 2 * G], ba[64 + 2 * G];
    alignas(32) i32 corner[64 + G], row[64 + 2 * G];
    // Past the end, copies of the last pixel: their distances are those of the real pair (i, n - 1).
    SPixel4 padded[64 + 2 * G];
    __builtin_memcpy(padded, pixels, n * sizeof(SPixel4));
    for (u32 j = n; j < n + 2 * G; ++j)
        padded[j] = pixels[n - 1];
    // The channels' ranges: no pixel is further from pixel i than the corner of the box furthest
    // from it (corner[i]).
    VU lo = LoadRun(padded), hi = lo;
    for (u32 j = 0; j < n + G; j += G) {
        const VU v = LoadRun(padded + j), vrg = VU(SplitRG(v)), vba = VU(SplitBA(v));
        __builtin_memcpy(rg + j, &vrg, sizeof vrg);
        __builtin_memcpy(ba + j, &vba, sizeof vba);
        using VB = u8 __attribute__((vector_size(4 * G)));
        lo = VU(VB(v) < VB(lo) ? VB(v) : VB(lo)), hi = VU(VB(v) > VB(hi) ? VB(v) : VB(hi));
    }
    lo = FoldPixels(lo, false), hi = FoldPixels(hi, true);
    const VS loRG = SplitRG(lo), loBA = SplitBA(lo), hiRG = SplitRG(hi), hiBA = SplitBA(hi);
    for (u32 j = 0; j < n; j += G) {
        VU vrg, vba;
        __builtin_memcpy(&vrg, rg + j, sizeof vrg);
        __builtin_memcpy(&vba, ba + j, sizeof vba);
        const VS belowRG = VS(vrg) - loRG, aboveRG = hiRG - VS(vrg), belowBA = VS(vba) - loBA, aboveBA = hiBA - VS(vba);
        const VI d = Distance(belowRG > aboveRG ? belowRG : aboveRG, belowBA > aboveBA ? belowBA : aboveBA);
        __builtin_memcpy(corner + j, &d, sizeof d);
    }
    // The largest distance: a good first guess (the pixel furthest from pixel 0, then the one
    // furthest from that), then every row whose corner lies further.
    i32 best = 0;
    if (n > 1) {
        RowDistances(rg, ba, 0, 0, n, row);
        u32 far = 0;
        for (u32 j = 1; j < n; ++j)
            far = row[j] > row[far] ? j : far;
        best = RowDistances(rg, ba, far, 0, n, row);
    }
    for (u32 i = 0; i + 1 < n; ++i)
        if (corner[i] > best) {
            const i32 top = RowDistances(rg, ba, i, i + 1, n, row);
            best = top > best ? top : best;
        }
    if (best == 0)
        return 0; // every pixel alike: the first pair kept is (0, 0)
    // The first pair i < j, in the order i, then j, at that distance.
    for (u32 i = 0; i + 1 < n; ++i) {
        if (corner[i] < best || RowDistances(rg, ba, i, i + 1, n, row) != best)
            continue;
        u32 j = i + 1;
        while (row[j] != best)
            ++j;
        return i | j << 8;
    }
    return 0;
}

XQFT_TARGET inline SClassKernels MakeKernels()
{
    return {UpscaleWindowRow, UpscaleArea, Evaluate2bpp, Evaluate4bpp, Refine2bpp, Refine4bpp, FurthestPair};
}

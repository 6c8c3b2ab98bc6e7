// The class compressors' kernels, included once per instruction set (XQFTCKernels.cpp) inside a
// namespace that defines before it:
//   XQFT_TARGET    the target attribute of every function here
//   G              pixels per vector (4 or 8)
//   VU, VI, VS     G lanes of u32, G of i32, 2 G of i16
//   Madd(a, b)     pairs of i16 products added into i32 lanes
//   LoadRows4(p, stride)  G pixels as G / 4 rows of 4 pixels, stride pixels apart
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

XQFT_TARGET inline i32 Sum(VI v)
{
    i32 s = 0;
    for (u32 i = 0; i < G; ++i)
        s += v[i];
    return s;
}

XQFT_TARGET inline VI Select(VI mask, VI x, VI y) { return (mask & x) | (~mask & y); }

// Lane i: i.
XQFT_TARGET inline VI LaneIndex()
{
    VI v;
    for (u32 i = 0; i < G; ++i)
        v[i] = i32(i);
    return v;
}

XQFT_TARGET inline void StoreBytes(u8* out, VI v)
{
    using VB = u8 __attribute__((vector_size(G)));
    const VB b = __builtin_convertvector(v, VB);
    __builtin_memcpy(out, &b, G);
}

XQFT_TARGET inline VU LoadWeights(const u8* k)
{
    using VB = u8 __attribute__((vector_size(G)));
    VB b;
    __builtin_memcpy(&b, k, G);
    return __builtin_convertvector(b, VU);
}

// Pixel order, channel pair and weight packing for the upscaling: lanes hold a pixel's two halves.
XQFT_TARGET inline u32 HalfPair(u8 lo, u8 hi) { return u32(lo) | u32(hi) << 16; }

// Lane i: c[i / BW], the window the lane's pixel lies in.
template <u32 BW>
XQFT_TARGET inline VU Spread(const u32* c)
{
    if constexpr (G <= BW) {
        return VU{} + c[0];
    } else {
        VU v;
        for (u32 i = 0; i < G; ++i)
            v[i] = c[i / BW];
        return v;
    }
}

template <u32 BW>
XQFT_TARGET void UpscaleRow(const SPixel4* low, SPixel4* full, u32 width, u32 height, u32 nx, u32 ny, i64 by)
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
    const SPixel4* upper = low + u64(WrapIndex(by, ny)) * nx;
    const SPixel4* lower = low + u64(WrapIndex(by + 1, ny)) * nx;
    // Columns: window e of the row buffer spans image columns e BW - BW / 2 on, between the
    // representative points of block columns e - 1 and e (wrapping); c[e] is column e - 1's blend
    // of the upper and lower rows.
    SRowScratch scratch(nx + 4, (nx + 1) * BW + G);
    u32* const crg = scratch.crg;
    u32* const cba = scratch.cba;
    SPixel4* const row = scratch.row;
    for (u32 y = 0; y < kBH; ++y) {
        const i64 iy = by * kBH + kBH / 2 + y;
        if (iy < 0 || iy >= i64(height))
            continue;
        // Both halves of a lane at once: every half stays below 4 x 255.
        for (u32 k = 0; k < nx; ++k) {
            const SPixel4 &u = upper[k], &d = lower[k];
            crg[k + 1] = (kBH - y) * HalfPair(u.c[0], u.c[1]) + y * HalfPair(d.c[0], d.c[1]);
            cba[k + 1] = (kBH - y) * HalfPair(u.c[2], u.c[3]) + y * HalfPair(d.c[2], d.c[3]);
        }
        crg[0] = crg[nx], cba[0] = cba[nx], crg[nx + 1] = crg[1], cba[nx + 1] = cba[1];
        crg[nx + 2] = cba[nx + 2] = crg[nx + 3] = cba[nx + 3] = 0; // read past the last window only
        for (u32 e = 0; e <= nx; e += kWindows) {
            const VU lrg = Spread<BW>(crg + e), lba = Spread<BW>(cba + e);
            const VU rrg = Spread<BW>(crg + e + 1), rba = Spread<BW>(cba + e + 1);
            for (u32 part = 0; part < kParts; ++part) {
                const VS rg = (left[part] * VS(lrg) + right[part] * VS(rrg)) >> i16(kShift);
                const VS ba = (left[part] * VS(lba) + right[part] * VS(rba)) >> i16(kShift);
                StoreRun(row + e * BW + part * G, JoinPixels(rg, ba));
            }
        }
        __builtin_memcpy(full + u64(iy) * width, row + BW / 2, u64(width) * sizeof(SPixel4));
    }
}

XQFT_TARGET void UpscaleWindowRow(const SPixel4* low, SPixel4* full, u32 width, u32 height, u32 nx, u32 ny, u32 bw,
                                  i64 by)
{
    if (bw == 8)
        UpscaleRow<8>(low, full, width, height, nx, ny, by);
    else
        UpscaleRow<4>(low, full, width, height, nx, ny, by);
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

XQFT_TARGET void Evaluate2bpp(const SClassImages& im, SBlock2bpp* blocks, u32 x0, u32 x1, u32 y0, u32 y1)
{
    const VI lanes = LaneIndex();
    for (u32 by = y0; by < y1; ++by)
        for (u32 bx = x0; bx < x1; ++bx) {
            SBlock2bpp& block = blocks[u64(by) * im.blocksX + bx];
            // Each pixel's distance to the blend at every weight; the direct bits and the stored
            // values are the nearest of weights 0 and 8, and of 0, 3, 5 and 8 (ties to the lower).
            alignas(32) u32 distances[9][32];
            VI nearestDirect = VI{}, nearestStored = VI{};
            for (u32 y = 0; y < 4; ++y) {
                const u64 at = (u64(by) * 4 + y) * im.width + u64(bx) * 8;
                for (u32 x = 0; x < 8; x += G) {
                    const u32 p0 = 8 * y + x;
                    const SBlendState s = BlendState(LoadRun(im.image + at + x), LoadRun(im.fullA + at + x),
                                                     LoadRun(im.fullB + at + x));
                    VS accRG = s.arg << 3, accBA = s.aba << 3;
                    VI d[9];
                    for (u32 w = 0; w <= 8; ++w) {
                        if (w != 0)
                            accRG += s.srg, accBA += s.sba;
                        d[w] = Distance(s.prg - (accRG >> 3), s.pba - (accBA >> 3));
                        __builtin_memcpy(&distances[w][p0], &d[w], sizeof d[w]);
                    }
                    const VI directA = d[0] < d[8];
                    StoreBytes(block.direct + p0, ~directA & 3);
                    nearestDirect += Select(directA, d[0], d[8]);
                    VI best = d[0], index = VI{};
                    const u32 kWeight[4] = {0, 3, 5, 8};
                    for (i32 v = 1; v < 4; ++v) {
                        const VI nearer = d[kWeight[v]] < best;
                        best = Select(nearer, d[kWeight[v]], best);
                        index = Select(nearer, VI{} + v, index);
                    }
                    const VI stored = ((lanes + i32(x + y)) & 1) == 0;
                    StoreBytes(block.stored + p0, index & stored);
                    nearestStored += best & stored;
                }
            }
            u64 errors[4];
            errors[0] = u64(Sum(nearestDirect));
            ModeErrors2bpp(block, distances, u64(Sum(nearestStored)), errors);
            u64 bestScore = ~u64(0);
            for (u32 mode = 0; mode < 4; ++mode) {
                const u64 score = u64(block.bias[mode]) * errors[mode];
                if (score < bestScore)
                    bestScore = score, block.mode = u8(mode);
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
}

XQFT_TARGET inline void FinishRefine(const SRefineAccumulator& acc, const u8* k, u32 n, SRefineSums& sums)
{
    sums.sumK = sums.sumKK = 0;
    for (u32 p = 0; p < n; ++p)
        sums.sumK += k[p], sums.sumKK += i32(k[p]) * k[p];
    for (int c = 0; c < 4; ++c)
        sums.sumE[c] = Sum(acc.e[c]), sums.sumEK[c] = Sum(acc.ek[c]);
}

XQFT_TARGET void Refine2bpp(const SClassImages& im, const SBlock2bpp* blocks, u32 x0, u32 x1, u32 y0, u32 y1)
{
    for (u32 by = y0; by < y1; ++by)
        for (u32 bx = x0; bx < x1; ++bx) {
            const SBlock2bpp& block = blocks[u64(by) * im.blocksX + bx];
            u8 k[32];
            PredictModeWeights2bpp(block, block.mode, k);
            SRefineAccumulator acc;
            for (u32 y = 0; y < 4; ++y) {
                const u64 at = (u64(by) * 4 + y) * im.width + u64(bx) * 8;
                for (u32 x = 0; x < 8; x += G)
                    AccumulateRefine(acc, LoadRun(im.image + at + x), LoadRun(im.fullA + at + x),
                                     LoadRun(im.fullB + at + x), LoadWeights(k + 8 * y + x));
            }
            SRefineSums sums;
            FinishRefine(acc, k, 32, sums);
            const u64 i = u64(by) * im.blocksX + bx;
            SolveRefinement(im.lowA[i], im.lowB[i], sums, 32, 128.0f);
        }
}

XQFT_TARGET void Refine4bpp(const SClassImages& im, const SBlock4bpp* blocks, u32 x0, u32 x1, u32 y0, u32 y1)
{
    // The indices as eighths of B; variant 1 too is fitted with 0, 3, 5 and 8.
    static constexpr u8 kEighths[4] = {0, 3, 5, 8};
    for (u32 by = y0; by < y1; ++by)
        for (u32 bx = x0; bx < x1; ++bx) {
            const SBlock4bpp& block = blocks[u64(by) * im.blocksX + bx];
            u8 k[16];
            for (u32 p = 0; p < 16; ++p)
                k[p] = kEighths[block.indices[block.variant][p] & 3];
            SRefineAccumulator acc;
            for (u32 y = 0; y < 4; y += G / 4) {
                const u64 at = (u64(by) * 4 + y) * im.width + u64(bx) * 4;
                AccumulateRefine(acc, LoadRows4(im.image + at, im.width), LoadRows4(im.fullA + at, im.width),
                                 LoadRows4(im.fullB + at, im.width), LoadWeights(k + 4 * y));
            }
            SRefineSums sums;
            FinishRefine(acc, k, 16, sums);
            const u64 i = u64(by) * im.blocksX + bx;
            SolveRefinement(im.lowA[i], im.lowB[i], sums, 16, 32.0f);
        }
}

XQFT_TARGET u32 FurthestPair(const SPixel4* pixels, u32 n)
{
    alignas(32) u32 rg[64 + G], ba[64 + G];
    for (u32 j = 0; j < n; ++j)
        rg[j] = HalfPair(pixels[j].c[0], pixels[j].c[1]), ba[j] = HalfPair(pixels[j].c[2], pixels[j].c[3]);
    // Past the end, copies of the last pixel: their distances are those of the real pair (i, n - 1).
    for (u32 j = n; j < n + G; ++j)
        rg[j] = rg[n - 1], ba[j] = ba[n - 1];
    u32 best = 0, first = 0, second = 0;
    for (u32 i = 0; i + 1 < n; ++i) {
        const VS irg = VS(VU{} + rg[i]), iba = VS(VU{} + ba[i]);
        // The row's largest distance.
        VI top = VI{};
        for (u32 j = i + 1; j < n; j += G) {
            VU vrg, vba;
            __builtin_memcpy(&vrg, rg + j, sizeof vrg);
            __builtin_memcpy(&vba, ba + j, sizeof vba);
            const VI d = Distance(VS(vrg) - irg, VS(vba) - iba);
            top = d > top ? d : top;
        }
        i32 rowBest = 0;
        for (u32 l = 0; l < G; ++l)
            rowBest = top[l] > rowBest ? top[l] : rowBest;
        if (u32(rowBest) <= best)
            continue;
        // A strictly further pair: the first j of this row that reaches it.
        best = u32(rowBest), first = i;
        for (u32 j = i + 1; j < n; ++j) {
            u32 d = 0;
            for (int c = 0; c < 4; ++c)
                d += u32((i32(pixels[i].c[c]) - i32(pixels[j].c[c])) * (i32(pixels[i].c[c]) - i32(pixels[j].c[c])));
            if (d == best) {
                second = j;
                break;
            }
        }
    }
    return first | second << 8;
}

XQFT_TARGET inline SClassKernels MakeKernels()
{
    return {UpscaleWindowRow, Evaluate2bpp, Evaluate4bpp, Refine2bpp, Refine4bpp, FurthestPair};
}

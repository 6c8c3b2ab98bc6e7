// The DXT run kernels, written once over V: one block in each 128-bit lane of V. DxtRuns.cpp includes
// this file once per instruction set (no include guard), inside a namespace that defines V, kLanes
// (blocks per V), XQFT_TARGET and the lane operations below; every operation stays within its
// 128-bit lane, so the same code decodes one block with SSSE3 and two side by side with AVX2.
// The results are bit-exact with the Texel functions of DxtBlocks.h.

// The four palette entries, 'r','g','b','a' bytes each. DXT1 blocks (colour words at byte 0) are
// opaque and have three colours when colour0 <= colour1; the colour block of DXT2-5 (at byte 8) has
// alpha 0 and four colours.
template <bool kDxt1>
XQFT_TARGET inline V Palette(V block)
{
    // 16-bit lanes 0-3: colour0 for r, g, b, a; lanes 4-7: colour1.
    const V c = Shuffle32<_MM_SHUFFLE(1, 1, 0, 0)>(kDxt1 ? UnpackLo16(block, block) : UnpackHi16(block, block));
    // Each field moved to the top of its lane, then widened by bit replication: f8 = y >> 8 | y >> (8 + bits).
    const V top = And(MulLo16(c, Lanes(_mm_setr_epi16(1, 32, 2048, 0, 1, 32, 2048, 0))),
                      Lanes(_mm_setr_epi16(-2048, -1024, -2048, 0, -2048, -1024, -2048, 0)));
    const V alpha = Lanes(kDxt1 ? _mm_setr_epi16(0, 0, 0, 255, 0, 0, 0, 255) : _mm_setzero_si128());
    const V e01 = Or(Or(Srl16(top, 8), MulHi16(top, Lanes(_mm_setr_epi16(8, 4, 8, 0, 8, 4, 8, 0)))), alpha);
    const V e10 = Shuffle32<_MM_SHUFFLE(1, 0, 3, 2)>(e01);
    // (2 e0 + e1) / 3 and (e0 + 2 e1) / 3; x * 21846 >> 16 is x / 3 for every x <= 765.
    const V e23 = MulHi16(Add16(Add16(e01, e01), e10), Lanes(_mm_set1_epi16(21846)));
    if constexpr (!kDxt1)
        return PackUs16(e01, e23);
    // (e0 + e1) / 2 and transparent black, chosen without a branch (random blocks would mispredict
    // half the time): colour0 <= colour1 where colour0 minus colour1, saturated, is 0.
    const V three = And(Srl16(Add16(e01, e10), 1), Lanes(_mm_setr_epi16(-1, -1, -1, -1, 0, 0, 0, 0)));
    const V pick = Shuffle32<0>(CmpEq16(SubSat16(c, Shuffle32<_MM_SHUFFLE(1, 0, 3, 2)>(c)), Zero()));
    return PackUs16(e01, Or(And(pick, three), AndNot(pick, e23)));
}

// DXT2/DXT3: the sixteen 4-bit alphas (bytes 0-7) as bytes in texel order, widened as a * 17.
XQFT_TARGET inline V Dxt3Alphas(V block)
{
    const V low = Lanes(_mm_set1_epi8(15));
    const V nibbles = UnpackLo8(And(block, low), And(Srl16(block, 4), low));
    return Or(nibbles, Sll16(nibbles, 4));
}

// DXT4/DXT5: the eight-entry alpha table (bytes 0, 1: endpoints) in the low 8 bytes, looked up with
// the sixteen 3-bit indices (bits 16..63). x * 9363 >> 16 is x / 7 for every x <= 1785, x * 13108 >> 16
// is x / 5 for every x <= 1275.
XQFT_TARGET inline V Dxt5Alphas(V block)
{
    const char n = char(0x80);
    const V a0 = Shuffle8(block, Lanes(_mm_setr_epi8(0, n, 0, n, 0, n, 0, n, 0, n, 0, n, 0, n, 0, n)));
    const V a1 = Shuffle8(block, Lanes(_mm_setr_epi8(1, n, 1, n, 1, n, 1, n, 1, n, 1, n, 1, n, 1, n)));
    const V sevenths = MulHi16(Add16(MulLo16(a0, Lanes(_mm_setr_epi16(7, 0, 6, 5, 4, 3, 2, 1))),
                                     MulLo16(a1, Lanes(_mm_setr_epi16(0, 7, 1, 2, 3, 4, 5, 6)))),
                               Lanes(_mm_set1_epi16(9363)));
    const V fifths = Or(MulHi16(Add16(MulLo16(a0, Lanes(_mm_setr_epi16(5, 0, 4, 3, 2, 1, 0, 0))),
                                      MulLo16(a1, Lanes(_mm_setr_epi16(0, 5, 1, 2, 3, 4, 0, 0)))),
                                Lanes(_mm_set1_epi16(13108))),
                        Lanes(_mm_setr_epi16(0, 0, 0, 0, 0, 0, 0, 255)));
    const V sevenSteps = CmpGt16(a0, a1);
    const V table = PackUs16(Or(And(sevenSteps, sevenths), AndNot(sevenSteps, fifths)), Zero());
    // Texel i's index starts at bit 16 + 3 i: the two bytes around it go to a 16-bit lane, and a
    // multiply by 2^(8 - offset in the lane) shifts it to bits 8..10 (offsets 0 3 6 1 4 7 2 5, twice).
    const V low = Shuffle8(block, Lanes(_mm_setr_epi8(2, 3, 2, 3, 2, 3, 3, 4, 3, 4, 3, 4, 4, 5, 4, 5)));
    const V high = Shuffle8(block, Lanes(_mm_setr_epi8(5, 6, 5, 6, 5, 6, 6, 7, 6, 7, 6, 7, 7, 8, 7, 8)));
    const V shifts = Lanes(_mm_setr_epi16(256, 32, 4, 128, 16, 2, 64, 8));
    const V indices = And(PackUs16(Srl16(MulLo16(low, shifts), 8), Srl16(MulLo16(high, shifts), 8)),
                          Lanes(_mm_set1_epi8(7)));
    return Shuffle8(table, indices);
}

// Moves the alphas of texels 4 row .. 4 row + 3 (bytes in texel order) to the alpha bytes of a row.
XQFT_TARGET inline V AlphaRow(V alphas, u32 row)
{
    const char n = char(0x80), r = char(4 * row);
    return Shuffle8(alphas, Lanes(_mm_setr_epi8(n, n, n, r, n, n, n, char(r + 1), n, n, n, char(r + 2), n, n, n,
                                                char(r + 3))));
}

// Decodes count / kLanes * kLanes whole blocks of DXT kMode (1, 3 or 5) and returns how many.
template <int kMode, bool kStream>
XQFT_TARGET u64 Run(const u8* b, u64 count, Rgba8* out, u64 width)
{
    constexpr u32 kBytes = kMode == 1 ? 8 : 16;
    u64 i = 0;
    for (; i + kLanes <= count; i += kLanes, b += kLanes * kBytes, out += 4 * kLanes) {
        const V block = LoadBlocks(b, kBytes);
        const V palette = Palette<kMode == 1>(block);
        V alphas = Zero();
        if constexpr (kMode == 3)
            alphas = Dxt3Alphas(block);
        else if constexpr (kMode == 5)
            alphas = Dxt5Alphas(block);
        // Colour indices: the last 4 bytes of the block, one byte per row.
        for (u32 y = 0; y < 4; ++y) {
            V row = Shuffle8(palette, RowMasks(b, kBytes, kBytes - 4 + y));
            if constexpr (kMode != 1)
                row = Or(row, AlphaRow(alphas, y));
            Store<kStream>(out + y * width, row);
        }
    }
    return i;
}

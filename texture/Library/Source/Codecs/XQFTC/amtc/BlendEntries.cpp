// Blend entries of a window.
#include "BlendEntries.h"

#include "AmtcSupport.h"

#include <array>

namespace xqftexture::amtc {
namespace {

// Window geometry in eighths. Columns at 4 bpp and rows always have 9 entries, 2 bpp columns 17.
// fraction: position between the representative points left and right (above and below);
// step: the same for a hard transition, where a pixel takes its own block's colours;
// tent / tentStep: the centre block's share of the pixel in each direction.
constexpr u8 kFraction9[9] = {0, 2, 4, 6, 0, 2, 4, 6, 8};
constexpr u8 kStep9[9] = {0, 0, 8, 8, 0, 0, 8, 8, 8};
constexpr u8 kTent9[9] = {0, 2, 4, 6, 8, 6, 4, 2, 0};
constexpr u8 kTentStep9[9] = {0, 0, 8, 8, 8, 8, 0, 0, 0};
constexpr u8 kFraction17[17] = {0, 1, 2, 3, 4, 5, 6, 7, 0, 1, 2, 3, 4, 5, 6, 7, 8};
constexpr u8 kStep17[17] = {0, 0, 0, 0, 8, 8, 8, 8, 0, 0, 0, 0, 8, 8, 8, 8, 8};
constexpr u8 kTent17[17] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 7, 6, 5, 4, 3, 2, 1, 0};
constexpr u8 kTentStep17[17] = {0, 0, 0, 0, 8, 8, 8, 8, 8, 8, 8, 8, 0, 0, 0, 0, 0};

// Sharp kernels, by 3 x kind of the first block + kind of the second (kinds: 0 no hard
// transition; 4 bpp 1 hard with standard modulation, 2 hard with the local palette; 2 bpp 1 hard).
constexpr i8 kKernels9[9][9] = {
    {-32, 8, 28, 64, 127, 64, 28, 8, -32}, {-32, 8, 32, 56, 96, 72, -4, 0, 0},  {0, 8, 32, 56, 96, 40, 28, 32, 0},
    {0, 0, 60, 72, 96, 56, 32, 8, -32},    {0, 0, 64, 64, 64, 64, 0, 0, 0},     {0, 0, 64, 64, 64, 32, 32, 32, 0},
    {0, 32, 28, 40, 96, 56, 32, 8, 0},     {0, 32, 32, 32, 64, 64, 0, 0, 0},    {0, 32, 32, 32, 64, 32, 32, 32, 0},
};
// Only kinds 0 and 1 exist at 2 bpp: kernels 0, 1, 3 and 4.
constexpr i8 kKernels17[5][17] = {
    {-24, -6, 7, 9, 12, 23, 29, 48, 80, 48, 29, 23, 12, 9, 7, -6, -24},
    {-24, -6, 6, 10, 16, 22, 26, 38, 56, 42, 35, 33, -4, -1, 1, 0, 0},
    {},
    {0, 0, 1, -1, 28, 33, 35, 42, 56, 38, 26, 22, 16, 10, 6, -6, -24},
    {0, 0, 0, 0, 32, 32, 32, 32, 32, 32, 32, 32, 0, 0, 0, 0, 0},
};

// The local palette of a 4 bpp hard-transition block in modulation mode 1: per pixel of the 9 x 9
// window, the endpoint each modulation value shows, numbered A and B of the blocks P, Q, R and S
// around the pixel (0, 1 P; 2, 3 Q; 4, 5 R; 6, 7 S). With the packing's translation of the values
// these are the colours the decoder's own table gives. "x": a representative point, blended as
// usual. Rows 4 to 7 repeat rows 0 to 3.
constexpr const char* kLocalPaletteRows[9] = {
    "x    0123 0123 0123 x    0123 0123 0123 x   ", "0145 0125 0123 2361 0145 0125 0123 2361 2367",
    "0145 0145 0347 2367 0145 0145 0347 2367 2367", "0145 4507 4567 6743 0145 4507 4567 6743 2367",
    "x    0123 0123 0123 x    0123 0123 0123 x   ", "0145 0125 0123 2361 0145 0125 0123 2361 2367",
    "0145 0145 0347 2367 0145 0145 0347 2367 2367", "0145 4507 4567 6743 0145 4507 4567 6743 2367",
    "x    4567 4567 4567 x    4567 4567 4567 x   ",
};
constexpr u8 kNotLocal = 0xFF;
using SLocalTable = std::array<std::array<u8, 4>, 81>;
constexpr SLocalTable ParseLocalPalette()
{
    SLocalTable t{};
    for (int r = 0; r < 9; ++r)
        for (int c = 0; c < 9; ++c)
            for (int v = 0; v < 4; ++v) {
                const char ch = kLocalPaletteRows[r][5 * c + v];
                t[9 * r + c][v] = ch == 'x' || ch == ' ' ? kNotLocal : u8(ch - '0');
            }
    return t;
}
constexpr SLocalTable kLocalPalette = ParseLocalPalette();
static_assert(kLocalPalette[0][0] == kNotLocal && kLocalPalette[10][3] == 5 && kLocalPalette[80][0] == kNotLocal);

int Kind(u32 id, bool twoBpp)
{
    if (twoBpp)
        return (id >> 2) & 1;
    if ((id & 2) == 0)
        return 0;
    return (id & 3) == 2 ? 1 : 2;
}

// The cell ids: 5 x 5 cells of BW/2 x 2 pixels. A cell takes the hard-transition bits (M1) of the
// block whose centre is above-left of it (the decoder's P) and the modulation bits (M2) of the
// block it lies in; even cells are a block's own id.
void CellIds(const u32 ids[9], const AmtcParams& params, u32 cells[5][5])
{
    static constexpr int kFirst[5] = {0, 0, 1, 1, 2}, kSecond[5] = {0, 1, 1, 2, 2};
    const bool twoBpp = params.mode == 2;
    const u32 m1 = twoBpp ? 4 : 2, m2 = twoBpp ? 3 : 5;
    // The offset restores the id bits the masks leave out: bit 3 of every 2 bpp id, bit 2 of the
    // 4 bpp ids 4 to 7 that channel counts 1 and 2 use.
    const u32 offset = twoBpp ? 8 : params.channels < 3 ? 4 : 0;
    for (int k = 0; k < 5; ++k)
        for (int j = 0; j < 5; ++j)
            cells[k][j] = offset | (ids[3 * (k >> 1) + kFirst[j]] & m1) | (ids[3 * ((k + 1) >> 1) + kSecond[j]] & m2);
}

} // namespace

SWindowGeometry ColumnGeometry(bool twoBpp)
{
    if (twoBpp)
        return {kFraction17, kStep17, kTent17, kTentStep17};
    return RowGeometry();
}
SWindowGeometry RowGeometry() { return {kFraction9, kStep9, kTent9, kTentStep9}; }
const i8* SharpKernel(bool seventeen, int k) { return seventeen ? kKernels17[k] : kKernels9[k]; }

void ApplyRestartToggles(u32 restart, const AmtcParams& params, u32 ids[9])
{
    const u32 toggle = params.mode == 2 ? 4 : 2;
    if (restart & 1)
        ids[0] ^= toggle;
    if (restart & 2)
        ids[1] ^= toggle;
    if (restart & 4)
        ids[3] ^= toggle;
}

bool CreateBlendingAndUpdateWeights(u32 id, const AmtcBlockRecord* const neighbours[9], u32 restart,
                                    const AmtcParams& params, SBlendEntry* entries)
{
    u32 ids[9];
    for (int k = 0; k < 9; ++k)
        ids[k] = neighbours[k]->selected;
    ids[4] = id;
    ApplyRestartToggles(restart, params, ids);
    return CreateBlendEntries(ids, params, entries);
}

bool CreateBlendEntries(const u32 ids[9], const AmtcParams& params, SBlendEntry* entries)
{
    if (params.mode != 2 && params.mode != 4) {
        LogFprintf(stderr, "Exiting! 1bpp not yet implemented (CreateBlendingAndUpdateWeights)\n");
        return false;
    }
    const bool twoBpp = params.mode == 2;
    const int bw = params.blockWidth, bh = params.blockHeight;
    const int width = 2 * bw + 1, height = 2 * bh + 1;
    u32 cells[5][5];
    CellIds(ids, params, cells);

    // Kernels: across the upper rows from the upper-left and upper blocks, across the lower rows
    // from the left block and the centre; down the left columns from the upper-left and left
    // blocks, down the right columns from the upper block and the centre.
    auto kernel = [&](int first, int second, bool across) {
        return SharpKernel(across && twoBpp, 3 * Kind(ids[first], twoBpp) + Kind(ids[second], twoBpp));
    };
    const i8* const across[2] = {kernel(0, 1, true), kernel(3, 4, true)};
    const i8* const down[2] = {kernel(0, 3, false), kernel(1, 4, false)};
    const SWindowGeometry cols = ColumnGeometry(twoBpp), rows = RowGeometry();

    for (int r = 0; r < height; ++r)
        for (int c = 0; c < width; ++c) {
            SBlendEntry& e = entries[r * width + c];
            e = SBlendEntry{};
            const u32 v = cells[r / 2][c / (bw / 2)];
            e.edge = r == 0 || r == height - 1 || c == 0 || c == width - 1;
            const int qr = r / bh < 1 ? 0 : 1, qc = c / bw < 1 ? 0 : 1;
            e.corner[0] = u8(3 * qr + qc), e.corner[1] = u8(3 * qr + qc + 1);
            e.corner[2] = u8(3 * qr + qc + 3), e.corner[3] = u8(3 * qr + qc + 4);

            const bool step = twoBpp ? (v & 4) != 0 : (v & 3) == 2;
            e.fx = (step ? cols.step : cols.fraction)[c];
            e.fy = (step ? rows.step : rows.fraction)[r];
            const int tent = (step ? cols.tentStep : cols.tent)[c] * (step ? rows.tentStep : rows.tent)[r];

            const bool gridRow = r % 4 == 0, gridCol = c % 4 == 0;
            e.localPalette = !twoBpp && ((v == 3 && !(gridRow && gridCol)) || (v == 7 && !gridRow && !gridCol));

            // Standard blends: entry 1 = (5A + 3B) / 8, entry 2 = (3A + 5B) / 8.
            static constexpr u8 kStandard[4] = {5, 3, 3, 5};
            std::memcpy(e.paletteWeights, kStandard, 4);
            e.alphaMask = 0xFFFFFFFFu;
            static constexpr u8 kStandardLevels[8] = {0, 3, 5, 8, kNoLevel, kNoLevel, kNoLevel, kNoLevel};
            std::memcpy(e.valueWeights, kStandardLevels, 8);

            if (twoBpp) {
                const u32 interpolation = v & 3; // 0 direct, 1 both ways, 2 across, 3 down
                const bool stored = ((r + c) & 1) == 0;
                // Pixel (0, 0) of a block keeps one bit in every interpolated mode, pixel (4, 2)
                // in the one-way modes.
                const bool origin = (r == 2 || r == 6) && (c == 4 || c == 12);
                const bool middle = (r == 0 || r == 4 || r == 8) && (c == 0 || c == 8 || c == 16);
                if (interpolation == 0)
                    e.role = 1;
                else if (!stored)
                    e.role = u8(1 + interpolation);
                else
                    e.role = origin || (interpolation != 1 && middle) ? 1 : 0;
                if (e.role == 1)
                    e.valueWeights[1] = e.valueWeights[2] = kNoLevel;
            } else if ((v & 3) == 1) {
                // Punch-through: value 1 is the midpoint, value 2 the midpoint with alpha 0 (XQFTC)
                // or transparent black (XQFTC-II), which takes no part in the fit.
                e.punch = 1;
                const bool black = params.isXQFTCII != 0;
                const u8 w[4] = {4, 4, u8(black ? 0 : 4), u8(black ? 0 : 4)};
                std::memcpy(e.paletteWeights, w, 4);
                e.alphaMask = black ? 0u : 0x00FFFFFFu;
                e.valueWeights[1] = 4, e.valueWeights[2] = kNoLevel;
            }

            if (!twoBpp && v >= 4) {
                // Second palettes, offered only with channel counts other than 4: four more blends.
                // Per-pixel tables (kind 2) hold the kind-1 weights 7, 1, 6, 2 at every pixel.
                e.secondKind = v == 7 && e.localPalette ? 2 : 1;
                const u8 w[5] = {u8(v == 5 ? 6 : 7), u8(v == 5 ? 2 : 1), u8(v == 5 ? 2 : 6), u8(v == 5 ? 6 : 2),
                                 u8(v == 5 ? 128 : 0)};
                std::memcpy(e.second, w, 5);
                e.valueWeights[4] = w[1], e.valueWeights[5] = w[3], e.valueWeights[6] = w[2], e.valueWeights[7] = w[0];
            }

            if (e.localPalette) {
                // A value counts for the centre's A (level 0) or B (level 8) when it shows one of
                // them, else it takes no part in the fit.
                for (int d = 0; d < 4; ++d) {
                    const u8 index = kLocalPalette[9 * r + c][d];
                    e.localIndex[d] = index;
                    e.valueWeights[d] = e.corner[index >> 1] == 4 ? u8(8 * (index & 1)) : kNoLevel;
                }
            }

            e.fitWeight = across[r < bh ? 0 : 1][c] * down[c < bw ? 0 : 1][r] / 16;
            e.centreFitWeight = e.fitWeight * (e.localPalette ? 64 : tent);
        }
    return true;
}

} // namespace xqftexture::amtc

// The state of a level being compressed.
#include "AmtcLevel.h"

#include "AmtcSupport.h"

namespace xqftexture::amtc {
namespace {

// Kernels of the window weights. The vertical kernel always has 9 entries; the horizontal one has
// 17 at 2 bpp, where the window is 17 pixels wide.
constexpr float kSharp9[9] = {-32, 8, 28, 64, 127, 64, 28, 8, -32};
constexpr float kSharp17[17] = {-24, -6, 7, 9, 12, 23, 29, 48, 80, 48, 29, 23, 12, 9, 7, -6, -24};
constexpr float kSmooth9[9] = {8, 16, 32, 64, 127, 64, 32, 16, 8};
constexpr float kSmooth17[17] = {1, 1, 2, 4, 8, 16, 32, 64, 127, 64, 32, 16, 8, 4, 2, 1, 1};

void OuterProduct(const float* across, int width, const float* down, int height, float* out)
{
    float sumAcross = 0, sumDown = 0;
    for (int c = 0; c < width; ++c)
        sumAcross += across[c];
    for (int r = 0; r < height; ++r)
        sumDown += down[r];
    for (int r = 0; r < height; ++r)
        for (int c = 0; c < width; ++c)
            out[r * width + c] = down[r] * across[c] / (sumAcross * sumDown);
}

u32 Wrap(i64 v, u32 n) { return u32(((v % i64(n)) + i64(n)) % i64(n)); }

} // namespace

CAmtcLevel::~CAmtcLevel() { Release(); }

void CAmtcLevel::Release()
{
    if (m_rows)
        for (u32 by = 0; by < m_params.blocksY; ++by)
            FreeScratch(m_rows[by]);
    m_rows.reset();
    m_tables.reset();
}

bool CAmtcLevel::Init(const SAmtcImage& image, u32 channels, u32 mode, bool isXQFTCII)
{
    Release();
    if (mode != 2 && mode != 4) {
        LogFprintf(stderr, "Exiting! 1bpp not yet implemented (CompressLevelAMTC)\n");
        return false;
    }
    m_image = image;
    AmtcParams& p = m_params;
    p = AmtcParams{};
    p.channels = u8(channels);
    p.mode = u8(mode);
    p.blockWidth = mode == 2 ? 8 : 4;
    p.blockHeight = 4;
    p.windowWidth = u8(2 * p.blockWidth + 1);
    p.windowHeight = u8(2 * p.blockHeight + 1);
    p.isXQFTCII = isXQFTCII;
    p.blocksX = image.width / p.blockWidth;
    p.blocksY = image.height / p.blockHeight;
    if (p.blocksX == 0 || p.blocksY == 0)
        return false;

    m_rows = MakeScratch<AmtcBlockRecord*>(p.blocksY);
    if (m_rows)
        std::memset(m_rows.get(), 0, sizeof(AmtcBlockRecord*) * p.blocksY);
    m_tables = MakeScratch<SAmtcTables>(1);
    if (!m_rows || !m_tables) {
        Release();
        return false;
    }
    for (u32 by = 0; by < p.blocksY; ++by) {
        m_rows[by] = static_cast<AmtcBlockRecord*>(AllocateScratch(u64(p.blocksX) * sizeof(AmtcBlockRecord)));
        if (m_rows[by] == nullptr) {
            Release();
            return false;
        }
        std::memset(m_rows[by], 0, u64(p.blocksX) * sizeof(AmtcBlockRecord));
    }

    SAmtcTables& t = m_tables[0];
    const int width = p.windowWidth, height = p.windowHeight;
    const bool wide = width == 17;
    OuterProduct(wide ? kSharp17 : kSharp9, width, kSharp9, height, t.sharp);
    OuterProduct(wide ? kSmooth17 : kSmooth9, width, kSmooth9, height, t.smooth);
    const int bw = p.blockWidth, bh = p.blockHeight;
    for (int r = 0; r < height; ++r)
        for (int c = 0; c < width; ++c)
            t.centreMask[r * width + c] = r >= bh / 2 && r < bh / 2 + bh && c >= bw / 2 && c < bw / 2 + bw;
    m_failed.store(false);
    return true;
}

void CAmtcLevel::Neighbourhood(u32 by, u32 bx, AmtcBlockRecord* out[9]) const
{
    const u32 nx = m_params.blocksX, ny = m_params.blocksY;
    for (int j = 0; j < 3; ++j) {
        AmtcBlockRecord* row = m_rows[Wrap(i64(by) + j - 1, ny)];
        for (int i = 0; i < 3; ++i)
            out[3 * j + i] = &row[Wrap(i64(bx) + i - 1, nx)];
    }
}

void CAmtcLevel::CopyWindow(u32 by, u32 bx, SRgba* window) const
{
    const int bw = m_params.blockWidth, bh = m_params.blockHeight;
    const int width = m_params.windowWidth, height = m_params.windowHeight;
    const i64 x0 = i64(bx) * bw + bw / 2 - bw, y0 = i64(by) * bh + bh / 2 - bh;
    u32 xs[kMaxWindowWidth];
    for (int c = 0; c < width; ++c)
        xs[c] = Wrap(x0 + c, m_image.width);
    for (int r = 0; r < height; ++r) {
        const u8* row = m_image.pixels + 4 * u64(Wrap(y0 + r, m_image.height)) * m_image.pitch;
        for (int c = 0; c < width; ++c)
            std::memcpy(window[r * width + c].c, row + 4 * u64(xs[c]), 4);
    }
}

int CandidateList(const AmtcParams& params, bool extended, u8 ids[8])
{
    auto put = [&](std::initializer_list<u8> list) {
        int n = 0;
        for (const u8 id : list)
            ids[n++] = id;
        return n;
    };
    if (params.mode == 2)
        return params.isXQFTCII && extended ? put({8, 9, 10, 11, 12, 13, 14, 15}) : put({8, 9, 10, 11});
    if (params.mode != 4) {
        LogFprintf(stderr, "Exiting! 1bpp not yet implemented (OptimiseRegion)\n");
        return 0;
    }
    // 4 bpp: by channel count and the extended flag; ids 4 to 7 carry second palettes.
    int useCase = 0;
    if (params.isXQFTCII) {
        const int c = params.channels;
        useCase = c == 4 ? (extended ? 1 : 0) : c < 3 ? (extended ? 3 : 2) : (extended ? 5 : 4);
    }
    switch (useCase) {
    case 0: return put({0, 1});
    case 1: return put({0, 1, 2, 3});
    case 2: return put({4, 5});
    case 3: return put({4, 5, 6, 7});
    case 4: return put({0, 1, 4, 5});
    default: return put({0, 1, 2, 3, 4, 5, 6, 7});
    }
}

AmtcCandidate* SlotOf(AmtcBlockRecord& block, u32 id)
{
    for (AmtcCandidate& slot : block.slots)
        if (slot.id == id && slot.count > 0)
            return &slot;
    return nullptr;
}

const AmtcColourPair& SelectedPair(const AmtcBlockRecord& block)
{
    for (const AmtcCandidate& slot : block.slots)
        if (slot.id == block.selected && slot.count > 0)
            return slot.pairs[0];
    return block.slots[0].pairs[0];
}

} // namespace xqftexture::amtc

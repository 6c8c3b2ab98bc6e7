#pragma once
// The state of one level being compressed: the working image, the parameters, the block records
// (one array per block row) and the window weight tables; and the helpers every stage uses to read
// a block's window and neighbourhood. The image is a torus: windows wrap around its edges.
#include "AmtcTypes.h"
#include "XQFTextureScratch.h"

#include <atomic>

namespace xqftexture::amtc {

// RGBA pixels, rows pitch pixels apart.
struct SAmtcImage {
    const u8* pixels;
    u32 width, height;
    u64 pitch;
};

// Window weights: outer products of a vertical and a horizontal kernel, divided by the product of
// their sums, row-major over the window; and the mask of the block's own pixels.
struct SAmtcTables {
    float sharp[kMaxWindowPixels];
    float smooth[kMaxWindowPixels];
    u8 centreMask[kMaxWindowPixels];
};

class CAmtcLevel {
public:
    CAmtcLevel() = default;
    ~CAmtcLevel();
    CAmtcLevel(const CAmtcLevel&) = delete;
    CAmtcLevel& operator=(const CAmtcLevel&) = delete;

    // Allocates the block records (zeroed) and the tables for an image of whole blocks. False when
    // memory runs out (everything allocated is freed) or for a mode other than 2 and 4.
    bool Init(const SAmtcImage& image, u32 channels, u32 mode, bool isXQFTCII);

    const SAmtcImage& Image() const { return m_image; }
    AmtcParams& Params() { return m_params; }
    const AmtcParams& Params() const { return m_params; }
    const SAmtcTables& Tables() const { return m_tables[0]; }
    AmtcBlockRecord& Block(u32 by, u32 bx) const { return m_rows[by][bx]; }
    AmtcBlockRecord* Row(u32 by) const { return m_rows[by]; }

    // The 3 x 3 neighbourhood of block (bx, by), row-major, rows and columns wrapping around.
    void Neighbourhood(u32 by, u32 bx, AmtcBlockRecord* out[9]) const;
    // The window centred on block (bx, by)'s representative point, wrapping around the image.
    void CopyWindow(u32 by, u32 bx, SRgba* window) const;

    // Set by a worker that failed (memory ran out): the sweeps stop and the compression fails.
    void MarkFailed() { m_failed.store(true, std::memory_order_relaxed); }
    bool Failed() const { return m_failed.load(std::memory_order_relaxed); }

private:
    void Release();

    SAmtcImage m_image{};
    AmtcParams m_params;
    TScratch<AmtcBlockRecord*> m_rows;
    TScratch<SAmtcTables> m_tables;
    std::atomic<bool> m_failed{false};
};

// The candidate ids a block may use, in slot order; extended offers the hard-transition ones of
// XQFTC-II. Returns their number, 0 for a mode other than 2 and 4.
int CandidateList(const AmtcParams& params, bool extended, u8 ids[8]);

// The first kept pair of the block's selected candidate: its current endpoints.
const AmtcColourPair& SelectedPair(const AmtcBlockRecord& block);
// The slot holding candidate id, or null.
AmtcCandidate* SlotOf(AmtcBlockRecord& block, u32 id);

} // namespace xqftexture::amtc

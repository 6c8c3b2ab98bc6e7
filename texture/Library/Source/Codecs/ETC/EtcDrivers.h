#pragma once
// The per-block drivers of the ETC/EAC encoder: each runs the candidate fits of its quality on one
// 4 x 4 block of the working planes and keeps the best, measured on the candidates decoded into
// decodedRgb. rgb and decodedRgb are RGB planes (3 bytes per pixel) with rows of stride pixels.
#include "EtcEtc1Search.h"
#include "EtcHSearch.h"
#include "EtcPlanarSearch.h"
#include "EtcTSearch.h"
#include "XQFTextureTypes.h"

namespace xqftexture::etc {

// Quality 0, ETC1: the rounded and then the balanced average-colour block, the second kept only when
// its plain error is strictly smaller. Returns the kept block's plain error; decodedRgb is left as
// it was (the table searches measure the blocks).
double CompressETC1BlockFast(const u8* rgb, u8* decodedRgb, u32 stride, u32 x0, u32 y0, u32& high, u32& low);
// Quality 1, ETC1: the same with the perceptual fits and metric.
void CompressETC1BlockFastPerceptual(const u8* rgb, u8* decodedRgb, u32 stride, u32 x0, u32 y0, u32& high,
                                     u32& low);

// Quality 0 for ETC2 RGB8 and RGBA8 (format 22, 23): the fast ETC1, planar, T and H candidates, the
// first with the least plain error kept; a winning T or H block is then tried against the best of
// several clusterings. Format 24 (punch-through, every quality) starts from the candidates with
// transparency, measured over the opaque pixels (alpha: the thresholded plane), and goes on with the
// opaque ones when the block has no transparent pixel. Returns the kept block's error.
double CompressETC2BlockFast(const u8* rgb, const u8* alpha, u8* decodedRgb, u32 stride, u32 height, u32 x0, u32 y0,
                             u32& high, u32& low, u32 format);
// Quality 1 for formats 22 and 23: the same with the perceptual fits and metric.
void CompressETC2BlockFastPerceptual(const u8* rgb, u8* decodedRgb, u32 stride, u32 x0, u32 y0, u32& high, u32& low);

// The tables of the exhaustive searches, allocated once per worker and refilled for every block.
struct SExhaustiveScratch {
    SDifferentialTables differential;
    STModeTables tModes;
    SHModeTables hModes;
    SPlanarTables planar;
    // The ETC1 searches need only the differential tables; etc2 adds the T, H and planar ones. False
    // when memory runs out.
    bool Allocate(bool etc2);
};

// Quality 2, ETC1: the fast block, then the individual and the differential search bounded by the best
// so far (plain metric). Quality 3: the fast perceptual block, the differential then the individual
// search (perceptual metric times 1000). The first strictly best is kept.
void CompressETC1BlockExhaustive(const u8* rgb, u8* decodedRgb, u32 stride, u32 x0, u32 y0, u32& high, u32& low,
                                 SExhaustiveScratch& scratch);
void CompressETC1BlockExhaustivePerceptual(const u8* rgb, u8* decodedRgb, u32 stride, u32 x0, u32 y0, u32& high,
                                           u32& low, SExhaustiveScratch& scratch);

// Qualities 2 and 3 for formats 22 and 23: the fast ETC1 block, the least-squares planar block and the
// LBG T and H blocks set the bound; then the exhaustive planar, differential, individual, H and T
// searches, each bounded by the best so far. The first strictly best of ETC1, differential,
// individual, planar, H and T is kept.
void CompressETC2BlockExhaustive(const u8* rgb, u8* decodedRgb, u32 stride, u32 x0, u32 y0, u32& high, u32& low,
                                 SExhaustiveScratch& scratch);
void CompressETC2BlockExhaustivePerceptual(const u8* rgb, u8* decodedRgb, u32 stride, u32 x0, u32 y0, u32& high,
                                           u32& low, SExhaustiveScratch& scratch);

} // namespace xqftexture::etc

#pragma once
// The data model of the amtc XQFTC compressor: the per-call parameters, the per-block records with
// their colour boxes and candidate slots, and the per-pixel blend entries of a block's window.
//
// Every block owns two endpoint colours A and B that sit at its centre (its representative point);
// a pixel blends the bilinearly upscaled A and B images. The endpoints of a block are therefore
// fitted against the pixels of a window spanning its 3 x 3 block neighbourhood: (2 BW + 1) x
// (2 BH + 1) pixels whose corners are the representative points of the diagonal neighbours.
#include "XQFTextureTypes.h"

#include <cstring>

namespace xqftexture::amtc {

// An 8-bit RGBA colour, red first. Kept as bytes so channel loops stay simple.
struct SRgba {
    u8 c[4];
    bool operator==(const SRgba& o) const { return std::memcmp(c, o.c, 4) == 0; }
    bool operator!=(const SRgba& o) const { return !(*this == o); }
};

// The largest window: 17 x 9 pixels at 2 bpp, 9 x 9 at 4 bpp.
inline constexpr int kMaxWindowWidth = 17, kMaxWindowHeight = 9;
inline constexpr int kMaxWindowPixels = kMaxWindowWidth * kMaxWindowHeight;
// The error a start pair carries until it is first evaluated.
inline constexpr u32 kUnevaluated = 1073741823;

// An oriented box in a rotated colour space: t = M v (M row-major), bounded per axis.
struct SColourBox {
    float m[16];
    float minimum[4];
    float maximum[4];
};

// Shared read-only by the workers of a sweep; changed only between sweeps.
struct AmtcParams {
    u8 channels = 4;      // colour channels the colour word carries (1 to 4)
    u8 mode = 4;          // 2 = 2 bpp (8 x 4 blocks), 4 = 4 bpp (4 x 4); 1 (1 bpp) is not supported
    u8 blockWidth = 4;    // BW
    u8 blockHeight = 4;   // BH
    u8 windowWidth = 9;   // 2 BW + 1
    u8 windowHeight = 9;  // 2 BH + 1
    u32 isXQFTCII = 0;    // one opacity flag for both colours, bit 15 the hard-transition flag
    u32 blocksY = 0;      // NY
    u32 blocksX = 0;      // NX
    u32 iterations = 1;   // refinement iterations of the per-candidate optimiser
    u32 keptPairs = 4;    // best pairs a candidate keeps between passes
    u32 reevaluate = 1;   // 0: a block whose neighbourhood has not changed is skipped
    u32 extended = 0;     // offer the hard-transition candidates of XQFTC-II
    u32 restarts = 0;     // optimise each candidate from 8 perturbed blend configurations
    u32 boxClamp = 1;     // clamp refined and perturbed colours into the candidate's colour box
    u32 segmentation = 0; // smooth blocks are evaluated region by region
};

struct AmtcColourPair {
    SRgba a, b;
    u32 error;
    u32 restart; // the restart under which the pair was last refined (0 for start pairs)
};

// Block records live in scratch memory: plain data, zeroed when allocated, without padding (so
// that records compare byte for byte: a compiler may fill padding with anything).
struct AmtcCandidate {
    u8 id;
    u8 count;  // kept pairs
    u8 box;    // index into AmtcBlockRecord::boxes
    u8 unused;
    u32 flag;  // 1: started from a single colour (the optimiser then runs one iteration)
    AmtcColourPair pairs[4];
};
static_assert(sizeof(AmtcCandidate) == 8 + 4 * sizeof(AmtcColourPair));

// The colour statistics of a set of window pixels.
struct SBoxRecord {
    SRgba mean; // rounded, clamped to 0..255
    u32 point;  // every pixel of the set has the same colour
    SColourBox box;
};

// Box indices of AmtcBlockRecord::boxes.
enum EBox : u8 {
    kBoxWindow = 0,      // all window pixels
    kBoxOpaque = 1,      // the pixels a punch-through candidate fits (see the set-up)
    kBoxOwn = 2,         // the block's own pixels
    kBoxResidual = 3,    // residuals after the neighbours' smooth prediction
    kBoxResidualSet = 4, // those residuals whose pixel is not fully transparent
};

struct AmtcBlockRecord {
    u32 smooth;
    SBoxRecord boxes[5];
    u32 transparent; // the block's own pixels include a transparent one
    u32 lastChanged, lastVisited;
    AmtcCandidate slots[8];
    u32 selected; // candidate id whose first pair is the block's current endpoints
};
static_assert(sizeof(SBoxRecord) == 8 + sizeof(SColourBox));
static_assert(sizeof(AmtcBlockRecord) == 20 + 5 * sizeof(SBoxRecord) + 8 * sizeof(AmtcCandidate));

// How one window pixel is predicted for a given choice of candidate ids in the neighbourhood.
struct SBlendEntry {
    u8 edge;          // on the window's border: depends on the neighbours only
    u8 localPalette;  // colours come from the eight endpoints of the four blocks around it
    u8 secondKind;    // 0 none; 1 a fixed second set of blends; 2 per-pixel second set
    u8 punch;         // value 2 is punch-through
    u8 role;          // 2 bpp: 0 stored, 1 one bit (special or direct), 2 both ways, 3 across, 4 down
    u8 fx, fy;        // position between the four surrounding representative points, in eighths
    u8 corner[4];     // the surrounding blocks P, Q, R, S as indices 0..8 of the neighbourhood
    u8 paletteWeights[4]; // weights of A and B (eighths) of palette entries 1 and 2
    u32 alphaMask;    // applied to palette entry 2 (red in the low byte)
    u8 localIndex[4]; // local palette: which of the eight endpoints each value shows
    u8 second[5];     // second palette: weights of A and B for entries 4 and 5, and an alpha offset
    u8 valueWeights[8]; // weight level (eighths) each value counts for in the fit; 9 = not counted
    i32 fitWeight;    // sharp-kernel weight of the pixel
    i32 centreFitWeight; // fitWeight times the centre block's share of the pixel, in 64ths
};

inline constexpr u8 kNoLevel = 9;

} // namespace xqftexture::amtc

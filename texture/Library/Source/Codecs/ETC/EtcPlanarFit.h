#pragma once
// The ETC2 planar-mode fit: colours O at pixel (0, 0), H at (4, 0) and V at (0, 4), fitted to a block by
// least squares and quantised to the planar precision (6 bits red and blue, 7 bits green), in the
// unpacked 57-bit planar layout of EtcPlanes.h.
#include "XQFTextureTypes.h"

namespace xqftexture::etc {

// A small dense matrix, row-major, in fixed storage: the fit needs nothing larger than 16 x 3.
struct SMatrix {
    static constexpr i32 kCapacity = 48;
    i32 columns = 0, rows = 0;
    double data[kCapacity] = {};
    double& At(i32 row, i32 column) { return data[row * columns + column]; }
    double At(i32 row, i32 column) const { return data[row * columns + column]; }
};

// a x b (rows of a, columns of b), each element summed over k = 0, 1, ... in order. a.columns must
// equal b.rows and the product must fit the storage: anything else is a programming error, caught by
// an assertion in debug builds; release builds report it on the debug output and return a 0 x 0 matrix.
SMatrix MultiplyMatrices(const SMatrix& a, const SMatrix& b);
// Transposes m in place (rows and columns swapped).
void TransposeMatrix(SMatrix& m);

// The least-squares planar pattern of the block at (x0, y0) of an RGB plane (rows of stride pixels).
void FitPlanarBlock(const u8* rgb, i32 stride, i32 x0, i32 y0, u32& planarHigh, u32& planarLow);

// Decodes a planar pattern into decodedRgb as DecodeETC2PlanarBlock does, and sums per channel the
// squared differences to rgb over the block's 16 pixels.
void DecodePlanarBlockWithErrors(u32 planarHigh, u32 planarLow, u8* decodedRgb, i32 stride, i32 x0, i32 y0,
                                 const u8* rgb, u32& errR, u32& errG, u32& errB);

} // namespace xqftexture::etc

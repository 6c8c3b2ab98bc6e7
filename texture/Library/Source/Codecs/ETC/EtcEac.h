#pragma once
// The EAC block encoders: the 8-bit alpha block of ETC2 RGBA8 (a fast and a full search) and the
// 11-bit R11 / RG11 block (one exhaustive search). Output: 8 bytes, base, multiplier << 4 | table,
// then sixteen 3-bit indices, most significant bit first, pixels in column-major order.
// Planes: alpha 1 byte per pixel, 11-bit channels 1 u16 per pixel (signed data in offset form, value +
// 32768), rows of stride pixels; rows at or beyond height are not read.
#include "XQFTextureTypes.h"

namespace xqftexture::etc {

// Alpha: rows of the EAC alpha table (BuildEACAlphaTable), base + modifier clamped to 0..255. The fast
// search tries the rows near the block's spread with a coarse-to-fine base search, the full one every
// row. Both return the error their search found for the written base and row; the written indices
// are each pixel's nearest value, so the block's true error is at most that (the search looks only at
// the negative modifiers for a pixel at the base, where a positive one can be nearer).
i32 CompressEACAlphaBlockFast(const u8* alpha, i32 x0, i32 y0, i32 stride, u32 height, u8 out[8],
                               const i32* eacAlphaTable);
i32 CompressEACAlphaBlock(const u8* alpha, i32 x0, i32 y0, i32 stride, u32 height, u8 out[8],
                           const i32* eacAlphaTable);

// The 11-bit value table: entry ((base x 16 + table) x 16 + multiplier) x 8 + index is the 16-bit
// value DecodeEAC11Value gives (offset form when signed; base is then the stored byte + 128). The
// values fit 16 bits, so the table holds u16 (1 MiB).
inline constexpr u64 kEAC11TableEntries = 256 * 16 * 16 * 8;
void BuildEAC11Table(u8 isSigned, u16* table);
// The table of each signedness, built once per process on first use; nullptr when memory runs out.
const u16* SharedEAC11Table(u8 isSigned);

// Every (base, table, multiplier) in that order; the first with the least squared error wins. Then
// each pixel takes its nearest value.
void CompressEAC11Block(const u16* plane, i32 x0, i32 y0, i32 stride, u32 height, u8 out[8], u8 isSigned,
                        const u16* eac11Table);
// The block's squared error for one choice, each pixel taking its nearest of the 8 values (pixels
// row by row); bound + 2^30 once the running sum reaches bound.
double EAC11BlockError(const u16* plane, i32 x0, i32 y0, i32 stride, u32 height, u32 base, u32 table,
                       u32 multiplier, double bound, const u16* eac11Table);

} // namespace xqftexture::etc

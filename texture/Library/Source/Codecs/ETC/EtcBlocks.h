#pragma once
// Decoders of one ETC/EAC block into its 16 texels, in raster order (index 4 * y + x).
#include "BlockWalker.h"

namespace xqftexture::etc {

// Block words: the first and last four bytes of an 8-byte colour block, read big-endian.
inline u32 ReadBigEndian32(const u8* p) { return u32(p[0]) << 24 | u32(p[1]) << 16 | u32(p[2]) << 8 | u32(p[3]); }

// An ETC2 RGB block (ETC1 data never takes the T, H or planar branches, so this decodes ETC1 too).
// Alpha is 255.
void DecodeRGBBlock(u32 high, u32 low, Rgba8 out[16]);
// An ETC2 RGB block with punch-through alpha: high bit 1 is the opaque flag.
void DecodePunchThroughBlock(u32 high, u32 low, Rgba8 out[16]);
// An EAC alpha block (8 bytes).
void DecodeEACAlpha(const u8* block, u8 out[16]);
// An EAC 11-bit block (8 bytes): unsigned values extended to 16 bits, or signed values in two's
// complement.
void DecodeEAC11(const u8* block, bool isSigned, u16 out[16]);

// The modes on their own, from a block's words. transparentCapable: a punch-through block whose
// opaque flag is clear (index value 2 is transparent black; in the sub-block modes the small
// modifiers are dropped).
void DecodeSubBlocks(u32 high, u32 low, bool differential, bool transparentCapable, Rgba8 out[16]);
void DecodeT(u32 high, u32 low, bool transparentCapable, Rgba8 out[16]);
void DecodeH(u32 high, u32 low, bool transparentCapable, Rgba8 out[16]);
void DecodePlanar(u32 high, u32 low, Rgba8 out[16]);

// One value of an EAC 11-bit block, as the 16-bit output (signed: two's complement bits).
u16 EAC11Value(u8 base, u32 table, u32 multiplier, u32 index, bool isSigned);

} // namespace xqftexture::etc

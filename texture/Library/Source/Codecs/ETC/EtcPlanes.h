#pragma once
// The ETC/EAC block decoders in the form the encoders use: each writes one 4x4 block into planes
// whose row length is stride pixels, at block origin (x0, y0); RGB planes hold 3 bytes per pixel,
// alpha planes 1 byte, EAC planes one u16. T, H and planar blocks also come in the unpacked layouts
// that the encoders' searches produce, with the packers that turn those layouts into blocks.
#include "XQFTextureTypes.h"

namespace xqftexture::etc {

// Unpacked layouts:
//   59-bit T (u32 bits 26..0): R1 26..23, G1 22..19, B1 18..15, R2 14..11, G2 10..7, B2 6..3, distance 2..0.
//   58-bit H (u32 bits 25..0): R1 25..22, G1 21..18, B1 17..14, R2 13..10, G2 9..6, B2 5..2, distance bits 2:1.
//   57-bit planar (two u32): RO 31..26, GO 25..19, BO 18..13, RH 12..7, GH 6..0 | BH 31..26, RV 25..20,
//   GV 19..13, BV 12..7.
// The packers set the diff (opaque) bit and choose the bits that carry no data so that the decoder
// sees exactly the wanted overflow. Blocks are stored big-endian, high word first.
u32 PackTBlockHigh(u32 t59);
u32 PackHBlockHigh(u32 h58);
void PackPlanarBlock(u32 p57a, u32 p57b, u32& high, u32& low);
// The unpacked layouts of a block's high (and low) word.
u32 UnpackTLayout(u32 high);
u32 UnpackHLayout(u32 high);
void UnpackPlanarLayout(u32 high, u32 low, u32& p57a, u32& p57b);

void DecodeETC2RGBBlock(u32 high, u32 low, u8* rgb, i32 stride, i32 x0, i32 y0);
void DecodeETC1Block(u32 high, u32 low, u8* rgb, i32 stride, i32 x0, i32 y0); // individual or differential
void DecodeETC2TBlock(u32 t59, u32 low, u8* rgb, i32 stride, i32 x0, i32 y0);
void DecodeETC2HBlock(u32 h58, u32 low, u8* rgb, i32 stride, i32 x0, i32 y0);
void DecodeETC2PlanarBlock(u32 p57a, u32 p57b, u8* rgb, i32 stride, i32 x0, i32 y0);

void DecodeETC2PunchThroughBlock(u32 high, u32 low, u8* rgb, u8* alpha, u32 stride, u32 x0, u32 y0);
void DecodeETC2DifferentialAlphaBlock(u32 high, u32 low, u8* rgb, u8* alpha, u32 stride, u32 x0, u32 y0);
void DecodeETC2TAlphaBlock(u32 t59, u32 low, u8* rgb, u8* alpha, u32 stride, u32 x0, u32 y0);
void DecodeETC2HAlphaBlock(u32 h58, u32 low, u8* rgb, u8* alpha, u32 stride, u32 x0, u32 y0);

// EAC: rows at or beyond height are not written.
void DecodeEACAlphaBlock(const u8 block[8], u8* alpha, i32 stride, i32 height, i32 x0, i32 y0,
                         const i32* eacAlphaTable);
// 11-bit values in the decoder's offset form: unsigned values as they are, signed ones as 32768 +/-
// magnitude (the image decoder turns them into two's complement).
void DecodeEAC11Block(const u8 block[8], u16* plane, i32 stride, i32 height, i32 x0, i32 y0, u8 isSigned);
u16 DecodeEAC11Value(u32 base, i32 table, u32 multiplier, i32 index, u8 isSigned);
u16 DecodeEAC11SignedValue(u32 base, i32 table, i32 multiplier, i32 index);

// The four H-mode paint colours (R, G, B each) of colours = {R1, G1, B1, R2, G2, B2} (8-bit).
// Only pattern 0 exists: any other pattern is refused (false, paint untouched).
bool ComputeHPaintColours(u8 distanceIndex, u8 pattern, const u8 colours[6], u8 paint[12]);

// Row (multiplier << 4 | table) of the EAC alpha table: the eight modifiers times the multiplier.
void BuildEACAlphaTable(u8 isSigned, i32 table[256 * 8]);

// Low word of a block from a raster index word (pixel (x, y) at bits 31 - 2(4y + x) and below).
u32 RasterToETCIndices(u32 raster);

} // namespace xqftexture::etc

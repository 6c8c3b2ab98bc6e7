#pragma once
// Sizes and conversions of client pixel data for the texture state updates. Stateless.
#include <cstdint>

int GetTypeComponentSize(uint32_t type);
// Bytes per pixel of a format/type pair; 0 for a pair not known here.
int GetPixelSize(uint32_t format, uint32_t type);
// Bytes of an image with its border and rows rounded up to `alignment` (0 = no rounding).
// Computed in 64 bits; a format/type pair not known here, a negative extent or an oversized result
// (corrupt sizes) gives -1: unknown, never 0.
int64_t GetImageSize(uint32_t format, uint32_t type, int32_t width, int32_t height, int32_t alignment,
                     int32_t border);
// The size a texture level record keeps for an image upload: GetImageSize when the type is
// known (non-zero), 0 for a type of 0 and for sizes no device could hold.
uint32_t TexImageLevelSize(uint32_t format, uint32_t type, int32_t width, int32_t height, int32_t alignment,
                           int32_t border);
bool IsValidTypeFormat(uint32_t type, uint32_t format);
bool ConvertPixel(uint32_t srcType, uint32_t srcFormat, const uint8_t* src, uint32_t dstType, uint32_t dstFormat,
                  uint8_t* dst);
bool ConvertImage(int32_t width, int32_t height, int32_t border, uint32_t srcType, uint32_t srcFormat,
                  int32_t srcAlignment, const uint8_t* src, uint32_t dstType, uint32_t dstFormat,
                  int32_t dstAlignment, uint8_t* dst);
int GetMaterialParamCount(uint32_t pname);

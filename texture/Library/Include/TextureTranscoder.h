#pragma once
// Transcoding whole textures between pixel formats, and the display entry the views use.
#include "PixelAccessor.h"
#include "Texture.h"

#include <vector>

namespace xqftexture {

// Converts the texture in place (all levels, surfaces and faces) to target / channelType /
// colourSpace, decoding a compressed source first and encoding a compressed target last. Returns
// false, leaving the texture unchanged, when the texture has no data, the target is "no format",
// a format cannot be read or written, a level has no decoder or encoder, a codec refuses its data,
// or memory runs out. Never throws.
bool ConvertTexturePixels(CTexture& texture, PixelFormat target, u32 channelType, u32 colourSpace, u32 quality,
                          bool dither);

// Replaces a compressed texture by its decoded form. Returns the sum of the decoders' results, or 0
// when any level has no decoder or is refused (the texture is then unchanged).
u64 DecompressTexture(CTexture& texture);

// Replaces an uncompressed texture (in the decoded format of target) by its encoding. Returns the
// bytes written; formats without an encoder yet write nothing and return 0.
u64 CompressTexture(CTexture& texture, PixelFormat target, u32 quality);

// The uncompressed format a compressed id decodes to, or that its encoder takes.
void GetDecompressedFormat(const PixelFormat& id, const u32& channelType, PixelFormat& outFormat,
                           u32& outChannelType);

// Converts every pixel of src into dst (same dimensions) through the two accessors.
// Returns dst bytes per pixel times the pixels converted; 0 when the accessors cannot convert.
u64 ConvertPixels(const CTexture& src, CTexture& dst, CPixelAccessor& srcAccessor, CPixelAccessor& dstAccessor,
                  u32 dstColourSpace, u32 srcColourSpace);

// Fast channel copy between the three standard RGBA formats.
bool CopyTextureChannels(CTexture& dst, const CTexture& src, u32 count, const u32* dstCodes, const u32* srcCodes);

// Error-diffusion quantisation of one RGBA 8888 level to the channel widths of target.
void DitherToChannelWidths(u8* rgba8888, PixelFormat target, u32 width, u32 height, u32 depth);

// The display entry: level 0 (surface 0, face 0) of a texture described by header, whose recorded
// bytes are data[0..dataSize), decoded to 'r','g','b' 8,8,8 rows of width pixels (width x height x 3
// bytes in rgbOut). Returns false, with rgbOut cleared, when the format is unknown or has no
// decoder, the dimensions are 0 or too large, or dataSize is shorter than the level needs: the view
// then shows black.
bool TranscodeToRGB8(const CTextureHeader& header, const void* data, u64 dataSize, std::vector<u8>& rgbOut);

// The same for a GL upload: header from (internalFormat, type) with the given width and height.
bool TranscodeGLImageToRGB8(u32 internalFormat, u32 format, u32 type, u32 width, u32 height, const void* data,
                            u64 dataSize, std::vector<u8>& rgbOut);

} // namespace xqftexture

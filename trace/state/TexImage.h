#pragma once
// One image of a tracked texture (an ES 1.1 mip level, an ES 2.0 level of a 2D texture or of one
// cube face), and the record a glTexImage2D or glCompressedTexImage2D call makes of it.
#include <algorithm>
#include <cstdint>

#include "state/PixelSize.h"
#include "state/SharedBytes.h"
#include "state/UnpackRows.h"
#include "values/GlTokens.h"

inline constexpr uint8_t kMipmapsGenerated = 1, kMipmapsStale = 2;

struct STexImage
{
    uint32_t target = 0;            // ES 2.0: as passed, GL_TEXTURE_2D or a cube face target
    uint32_t normalizedTarget = 0;  // ES 2.0: cube faces become GL_TEXTURE_CUBE_MAP
    uint32_t texture = 0;
    int32_t level = 0;
    SharedBytes data;  // null, or valid for `capturedSize` bytes
    uint32_t format = 0;
    uint32_t internalFormat = 0;
    int32_t width = 0;
    int32_t height = 0;
    uint32_t type = 0;
    int32_t unpackAlignment = 0;
    int32_t border = 0;
    uint32_t size = 0;  // from the call's arguments (0 when no device could hold it)
    // Bytes held in data (<= size): what the call captured, extended by sub-image updates (the
    // part they skip reads as zero). Readers never go past it.
    uint32_t capturedSize = 0;
    uint8_t compressed = 0;  // sub-image updates are refused
    // Sampling parameters of the texture (GL defaults), kept on its level 0 (ES 1.1) or on each
    // image (ES 2.0); an image specified again keeps them.
    uint32_t minFilter = gltoken::NEAREST_MIPMAP_LINEAR;
    uint32_t magFilter = gltoken::LINEAR;
    uint32_t wrapS = gltoken::REPEAT;
    uint32_t wrapT = gltoken::REPEAT;
    uint32_t generateMipmap = 0;  // ES 1.1: GL_GENERATE_MIPMAP
    // The GPU wrote this image since it was last specified with pixels (drawn or cleared
    // through a framebuffer attachment, copied into): its pixels are not in the trace.
    uint8_t gpuMade = 0;
    // Level 0: kMipmapsGenerated when glGenerateMipmap (glGenerateMipmapOES on ES 1.1) ran after
    // this image was specified, so the other levels hold what it made from this one; kMipmapsStale
    // when a sub-image update changed this image since, so the other levels hold what it made from
    // the image before (the trace holds neither).
    uint8_t mipmapsGenerated = 0;
};

// Whether the GPU made pixels of this image or of the levels it generated that no upload in the
// trace holds: a restore cannot send them.
inline bool HoldsGpuMadePixels(const STexImage& image)
{
    return image.gpuMade || image.mipmapsGenerated == kMipmapsStale;
}

// A sub-image update of a base level whose other levels were generated from it: they now hold what
// the image was before.
inline void MarkGeneratedLevelsStale(STexImage& image)
{
    if (image.level == 0 && image.mipmapsGenerated)
        image.mipmapsGenerated = kMipmapsStale;
}

// The arguments both uploads record alike (ES 1.1 and ES 2.0 rows name their items alike), with the
// call's captured pixels shared; `size` must be set first. Texture and target are the caller's.
template <class Call, class Pixels>
void FillTexImage(STexImage& image, const Call& c, const Pixels& pixels)
{
    image.level = c.template Item<"level">().Value();
    image.internalFormat = uint32_t(c.template Item<"internalformat">().Value());
    image.width = c.template Item<"width">().Value();
    image.height = c.template Item<"height">().Value();
    image.border = c.template Item<"border">().Value();
    image.data = ShareCaptured(pixels.GetData(), pixels.size, image.size, image.capturedSize);
}

// A glTexImage2D record's image: its size computed from format, type, size and unpack alignment
// (negative or huge recorded sizes: no device could hold such an image, the size is 0). Rows the
// state's row length and skips lay apart are held packed, in a copy; those the capture does not
// hold whole are missing, as the rows past a short capture are.
template <class Call, class State>
STexImage TexImageOf(const Call& c, const State& s)
{
    STexImage image;
    image.format = c.template Item<"format">().Value();
    image.type = c.template Item<"type">().Value();
    image.unpackAlignment = c.template Item<"alignment">().Value();
    const int32_t width = c.template Item<"width">().Value(), height = c.template Item<"height">().Value();
    image.size = TexImageLevelSize(image.format, image.type, width, height, image.unpackAlignment,
                                   c.template Item<"border">().Value());
    const auto& pixels = c.template Item<"pixels">().data;
    FillTexImage(image, c, pixels);
    const SUnpackRows rows = UnpackRowsOf(s, image.unpackAlignment);
    if (image.data && !rows.Packed(width)) {
        uint64_t held = 0;
        image.data = PackedRows(image.format, image.type, width, height, rows, pixels.GetData(), pixels.size, held);
        image.capturedSize = uint32_t(std::min<uint64_t>(held, image.size));
        if (image.capturedSize == 0)
            image.data = nullptr;
    }
    return image;
}

// A glCopyTexImage2D record's image: the call's size, its internal format as format and unsigned
// bytes as type, marked as made on the GPU (its pixels come from the framebuffer).
template <class Call>
STexImage CopiedTexImageOf(const Call& c, int32_t unpackAlignment)
{
    STexImage image;
    image.level = c.template Item<"level">().Value();
    image.internalFormat = uint32_t(c.template Item<"internalformat">().Value());
    image.format = image.internalFormat;
    image.type = gltoken::UNSIGNED_BYTE;
    image.width = c.template Item<"width">().Value();
    image.height = c.template Item<"height">().Value();
    image.border = c.template Item<"border">().Value();
    image.unpackAlignment = unpackAlignment;
    image.gpuMade = 1;
    return image;
}

// A glCompressedTexImage2D record's image (`pixels`: the item holding its data): the declared size,
// the internal format as its format.
template <class Call, class Pixels>
STexImage CompressedTexImageOf(const Call& c, const Pixels& pixels)
{
    STexImage image;
    const int32_t imageSize = c.template Item<"imageSize">().Value();
    image.size = imageSize > 0 ? uint32_t(imageSize) : 0;
    image.compressed = 1;
    FillTexImage(image, c, pixels);
    image.format = image.internalFormat;
    return image;
}

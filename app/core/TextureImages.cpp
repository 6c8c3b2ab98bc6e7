#include "TextureImages.h"

#include <algorithm>
#include <cstring>

#include "Es1Records.h"
#include "Es2Records.h"
#include "TextureHeader.h"
#include "TextureTranscoder.h"
#include "apicall/ApiCall.h"
#include "data/TraceData.h"
#include "stream/FileMapping.h"
#include "values/DataHolders.h"

namespace {

enum : uint32_t {
    kGlAlpha = 0x1906,
    kXqftc4bppRgb = 0x8C00, kXqftc2bppRgb = 0x8C01, kXqftc4bppRgba = 0x8C02, kXqftc2bppRgba = 0x8C03,
    kEtc1 = 0x8D64,
};

struct SUpload
{
    STextureRecord record;
    uint32_t format = 0;
    bool compressed = false;
    const uint8_t* data = nullptr;
    uint64_t size = 0;
};

void TakeImage(const SImage2D& image, SUpload& u)
{
    u.data = image.GetData();
    u.size = u.data ? image.size : 0;
}

template <class Call>
void ReadLevel(const Call& c, STextureRecord& r)
{
    r.target = c.template Item<"target">().Value();
    r.level = c.template Item<"level">().Value();
    r.internalFormat = uint32_t(c.template Item<"internalformat">().Value());
    r.width = c.template Item<"width">().Value();
    r.height = c.template Item<"height">().Value();
    r.border = c.template Item<"border">().Value();
}

template <class Call>
void ReadImage(const Call& c, SUpload& u)
{
    ReadLevel(c, u.record);
    u.format = c.template Item<"format">().Value();
    u.record.type = c.template Item<"type">().Value();
    u.record.unpackAlignment = c.template Item<"alignment">().Value();
    TakeImage(c.template Item<"pixels">().data, u);
}

template <class Call>
void ReadCompressed(const Call& c, const SImage2D& pixels, SUpload& u)
{
    ReadLevel(c, u.record);
    u.compressed = true;
    TakeImage(pixels, u);
}

// The upload's arguments, through the items of its record; false for a call of no upload record.
bool ReadUpload(CApiCall& call, SUpload& u)
{
    if (const auto* c = dynamic_cast<const xqft_es2::CEs2_glTexImage2D_v1*>(&call))
        return ReadImage(*c, u), true;
    if (const auto* c = dynamic_cast<const xqft_es1::CEs1_glTexImage2D_v1*>(&call))
        return ReadImage(*c, u), true;
    if (const auto* c = dynamic_cast<const xqft_es2::CEs2_glCompressedTexImage2D_v1*>(&call))
        return ReadCompressed(*c, c->Item<"pixels">().data, u), true;
    if (const auto* c = dynamic_cast<const xqft_es1::CEs1_glCompressedTexImage2D_v1*>(&call))
        return ReadCompressed(*c, c->Item<"data">().data, u), true;
    return false;
}

uint32_t RoundUp4(uint32_t v) { return (v + 3) & ~3u; }

// The block-compressed formats decode whole blocks of a minimum size: the padded size the
// decoder works on, cropped back afterwards.
void PaddedSize(uint32_t internalFormat, uint32_t& w, uint32_t& h)
{
    switch (internalFormat) {
    case kXqftc4bppRgb:
    case kXqftc4bppRgba:
        w = std::max(8u, RoundUp4(w));
        h = std::max(8u, RoundUp4(h));
        break;
    case kXqftc2bppRgb:
    case kXqftc2bppRgba:
        w = std::max(16u, RoundUp4(w));
        h = std::max(8u, RoundUp4(h));
        break;
    case kEtc1:
        w = RoundUp4(w);
        h = RoundUp4(h);
        break;
    default:
        break;
    }
}

bool Holdable(int64_t w, int64_t h)
{
    return w >= 0 && h >= 0 && w <= kMaxTextureSide && h <= kMaxTextureSide &&
           uint64_t(w) * uint64_t(h) * 3 <= kMaxTextureRgbBytes;
}

} // namespace

void BuildTextureImage(const STextureRecord& r, uint32_t format, bool compressed, const uint8_t* data, uint64_t size,
                       STextureImage& image)
{
    image = STextureImage();
    if (!Holdable(r.width, r.height))
        return;
    image.kind = STextureImage::kBlack;
    image.width = uint32_t(r.width);
    image.height = uint32_t(r.height);
    if (!data || size == 0 || r.width == 0 || r.height == 0 || r.border < 0)
        return;
    const int64_t bordered = 2 * int64_t(r.border);
    if (!Holdable(r.width + bordered, r.height + bordered))
        return;
    const uint32_t w = uint32_t(r.width + bordered), h = uint32_t(r.height + bordered);
    uint32_t pw = w, ph = h;
    PaddedSize(r.internalFormat, pw, ph);

    xqftexture::CTextureHeader header;
    if (!header.SetFormatFromGL(r.internalFormat, format, compressed ? 0 : r.type))
        return;
    // Alpha-only images show their alpha as grey levels: one luminance channel of the same width.
    if (!compressed && r.internalFormat == kGlAlpha) {
        const xqftexture::PixelFormat alpha = header.GetPixelFormat();
        header.SetPixelFormat(xqftexture::PixelFormat('l', 0, 0, 0, alpha.ChannelWidth(0), 0, 0, 0));
    }
    header.SetWidth(pw);
    header.SetHeight(ph);
    if (header.GetDataSize() == 0)
        return;

    // Recorded rows start at multiples of the unpack alignment: repack them when they are padded,
    // and only when the recorded bytes reach the last row's end.
    const uint8_t* pixels = data;
    uint64_t pixelBytes = size;
    std::vector<uint8_t> packed;
    const uint32_t bits = header.GetBitsPerPixel();
    if (!header.GetPixelFormat().IsCompressed() && bits % 8 == 0) {
        const uint64_t row = uint64_t(bits / 8) * w;
        const uint64_t alignment = r.unpackAlignment > 0 ? uint64_t(r.unpackAlignment) : 1;
        const uint64_t stride = (row + alignment - 1) / alignment * alignment;
        if (stride != row) {
            if (size < stride * (h - 1) + row)
                return;
            packed.resize(row * h);
            for (uint32_t y = 0; y < h; ++y)
                std::memcpy(packed.data() + row * y, data + stride * y, row);
            pixels = packed.data();
            pixelBytes = packed.size();
        }
    }

    std::vector<uint8_t> rgb;
    if (!xqftexture::TranscodeToRGB8(header, pixels, pixelBytes, rgb) || rgb.size() < uint64_t(pw) * ph * 3)
        return;
    if (pw != w || ph != h) {
        // Keep the first w pixels of the first h rows.
        for (uint32_t y = 0; y < h; ++y)
            std::memmove(rgb.data() + uint64_t(w) * 3 * y, rgb.data() + uint64_t(pw) * 3 * y, uint64_t(w) * 3);
        rgb.resize(uint64_t(w) * h * 3);
        rgb.shrink_to_fit();
    }
    image.kind = STextureImage::kDecoded;
    image.width = w;
    image.height = h;
    image.rgb = std::move(rgb);
}

bool ExtractTexture(CTraceData& trace, const STextureUpload& upload, STextureRecord& record, STextureImage& image)
{
    STraceCall* entry = trace.GetCall(upload.callNumber);
    if (!entry || !entry->call)
        return false;
    SUpload u;
    if (!ReadUpload(*entry->call, u))
        return false;
    record = u.record;
    record.textureName = upload.textureName;
    record.callNumber = upload.callNumber;
    // The bytes may lie in the trace file's mapping: asked before (a file already cut or
    // rewritten) and after the decode (one cut meanwhile read as zeros).
    const bool before = CapturedBytesIntact(u.data);
    if (before)
        BuildTextureImage(record, u.format, u.compressed, u.data, u.size, image);
    if (!before || !CapturedBytesIntact(u.data)) {
        image = STextureImage();
        image.kind = STextureImage::kUnavailable;
    }
    return true;
}

void ExtractTextures(CTraceData& trace, const std::vector<STextureUpload>& uploads,
                     const std::function<void(const STextureRecord&, STextureImage&)>& made,
                     const std::function<void(uint32_t, uint32_t)>& progress)
{
    const uint32_t n = uint32_t(uploads.size());
    STextureRecord record;
    STextureImage image;
    for (uint32_t i = 0; i < n; ++i) {
        if (progress)
            progress(i + 1, n);
        if (ExtractTexture(trace, uploads[i], record, image))
            made(record, image);
    }
}

#include "TextureImages.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <map>
#include <set>
#include <tuple>

#include "CallQueries.h"
#include "CallValues.h"
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
    uint64_t pointer = 0;  // as the application passed it, in both data modes
};

void TakeImage(const SImage2D& image, SUpload& u)
{
    u.pointer = image.pointer.value;
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
    if (const auto* c = dynamic_cast<const xqft::es2::CEs2_glTexImage2D_v1*>(&call))
        return ReadImage(*c, u), true;
    if (const auto* c = dynamic_cast<const xqft::es1::CEs1_glTexImage2D_v1*>(&call))
        return ReadImage(*c, u), true;
    if (const auto* c = dynamic_cast<const xqft::es2::CEs2_glCompressedTexImage2D_v1*>(&call))
        return ReadCompressed(*c, c->Item<"pixels">().data, u), true;
    if (const auto* c = dynamic_cast<const xqft::es1::CEs1_glCompressedTexImage2D_v1*>(&call))
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

enum : uint32_t {
    kGlTexture0 = 0x84C0, kGlTexture2D = 0x0DE1, kGlTextureCubeMap = 0x8513, kCubePositiveX = 0x8515,
    kCubeNegativeZ = 0x851A,
};

// A texture level as the tracked states hold it: API, texture name, mip level, cube face.
struct SLevelKey
{
    bool es1 = false;
    uint32_t texture = 0;
    uint32_t level = 0;
    uint32_t face = 0;
    auto operator<=>(const SLevelKey&) const = default;
};

// The level an upload or sub-image call addresses through the bindings of the states just before
// it (the call does not change them); false for a call of neither API or outside the units.
bool LevelOfCall(CApiCall& call, const SEs1State& es1, const SEs2State& es2, SLevelKey& key)
{
    const CCallValues values(&call);
    uint32_t target = 0, level = 0;
    if (!values.Value("target", &target) || !values.Value("level", &level) || int32_t(level) < 0)
        return false;
    key.level = level;
    const uint8_t kind = call.GetApiKind();
    if (IsEs1StateKind(kind)) {
        const uint32_t unit = es1.activeTexture - kGlTexture0;
        if (unit >= uint32_t(kEs1Units))
            return false;
        key.es1 = true;
        key.texture = es1.texture2DBinding[unit];
        return true;
    }
    if (!IsEs2StateKind(kind))
        return false;
    const uint32_t unit = es2.activeTexture - kGlTexture0;
    if (unit >= std::size(es2.texture2DBinding))
        return false;
    if (target == kGlTexture2D) {
        key.texture = es2.texture2DBinding[unit];
    } else if (target >= kCubePositiveX && target <= kCubeNegativeZ) {
        key.texture = es2.textureCubeBinding[unit];
        key.face = target - kCubePositiveX;
    } else {
        return false;
    }
    return true;
}

// Level 0 of the texture bound on the active unit to the call's "target" (GL_TEXTURE_2D, or on ES 2.0
// the first face of GL_TEXTURE_CUBE_MAP); false for a call without a texture target.
bool BoundLevelOfTarget(CApiCall& call, const SEs1State& es1, const SEs2State& es2, SLevelKey& key)
{
    uint32_t target = 0;
    if (!CCallValues(&call).Value("target", &target))
        return false;
    const uint8_t kind = call.GetApiKind();
    if (IsEs1StateKind(kind)) {
        const uint32_t unit = es1.activeTexture - kGlTexture0;
        if (target != kGlTexture2D || unit >= uint32_t(kEs1Units))
            return false;
        key.es1 = true;
        key.texture = es1.texture2DBinding[unit];
        return true;
    }
    const uint32_t unit = es2.activeTexture - kGlTexture0;
    if (!IsEs2StateKind(kind) || unit >= std::size(es2.texture2DBinding))
        return false;
    if (target == kGlTexture2D)
        key.texture = es2.texture2DBinding[unit];
    else if (target == kGlTextureCubeMap)
        key.texture = es2.textureCubeBinding[unit];
    else
        return false;
    return true;
}

// The level's record in the states; null when the states hold none.
template <class Level>
const Level* FindLevel(const CObjectTable<CObjectTable<Level>>& textures, const SLevelKey& key)
{
    const auto* levels = textures.Get(key.texture);
    return levels ? levels->Get(key.level) : nullptr;
}
const STexImage* FindLevel(const SEs1State& es1, const SLevelKey& key)
{
    return FindLevel(es1.textures, key);
}
const STexImage* FindLevel(const SEs2State& es2, const SLevelKey& key)
{
    const auto* levels = es2.textures.Get(key.texture);
    const auto* faces = levels ? levels->Get(key.level) : nullptr;
    return faces ? faces->Get(key.face) : nullptr;
}

// The image a tracked level holds: the bytes it was made with, with the sub-image updates written
// into them (inside what it holds, the part no update reached reads as zero). The rows past its
// held bytes are not in the trace: the image is partial there, as an upload's short data makes it.
// In a trace that carries data, a level holding no bytes was specified without pixels and nothing
// wrote it since (an update would have given it bytes).
template <class Level>
void BuildLevelImage(const Level& level, const STextureRecord& record, STextureImage& image, bool withData)
{
    const uint8_t* bytes = level.data.get();
    const uint64_t size = bytes ? level.capturedSize : 0;
    const bool before = CapturedBytesIntact(level.data.get());
    if (before)
        BuildTextureImage(record, level.format, level.compressed != 0, bytes, size, image);
    if (!before || !CapturedBytesIntact(level.data.get())) {
        image = STextureImage();
        image.kind = STextureImage::kUnavailable;
    } else if (level.gpuMade) {
        image.origin = STextureImage::kDrawnByGpu;
    } else if (!level.data && withData) {
        image.origin = STextureImage::kUploadedWithoutPixels;
    }
}

template <class Level>
void RecordOfLevel(const Level& level, const SLevelKey& key, STextureRecord& r)
{
    r.textureName = key.texture;
    r.level = int32_t(key.level);
    r.width = level.width;
    r.height = level.height;
    r.internalFormat = level.internalFormat;
    r.type = level.compressed ? 0 : level.type;
    r.unpackAlignment = level.unpackAlignment;
    r.border = level.border;
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
    image.bytesHeld = data ? size : 0;
    if (r.width == 0 || r.height == 0 || r.border < 0)
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
    image.bytesNeeded = header.GetDataSize();
    if (image.bytesNeeded == 0)
        return;

    // Recorded rows start at multiples of the unpack alignment: only the rows the recorded bytes
    // hold whole are decoded, repacked when they are padded.
    const uint8_t* pixels = data;
    uint64_t pixelBytes = size;
    uint32_t rows = h;
    std::vector<uint8_t> packed;
    const uint32_t bits = header.GetBitsPerPixel();
    if (!header.GetPixelFormat().IsCompressed() && bits % 8 == 0) {
        const uint64_t row = uint64_t(bits / 8) * w;
        const uint64_t alignment = r.unpackAlignment > 0 ? uint64_t(r.unpackAlignment) : 1;
        const uint64_t stride = (row + alignment - 1) / alignment * alignment;
        image.bytesNeeded = stride * (h - 1) + row;
        const uint64_t held = !data || size < row ? 0 : 1 + (size - row) / stride;
        rows = uint32_t(std::min<uint64_t>(h, held));
        if (rows == 0)
            return;
        if (stride != row) {
            packed.resize(row * rows);
            for (uint32_t y = 0; y < rows; ++y)
                std::memcpy(packed.data() + row * y, data + stride * y, row);
            pixels = packed.data();
            pixelBytes = packed.size();
        }
        ph = rows;
        header.SetHeight(ph);
    }
    if (!data || size == 0)
        return;

    std::vector<uint8_t> rgb;
    if (!xqftexture::TranscodeToRGB8(header, pixels, pixelBytes, rgb) || rgb.size() < uint64_t(pw) * ph * 3)
        return;
    const uint32_t kept = std::min(rows, h);
    if (pw != w || ph != kept) {
        // Keep the first w pixels of the first h rows.
        for (uint32_t y = 0; y < kept; ++y)
            std::memmove(rgb.data() + uint64_t(w) * 3 * y, rgb.data() + uint64_t(pw) * 3 * y, uint64_t(w) * 3);
        rgb.resize(uint64_t(w) * kept * 3);
        rgb.shrink_to_fit();
    }
    image.kind = kept < h ? STextureImage::kPartial : STextureImage::kDecoded;
    image.width = w;
    image.height = h;
    image.rows = kept;
    image.rgb = std::move(rgb);
}

namespace {

// The row length and skips of the states just before call `callNumber` (1-based), of its API.
SUnpackRows UnpackRowsAt(CTraceData& trace, uint32_t callNumber, bool es1, int32_t alignment)
{
    SUnpackRows rows{alignment};
    trace.WalkStates(callNumber - 1, callNumber - 1, [&](uint32_t, const SEs1State& s1, const SEs2State& s2) {
        rows = es1 ? UnpackRowsOf(s1, alignment) : UnpackRowsOf(s2, alignment);
    });
    return rows;
}

} // namespace

bool ExtractTexture(CTraceData& trace, const STextureUpload& upload, STextureRecord& record, STextureImage& image,
                    bool decode, const SUnpackRows* rows)
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
    if (!decode)
        return true;
    // The bytes may lie in the trace file's mapping: asked before (a file already cut or
    // rewritten) and after the decode (one cut meanwhile read as zeros).
    const bool before = CapturedBytesIntact(u.data);
    if (before) {
        // Rows laid apart are packed first, as the tracked images hold them.
        const SUnpackRows at = u.compressed || !u.data ? SUnpackRows{}
                               : rows ? *rows
                                      : UnpackRowsAt(trace, upload.callNumber, IsEs1StateKind(entry->call->GetApiKind()),
                                                     record.unpackAlignment);
        if (!at.Packed(record.width)) {
            uint64_t held = 0;
            const SharedBytes packed = PackedRows(u.format, record.type, record.width, record.height,
                                                  SUnpackRows{record.unpackAlignment, at.rowLength, at.skipRows,
                                                              at.skipPixels},
                                                  u.data, u.size, held);
            BuildTextureImage(record, u.format, u.compressed, packed.get(), held, image);
        } else {
            BuildTextureImage(record, u.format, u.compressed, u.data, u.size, image);
        }
    }
    if (!before || !CapturedBytesIntact(u.data)) {
        image = STextureImage();
        image.kind = STextureImage::kUnavailable;
    } else if (u.pointer == 0) {
        image.origin = STextureImage::kUploadedWithoutPixels;
    }
    return true;
}

namespace {

// The texture name each full upload went to, and the image of each upload that sub-image
// updates changed while it was in force (until its level was specified again, or the trace's
// end), by the upload's index in the list. Only the frames holding uploads are replayed.
struct SUploadEffects
{
    std::map<size_t, uint32_t> names;
    std::map<size_t, std::pair<STextureRecord, STextureImage>> updated;
    std::vector<SUnpackRows> rows;  // the row length and skips each upload was made under
    std::set<size_t> drawn;         // uploads whose level the GPU wrote while they were in force
};

SUploadEffects TrackUploads(CTraceData& trace, const std::vector<STextureUpload>& uploads)
{
    SUploadEffects effects;
    effects.rows.resize(uploads.size());
    std::map<SLevelKey, size_t> inForce;  // level -> the upload in force there
    std::map<SLevelKey, size_t> touched;  // the same, for uploads a sub-image update changed since
    const bool withData = trace.IsRecordedWithData() == 1;
    // The upload in force at the level, drawn into by the GPU since it was made (the mark goes
    // when the level is specified again).
    auto noteDrawn = [&](const SLevelKey& key, const SEs1State& es1, const SEs2State& es2) {
        const auto f = inForce.find(key);
        const STexImage* level = f == inForce.end() ? nullptr : key.es1 ? FindLevel(es1, key) : FindLevel(es2, key);
        if (level && level->gpuMade)
            effects.drawn.insert(f->second);
    };
    // The key by value: the last call below passes the key of the map entry this erases.
    auto finish = [&](const SLevelKey key, const SEs1State& es1, const SEs2State& es2) {
        const auto t = touched.find(key);
        if (t == touched.end())
            return;
        const size_t index = t->second;
        touched.erase(t);
        STraceCall* entry = trace.GetCall(uploads[index].callNumber);
        STextureRecord record;
        STextureImage unused;
        if (!entry || !entry->call || !ExtractTexture(trace, uploads[index], record, unused, false))
            return;
        record.textureName = key.texture;
        auto& out = effects.updated[index];
        out.first = record;
        if (key.es1) {
            if (const STexImage* level = FindLevel(es1, key))
                BuildLevelImage(*level, record, out.second, withData);
        } else if (const STexImage* level = FindLevel(es2, key)) {
            BuildLevelImage(*level, record, out.second, withData);
        }
    };

    size_t next = 0;
    while (next < uploads.size()) {
        // A run of uploads in one frame or in frames that follow each other, replayed in one walk
        // from the first one's frame start; a frame without uploads ends the run, and the next run
        // starts from its own frame's snapshot rather than replaying the frames between.
        STraceCall* first = trace.GetCall(uploads[next].callNumber);
        if (!first) {
            ++next;
            continue;
        }
        uint32_t frame = first->frame;
        size_t last = next;
        while (last + 1 < uploads.size()) {
            STraceCall* c = trace.GetCall(uploads[last + 1].callNumber);
            if (!c || c->frame > frame + 1)
                break;
            frame = c->frame;
            ++last;
        }
        size_t at = next;
        trace.WalkStates(uploads[next].callNumber - 1, uploads[last].callNumber,
                         [&](uint32_t index, const SEs1State& es1, const SEs2State& es2) {
                             while (at <= last && uploads[at].callNumber - 1 < index)
                                 ++at;
                             if (at > last || uploads[at].callNumber - 1 != index)
                                 return;
                             CApiCall* call = trace.GetCall(index + 1)->call.get();
                             if (call)
                                 effects.rows[at] = IsEs1StateKind(call->GetApiKind()) ? UnpackRowsOf(es1, 0)
                                                                                       : UnpackRowsOf(es2, 0);
                             SLevelKey key;
                             if (!call || !LevelOfCall(*call, es1, es2, key))
                                 return;
                             if (IsImageUpload(call->GetCallId())) {
                                 finish(key, es1, es2);  // its last image, before this one replaces it
                                 noteDrawn(key, es1, es2);
                                 inForce[key] = at;
                                 effects.names[at] = key.texture;
                             } else if (const auto f = inForce.find(key); f != inForce.end()) {
                                 touched[key] = f->second;
                             }
                         });
        next = last + 1;
    }
    // What is left changed until the trace's end: the running states hold it.
    const SEs1State& es1 = trace.RunningEs1State();
    const SEs2State& es2 = trace.RunningEs2State();
    for (const auto& [key, index] : inForce)
        noteDrawn(key, es1, es2);
    while (!touched.empty())
        finish(touched.begin()->first, es1, es2);
    return effects;
}

} // namespace

void ExtractTextures(CTraceData& trace, const std::vector<STextureUpload>& uploads,
                     const std::function<void(const STextureRecord&, STextureImage&)>& made,
                     const std::function<void(uint32_t, uint32_t)>& progress)
{
    SUploadEffects effects = TrackUploads(trace, uploads);
    const uint32_t n = uint32_t(uploads.size());
    STextureRecord record;
    STextureImage image;
    for (uint32_t i = 0; i < n; ++i) {
        if (progress)
            progress(i + 1, n);
        if (const auto u = effects.updated.find(i); u != effects.updated.end()) {
            made(u->second.first, u->second.second);
            effects.updated.erase(u);
            continue;
        }
        if (!ExtractTexture(trace, uploads[i], record, image, true, &effects.rows[i]))
            continue;
        if (const auto name = effects.names.find(i); name != effects.names.end())
            record.textureName = name->second;
        if (effects.drawn.count(i) && image.kind != STextureImage::kUnavailable)
            image.origin = STextureImage::kDrawnByGpu;
        made(record, image);
    }
}

bool TextureAtCall(CTraceData& trace, uint32_t callNumber, STextureRecord& record, STextureImage& image)
{
    STraceCall* entry = trace.GetCall(callNumber);
    if (!entry || !entry->call)
        return false;
    CApiCall& call = *entry->call;
    const uint16_t id = call.GetCallId();
    SLevelKey key;
    bool found = false;
    bool done = false;
    const bool withData = trace.IsRecordedWithData() == 1;
    trace.WalkStates(callNumber - 1, callNumber, [&](uint32_t index, const SEs1State& es1, const SEs2State& es2) {
        if (index == callNumber - 1) {
            // The level the call addresses, through the bindings before it; a bind names the
            // texture whose level 0 it makes current.
            if (IsTextureUpload(id) || CopiesImage(id) || CopiesSubImage(id)) {
                found = LevelOfCall(call, es1, es2, key);
            } else if (IsTextureBind(id)) {
                found = CCallValues(&call).Value("texture", &key.texture);
                key.es1 = IsEs1StateKind(call.GetApiKind());
                found = found && (key.es1 || IsEs2StateKind(call.GetApiKind()));
            } else {
                found = BoundLevelOfTarget(call, es1, es2, key);
            }
            return;
        }
        // The states just after the call.
        if (!found)
            return;
        record = STextureRecord();
        record.callNumber = callNumber;
        // A bound texture whose level was never specified holds no image: nothing to show (not an
        // image of 0x0 in no format).
        auto specified = [](const STexImage* level) {
            return level && (level->internalFormat != 0 || level->width != 0 || level->height != 0);
        };
        if (key.es1) {
            if (const STexImage* level = FindLevel(es1, key); specified(level)) {
                RecordOfLevel(*level, key, record);
                record.target = kGlTexture2D;
                BuildLevelImage(*level, record, image, withData);
                done = true;
            }
        } else if (const STexImage* level = FindLevel(es2, key); specified(level)) {
            RecordOfLevel(*level, key, record);
            record.target = level->target;
            BuildLevelImage(*level, record, image, withData);
            done = true;
        }
    });
    return done;
}

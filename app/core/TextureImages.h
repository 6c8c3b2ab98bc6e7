#pragma once
// The texture images of a loaded trace, without Qt: every full-image upload of the statistics'
// upload list becomes a record of its arguments and an 8-bit RGB image (decoded, black, or none),
// which the controller turns into thumbnails and `xqft-dump textures` writes as PPM files.
#include <cstdint>
#include <functional>
#include <vector>

#include "TraceStatistics.h"
#include "state/UnpackRows.h"

class CTraceData;

struct STextureRecord
{
    uint32_t textureName = 0;     // bound when the upload was made
    uint32_t target = 0;
    int32_t width = 0;
    int32_t height = 0;
    uint32_t internalFormat = 0;
    uint32_t type = 0;            // 0 for compressed uploads
    int32_t level = 0;
    int32_t unpackAlignment = 0;  // of the recorded rows (uncompressed uploads)
    int32_t border = 0;
    uint32_t callNumber = 0;      // 1-based position of the upload call in the trace
};

struct STextureImage
{
    enum EKind : uint8_t {
        kNone,     // no image: the upload's dimensions are impossible (negative, or too large to hold)
        kBlack,    // width x height of black: no data, a format without decoder, data too short
        kDecoded,  // rgb holds width x height x 3 bytes, rows as recorded
        kUnavailable,  // the recorded bytes are gone: the trace file was cut or changed since the load
        kPartial,  // the data holds only the first `rows` rows (fewer than height): rgb holds those
    };
    // Where the level's pixels came from when the trace holds none of them (or only older ones):
    // the GPU wrote it (drawn or cleared through a framebuffer, copied into), or it was specified
    // without pixels (a null pointer) and nothing wrote it since.
    enum EOrigin : uint8_t { kFromTrace, kDrawnByGpu, kUploadedWithoutPixels };
    EKind kind = kNone;
    EOrigin origin = kFromTrace;
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t rows = 0;  // rows in rgb: height when decoded, fewer when partial, 0 otherwise
    std::vector<uint8_t> rgb;
    // The bytes the image's rows take as recorded, and how many of them the data holds (0 and 0
    // when the upload's dimensions or format give no such figure).
    uint64_t bytesNeeded = 0;
    uint64_t bytesHeld = 0;
};

// Images larger than this per side, or of more RGB bytes, are not made (a failed upload of
// 65535 x 65535 stays in the trace and would ask for gigabytes).
inline constexpr uint32_t kMaxTextureSide = 32768;
inline constexpr uint64_t kMaxTextureRgbBytes = uint64_t(1) << 30;

// The record and image of one upload as the call made it; false when the call is missing or is
// not a full-image upload (sub-image uploads make no record). decode false: the record only. The
// rows are read where the row length and skips of the states before the call put them (`rows`,
// when the caller has them; else they are looked up).
bool ExtractTexture(CTraceData& trace, const STextureUpload& upload, STextureRecord& record, STextureImage& image,
                    bool decode = true, const SUnpackRows* rows = nullptr);

// The texture image in force just after call `callNumber` (1-based): for an upload, sub-image
// update or copy, the level it wrote; for a bind, level 0 of the texture it binds (the first face
// of a cube map); for another call naming a texture target (glTexParameter*, glGenerateMipmap),
// level 0 of the texture bound there on the active unit. The record describes that level as
// specified then; its call number is `callNumber`. False for any other call, or when the states
// hold no such level.
bool TextureAtCall(CTraceData& trace, uint32_t callNumber, STextureRecord& record, STextureImage& image);

// The image of an upload from its arguments and recorded bytes (data may be null, size 0).
// compressed: a glCompressedTexImage2D, whose format and type are not used. Only what the bytes
// hold is decoded: of an uncompressed image whose bytes end early, the rows they hold whole (a
// partial image); of a compressed one, nothing (black). Its memory is never more than three bytes
// a pixel of the rows held.
void BuildTextureImage(const STextureRecord& record, uint32_t format, bool compressed, const uint8_t* data,
                       uint64_t size, STextureImage& image);

// Every upload of the list in order: made(record, image) for each record (the image may be moved
// from), progress(i, n) before each entry. A record names the texture the upload went to (the
// binding of the unit active then, for its target), and its image is the one the upload's level
// held while the upload was in force: with the sub-image updates written into it until the level
// was specified again (or the trace ended), as the tracked states hold them.
void ExtractTextures(CTraceData& trace, const std::vector<STextureUpload>& uploads,
                     const std::function<void(const STextureRecord&, STextureImage&)>& made,
                     const std::function<void(uint32_t, uint32_t)>& progress = nullptr);

#pragma once
// Writes a sub-image update into a tracked texture image (STexImage, of either family). The region
// is clipped to the level, rows are addressed with the unpack alignment on both sides (the level
// was sized with its own), nothing is read past the update's bytes nor written past the level's
// size, and the source is converted when its format or type differs from the level's. Source rows
// a row length and skips lay apart are packed first (UnpackRows.h). The held
// bytes grow to the last row written, never to the whole level; the new bytes are a new block, so
// snapshots keep what they saw.
#include "state/PixelSize.h"
#include "state/SharedBytes.h"
#include "state/UnpackRows.h"

#include <algorithm>
#include <cstring>
#include <memory>

struct SSubImage
{
    const uint8_t* pixels = nullptr;
    uint64_t size = 0;  // bytes held at pixels
    int32_t xoffset = 0, yoffset = 0, width = 0, height = 0;
    uint32_t format = 0, type = 0;
    int32_t alignment = 0;
    int32_t rowLength = 0, skipRows = 0, skipPixels = 0;  // of the state the update was made in
};

// The update a glTexSubImage2D record holds (ES 1.1 and ES 2.0 rows name their items alike), made
// in state `s`.
template <class Call, class Pixels, class State>
SSubImage SubImageOf(const Call& c, const Pixels& pixels, const State& s)
{
    SSubImage sub;
    sub.pixels = pixels.GetData();
    sub.size = pixels.size;
    sub.xoffset = c.template Item<"xoffset">().Value();
    sub.yoffset = c.template Item<"yoffset">().Value();
    sub.width = c.template Item<"width">().Value();
    sub.height = c.template Item<"height">().Value();
    sub.format = c.template Item<"format">().Value();
    sub.type = c.template Item<"type">().Value();
    sub.alignment = c.template Item<"alignment">().Value();
    sub.rowLength = s.unpackRowLength;
    sub.skipRows = s.unpackSkipRows;
    sub.skipPixels = s.unpackSkipPixels;
    return sub;
}

// `level` is the level as it stands; `writable()` gives the same level for writing (asked for only
// when something is written). False when nothing was written.
template <class Level, class Writable>
bool WriteSubImage(const Level& level, const SSubImage& update, Writable&& writable)
{
    SSubImage sub = update;
    SharedBytes packed;
    if (const SUnpackRows rows{sub.alignment, sub.rowLength, sub.skipRows, sub.skipPixels}; !rows.Packed(sub.width)) {
        packed = PackedRows(sub.format, sub.type, sub.width, sub.height, rows, sub.pixels, sub.size, sub.size);
        sub.pixels = packed.get();
    }
    auto rowPitch = [](uint32_t format, uint32_t type, int32_t width, int32_t alignment) {
        return GetImageSize(format, type, width, 1, alignment, 0);
    };
    if (!sub.pixels || sub.size == 0 || level.compressed)
        return false;
    if (level.size == 0 || level.width <= 0 || level.height <= 0 || !level.format)
        return false;  // a level without size has nothing to write into
    if (sub.width <= 0 || sub.height <= 0)
        return false;

    // Source rows: the update's own, or converted into the level's format and type.
    const uint8_t* src = sub.pixels;
    uint64_t srcSize = sub.size;
    int64_t srcPitch = rowPitch(sub.format, sub.type, sub.width, sub.alignment);
    std::unique_ptr<uint8_t[]> converted;
    if (sub.format != level.format || sub.type != level.type) {
        const int64_t need = GetImageSize(sub.format, sub.type, sub.width, sub.height, sub.alignment, 0);
        const int64_t out = GetImageSize(level.format, level.type, sub.width, sub.height, level.unpackAlignment, 0);
        if (need <= 0 || out <= 0 || uint64_t(need) > sub.size)
            return false;
        converted.reset(new uint8_t[size_t(out)]);
        if (!ConvertImage(sub.width, sub.height, 0, sub.type, sub.format, sub.alignment, src, level.type, level.format,
                          level.unpackAlignment, converted.get()))
            return false;
        src = converted.get();
        srcSize = uint64_t(out);
        srcPitch = rowPitch(level.format, level.type, sub.width, level.unpackAlignment);
    }
    const int64_t pixel = GetPixelSize(level.format, level.type);
    const int64_t dstPitch = rowPitch(level.format, level.type, level.width, level.unpackAlignment);
    if (pixel <= 0 || srcPitch <= 0 || dstPitch <= 0)
        return false;

    // The rows inside the level that the source holds whole.
    const int64_t x0 = std::max<int64_t>(sub.xoffset, 0);
    const int64_t x1 = std::min<int64_t>(int64_t(sub.xoffset) + sub.width, level.width);
    const int64_t y0 = std::max<int64_t>(sub.yoffset, 0);
    const int64_t y1 = std::min<int64_t>(int64_t(sub.yoffset) + sub.height, level.height);
    const uint64_t n = x0 < x1 ? uint64_t((x1 - x0) * pixel) : 0;
    // A source row far into a huge update (a row pitch near 2^35 times a row near 2^31) does not
    // fit in 64 bits: such offsets lie past any captured bytes.
    auto from = [&](int64_t y) {
        const __int128 at = __int128(y - sub.yoffset) * srcPitch + __int128(x0 - sub.xoffset) * pixel;
        return at > __int128(srcSize) ? UINT64_MAX : uint64_t(at);
    };
    auto to = [&](int64_t y) { return uint64_t(y * dstPitch + x0 * pixel); };
    int64_t yEnd = y0;
    while (n > 0 && yEnd < y1 && n <= srcSize && from(yEnd) <= srcSize - n && to(yEnd) + n <= level.size)
        ++yEnd;
    if (yEnd == y0)
        return false;

    const uint32_t held = uint32_t(std::max<uint64_t>(level.capturedSize, to(yEnd - 1) + n));
    auto& target = writable();
    auto block = MutableCopy(target.data, target.data ? target.capturedSize : 0, held);
    for (int64_t y = y0; y < yEnd; ++y)
        std::memcpy(block.get() + to(y), src + from(y), n);
    target.data = std::move(block);
    target.capturedSize = held;
    return true;
}

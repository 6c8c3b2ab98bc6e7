#include "state/UnpackRows.h"

#include "state/PixelSize.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int64_t kLargestReach = int64_t(1) << 62;

struct SLayout
{
    int64_t pixel = 0;  // bytes
    int64_t pitch = 0;  // from one source row to the next
    __int128 first = 0; // offset of the first pixel read (below 2^70)
};

bool Layout(uint32_t format, uint32_t type, int32_t width, const SUnpackRows& rows, SLayout& l)
{
    l.pixel = GetPixelSize(format, type);
    if (l.pixel <= 0 || width < 0 || rows.rowLength < 0 || rows.skipRows < 0 || rows.skipPixels < 0)
        return false;
    l.pitch = GetImageSize(format, type, rows.rowLength > 0 ? rows.rowLength : width, 1, rows.alignment, 0);
    if (l.pitch < 0)
        return false;
    l.first = __int128(rows.skipRows) * l.pitch + __int128(rows.skipPixels) * l.pixel;
    return true;
}

} // namespace

int64_t UnpackReach(uint32_t format, uint32_t type, int32_t width, int32_t height, const SUnpackRows& rows)
{
    SLayout l;
    if (height < 0 || !Layout(format, type, width, rows, l))
        return -1;
    if (width == 0 || height == 0)
        return 0;
    const __int128 reach = l.first + __int128(height - 1) * l.pitch + __int128(width) * l.pixel;
    return reach > kLargestReach ? -1 : int64_t(reach);
}

SharedBytes PackedRows(uint32_t format, uint32_t type, int32_t width, int32_t height, const SUnpackRows& rows,
                       const uint8_t* src, uint64_t captured, uint64_t& held)
{
    held = 0;
    SLayout l;
    if (!src || width <= 0 || height <= 0 || !Layout(format, type, width, rows, l))
        return nullptr;
    const int64_t out = GetImageSize(format, type, width, 1, rows.alignment, 0);
    const __int128 row = __int128(width) * l.pixel;
    if (out <= 0 || l.first + row > __int128(captured))
        return nullptr;
    // Rows 0 .. n - 1 lie whole inside the capture (a pitch of 0 repeats the first).
    const __int128 more = l.pitch > 0 ? (__int128(captured) - l.first - row) / l.pitch : __int128(height);
    const uint64_t n = uint64_t(std::min<__int128>({more + 1, __int128(height), __int128(kMaxPackedRowBytes / out)}));
    if (n == 0)
        return nullptr;
    std::shared_ptr<uint8_t[]> block = AllocateBytes(size_t(n * uint64_t(out)));
    std::memset(block.get(), 0, size_t(n * uint64_t(out)));
    for (uint64_t y = 0; y < n; ++y)
        std::memcpy(block.get() + y * uint64_t(out), src + uint64_t(l.first + __int128(y) * l.pitch), size_t(row));
    held = n * uint64_t(out);
    return block;
}

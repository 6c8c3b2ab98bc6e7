#pragma once
// Where the rows of an uploaded image lie in the memory the application handed over: the unpack
// alignment, row length and skips of glPixelStorei (the row length and skips of EXT_unpack_subimage).
// A capture keeps the bytes from the pointer through the last byte the upload reads, so an image
// sent from wider rows, or from a corner of a larger one, holds its rows apart and after a gap. The
// tracked images hold their rows packed (each row at a multiple of the alignment): PackedRows turns
// the one into the other. Stateless.
#include "state/SharedBytes.h"

#include <cstdint>

inline constexpr uint32_t kUnpackRowLength = 0x0CF2, kUnpackSkipRows = 0x0CF3, kUnpackSkipPixels = 0x0CF4;

// A packed copy holds at most this many bytes: rows shorter than the image (a row length below its
// width) would otherwise make a few captured bytes into gigabytes.
inline constexpr uint64_t kMaxPackedRowBytes = uint64_t(256) << 20;

struct SUnpackRows
{
    int32_t alignment = 4;
    int32_t rowLength = 0;  // pixels from one row's start to the next; 0: the image's width
    int32_t skipRows = 0;
    int32_t skipPixels = 0;

    // Rows as a plain upload lays them: one after the other from the first byte.
    bool Packed(int32_t width) const
    {
        return (rowLength == 0 || rowLength == width) && skipRows == 0 && skipPixels == 0;
    }
};

// A glPixelStorei of the row length or a skip into a tracked state of either family (other names
// change nothing). GL refuses a negative value and keeps the one it had: so does the state.
template <class State>
void StoreUnpackRows(State& s, uint32_t pname, int32_t param)
{
    if (param < 0)
        return;
    if (pname == kUnpackRowLength)
        s.unpackRowLength = param;
    else if (pname == kUnpackSkipRows)
        s.unpackSkipRows = param;
    else if (pname == kUnpackSkipPixels)
        s.unpackSkipPixels = param;
}

// The same into a note of them (the alignment stays).
inline void StoreUnpackRows(SUnpackRows& rows, uint32_t pname, int32_t param)
{
    if (param < 0)
        return;
    if (pname == kUnpackRowLength)
        rows.rowLength = param;
    else if (pname == kUnpackSkipRows)
        rows.skipRows = param;
    else if (pname == kUnpackSkipPixels)
        rows.skipPixels = param;
}

// The rows of an upload made under the state's row length and skips, with the alignment it recorded.
template <class State>
SUnpackRows UnpackRowsOf(const State& s, int32_t alignment)
{
    return {alignment, s.unpackRowLength, s.unpackSkipRows, s.unpackSkipPixels};
}

// Bytes from the pointer through the last byte an upload of width x height reads: 0 for an empty
// image; -1 for a format and type not known here, a negative value, or a reach past 2^62 (no
// capture holds that many).
int64_t UnpackReach(uint32_t format, uint32_t type, int32_t width, int32_t height, const SUnpackRows& rows);

// The rows an upload reads from `src` (`captured` bytes there), copied into a new block packed under
// rows.alignment: those lying whole inside the captured bytes, from the first, within
// kMaxPackedRowBytes. `held` gets the block's size; none (null, 0) when it holds no row, or the
// format, type or a value is refused as by UnpackReach.
SharedBytes PackedRows(uint32_t format, uint32_t type, int32_t width, int32_t height, const SUnpackRows& rows,
                       const uint8_t* src, uint64_t captured, uint64_t& held);

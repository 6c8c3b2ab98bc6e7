// Rows of an upload laid apart by a row length and skips: how far the upload reads, and the packed
// copy the tracked images hold.
#include <gtest/gtest.h>

#include "state/UnpackRows.h"

#include <cstdint>
#include <vector>

namespace {
enum : uint32_t { kUByte = 0x1401, kRgb = 0x1907, kRgba = 0x1908, kLum = 0x1909 };
constexpr int32_t kMax = INT32_MAX;
}

TEST(UnpackRows, ReachFromTheFirstByteToTheLastOneRead)
{
    struct Case { uint32_t format; int32_t width, height; SUnpackRows rows; int64_t reach; };
    const Case cases[] = {
        {kRgba, 210, 210, {4, 250, 20, 20}, 229920},  // a compositor's damaged region
        {kRgba, 21, 21, {4, 160, 77, 13}, 62216},
        {kLum, 17, 11, {1, 50, 5, 3}, 5 * 50 + 3 + 10 * 50 + 17},
        {kRgba, 13, 9, {8, 21, 1, 2}, 88 + 8 + 8 * 88 + 52},  // rows of 84 bytes at a pitch of 88
        {kRgb, 5, 3, {4, 0, 0, 0}, 2 * 16 + 15},               // no row length: the width's rows
        {kRgba, 0, 9, {4, 21, 1, 2}, 0},
        {kRgba, 4, 4, {4, -1, 0, 0}, -1},                      // negative values
        {kRgba, 4, 4, {4, 0, -1, 0}, -1},
        {kRgba, 4, 4, {4, 0, 0, -1}, -1},
        {kRgba, 4, 4, {4, kMax, kMax, kMax}, -1},              // past 2^62: no capture holds it
        {kRgba, kMax, kMax, {8, kMax, 0, 0}, -1},
        {0x1234, 4, 4, {4, 8, 0, 0}, -1},                      // a format not known here
    };
    for (const Case& c : cases)
        EXPECT_EQ(UnpackReach(c.format, kUByte, c.width, c.height, c.rows), c.reach)
            << c.width << "x" << c.height << " length " << c.rows.rowLength << " skips " << c.rows.skipRows << ","
            << c.rows.skipPixels;
}

TEST(UnpackRows, PackedCopyHoldsTheRowsTheCaptureHoldsWhole)
{
    // A 3 x 2 luminance piece of rows 5 wide, one row and one pixel in, under alignment 1; then the
    // same under alignment 4 (rows 8 apart, packed ones of 3 bytes padded to 4).
    const std::vector<uint8_t> src = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19};
    const SUnpackRows rows{1, 5, 1, 1};
    uint64_t held = 0;
    SharedBytes packed = PackedRows(kLum, kUByte, 3, 2, rows, src.data(), 14, held);
    ASSERT_EQ(held, 6u);
    EXPECT_EQ(std::vector<uint8_t>(packed.get(), packed.get() + 6), (std::vector<uint8_t>{6, 7, 8, 11, 12, 13}));
    // One byte short of the second row: the first alone, as a short capture holds.
    packed = PackedRows(kLum, kUByte, 3, 2, rows, src.data(), 13, held);
    EXPECT_EQ(held, 3u);
    packed = PackedRows(kLum, kUByte, 3, 2, SUnpackRows{4, 5, 1, 1}, src.data(), src.size(), held);
    ASSERT_EQ(held, 8u);
    EXPECT_EQ(std::vector<uint8_t>(packed.get(), packed.get() + 3), (std::vector<uint8_t>{9, 10, 11}));
    EXPECT_EQ(std::vector<uint8_t>(packed.get() + 4, packed.get() + 7), (std::vector<uint8_t>{17, 18, 19}));
    // Skips past the capture, negative and huge values: nothing, never a read past the bytes.
    for (const SUnpackRows& refused : {SUnpackRows{4, 5, 4, 0}, SUnpackRows{4, -5, 0, 0}, SUnpackRows{4, 5, kMax, kMax},
                                       SUnpackRows{4, kMax, 1, 0}}) {
        packed = PackedRows(kLum, kUByte, 3, 2, refused, src.data(), src.size(), held);
        EXPECT_EQ(packed, nullptr);
        EXPECT_EQ(held, 0u);
    }
    // Rows shorter than the image, repeated: the copy stops at its bound.
    packed = PackedRows(kRgba, kUByte, 32768, 32768, SUnpackRows{4, 1, 0, 0}, std::vector<uint8_t>(1 << 18).data(),
                        1 << 18, held);
    EXPECT_EQ(held, kMaxPackedRowBytes);
}

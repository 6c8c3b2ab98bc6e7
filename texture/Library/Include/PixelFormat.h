#pragma once
// Pixel formats, channel types and colour spaces of the texture library.
//
// A PixelFormat is a 64-bit value. High 32 bits zero: the low 32 bits are an ECompressedFormat id
// (a block-compressed or packed format). High 32 bits non-zero: an uncompressed format, bytes 0-3
// the channel names in storage order, bytes 4-7 their bit widths (byte 4 belongs to byte 0).
#include "XQFTextureTypes.h"

namespace xqftexture {

// Ids of the compressed and packed formats; stored in headers, so the numbering is fixed.
enum ECompressedFormat : u32 {
    XQFTC_2bpp_RGB = 0,
    XQFTC_2bpp_RGBA = 1,
    XQFTC_4bpp_RGB = 2,
    XQFTC_4bpp_RGBA = 3,
    XQFTCII_2bpp = 4,
    XQFTCII_4bpp = 5,
    ETC1 = 6,
    DXT1 = 7,
    DXT2 = 8,
    DXT3 = 9,
    DXT4 = 10,
    DXT5 = 11,
    BC4 = 12,
    BC5 = 13,
    // 14 and 15 are reserved.
    UYVY = 16,
    YUY2 = 17,
    BW1bpp = 18,
    SharedExponentR9G9B9E5 = 19,
    RGBG8888 = 20,
    GRBG8888 = 21,
    ETC2_RGB = 22,
    ETC2_RGBA = 23,
    ETC2_RGB_A1 = 24,
    EAC_R11 = 25,
    EAC_RG11 = 26,
    NumCompressedFormats = 27, // "no format"; any id above behaves the same
};

// How the bits of each channel are read; stored in headers, so the numbering is fixed.
enum EChannelType : u32 {
    UnsignedByteNorm = 0,
    SignedByteNorm = 1,
    UnsignedByte = 2,
    SignedByte = 3,
    UnsignedShortNorm = 4,
    SignedShortNorm = 5,
    UnsignedShort = 6,
    SignedShort = 7,
    UnsignedIntegerNorm = 8,
    SignedIntegerNorm = 9,
    UnsignedInteger = 10,
    SignedInteger = 11,
    SignedFloat = 12,   // 32-bit float or 16-bit half float
    UnsignedFloat = 13, // small unsigned floats (10/11-bit, shared exponent)
    NumChannelTypes = 14,
};

enum EColourSpace : u32 { LinearRGB = 0, sRGB = 1 };

// Channel codes used by the converters and the pixel accessor.
enum EChannelCode : u32 {
    ChannelNone = 0,
    ChannelRed = 1,
    ChannelGreen = 2,
    ChannelBlue = 3,
    ChannelAlpha = 4,
    ChannelLuminance = 5,
    ChannelIntensity = 6,
    ChannelUnused = 7, // 'x': bits that carry no channel
};

class PixelFormat {
public:
    constexpr PixelFormat() = default;
    constexpr PixelFormat(u64 value) : m_value(value) {}
    constexpr PixelFormat(char c1, char c2, char c3, char c4, u8 b1, u8 b2, u8 b3, u8 b4)
        : m_value(u64(u8(c1)) | u64(u8(c2)) << 8 | u64(u8(c3)) << 16 | u64(u8(c4)) << 24 |
                  u64(b1) << 32 | u64(b2) << 40 | u64(b3) << 48 | u64(b4) << 56)
    {
    }

    constexpr u64 Value() const { return m_value; }
    constexpr bool IsCompressed() const { return (m_value >> 32) == 0; }
    // The compressed id; only meaningful when IsCompressed().
    constexpr u32 CompressedId() const { return u32(m_value); }
    // Name and width of channel position 0..3 of an uncompressed format.
    constexpr u8 ChannelName(u32 position) const { return u8(m_value >> (8 * (position & 3))); }
    constexpr u8 ChannelWidth(u32 position) const { return u8(m_value >> (32 + 8 * (position & 3))); }

    friend constexpr bool operator==(PixelFormat a, PixelFormat b) { return a.m_value == b.m_value; }
    friend constexpr bool operator!=(PixelFormat a, PixelFormat b) { return a.m_value != b.m_value; }

private:
    u64 m_value = 0;
};

inline constexpr PixelFormat PixelFormatRGBA8888{'r', 'g', 'b', 'a', 8, 8, 8, 8};
inline constexpr PixelFormat PixelFormatRGBA16161616{'r', 'g', 'b', 'a', 16, 16, 16, 16};
inline constexpr PixelFormat PixelFormatRGBA32323232{'r', 'g', 'b', 'a', 32, 32, 32, 32};
// The format of the display road.
inline constexpr PixelFormat PixelFormatRGB888{'r', 'g', 'b', 0, 8, 8, 8, 0};

static_assert(PixelFormatRGBA8888.Value() == 0x0808080861626772ull);
static_assert(PixelFormatRGB888.Value() == 0x0008080800626772ull);

// Channel code of a channel name ('r' 1 ... 'x' 7; any other byte 0).
u32 GetChannelCode(char name);

// Bits per pixel: sum of the widths of an uncompressed format, the table's value for a compressed
// id, 0 for reserved and unknown ids.
u32 GetBitsPerPixel(PixelFormat format);

// Minimum dimensions (also the rounding unit of a level's size); 1 x 1 x 1 for uncompressed formats
// and ids without an entry.
void GetMinDimensions(PixelFormat format, u32& x, u32& y, u32& z);

// True for the channel types whose values are signed (1, 3, 5, 7, 9, 11 and 12).
bool IsSignedChannelType(u32 channelType);

} // namespace xqftexture

// Mapping of GL internal formats (and, for unsized base formats, types) to the header's
// pixel format, channel type and colour space.
#include "TextureHeader.h"

namespace xqftexture {

namespace {

constexpr PixelFormat F(char c1, char c2, char c3, char c4, u8 b1, u8 b2, u8 b3, u8 b4)
{
    return PixelFormat(c1, c2, c3, c4, b1, b2, b3, b4);
}

enum : u32 {
    kByte = 0x1400, kUnsignedByte = 0x1401, kShort = 0x1402, kUnsignedShort = 0x1403, kInt = 0x1404,
    kUnsignedInt = 0x1405, kUnsignedShort4444 = 0x8033, kUnsignedShort5551 = 0x8034, kUnsignedShort565 = 0x8363,
};

// Unsized base formats: the type picks the row. Columns: internal format, type, pixel format,
// channel type. The colour space is always linear.
struct SBaseRow {
    u32 internalFormat, type;
    PixelFormat format;
    u32 channelType;
};

#define XQF_BASE(gl, c1, c2, c3, c4, n)                                                                      \
    {gl, kByte, F(c1, c2, c3, c4, 8 * n[0], 8 * n[1], 8 * n[2], 8 * n[3]), SignedByteNorm},                 \
    {gl, kUnsignedByte, F(c1, c2, c3, c4, 8 * n[0], 8 * n[1], 8 * n[2], 8 * n[3]), UnsignedByteNorm},       \
    {gl, kShort, F(c1, c2, c3, c4, 16 * n[0], 16 * n[1], 16 * n[2], 16 * n[3]), SignedShortNorm},           \
    {gl, kUnsignedShort, F(c1, c2, c3, c4, 16 * n[0], 16 * n[1], 16 * n[2], 16 * n[3]), UnsignedShortNorm}, \
    {gl, kInt, F(c1, c2, c3, c4, 32 * n[0], 32 * n[1], 32 * n[2], 32 * n[3]), SignedIntegerNorm},           \
    {gl, kUnsignedInt, F(c1, c2, c3, c4, 32 * n[0], 32 * n[1], 32 * n[2], 32 * n[3]), UnsignedIntegerNorm}

constexpr u8 k1[] = {1, 0, 0, 0}, k2[] = {1, 1, 0, 0}, k3[] = {1, 1, 1, 0}, k4[] = {1, 1, 1, 1};

constexpr SBaseRow kBaseRows[] = {
    XQF_BASE(0x1903, 'r', 0, 0, 0, k1),        // GL_RED
    XQF_BASE(0x8227, 'r', 'g', 0, 0, k2),      // GL_RG
    XQF_BASE(0x1906, 'a', 0, 0, 0, k1),        // GL_ALPHA
    XQF_BASE(0x1907, 'r', 'g', 'b', 0, k3),    // GL_RGB
    {0x1907, kUnsignedShort565, F('r', 'g', 'b', 0, 5, 6, 5, 0), UnsignedShortNorm},
    XQF_BASE(0x1908, 'r', 'g', 'b', 'a', k4),  // GL_RGBA
    {0x1908, kUnsignedShort4444, F('r', 'g', 'b', 'a', 4, 4, 4, 4), UnsignedShortNorm},
    {0x1908, kUnsignedShort5551, F('r', 'g', 'b', 'a', 5, 5, 5, 1), UnsignedShortNorm},
    XQF_BASE(0x1909, 'l', 0, 0, 0, k1),        // GL_LUMINANCE
    XQF_BASE(0x190A, 'l', 'a', 0, 0, k2),      // GL_LUMINANCE_ALPHA
};
#undef XQF_BASE

// Sized and compressed internal formats; the type is not consulted.
// Columns: internal format, pixel format, channel type, colour space.
struct SSizedRow {
    u32 internalFormat;
    PixelFormat format;
    u32 channelType, colourSpace;
};

constexpr SSizedRow kSizedRows[] = {
    {0x8051, F('r', 'g', 'b', 0, 8, 8, 8, 0), UnsignedByteNorm, LinearRGB},          // GL_RGB8
    {0x8056, F('r', 'g', 'b', 'a', 4, 4, 4, 4), UnsignedShortNorm, LinearRGB},       // GL_RGBA4
    {0x8057, F('r', 'g', 'b', 'a', 5, 5, 5, 1), UnsignedShortNorm, LinearRGB},       // GL_RGB5_A1
    {0x8058, F('r', 'g', 'b', 'a', 8, 8, 8, 8), UnsignedByteNorm, LinearRGB},        // GL_RGBA8
    // The only upload type of GL_RGB10_A2 (..._2_10_10_10_REV) keeps red in the low bits, alpha on top.
    {0x8059, F('a', 'b', 'g', 'r', 2, 10, 10, 10), UnsignedIntegerNorm, LinearRGB},  // GL_RGB10_A2
    {0x8229, F('r', 0, 0, 0, 8, 0, 0, 0), UnsignedByteNorm, LinearRGB},              // GL_R8
    {0x822B, F('r', 'g', 0, 0, 8, 8, 0, 0), UnsignedByteNorm, LinearRGB},            // GL_RG8
    {0x822D, F('r', 0, 0, 0, 16, 0, 0, 0), SignedFloat, LinearRGB},                  // GL_R16F
    {0x822E, F('r', 0, 0, 0, 32, 0, 0, 0), SignedFloat, LinearRGB},                  // GL_R32F
    {0x822F, F('r', 'g', 0, 0, 16, 16, 0, 0), SignedFloat, LinearRGB},               // GL_RG16F
    {0x8230, F('r', 'g', 0, 0, 32, 32, 0, 0), SignedFloat, LinearRGB},               // GL_RG32F
    {0x8231, F('r', 0, 0, 0, 8, 0, 0, 0), SignedByte, LinearRGB},                    // GL_R8I
    {0x8232, F('r', 0, 0, 0, 8, 0, 0, 0), UnsignedByte, LinearRGB},                  // GL_R8UI
    {0x8233, F('r', 0, 0, 0, 16, 0, 0, 0), SignedShort, LinearRGB},                  // GL_R16I
    {0x8234, F('r', 0, 0, 0, 16, 0, 0, 0), UnsignedShort, LinearRGB},                // GL_R16UI
    {0x8235, F('r', 0, 0, 0, 32, 0, 0, 0), SignedInteger, LinearRGB},                // GL_R32I
    {0x8236, F('r', 0, 0, 0, 32, 0, 0, 0), UnsignedInteger, LinearRGB},              // GL_R32UI
    {0x8237, F('r', 'g', 0, 0, 8, 8, 0, 0), SignedByte, LinearRGB},                  // GL_RG8I
    {0x8238, F('r', 'g', 0, 0, 8, 8, 0, 0), UnsignedByte, LinearRGB},                // GL_RG8UI
    {0x8239, F('r', 'g', 0, 0, 16, 16, 0, 0), SignedShort, LinearRGB},               // GL_RG16I
    {0x823A, F('r', 'g', 0, 0, 16, 16, 0, 0), UnsignedShort, LinearRGB},             // GL_RG16UI
    {0x823B, F('r', 'g', 0, 0, 32, 32, 0, 0), SignedInteger, LinearRGB},             // GL_RG32I
    {0x823C, F('r', 'g', 0, 0, 32, 32, 0, 0), UnsignedInteger, LinearRGB},           // GL_RG32UI
    {0x83F0, DXT1, UnsignedByteNorm, LinearRGB},                                      // GL_COMPRESSED_RGB_S3TC_DXT1_EXT
    {0x83F2, DXT3, UnsignedByteNorm, LinearRGB},                                      // GL_COMPRESSED_RGBA_S3TC_DXT3_EXT
    {0x83F3, DXT5, UnsignedByteNorm, LinearRGB},                                      // GL_COMPRESSED_RGBA_S3TC_DXT5_EXT
    {0x8814, F('r', 'g', 'b', 'a', 32, 32, 32, 32), SignedFloat, LinearRGB},         // GL_RGBA32F
    {0x8815, F('r', 'g', 'b', 0, 32, 32, 32, 0), SignedFloat, LinearRGB},            // GL_RGB32F
    {0x881A, F('r', 'g', 'b', 'a', 16, 16, 16, 16), SignedFloat, LinearRGB},         // GL_RGBA16F
    {0x881B, F('r', 'g', 'b', 0, 16, 16, 16, 0), SignedFloat, LinearRGB},            // GL_RGB16F
    {0x8C00, XQFTC_4bpp_RGB, UnsignedByteNorm, LinearRGB},                            // XQFTC 4bpp RGB
    {0x8C01, XQFTC_2bpp_RGB, UnsignedByteNorm, LinearRGB},                            // XQFTC 2bpp RGB
    {0x8C02, XQFTC_4bpp_RGBA, UnsignedByteNorm, LinearRGB},                           // XQFTC 4bpp RGBA
    {0x8C03, XQFTC_2bpp_RGBA, UnsignedByteNorm, LinearRGB},                           // XQFTC 2bpp RGBA
    // The upload type (..._10F_11F_11F_REV) keeps red in the low bits, blue on top.
    {0x8C3A, F('b', 'g', 'r', 0, 10, 11, 11, 0), UnsignedFloat, LinearRGB},          // GL_R11F_G11F_B10F
    {0x8C3D, SharedExponentR9G9B9E5, UnsignedFloat, LinearRGB},                       // GL_RGB9_E5
    {0x8C41, F('r', 'g', 'b', 0, 8, 8, 8, 0), UnsignedByteNorm, sRGB},               // GL_SRGB8
    {0x8C43, F('r', 'g', 'b', 'a', 8, 8, 8, 8), UnsignedByteNorm, sRGB},             // GL_SRGB8_ALPHA8
    {0x8D62, F('r', 'g', 'b', 0, 5, 6, 5, 0), UnsignedShortNorm, LinearRGB},         // GL_RGB565
    {0x8D64, ETC1, UnsignedByteNorm, LinearRGB},                                      // GL_ETC1_RGB8_OES
    {0x8D70, F('r', 'g', 'b', 'a', 32, 32, 32, 32), UnsignedInteger, LinearRGB},     // GL_RGBA32UI
    {0x8D71, F('r', 'g', 'b', 0, 32, 32, 32, 0), UnsignedInteger, LinearRGB},        // GL_RGB32UI
    {0x8D76, F('r', 'g', 'b', 'a', 16, 16, 16, 16), UnsignedShort, LinearRGB},       // GL_RGBA16UI
    {0x8D77, F('r', 'g', 'b', 0, 16, 16, 16, 0), UnsignedShort, LinearRGB},          // GL_RGB16UI
    {0x8D7C, F('r', 'g', 'b', 'a', 8, 8, 8, 8), UnsignedByte, LinearRGB},            // GL_RGBA8UI
    {0x8D7D, F('r', 'g', 'b', 0, 8, 8, 8, 0), UnsignedByte, LinearRGB},              // GL_RGB8UI
    {0x8D82, F('r', 'g', 'b', 'a', 32, 32, 32, 32), SignedInteger, LinearRGB},       // GL_RGBA32I
    {0x8D83, F('r', 'g', 'b', 0, 32, 32, 32, 0), SignedInteger, LinearRGB},          // GL_RGB32I
    {0x8D88, F('r', 'g', 'b', 'a', 16, 16, 16, 16), SignedShort, LinearRGB},         // GL_RGBA16I
    {0x8D89, F('r', 'g', 'b', 0, 16, 16, 16, 0), SignedShort, LinearRGB},            // GL_RGB16I
    {0x8D8E, F('r', 'g', 'b', 'a', 8, 8, 8, 8), SignedByte, LinearRGB},              // GL_RGBA8I
    {0x8D8F, F('r', 'g', 'b', 0, 8, 8, 8, 0), SignedByte, LinearRGB},                // GL_RGB8I
    {0x8F94, F('r', 0, 0, 0, 8, 0, 0, 0), SignedByteNorm, LinearRGB},                // GL_R8_SNORM
    {0x8F95, F('r', 'g', 0, 0, 8, 8, 0, 0), SignedByteNorm, LinearRGB},              // GL_RG8_SNORM
    {0x8F96, F('r', 'g', 'b', 0, 8, 8, 8, 0), SignedByteNorm, LinearRGB},            // GL_RGB8_SNORM
    {0x8F97, F('r', 'g', 'b', 'a', 8, 8, 8, 8), SignedByteNorm, LinearRGB},          // GL_RGBA8_SNORM
    {0x906F, F('a', 'b', 'g', 'r', 2, 10, 10, 10), UnsignedInteger, LinearRGB},      // GL_RGB10_A2UI
    {0x9137, XQFTCII_2bpp, UnsignedByteNorm, LinearRGB},                              // XQFTC-II 2bpp
    {0x9138, XQFTCII_4bpp, UnsignedByteNorm, LinearRGB},                              // XQFTC-II 4bpp
    // EAC holds plain values, not sRGB-encoded colours: linear, or the display would darken them.
    {0x9270, EAC_R11, UnsignedByteNorm, LinearRGB},                                   // GL_COMPRESSED_R11_EAC
    {0x9271, EAC_R11, SignedByteNorm, LinearRGB},                                     // GL_COMPRESSED_SIGNED_R11_EAC
    {0x9272, EAC_RG11, UnsignedByteNorm, LinearRGB},                                  // GL_COMPRESSED_RG11_EAC
    {0x9273, EAC_RG11, SignedByteNorm, LinearRGB},                                    // GL_COMPRESSED_SIGNED_RG11_EAC
    {0x9274, ETC2_RGB, UnsignedByteNorm, LinearRGB},                                  // GL_COMPRESSED_RGB8_ETC2
    {0x9275, ETC2_RGB, UnsignedByteNorm, sRGB},                                       // GL_COMPRESSED_SRGB8_ETC2
    {0x9276, ETC2_RGB_A1, UnsignedByteNorm, LinearRGB},                               // ..._RGB8_PUNCHTHROUGH_ALPHA1_ETC2
    {0x9277, ETC2_RGB_A1, UnsignedByteNorm, sRGB},                                    // ..._SRGB8_PUNCHTHROUGH_ALPHA1_ETC2
    {0x9278, ETC2_RGBA, UnsignedByteNorm, LinearRGB},                                 // GL_COMPRESSED_RGBA8_ETC2_EAC
    {0x9279, ETC2_RGBA, UnsignedByteNorm, sRGB},                                      // GL_COMPRESSED_SRGB8_ALPHA8_ETC2_EAC
};

constexpr bool SizedRowsIncreasing()
{
    for (std::size_t i = 1; i < sizeof(kSizedRows) / sizeof(kSizedRows[0]); ++i)
        if (kSizedRows[i - 1].internalFormat >= kSizedRows[i].internalFormat)
            return false;
    return true;
}
static_assert(SizedRowsIncreasing(), "sized GL rows out of order or repeated");

} // namespace

bool GetFormatFromGL(u64& pixelFormat, u32& channelType, u32& colourSpace, const u32& internalFormat, u32 /*format*/,
                     const u32& type)
{
    for (const SSizedRow& row : kSizedRows)
        if (row.internalFormat == internalFormat) {
            pixelFormat = row.format.Value();
            channelType = row.channelType;
            colourSpace = row.colourSpace;
            return true;
        }
    bool isBase = false;
    for (const SBaseRow& row : kBaseRows) {
        if (row.internalFormat != internalFormat)
            continue;
        isBase = true;
        if (row.type == type) {
            pixelFormat = row.format.Value();
            channelType = row.channelType;
            colourSpace = LinearRGB;
            return true;
        }
    }
    // A known base format with an unknown type still resets the colour space.
    if (isBase)
        colourSpace = LinearRGB;
    return false;
}

} // namespace xqftexture

// 1 bit per pixel: bit set is white, clear is black; the first pixel of each byte in bit 0. Rows start
// on a byte so that the layout and the level's size (width rounded up to 8) agree.
#include "PackedLayout.h"
#include "XQFTextureCodecs.h"
#include "XQFTextureEncoders.h"

namespace xqftexture {

u64 DecompressBW1bpp(const void* src, u64 srcSize, void* dst, u32 width, u32 height)
{
    const u64 outBytes = packed::Product(width, height, 4);
    if (src == nullptr || dst == nullptr || outBytes == 0)
        return outBytes;
    const u64 rowBytes = packed::BitRowBytes(width);
    if (srcSize / rowBytes < height)
        return 0;
    const u8* in = static_cast<const u8*>(src);
    static constexpr u8 kBlack[4] = {0, 0, 0, 255}, kWhite[4] = {255, 255, 255, 255};
    u8* out = static_cast<u8*>(dst);
    for (u64 y = 0; y < height; ++y, in += rowBytes)
        for (u64 x = 0; x < width; ++x, out += 4)
            std::memcpy(out, (in[x >> 3] >> (x & 7)) & 1 ? kWhite : kBlack, 4);
    return outBytes;
}

u64 CompressBW1bpp(const void* src, u64 srcSize, void* dst, u32 width, u32 height)
{
    const u64 rowBytes = packed::BitRowBytes(width);
    const u64 outBytes = packed::Product(rowBytes, height, 1);
    return packed::EncodeRgba8(src, srcSize, dst, width, height, outBytes, [&](const u8* in, u8* out) {
        for (u64 y = 0; y < height; ++y, out += rowBytes) {
            std::memset(out, 0, rowBytes);
            for (u64 x = 0; x < width; ++x, in += 4)
                if ((u32(in[0]) + in[1] + in[2]) / 3 >= 128)
                    out[x >> 3] |= u8(1u << (x & 7));
        }
    });
}

} // namespace xqftexture

// DXT1-DXT5 decoding: the mode (1-5, the format id - 6) picks the block type, the walker does the rest.
#include "DxtBlocks.h"
#include "XQFTextureCodecs.h"

namespace xqftexture {

u64 DecompressDXT(const void* src, u64 srcSize, void* dst, u32 width, u32 height, u32 mode)
{
    if (mode < 1 || mode > 5)
        return 0;
    const u64 outBytes = DecodedLevelBytes(width, height, 4);
    if (src == nullptr || dst == nullptr)
        return outBytes;
    const u8* in = static_cast<const u8*>(src);
    Rgba8* out = static_cast<Rgba8*>(dst);
    bool ok;
    if (mode == 1)
        ok = DecodeBlocks<dxt::SDxt1Block>(in, srcSize, width, height, out);
    else if (mode <= 3)
        ok = DecodeBlocks<dxt::SDxt3Block>(in, srcSize, width, height, out);
    else
        ok = DecodeBlocks<dxt::SDxt5Block>(in, srcSize, width, height, out);
    return ok ? outBytes : 0;
}

} // namespace xqftexture

// DXT1-DXT5 decoding: the mode (1-5, the format id - 6) picks the block type, the walker does the rest.
#include "DxtBlocks.h"
#include "XQFTextureCodecs.h"

namespace xqftexture {

namespace {

template <template <class> class Runs>
bool Decode(const u8* in, u64 srcSize, Rgba8* out, u32 width, u32 height, u32 mode)
{
    if (mode == 1)
        return DecodeBlocks<Runs<dxt::SDxt1Block>>(in, srcSize, width, height, out);
    if (mode <= 3)
        return DecodeBlocks<Runs<dxt::SDxt3Block>>(in, srcSize, width, height, out);
    return DecodeBlocks<Runs<dxt::SDxt5Block>>(in, srcSize, width, height, out);
}

template <class Block>
using SCached = Block;

} // namespace

u64 DecompressDXT(const void* src, u64 srcSize, void* dst, u32 width, u32 height, u32 mode)
{
    if (mode < 1 || mode > 5)
        return 0;
    const u64 outBytes = DecodedLevelBytes(width, height, 4);
    if (src == nullptr || dst == nullptr)
        return outBytes;
    const u8* in = static_cast<const u8*>(src);
    Rgba8* out = static_cast<Rgba8*>(dst);
    const bool ok = dxt::StreamRuns(dst, width, height) ? Decode<dxt::SStreamed>(in, srcSize, out, width, height, mode)
                                                        : Decode<SCached>(in, srcSize, out, width, height, mode);
    return ok ? outBytes : 0;
}

} // namespace xqftexture

// The XQFTC and XQFTC-II encoders' bytes pinned per format and quality on a fixed photograph-like
// mosaic, on every vector path the machine has: speed work on the encoders must not change one
// output byte, on any machine. The highest efforts run on smaller pieces of the mosaic to keep the
// test short; every grid is a power of two each way.
#include "ImageSet.h"

#include "XQFTextureEncoders.h"
#include "XQFTextureSimd.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

using namespace xqftexture;

struct SPinned {
    u32 format; // as xqft-texcodec: 0 XQFTC 2 bpp, 2 XQFTC 4 bpp, 4 XQFTC-II 2 bpp, 5 XQFTC-II 4 bpp
    u32 quality;
    u32 size; // a size x size piece of the mosaic
    u64 hash; // FNV-1a of the blocks
};

// Formats 1 and 3 (with alpha) encode as 0 and 2 (XqftcRoundTrip.AlphaIdsEncodeAsTheirOpaqueTwins).
constexpr SPinned kPinned[] = {
    {0, 0, 256, 0x31d6c43128203b2full},
    {0, 1, 128, 0x9affe745cd5015aeull},
    {0, 2, 128, 0x5af4fd192f97b2cfull},
    {0, 3, 64, 0x5ffe0784ece8267cull},
    {0, 4, 64, 0x5430229311222a99ull},
    {0, 5, 64, 0xbbd73555bff94326ull},
    {2, 0, 256, 0x927a7f54e239a31aull},
    {2, 1, 128, 0xf994e5ae81e76e1dull},
    {2, 2, 128, 0x333aad43b5049a68ull},
    {2, 3, 64, 0x587c7de453c15d3eull},
    {2, 4, 64, 0x5a9abcadfe398ba8ull},
    {2, 5, 64, 0x3981231d1d5cdbadull},
    {4, 0, 128, 0x5ffbebc3405a7f72ull},
    {4, 1, 128, 0x36acb267e906e53full},
    {4, 2, 32, 0x5977feaeccfe5a2dull},
    {4, 3, 32, 0xbdeb5e53c01f8c94ull},
    {4, 4, 32, 0x868c887b8b5130d1ull},
    {5, 0, 128, 0x17c28f5376367b9dull},
    {5, 1, 128, 0x89f710e881943dafull},
    {5, 2, 32, 0x6eedd0f5b5e39099ull},
    {5, 3, 32, 0xa76c9a422c6da2d7ull},
    {5, 4, 32, 0x147c2a46e6c8b8dull},
};

u64 Fnv1a(const std::vector<u8>& bytes)
{
    u64 h = 0xcbf29ce484222325ull;
    for (u8 b : bytes)
        h = (h ^ b) * 0x100000001b3ull;
    return h;
}

// The top-left size x size pixels of the mosaic.
std::vector<u8> Piece(const xqft::test::SColourImage& mosaic, u32 size)
{
    std::vector<u8> rgba(u64(size) * size * 4);
    for (u32 y = 0; y < size; ++y)
        std::copy_n(&mosaic.rgba[u64(y) * mosaic.width * 4], size * 4, &rgba[u64(y) * size * 4]);
    return rgba;
}

u64 EncodedHash(const xqft::test::SColourImage& mosaic, const SPinned& p)
{
    const bool twoBpp = p.format == 0 || p.format == 4, second = p.format >= 4;
    const std::vector<u8> rgba = Piece(mosaic, p.size);
    std::vector<u8> blocks(CompressXQFTCImage(nullptr, 0, nullptr, p.size, p.size, true, twoBpp, second, p.quality));
    if (CompressXQFTCImage(rgba.data(), rgba.size(), blocks.data(), p.size, p.size, true, twoBpp, second, p.quality) !=
        blocks.size())
        return 0;
    return Fnv1a(blocks);
}

// The cap back at the widest path whatever a test did.
struct SSimdCap {
    ~SSimdCap() { SetSimdPathCap(ESimdPath::kAvx2); }
};

TEST(XqftcPinned, EveryFormatAndQualityKeepsItsBytesOnEveryPath)
{
    const xqft::test::SColourImage mosaic = xqft::test::PhotoMosaic(256, 256);
    const SSimdCap restore;
    for (ESimdPath path : {ESimdPath::kSse2, ESimdPath::kAvx2}) {
        if (!SimdPathSupported(path)) {
            std::printf("the %s path: not on this processor\n", SimdPathName(path));
            continue;
        }
        SetSimdPathCap(path);
        ASSERT_EQ(ActiveSimdPath(), path);
        for (const SPinned& p : kPinned) {
            const u64 hash = EncodedHash(mosaic, p);
            EXPECT_EQ(hash, p.hash) << SimdPathName(path) << ", format " << p.format << " quality " << p.quality
                                    << ": 0x" << std::hex << hash;
        }
    }
}

} // namespace

// ETC1 images encoded by Debian's etc1tool decode to the pixels that `etc1tool --decode` gives.
#include "Etc1Tool.h"
#include "ImageSet.h"
#include "PixelFormat.h"
#include "XQFTextureCodecs.h"

#include <gtest/gtest.h>

using namespace xqftexture;
using namespace xqft::test;

namespace {

TEST(Etc1Tool, DecodesAsEtc1ToolDoes)
{
    if (!Etc1ToolAvailable())
        GTEST_SKIP() << "etc1tool is not installed (Debian package etc1tool)";
    // Sizes on and off the block grid; the kinds of the set use every mode and table.
    for (auto [w, h] : {std::pair<u32, u32>{64, 64}, {37, 21}, {1, 1}, {5, 3}, {130, 67}})
        for (const char* kind : {"sine-noise", "edges", "noise"}) {
            const std::vector<u8> rgb = ColourImage(kind, w, h).Rgb();
            std::vector<u8> blocks, expected;
            SEtc1ToolRun run = Etc1ToolEncode(rgb.data(), w, h, blocks);
            ASSERT_TRUE(run.ok) << run.why;
            run = Etc1ToolDecode(blocks, w, h, expected);
            ASSERT_TRUE(run.ok) << run.why;
            std::vector<u8> ours(u64(w) * h * 3);
            ASSERT_EQ(DecodeETCImage(blocks.data(), blocks.size(), ours.data(), w, h, ETC1, 0, 0), ours.size());
            EXPECT_EQ(ours, expected) << kind << " " << w << "x" << h;
        }
}

} // namespace

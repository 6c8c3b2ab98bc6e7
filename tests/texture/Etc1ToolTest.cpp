// ETC1 against Debian's etc1tool: its images decode in our decoder as in `etc1tool --decode`, ours
// (written as PKM by xqft-texcodec) decode in etc1tool as in our decoder, and our fast quality
// reaches its PSNR.
#include "Etc1Tool.h"
#include "ImageFiles.h"
#include "ImageSet.h"
#include "PixelFormat.h"
#include "Psnr.h"
#include "RunCommand.h"
#include "XQFTextureCodecs.h"
#include "XQFTextureEncoders.h"

#include <gtest/gtest.h>

#include <filesystem>
#include "TestPaths.h"

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

namespace {

bool TakesOnlyEtc1Modes(const std::vector<u8>& blocks)
{
    for (size_t at = 0; at + 8 <= blocks.size(); at += 8) {
        if ((blocks[at + 3] & 2) == 0)
            continue; // individual mode
        for (u32 c = 0; c < 3; ++c) { // differential: base plus delta stays within 0..31
            const int base = blocks[at + c] >> 3, delta = (blocks[at + c] & 3) - (blocks[at + c] & 4);
            if (base + delta < 0 || base + delta > 31)
                return false;
        }
    }
    return true;
}

TEST(Etc1ToolOnOurEncoder, TexcodecPkmFilesDecodeInEtc1ToolAsInOurDecoder)
{
    if (!Etc1ToolAvailable())
        GTEST_SKIP() << "etc1tool is not installed (Debian package etc1tool)";
    char folderTemplate[] = "/tmp/xqft-texcodec-XXXXXX";
    ASSERT_NE(mkdtemp(folderTemplate), nullptr);
    const std::string folder = folderTemplate, tool = BinaryDir() + "/bin/xqft-texcodec";
    for (auto [w, h] : {std::pair<u32, u32>{64, 64}, {37, 21}})
        for (const SColourImage& image : ColourImages(w, h))
            for (int quality : {0, 1}) {
                const std::vector<u8> rgb = image.Rgb();
                const std::string ppm = folder + "/in.ppm", pkm = folder + "/out.pkm";
                ASSERT_TRUE(WritePpm(ppm, rgb.data(), w, h));
                const SRunResult run = RunCommand(tool + " encode --format 6 --quality " + std::to_string(quality) +
                                                  " " + ppm + " " + pkm);
                ASSERT_EQ(run.status, 0) << run.err;
                std::vector<u8> blocks, theirs;
                u32 pw = 0, ph = 0;
                ASSERT_TRUE(ReadPkm(pkm, blocks, pw, ph));
                EXPECT_TRUE(TakesOnlyEtc1Modes(blocks)) << image.name;
                const SEtc1ToolRun decode = Etc1ToolDecodeFile(pkm, theirs, pw, ph);
                ASSERT_TRUE(decode.ok) << decode.why;
                std::vector<u8> ours(u64(w) * h * 3);
                ASSERT_EQ(DecodeETCImage(blocks.data(), blocks.size(), ours.data(), w, h, ETC1, 0, 0), ours.size());
                EXPECT_EQ(ours, theirs) << image.name << " " << w << "x" << h << " quality " << quality;
            }
    std::filesystem::remove_all(folder);
}

TEST(Etc1ToolOnOurEncoder, QualityZeroReachesEtc1ToolsPsnr)
{
    if (!Etc1ToolAvailable())
        GTEST_SKIP() << "etc1tool is not installed (Debian package etc1tool)";
    const u32 w = 64, h = 64;
    for (const SColourImage& image : ColourImages(w, h)) {
        const std::vector<u8> rgb = image.Rgb();
        std::vector<u8> theirs, theirsDecoded(rgb.size()), ours(u64(w) * h / 2), oursDecoded(rgb.size());
        const SEtc1ToolRun run = Etc1ToolEncode(rgb.data(), w, h, theirs);
        ASSERT_TRUE(run.ok) << run.why;
        ASSERT_EQ(EncodeETCImage(rgb.data(), rgb.size(), ours.data(), w, h, ETC1, 0, 0), ours.size());
        ASSERT_EQ(DecodeETCImage(theirs.data(), theirs.size(), theirsDecoded.data(), w, h, ETC1, 0, 0), rgb.size());
        ASSERT_EQ(DecodeETCImage(ours.data(), ours.size(), oursDecoded.data(), w, h, ETC1, 0, 0), rgb.size());
        const double psnrOurs = PsnrRgb(rgb.data(), 3, oursDecoded.data(), 3, w * h);
        const double psnrTheirs = PsnrRgb(rgb.data(), 3, theirsDecoded.data(), 3, w * h);
        std::printf("%-12s quality 0 %.2f dB, etc1tool %.2f dB\n", image.name.c_str(), psnrOurs, psnrTheirs);
        EXPECT_GE(psnrOurs, psnrTheirs - 0.3) << image.name;
    }
}

TEST(Etc1ToolOnOurEncoder, QualityTwoIsNoWorseThanEtc1ToolOnAnyBlock)
{
    if (!Etc1ToolAvailable())
        GTEST_SKIP() << "etc1tool is not installed (Debian package etc1tool)";
    const u32 w = 16, h = 16;
    for (const SColourImage& image : ColourImages(w, h)) {
        const std::vector<u8> rgb = image.Rgb();
        std::vector<u8> theirs, theirsDecoded(rgb.size()), q2(u64(w) * h / 2), q0(q2.size()), q2Decoded(rgb.size()),
            q0Decoded(rgb.size());
        const SEtc1ToolRun run = Etc1ToolEncode(rgb.data(), w, h, theirs);
        ASSERT_TRUE(run.ok) << run.why;
        ASSERT_EQ(EncodeETCImage(rgb.data(), rgb.size(), q2.data(), w, h, ETC1, 2, 0), q2.size());
        ASSERT_EQ(EncodeETCImage(rgb.data(), rgb.size(), q0.data(), w, h, ETC1, 0, 0), q0.size());
        DecodeETCImage(theirs.data(), theirs.size(), theirsDecoded.data(), w, h, ETC1, 0, 0);
        DecodeETCImage(q2.data(), q2.size(), q2Decoded.data(), w, h, ETC1, 0, 0);
        DecodeETCImage(q0.data(), q0.size(), q0Decoded.data(), w, h, ETC1, 0, 0);
        for (u32 by = 0; by < h; by += 4)
            for (u32 bx = 0; bx < w; bx += 4) {
                u64 ours = 0, tool = 0;
                for (u32 y = by; y < by + 4; ++y)
                    for (u32 x = bx; x < bx + 4; ++x)
                        for (u32 c = 0; c < 3; ++c) {
                            const u64 at = (u64(y) * w + x) * 3 + c;
                            ours += u64((rgb[at] - q2Decoded[at]) * (rgb[at] - q2Decoded[at]));
                            tool += u64((rgb[at] - theirsDecoded[at]) * (rgb[at] - theirsDecoded[at]));
                        }
                EXPECT_LE(ours, tool) << image.name << " block " << bx << "," << by;
            }
        EXPECT_GE(PsnrRgb(rgb.data(), 3, q2Decoded.data(), 3, w * h), PsnrRgb(rgb.data(), 3, q0Decoded.data(), 3, w * h))
            << image.name;
    }
}

} // namespace

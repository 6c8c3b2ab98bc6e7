// xqft-texcodec with the XQFTC ids: an RGBA PAM encoded and decoded as the library does, for both
// generations, and a level XQFTC cannot take refused with a message.
#include "ImageSet.h"
#include "RunCommand.h"
#include "XQFTextureCodecs.h"
#include "XQFTextureEncoders.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include "TestPaths.h"

using namespace xqftexture;

namespace {

class XqftcTool : public ::testing::Test {
protected:
    void SetUp() override
    {
        char folderTemplate[] = "/tmp/xqft-texcodec-xqftc-XXXXXX";
        ASSERT_NE(mkdtemp(folderTemplate), nullptr);
        m_folder = folderTemplate;
    }
    void TearDown() override { std::filesystem::remove_all(m_folder); }
    std::string Path(const char* name) const { return m_folder + "/" + name; }
    static SRunResult Run(const std::string& args) { return RunCommand(BinaryDir() + "/bin/xqft-texcodec " + args); }
    void WritePam(const char* name, const std::vector<u8>& rgba, u32 w, u32 h) const
    {
        std::ofstream(Path(name), std::ios::binary)
            << "P7\nWIDTH " << w << "\nHEIGHT " << h << "\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n"
            << std::string(rgba.begin(), rgba.end());
    }
    std::string m_folder;
};

TEST_F(XqftcTool, EncodesAndDecodesAsTheLibraryDoes)
{
    struct {
        u32 id, quality, width, height;
    } cases[] = {{2, 0, 16, 16}, {1, 1, 16, 8}, {5, 1, 6, 9}, {4, 0, 13, 4}};
    for (auto& c : cases) {
        const std::vector<u8> rgba = xqft::test::ColourImage("alpha-ramp", c.width, c.height).rgba;
        WritePam("in.pam", rgba, c.width, c.height);
        const bool twoBpp = c.id == 0 || c.id == 1 || c.id == 4, second = c.id >= 4;
        std::vector<u8> expected(CompressXQFTCImage(nullptr, 0, nullptr, c.width, c.height, true, twoBpp, second, c.quality));
        ASSERT_EQ(CompressXQFTCImage(rgba.data(), rgba.size(), expected.data(), c.width, c.height, true, twoBpp, second,
                                     c.quality),
                  expected.size());
        const std::string format = " --format " + std::to_string(c.id);
        SRunResult r = Run("encode" + format + " --quality " + std::to_string(c.quality) + " " + Path("in.pam") + " " +
                           Path("out.xqftc"));
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(ReadWhole(Path("out.xqftc")), std::string(expected.begin(), expected.end())) << "id " << c.id;

        std::vector<u8> decoded(u64(c.width) * c.height * 4);
        ASSERT_EQ(DecompressXQFTCImage(expected.data(), expected.size(), decoded.data(), c.width, c.height, twoBpp, second),
                  decoded.size());
        const std::string size = " --size " + std::to_string(c.width) + "x" + std::to_string(c.height);
        r = Run("decode" + format + size + " " + Path("out.xqftc") + " " + Path("back.pam"));
        ASSERT_EQ(r.status, 0) << r.err;
        const std::string back = ReadWhole(Path("back.pam"));
        ASSERT_GE(back.size(), decoded.size());
        EXPECT_EQ(back.substr(back.size() - decoded.size()), std::string(decoded.begin(), decoded.end())) << "id " << c.id;
    }
    // XQFTC levels must be whole blocks.
    WritePam("odd.pam", std::vector<u8>(6 * 8 * 4, 200), 6, 8);
    const SRunResult r = Run("encode --format 3 --quality 0 " + Path("odd.pam") + " " + Path("odd.xqftc"));
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("xqft-texcodec"), std::string::npos) << r.err;
}

} // namespace

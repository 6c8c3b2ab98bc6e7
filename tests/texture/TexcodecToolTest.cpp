// xqft-texcodec from the shell: an encode and decode round trip through PPM, PAM and PKM files, and
// malformed or truncated files, absurd headers and bad arguments, which fail with a message.
#include "ImageFiles.h"
#include "ImageSet.h"
#include "PixelFormat.h"
#include "RunCommand.h"
#include "XQFTextureCodecs.h"
#include "XQFTextureEncoders.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include "TestPaths.h"

using namespace xqftexture;

namespace {

class TexcodecTool : public ::testing::Test {
protected:
    void SetUp() override
    {
        char folderTemplate[] = "/tmp/xqft-texcodec-test-XXXXXX";
        ASSERT_NE(mkdtemp(folderTemplate), nullptr);
        m_folder = folderTemplate;
    }
    void TearDown() override { std::filesystem::remove_all(m_folder); }
    std::string Path(const char* name) const { return m_folder + "/" + name; }
    static SRunResult Run(const std::string& args) { return RunCommand(BinaryDir() + "/bin/xqft-texcodec " + args); }
    void Write(const char* name, const std::string& bytes) const { std::ofstream(Path(name), std::ios::binary) << bytes; }
    std::string m_folder;
};

TEST_F(TexcodecTool, EncodesAndDecodesAsTheLibraryDoes)
{
    const u32 w = 13, h = 7;
    const std::vector<u8> rgb = xqft::test::ColourImage("sine-noise", w, h).Rgb();
    ASSERT_TRUE(xqft::test::WritePpm(Path("in.ppm"), rgb.data(), w, h));
    std::vector<u8> expected(EncodeETCImage(nullptr, 0, nullptr, w, h, ETC1, 0, 0));
    ASSERT_EQ(EncodeETCImage(rgb.data(), rgb.size(), expected.data(), w, h, ETC1, 1, 0), expected.size());

    SRunResult r = Run("encode --format 6 --quality 1 --threads 2 " + Path("in.ppm") + " " + Path("out.pkm"));
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<u8> blocks;
    u32 pw = 0, ph = 0;
    ASSERT_TRUE(xqft::test::ReadPkm(Path("out.pkm"), blocks, pw, ph));
    EXPECT_EQ(blocks, expected);
    EXPECT_EQ(pw, w);
    EXPECT_EQ(ph, h);
    r = Run("encode --format 6 --quality 1 " + Path("in.ppm") + " " + Path("out.etc"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadWhole(Path("out.etc")), std::string(expected.begin(), expected.end()));

    // Decoded back into a PPM (from the PKM) and a PAM (from the bare blocks with --size).
    std::vector<u8> decoded(u64(w) * h * 3);
    ASSERT_EQ(DecodeETCImage(expected.data(), expected.size(), decoded.data(), w, h, ETC1, 0, 0), decoded.size());
    r = Run("decode --format 6 " + Path("out.pkm") + " " + Path("back.ppm"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadWhole(Path("back.ppm")), "P6\n13 7\n255\n" + std::string(decoded.begin(), decoded.end()));
    r = Run("decode --format 6 --size 13x7 " + Path("out.etc") + " " + Path("back.pam"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadWhole(Path("back.pam")),
              "P7\nWIDTH 13\nHEIGHT 7\nDEPTH 3\nMAXVAL 255\nTUPLTYPE RGB\nENDHDR\n" + std::string(decoded.begin(), decoded.end()));
}

// Samples are read from the file in parts after a header found in its first 64 KiB; a longer header,
// one that ends right at that mark, and a pipe are read whole. Every way gives the same samples, 8-
// and 16-bit, as the library encodes them from memory.
TEST_F(TexcodecTool, SamplesAreTheSameHoweverTheFileIsRead)
{
    const u32 w = 128, h = 96; // 36 KiB of RGB, 72 KiB of 16-bit RGB: one part and two
    const std::vector<u8> rgb = xqft::test::ColourImage("sine-noise", w, h).Rgb();
    std::vector<u8> expected(EncodeETCImage(nullptr, 0, nullptr, w, h, ETC1, 0, 0));
    ASSERT_EQ(EncodeETCImage(rgb.data(), rgb.size(), expected.data(), w, h, ETC1, 1, 0), expected.size());
    const std::string samples(rgb.begin(), rgb.end());
    std::string wide;
    for (const u8 v : rgb)
        wide += char(v), wide += char(0x5A); // the high byte leads: v x 256 + 90 narrows back to v
    const std::string size = std::to_string(w) + " " + std::to_string(h);
    const std::string pam = "P7\nWIDTH " + std::to_string(w) + "\nHEIGHT " + std::to_string(h) + "\nDEPTH 3\n";
    // Comments that end the header on the 65536th byte, and two bytes later (its maxval cut there).
    auto marked = [&](u32 past) {
        return "P6\n" + size + "\n#" + std::string(65536 - size.size() - 10 + past, 'c') + "\n255\n";
    };
    ASSERT_EQ(marked(0).size(), 65536u);
    struct SCase {
        const char* name;
        std::string bytes;
        bool piped;
    } const cases[] = {
        {"plain.ppm", "P6\n" + size + "\n255\n" + samples, false},
        {"comment.ppm", "P6\n# " + std::string(70000, 'c') + "\n" + size + "\n255\n" + samples, false},
        {"mark.ppm", marked(0) + samples, false},
        {"past.ppm", marked(2) + samples, false},
        {"wide.pam", pam + "MAXVAL 65535\nTUPLTYPE RGB\nENDHDR\n" + wide, false},
        {"piped.pam", pam + "MAXVAL 255\nENDHDR\n" + samples, true},
    };
    for (const SCase& c : cases) {
        Write(c.name, c.bytes);
        const std::string args = "encode --format 6 --quality 1 --threads 3 ";
        const SRunResult r =
            c.piped ? RunCommand("cat " + Path(c.name) + " | " + BinaryDir() + "/bin/xqft-texcodec " + args + "/dev/stdin " + Path("out.etc"))
                    : Run(args + Path(c.name) + " " + Path("out.etc"));
        ASSERT_EQ(r.status, 0) << c.name << "\n" << r.err;
        EXPECT_EQ(ReadWhole(Path("out.etc")), std::string(expected.begin(), expected.end())) << c.name;
    }
}

// Encoder input is converted in bands of rows and files are written in bands of about 1 MiB: an image
// whose height is no multiple of 64 and whose files span more than one band must come through whole.
// RGB and RGBA into DXT1 and ETC1 as the library encodes them; DXT1 back into RGB (alpha dropped) and RGBA,
// and EAC RG11 into a 16-bit PAM, as the library decodes them.
TEST_F(TexcodecTool, EveryRowOfALargeOddImageIsConvertedAndWritten)
{
    const u32 w = 1000, h = 401;
    const std::string size = std::to_string(w) + "x" + std::to_string(h);
    const xqft::test::SColourImage image = xqft::test::ColourImage("sine-noise", w, h);
    const std::vector<u8> rgb = image.Rgb();
    std::vector<u8> opaque = image.rgba;
    for (size_t i = 3; i < opaque.size(); i += 4)
        opaque[i] = 255;
    ASSERT_TRUE(xqft::test::WritePpm(Path("rgb.ppm"), rgb.data(), w, h));
    Write("rgba.pam", "P7\nWIDTH 1000\nHEIGHT 401\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n" +
                          std::string(opaque.begin(), opaque.end()));
    std::vector<u8> dxt1(CompressDXT(nullptr, 0, nullptr, w, h, 1)), etc1(dxt1.size());
    ASSERT_EQ(CompressDXT(opaque.data(), opaque.size(), dxt1.data(), w, h, 1), dxt1.size());
    ASSERT_EQ(EncodeETCImage(rgb.data(), rgb.size(), etc1.data(), w, h, ETC1, 0, 0), etc1.size());
    const std::string blocks(dxt1.begin(), dxt1.end()), etcBlocks(etc1.begin(), etc1.end());
    for (const char* in : {"rgb.ppm", "rgba.pam"})
        for (const char* format : {"7", "6"}) {
            const SRunResult r =
                Run("encode --format " + std::string(format) + " --quality 0 --threads 3 " + Path(in) + " " + Path("out"));
            ASSERT_EQ(r.status, 0) << in << " " << format << "\n" << r.err;
            EXPECT_TRUE(ReadWhole(Path("out")) == (format[0] == '7' ? blocks : etcBlocks)) << in << " " << format;
        }

    std::vector<u8> rgba(u64(w) * h * 4), rg11(u64(w) * h * 4);
    ASSERT_EQ(DecompressDXT(dxt1.data(), dxt1.size(), rgba.data(), w, h, 1), rgba.size());
    std::vector<u8> dxt5(CompressDXT(nullptr, 0, nullptr, w, h, 5)); // 16-byte blocks, read as RG11
    ASSERT_EQ(CompressDXT(opaque.data(), opaque.size(), dxt5.data(), w, h, 5), dxt5.size());
    Write("in.dxt1", blocks);
    Write("in.dxt5", std::string(dxt5.begin(), dxt5.end()));
    ASSERT_EQ(DecodeETCImage(dxt5.data(), dxt5.size(), rg11.data(), w, h, EAC_RG11, 0, 0), rg11.size());
    std::string rgbBytes, rgbaBytes(rgba.begin(), rgba.end()), rg11Bytes;
    for (size_t i = 0; i < rgba.size(); i += 4)
        rgbBytes.append(reinterpret_cast<const char*>(&rgba[i]), 3);
    for (size_t i = 0; i < rg11.size(); i += 2) {
        u16 v;
        std::memcpy(&v, &rg11[i], 2);
        rg11Bytes += char(v >> 8), rg11Bytes += char(v);
    }
    const std::string pam = "P7\nWIDTH 1000\nHEIGHT 401\nDEPTH ";
    struct SCase {
        const char* args;
        const char* in;
        const char* out;
        std::string file;
    } const cases[] = {
        {"--format 7", "in.dxt1", "back.ppm", "P6\n1000 401\n255\n" + rgbBytes},
        {"--format 7", "in.dxt1", "back.pam", pam + "4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n" + rgbaBytes},
        {"--format 26", "in.dxt5", "rg.pam", pam + "2\nMAXVAL 65535\nTUPLTYPE GRAYSCALE_ALPHA\nENDHDR\n" + rg11Bytes},
    };
    for (const SCase& c : cases) {
        const SRunResult r = Run("decode " + std::string(c.args) + " --size " + size + " " + Path(c.in) + " " + Path(c.out));
        ASSERT_EQ(r.status, 0) << c.out << "\n" << r.err;
        EXPECT_TRUE(ReadWhole(Path(c.out)) == c.file) << c.out;
    }
}

// A two-channel file keeps both channels: a two-channel encoder (EAC RG11, whose decode writes such
// a PAM) takes them as they are, a four-channel one (DXT5) takes grey and alpha. 8- and 16-bit
// files give the same blocks as the library encodes from memory.
TEST_F(TexcodecTool, TwoChannelFilesKeepBothChannels)
{
    const u32 w = 8, h = 4, pixels = w * h;
    std::vector<u8> grey(pixels), alpha(pixels);
    for (u32 p = 0; p < pixels; ++p)
        grey[p] = u8(p * 8), alpha[p] = u8(255 - p * 5);
    std::string narrow, wide;
    std::vector<u16> rg(2 * pixels);
    std::vector<u8> rgba(4 * pixels);
    for (u32 p = 0; p < pixels; ++p) {
        narrow += {char(grey[p]), char(alpha[p])};
        wide += {char(grey[p]), char(grey[p]), char(alpha[p]), char(alpha[p])};
        rg[2 * p] = u16(grey[p] * 257), rg[2 * p + 1] = u16(alpha[p] * 257);
        rgba[4 * p] = rgba[4 * p + 1] = rgba[4 * p + 2] = grey[p], rgba[4 * p + 3] = alpha[p];
    }
    const std::string header = "P7\nWIDTH 8\nHEIGHT 4\nDEPTH 2\nMAXVAL ";
    Write("narrow.pam", header + "255\nTUPLTYPE GRAYSCALE_ALPHA\nENDHDR\n" + narrow);
    Write("wide.pam", header + "65535\nTUPLTYPE GRAYSCALE_ALPHA\nENDHDR\n" + wide);
    std::vector<u8> rg11(EncodeETCImage(nullptr, 0, nullptr, w, h, EAC_RG11, 0, 0)), dxt5(rg11.size());
    ASSERT_EQ(EncodeETCImage(reinterpret_cast<const u8*>(rg.data()), rg.size() * 2, rg11.data(), w, h, EAC_RG11, 0, 0),
              rg11.size());
    ASSERT_EQ(CompressDXT(rgba.data(), rgba.size(), dxt5.data(), w, h, 5), dxt5.size());
    for (const char* in : {"narrow.pam", "wide.pam"})
        for (const auto& [format, blocks] : {std::pair{"26", &rg11}, std::pair{"11", &dxt5}}) {
            const SRunResult r = Run(std::string("encode --format ") + format + " --quality 0 " + Path(in) + " " + Path("out"));
            ASSERT_EQ(r.status, 0) << in << " " << format << "\n" << r.err;
            EXPECT_TRUE(ReadWhole(Path("out")) == std::string(blocks->begin(), blocks->end())) << in << " format " << format;
        }
}

// A file cut anywhere, in its header or its samples or blocks, read from the file or from a pipe:
// the tool fails with a message (the sanitizer build sees any read past what was read), and the
// whole file goes through.
TEST_F(TexcodecTool, EveryCutOfAGoodFileFailsWithAMessage)
{
    const u32 w = 5, h = 3;
    const std::vector<u8> rgb = xqft::test::ColourImage("strokes", w, h).Rgb();
    std::string wide; // 16-bit grey and alpha
    for (u32 p = 0; p < w * h; ++p)
        wide += {char(rgb[3 * p]), char(p), char(255 - rgb[3 * p + 1]), char(p)};
    std::vector<u8> etc(EncodeETCImage(nullptr, 0, nullptr, w, h, ETC1, 0, 0)), dxt(32);
    ASSERT_EQ(EncodeETCImage(rgb.data(), rgb.size(), etc.data(), w, h, ETC1, 0, 0), etc.size());
    for (u32 i = 0; i < dxt.size(); ++i)
        dxt[i] = u8(i * 37 + 11);
    const std::string pkm = std::string("PKM 10\0\0\0\x08\0\x04\0\x05\0\x03", 16) + std::string(etc.begin(), etc.end());
    struct SCase {
        const char* name;
        std::string bytes;
        const char* args; // before the input file
        bool piped;
    } const cases[] = {
        {"in.ppm", "P6\n# cut\n5 3\n255\n" + std::string(rgb.begin(), rgb.end()), "encode --format 6 --quality 0", false},
        {"in.ppm", "P6 5 3 255\n" + std::string(rgb.begin(), rgb.end()), "encode --format 9 --quality 0", true},
        {"in.pam", "P7\nWIDTH 5\nHEIGHT 3\nDEPTH 2\nMAXVAL 65535\nTUPLTYPE GRAYSCALE_ALPHA\nENDHDR\n" + wide,
         "encode --format 11 --quality 0", false},
        {"in.pkm", pkm, "decode --format 6", false},
        {"in.dxt", std::string(dxt.begin(), dxt.end()), "decode --format 9 --size 5x3", false},
    };
    for (const SCase& c : cases)
        for (size_t cut = 0; cut <= c.bytes.size(); ++cut) {
            Write(c.name, c.bytes.substr(0, cut));
            const std::string tail = " " + Path(c.args[0] == 'e' ? "out.blocks" : "out.ppm");
            const SRunResult r = c.piped ? RunCommand("cat " + Path(c.name) + " | " + BinaryDir() + "/bin/xqft-texcodec " +
                                                      c.args + " /dev/stdin" + tail)
                                         : Run(std::string(c.args) + " " + Path(c.name) + tail);
            const std::string what = std::string(c.args) + " " + c.name + " cut at " + std::to_string(cut);
            if (cut == c.bytes.size()) {
                EXPECT_EQ(r.status, 0) << what << "\n" << r.err;
            } else {
                EXPECT_EQ(r.status, 1) << what << "\n" << r.err;
                EXPECT_FALSE(r.err.empty()) << what;
            }
        }
}

TEST_F(TexcodecTool, MalformedFilesAndArgumentsFailWithAMessage)
{
    Write("short.ppm", "P6\n4 4\n255\n" + std::string(47, 'x'));            // one byte short
    Write("huge.ppm", "P6\n4294967295 4294967295\n255\n" + std::string(48, 'x'));
    Write("bad.pam", "P7\nWIDTH 4\nHEIGHT 4\nDEPTH 9\nMAXVAL 255\nENDHDR\n" + std::string(64, 'x'));
    Write("noend.pam", "P7\nWIDTH 4\nHEIGHT 4\nDEPTH 3\nMAXVAL 255\n");
    Write("text.ppm", "P3\n1 1\n255\n1 2 3\n");
    Write("empty.ppm", "");
    Write("short.pkm", std::string("PKM 10\0\0\0\x08\0\x08\0\x08\0\x08", 16) + std::string(31, 'x'));
    Write("bare.etc", std::string(7, 'x'));
    Write("ok.ppm", "P6\n4 4\n255\n" + std::string(48, 'x'));
    struct SCase {
        const char* args;
        int status;
    } cases[] = {
        {"encode --format 6 --quality 0 short.ppm out.pkm", 1},
        {"encode --format 6 --quality 0 huge.ppm out.pkm", 1},
        {"encode --format 6 --quality 0 bad.pam out.pkm", 1},
        {"encode --format 6 --quality 0 noend.pam out.pkm", 1},
        {"encode --format 6 --quality 0 text.ppm out.pkm", 1},
        {"encode --format 6 --quality 0 empty.ppm out.pkm", 1},
        {"encode --format 6 --quality 0 missing.ppm out.pkm", 1},
        {"encode --format 6 --quality 9 ok.ppm out.pkm", 1},
        {"encode --format 6 --quality 0 --signed ok.ppm out.pkm", 1},
        {"encode --format 22 --quality 0 ok.ppm out.pkm", 1}, // only ETC1 goes into a PKM file
        {"decode --format 6 short.pkm out.ppm", 1},
        {"decode --format 6 --size 4x4 bare.etc out.ppm", 1},
        {"decode --format 6 bare.etc out.ppm", 2},             // no --size
        {"encode --format 99 --quality 0 ok.ppm out.pkm", 2},
        {"encode --format 6 ok.ppm out.pkm", 2},               // no quality
        {"encode --format 6 --quality 0 --threads 0 ok.ppm out.pkm", 2},
        {"encode --format 6 --quality -1 ok.ppm out.pkm", 2},
        {"decode --format 6 --size 4by4 bare.etc out.ppm", 2},
        {"compress ok.ppm out.pkm", 2},
        {"encode --format 6 --quality 0 ok.ppm", 2},
    };
    for (const SCase& c : cases) {
        std::string args;
        for (const std::string& word : {std::string(c.args)}) // file names into the test's folder
            for (size_t at = 0, next; at < word.size(); at = next + 1) {
                next = word.find(' ', at);
                if (next == std::string::npos)
                    next = word.size();
                const std::string token = word.substr(at, next - at);
                args += (token.find('.') != std::string::npos ? Path(token.c_str()) : token) + " ";
            }
        const SRunResult r = Run(args);
        EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.err;
        EXPECT_FALSE(r.err.empty()) << c.args;
    }
}

} // namespace

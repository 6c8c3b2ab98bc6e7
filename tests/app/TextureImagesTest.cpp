// The texture images of a trace: compressed uploads against the library's own decoders (ETC1 at
// its size, XQFTC decoded at its padded size and cropped), the geometry rules and every bad input
// as a table, for ES 2.0 and ES 1.1 records. The uncompressed pairs are checked against an
// independent conversion by check_textures.py. Textures filled by sub-image updates, and names
// specified again, show what they hold at each call.
#include "TextureImages.h"

#include "CallQueries.h"
#include "Es1Records.h"
#include "Es2Records.h"
#include "Es2StateCalls.h"
#include "Es2TestSupport.h"
#include "TraceStatistics.h"
#include "XQFTextureCodecs.h"
#include "apicall/ApiCall.h"
#include "apicall/CallInfo.h"
#include "data/TraceData.h"
#include "data/TraceReader.h"
#include "values/DataHolders.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <memory>

namespace {

enum : uint32_t {
    kRgba = 0x1908, kRgb = 0x1907, kAlpha = 0x1906, kUbyte = 0x1401, kFloat = 0x1406, kEtc1 = 0x8D64,
    kXqftc4 = 0x8C00, kTexture2D = 0x0DE1,
};

// The trace at path loaded into the reader, with its statistics computed; no trace when it did not load.
struct SLoaded
{
    CTraceData* trace = nullptr;
    std::unique_ptr<CTraceStatistics> statistics;
};

SLoaded LoadWithStatistics(const std::string& path)
{
    CTraceReader& reader = CTraceReader::Instance();
    reader.SetLog(nullptr, nullptr);
    SLoaded loaded;
    if (reader.LoadTrace(CXQFTString(path.c_str()), 1) != 0 || !reader.GetTraceData())
        return loaded;
    loaded.trace = reader.GetTraceData();
    loaded.statistics = std::make_unique<CTraceStatistics>(loaded.trace);
    loaded.statistics->Compute();
    return loaded;
}

std::vector<uint8_t> Crop(const std::vector<uint8_t>& rgb, uint32_t fromWidth, uint32_t w, uint32_t h, int channels)
{
    std::vector<uint8_t> out;
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c)
                out.push_back(rgb[(size_t(y) * fromWidth + x) * channels + c]);
    return out;
}

// The blocks of a compressed upload of either API.
const SImage2D* Blocks(CApiCall* call)
{
    if (const auto* es2 = dynamic_cast<xqft::es2::CEs2_glCompressedTexImage2D_v1*>(call))
        return &es2->Item<"pixels">().data;
    if (const auto* es1 = dynamic_cast<xqft::es1::CEs1_glCompressedTexImage2D_v1*>(call))
        return &es1->Item<"data">().data;
    return nullptr;
}

class CompressedUploads : public testing::TestWithParam<const char*> {};

TEST_P(CompressedUploads, EqualTheLibrarysDecodeOfTheSameBlocks)
{
    const std::string path = es2test::TempPath("textures.xqft");
    es2test::Generate("es2-textures " + path + " --alignments 4 --api " + GetParam());
    const SLoaded loaded = LoadWithStatistics(path);
    ASSERT_TRUE(loaded.trace);
    CTraceData& trace = *loaded.trace;
    CTraceStatistics& statistics = *loaded.statistics;

    std::map<uint32_t, int> checked;
    ExtractTextures(trace, *statistics.GetTextureUploads(), [&](const STextureRecord& r, STextureImage& image) {
        if (r.internalFormat != kEtc1 && r.internalFormat != kXqftc4)
            return;
        SCOPED_TRACE("call " + std::to_string(r.callNumber));
        const SImage2D* upload = Blocks(trace.GetCall(r.callNumber)->call.get());
        ASSERT_NE(upload, nullptr);
        const SImage2D& blocks = *upload;
        ASSERT_EQ(image.kind, STextureImage::kDecoded);
        ASSERT_EQ(image.width, uint32_t(r.width));
        ASSERT_EQ(image.height, uint32_t(r.height));
        std::vector<uint8_t> expected;
        if (r.internalFormat == kEtc1) {
            expected.resize(size_t(r.width) * r.height * 3);
            ASSERT_NE(xqftexture::DecodeETCImage(blocks.GetData(), blocks.size, expected.data(), r.width, r.height, 6,
                                                 0, 0),
                      0u);
        } else {
            // XQFTC 4 bpp is decoded at its 8 x 8 minimum and cropped back.
            std::vector<uint8_t> rgba(8 * 8 * 4);
            ASSERT_NE(xqftexture::DecompressXQFTCImage(blocks.GetData(), blocks.size, rgba.data(), 8, 8, false, false),
                      0u);
            expected = Crop(rgba, 8, r.width, r.height, 4);
        }
        EXPECT_EQ(image.rgb, expected);
        ++checked[r.internalFormat];
    });
    EXPECT_EQ(checked[kEtc1], 2);    // 8 x 4 and 6 x 6
    EXPECT_EQ(checked[kXqftc4], 1);  // 5 x 5
    CTraceReader::Instance().Close();
}

INSTANTIATE_TEST_SUITE_P(Apis, CompressedUploads, testing::Values("es2", "es1"));

struct SImageCase {
    const char* what;
    uint32_t internalFormat, format, type;
    int32_t width, height, border, alignment;
    bool compressed;
    int64_t dataBytes;  // -1: no data
    STextureImage::EKind kind;
    uint32_t imageWidth, imageHeight;
};

const SImageCase kImageCases[] = {
    {"no data: black of the upload's size", kRgba, kRgba, kUbyte, 7, 3, 0, 4, false, -1, STextureImage::kBlack, 7, 3},
    {"width 0: an empty black image", kRgba, kRgba, kUbyte, 0, 4, 0, 4, false, 16, STextureImage::kBlack, 0, 4},
    {"a failed 65535 x 65535 upload: no image", kRgba, kRgba, kUbyte, 65535, 65535, 0, 4, false, -1,
     STextureImage::kNone, 0, 0},
    {"sides within the limit, over a GiB of RGB: no image", kRgba, kRgba, kUbyte, 32768, 16385, 0, 4, false, 16,
     STextureImage::kNone, 0, 0},
    {"a negative width: no image", kRgba, kRgba, kUbyte, -1, 4, 0, 4, false, 64, STextureImage::kNone, 0, 0},
    {"3 x 2 RGB at alignment 4: rows of 12 bytes", kRgb, kRgb, kUbyte, 3, 2, 0, 4, false, 21, STextureImage::kDecoded,
     3, 2},
    {"one byte short of the last row's end: the first row", kRgb, kRgb, kUbyte, 3, 2, 0, 4, false, 20,
     STextureImage::kPartial, 3, 2},
    {"not one row held: black", kRgb, kRgb, kUbyte, 3, 2, 0, 4, false, 8, STextureImage::kBlack, 3, 2},
    {"alignment 8 with rows of 9 bytes", kRgb, kRgb, kUbyte, 3, 3, 0, 8, false, 41, STextureImage::kDecoded, 3, 3},
    {"alignment 0 reads packed rows", kRgb, kRgb, kUbyte, 3, 2, 0, 0, false, 18, STextureImage::kDecoded, 3, 2},
    {"alignment 3", kRgb, kRgb, kUbyte, 2, 2, 0, 3, false, 12, STextureImage::kDecoded, 2, 2},
    {"alignment 16", kRgb, kRgb, kUbyte, 2, 2, 0, 16, false, 22, STextureImage::kDecoded, 2, 2},
    {"a border adds two pixels to each side", kRgba, kRgba, kUbyte, 2, 2, 1, 4, false, 64, STextureImage::kDecoded,
     4, 4},
    {"a negative border: black", kRgba, kRgba, kUbyte, 2, 2, -1, 4, false, 64, STextureImage::kBlack, 2, 2},
    {"a pair ES 2.0 does not have: black", kRgba, kRgba, kFloat, 2, 2, 0, 4, false, 64, STextureImage::kBlack, 2, 2},
    {"short ETC1 blocks: black", kEtc1, 0, 0, 8, 8, 0, 0, true, 31, STextureImage::kBlack, 8, 8},
    {"a compressed format without decoder: black", 0x9999, 0, 0, 4, 4, 0, 0, true, 64, STextureImage::kBlack, 4, 4},
    {"XQFTC 2 x 2 reads its 8 x 8 minimum", kXqftc4, 0, 0, 2, 2, 0, 0, true, 32, STextureImage::kDecoded, 2, 2},
    {"XQFTC 2 x 2 with fewer bytes than the minimum: black", kXqftc4, 0, 0, 2, 2, 0, 0, true, 2,
     STextureImage::kBlack, 2, 2},
};

TEST(TextureImages, GeometryAndBadInputsGiveTheExpectedImage)
{
    for (const SImageCase& c : kImageCases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> data(size_t(std::max<int64_t>(c.dataBytes, 0)));
        for (size_t i = 0; i < data.size(); ++i)
            data[i] = uint8_t(i * 7 + 1);
        STextureRecord r;
        r.internalFormat = c.internalFormat;
        r.type = c.type;
        r.width = c.width;
        r.height = c.height;
        r.border = c.border;
        r.unpackAlignment = c.alignment;
        STextureImage image;
        BuildTextureImage(r, c.format, c.compressed, c.dataBytes < 0 ? nullptr : data.data(), data.size(), image);
        EXPECT_EQ(image.kind, c.kind);
        EXPECT_EQ(image.width, c.imageWidth);
        EXPECT_EQ(image.height, c.imageHeight);
        // Decoded: every row; partial: the rows held, fewer; otherwise none.
        const bool decoded = c.kind == STextureImage::kDecoded || c.kind == STextureImage::kPartial;
        EXPECT_EQ(image.rgb.size(), decoded ? size_t(c.imageWidth) * image.rows * 3 : 0u);
        EXPECT_EQ(image.rows, decoded ? (c.kind == STextureImage::kDecoded ? c.imageHeight : 1u) : 0u);
    }
}

// Data shorter than the image's rows: only the rows it holds whole are decoded, and the image says
// how many bytes it holds of how many, so that an upload that declares 16384 x 16384 and carries
// 16 KB takes 16 KB's worth of memory, not a gigabyte of zeros.
TEST(TextureImages, ShortDataDecodesOnlyTheRowsItHolds)
{
    std::vector<uint8_t> data(16384);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = uint8_t(i * 13 + 5);
    STextureRecord r;
    r.internalFormat = r.type = 0;
    r.unpackAlignment = 4;
    struct SCase { const char* what; uint32_t format; int32_t width, height; STextureImage::EKind kind; uint32_t rows; uint64_t needed; };
    const SCase cases[] = {
        {"16384 x 16384 RGBA: not one row of 64 KiB held", kRgba, 16384, 16384, STextureImage::kBlack, 0, 1ull << 30},
        {"4096 x 4096 luminance: four rows held", 0x1909, 4096, 4096, STextureImage::kPartial, 4, 4096ull * 4096},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.what);
        r.internalFormat = c.format;
        r.type = kUbyte;
        r.width = c.width;
        r.height = c.height;
        STextureImage image;
        BuildTextureImage(r, c.format, false, data.data(), data.size(), image);
        EXPECT_EQ(image.kind, c.kind);
        EXPECT_EQ(image.width, uint32_t(c.width));
        EXPECT_EQ(image.height, uint32_t(c.height));
        EXPECT_EQ(image.rows, c.rows);
        EXPECT_EQ(image.rgb.size(), size_t(c.width) * c.rows * 3);
        EXPECT_EQ(image.bytesHeld, data.size());
        EXPECT_EQ(image.bytesNeeded, c.needed);
        if (c.rows > 0) {
            EXPECT_EQ(image.rgb[0], data[0]);
            EXPECT_EQ(image.rgb.back(), data[size_t(c.width) * c.rows - 1]);
        }
    }
}

// The same through the tracked level a sub-image update changed: the level holds the upload's
// 16 KB with the update written in, and no more is decoded (the image was once padded to the
// level's size with zeros and shown as decoded).
TEST(TextureImages, AnUpdatedLevelDecodesOnlyTheRowsItHolds)
{
    using namespace es2calls;
    std::vector<uint8_t> pixels(16384, 0x40);
    const std::string path = es2test::TempPath("short-level.xqft");
    es2test::WriteCalls(path, {W(kBindTexture, {kTexture2D, 1}), TexImage(kTexture2D, 0, kRgba, 1024, 1024, kUbyte, pixels),
                               TexSubImage(kTexture2D, 0, 0, 0, 1, 1, kRgba, kUbyte, {255, 0, 0, 255}),
                               es2test::SwapBuffers(1)});
    const SLoaded loaded = LoadWithStatistics(path);
    ASSERT_TRUE(loaded.trace);
    CTraceData& trace = *loaded.trace;
    CTraceStatistics& statistics = *loaded.statistics;
    std::vector<STextureImage> images;
    ExtractTextures(trace, *statistics.GetTextureUploads(),
                    [&](const STextureRecord&, STextureImage& image) { images.push_back(std::move(image)); });
    STextureRecord record;
    images.emplace_back();
    ASSERT_TRUE(TextureAtCall(trace, 3, record, images.back()));
    ASSERT_EQ(images.size(), 2u);
    for (const STextureImage& image : images) {
        EXPECT_EQ(image.kind, STextureImage::kPartial);
        EXPECT_EQ(image.height, 1024u);
        EXPECT_EQ(image.rows, 4u);
        ASSERT_EQ(image.rgb.size(), 1024u * 4 * 3);
        EXPECT_EQ(image.rgb[0], 255);  // the update
        EXPECT_EQ(image.rgb[3], 0x40);
    }
    CTraceReader::Instance().Close();
}

TEST(TextureImages, PaddedRowsAreRepackedAndAlphaShowsAsGrey)
{
    // 3 x 2 RGB at alignment 4: 9 bytes of pixels and 3 of padding per row.
    const std::vector<uint8_t> rows = {1, 2, 3, 4, 5, 6, 7, 8, 9, 0xEE, 0xEE, 0xEE, 10, 11, 12, 13, 14, 15, 16, 17, 18};
    STextureRecord r;
    r.internalFormat = kRgb;
    r.type = kUbyte;
    r.width = 3;
    r.height = 2;
    r.unpackAlignment = 4;
    STextureImage image;
    BuildTextureImage(r, kRgb, false, rows.data(), rows.size(), image);
    EXPECT_EQ(image.rgb, (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18}));

    const std::vector<uint8_t> alpha = {0, 128, 255, 0xEE, 64, 32, 16};
    r.internalFormat = kAlpha;
    r.height = 2;
    BuildTextureImage(r, kAlpha, false, alpha.data(), alpha.size(), image);
    EXPECT_EQ(image.rgb, (std::vector<uint8_t>{0, 0, 0, 128, 128, 128, 255, 255, 255, 64, 64, 64, 32, 32, 32, 16, 16, 16}));
}

std::vector<uint8_t> Texels(int count, const std::vector<uint8_t>& texel)
{
    std::vector<uint8_t> out(size_t(count) * texel.size());
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = texel[i % texel.size()];
    return out;
}

// Texture 1 made without data and filled by two sub-image updates; texture 2 uploaded on unit 1;
// texture 1 specified again (another size and format) back on unit 0, then deleted, made again
// and updated once more before the trace ends.
std::vector<es2test::SCall> SubImagesAndRespecifiedNames()
{
    using namespace es2calls;
    const std::vector<uint8_t> red = {255, 0, 0, 255}, green = {0, 255, 0, 255};
    return {W(kBindTexture, {kTexture2D, 1}),                                                  // 1
            TexImage(kTexture2D, 0, kRgba, 2, 2, kUbyte, {}),                                  // 2
            TexSubImage(kTexture2D, 0, 0, 0, 2, 1, kRgba, kUbyte, Texels(2, red)),             // 3
            TexSubImage(kTexture2D, 0, 0, 1, 2, 1, kRgba, kUbyte, Texels(2, green)),           // 4
            W(kActiveTexture, {kTex0 + 1}),                                                    // 5
            W(kBindTexture, {kTexture2D, 2}),                                                  // 6
            TexImage(kTexture2D, 0, kRgba, 1, 1, kUbyte, {0, 0, 255, 255}),                    // 7
            W(kActiveTexture, {kTex0}),                                                        // 8
            TexImage(kTexture2D, 0, kAlpha, 4, 4, kUbyte, Texels(16, {128})),                  // 9
            es2test::SwapBuffers(1),                                                           // 10
            {kDeleteTextures, es2test::SPayload().U32(1).Array(0x10, {1})},                    // 11
            W(kBindTexture, {kTexture2D, 1}),                                                  // 12
            TexImage(kTexture2D, 0, kRgb, 1, 1, kUbyte, {9, 8, 7}),                            // 13
            TexSubImage(kTexture2D, 0, 0, 0, 1, 1, kRgb, kUbyte, {1, 2, 3})};                  // 14
}

TEST(TextureImages, SubImageUpdatesAndRespecifiedNamesShowWhatEachCallHolds)
{
    const std::string path = es2test::TempPath("subimages.xqft");
    es2test::WriteCalls(path, SubImagesAndRespecifiedNames());
    const SLoaded loaded = LoadWithStatistics(path);
    ASSERT_TRUE(loaded.trace);
    CTraceData& trace = *loaded.trace;
    CTraceStatistics& statistics = *loaded.statistics;

    const std::vector<uint8_t> redRow = Texels(2, {255, 0, 0}), greenRow = Texels(2, {0, 255, 0});
    std::vector<uint8_t> filled = redRow;
    filled.insert(filled.end(), greenRow.begin(), greenRow.end());

    // The records: each upload's image while it was in force, under the texture it went to.
    struct SRecord { uint32_t call, name; int32_t width; std::vector<uint8_t> rgb; };
    const std::vector<SRecord> records = {{2, 1, 2, filled},
                                          {7, 2, 1, {0, 0, 255}},
                                          {9, 1, 4, Texels(16, {128, 128, 128})},
                                          {13, 1, 1, {1, 2, 3}}};
    size_t seen = 0;
    ExtractTextures(trace, *statistics.GetTextureUploads(), [&](const STextureRecord& r, STextureImage& image) {
        ASSERT_LT(seen, records.size());
        const SRecord& want = records[seen++];
        SCOPED_TRACE("call " + std::to_string(r.callNumber));
        EXPECT_EQ(r.callNumber, want.call);
        EXPECT_EQ(r.textureName, want.name);
        EXPECT_EQ(r.width, want.width);
        EXPECT_EQ(image.kind, STextureImage::kDecoded);
        EXPECT_EQ(image.rgb, want.rgb);
    });
    EXPECT_EQ(seen, records.size());

    // At a call: the texture as it stands just after it (an upload's or update's level, a bind's
    // level 0), whatever happens to the name later.
    struct SAtCall { uint32_t call; bool shows; uint32_t name; int32_t width; uint32_t format; std::vector<uint8_t> rgb; };
    const std::vector<SAtCall> atCalls = {{2, true, 1, 2, kRgba, {}},  // no data yet: black
                                          {3, true, 1, 2, kRgba, redRow},  // the row held

                                          {4, true, 1, 2, kRgba, filled},
                                          {6, false, 0, 0, 0, {}},  // bound, no image yet
                                          {7, true, 2, 1, kRgba, {0, 0, 255}},
                                          {8, false, 0, 0, 0, {}},
                                          {9, true, 1, 4, kAlpha, Texels(16, {128, 128, 128})},
                                          {13, true, 1, 1, kRgb, {9, 8, 7}},
                                          {14, true, 1, 1, kRgb, {1, 2, 3}},
                                          {15, false, 0, 0, 0, {}}};
    for (const SAtCall& want : atCalls) {
        SCOPED_TRACE("at call " + std::to_string(want.call));
        STextureRecord r;
        STextureImage image;
        ASSERT_EQ(TextureAtCall(trace, want.call, r, image), want.shows);
        if (!want.shows)
            continue;
        EXPECT_EQ(r.callNumber, want.call);
        EXPECT_EQ(r.textureName, want.name);
        EXPECT_EQ(r.width, want.width);
        EXPECT_EQ(r.internalFormat, want.format);
        EXPECT_EQ(image.rgb, want.rgb);
    }
}

} // namespace

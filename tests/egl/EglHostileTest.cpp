// EGL records from hostile files: images that lie about their size, attribute lists without a
// terminator, records shorter than their layout, and damaged copies of a whole session.
#include <gtest/gtest.h>

#include "CallQueries.h"
#include "EglFrameImage.h"
#include "LoadFixture.h"
#include "apicall/ApiCall.h"
#include "apicall/CallInfo.h"

TEST(EglHostile, FrameImagesThatLieAboutTheirSizeAreRefused)
{
    const char* claims[] = {"1000x1000", "4294967295x4294967295", "65536x65537", "3x2"};
    for (const char* claim : claims) {
        SCOPED_TRACE(claim);
        ASSERT_EQ(QuietLoad(GenerateTrace("lie.xqft", std::string("egl-frames --frames 1 --image 2x2 --claim ") + claim)).result, 0);
        CTraceData* data = CTraceReader::Instance().GetTraceData();
        SFrameImage image;
        CXQFTString error;
        EXPECT_FALSE(GetFrameImage(data->GetCall(1)->call.get(), image, error));
        EXPECT_NE(std::string(error.CStr()).find("were recorded"), std::string::npos) << error.CStr();
        EXPECT_EQ(image.rgba, nullptr);
    }
    // A block larger than the image is fine: the image is its first width x height x 4 bytes.
    ASSERT_EQ(QuietLoad(GenerateTrace("big.xqft", "egl-frames --frames 1 --image 2x2 --claim 1x2")).result, 0);
    SFrameImage image;
    CXQFTString error;
    EXPECT_TRUE(GetFrameImage(CTraceReader::Instance().GetTraceData()->GetCall(1)->call.get(), image, error));
    CTraceReader::Instance().Close();
}

TEST(EglHostile, AttributeListWithoutTerminatorIsKeptAsRecorded)
{
    ASSERT_EQ(QuietLoad(GenerateTrace("noterm.xqft", "egl-session --frames 1 --context-attribs 0x3098,2,0x3099")).result, 0);
    SEglState s;
    ASSERT_TRUE(CTraceReader::Instance().GetTraceData()->GetFrameEglState(2, &s));
    EXPECT_EQ(s.contexts[0x21].attributes.Count(), 3u);
    CTraceReader::Instance().Close();
}

TEST(EglHostile, RecordsShorterThanTheirLayoutReadAsZero)
{
    // Every EGL id with a payload of two bytes: the error is cut, everything else reads as 0.
    std::string args = "raw";
    // Each id once, from its first row, eglSwapBuffers last (it ends the frame).
    constexpr uint16_t kSwap = CallIdOf(ECallFamily::Egl, "eglSwapBuffers");
    uint16_t last = 0;
    for (const SCallRow& row : callrows::kEgl)
        if (row.id != last && row.id != kSwap) {
            last = row.id;
            args += " --record " + std::to_string(row.id) + ":0102";
        }
    args += " --record " + std::to_string(kSwap) + ":0102";
    ASSERT_EQ(QuietLoad(GenerateTrace("short.xqft", args)).result, 0);
    CTraceData* data = CTraceReader::Instance().GetTraceData();
    EXPECT_EQ(data->GetCallCount(), 40u);
    for (uint32_t n = 1; n <= data->GetCallCount(); ++n) {
        std::vector<CXQFTString> strings;
        data->GetCall(n)->GetCallInfo()->GetStrings(strings);
    }
    CTraceReader::Instance().Close();
}

TEST(EglHostile, DamagedSessionsLoadToAResultCode)
{
    for (const char* gen : {"egl-session --frames 2 --image 2x2 --frame-image 1", "egl-session --frames 1 --data-included 0"}) {
        SCOPED_TRACE(gen);
        const std::vector<unsigned char> bytes = ReadFileBytes(GenerateTrace("seed.xqft", gen));
        const std::string path = TempPath("damaged.xqft");
        auto check = [&](const std::vector<unsigned char>& copy) {
            WriteFileBytes(path, copy);
            const int result = QuietLoad(path).result;
            EXPECT_TRUE(result >= 0 && result <= 5);
            if (CTraceData* data = CTraceReader::Instance().GetTraceData()) {
                for (uint32_t n = 1; n <= data->GetCallCount(); ++n) {
                    STraceCall* call = data->GetCall(n);
                    std::vector<CXQFTString> strings;
                    call->GetCallInfo()->GetStrings(strings);
                    SFrameImage image;
                    CXQFTString error;
                    if (GetFrameImage(call->call.get(), image, error)) {
                        std::vector<uint8_t> rgb;
                        FrameImageToRgb(image, rgb);
                    }
                }
                const int32_t frames = data->GetFrameCount();
                for (int32_t f = 1; f <= frames; ++f) {
                    SEglState s;
                    data->GetFrameEglState(static_cast<uint32_t>(f), &s);
                }
            }
            CTraceReader::Instance().Close();
        };
        for (size_t n = 0; n < bytes.size(); n += 3)
            check(std::vector<unsigned char>(bytes.begin(), bytes.begin() + n));
        for (size_t i = 0; i < bytes.size(); ++i)
            for (unsigned char mask : {0x01, 0x80, 0xFF}) {
                std::vector<unsigned char> copy = bytes;
                copy[i] ^= mask;
                check(copy);
            }
    }
}

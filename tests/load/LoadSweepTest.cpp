// Hostile input: every prefix of a small trace, and copies with bytes flipped, must each load
// to a result code without a crash, a hang or an out-of-bounds read (run under the sanitizers).
#include <gtest/gtest.h>

#include "LoadFixture.h"
#include "apicall/ApiCall.h"
#include "apicall/CallInfo.h"

namespace {
// Loads path and walks everything a viewer would touch afterwards.
int LoadAndWalk(const std::string& path)
{
    const int result = QuietLoad(path).result;
    EXPECT_GE(result, 0);
    EXPECT_LE(result, 5);
    if (CTraceData* data = CTraceReader::Instance().GetTraceData()) {
        const int32_t frames = data->GetFrameCount();
        for (int32_t f = 1; f <= frames; ++f) {
            data->SetCurrentFrame(static_cast<uint32_t>(f), true);
            while (STraceCall* call = data->GetNextCall()) {
                std::vector<CXQFTString> strings;
                call->GetCallInfo()->GetStrings(strings);
            }
            SEglState egl;
            data->GetFrameEglState(static_cast<uint32_t>(f), &egl);
        }
        SEs2State es2;
        data->GetEs2StateAtCall(static_cast<int32_t>(data->GetCallCount()) - 1, &es2);
        SEs1State es1;
        data->GetEs1StateAtCall(static_cast<int32_t>(data->GetCallCount()) - 1, &es1);
    }
    CTraceReader::Instance().Close();
    return result;
}

std::vector<unsigned char> SmallTrace(const char* args)
{
    const std::string path = GenerateTrace("seed.xqft", args);
    EXPECT_FALSE(path.empty());
    return ReadFileBytes(path);
}

const char* const kSeeds[] = {
    "egl-frames --frames 3 --image 2x2 --frame-image 1",
    "egl-frames --frames 2 --version 7 --table-selector 1",
    // ES 1.1 calls of every kind, client-array draws with their blocks, a texture upload.
    "es1-mixed --calls 40 --frames 2 --vertex-bytes 48 --texture-bytes 16",
    // Extension calls on both APIs: fixed-point calls, vertex-array binds, map and unmap pairs.
    "ext-mixed --calls 40 --frames 2 --vertex-bytes 16",
};
}  // namespace

// One case per seed trace, so that the slow sweeps (tens of seconds under the sanitizers) can run
// side by side as shards of the program (see CMakeLists.txt).
class LoadSweep : public ::testing::TestWithParam<const char*>
{
};

TEST_P(LoadSweep, EveryPrefixGivesAResultCode)
{
    const std::vector<unsigned char> bytes = SmallTrace(GetParam());
    ASSERT_EQ(LoadAndWalk(TempPath("seed.xqft")), 0);
    const std::string path = TempPath("prefix.xqft");
    int truncated = 0;
    for (size_t n = 0; n < bytes.size(); ++n) {
        WriteFileBytes(path, std::vector<unsigned char>(bytes.begin(), bytes.begin() + n));
        const int result = LoadAndWalk(path);
        truncated += result == 3;
    }
    EXPECT_GT(truncated, 0);  // cuts inside records are reported as such
}

TEST_P(LoadSweep, FlippedBytesGiveAResultCode)
{
    const std::vector<unsigned char> bytes = SmallTrace(GetParam());
    const std::string path = TempPath("flipped.xqft");
    for (size_t i = 0; i < bytes.size(); ++i) {
        for (unsigned char mask : {0x01, 0x80, 0xFF}) {
            std::vector<unsigned char> copy = bytes;
            copy[i] ^= mask;
            WriteFileBytes(path, copy);
            LoadAndWalk(path);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, LoadSweep, ::testing::ValuesIn(kSeeds));

// PlayCall's dispatch: marker records count as played, ids no player takes fail with their line,
// a null entry fails with the error line. Nothing here reaches a host library.
#include "CallQueries.h"
#include "LoadFixture.h"
#include "Playback.h"
#include "apicall/ApiCall.h"
#include "data/TraceData.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

// A record without a call of its own (a marker) as a trace entry.
class CMarkerCall : public CApiCall
{
public:
    explicit CMarkerCall(uint16_t id) : CApiCall(nullptr) { SetCallId(id); }
    const char* GetName() const override { return "marker"; }
    int GetId() const override { return GetCallId(); }
    const char* GetCategory() const override { return ""; }
};

struct SPlayed
{
    uint8_t result;
    std::string out, err;
};

SPlayed Play(CPlayback& playback, STraceCall* call, uint8_t checkErrors = 1)
{
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    SPlayed p;
    p.result = playback.PlayCall(call, checkErrors);
    p.out = testing::internal::GetCapturedStdout();
    p.err = testing::internal::GetCapturedStderr();
    return p;
}

TEST(PlayCall, MarkerRecordsCountAsPlayed)
{
    CPlayback playback;
    for (uint16_t id : {2, 3, 4}) {
        STraceCall entry(1, std::make_unique<CMarkerCall>(id), 0);
        const SPlayed p = Play(playback, &entry);
        EXPECT_EQ(p.result, 1) << id;
        EXPECT_EQ(p.out, "");
        EXPECT_EQ(playback.m_checkErrors, 1);
    }
}

TEST(PlayCall, ANullEntryFailsWithTheErrorLine)
{
    CPlayback playback;
    const SPlayed p = Play(playback, nullptr);
    EXPECT_EQ(p.result, 0);
    EXPECT_EQ(p.err, "ERROR: PlayCall Error: Unrecognized/Error call\n");
    EXPECT_EQ(p.out, "\n");
}

TEST(PlayCall, EglExtensionCallsHaveNoPlayer)
{
    const std::string path = GenerateTrace("every.xqft", "egl-every");
    ASSERT_FALSE(path.empty());
    ASSERT_EQ(QuietLoad(path).result, 0);
    CTraceData* data = CTraceReader::Instance().GetTraceData();
    CPlayback playback;
    playback.BindTrace(data);
    int extensions = 0;
    for (uint32_t n = 1; n <= data->GetCallCount(); ++n) {
        STraceCall* entry = data->GetCall(n);
        const uint16_t id = entry->call->GetCallId();
        if (id < CallIdOf(ECallFamily::Egl, "eglSetSwapRectangleANDROID") ||
            id > CallIdOf(ECallFamily::Egl, "eglDestroyImageKHR"))
            continue;
        ++extensions;
        const SPlayed p = Play(playback, entry);
        EXPECT_EQ(p.result, 0) << id;
        EXPECT_EQ(p.out, "Error call:" + std::string(entry->call->GetName()) + " " + std::to_string(id) + "\n");
    }
    EXPECT_EQ(extensions, 6);
    CTraceReader::Instance().Close();
}

} // namespace

// Counting rules of the statistics pass: ES 1.1 draws beside ES 2.0 ones and functions of one
// name in both APIs, read from a generated trace, and counts no generated trace holds (stand-ins
// that describe themselves like the records do).
#include <gtest/gtest.h>

#include <cstdio>
#include <unistd.h>
#include <fstream>
#include <sstream>
#include <string>

#include "CallQueries.h"
#include "TraceStatistics.h"
#include "apicall/ApiCall.h"
#include "apicall/CallInfo.h"
#include "data/TraceData.h"
#include "data/TraceReader.h"

#include <filesystem>
#include "TestPaths.h"

namespace {

class CStandIn : public CApiCall
{
public:
    CStandIn(uint16_t id, const char* name, uint32_t mode = 0, int32_t count = 0) : CApiCall(nullptr), m_name(name)
    {
        SetCallId(id);
        m_mode.value = mode;
        m_count.value = count;
    }
    const char* GetName() const override { return m_name; }
    int GetId() const override { return GetCallId(); }
    const char* GetCategory() const override { return ""; }
    void ListArguments(CCallInfo* info, uint8_t verbose) override
    {
        CApiCall::ListArguments(info, verbose);
        info->AddArgument("mode", &m_mode, 0);
        info->AddArgument("first", &m_first, 0);
        info->AddArgument("count", &m_count, 0);
    }

private:
    const char* m_name;
    TGLBeginMode m_mode;
    TintType<17> m_first;
    TintType<18> m_count;
};

std::string ReadText(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// tests/app/make_traces.py's es1.xqft: ES 1.1 draws with their client arrays, a texture upload,
// and ES 2.0 draws of the same names in the same frames.
TEST(Statistics, Es1RecordsCountBesideEs2RecordsOfTheSameNames)
{
    const std::string folder = std::filesystem::temp_directory_path() / ("xqft-stats-" + std::to_string(getpid()));
    const std::string command =
        "python3 " + SourceDir() + "/tests/app/make_traces.py " + SourceDir() + "/tools " + folder;
    ASSERT_EQ(std::system(command.c_str()), 0);
    CTraceReader& reader = CTraceReader::Instance();
    reader.SetLog(nullptr, nullptr);
    ASSERT_EQ(reader.LoadTrace(CXQFTString((folder + "/es1.xqft").c_str()), 1), kLoadOk);

    CTraceStatistics s(reader.GetTraceData());
    s.Compute();
    ASSERT_EQ(s.GetFrameCount(), 2u);
    const STraceFrameStats* one = s.GetFrame(1);
    EXPECT_EQ(one->frame.triangles, 8u);   // 9 / 3 + 6 / 3 + strip of 4 + ES 2.0 3 / 3
    EXPECT_EQ(one->frame.drawCalls, 4u);
    EXPECT_EQ(one->frame.textureUploads, 1u);
    EXPECT_EQ(one->frame.drawCallNumbers, (std::vector<uint32_t>{7, 8, 9, 10}));
    EXPECT_EQ(one->CountOf("glDrawArrays"), 3u);   // two ES 1.1 calls and one ES 2.0 call
    const STraceFrameStats* two = s.GetFrame(2);
    EXPECT_EQ(two->frame.triangles, 12u);  // fan of 5, strip of 7, ES 2.0 strip of 6
    EXPECT_EQ(two->CountOf("glDrawArrays"), 2u);
    EXPECT_EQ(two->total.drawCalls, 7u);
    EXPECT_EQ(two->total.functionCalls, 15u);
    EXPECT_EQ(two->functionsSoFar, one->functionsSoFar);   // no new function in frame 2: shared

    const std::string path = folder + "/calls.csv";
    ASSERT_TRUE(s.SaveCallsSummary(CXQFTString(path.c_str())));
    EXPECT_EQ(ReadText(path), "@,eglSwapBuffers,glBindTexture,glClear,glDrawArrays,glDrawElements,glEnableClientState,"
                              "glTexImage2D,glVertexPointer,glViewport,\n"
                              "1,1,1,1,3,1,1,1,1,1,\n"
                              "2,1,0,0,2,1,0,0,0,0,\n");
    reader.Close();
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

TEST(Statistics, Es1DrawsCountLikeEs2AndSharedNamesAddUp)
{
    CTraceData trace;
    trace.AddCall(new CStandIn(CallIdOf(ECallFamily::Es1, "glDrawElements"), "glDrawElements", 4, 36), 0,
                  0); // ES 1.1: 12 triangles
    trace.AddCall(new CStandIn(CallIdOf(ECallFamily::Es1, "glDrawArrays"), "glDrawArrays", 6, 1), 0,
                  0); // fan of 1: none
    trace.AddCall(new CStandIn(CallIdOf(ECallFamily::Es1, "glDrawArrays"), "glDrawArrays", 5, 0), 0,
                  0); // strip of 0: none
    trace.AddCall(new CStandIn(CallIdOf(ECallFamily::Es2, "glDrawArrays"), "glDrawArrays", 5, 5), 0,
                  0); // ES 2.0 strip: 3
    trace.AddCall(new CStandIn(CallIdOf(ECallFamily::Es1, "glTexImage2D"), "glTexImage2D"), 0, 0);
    trace.AddCall(new CStandIn(CallIdOf(ECallFamily::Egl, "eglSwapBuffers"), "eglSwapBuffers"), 0, 0);
    trace.AddCall(new CStandIn(CallIdOf(ECallFamily::Es2, "glDrawArrays"), "glDrawArrays", 1, 2), 0,
                  0); // frame 2: lines only
    trace.AddCall(new CStandIn(CallIdOf(ECallFamily::Egl, "eglSwapBuffers"), "eglSwapBuffers"), 0, 0);
    trace.AddCall(new CStandIn(CallIdOf(ECallFamily::Es2, "glDrawArrays"), "glDrawArrays", 0, 1), 0,
                  0); // frame 3: ES 2.0 first
    trace.AddCall(new CStandIn(CallIdOf(ECallFamily::Es1, "glDrawArrays"), "glDrawArrays", 0, 1), 0, 0);
    trace.AddCall(new CStandIn(CallIdOf(ECallFamily::Egl, "eglSwapBuffers"), "eglSwapBuffers"), 0, 0);

    CTraceStatistics s(&trace);
    s.Compute();
    ASSERT_EQ(s.GetFrameCount(), 3u);
    const STraceFrameStats* one = s.GetFrame(1);
    EXPECT_EQ(one->frame.triangles, 15u);
    EXPECT_EQ(one->frame.drawCalls, 4u);
    EXPECT_EQ(one->frame.textureUploads, 1u);
    EXPECT_EQ(one->frame.drawCallNumbers, (std::vector<uint32_t>{1, 2, 3, 4}));
    EXPECT_EQ(one->CountOf("glDrawArrays"), 3u);   // two ES 1.1 calls and one ES 2.0 call
    const STraceFrameStats* two = s.GetFrame(2);
    EXPECT_EQ(two->frame.lineDraws, 1u);
    EXPECT_EQ(two->total.triangles, 15u);
    EXPECT_EQ(two->total.drawCalls, 5u);
    EXPECT_EQ(two->total.functionCalls, 8u);
    EXPECT_EQ(two->functionsSoFar, one->functionsSoFar);   // no new function in frame 2: shared
    // A name called in both APIs keeps one id, the same whichever API the frame called first.
    auto idOf = [](const STraceFrameStats* f, const char* name) {
        for (const SFunctionCount& c : f->functionCounts)
            if (std::string(c.name) == name)
                return c.id;
        return 0u;
    };
    EXPECT_EQ(idOf(one, "glDrawArrays"), 3036u);
    EXPECT_EQ(idOf(s.GetFrame(3), "glDrawArrays"), 3036u);
    EXPECT_EQ(s.GetFrame(3)->CountOf("glDrawArrays"), 2u);

    char path[] = "/tmp/xqft-calls-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    ASSERT_TRUE(s.SaveCallsSummary(CXQFTString(path)));
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    std::remove(path);
    EXPECT_EQ(text.str(), "@,eglSwapBuffers,glDrawArrays,glDrawElements,glTexImage2D,\n"
                          "1,1,3,1,1,\n"
                          "2,1,1,0,0,\n"
                          "3,1,2,0,0,\n");
}

TEST(Statistics, NegativeCountsDrawNothing)
{
    // A negative GLsizei is refused by GL; read as unsigned it would add over a billion triangles.
    CTraceData trace;
    trace.AddCall(new CStandIn(CallIdOf(ECallFamily::Es2, "glDrawArrays"), "glDrawArrays", 4, -3), 0, 0);
    trace.AddCall(new CStandIn(CallIdOf(ECallFamily::Es2, "glDrawElements"), "glDrawElements", 5, -1), 0, 0);
    trace.AddCall(new CStandIn(CallIdOf(ECallFamily::Es1, "glDrawArrays"), "glDrawArrays", 6, -100), 0, 0);
    trace.AddCall(new CStandIn(CallIdOf(ECallFamily::Egl, "eglSwapBuffers"), "eglSwapBuffers"), 0, 0);

    CTraceStatistics s(&trace);
    // Nothing counted yet: the calls summary is its header alone.
    char path[] = "/tmp/xqft-empty-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    EXPECT_TRUE(s.SaveCallsSummary(CXQFTString(path)));
    std::remove(path);

    s.Compute();
    EXPECT_EQ(s.GetFrame(1)->frame.drawCalls, 3u);
    EXPECT_EQ(s.GetFrame(1)->frame.triangles, 0u);
}

} // namespace

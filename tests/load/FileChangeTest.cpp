// A trace file that changes while it is open: cut (a writer truncating it), rewritten in place, or
// grown by a capture that goes on. Captured bytes stay in the file, so a cut must neither kill the
// process nor hand out bytes that are no longer the trace's: they show as unavailable.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "CallQueries.h"
#include "EglFrameImage.h"
#include "Es2StateText.h"
#include "LoadFixture.h"
#include "RunCommand.h"
#include "TextureImages.h"
#include "TraceStatistics.h"
#include "apicall/ApiCall.h"
#include "apicall/CallInfo.h"
#include "data/TraceData.h"
#include "state/Es2State.h"
#include "stream/FileMapping.h"
#include "stream/IOManager.h"
#include "stream/TraceHeader.h"
#include "TestPaths.h"

namespace {

uint64_t FileSize(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? uint64_t(st.st_size) : 0;
}

// The image recorded with the last eglSwapBuffers of the trace.
bool LastFrameImage(CTraceData& trace, SFrameImage& image, CXQFTString& error)
{
    for (uint32_t n = trace.GetCallCount(); n > 0; --n)
        if (IsFrameEnd(trace.GetCall(n)->call->GetCallId()))
            return GetFrameImage(trace.GetCall(n)->call.get(), image, error);
    error = "no eglSwapBuffers";
    return false;
}

// The compact text of the argument `name` of the first call to `function`; "" when there is none.
std::string ArgumentText(CTraceData& trace, const char* function, const char* name)
{
    for (uint32_t n = 1; n <= trace.GetCallCount(); ++n) {
        CApiCall* call = trace.GetCall(n)->call.get();
        if (std::strcmp(call->GetName(), function) != 0)
            continue;
        CGenCallInfo info;
        call->ListArguments(&info, 0);
        for (size_t i = 0; info.GetArguments() && i < info.GetArguments()->size(); ++i) {
            if (info.GetArgumentNames()[i] != name)
                continue;
            CXQFTString text;
            (*info.GetArguments())[i]->ToString(text, nullptr);
            return text.CStr();
        }
    }
    return "";
}

class FileChange : public testing::Test
{
protected:
    void SetUp() override
    {
        path = GenerateTrace("sample.xqft", "sample");
        ASSERT_FALSE(path.empty());
        ASSERT_EQ(QuietLoad(path).result, 0);
        trace = CTraceReader::Instance().GetTraceData();
        ASSERT_NE(trace, nullptr);
        ASSERT_TRUE(trace->CapturedBytesIntact());
    }
    void TearDown() override { CTraceReader::Instance().Close(); }

    std::string path;
    CTraceData* trace = nullptr;
};

TEST_F(FileChange, ACutFileShowsItsBytesAsUnavailableAndReadingThemDoesNotCrash)
{
    SFrameImage image;
    CXQFTString error;
    ASSERT_TRUE(LastFrameImage(*trace, image, error)) << error.CStr();
    CTraceStatistics statistics(trace);
    statistics.Compute();
    ASSERT_FALSE(statistics.GetTextureUploads()->empty());

    ASSERT_EQ(truncate(path.c_str(), off_t(FileSize(path) / 2)), 0);
    // A view that took the image before the cut reads the pages past the new end: zeros, no fault.
    std::vector<uint8_t> rgb;
    FrameImageToRgb(image, rgb);
    EXPECT_FALSE(CapturedBytesIntact(image.rgba));
    EXPECT_FALSE(trace->CapturedBytesIntact());

    EXPECT_FALSE(LastFrameImage(*trace, image, error));
    EXPECT_STREQ(error.CStr(), kFrameImageUnavailable);
    STextureRecord record;
    STextureImage texture;
    ASSERT_TRUE(ExtractTexture(*trace, statistics.GetTextureUploads()->front(), record, texture));
    EXPECT_EQ(texture.kind, STextureImage::kUnavailable);
    EXPECT_TRUE(texture.rgb.empty());
    SEs2State state;
    ASSERT_TRUE(trace->GetEs2StateAtCall(int32_t(trace->GetCallCount() - 1), &state));
    EXPECT_NE(DescribeEs2State(state).find("sum=unavailable"), std::string::npos);

    // Reading the trace again reads what the file holds now, with its bytes whole.
    const SLoad again = QuietLoad(path);
    EXPECT_TRUE(again.result == 0 || again.result == 3) << again.result;
    ASSERT_NE(CTraceReader::Instance().GetTraceData(), nullptr);
    EXPECT_TRUE(CTraceReader::Instance().GetTraceData()->CapturedBytesIntact());
}

TEST_F(FileChange, AGrowingFileKeepsItsBytesARewrittenOneLosesThem)
{
    // A capture still writing appends: what was read stays valid.
    {
        const int fd = open(path.c_str(), O_WRONLY | O_APPEND);
        ASSERT_GE(fd, 0);
        const std::vector<uint8_t> more(4096, 0x5A);
        ASSERT_EQ(write(fd, more.data(), more.size()), ssize_t(more.size()));
        close(fd);
    }
    EXPECT_TRUE(trace->CapturedBytesIntact());
    SFrameImage image;
    CXQFTString error;
    EXPECT_TRUE(LastFrameImage(*trace, image, error)) << error.CStr();
    // An attribute list long enough to stay in the file.
    const std::string attribs = ArgumentText(*trace, "eglChooseConfig", "attrib_list");
    EXPECT_EQ(attribs.rfind("{ EGL_RED_SIZE : 8", 0), 0u) << attribs;

    // Rewritten in place, same size or longer: a record header the load walked differs.
    std::vector<unsigned char> bytes = ReadFileBytes(path);
    STraceHeader header;
    ASSERT_TRUE(IOManager::Instance().Open(CXQFTString(path.c_str())));
    ASSERT_EQ(ReadTraceHeader(IOManager::Instance(), header), kHeaderOk);
    IOManager::Instance().Close();
    const uint64_t first = header.firstRecordOffset;
    ASSERT_LT(first + 6, bytes.size());
    bytes[first + 4] ^= 0xFF;  // the first record's id
    const int fd = open(path.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(pwrite(fd, bytes.data() + first + 4, 1, off_t(first + 4)), 1);
    close(fd);
    EXPECT_FALSE(trace->CapturedBytesIntact());
    EXPECT_FALSE(LastFrameImage(*trace, image, error));
    // Array values kept in the file are no longer what was recorded: the pointer stands for them.
    const std::string gone = ArgumentText(*trace, "eglChooseConfig", "attrib_list");
    EXPECT_EQ(gone.rfind("0x", 0), 0u) << gone;
}

// One write() of zeros over the whole file: its time is set as it starts, so a look while it goes
// on sees the new time and bytes not yet written over. Simulated here with the time set by hand: a
// same-size write that changes no sampled byte, looked at, then the zeros under that same time.
TEST_F(FileChange, AWriteInPlaceIsComparedAgainUnderTheTimeALookAccepted)
{
    const int fd = open(path.c_str(), O_RDWR);
    ASSERT_GE(fd, 0);
    std::vector<unsigned char> bytes = ReadFileBytes(path);
    ASSERT_EQ(pwrite(fd, bytes.data(), 1, 0), 1);
    struct stat st;
    ASSERT_EQ(fstat(fd, &st), 0);
    const timespec during[2] = {st.st_atim, {st.st_mtim.tv_sec + 7, st.st_mtim.tv_nsec}};
    ASSERT_EQ(futimens(fd, during), 0);
    EXPECT_TRUE(trace->CapturedBytesIntact()) << "nothing sampled has changed yet";
    std::fill(bytes.begin(), bytes.end(), 0);
    ASSERT_EQ(pwrite(fd, bytes.data(), bytes.size(), 0), ssize_t(bytes.size()));
    ASSERT_EQ(futimens(fd, during), 0);
    close(fd);
    EXPECT_FALSE(trace->CapturedBytesIntact());
}

size_t CountLines(const char* path)
{
    size_t n = 0;
    if (FILE* f = std::fopen(path, "r")) {
        for (int c; (c = std::fgetc(f)) != EOF;)
            n += c == '\n';
        std::fclose(f);
    }
    return n;
}

TEST_F(FileChange, LoadsOneAfterAnotherLeaveNoMappingNorFileBehind)
{
    CTraceReader::Instance().Close();
    const size_t maps = CountLines("/proc/self/maps");
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        files += !entry.is_directory();
    for (int i = 0; i < 20; ++i)
        ASSERT_EQ(QuietLoad(path).result, 0);
    CTraceReader::Instance().Close();
    size_t filesAfter = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        filesAfter += !entry.is_directory();
    EXPECT_EQ(filesAfter, files);
    EXPECT_LE(CountLines("/proc/self/maps"), maps + 2);  // the allocator may map an arena meanwhile
}

// A listener that cuts the file as soon as the walk reports progress.
class CCutting : public CBasicEvent
{
public:
    explicit CCutting(std::string path) : m_path(std::move(path)) {}
    void OnEvent(uint32_t, void* argument) override
    {
        const CXQFTString& text = static_cast<CTraceReader*>(argument)->GetStatusText();
        if (!m_cut && std::strncmp(text.CStr(), "Frame:", 6) == 0) {
            struct stat st;
            m_cut = stat(m_path.c_str(), &st) == 0 && truncate(m_path.c_str(), st.st_size / 3) == 0;
        }
    }
    bool m_cut = false;

private:
    std::string m_path;
};

TEST(FileChangeWhileLoading, ACutDuringTheWalkEndsTheLoadEarly)
{
    // Frame images make the trace long enough for progress events in the middle of the walk.
    const std::string path = GenerateTrace("cut.xqft", "egl-frames --frames 60 --image 64x64");
    ASSERT_FALSE(path.empty());
    CTraceReader& reader = CTraceReader::Instance();
    reader.SetLog(stdout, stdout);
    CCutting cutting(path);
    reader.AddListener(CTraceReader::kProgressEvent, &cutting);
    const int result = reader.LoadTrace(CXQFTString(path.c_str()), 1);
    reader.RemoveListener(CTraceReader::kProgressEvent);
    reader.SetLog(nullptr, nullptr);
    ASSERT_TRUE(cutting.m_cut);
    EXPECT_EQ(result, 3);
    ASSERT_NE(reader.GetTraceData(), nullptr);
    EXPECT_GT(reader.GetTraceData()->GetCallCount(), 0u);
    EXPECT_FALSE(reader.GetTraceData()->CapturedBytesIntact());
    reader.Close();
}

// Every command of xqft-dump on a trace cut to half right after its load: none dies of it, and
// those that show captured bytes say they are gone.
TEST(FileChangeInTheTool, EveryCommandSurvivesACutAfterTheLoad)
{
    struct SCase
    {
        const char* command;   // FILE and OUT are replaced
        bool showsBytes;
    };
    const SCase cases[] = {
        {"load FILE", false},
        {"calls FILE --frame 1", false},
        {"state FILE --call 30", true},
        {"es1-state FILE --call 30", false},
        {"state-page FILE --call 30", false},
        {"egl-state FILE --frame 2", false},
        {"frame-image FILE --frame 1 OUT.ppm", true},
        {"export-text FILE OUT.txt", false},
        {"export-csv FILE OUT.f.csv OUT.c.csv", false},
        {"export-shaders FILE OUT", false},
        {"textures FILE OUT", true},
        {"summary FILE --frame 1", false},
        {"search FILE glDraw", false},
        {"egl-host FILE --frame 2", true},
        {"host-state FILE --frame 2", true},
        {"replay FILE --frame 2 OUT.ppm", true},
        {"analyse FILE --frame 2 OUT.ppm", true},
    };
    const std::string out = TempPath("out");
    mkdir(out.c_str(), 0755);
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.command);
        const std::string path = GenerateTrace("tool.xqft", "sample");
        ASSERT_FALSE(path.empty());
        std::string command = c.command;
        command.replace(command.find("FILE"), 4, "'" + path + "'");
        for (size_t at; (at = command.find("OUT")) != std::string::npos;)
            command.replace(at, 3, out);
        const SRunResult r = RunCommand("XQFT_DUMP_CUT_AFTER_LOAD=" + std::to_string(FileSize(path) / 2) +
                                        " XQFT_PLAYBACK_WINDOWS=headless " + BinaryDir() + "/bin/xqft-dump " + command);
        ASSERT_GE(r.status, 0);
        EXPECT_LT(r.status, 128) << "died of signal " << r.status - 128 << "\n" << r.err;
        if (c.showsBytes) {
            EXPECT_NE(r.status, 0) << r.out;
            EXPECT_TRUE(r.err.find("unavailable") != std::string::npos || r.out.find("unavailable") != std::string::npos ||
                        r.err.find("not available") != std::string::npos)
                << r.err;
        }
    }
}

// The exports of a trace whose file is cut while the load walks it: the load stops early, the
// export writes what was read, and the exit status and an error line say the output is partial.
TEST(FileChangeInTheTool, AnExportOfAFileCutWhileLoadingFailsAndNamesItsOutput)
{
    const std::string path = GenerateTrace("cut-export.xqft", "egl-frames --frames 60 --image 64x64");
    ASSERT_FALSE(path.empty());
    const std::string copy = path + ".copy";
    const std::string out = TempPath("export-out");
    mkdir(out.c_str(), 0755);
    const char* commands[] = {"export-text FILE OUT/t.txt", "export-csv FILE OUT/f.csv OUT/c.csv", "textures FILE OUT"};
    for (const char* c : commands) {
        for (const bool cut : {false, true}) {
            SCOPED_TRACE(std::string(c) + (cut ? ", cut" : ""));
            std::filesystem::copy_file(path, copy, std::filesystem::copy_options::overwrite_existing);
            std::string command = c;
            command.replace(command.find("FILE"), 4, "'" + copy + "'");
            for (size_t at; (at = command.find("OUT")) != std::string::npos;)
                command.replace(at, 3, out);
            const std::string env = cut ? "XQFT_DUMP_CUT_DURING_LOAD=" + std::to_string(FileSize(copy) / 3) + " " : "";
            const SRunResult r = RunCommand(env + BinaryDir() + "/bin/xqft-dump " + command + " >/dev/null");
            if (!cut) {
                EXPECT_EQ(r.status, 0) << r.err;
                continue;
            }
            EXPECT_GT(r.status, 0) << r.err;
            EXPECT_LT(r.status, 128) << r.err;
            EXPECT_NE(r.err.find("cut or changed while it was read: what was written to " + out), std::string::npos)
                << r.err;
            EXPECT_NE(r.err.find("is partial"), std::string::npos) << r.err;
        }
    }
}

} // namespace

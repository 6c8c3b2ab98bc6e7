// ES 2.0 records over bad input: null pointers with counts, counts larger than the record,
// records shorter than their layout, 8-byte pointer tables. Nothing may read outside its record.
#include "CallQueries.h"
#include "Es2TestSupport.h"

#include "Es2Records.h"
#include "Es2Factory.h"
#include "data/TraceData.h"
#include "data/TraceReader.h"
#include "record/XqftError.h"
#include "stream/IOManager.h"

#include <gtest/gtest.h>


using namespace es2test;

namespace {

TEST(Es2Hostile, NullPointersWithCountsReadNoElements)
{
    struct SCase
    {
        uint16_t id;
        std::vector<uint8_t> (*payload)();
        uint64_t consumed;
        const char* listing;
    } cases[] = {
        {CallIdOf(ECallFamily::Es2, "glDeleteTextures"), [] { return SPayload{}.U32(0).U32(5).Ptr(0).U32(5).bytes; },
         16, "glDeleteTextures(n=5, textures=NULL) ==> -"},
        {CallIdOf(ECallFamily::Es2, "glShaderSource"),
         [] { return SPayload{}.U32(0).U32(3).U32(2).Ptr(0).U32(2).Ptr(0).U32(2).bytes; }, 28,
         "glShaderSource(shader=3, count=2, string=NULL, length=NULL) ==> -"},
        {CallIdOf(ECallFamily::Es2, "glGetProgramInfoLog"),
         [] { return SPayload{}.U32(0).U32(3).U32(64).Ptr(0).U32(1).Ptr(0).U32(5).bytes; }, 28,
         "glGetProgramInfoLog(program=3, bufsize=64, length=NULL, infolog=NULL) ==> -"},
        {CallIdOf(ECallFamily::Es2, "glVertexAttrib4fv"), [] { return SPayload{}.U32(0).U32(1).Ptr(0).bytes; }, 12,
         "glVertexAttrib4fv(index=1, values=NULL) ==> -"},
    };
    for (const auto& c : cases) {
        SReadCall r = BuildCall(c.id, c.payload(), true);
        ASSERT_NE(r.call, nullptr);
        EXPECT_EQ(r.consumed, c.consumed) << c.listing;
        EXPECT_EQ(Describe(*r.call, 1), c.listing);
    }
}

TEST(Es2Hostile, CountsLargerThanTheRecordFailTheRecordWithoutAllocating)
{
    const std::vector<std::vector<uint8_t>> payloads[] = {
        {SPayload{}.U32(0).U32(1).Ptr(0x10).U32(0x40000000).bytes},                         // glGenTextures
        {SPayload{}.U32(0).U32(0x8892).U32(16).Ptr(0x10).U32(0xFFFFFFFF).U32(0x88E4).bytes}, // glBufferData
        {SPayload{}.U32(0).U32(1).U32(2).Ptr(0x10).U32(0x7FFFFFFF).bytes},                   // glShaderSource
        {SPayload{}.U32(0).U32(1).U32(1).U32(0).Ptr(0x10).U32(0x10000000).bytes},            // glUniformMatrix4fv
    };
    const uint16_t ids[] = {CallIdOf(ECallFamily::Es2, "glGenTextures"), CallIdOf(ECallFamily::Es2, "glBufferData"),
                            CallIdOf(ECallFamily::Es2, "glShaderSource"),
                            CallIdOf(ECallFamily::Es2, "glUniformMatrix4fv")};
    for (size_t i = 0; i < std::size(ids); ++i)
        EXPECT_THROW(BuildCall(ids[i], payloads[i][0], true), CXqftSizeError) << ids[i];
}

// Every record of every mode, ES 2.0 and ES 1.1, cut to every shorter length: the call reads
// nothing past the cut (so the next record is found where the header says), and either builds
// with zeros for what is missing or fails with the reader's size error.
TEST(Es2Hostile, RecordsShorterThanTheirLayoutNeverReadPastTheirEnd)
{
    for (const char* family : {"es2-all", "es1-all"}) {
        for (const char* options : {"", "--no-data", "--pointer-size 8", "--no-data --pointer-size 8"}) {
            SCOPED_TRACE(std::string(family) + " " + options);
            const std::string path = TempPath("cut.xqft");
            Generate(std::string(family) + " " + path + " " + options);
            STraceHeader header;
            const auto records = RawRecords(path, header);
            ASSERT_FALSE(records.empty());
            IOManager& io = IOManager::Instance();
            ASSERT_TRUE(io.Open(CXQFTString(path.c_str())));
            CTrace trace(header.version, header.dataIncluded, header.typeSizes.data(), header.tableCount);
            for (const auto& rec : records) {
                for (uint32_t cut = 0; cut < rec.size; ++cut) {
                    io.Seek(int64_t(rec.payloadOffset), 0);
                    trace.SetRecordSize(cut);
                    try {
                        std::unique_ptr<CApiCall> call(CreateCallById(rec.id, &trace));
                        ASSERT_NE(call, nullptr);
                        CGenCallInfo info;
                        call->ListArguments(&info, 1);
                    } catch (const CXqftSizeError&) {
                    }
                    ASSERT_LE(trace.GetRecordConsumed(), cut) << rec.id << " cut at " << cut;
                }
            }
            io.Close();
        }
    }
}

// Through the loader: a record shorter than its layout (glViewport with two of its four values)
// and a draw whose last block claims more than the record holds; the records after them are read
// where their headers put them.
TEST(Es2Hostile, TheLoaderFindsTheRecordsAfterShortOnes)
{
    const std::string path = TempPath("short_records.xqft");
    WriteTrace(
        path,
        {{CallIdOf(ECallFamily::Es2, "glViewport"), SPayload().U32(0).U32(7).U32(8).bytes},
         {CallIdOf(ECallFamily::Es2, "glDrawArrays"),
          SPayload().Words({0, 4, 0, 3}).Block(0x10, 48).Ptr(0x20).U32(4000).Raw(std::vector<uint8_t>(48, 1)).bytes},
         {CallIdOf(ECallFamily::Es2, "glViewport"), SPayload().Words({0, 1, 2, 3, 4}).bytes}},
        true);
    CTraceReader& reader = CTraceReader::Instance();
    reader.SetLog(nullptr, nullptr);
    EXPECT_EQ(reader.LoadTrace(CXQFTString(path.c_str()), 1), 0);
    CTraceData* data = reader.GetTraceData();
    ASSERT_NE(data, nullptr);
    ASSERT_EQ(data->GetCallCount(), 3u);
    EXPECT_EQ(Describe(*data->GetCall(1)->call, 1), "glViewport(x=7, y=8, width=0, height=0) ==> -");
    EXPECT_EQ(CapturedBlocksOf(data->GetCall(2)->call.get())->Count(), 1u);
    EXPECT_EQ(Describe(*data->GetCall(3)->call, 1), "glViewport(x=1, y=2, width=3, height=4) ==> -");
    reader.Close();
}

// A draw of a great many empty blocks: each is read once, not copied again for every one after it.
TEST(Es2Hostile, ADrawOfManyEmptyBlocksLoadsInLinearTime)
{
    constexpr uint32_t kBlocks = 200000;
    SPayload draw;
    draw.Words({0, 4, 0, 3});
    for (uint32_t i = 0; i < kBlocks; ++i)
        draw.Ptr(0x1000 + i).U32(0);
    draw.Block(0x20, 96);
    const std::string path = TempPath("many_blocks.xqft");
    WriteTrace(path,
               {{CallIdOf(ECallFamily::Es2, "glDrawArrays"), draw.bytes},
                {CallIdOf(ECallFamily::Es2, "glViewport"), SPayload().Words({0, 1, 2, 3, 4}).bytes}},
               true);
    CTraceReader& reader = CTraceReader::Instance();
    reader.SetLog(nullptr, nullptr);
    ASSERT_EQ(reader.LoadTrace(CXQFTString(path.c_str()), 1), 0);
    CTraceData* data = reader.GetTraceData();
    ASSERT_EQ(data->GetCallCount(), 2u);
    const xqft::CCapturedBlocks* blocks = CapturedBlocksOf(data->GetCall(1)->call.get());
    ASSERT_EQ(blocks->Count(), kBlocks + 1);
    EXPECT_EQ(blocks->At(kBlocks - 1).pointer.value, 0x1000u + kBlocks - 1);
    EXPECT_EQ(blocks->At(kBlocks - 1).bytes, nullptr);
    EXPECT_EQ(blocks->At(kBlocks).size, 96u);
    EXPECT_EQ(blocks->At(kBlocks).pointer.value, 0x20u);
    EXPECT_EQ(Describe(*data->GetCall(2)->call, 1), "glViewport(x=1, y=2, width=3, height=4) ==> -");
    reader.Close();
}

TEST(Es2Hostile, AShortRecordReadsMissingValuesAsZero)
{
    // glViewport cut after x: y, width and height read as 0.
    SReadCall r = BuildCall(CallIdOf(ECallFamily::Es2, "glViewport"),
                            SPayload{}.U32(0).U32(7).U32(8).U32(9).U32(10).bytes, true, 4, 11, 8);
    EXPECT_EQ(r.consumed, 8u);
    EXPECT_EQ(Describe(*r.call, 1), "glViewport(x=7, y=0, width=0, height=0) ==> -");
}

} // namespace

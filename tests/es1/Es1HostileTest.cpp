// ES 1.1 records over bad input: counts larger than the record, float entries of the type-size
// table that are not 4 bytes, a table too short for a record's type code, records shorter than
// their layout, draw blocks with 8-byte pointers or claiming more than remains, files of versions
// the reader does not know. Nothing reads outside its record; the loader answers with a code.
#include "CallQueries.h"
#include "Es1StateCalls.h"

#include "data/TraceData.h"
#include "data/TraceReader.h"
#include "record/XqftError.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace es1calls;
using namespace es2test;

namespace {

TEST(Es1Hostile, CountsLargerThanTheRecordFailTheRecord)
{
    struct SCase
    {
        uint16_t id;
        std::vector<uint8_t> payload;
    } cases[] = {
        {CallIdOf(ECallFamily::Es1, "glGenTextures"),
         SPayload{}.U32(0).U32(1).Ptr(0x10).U32(0x40000000).bytes},
        {CallIdOf(ECallFamily::Es1, "glBufferData"),
         SPayload{}.U32(0).U32(0x8892).U32(16).Ptr(0x10).U32(0xFFFFFFFF).U32(0x88E4).bytes},
        {CallIdOf(ECallFamily::Es1, "glFogfv"),
         SPayload{}.U32(0).U32(0x0B66).Ptr(0x10).U32(0xFFFFFFFF).bytes},
        {CallIdOf(ECallFamily::Es1, "glGetString"),
         SPayload{}.U32(0).Ptr(0x10).U32(0x7FFFFFFF).U32(0x1F00).bytes},
        {CallIdOf(ECallFamily::Es1, "glGetClipPlanef"),
         SPayload{}.U32(0).U32(0x3000).Ptr(0x10).U32(0x10000000).bytes},
        {CallIdOf(ECallFamily::Es1, "glTexImage2D"),
         SPayload{}.U32(0).Words({0x0DE1, 0, 0x1908, 4, 4, 0, 0x1908, 0x1401}).Ptr(0x10).U32(0xFFFFFFFF).bytes},
    };
    for (const SCase& c : cases)
        EXPECT_THROW(BuildCall(c.id, c.payload, true), CXqftSizeError) << c.id;
}

TEST(Es1Hostile, ShortRecordsReadMissingValuesAsZero)
{
    // glViewport cut after x; glColorPointer cut inside its pointer; glTexImage2D cut before its pixels.
    SReadCall viewport =
        BuildCall(CallIdOf(ECallFamily::Es1, "glViewport"), SPayload{}.Words({0, 7, 8, 9, 10}).bytes, true, 4, 11, 8);
    EXPECT_EQ(Describe(*viewport.call, 1), "glViewport(x=7, y=0, width=0, height=0) ==> -");
    SReadCall pointer = BuildCall(CallIdOf(ECallFamily::Es1, "glColorPointer"),
                                  SPayload{}.Words({0, 3, 0x1406, 12, 0x1234}).bytes, true, 4, 11, 18);
    EXPECT_EQ(Describe(*pointer.call, 1),
              "glColorPointer(size=3, type=GL_FLOAT, stride=12, pointer=NULL, !pointerPlayback=NULL) ==> -");
    SReadCall image = BuildCall(CallIdOf(ECallFamily::Es1, "glTexImage2D"),
                                SPayload{}.Words({0, 0x0DE1, 1, 0x1908, 2, 2}).bytes, true);
    EXPECT_EQ(Describe(*image.call, 1),
              "glTexImage2D(target=GL_TEXTURE_2D, level=1, internalformat=6408, width=2, height=2, border=0, "
              "format=GL_NONE, type=GL_NONE, pixels=NULL, !alignment=0) ==> -");
}

// A float of the table that is not 4 bytes, and a table that ends before a record's type code:
// the record fails the load with a format result, and the calls read before it are what they were.
TEST(Es1Hostile, TypeSizeTablesThatCannotReadARecordFailTheLoad)
{
    std::string sizes8, sizes;
    for (int code = 0; code < 30; ++code) {
        sizes += std::string(code ? "," : "") + (code == 13 ? "1" : "4");
        sizes8 += std::string(code ? "," : "") + (code == 13 ? "1" : code == 22 ? "-8" : "4");
    }
    const std::string viewport = std::to_string(CallIdOf(ECallFamily::Es1, "glViewport")) +
                                 ":00000000010000000200000003000000"
                                 "04000000";
    const std::string color4f =
        std::to_string(CallIdOf(ECallFamily::Es1, "glColor4f")) + ":00000000" + std::string(64, '0');
    const std::string color4x =
        std::to_string(CallIdOf(ECallFamily::Es1, "glColor4x")) + ":00000000" + std::string(32, '0');
    SLoadedTrace floats = LoadDescribed(WriteRaw("float8.xqft", "--type-sizes " + sizes8 + " --record " + viewport + " --record " +
                                                      color4f));
    EXPECT_EQ(floats.result, kLoadBadFormat);
    SLoadedTrace shortTable = LoadDescribed(WriteRaw("table23.xqft", "--table-count 23 --record " + viewport + " --record " + color4x));
    EXPECT_EQ(shortTable.result, kLoadBadFormat);
    SLoadedTrace fine = LoadDescribed(WriteRaw("fine.xqft", "--type-sizes " + sizes + " --record " + viewport + " --record " + color4x));
    EXPECT_EQ(fine.result, kLoadOk);
    EXPECT_EQ(fine.calls, (std::vector<std::string>{"glViewport(x=1, y=2, width=3, height=4) ==> -",
                                                    "glColor4x(red=0.000000, green=0.000000, blue=0.000000, "
                                                    "alpha=0.000000) ==> -"}));
}

// Through the loader: a record shorter than its layout, a draw with 8-byte pointers whose last
// block claims more than the record holds, then a whole record that is read where its header puts it.
TEST(Es1Hostile, TheLoaderFindsTheRecordsAfterShortOnes)
{
    for (int pointerWidth : {4, 8}) {
        SCOPED_TRACE(pointerWidth);
        const std::string path = TempPath("short_records.xqft");
        SPayload draw(pointerWidth);
        draw.Words({0, 4, 0, 3}).Block(0x10, 48).Ptr(0x20).U32(4000).Raw(std::vector<uint8_t>(48, 1));
        WriteTrace(path,
                   {{CallIdOf(ECallFamily::Es1, "glViewport"), SPayload().U32(0).U32(7).U32(8).bytes},
                    {CallIdOf(ECallFamily::Es1, "glDrawArrays"), draw.bytes},
                    {CallIdOf(ECallFamily::Es1, "glViewport"), SPayload().Words({0, 1, 2, 3, 4}).bytes}},
                   true, pointerWidth);
        CTraceReader& reader = CTraceReader::Instance();
        reader.SetLog(nullptr, nullptr);
        EXPECT_EQ(reader.LoadTrace(CXQFTString(path.c_str()), 1), kLoadOk);
        CTraceData* data = reader.GetTraceData();
        ASSERT_NE(data, nullptr);
        ASSERT_EQ(data->GetCallCount(), 3u);
        EXPECT_EQ(Describe(*data->GetCall(1)->call, 1), "glViewport(x=7, y=8, width=0, height=0) ==> -");
        EXPECT_EQ(CapturedBlocksOf(data->GetCall(2)->call.get())->Count(), 1u);
        EXPECT_EQ(Describe(*data->GetCall(3)->call, 1), "glViewport(x=1, y=2, width=3, height=4) ==> -");
        reader.Close();
    }
}

TEST(Es1Hostile, FilesOfUnknownVersionsAreRefused)
{
    for (const char* version : {"0", "5"}) {
        SLoadedTrace loaded = LoadDescribed(WriteRaw(std::string("v") + version + ".xqft",
                                       std::string("--version ") + version + " --record " +
                                           std::to_string(CallIdOf(ECallFamily::Es1, "glLoadMatrixf")) + ":" +
                                           std::string(136, '0')));
        EXPECT_EQ(loaded.result, kLoadBadFormat) << version;
        EXPECT_TRUE(loaded.calls.empty());
    }
}

// Tracked state from hostile records: fewer values than the layout, huge sizes, units out of range.
TEST(Es1Hostile, EffectsOfHostileRecordsStayInsideTheirState)
{
    SEs1State s;
    SRun run = ApplyAll({BufferData(kArrayBuffer, -5, Bytes(8, 0)), BufferSubData(kArrayBuffer, 0x7FFFFFF0, 0x7FFFFFFF, {1}),
                    TexImage(0, kRgba, -1, -1, kUbyte, Bytes(4, 0)), TexImage(1, kRgba, 0x7FFFFFFF, 0x7FFFFFFF, kUbyte, {}),
                    CompressedTexImage(0, 0x8D64, 4, 4, -8, Bytes(8, 0)), W(kActiveTexture, {0xFFFFFFFF}),
                    W(kClientActiveTexture, {0}), Pointer(kTexCoordPointer, -7, 0, -1, ~0ull)},
                   s);
    ASSERT_NE(s.buffers.Get(0), nullptr);
    EXPECT_EQ(s.buffers.Get(0)->size, 0u);
    EXPECT_EQ(s.buffers.Get(0)->capturedSize, 0u);
    EXPECT_EQ(s.textures.Get(0)->Get(0)->size, 0u);
    EXPECT_EQ(s.textures.Get(0)->Get(1)->size, 0u);
    EXPECT_EQ(s.activeTexture, kTex0);
    EXPECT_EQ(s.clientActiveTexture, kTex0);
    EXPECT_EQ(run.results.back(), true);
    EXPECT_EQ(s.vertexArrays.Get(0)->texCoord[0].pointer, ~0ull);
}

// The fixed-function effects over indices and counts outside what the state tracks: nothing is
// written outside its array (the sanitizer build checks), and the state stays as it was.
TEST(Es1Hostile, FixedEffectsIgnoreIndicesOutsideTheirArrays)
{
    SEs1State s;
    s.currentPaletteMatrix = 40;
    std::vector<SCall> calls = {
        W(CallIdOf(ECallFamily::Es1, "glActiveTexture"), {kTex0 + 40}),
        W(CallIdOf(ECallFamily::Es1, "glActiveTexture"), {kTex0 - 1}),
        W(CallIdOf(ECallFamily::Es1, "glLightf"), {0x4000 + 9, 0x1206, F(45)}),
        W(CallIdOf(ECallFamily::Es1, "glLightx"), {0xFFFFFFFF, 0x1200, 65536}),
        {CallIdOf(ECallFamily::Es1, "glLightfv"),
         Values(SPayload().Words({0x4000 + 8, 0x1200}), {F(1), F(1), F(1), F(1)})},
        {CallIdOf(ECallFamily::Es1, "glClipPlanef"), SPayload().U32(0x3000 + 7).Ptr(0x10).F(1).F(1).F(1).F(1)},
        {CallIdOf(ECallFamily::Es1, "glClipPlanex"), SPayload().U32(0xFFFFFFFF).Ptr(0x10).Words({1, 1, 1, 1})},
        W(CallIdOf(ECallFamily::Es1, "glMultiTexCoord4f"), {kTex0 + 32, F(1), F(1), F(1), F(1)}),
        W(CallIdOf(ECallFamily::Es1, "glMultiTexCoord4x"), {0, 1, 1, 1, 1}),
        W(CallIdOf(ECallFamily::Es1, "glMatrixMode"), {0x8840}),
        W(CallIdOf(ECallFamily::Es1, "glPushMatrix"), {}),
        W(CallIdOf(ECallFamily::Es1, "glPopMatrix"), {}),
        W(CallIdOf(ECallFamily::Es1, "glMatrixMode"), {0x1702})};
    for (int i = 0; i < 100; ++i)
        calls.push_back(W(CallIdOf(ECallFamily::Es1, "glPushMatrix"), {}));
    const SEs1State before = s;
    ApplyAll(calls, s);
    EXPECT_EQ(s.lightingStamp, 0u);
    EXPECT_EQ(memcmp(s.lights, before.lights, sizeof s.lights), 0);
    EXPECT_EQ(memcmp(s.clipPlaneEquations, before.clipPlaneEquations, sizeof s.clipPlaneEquations), 0);
    EXPECT_EQ(memcmp(s.currentTexCoord, before.currentTexCoord, sizeof s.currentTexCoord), 0);
    EXPECT_EQ(s.matrixStackDepth[3], 101u);  // texture stack of unit 0
    for (int i = 0; i < 43; ++i)
        if (i != 3) {
            EXPECT_EQ(s.matrixStackDepth[i], 1u) << i;
        }
}

TEST(Es1Hostile, VectorCountsLargerThanTheRecordFailTheRecord)
{
    for (uint16_t id : {CallIdOf(ECallFamily::Es1, "glLightModelfv"), CallIdOf(ECallFamily::Es1, "glLightfv"),
                        CallIdOf(ECallFamily::Es1, "glMaterialfv"), CallIdOf(ECallFamily::Es1, "glPointParameterfv"),
                        CallIdOf(ECallFamily::Es1, "glTexEnvfv"), CallIdOf(ECallFamily::Es1, "glTexEnviv"),
                        CallIdOf(ECallFamily::Es1, "glTexEnvxv")}) {
        SPayload p;
        p.U32(0).U32(0x4000).U32(0x1200);
        if (id == CallIdOf(ECallFamily::Es1, "glLightModelfv") ||
            id == CallIdOf(ECallFamily::Es1, "glPointParameterfv"))
            p.bytes.resize(8);  // one enum before the array
        p.Ptr(0x10).U32(0xFFFFFFFF).F(1);
        EXPECT_THROW(BuildCall(id, p.bytes, true), CXqftSizeError) << id;
    }
}

} // namespace

// Extension records over bad input: counts and sizes larger than the record, records shorter than
// their layout, selectors no API has, a type-size table without the EGL-image type, and records a
// file's version does not have. Nothing reads outside its record; the loader answers with a code.
#include "Es2TestSupport.h"

#include "CallQueries.h"
#include "data/TraceData.h"
#include "data/TraceReader.h"
#include "record/XqftError.h"

#include "ExtTestSupport.h"

#include <gtest/gtest.h>


using namespace es2test;

namespace {

using exttest::Id;

// An extension record on ES 2.0 without error: the payload after the selector.
std::vector<uint8_t> Ext(const SPayload& p, uint32_t selector = 2, uint32_t error = 0)
{
    return SPayload(p.pointerWidth).U32(error).U32(selector).Raw(p.bytes).bytes;
}

TEST(ExtHostile, CountsAndSizesLargerThanTheRecordFailTheRecord)
{
    struct SCase
    {
        const char* function;
        bool data;
        SPayload payload;
    } cases[] = {
        {"glDeleteVertexArraysOES", true, SPayload().U32(1).Ptr(0x10).U32(0x40000000)},
        {"glGenFencesNV", false, SPayload().U32(1).Ptr(0x10).U32(0xFFFFFFFF)},  // read without data too
        {"glUnmapBufferOES", false, SPayload().U32(0x8892).Ptr(0x10).U32(0xFFFFFFFF)},
        {"glGetTexStreamDeviceNameWZQ", true, SPayload().Ptr(0x10).U32(0x7FFFFFFF).U32(1)},
        {"glGetClipPlanexOES", true, SPayload().U32(0x3000).Ptr(0x10).U32(0x10000000)},
        {"glDiscardFramebufferEXT", true, SPayload().Words({0x8D40, 3}).Ptr(0x10).U32(0x20000000)},
    };
    for (const SCase& c : cases)
        EXPECT_THROW(BuildCall(Id(c.function), Ext(c.payload), c.data), CXqftSizeError) << c.function;
}

TEST(ExtHostile, ShortRecordsReadMissingValuesAsZero)
{
    // Cut after the samples; cut inside the selector; a pointer call cut inside its pointer; a fixed
    // equation cut after two of its four values.
    const uint16_t storage = Id("glRenderbufferStorageMultisampleWZQ");
    SReadCall samples = BuildCall(storage, Ext(SPayload().Words({0x8D41, 4, 0x8056, 64})), true, 4, 11, 16);
    EXPECT_EQ(Describe(*samples.call, 1), "glRenderbufferStorageMultisampleWZQ(target=GL_RENDERBUFFER, samples=4, "
                                          "internalformat=GL_NONE, width=0, height=0) ==> -");
    SReadCall selector = BuildCall(storage, Ext(SPayload().Words({0x8D41, 4})), true, 4, 11, 6);
    EXPECT_EQ(selector.call->GetApiKind(), kApiNone);
    SReadCall pointer =
        BuildCall(Id("glWeightPointerOES"), Ext(SPayload().Words({2, 0x1406, 0, 0x1234})), true, 4, 11, 22);
    EXPECT_EQ(Describe(*pointer.call, 1),
              "glWeightPointerOES(size=2, type=GL_FLOAT, stride=0, pointer=NULL, !pointerPlayback=NULL) ==> -");
    SReadCall plane = BuildCall(Id("glClipPlanexOES"), Ext(SPayload().U32(0x3000).Ptr(0x10).Words({65536, 65536, 1, 1})),
                                true, 4, 11, 20);
    EXPECT_EQ(Describe(*plane.call, 0),
              "glClipPlanexOES(plane=GL_CLIP_PLANE0, equation=[ 1.000000; 0.000000; 0.000000; 0.000000 ]) ==> -");
}

// Selectors other than 1 and 2 give calls of no API: they list the EGL tag and change no state.
TEST(ExtHostile, SelectorsOfNoApiChangeNoState)
{
    const std::string path = TempPath("selectors.xqft");
    const uint16_t storage = Id("glRenderbufferStorageMultisampleWZQ");
    const SPayload args = SPayload().Words({0x8D41, 4, 0x8056, 8, 8});
    WriteTrace(path, {{storage, Ext(args, 0)}, {storage, Ext(args, 3)}, {storage, Ext(args, 255)}}, true);
    CTraceReader& reader = CTraceReader::Instance();
    reader.SetLog(nullptr, nullptr);
    ASSERT_EQ(reader.LoadTrace(CXQFTString(path.c_str()), 1), kLoadOk);
    CTraceData* data = reader.GetTraceData();
    ASSERT_NE(data, nullptr);
    ASSERT_EQ(data->GetCallCount(), 3u);
    for (uint32_t i = 1; i <= 3; ++i) {
        EXPECT_EQ(data->GetCall(i)->call->GetApiKind(), kApiNone);
        CGenCallInfo info;
        data->GetCall(i)->call->ListArguments(&info, 0);
        EXPECT_STREQ(info.GetApi(), "EGL");
    }
    EXPECT_EQ(data->RunningEs2State().renderbuffers.Count(), 0);
    reader.Close();
}

// The EGL-image records read a value of type 29: a table without that entry (version 7's 28 entries,
// or a count of 29) fails the load with a format result, keeping the calls read before it.
TEST(ExtHostile, ATypeSizeTableWithoutTheImageTypeFailsTheLoad)
{
    const std::string viewport =
        std::to_string(CallIdOf(ECallFamily::Es2, "glViewport")) + ":" + Hex(SPayload().Words({0, 1, 2, 3, 4}).bytes);
    const std::string image = std::to_string(Id("glEGLImageTargetTexture2DOES")) + ":" +
                              Hex(Ext(SPayload().Words({0x0DE1, 7})));
    for (const char* header : {"--version 7 --table-selector 1", "--table-count 29"}) {
        SCOPED_TRACE(header);
        const SLoadedTrace loaded =
            LoadDescribed(WriteRaw("image.xqft", std::string(header) + " --record " + viewport + " --record " + image));
        EXPECT_EQ(loaded.result, kLoadBadFormat);
        EXPECT_EQ(loaded.calls, (std::vector<std::string>{"glViewport(x=1, y=2, width=3, height=4) ==> -"}));
    }
    const SLoadedTrace fine = LoadDescribed(WriteRaw("image30.xqft", "--record " + viewport + " --record " + image));
    EXPECT_EQ(fine.result, kLoadOk);
    ASSERT_EQ(fine.calls.size(), 2u);
    EXPECT_EQ(fine.calls[1], "glEGLImageTargetTexture2DOES(target=GL_TEXTURE_2D, image=7) ==> -");
}

// A version-7 file holding records that came with version 8: they are skipped, the others read.
TEST(ExtHostile, RecordsOfALaterVersionAreSkipped)
{
    std::string records;
    for (const char* function : {"glRotatexOES", "glTranslatexOES", "glRenderbufferStorageMultisampleWZQ",
                                 "glFramebufferTexture2DMultisampleWZQ", "glScalexOES"})
        records += " --record " + std::to_string(Id(function)) + ":" +
                   Hex(Ext(SPayload().Words({65536, 65536, 65536, 65536, 65536, 65536})));
    const SLoadedTrace v7 = LoadDescribed(WriteRaw("v7.xqft", "--version 7 --table-selector 1" + records));
    EXPECT_EQ(v7.result, kLoadOk);
    EXPECT_EQ(v7.calls, (std::vector<std::string>{
                            "glRotatexOES(angle=1.000000, x=1.000000, y=1.000000, z=1.000000) ==> -",
                            "glScalexOES(x=1.000000, y=1.000000, z=1.000000) ==> -"}));
    EXPECT_EQ(LoadDescribed(WriteRaw("v8.xqft", "--version 8" + records)).calls.size(), 5u);
}

} // namespace

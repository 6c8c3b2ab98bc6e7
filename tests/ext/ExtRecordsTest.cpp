// The extension factory, one table-driven pass over every row of ExtCalls.def: each id gives its
// row's class, id, function and category, its API tag and kind by the selector, and the verbose
// description lists the row's items in row order (the extension player reads arguments by
// position). Then the ids and versions that give no call, and the record rules as listings.
#include "ExtRecords.h"
#include "Es2TestSupport.h"
#include "RowListing.h"

#include "CallQueries.h"

#include <gtest/gtest.h>

#include <typeinfo>

using namespace es2test;
using namespace xqft;
using rowlisting::Listed;
using rowlisting::RowNames;

namespace {

struct SRow
{
    uint16_t id;
    uint32_t version;
    const char* function;
    const char* category;
    uint16_t traits;
    const std::type_info* type;
    std::vector<std::string> (*names)(bool data, bool verbose);
};

const SRow kRows[] = {
#define XQF_RECORD(Class, Id, FirstVersion, Function, Category, Traits, ...)                               \
    {Id, FirstVersion, Function, Category, Traits, &typeid(Class), &RowNames<Class>},
#define XQF_EFFECT XQF_RECORD
#define XQF_CUSTOM XQF_RECORD
#include "ExtCalls.def"
#undef XQF_RECORD
#undef XQF_EFFECT
#undef XQF_CUSTOM
};

// A record of the given error and selector followed by zeros: every pointer is null, so no block
// or array follows.
std::vector<uint8_t> Zeros(uint32_t selector, uint32_t error = 0)
{
    return SPayload().U32(error).U32(selector).Raw(std::vector<uint8_t>(160, 0)).bytes;
}

TEST(ExtRecords, EveryRowGivesItsClassAndListsItsItemsInOrder)
{
    ASSERT_EQ(std::size(kRows), 82u);
    for (const SRow& row : kRows) {
        SCOPED_TRACE(row.function);
        const bool silent = row.traits & trait::ListsNothing;
        for (bool data : {true, false})
            for (uint32_t selector : {1u, 2u}) {
                SReadCall r = BuildCall(row.id, Zeros(selector), data, 4, 11);
                ASSERT_NE(r.call, nullptr);
                CApiCall& call = *r.call;
                rowlisting::ExpectCallOfRow(call, row, kApiExt);
                ASSERT_NE(dynamic_cast<CExtCall*>(&call), nullptr);
                EXPECT_EQ(dynamic_cast<CExtCall&>(call).GetSelector(), selector);

                CGenCallInfo info;
                call.ListArguments(&info, 1);
                EXPECT_STREQ(info.GetFunctionName(), row.function);
                EXPECT_STREQ(info.GetApi(), silent ? nullptr : selector == 1 ? "ES1" : "ES2");
                EXPECT_EQ(info.GetError() == nullptr, silent);
                EXPECT_EQ(Listed(call, 1), silent ? std::vector<std::string>{} : row.names(data, true));
                EXPECT_EQ(Listed(call, 0), silent ? std::vector<std::string>{} : row.names(data, false));
            }
    }
}

// 4081-4088 were never given a function; 4080, 4089 and 4090 came with version 8; version 0 has none.
TEST(ExtRecords, IdsAndVersionsWithoutACall)
{
    for (uint16_t id : {4000, 4081, 4082, 4085, 4088, 4091})
        EXPECT_EQ(BuildCall(id, Zeros(2), true).call, nullptr) << id;
    for (const SRow& row : kRows) {
        SCOPED_TRACE(row.function);
        EXPECT_EQ(BuildCall(row.id, Zeros(2), true, 4, 0).call, nullptr);
        const bool fromVersion8 = std::string_view(row.function) == "glTranslatexOES" ||
                                  std::string_view(row.category) == "RenderToTextureMult";
        EXPECT_EQ(row.version, fromVersion8 ? 8u : 1u);
        EXPECT_EQ(BuildCall(row.id, Zeros(2), true, 4, 7).call == nullptr, fromVersion8);
        EXPECT_NE(BuildCall(row.id, Zeros(2), true, 4, 8).call, nullptr);
    }
}

// Both selectors give kind 5 (the container applies such a call to the ES 2.0 state); any other
// gives kind 0 and lists the EGL tag. The recorded error is the base's error, which the effect gate
// and the players read.
TEST(ExtRecords, SelectorGivesTheTagAndKindAndTheErrorIsTheCallsOwn)
{
    struct SCase
    {
        uint32_t selector, error;
        const char* api;
        uint8_t kind;
        const char* errorText;
    } cases[] = {
        {1, 0, "ES1", kApiExt, "GL_NO_ERROR"},         {2, 0x502, "ES2", kApiExt, "GL_INVALID_OPERATION"},
        {0, 0, "EGL", kApiNone, "GL_NO_ERROR"},        {3, 0x500, "EGL", kApiNone, "GL_INVALID_ENUM"},
        {255, 0x501, "EGL", kApiNone, "GL_INVALID_VALUE"},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.selector);
        SReadCall r = BuildCall(CallIdOf(ECallFamily::Ext, "glBindVertexArrayOES"), Zeros(c.selector, c.error), true);
        ASSERT_NE(r.call, nullptr);
        EXPECT_EQ(r.call->GetApiKind(), c.kind);
        EXPECT_EQ(r.call->GetError()->value, c.error);
        EXPECT_EQ(r.call->RecordedSuccess(), c.error == 0);
        CGenCallInfo info;
        r.call->ListArguments(&info, 0);
        EXPECT_STREQ(info.GetApi(), c.api);
        EXPECT_EQ(Text(info.GetError()), c.errorText);
    }
}

// The record rules, each shown on one record: what is read in which data mode, and how it prints.
struct SListingCase
{
    const char* what;
    const char* function;
    bool data;
    SPayload payload;  // after the error and the selector
    const char* listing;
    size_t unread;     // payload bytes left after the call read its own
};

SPayload P() { return SPayload(); }

const SListingCase kListings[] = {
    {"discard without data lists the attachments pointer, NULL for 0", "glDiscardFramebufferEXT", false,
     P().Words({0x8D40, 2}).Ptr(0), "glDiscardFramebufferEXT(target=GL_FRAMEBUFFER, numAttachments=2, attachments=NULL) ==> -", 0},
    {"discard with data lists the attachments by their names", "glDiscardFramebufferEXT", true,
     P().Words({0x8D40, 2}).Array(0x10, {0x1800, 0x1801}),
     "glDiscardFramebufferEXT(target=GL_FRAMEBUFFER, numAttachments=2, attachments={ GL_COLOR_EXT, GL_DEPTH_EXT }) ==> -", 0},
    {"a counted array at pointer 0 reads no elements whatever its count", "glDeleteVertexArraysOES", true,
     P().U32(3).Ptr(0).U32(3).Words({7, 8, 9}), "glDeleteVertexArraysOES(n=3, vertexarrays=NULL) ==> -", 12},
    {"generated vertex-array names print as enumerants", "glGenVertexArraysOES", true,
     P().U32(1).Array(0x10, {0x1406}), "glGenVertexArraysOES(n=1, vertexarrays={ GL_FLOAT }) ==> -", 0},
    {"deleted vertex-array names print as numbers", "glDeleteVertexArraysOES", true,
     P().U32(1).Array(0x10, {0x1406}), "glDeleteVertexArraysOES(n=1, vertexarrays={ 5126 }) ==> -", 0},
    {"a pointer query with data and count 0 holds an empty array", "glGetBufferPointervOES", true,
     P().Words({0x8892, 0x88BD}).Ptr(0x20).U32(0), "glGetBufferPointervOES(target=GL_ARRAY_BUFFER, pname=GL_BUFFER_MAP_POINTER_OES, params=0x20) ==> -",
     0},
    {"an unmap of 0 bytes still lists its data", "glUnmapBufferOES", false, P().U32(0x8892).Ptr(0x30).U32(0),
     "glUnmapBufferOES(target=GL_ARRAY_BUFFER, data=0x30) ==> -", 0},
    {"unmapped bytes are read without data too", "glUnmapBufferOES", false, P().U32(0x8892).Block(0x30, 5),
     "glUnmapBufferOES(target=GL_ARRAY_BUFFER, data=~Data(5 bytes)~) ==> -", 0},
    {"the is-queries read their result before the name", "glIsVertexArrayOES", true, P().Words({1, 7}),
     "glIsVertexArrayOES(vertexarray=7) ==> GL_TRUE", 0},
    {"the status query reads its result before the target", "glCheckFramebufferStatusOES", true,
     P().Words({0x8CD5, 0x8D40}), "glCheckFramebufferStatusOES(target=GL_FRAMEBUFFER) ==> GL_FRAMEBUFFER_COMPLETE", 0},
    {"a stream device name at pointer 0 prints NULL", "glGetTexStreamDeviceNameWZQ", true,
     P().Ptr(0).U32(4).U32(3), "glGetTexStreamDeviceNameWZQ(device=3) ==> NULL", 0},
    {"a stream device name of length 0 holds no text", "glGetTexStreamDeviceNameWZQ", false,
     P().String(0x40, "").U32(3), "glGetTexStreamDeviceNameWZQ(device=3) ==> \"\"", 0},
    {"fence names are read without data", "glGenFencesNV", false, P().U32(2).Array(0x50, {5, 6}),
     "glGenFencesNV(n=2, fences={ 5, 6 }) ==> -", 0},
    {"a fence array of count 0 is empty", "glDeleteFencesNV", true, P().U32(0).Ptr(0x50).U32(0),
     "glDeleteFencesNV(n=0, fences=0x50) ==> -", 0},
    {"a matrix load with data at pointer 0 holds no elements", "glLoadMatrixxOES", true, P().Ptr(0).Words({1, 2}),
     "glLoadMatrixxOES(m=NULL) ==> -", 8},
    {"a matrix load without data reads the pointer only", "glLoadMatrixxOES", false,
     P().Ptr(0x60).Words({65536, 0, 0, 0}), "glLoadMatrixxOES(m=0x60) ==> -", 16},
    {"the clip plane equation is read without data too", "glClipPlanexOES", false,
     P().U32(0x3000).Ptr(0x70).Words({65536, 32768, 0, 0xFFFF0000}),
     "glClipPlanexOES(plane=GL_CLIP_PLANE0, equation=[ 1.000000; 0.500000; 0.000000; -1.000000 ]) ==> -", 0},
    {"fixed-point values print as 16.16 numbers", "glClearColorxOES", true, P().Words({32768, 0xFFFF0000, 0, 65536}),
     "glClearColorxOES(red=0.500000, green=-1.000000, blue=0.000000, alpha=1.000000) ==> -", 0},
    {"a clip plane query of count 2 reads 8 values (the text is cut)", "glGetClipPlanexOES", true,
     P().U32(0x3000).Ptr(0x80).U32(2).Words({0, 0, 0, 0, 0, 0, 0, 0}),
     "glGetClipPlanexOES(pname=GL_CLIP_PLANE0, eqn={ [ 0.000000; 0.000000; 0.000000; 0... }) ==> -", 0},
    {"an EGL image handle prints as an unsigned number", "glEGLImageTargetTexture2DOES", true,
     P().Words({0x0DE1, 0xFFFFFFFF}), "glEGLImageTargetTexture2DOES(target=GL_TEXTURE_2D, image=4294967295) ==> -", 0},
    {"the palette load lists no arguments", "glLoadPaletteFromModelViewMatrixOES", true, P(),
     "glLoadPaletteFromModelViewMatrixOES() ==> -", 0},
    {"a multi-draw record lists its name alone", "glMultiDrawArraysEXT", true, P().Words({1, 2}),
     "glMultiDrawArraysEXT() ==> -", 8},
};

class ExtListing : public testing::TestWithParam<SListingCase> {};

TEST_P(ExtListing, ReadsAndPrintsAsTheRecordRulesSay)
{
    const SListingCase& c = GetParam();
    const std::vector<uint8_t> bytes = SPayload().U32(0).U32(2).Raw(c.payload.bytes).bytes;
    uint16_t id = 0;
    for (const SCallRow& row : callrows::kExt)
        if (std::string_view(row.function) == c.function)
            id = row.id;
    SReadCall r = BuildCall(id, bytes, c.data);
    ASSERT_NE(r.call, nullptr);
    EXPECT_EQ(Describe(*r.call, 0), c.listing);
    EXPECT_EQ(r.consumed, bytes.size() - c.unread);
}

INSTANTIATE_TEST_SUITE_P(Rules, ExtListing, testing::ValuesIn(kListings),
                         [](const auto& info) { return CaseName(info.param.what); });

} // namespace

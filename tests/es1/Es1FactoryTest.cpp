// The ES 1.1 factory, one table-driven pass over every row of Es1Calls.def: each id gives its
// row's class, id, function and category, and the verbose description lists the row's items in
// row order (the ES 1.1 player reads arguments by position). The ids and versions that give no
// call, the listings the player depends on, and the client-array mixin.
#include "CallQueries.h"
#include "Es1Records.h"
#include "Es2TestSupport.h"
#include "RowListing.h"

#include "apicall/CallFactory.h"

#include <gtest/gtest.h>

#include <typeinfo>

using namespace es2test;
using namespace xqft;

namespace rowlisting {
// The draw's index argument lists its offset only with data.
template <>
struct TListed<xqft::es1::SEs1DrawIndices>
{
    static void Add(std::vector<std::string>& names, bool data, bool)
    {
        names.emplace_back("indices");
        if (data)
            names.emplace_back("indicesOffset");
    }
};
} // namespace rowlisting

namespace {
using rowlisting::Listed;
using rowlisting::RowNames;

struct SRow
{
    uint16_t id;
    uint32_t version;
    const char* function;
    const char* category;
    const std::type_info* type;
    std::vector<std::string> (*names)(bool data, bool verbose);
};

const SRow kRows[] = {
#define XQF_RECORD(Class, Id, FirstVersion, Function, Category, ...)                                       \
    {Id, FirstVersion, Function, Category, &typeid(Class), &RowNames<Class>},
#define XQF_EFFECT XQF_RECORD
#define XQF_CUSTOM XQF_RECORD
#include "Es1Calls.def"
#undef XQF_RECORD
#undef XQF_EFFECT
#undef XQF_CUSTOM
};

// A payload of zeros long enough for any record: every pointer is null, so no block follows.
const std::vector<uint8_t> kZeros(160, 0);

TEST(Es1Factory, EveryRowGivesItsClassAndListsItsItemsInOrder)
{
    ASSERT_EQ(std::size(kRows), 145u);
    for (const SRow& row : kRows) {
        SCOPED_TRACE(row.function);
        for (bool data : {true, false}) {
            SReadCall r = BuildCall(row.id, kZeros, data, 4, 11);
            ASSERT_NE(r.call, nullptr);
            CApiCall& call = *r.call;
            rowlisting::ExpectCallOfRow(call, row, kApiEs1);
            EXPECT_EQ(Listed(call, 1), row.names(data, true));
            EXPECT_EQ(Listed(call, 0), row.names(data, false));
        }
    }
}

TEST(Es1Factory, GivesNoCallOutsideTheRangeBeforeTheMatrixLoadsOrForVersionZero)
{
    EXPECT_EQ(BuildCall(3000, kZeros, true).call, nullptr);
    EXPECT_EQ(BuildCall(3146, kZeros, true).call, nullptr);
    for (uint16_t id : {CallIdOf(ECallFamily::Es1, "glLoadMatrixf"), CallIdOf(ECallFamily::Es1, "glLoadMatrixx")}) {
        EXPECT_EQ(BuildCall(id, kZeros, true, 4, 5).call, nullptr) << id;
        SReadCall v6 = BuildCall(id, kZeros, true, 4, 6);
        ASSERT_NE(v6.call, nullptr) << id;
        EXPECT_STREQ(typeid(*v6.call).name(), id == CallIdOf(ECallFamily::Es1, "glLoadMatrixf")
                                                  ? typeid(CEs1_glLoadMatrixf_v6).name()
                                                  : typeid(CEs1_glLoadMatrixx_v6).name());
    }
    for (const SRow& row : kRows) {
        EXPECT_EQ(BuildCall(row.id, kZeros, true, 4, 0).call, nullptr) << row.function;
        if (row.version == 1) {
            EXPECT_NE(BuildCall(row.id, kZeros, true, 4, 5).call, nullptr) << row.function;
        }
    }
}

// The argument positions the ES 1.1 player reads, as descriptions list them.
TEST(Es1Factory, ListingsThePlayerReadsByPosition)
{
    struct SCase
    {
        uint16_t id;
        bool data;
        std::vector<std::string> plain, verbose;
        bool lastHidden;  // the verbose listing's last argument is hidden
    } cases[] = {
        {CallIdOf(ECallFamily::Es1, "glColorPointer"),
         true,
         {"size", "type", "stride", "pointer"},
         {"size", "type", "stride", "pointer", "pointerPlayback"},
         true},
        {CallIdOf(ECallFamily::Es1, "glTexImage2D"),
         true,
         {"target", "level", "internalformat", "width", "height", "border", "format", "type", "pixels"},
         {"target", "level", "internalformat", "width", "height", "border", "format", "type", "pixels", "alignment"},
         true},
        {CallIdOf(ECallFamily::Es1, "glTexSubImage2D"),
         false,
         {"target", "level", "xoffset", "yoffset", "width", "height", "format", "type", "pixels", "alignment"},
         {"target", "level", "xoffset", "yoffset", "width", "height", "format", "type", "pixels", "alignment"},
         false},
        {CallIdOf(ECallFamily::Es1, "glReadPixels"),
         true,
         {"x", "y", "width", "height", "format", "type", "pixels"},
         {"x", "y", "width", "height", "format", "type", "pixels"},
         false},
        {CallIdOf(ECallFamily::Es1, "glDrawElements"),
         true,
         {"mode", "count", "type", "indices", "indicesOffset"},
         {"mode", "count", "type", "indices", "indicesOffset"},
         false},
        {CallIdOf(ECallFamily::Es1, "glDrawElements"),
         false,
         {"mode", "count", "type", "indices"},
         {"mode", "count", "type", "indices"},
         false},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.id);
        SReadCall r = BuildCall(c.id, kZeros, c.data);
        ASSERT_NE(r.call, nullptr);
        std::vector<bool> hidden;
        EXPECT_EQ(Listed(*r.call, 0), c.plain);
        EXPECT_EQ(Listed(*r.call, 1, &hidden), c.verbose);
        EXPECT_EQ(hidden.back(), c.lastHidden);
        EXPECT_EQ(std::count(hidden.begin(), hidden.end(), true), c.lastHidden ? 1 : 0);
    }
}

// A client-array call is reached, described, applied to a scratch state and deleted through its
// CApiCall part, although XXXYYYPointer comes first in its bases (the sanitizer build checks the
// deletion frees the whole object).
TEST(Es1Factory, ClientArrayCallsCarryTheirPointerOnceAndApplyToAScratchState)
{
    for (uint16_t id : {CallIdOf(ECallFamily::Es1, "glColorPointer"), CallIdOf(ECallFamily::Es1, "glNormalPointer"),
                        CallIdOf(ECallFamily::Es1, "glTexCoordPointer"), CallIdOf(ECallFamily::Es1, "glVertexPointer"),
                        CallIdOf(ECallFamily::Es1, "glPointSizePointerOES")}) {
        SPayload p;
        p.U32(0);
        if (id != CallIdOf(ECallFamily::Es1, "glNormalPointer") &&
            id != CallIdOf(ECallFamily::Es1, "glPointSizePointerOES"))
            p.U32(3);                          // size
        p.U32(0x1406).U32(12).Ptr(0x1234);     // type, stride, pointer
        SReadCall r = BuildCall(id, p.bytes, true);
        ASSERT_NE(r.call, nullptr) << id;
        EXPECT_EQ(r.consumed, p.bytes.size()) << id;
        auto* mixin = dynamic_cast<XXXYYYPointer*>(r.call.get());
        ASSERT_NE(mixin, nullptr) << id;
        EXPECT_TRUE(mixin->ApplyToTempState()) << id;
        const std::string listing = Describe(*r.call, 1);
        EXPECT_NE(listing.find("pointer=0x1234, !pointerPlayback=0x1234)"), std::string::npos) << listing;
        delete r.call.release();
    }
    // A pointer call recorded with an error applies nothing, on a scratch state either.
    SReadCall failed = BuildCall(CallIdOf(ECallFamily::Es1, "glColorPointer"),
                                 SPayload().Words({0x501, 3, 0x1406, 12}).Ptr(0x1234).bytes, true);
    EXPECT_FALSE(dynamic_cast<XXXYYYPointer&>(*failed.call).ApplyToTempState());
    SReadCall other = BuildCall(CallIdOf(ECallFamily::Es1, "glClear"), kZeros, true);
    EXPECT_EQ(dynamic_cast<XXXYYYPointer*>(other.call.get()), nullptr);
}

} // namespace

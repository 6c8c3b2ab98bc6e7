// The draw calls, case by case: where the captured block run starts and stops, what the index
// argument lists, and that block headers are measured on the stream whatever the pointer width.
#include "CallQueries.h"
#include "Es2Records.h"
#include "Es2TestSupport.h"

#include <gtest/gtest.h>

using namespace es2test;

namespace {

constexpr uint16_t kDrawArrays = CallIdOf(ECallFamily::Es2, "glDrawArrays"),
                   kDrawElements = CallIdOf(ECallFamily::Es2, "glDrawElements");
constexpr uint32_t kTriangles = 4, kUnsignedShort = 0x1403;

SPayload Arrays(int ptr)
{
    SPayload p(ptr);
    p.U32(0).U32(kTriangles).U32(0).U32(3); // error, mode, first, count
    return p;
}

SPayload Elements(int ptr)
{
    SPayload p(ptr);
    p.U32(0).U32(kTriangles).U32(3).U32(kUnsignedShort); // error, mode, count, type
    return p;
}

struct SDrawCase
{
    const char* what;
    uint16_t id;
    bool data;
    int pointerWidth;
    uint32_t version;
    std::vector<uint8_t> (*payload)(int pointerWidth);
    std::vector<uint32_t> blockSizes; // captured blocks kept, in order
    uint64_t consumed;
    const char* listing;              // verbose listing
};

const char* const kArraysListing = "glDrawArrays(mode=GL_TRIANGLES, first=0, count=3) ==> -";

const SDrawCase kDrawCases[] = {
    {"arrays ending right after count hold no block", kDrawArrays, true, 4, 11,
     [](int p) { return Arrays(p).bytes; }, {}, 16, kArraysListing},
    {"arrays with 40 bytes after the arguments hold no block", kDrawArrays, true, 4, 11,
     [](int p) { return Arrays(p).Block(0x10, 32).bytes; }, {}, 16, kArraysListing},
    {"arrays keep blocks of 100 and 100 bytes; the last 28 bytes are never read", kDrawArrays, true, 4, 11,
     [](int p) { return Arrays(p).Block(0x10, 100).Block(0x20, 100).Block(0x30, 20).bytes; }, {100, 100}, 232,
     kArraysListing},
    {"arrays read their blocks in a trace without data too", kDrawArrays, false, 4, 11,
     [](int p) { return Arrays(p).Block(0x10, 100).Block(0x20, 100).Block(0x30, 20).bytes; }, {100, 100}, 232,
     kArraysListing},
    {"arrays with 8-byte pointers measure 12-byte block headers", kDrawArrays, true, 8, 11,
     [](int p) { return Arrays(p).Block(0x10, 100).Block(0x20, 100).Block(0x30, 20).bytes; }, {100, 100}, 240,
     kArraysListing},
    {"arrays with 8-byte pointers never read past the record (eleven empty blocks)", kDrawArrays, true, 8, 11,
     [](int p) {
         SPayload s = Arrays(p);
         for (int i = 0; i < 11; ++i)
             s.Block(0x100 + i, 0);
         return s.bytes;
     },
     {0, 0, 0, 0, 0, 0, 0, 0}, 112, kArraysListing},
    {"arrays: a block claiming more bytes than remain ends the run", kDrawArrays, true, 4, 11,
     [](int p) {
         SPayload s = Arrays(p).Block(0x10, 64);
         s.Ptr(0x20).U32(1000);
         s.bytes.resize(s.bytes.size() + 60);
         return s.bytes;
     },
     {64}, 96, kArraysListing},
    {"elements with 8 or fewer bytes after the arguments hold no block", kDrawElements, true, 4, 11,
     [](int p) { return Elements(p).Block(0x40, 6).Ptr(0).Block(0, 0).bytes; }, {}, 34,
     "glDrawElements(mode=GL_TRIANGLES, count=3, type=GL_UNSIGNED_SHORT, indices=~Data(6 bytes)~, "
     "!indicesOffset=NULL) ==> -"},
    {"elements with an empty index block list the offset as indices", kDrawElements, true, 4, 11,
     [](int p) { return Elements(p).Block(0x40, 0).Ptr(0x80).Block(0x1000, 24).bytes; }, {24}, 60,
     "glDrawElements(mode=GL_TRIANGLES, count=3, type=GL_UNSIGNED_SHORT, indices=0x80, !indicesOffset=0x80) ==> -"},
    {"elements without data list the index pointer and never indicesOffset", kDrawElements, false, 4, 11,
     [](int p) { return Elements(p).Ptr(0x40).Block(0x1000, 24).Block(0x2000, 4).bytes; }, {24, 4}, 64,
     "glDrawElements(mode=GL_TRIANGLES, count=3, type=GL_UNSIGNED_SHORT, indices=0x40) ==> -"},
    {"elements with 8-byte pointers", kDrawElements, true, 8, 11,
     [](int p) { return Elements(p).Block(0x40, 6).Ptr(0x8).Block(0x1000, 24).bytes; }, {24}, 78,
     "glDrawElements(mode=GL_TRIANGLES, count=3, type=GL_UNSIGNED_SHORT, indices=~Data(6 bytes)~, "
     "!indicesOffset=0x8) ==> -"},
    {"elements: a block claiming more bytes than remain ends the run", kDrawElements, true, 4, 11,
     [](int p) {
         SPayload s = Elements(p).Block(0x40, 6).Ptr(0).Block(0x1000, 8);
         s.Ptr(0x2000).U32(500);
         s.bytes.resize(s.bytes.size() + 20);
         return s.bytes;
     },
     {8}, 58,
     "glDrawElements(mode=GL_TRIANGLES, count=3, type=GL_UNSIGNED_SHORT, indices=~Data(6 bytes)~, "
     "!indicesOffset=NULL) ==> -"},
    {"elements of format version 6 keep the index block and a second pointer, no blocks", kDrawElements, true, 4,
     6, [](int p) { return Elements(p).Block(0x40, 6).Ptr(0x99).Block(0x1000, 24).bytes; }, {}, 34,
     "glDrawElements(mode=GL_TRIANGLES, count=3, type=GL_UNSIGNED_SHORT, indices=~Data(6 bytes)~) ==> -"},
    {"elements of format version 6 without data: the pointer value alone", kDrawElements, false, 4, 6,
     [](int p) { return Elements(p).Ptr(0x40).bytes; }, {}, 20,
     "glDrawElements(mode=GL_TRIANGLES, count=3, type=GL_UNSIGNED_SHORT, indices=0x40) ==> -"},
};

class Es2DrawCall : public testing::TestWithParam<SDrawCase> {};

TEST_P(Es2DrawCall, ReadsBlocksAndListsIndices)
{
    const SDrawCase& c = GetParam();
    SReadCall r = BuildCall(c.id, c.payload(c.pointerWidth), c.data, c.pointerWidth, c.version);
    ASSERT_NE(r.call, nullptr);
    EXPECT_EQ(r.consumed, c.consumed);
    std::vector<uint32_t> sizes;
    if (const auto* blocks = CapturedBlocksOf(r.call.get()))
        for (uint32_t i = 0; i < blocks->Count(); ++i)
            sizes.push_back(blocks->At(i).size);
    EXPECT_EQ(sizes, c.blockSizes);
    EXPECT_EQ(Describe(*r.call, 1), c.listing);
}

INSTANTIATE_TEST_SUITE_P(Cases, Es2DrawCall, testing::ValuesIn(kDrawCases),
                         [](const auto& info) { return CaseName(info.param.what); });

TEST(Es2DrawCallBlocks, KeepTheirBytesInReadingOrder)
{
    SReadCall r = BuildCall(kDrawArrays, Arrays(4).Block(0x10, 48).Block(0x20, 64).Block(0, 0).bytes, true);
    const auto* blocks = CapturedBlocksOf(r.call.get());
    ASSERT_NE(blocks, nullptr);
    ASSERT_EQ(blocks->Count(), 2u);
    EXPECT_EQ(blocks->At(0).pointer.value, 0x10u);
    EXPECT_EQ(blocks->At(1).pointer.value, 0x20u);
    EXPECT_EQ(blocks->At(1).GetData()[63], 63);
}

} // namespace

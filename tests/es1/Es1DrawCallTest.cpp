// The ES 1.1 draw records, case by case: where the run of captured client arrays starts and stops
// (more than 40 bytes left; glDrawElements only with data), that block headers are measured on the
// stream whatever the pointer width, and what the index argument lists.
#include "CallQueries.h"
#include "Es1Records.h"
#include "Es2TestSupport.h"

#include <gtest/gtest.h>

using namespace es2test;

namespace {

constexpr uint16_t kDrawArrays = CallIdOf(ECallFamily::Es1, "glDrawArrays"),
                   kDrawElements = CallIdOf(ECallFamily::Es1, "glDrawElements");

SPayload Arrays(int ptr)
{
    SPayload p(ptr);
    p.Words({0, 4, 0, 3}); // error, GL_TRIANGLES, first, count
    return p;
}

SPayload Elements(int ptr)
{
    SPayload p(ptr);
    p.Words({0, 4, 3, 0x1403}); // error, GL_TRIANGLES, count, GL_UNSIGNED_SHORT
    return p;
}

struct SDrawCase
{
    const char* what;
    uint16_t id;
    bool data;
    int pointerWidth;
    std::vector<uint8_t> (*payload)(int pointerWidth);
    std::vector<uint32_t> blockSizes; // captured blocks kept, in order
    uint64_t consumed;
    const char* listing;              // verbose listing
};

const char* const kArrays = "glDrawArrays(mode=GL_TRIANGLES, first=0, count=3) ==> -";
const char* const kElements = "glDrawElements(mode=GL_TRIANGLES, count=3, type=GL_UNSIGNED_SHORT, "
                              "indices=~Data(6 bytes)~, indicesOffset=0x8) ==> -";

const SDrawCase kCases[] = {
    {"40 bytes after the arguments hold no block", kDrawArrays, true, 4,
     [](int p) { return Arrays(p).Block(0x10, 32).bytes; }, {}, 16, kArrays},
    {"41 bytes after the arguments are read as a block", kDrawArrays, true, 4,
     [](int p) { return Arrays(p).Block(0x10, 33).bytes; }, {33}, 57, kArrays},
    {"blocks are read until 40 or fewer bytes remain, in both data modes", kDrawArrays, false, 4,
     [](int p) { return Arrays(p).Block(0x10, 100).Block(0x20, 100).Block(0x30, 20).bytes; }, {100, 100}, 232,
     kArrays},
    {"8-byte pointers: block headers of 12 bytes", kDrawArrays, true, 8,
     [](int p) { return Arrays(p).Block(0x10, 100).Block(0x20, 100).Block(0x30, 20).bytes; }, {100, 100}, 240,
     kArrays},
    {"8-byte pointers never drift past the record (eight empty blocks)", kDrawArrays, true, 8,
     [](int p) {
         SPayload s = Arrays(p);
         for (int i = 0; i < 8; ++i)
             s.Block(0x100 + i, 0);
         return s.bytes;
     },
     {0, 0, 0, 0, 0}, 76, kArrays},
    {"a block claiming more bytes than remain ends the run", kDrawArrays, true, 4,
     [](int p) {
         SPayload s = Arrays(p).Block(0x10, 64);
         s.Ptr(0x20).U32(1000);
         s.bytes.resize(s.bytes.size() + 60);
         return s.bytes;
     },
     {64}, 96, kArrays},
    {"0xFFFFFFFF bytes claimed end the run", kDrawArrays, true, 4,
     [](int p) { return Arrays(p).Ptr(0x20).U32(0xFFFFFFFF).Raw(std::vector<uint8_t>(60, 7)).bytes; }, {}, 24,
     kArrays},
    {"elements with data: the index block, the offset, then the arrays", kDrawElements, true, 4,
     [](int p) { return Elements(p).Block(0x40, 6).Ptr(0x8).Block(0x1000, 48).Block(0x2000, 20).bytes; }, {48},
     90, kElements},
    {"elements with data and 8-byte pointers", kDrawElements, true, 8,
     [](int p) { return Elements(p).Block(0x40, 6).Ptr(0x8).Block(0x1000, 48).Block(0x2000, 20).bytes; }, {48},
     102, kElements},
    {"elements without data read no block even when bytes follow the index pointer", kDrawElements, false, 4,
     [](int p) { return Elements(p).Ptr(0x40).Block(0x1000, 48).Block(0x2000, 48).bytes; }, {}, 20,
     "glDrawElements(mode=GL_TRIANGLES, count=3, type=GL_UNSIGNED_SHORT, indices=0x40) ==> -"},
    {"elements with a null index pointer list NULL", kDrawElements, true, 4,
     [](int p) { return Elements(p).Ptr(0).U32(0).Ptr(0x80).bytes; }, {}, 28,
     "glDrawElements(mode=GL_TRIANGLES, count=3, type=GL_UNSIGNED_SHORT, indices=NULL, indicesOffset=0x80) ==> -"},
};

class Es1DrawCall : public testing::TestWithParam<SDrawCase> {};

TEST_P(Es1DrawCall, ReadsBlocksAndListsIndices)
{
    const SDrawCase& c = GetParam();
    SReadCall r = BuildCall(c.id, c.payload(c.pointerWidth), c.data, c.pointerWidth);
    ASSERT_NE(r.call, nullptr);
    EXPECT_EQ(r.consumed, c.consumed);
    const auto* blocks = CapturedBlocksOf(r.call.get());
    ASSERT_NE(blocks, nullptr);
    std::vector<uint32_t> sizes;
    for (uint32_t i = 0; i < blocks->Count(); ++i)
        sizes.push_back(blocks->At(i).size);
    EXPECT_EQ(sizes, c.blockSizes);
    EXPECT_EQ(Describe(*r.call, 1), c.listing);
}

INSTANTIATE_TEST_SUITE_P(Cases, Es1DrawCall, testing::ValuesIn(kCases),
                         [](const auto& info) { return es2test::CaseName(info.param.what); });

TEST(Es1DrawCall, BlocksKeepTheirPointersAndBytes)
{
    SReadCall r = BuildCall(kDrawArrays, Arrays(4).Block(0x1000, 48).Block(0x2000, 4).bytes, true);
    const auto* blocks = CapturedBlocksOf(r.call.get());
    ASSERT_NE(blocks, nullptr);
    ASSERT_EQ(blocks->Count(), 1u); // the 12-byte second block sits in the last 40 bytes
    const auto b = blocks->At(0);
    EXPECT_EQ(b.pointer.value, 0x1000u);
    ASSERT_EQ(b.size, 48u);
    for (uint32_t i = 0; i < 48; ++i)
        EXPECT_EQ(b.bytes[i], uint8_t(i));
    EXPECT_EQ(
        CapturedBlocksOf(BuildCall(CallIdOf(ECallFamily::Es1, "glClear"), {0, 0, 0, 0, 0, 0, 0, 0}, true).call.get()),
        nullptr);
}

} // namespace

// Corrupt type-size tables, counts larger than their record, wrapping counts and records cut
// short: the readers fail the record with a clear error or read 0, never allocate from a lying
// count and never read past the record.
#include "TraceFixture.h"
#include "record/XqftError.h"

#include "apicall/CallFamilies.h"

#include <functional>
#include <string>

namespace {

struct CBareEs2Call : CEs2Call
{
    using CEs2Call::CEs2Call;
    const char* GetName() const override { return "glBare"; }
    int GetId() const override { return 2000; }
    const char* GetCategory() const override { return "Other"; }
};

// Opens a file of the given records (ids 5000 + index) with the given table.
class Hostile : public testing::Test
{
protected:
    void Open(const std::vector<SBytes>& payloads, std::vector<int8_t> sizes = DefaultSizes())
    {
        SBytes file = Header(sizes);
        for (size_t i = 0; i < payloads.size(); ++i)
            file.Record(uint16_t(5000 + i), payloads[i]);
        ASSERT_TRUE(m_fixture.Open(WriteFile("hostile.xqft", file)));
    }
    CTrace& Next()
    {
        SRecordHeader record;
        EXPECT_TRUE(m_fixture.Next(record));
        return m_fixture.Trace();
    }
    CTraceFixture m_fixture;
};

// The text of the size error read throws; the loader drops the whole trace on this type.
template <class F>
std::string SizeError(F read)
{
    try {
        read();
    } catch (const CXqftSizeError& e) {
        return e.what();
    }
    return "no error";
}

TEST_F(Hostile, FloatEntryOtherThanFour)
{
    for (int8_t entry : {int8_t(0), int8_t(-4), int8_t(8), int8_t(2)}) {
        SCOPED_TRACE(int(entry));
        std::vector<int8_t> sizes = DefaultSizes();
        sizes[22] = entry;
        sizes[23] = entry;
        Open({SBytes().U64(0), SBytes().U64(0)}, sizes);
        TfloatType<22> f;
        TfloatType<23> c;
        EXPECT_EQ(kFloatSizeError, SizeError([&] { Next() >> f; }));
        EXPECT_EQ(kFloatSizeError, SizeError([&] { Next() >> c; }));
    }
}

TEST_F(Hostile, TypeCodeBeyondTheTable)
{
    std::vector<int8_t> sizes = DefaultSizes();
    sizes.resize(12); // no GLenum entry: even the recorded GL error of a call cannot be read
    Open({SBytes().U64(0), SBytes().U64(0)}, sizes);
    TuintType<21> v;
    EXPECT_THROW(Next() >> v, CXqftError);
    try {
        CBareEs2Call call(&Next());
        ADD_FAILURE() << "no error";
    } catch (const CXqftError& e) {
        EXPECT_STREQ("Undefined Es Type in record library", e.what());
    }
}

TEST_F(Hostile, ScalarWiderThanEightBytes)
{
    std::vector<int8_t> sizes = DefaultSizes();
    sizes[17] = 16;
    Open({SBytes().U64(0).U64(0)}, sizes);
    TintType<17> v;
    EXPECT_NE("no error", SizeError([&] { Next() >> v; }));
}

// Each composite with a count or size that does not fit in what is left of its record.
TEST_F(Hostile, CountsLargerThanTheRecord)
{
    struct SCase
    {
        const char* what;
        SBytes payload;
        std::function<void(CTrace&)> read;
    };
    const std::vector<SCase> cases = {
        {"block", SBytes().U32(1).U32(11).U64(0).U16(0), [](CTrace& t) { SDataPtr h; t >> h; }},
        // Fits the whole record (18 bytes) but not the 10 bytes left after pointer and count.
        {"block vs bytes left", SBytes().U32(1).U32(12).U64(0).U16(0), [](CTrace& t) { SDataPtr h; t >> h; }},
        {"block count 0xFFFFFFFF", SBytes().U32(1).U32(0xFFFFFFFF), [](CTrace& t) { SDataPtr h; t >> h; }},
        {"image", SBytes().U32(1).U32(9).U64(0), [](CTrace& t) { SImage2D h; t >> h; }},
        {"image count 0xFFFFFFFF", SBytes().U32(1).U32(0xFFFFFFFF), [](CTrace& t) { SImage2D h; t >> h; }},
        {"string", SBytes().U32(1).U32(5).U32(0), [](CTrace& t) { SString h; t >> h; }},
        {"string length 0xFFFFFFFF", SBytes().U32(1).U32(0xFFFFFFFF), [](CTrace& t) { SString h; t >> h; }},
        {"array", SBytes().U32(1).U32(3).U64(0), [](CTrace& t) { SArrayPtr<TuintType<21>, 1, 1> h; t >> h; }},
        {"array count 0xFFFFFFFF", SBytes().U32(1).U32(0xFFFFFFFF).U64(0),
         [](CTrace& t) { SArrayPtr<TuintType<21>, 1, 1> h; t >> h; }},
        // 0x04000000 x 16 elements x 4 bytes wraps 32 bits to 0.
        {"4x4 matrices wrapping 32 bits", SBytes().U32(1).U32(0x04000000).U64(0),
         [](CTrace& t) { SArrayPtr<TfloatType<22>, 4, 4> h; t >> h; }},
        {"4x4 matrices, count 0xFFFFFFFF", SBytes().U32(1).U32(0xFFFFFFFF).U64(0),
         [](CTrace& t) { SArrayPtr<TfloatType<22>, 4, 4> h; t >> h; }},
        // Every string element takes at least a pointer and a length.
        {"string array", SBytes().U32(1).U32(2).U32(0).U32(0), [](CTrace& t) { SArrayPtr<SString, 1, 1> h; t >> h; }},
        {"attribute list", SBytes().U32(1).U32(0x40000001).U64(0), [](CTrace& t) { SEglAttribList h; t >> h; }},
        {"pixmap description", SBytes().U32(1).U32(100).U32(0), [](CTrace& t) { SEglNativePixmapDesc h; t >> h; }},
        {"pixmap length 0xFFFFFFFF", SBytes().U32(1).U32(0xFFFFFFFF), [](CTrace& t) { SEglNativePixmapDesc h; t >> h; }},
    };
    std::vector<SBytes> payloads;
    for (const SCase& c : cases)
        payloads.push_back(c.payload);
    Open(payloads);
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.what);
        CTrace& t = Next();
        EXPECT_EQ(kBlockSizeError, SizeError([&] { c.read(t); }));
    }
}

TEST_F(Hostile, ShortReadsAtTheEndOfARecordGiveZeroAndLeaveTheNextRecord)
{
    Open({SBytes().U32(0x11111111).U16(0x2222), SBytes().U32(0x33333333)});
    CTrace& t = Next();
    TuintType<21> a, b, c;
    t >> a >> b >> c;
    EXPECT_EQ(0x11111111u, a.value);
    EXPECT_EQ(0u, b.value); // two bytes left: not enough, and the next record is not touched
    EXPECT_EQ(0u, c.value);
    TfloatType<22> f;
    f.value = 1.0f;
    t >> f;
    EXPECT_EQ(0.0f, f.value);
    SArrayPtr<TuintType<21>, 1, 1> empty;
    t >> empty;
    EXPECT_EQ(0u, empty.count);
    TuintType<21> next;
    Next() >> next;
    EXPECT_EQ(0x33333333u, next.value);
}

TEST_F(Hostile, RecordLongerThanTheFile)
{
    Open({SBytes().U32(1).U32(8).U32(0)});
    CTrace& t = Next();
    t.SetRecordSize(1000); // as if the header lied: the end of the file still bounds the reads
    SDataPtr h;
    EXPECT_EQ(kBlockSizeError, SizeError([&] { t >> h; }));
}

// Every cut of a valid payload: each reader either fails with the size error or reads what is
// there, and never goes past the record.
TEST_F(Hostile, TruncationSweep)
{
    struct SCase
    {
        const char* what;
        SBytes payload;
        std::function<void(CTrace&)> read;
    };
    const std::vector<SCase> cases = {
        {"block", SBytes().U32(1).U32(4).U32(0xAABBCCDD), [](CTrace& t) { SDataPtr h; t >> h; }},
        {"string", SBytes().U32(1).U32(3).U8('a').U8('b').U8('c'), [](CTrace& t) { SString h; t >> h; }},
        {"tuples", SBytes().U32(1).U32(2).U32(1).U32(2).U32(3).U32(4),
         [](CTrace& t) { SArrayPtr<TintType<17>, 2, 1> h; t >> h; }},
        {"strings", SBytes().U32(1).U32(2).U32(1).U32(1).U8('x').U32(1).U32(2).U8('y').U8('z'),
         [](CTrace& t) { SArrayPtr<SString, 1, 1> h; t >> h; }},
        {"fixed", SBytes().U32(1).U32(0x3F800000).U32(0).U32(0).U32(0x3F800000),
         [](CTrace& t) { SPtr<TfloatType<22>, 4, 1> h; t >> h; }},
        {"attribs", SBytes().U32(1).U32(3).U32(0x3024).U32(8).U32(0x3038), [](CTrace& t) { SEglAttribList h; t >> h; }},
        {"window", SBytes().U32(7).U32(640).U32(480), [](CTrace& t) { SEglNativeWindowDesc h; t >> h; }},
        {"pixmap", SBytes().U32(7).U32(2).U8('p').U8('q'), [](CTrace& t) { SEglNativePixmapDesc h; t >> h; }},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<SBytes> payloads;
        for (size_t cut = 0; cut < c.payload.b.size(); ++cut) {
            SBytes p;
            p.b.assign(c.payload.b.begin(), c.payload.b.begin() + std::ptrdiff_t(cut));
            payloads.push_back(p);
        }
        payloads.push_back(SBytes().U32(0x5E5E5E5E)); // sentinel after the last cut
        Open(payloads);
        for (size_t cut = 0; cut < c.payload.b.size(); ++cut) {
            CTrace& t = Next();
            try {
                c.read(t);
            } catch (const CXqftSizeError& e) {
                EXPECT_STREQ(kBlockSizeError, e.what());
            }
            EXPECT_LE(t.GetRecordConsumed(), cut);
        }
        TuintType<21> sentinel;
        Next() >> sentinel;
        EXPECT_EQ(0x5E5E5E5Eu, sentinel.value);
    }
}

} // namespace

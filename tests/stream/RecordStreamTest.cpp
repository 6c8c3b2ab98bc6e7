// Record framing and the loader's folding of 64-bit records and section markers.
#include "TempFile.h"
#include "stream/IOManager.h"
#include "stream/RecordStream.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct SRec
{
    uint16_t id;
    uint32_t payload;
    int64_t declared = -1; // -1: the payload size
};

// Records only: the walk starts at offset 0, the header is not its concern.
std::vector<unsigned char> Build(const std::vector<SRec>& recs)
{
    std::vector<unsigned char> out;
    for (const auto& r : recs) {
        uint32_t size = r.declared < 0 ? r.payload : static_cast<uint32_t>(r.declared);
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<unsigned char>(size >> (8 * i)));
        out.push_back(static_cast<unsigned char>(r.id));
        out.push_back(static_cast<unsigned char>(r.id >> 8));
        out.insert(out.end(), r.payload, 0xAB);
    }
    return out;
}

// "id@offset" per handed-out record, with "*" when the section flag is set, then the end.
std::string Walk(const std::vector<unsigned char>& bytes, bool raw)
{
    CTempFile file(bytes);
    IOManager& io = IOManager::Instance();
    if (!io.Open(file.Path().c_str()))
        return "not opened";
    CRecordStream stream(0);
    SRecordHeader r;
    ERecordStep step;
    std::string out;
    while ((step = raw ? stream.NextRaw(r) : stream.Next(r)) == kRecordRead) {
        out += std::to_string(r.id) + "@" + std::to_string(r.offset) + (stream.SectionFlag() ? "*" : "") + " ";
        EXPECT_EQ(io.Tell(), r.offset + 6) << "the stream stands at the payload";
    }
    io.Close();
    const char* ends[] = {"?", "end", "truncated", "malformed"};
    return out + ends[step];
}

} // namespace

TEST(RecordStream, Folding)
{
    struct Case { const char* what; std::vector<SRec> recs; const char* want; } cases[] = {
        {"plain calls", {{2001, 4}, {1022, 0}}, "2001@0 1022@10 end"},
        {"64-bit record then call", {{1, 8}, {2001, 4}}, "2001@14 end"},
        {"64-bit record then marker", {{1, 8}, {2, 0}, {2001, 4}}, "2001@20* end"},
        {"marker pair", {{2, 0}, {3, 0}, {2001, 4}}, "2001@12 end"},
        {"third marker handed out", {{2, 0}, {3, 0}, {4, 0}, {2001, 4}}, "4@12 2001@18 end"},
        {"marker then 64-bit record", {{2, 0}, {1, 8}, {2001, 4}}, "1@6* 2001@20* end"},
        {"two 64-bit records", {{1, 8}, {1, 8}, {2001, 0}}, "1@14 2001@28 end"},
        {"marker at the end", {{2001, 0}, {2, 0}}, "2001@0 end"},
        {"unknown ids framed", {{0, 3}, {65535, 1}}, "0@0 65535@9 end"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Walk(Build(c.recs), false), c.want) << c.what;
}

TEST(RecordStream, RawWalkKeepsEveryRecord)
{
    EXPECT_EQ(Walk(Build({{1, 8}, {2, 0}, {3, 0}, {2001, 4}}), true), "1@0 2@14 3@20 2001@26 end");
}

TEST(RecordStream, HostileFraming)
{
    struct Case { const char* what; std::vector<unsigned char> bytes; const char* want; } cases[] = {
        {"last record one byte short", [] { auto b = Build({{2001, 4}, {2002, 5}}); b.pop_back(); return b; }(),
         "2001@0 truncated"},
        {"size 0xFFFFFFFF", Build({{2001, 0}, {2002, 0, 0xFFFFFFFF}}), "2001@0 truncated"},
        {"size beyond the end", Build({{2001, 2, 3}}), "truncated"},
        {"half a record header", [] { auto b = Build({{2001, 0}}); b.resize(9, 0); return b; }(),
         "2001@0 truncated"},
        {"marker with payload", Build({{2001, 0}, {3, 2}, {2001, 0}}), "2001@0 malformed"},
        {"64-bit record of 4 bytes", Build({{1, 4}, {2001, 0}}), "malformed"},
        {"folded marker with payload", Build({{2, 0}, {4, 1}}), "malformed"},
    };
    auto lastWord = [](const std::string& s) { return s.substr(s.rfind(' ') + 1); };
    for (const auto& c : cases) {
        EXPECT_EQ(Walk(c.bytes, false), c.want) << c.what;
        EXPECT_EQ(lastWord(Walk(c.bytes, true)), lastWord(c.want)) << c.what << " (raw)";
    }
}

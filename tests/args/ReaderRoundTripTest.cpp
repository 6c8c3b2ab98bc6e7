// Every reader decodes the bytes tools/xqftgen.py writes for its encoding and consumes exactly
// the record that holds it, with a 32-bit table and with 8-byte pointers and 2-byte GLint, reading
// the file through its mapping (arrays of 4-byte values then stay in the file) and without.
#include "TraceFixture.h"

#include <cstdlib>
#include <functional>
#include <map>
#include "TestPaths.h"

namespace {

struct SWidths
{
    uint32_t pointer;
    uint32_t glint;
    bool mapped = false;  // the record context views captured bytes in the file's mapping
};

using Check = std::function<void(CTrace&, const SWidths&)>;

uint64_t Pointer(const SWidths& w, uint64_t v) { return w.pointer >= 8 ? v : v & 0xFFFFFFFFu; }

const std::map<std::string, Check>& Checks()
{
    static const std::map<std::string, Check> checks = {
        {"uint21", [](CTrace& t, const SWidths&) { TuintType<21> h; t >> h; EXPECT_EQ(0xDEADBEEFu, h.value); }},
        {"int17", [](CTrace& t, const SWidths& w) {
             TintType<17> h; t >> h;
             // Narrow values are zero-extended, also for the signed codes.
             EXPECT_EQ(w.glint == 2 ? 65531 : -5, h.value);
         }},
        {"glenum", [](CTrace& t, const SWidths&) { TGLenum h; t >> h; EXPECT_EQ(0x0DE1u, h.value); }},
        {"boolean13", [](CTrace& t, const SWidths&) { TGLboolean h; t >> h; EXPECT_EQ(1u, h.value); }},
        {"eglint_minus1", [](CTrace& t, const SWidths&) { TEGLintEnum h; t >> h; EXPECT_EQ(-1, h.value); }},
        {"fixed24", [](CTrace& t, const SWidths&) { TGLfixed h; t >> h; EXPECT_EQ(0x10000, h.value); }},
        {"pointer", [](CTrace& t, const SWidths& w) { TPointer h; t >> h; EXPECT_EQ(Pointer(w, 0x89ABCDEF12345678ull), h.value); }},
        {"float22", [](CTrace& t, const SWidths&) { TfloatType<22> h; t >> h; EXPECT_EQ(1.5f, h.value); }},
        {"float23", [](CTrace& t, const SWidths&) { TfloatType<23> h; t >> h; EXPECT_EQ(0.25f, h.value); }},
        {"data_block", [](CTrace& t, const SWidths&) {
             SDataPtr h; t >> h;
             EXPECT_EQ(0x10u, h.pointer.value);
             ASSERT_EQ(10u, h.size);
             ASSERT_NE(nullptr, h.GetData());
             EXPECT_EQ(9, h.GetData()[9]);
             EXPECT_EQ(h.endPosition, IOManager::Instance().Tell());
         }},
        {"data_block_empty", [](CTrace& t, const SWidths&) {
             SDataPtr h; t >> h;
             EXPECT_EQ(0x20u, h.pointer.value);
             EXPECT_EQ(0u, h.size);
             EXPECT_EQ(nullptr, h.GetData());
         }},
        {"data_block_null_pointer", [](CTrace& t, const SWidths&) {
             SDataPtr h; t >> h;
             EXPECT_EQ(3u, h.size);
             ASSERT_NE(nullptr, h.GetData());
             EXPECT_EQ(3, h.GetData()[2]);
         }},
        {"image", [](CTrace& t, const SWidths&) {
             SImage2D h; t >> h;
             ASSERT_EQ(16u, h.size);
             EXPECT_EQ(15, h.GetData()[15]);
         }},
        {"string", [](CTrace& t, const SWidths&) {
             SString h; t >> h;
             EXPECT_EQ(5u, h.length);
             EXPECT_STREQ("hello", h.Text());
         }},
        {"string_null_pointer", [](CTrace& t, const SWidths&) {
             SString h; t >> h;
             EXPECT_EQ(5u, h.length);
             EXPECT_EQ(nullptr, h.Text());
         }},
        {"array_uint21", [](CTrace& t, const SWidths& w) {
             SArrayPtr<TuintType<21>, 1, 1> h; t >> h;
             ASSERT_EQ(3u, h.ElementCount());
             EXPECT_EQ(3u, h[2].value);
             EXPECT_EQ(w.mapped, h.elements.InFile()) << "three 4-byte values stay in a mapped file";
         }},
        {"array_int17", [](CTrace& t, const SWidths& w) {
             SArrayPtr<TintType<17>, 1, 1> h; t >> h;
             ASSERT_EQ(3u, h.ElementCount());
             // Values of another width than 4 bytes are read one by one, as the scalar readers do.
             EXPECT_EQ(w.glint == 2 ? 65531 : -5, h[0].value);
             EXPECT_EQ(7, h[2].value);
             EXPECT_EQ(w.mapped && w.glint == 4, h.elements.InFile());
         }},
        {"array_null_pointer", [](CTrace& t, const SWidths&) {
             SArrayPtr<TuintType<21>, 1, 1> h; t >> h;
             EXPECT_EQ(3u, h.count);
             EXPECT_EQ(0u, h.ElementCount());
         }},
        {"array_tuple2_float", [](CTrace& t, const SWidths&) {
             SArrayPtr<TfloatType<22>, 2, 1> h; t >> h;
             EXPECT_EQ(2u, h.count);
             ASSERT_EQ(4u, h.ElementCount());
             EXPECT_EQ(4.0f, h[3].value);
         }},
        {"array_matrix4_float", [](CTrace& t, const SWidths&) {
             SArrayPtr<TfloatType<22>, 4, 4> h; t >> h;
             ASSERT_EQ(16u, h.ElementCount());
             EXPECT_EQ(15.0f, h[15].value);
             uint32_t values[16];
             h.CopyValues(values);
             EXPECT_EQ(0x40000000u, values[2]) << "2.0f bit for bit";
         }},
        {"array_strings", [](CTrace& t, const SWidths&) {
             SArrayPtr<SString, 1, 1> h; t >> h;
             ASSERT_EQ(2u, h.ElementCount());
             EXPECT_STREQ("a", h[0].Text());
             EXPECT_STREQ("bc", h[1].Text());
         }},
        {"array_pointers", [](CTrace& t, const SWidths&) {
             SArrayPtr<TPointer, 1, 1> h; t >> h;
             ASSERT_EQ(2u, h.ElementCount());
             EXPECT_EQ(0xABCu, h[1].value);
         }},
        {"fixed_vec4_float", [](CTrace& t, const SWidths&) {
             SPtr<TfloatType<22>, 4, 1> h; t >> h;
             EXPECT_EQ(3.0f, h.elements[2].value);
         }},
        {"fixed_null_pointer", [](CTrace& t, const SWidths&) {
             SPtr<TfloatType<22>, 4, 1> h; t >> h;
             EXPECT_EQ(0.0f, h.elements[0].value);
         }},
        {"fixed_matrix4_fixed", [](CTrace& t, const SWidths&) {
             SPtr<TGLfixed, 4, 4> h; t >> h;
             EXPECT_EQ(15 * 0x10000, h.elements[15].value);
         }},
        {"attrib_list", [](CTrace& t, const SWidths&) {
             SEglAttribList h; t >> h;
             ASSERT_EQ(3u, h.ElementCount());
             CXQFTString text;
             h.ToString(text, nullptr);
             EXPECT_STREQ("{ EGL_RED_SIZE : 8,  }", text.CStr());
         }},
        {"native_window", [](CTrace& t, const SWidths&) {
             SEglNativeWindowDesc h; t >> h;
             EXPECT_EQ(7u, h.handle.value);
             EXPECT_EQ(640u, h.width);
             EXPECT_EQ(480u, h.height);
         }},
        {"native_window6", [](CTrace& t, const SWidths&) {
             SEglNativeWindowDesc6 h; t >> h;
             EXPECT_EQ(9u, h.handle.value);
             EXPECT_EQ(4u, h.words[3]);
         }},
        {"native_pixmap", [](CTrace& t, const SWidths&) {
             SEglNativePixmapDesc h; t >> h;
             EXPECT_EQ(11u, h.handle.value);
             EXPECT_STREQ("pixmap one", h.description.CStr());
         }},
        {"native_pixmap_second", [](CTrace& t, const SWidths&) {
             SEglNativePixmapDesc h; t >> h;
             EXPECT_STREQ("two", h.description.CStr());
         }},
    };
    return checks;
}

void RoundTrip(const std::string& name, const std::string& options, SWidths widths)
{
  for (const bool mapped : {false, true}) {
    SCOPED_TRACE(mapped ? "through the mapping" : "copied");
    widths.mapped = mapped;
    const std::string path = testing::TempDir() + name;
    const std::string command = "python3 " + SourceDir() + "/tools/xqftgen.py encodings " + path + " " + options;
    ASSERT_EQ(0, std::system(command.c_str())) << command;

    std::ifstream manifest(path + ".cases");
    std::vector<std::pair<std::string, uint32_t>> cases;
    std::string caseName;
    uint32_t size = 0;
    while (manifest >> caseName >> size)
        cases.emplace_back(caseName, size);
    ASSERT_EQ(Checks().size(), cases.size()) << "a case without a check, or a check without a case";

    CTraceFixture fixture;
    ASSERT_TRUE(fixture.Open(path));
    if (mapped) {
        ASSERT_NE(nullptr, IOManager::Instance().Mapping());
        fixture.Trace().SetCapturedBytesSource(IOManager::Instance().Mapping(), 64);
    }
    for (const auto& [what, payload] : cases) {
        SCOPED_TRACE(what);
        SRecordHeader record;
        ASSERT_TRUE(fixture.Next(record));
        ASSERT_EQ(payload, record.size);
        auto check = Checks().find(what);
        ASSERT_NE(Checks().end(), check);
        check->second(fixture.Trace(), widths);
        EXPECT_EQ(payload, fixture.Trace().GetRecordConsumed()) << "bytes consumed";
        EXPECT_EQ(0u, fixture.Trace().GetBytesLeft());
    }
  }
}

TEST(ReaderRoundTrip, ThirtyTwoBitTable) { RoundTrip("encodings32.xqft", "", {4, 4}); }

TEST(ReaderRoundTrip, EightBytePointersAndTwoByteGlint)
{
    RoundTrip("encodings64.xqft", "--type-sizes=-8,4,4,4,4,4,4,4,4,4,4,4,4,1,4,4,4,2,4,4,4,4,4,4,4,4,4,4,4,4",
              {8, 2});
}

} // namespace

// The compact, raw and long texts of every holder family, edge cases included.
#include "values/ApiTypes.h"
#include "values/ApiValueFormat.h"
#include "values/ArrayHolders.h"
#include "values/DataHolders.h"
#include "values/EglHolders.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using Holder = std::unique_ptr<SApiTypeBase>;

template <class H, class V>
Holder Scalar(V v)
{
    auto h = std::make_unique<H>();
    h->value = static_cast<typename H::ValueType>(v);
    return h;
}

template <class T, int A, int B, class V>
Holder Array(uint64_t pointer, uint32_t entries, std::initializer_list<V> values)
{
    auto h = std::make_unique<SArrayPtr<T, A, B>>();
    h->pointer.value = pointer;
    h->count = entries;
    if (values.size()) {
        h->Allocate(entries);
        // Through the element block, whose size the holder knows (the list may not overrun it).
        auto* elements = h->Held();
        const size_t n = std::min(h->ElementCount(), values.size());
        for (size_t i = 0; i < n; ++i)
            elements[i].value = static_cast<typename T::ValueType>(values.begin()[i]);
    }
    return h;
}

Holder String(uint64_t pointer, const std::string& text)
{
    auto h = std::make_unique<SString>();
    h->pointer.value = pointer;
    h->length = static_cast<uint32_t>(text.size());
    if (pointer && !text.empty()) {
        h->text.reset(new char[text.size() + 1]);
        memcpy(h->text.get(), text.c_str(), text.size() + 1);
    }
    return h;
}

Holder Data(uint64_t pointer, uint32_t size)
{
    auto h = std::make_unique<SDataPtr>();
    h->pointer.value = pointer;
    h->size = size;
    return h;
}

Holder Image(uint64_t pointer, uint32_t size)
{
    auto h = std::make_unique<SImage2D>();
    h->pointer.value = pointer;
    h->size = size;
    return h;
}

Holder Attribs(uint64_t pointer, std::initializer_list<int32_t> values)
{
    auto h = std::make_unique<SEglAttribList>();
    h->pointer.value = pointer;
    h->Allocate(static_cast<uint32_t>(values.size()));
    size_t i = 0;
    for (int32_t v : values)
        h->Held()[i++].value = v;
    return h;
}

template <class T, int A, int B, class V>
Holder Fixed(uint64_t pointer, std::initializer_list<V> values)
{
    auto h = std::make_unique<SPtr<T, A, B>>();
    h->pointer.value = pointer;
    size_t i = 0;
    for (V v : values)
        h->elements[i++].value = static_cast<typename T::ValueType>(v);
    return h;
}

struct SCase
{
    const char* what;
    std::function<Holder()> make;
    const char* text;
    const char* raw;  // null: not checked
    const char* lng;  // null: not checked
};

const SCase kCases[] = {
    // Scalars.
    {"uint", [] { return Scalar<TuintType<21>>(4000000000u); }, "4000000000", "4000000000", "4000000000"},
    {"int", [] { return Scalar<TintType<17>>(-7); }, "-7", "-7", nullptr},
    {"float", [] { return Scalar<TfloatType<22>>(1.5f); }, "1.500000", "1.500000", nullptr},
    {"pointer null", [] { return Scalar<TPointer>(0); }, "NULL", "NULL", nullptr},
    {"pointer", [] { return Scalar<TPointer>(0xABC); }, "0xabc", "0xabc", nullptr},
    {"pointer 64-bit", [] { return Scalar<TPointer>(0x89ABCDEF12345678ull); }, "0x89abcdef12345678", nullptr, nullptr},
    {"enum without name", [] { return Scalar<TGLenum>(0x1234); }, "4660", "0x1234", nullptr},
    {"enum 0", [] { return Scalar<TGLenum>(0); }, "GL_NONE", "0x0", nullptr},
    {"enum 1", [] { return Scalar<TGLenum>(1); }, "1", "0x1", nullptr},
    {"enum blend factor value", [] { return Scalar<TGLenum>(0x302); }, "770", nullptr, nullptr},
    {"enum OES where core has none", [] { return Scalar<TGLenum>(0x8058); }, "GL_RGBA8_OES", nullptr, nullptr},
    {"enum core over OES", [] { return Scalar<TGLenum>(0x8D62); }, "GL_RGB565", nullptr, nullptr},
    {"enum vendor", [] { return Scalar<TGLenum>(0x9136); }, "GL_TEXTURE_SAMPLES_WZQ", nullptr, nullptr},
    {"enum 0x506", [] { return Scalar<TGLenum>(0x506); }, "GL_INVALID_FRAMEBUFFER_OPERATION", nullptr, nullptr},
    {"error 0x506 unnamed", [] { return Scalar<TGLError>(0x506); }, "1286", "0x506", nullptr},
    {"error 0", [] { return Scalar<TGLError>(0); }, "GL_NO_ERROR", "0x0", nullptr},
    {"error 0x505", [] { return Scalar<TGLError>(0x505); }, "GL_OUT_OF_MEMORY", "0x505", nullptr},
    {"begin mode", [] { return Scalar<TGLBeginMode>(6); }, "GL_TRIANGLE_FAN", "0x6", nullptr},
    {"begin mode unknown", [] { return Scalar<TGLBeginMode>(7); }, "7", "0x7", nullptr},
    {"blend factor", [] { return Scalar<TGLBlendFactor>(0x308); }, "GL_SRC_ALPHA_SATURATE", "0x308", nullptr},
    {"blend factor one", [] { return Scalar<TGLBlendFactor>(1); }, "GL_ONE", nullptr, nullptr},
    {"blend factor unknown", [] { return Scalar<TGLBlendFactor>(0x309); }, "777", nullptr, nullptr},
    {"boolean 1", [] { return Scalar<TGLboolean>(1); }, "GL_TRUE", "1", nullptr},
    {"boolean 2", [] { return Scalar<TGLboolean>(2); }, "2", "2", nullptr},
    {"bitfield two bits", [] { return Scalar<TGLbitfield>(0x4100); }, "GL_DEPTH_BUFFER_BIT | GL_COLOR_BUFFER_BIT", "0x4100", nullptr},
    {"bitfield with rest", [] { return Scalar<TGLbitfield>(0x4101); }, "GL_DEPTH_BUFFER_BIT | GL_COLOR_BUFFER_BIT | 0X1", nullptr, nullptr},
    {"bitfield rest only", [] { return Scalar<TGLbitfield>(0x1); }, "0X1", nullptr, nullptr},
    {"bitfield 0", [] { return Scalar<TGLbitfield>(0); }, "0", "0x0", nullptr},
    {"fixed one", [] { return Scalar<TGLfixed>(0x10000); }, "1.000000", "1.000000", nullptr},
    {"fixed minus half", [] { return Scalar<TGLfixed>(int32_t(0xFFFF8000u)); }, "-0.500000", nullptr, nullptr},
    {"clampx", [] { return Scalar<TGLclampx>(0x8000); }, "0.500000", nullptr, nullptr},
    {"egl boolean", [] { return Scalar<TEGLBoolean>(1); }, "EGL_TRUE", "1", nullptr},
    {"egl boolean other", [] { return Scalar<TEGLBoolean>(5); }, "EGLBoolean(5)", "5", nullptr},
    {"egl display none", [] { return Scalar<TEGLDisplay>(0); }, "EGL_NO_DISPLAY", "0", nullptr},
    {"egl display", [] { return Scalar<TEGLDisplay>(3); }, "EGLDisplay(3)", "3", nullptr},
    {"egl context", [] { return Scalar<TEGLContext>(4); }, "EGLContext(4)", nullptr, nullptr},
    {"egl surface none", [] { return Scalar<TEGLSurface>(0); }, "EGL_NO_SURFACE", nullptr, nullptr},
    {"egl native display default", [] { return Scalar<TEGLNativeDisplayType>(0); }, "EGL_DEFAULT_DISPLAY", nullptr, nullptr},
    {"egl enum", [] { return Scalar<TEGLenum>(0x3038); }, "EGL_NONE", "0X3038", nullptr},
    {"egl enum first range", [] { return Scalar<TEGLenum>(1); }, "EGL_READ_SURFACE_BIT_KHR", nullptr, nullptr},
    {"egl enum 0", [] { return Scalar<TEGLenum>(0); }, "0", nullptr, nullptr},
    {"egl enum last range", [] { return Scalar<TEGLenum>(0x30D2); }, "EGL_IMAGE_PRESERVED_KHR", nullptr, nullptr},
    {"egl enum gap", [] { return Scalar<TEGLenum>(0x30D1); }, "12497", nullptr, nullptr},
    {"egl int minus one", [] { return Scalar<TEGLintEnum>(-1); }, "18446744073709551615", "-1", nullptr},
    {"egl int error", [] { return Scalar<TEGLintEnum>(0x3003); }, "EGL_BAD_ALLOC", "12291", nullptr},

    // Counted arrays.
    {"list", [] { return Array<TuintType<21>, 1, 1>(0x50, 3, {1, 2, 3}); }, "{ 1, 2, 3 }", "{ 1, 2, 3 }", "1\n2\n3"},
    {"list cut at 35",
     [] { return Array<TuintType<21>, 1, 1>(0x50, 10, {1000000, 1000001, 1000002, 1000003, 1000004, 1000005,
                                                        1000006, 1000007, 1000008, 1000009}); },
     "{ 1000000, 1000001, 1000002, 100000... }",
     "{ 1000000, 1000001, 1000002, 1000003, 1000004, 1000005, 1000006, 1000007, 1000008, 1000009 }", nullptr},
    {"list of enums raw", [] { return Array<TGLenum, 1, 1>(0x50, 2, {0x0DE1, 0x1234}); },
     "{ GL_TEXTURE_2D, 4660 }", "{ 0xDE1, 0x1234 }", "GL_TEXTURE_2D\n4660"},
    {"list null pointer", [] { return Array<TuintType<21>, 1, 1>(0, 3, std::initializer_list<int>{}); }, "NULL", "NULL", "NULL"},
    {"list without elements", [] { return Array<TuintType<21>, 1, 1>(0x10, 0, std::initializer_list<int>{}); }, "0x10", "0x10", "0x10"},
    {"tuple", [] { return Array<TfloatType<22>, 2, 1>(0x60, 1, {1.0f, 2.0f}); },
     "{ [ 1.000000; 2.000000 ] }", "{ [ \n1.000000, 2.000000\n] }", "[ \n1.000000, 2.000000\n]"},
    {"tuples cut",
     [] { return Array<TintType<17>, 3, 1>(0x60, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9}); },
     "{ [ 1; 2; 3 ], [ 4; 5; 6 ], [ 7; 8;... }", nullptr, "[ \n1, 2, 3\n]\n[ \n4, 5, 6\n]\n[ \n7, 8, 9\n]"},
    {"matrix 2x2", [] { return Array<TintType<17>, 2, 2>(0x70, 1, {1, 2, 3, 4}); },
     "{ [ 1, 2; 3, 4 ] }", "{ [ \n1, 3;\n2, 4\n] }", "[ \n1, 3;\n2, 4\n]"},
    {"two matrices 2x2", [] { return Array<TintType<17>, 2, 2>(0x70, 2, {1, 2, 3, 4, 5, 6, 7, 8}); },
     "{ [ 1, 2; 3, 4 ], [ 5, 6; 7, 8 ] }", "{ [ \n1, 3;\n2, 4\n], [ \n5, 7;\n6, 8\n] }",
     "[ \n1, 3;\n2, 4\n]\n[ \n5, 7;\n6, 8\n]"},

    // Fixed arrays.
    {"fixed single", [] { return Fixed<TfloatType<22>, 1, 1>(0x8, {2.0f}); }, "2.000000", "0x8", "2.000000"},
    {"fixed vector", [] { return Fixed<TfloatType<22>, 3, 1>(0x8, {1.0f, 2.0f, 3.0f}); }, "[ 1.000000; 2.000000; 3.000000 ]", "0x8", nullptr},
    {"fixed square", [] { return Fixed<TGLfixed, 4, 4>(0x8, {0x10000, 0, 0, 0, 0, 0x10000, 0, 0, 0, 0, 0x10000, 0, 0, 0, 0, 0x10000}); },
     "[ 1.000000, 0.000000, 0.000000, 0.000000; 0.000000, 1.000000, 0.000000, 0.000000; "
     "0.000000, 0.000000, 1.000000, 0.000000; 0.000000, 0.000000, 0.000000, 1.000000 ]", "0x8", nullptr},
    {"fixed null", [] { return Fixed<TfloatType<22>, 4, 1>(0, {1.0f, 2.0f, 3.0f, 4.0f}); }, "NULL", "NULL", nullptr},

    // Data, images, strings.
    {"data", [] { return Data(0x40, 256); }, "~Data(256 bytes)~", "0x40", "~Data(256 bytes)~"},
    {"data empty", [] { return Data(0x20, 0); }, "0x20", "0x20", nullptr},
    {"data null", [] { return Data(0, 12); }, "NULL", "NULL", nullptr},
    {"image", [] { return Image(0x40, 16); }, "~Image(16 bytes)~", "0x40", nullptr},
    {"image empty", [] { return Image(0x40, 0); }, "0x40", "0x40", nullptr},
    {"image null", [] { return Image(0, 16); }, "NULL", "NULL", nullptr},
    {"string", [] { return String(0x1, "abc"); }, "\"abc\"", "\"abc\"", "\"abc\""},
    {"string 30 characters", [] { return String(0x1, "abcdefghijklmnopqrstuvwxyz0123"); },
     "\"abcdefghijklmnopqrstuvwx...\"", "\"abcdefghijklmnopqrstuvwxyz0123\"", nullptr},
    {"string 25 characters", [] { return String(0x1, "abcdefghijklmnopqrstuvwxy"); },
     "\"abcdefghijklmnopqrstuvwxy\"", nullptr, nullptr},
    {"string newline", [] { return String(0x1, "a\nb"); }, "\"a\\nb\"", "\"a\nb\"", "\"a\nb\""},
    // The recorded length counts the tab once; the whole expanded text is shown.
    {"string tab", [] { return String(0x1, "a\tb"); }, "\"a  b\"", "\"a  b\"", "\"a\tb\""},
    {"string tabs past 26", [] { return String(0x1, "\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t"); },
     "\"                        ...\"", nullptr, nullptr},
    {"string carriage return", [] { return String(0x1, "a\r\nb"); }, nullptr, nullptr, "\"a\nb\""},
    {"string null", [] { return String(0, "abc"); }, "NULL", "\"\"", nullptr},
    {"string list",
     [] {
         auto h = std::make_unique<SArrayPtr<SString, 1, 1>>();
         h->pointer.value = 0x90;
         h->Allocate(2);
         for (int i = 0; i < 2; ++i) {
             (*h)[i].pointer.value = 1;
             (*h)[i].length = 1;
             (*h)[i].text.reset(new char[2]{char('x' + i), 0});
         }
         return Holder(std::move(h));
     },
     "{ \"x\", \"y\" }", "{ \"x\", \"y\" }", "\"x\"\n\"y\""},

    // EGL composites.
    {"attribs", [] { return Attribs(0xC0, {0x3024, 8, 0x3038}); }, "{ EGL_RED_SIZE : 8,  }",
     "{ \nEGL_RED_SIZE : 8,\n\n }", "EGL_RED_SIZE : 8\n"},
    {"attribs surface type", [] { return Attribs(0xC0, {0x3033, 4, 0x3038}); },
     "{ EGL_SURFACE_TYPE : EGL_WINDOW_BIT,  }", nullptr, nullptr},
    {"attribs renderable type", [] { return Attribs(0xC0, {0x3040, 5, 0x3038}); },
     "{ EGL_RENDERABLE_TYPE : EGL_OPENGL_ES... }", nullptr, nullptr},
    {"attribs cut at 40", [] { return Attribs(0xC0, {0x3024, 8, 0x3023, 8, 0x3022, 8, 0x3038}); },
     "{ EGL_RED_SIZE : 8, EGL_GREEN_SIZE : ... }",
     "{ \nEGL_RED_SIZE : 8,\nEGL_GREEN_SIZE : 8,\nEGL_BLUE_SIZE : 8,\n\n }",
     "EGL_RED_SIZE : 8\nEGL_GREEN_SIZE : 8\nEGL_BLUE_SIZE : 8\n"},
    {"attribs only terminator", [] { return Attribs(0xC0, {0x3038}); }, "{  }", "{  }", ""},
    {"attribs null", [] { return Attribs(0, {0x3024, 8, 0x3038}); }, "NULL", "NULL", nullptr},
    {"native window", [] { auto h = std::make_unique<SEglNativeWindowDesc>(); h->handle.value = 77; return Holder(std::move(h)); },
     "77", "77", "77"},
    {"native pixmap", [] { auto h = std::make_unique<SEglNativePixmapDesc>(); h->handle.value = 5; return Holder(std::move(h)); },
     "5", "5", nullptr},
    {"display desc", [] { return Holder(std::make_unique<SEglDisplayDesc>()); }, "", "", ""},
    {"surface desc", [] { return Holder(std::make_unique<SEglSurfaceDesc>()); }, "", "", nullptr},
};

TEST(HolderText, EveryFamily)
{
    for (const SCase& c : kCases) {
        SCOPED_TRACE(c.what);
        Holder h = c.make();
        CXQFTString text("stale"), raw("stale"), lng("stale");
        h->ToString(text, &raw);
        if (c.text) {
            EXPECT_STREQ(c.text, text.CStr());
        }
        if (c.raw) {
            EXPECT_STREQ(c.raw, raw.CStr());
        }
        if (c.lng) {
            h->ToLongString(lng);
            EXPECT_STREQ(c.lng, lng.CStr());
        }
        // Asking for the raw text never changes the compact one.
        CXQFTString alone;
        h->ToString(alone, nullptr);
        EXPECT_STREQ(text.CStr(), alone.CStr());
    }
}

TEST(HolderText, FormatApiValueKinds)
{
    struct { int kind; uint64_t value; const char* text; } cases[] = {
        {1, 0xFFFFFFFFull, "-1"}, {2, 0x1FFFFFFFFull, "4294967295"}, {3, ~0ull, "-1"},
        {4, ~0ull, "18446744073709551615"}, {5, 0xAB, "0x000000AB"}, {6, 0xAB, "0x00000000000000AB"},
        {7, 0, "EGL_FALSE"}, {9, 0, "EGL_NO_CONTEXT"}, {11, 2, "EGLSurface(2)"},
        {12, 0x3000, "EGL_SUCCESS"}, {12, 0x309B, "EGL_MULTISAMPLE_RESOLVE_BOX"}, {12, 0x30A3, "12451"},
        {13, 0x405, "EGL_PBUFFER_BIT | EGL_WINDOW_BIT | EGL_SWAP_BEHAVIOR_PRESERVED_BIT"},
        {14, 0x18, "EGL_OPENGL_BIT | 0X10"}, {15, 0, "0"}, {0, 5, "5"}, {16, 7, "7"},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(c.text, FormatApiValue(c.kind, c.value).CStr()) << "kind " << c.kind;
}

TEST(HolderText, AttribListFromHostList)
{
    const int32_t list[] = {0x3024, 5, 0x3038, 99};
    SEglAttribList attribs;
    attribs.SetList(list);
    ASSERT_EQ(3u, attribs.count);
    EXPECT_EQ(0x3038, attribs[2].value);
    EXPECT_EQ(0u, attribs.pointer.value);
    const uint32_t* block = attribs.HeldValues();
    ASSERT_NE(nullptr, block);
    EXPECT_EQ(5u, block[1]);
    EXPECT_EQ(block, attribs.HeldValues());

    SEglAttribList empty;
    empty.SetList(nullptr);
    EXPECT_EQ(0u, empty.count);
    EXPECT_EQ(nullptr, empty.HeldValues());
}

// Arrays of up to a pointer's room of values keep them in place, longer ones allocate: both
// read, print and hand out their block alike, also when a holder is filled again with the other form.
TEST(HolderText, ArraysInPlaceAndAllocatedAlike)
{
    SArrayPtr<TintType<17>, 1, 1> ints;
    SArrayPtr<TPointer, 1, 1> pointers;
    ints.pointer.value = pointers.pointer.value = 0x10;
    const char* texts[] = {"", "{ 1 }", "{ 1, 2 }", "{ 1, 2, 3 }"};
    for (uint32_t n : {1u, 3u, 2u, 0u, 3u, 1u}) {
        SCOPED_TRACE(n);
        ints.Allocate(n);
        pointers.Allocate(n);
        ASSERT_EQ(n, ints.ElementCount());
        for (uint32_t i = 0; i < n; ++i) {
            EXPECT_EQ(0, ints[i].value) << "elements start at zero";
            ints.Held()[i].value = int32_t(i + 1);
            pointers.Held()[i].value = 0x100 + i;
        }
        CXQFTString text;
        ints.ToString(text, nullptr);
        EXPECT_STREQ(n ? texts[n] : "0x10", text.CStr());
        if (n) {
            EXPECT_EQ(uint32_t(n), ints.HeldValues()[n - 1]);
            pointers.ToString(text, nullptr);
            EXPECT_EQ(n == 1 ? "{ 0x100 }" : n == 2 ? "{ 0x100, 0x101 }" : "{ 0x100, 0x101, 0x102 }",
                      std::string(text.CStr()));
        } else {
            EXPECT_EQ(nullptr, ints.HeldValues());
        }
    }
}

// Float arrays of tuples and matrices, and fixed vectors, hand their values out bit for bit as one
// block of count x A x B words, in the order they were recorded.
TEST(HolderText, FloatBlocksBitForBit)
{
    auto bits = [](float f) {
        uint32_t u;
        std::memcpy(&u, &f, 4);
        return u;
    };
    SArrayPtr<TfloatType<22>, 2, 2> matrices;
    matrices.pointer.value = 0x40;
    matrices.count = 2;
    matrices.Allocate(2);
    for (size_t i = 0; i < 8; ++i)
        matrices.Held()[i].value = -0.5f * float(i);
    ASSERT_NE(nullptr, matrices.HeldValues());
    for (size_t i = 0; i < 8; ++i)
        EXPECT_EQ(bits(-0.5f * float(i)), matrices.HeldValues()[i]) << i;

    SArrayPtr<TfloatType<22>, 3, 1> unrecorded;
    unrecorded.pointer.value = 0x40;
    unrecorded.count = 4;
    EXPECT_EQ(nullptr, unrecorded.HeldValues()) << "a pointer without recorded elements has no block";

    SPtr<TfloatType<22>, 4, 1> vec;
    vec.pointer.value = 0x8;
    for (int i = 0; i < 4; ++i)
        vec.elements[i].value = 1e-3f * float(i + 1);
    EXPECT_EQ(bits(4e-3f), vec.GetData()[3]);
    EXPECT_EQ(static_cast<void*>(vec.elements), static_cast<void*>(vec.GetData()));
}

// Elements kept in the trace file lie at any byte offset there: read one by one, copied out and
// printed, they are those of the same array held in memory, at every misalignment.
TEST(HolderText, ArraysInTheFileReadAsHeldOnes)
{
    SArrayPtr<TfloatType<22>, 4, 4> held;
    held.pointer.value = 0x40;
    held.Allocate(2);
    for (size_t i = 0; i < 32; ++i)
        held.Held()[i].value = 0.25f * float(i) - 3.0f;
    CXQFTString heldText, heldRaw, heldLong;
    held.ToString(heldText, &heldRaw);
    held.ToLongString(heldLong);

    std::vector<uint8_t> file(32 * 4 + 4, 0xEE);
    for (size_t offset = 0; offset < 4; ++offset) {
        SCOPED_TRACE(offset);
        std::memcpy(file.data() + offset, held.HeldValues(), 32 * 4);
        SArrayPtr<TfloatType<22>, 4, 4> viewed;
        viewed.pointer.value = 0x40;
        viewed.count = 2;
        viewed.elements.View(file.data() + offset);
        ASSERT_EQ(32u, viewed.ElementCount());
        EXPECT_EQ(nullptr, viewed.HeldValues()) << "no pointer into the file is handed out as a block";
        for (size_t i = 0; i < 32; ++i)
            EXPECT_EQ(held[i].value, viewed[i].value) << i;
        uint32_t copy[32];
        viewed.CopyValues(copy);
        EXPECT_EQ(0, std::memcmp(copy, held.HeldValues(), sizeof copy));
        CXQFTString text, raw, longText;
        viewed.ToString(text, &raw);
        viewed.ToLongString(longText);
        EXPECT_STREQ(heldText.CStr(), text.CStr());
        EXPECT_STREQ(heldRaw.CStr(), raw.CStr());
        EXPECT_STREQ(heldLong.CStr(), longText.CStr());
    }
}

// A shader of n lines "line i" (plus a long run of text per line when wide).
CXQFTString Shader(int lines, int width)
{
    std::string s;
    for (int i = 0; i < lines; ++i) {
        std::string line = "line " + std::to_string(i);
        line.resize(static_cast<size_t>(width), 'x');
        s += line + "\n";
    }
    return CXQFTString(s.c_str());
}

// The scalar texts are written without a format string; they must read exactly as printf's.
TEST(HolderText, ScalarTextsReadAsPrintfWrites)
{
    const float floats[] = {0.0f, -0.0f, 1e-7f, 5e-7f, 0.5f, -1.25f, 123456.789f, 16777217.0f, 1e30f,
                            3.4028235e38f, -3.4028235e38f, 1.4e-45f, INFINITY, -INFINITY, NAN, -NAN};
    for (float f : floats) {
        CXQFTString text;
        FormatFloat(f, text, nullptr);
        char expected[128];
        std::snprintf(expected, sizeof expected, "%f", double(f));
        EXPECT_STREQ(text.CStr(), expected) << f;
    }
    for (int32_t i : {0, 1, -1, 2147483647, -2147483647 - 1}) {
        CXQFTString text;
        FormatSigned(i, text, nullptr);
        EXPECT_EQ(std::string(text.CStr()), std::to_string(i));
        FormatUnsigned(uint32_t(i), text, nullptr);
        EXPECT_EQ(std::string(text.CStr()), std::to_string(uint32_t(i)));
    }
}

TEST(WrapQuotedText, ShortTextIsOnlyQuoted)
{
    EXPECT_STREQ("\"short\"", WrapQuotedText(CXQFTString("short")).CStr());
    EXPECT_STREQ("\"\"", WrapQuotedText(CXQFTString("")).CStr());
}

TEST(WrapQuotedText, HundredLinesEndInTheWidth108Pass)
{
    const CXQFTString out = WrapQuotedText(Shader(100, 10));
    const std::string s = out.CStr();
    EXPECT_EQ(0u, s.find("\n\"line 0xxxx\nline 1xxxx\n"));
    EXPECT_EQ('"', s.back());
    for (int i = 0; i < 100; ++i) {
        const std::string line = "line " + std::to_string(i);
        const size_t at = s.find(line + "x");
        EXPECT_NE(std::string::npos, at) << line;
        EXPECT_EQ(std::string::npos, s.find(line + "x", at + 1)) << line << " appears twice";
    }
    EXPECT_EQ(std::string::npos, s.find(" ...."));

    // One line of 120 characters among them: broken in every pass, so the passes at 70 and 87
    // still give more lines than their width; the kept pass breaks it after 108 characters.
    std::string source = Shader(50, 10).CStr() + std::string(120, 'y') + "\n" + Shader(49, 10).CStr();
    const std::string wide = WrapQuotedText(CXQFTString(source.c_str())).CStr();
    EXPECT_NE(std::string::npos, wide.find("\n" + std::string(108, 'y') + "\\\n" + std::string(12, 'y') + "\n"));
}

TEST(WrapQuotedText, LongLinesBreakAtBlanksOrHard)
{
    // 80 characters without a blank: a hard break after 70 characters.
    std::string hard(80, 'a');
    std::string out = WrapQuotedText(CXQFTString(hard.c_str())).CStr();
    EXPECT_EQ("\n\"" + std::string(70, 'a') + "\\\n" + std::string(10, 'a') + "\"", out);

    // A blank near the end of the line: the word after it moves to the next line.
    std::string soft = std::string(65, 'a') + " bbbbbbbbbbbbbbb";
    out = WrapQuotedText(CXQFTString(soft.c_str())).CStr();
    EXPECT_EQ("\n\"" + std::string(65, 'a') + " \\\nbbbbbbbbbbbbbbb\"", out);
}

TEST(WrapQuotedText, CutAfter210Lines)
{
    const std::string s = WrapQuotedText(Shader(400, 8)).CStr();
    EXPECT_NE(std::string::npos, s.find(" ....\""));
    EXPECT_EQ(std::string::npos, s.find("line 300"));
}

} // namespace

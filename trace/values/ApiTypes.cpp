// Texts of the scalar holders.
#include "ApiTypes.h"
#include "ApiValueFormat.h"
#include "TextFormat.h"

#include <charconv>

namespace {

// std::to_chars writes what printf's "%u", "%d" and "%f" write (it is specified as printf in the
// C locale), without parsing a format for every value: these texts are made for every argument a
// search or an export looks at.
template <class... Precision>
void AssignChars(CXQFTString& text, auto value, Precision... precision)
{
    char buffer[128];
    const std::to_chars_result r = std::to_chars(buffer, buffer + sizeof buffer, value, precision...);
    // The buffer holds any 32-bit integer and any float in fixed notation (at most 46 characters).
    text.Assign(buffer, r.ec == std::errc() ? size_t(r.ptr - buffer) : 0);
}

} // namespace

void FormatUnsigned(uint32_t value, CXQFTString& text, CXQFTString* rawText)
{
    AssignChars(text, value);
    if (rawText)
        rawText->Assign(text);
}

void FormatSigned(int32_t value, CXQFTString& text, CXQFTString* rawText)
{
    AssignChars(text, value);
    if (rawText)
        rawText->Assign(text);
}

void FormatFloat(float value, CXQFTString& text, CXQFTString* rawText)
{
    AssignChars(text, static_cast<double>(value), std::chars_format::fixed, 6);
    if (rawText)
        rawText->Assign(text);
}

void TPointer::ToString(CXQFTString& text, CXQFTString* rawText) const
{
    if (value == 0)
        text.Assign("NULL");
    else
        AssignFormat(text, "0x%llx", static_cast<unsigned long long>(value));
    if (rawText)
        rawText->Assign(text);
}

void SPointerValue::ToString(CXQFTString& text, CXQFTString* rawText) const
{
    TPointer p;
    p.value = value;
    p.ToString(text, rawText);
}

namespace {

// A named value or its fallback, with the raw text "0x%X".
void NamedOrFallback(const char* name, const char* fallback, uint32_t value, CXQFTString& text,
                     CXQFTString* rawText)
{
    if (name)
        text.Assign(name);
    else
        AssignFormat(text, fallback, value);
    if (rawText)
        AssignFormat(*rawText, "0x%X", value);
}

const char* Lookup(uint32_t value, const char* const* names, uint32_t count)
{
    return value < count ? names[value] : nullptr;
}

void FormatFixed(int32_t value, CXQFTString& text, CXQFTString* rawText)
{
    float f = static_cast<float>(value) * (1.0f / 65536.0f);
    AssignFormat(text, "%f", static_cast<double>(f));
    if (rawText)
        rawText->Assign(text);
}

// An EGL holder: FormatApiValue text of kind, raw "%u".
void FormatEgl(int kind, uint32_t value, CXQFTString& text, CXQFTString* rawText)
{
    FormatApiValue(kind, value, text);
    if (rawText)
        AssignFormat(*rawText, "%u", value);
}

} // namespace

const char* TGLenum::Name(uint32_t value) { return GlEnumName(value); }

void TGLenum::ToString(CXQFTString& text, CXQFTString* rawText) const
{
    NamedOrFallback(GlEnumName(value), "%u", value, text, rawText);
}

void TGLError::ToString(CXQFTString& text, CXQFTString* rawText) const
{
    static const char* const kNames[] = {"GL_INVALID_ENUM", "GL_INVALID_VALUE", "GL_INVALID_OPERATION",
                                         "GL_STACK_OVERFLOW", "GL_STACK_UNDERFLOW", "GL_OUT_OF_MEMORY"};
    const char* name = value == 0 ? "GL_NO_ERROR"
                       : value >= 0x500 ? Lookup(value - 0x500, kNames, 6) : nullptr;
    NamedOrFallback(name, "%d", value, text, rawText);
}

void TGLBeginMode::ToString(CXQFTString& text, CXQFTString* rawText) const
{
    static const char* const kNames[] = {"GL_POINTS", "GL_LINES", "GL_LINE_LOOP", "GL_LINE_STRIP",
                                         "GL_TRIANGLES", "GL_TRIANGLE_STRIP", "GL_TRIANGLE_FAN"};
    NamedOrFallback(Lookup(value, kNames, 7), "%d", value, text, rawText);
}

void TGLBlendFactor::ToString(CXQFTString& text, CXQFTString* rawText) const
{
    static const char* const kNames[] = {
        "GL_SRC_COLOR", "GL_ONE_MINUS_SRC_COLOR", "GL_SRC_ALPHA", "GL_ONE_MINUS_SRC_ALPHA", "GL_DST_ALPHA",
        "GL_ONE_MINUS_DST_ALPHA", "GL_DST_COLOR", "GL_ONE_MINUS_DST_COLOR", "GL_SRC_ALPHA_SATURATE"};
    const char* name = value == 0 ? "GL_ZERO"
                       : value == 1 ? "GL_ONE"
                       : value >= 0x300 ? Lookup(value - 0x300, kNames, 9) : nullptr;
    NamedOrFallback(name, "%d", value, text, rawText);
}

void TGLboolean::ToString(CXQFTString& text, CXQFTString* rawText) const
{
    if (value == 0)
        text.Assign("GL_FALSE");
    else if (value == 1)
        text.Assign("GL_TRUE");
    else
        AssignFormat(text, "%llu", static_cast<unsigned long long>(value));
    if (rawText)
        AssignFormat(*rawText, "%u", value);
}

void TGLbitfield::ToString(CXQFTString& text, CXQFTString* rawText) const
{
    FormatApiValue(kFormatGlClearBits, value, text);
    if (rawText)
        AssignFormat(*rawText, "0x%X", value);
}

void TGLfixed::ToString(CXQFTString& text, CXQFTString* rawText) const { FormatFixed(value, text, rawText); }
void TGLclampx::ToString(CXQFTString& text, CXQFTString* rawText) const { FormatFixed(value, text, rawText); }

void TEGLBoolean::ToString(CXQFTString& text, CXQFTString* rawText) const { FormatEgl(kFormatEglBoolean, value, text, rawText); }
void TEGLNativeDisplayType::ToString(CXQFTString& text, CXQFTString* rawText) const
{
    FormatEgl(kFormatEglNativeDisplay, value, text, rawText);
}
void TEGLContext::ToString(CXQFTString& text, CXQFTString* rawText) const { FormatEgl(kFormatEglContext, value, text, rawText); }
void TEGLDisplay::ToString(CXQFTString& text, CXQFTString* rawText) const { FormatEgl(kFormatEglDisplay, value, text, rawText); }
void TEGLSurface::ToString(CXQFTString& text, CXQFTString* rawText) const { FormatEgl(kFormatEglSurface, value, text, rawText); }

void TEGLenum::ToString(CXQFTString& text, CXQFTString* rawText) const
{
    FormatApiValue(kFormatEglName, value, text);
    if (rawText)
        AssignFormat(*rawText, "%#llX", static_cast<unsigned long long>(value));
}

void TEGLintEnum::ToString(CXQFTString& text, CXQFTString* rawText) const
{
    FormatApiValue(kFormatEglName, static_cast<uint64_t>(static_cast<int64_t>(value)), text);
    if (rawText)
        AssignFormat(*rawText, "%d", value);
}

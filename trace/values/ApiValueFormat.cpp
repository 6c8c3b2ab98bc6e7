// Display kinds of recorded values and the bit-mask namer.
#include "ApiValueFormat.h"
#include "TextFormat.h"

#include <iterator>
#include <string>

namespace {

const BitName kSurfaceTypeBits[] = {
    {"EGL_PBUFFER_BIT", 0x1},
    {"EGL_PIXMAP_BIT", 0x2},
    {"EGL_WINDOW_BIT", 0x4},
    {"EGL_VG_COLORSPACE_LINEAR_BIT", 0x20},
    {"EGL_VG_ALPHA_FORMAT_PRE_BIT", 0x40},
    {"EGL_MULTISAMPLE_RESOLVE_BOX_BIT", 0x200},
    {"EGL_SWAP_BEHAVIOR_PRESERVED_BIT", 0x400},
};

const BitName kRenderableTypeBits[] = {
    {"EGL_OPENGL_ES_BIT", 0x1},
    {"EGL_OPENVG_BIT", 0x2},
    {"EGL_OPENGL_ES2_BIT", 0x4},
    {"EGL_OPENGL_BIT", 0x8},
};

const BitName kGlClearBits[] = {
    {"GL_DEPTH_BUFFER_BIT", 0x100},
    {"GL_STENCIL_BUFFER_BIT", 0x400},
    {"GL_COLOR_BUFFER_BIT", 0x4000},
};

// "name" for 0 and 1 of a boolean-like kind, or "prefix(%llu)" otherwise.
void NamedHandle(uint64_t value, const char* zeroName, const char* type, CXQFTString& text)
{
    if (value == 0)
        text.Assign(zeroName);
    else
        AssignFormat(text, "%s(%llu)", type, static_cast<unsigned long long>(value));
}

} // namespace

void FormatApiValue(int kind, uint64_t value, CXQFTString& text)
{
    const unsigned long long v = value;
    switch (kind) {
    case kFormatInt: AssignFormat(text, "%i", static_cast<int>(static_cast<uint32_t>(value))); return;
    case kFormatUint: AssignFormat(text, "%u", static_cast<uint32_t>(value)); return;
    case kFormatInt64: AssignFormat(text, "%lli", static_cast<long long>(value)); return;
    case kFormatHex32: AssignFormat(text, "0x%.8X", static_cast<uint32_t>(value)); return;
    case kFormatHex64: AssignFormat(text, "0x%.16llX", v); return;
    case kFormatEglBoolean:
        if (value == 0)
            text.Assign("EGL_FALSE");
        else if (value == 1)
            text.Assign("EGL_TRUE");
        else
            AssignFormat(text, "EGLBoolean(%llu)", v);
        return;
    case kFormatEglNativeDisplay: NamedHandle(value, "EGL_DEFAULT_DISPLAY", "EGLNativeDisplayType", text); return;
    case kFormatEglContext: NamedHandle(value, "EGL_NO_CONTEXT", "EGLContext", text); return;
    case kFormatEglDisplay: NamedHandle(value, "EGL_NO_DISPLAY", "EGLDisplay", text); return;
    case kFormatEglSurface: NamedHandle(value, "EGL_NO_SURFACE", "EGLSurface", text); return;
    case kFormatEglName:
        if (const char* name = EglEnumName(value))
            text.Assign(name);
        else
            AssignFormat(text, "%llu", v);
        return;
    case kFormatSurfaceTypeBits: text = FormatBitfield(value, kSurfaceTypeBits, static_cast<int>(std::size(kSurfaceTypeBits))); return;
    case kFormatRenderableTypeBits:
        text = FormatBitfield(value, kRenderableTypeBits, static_cast<int>(std::size(kRenderableTypeBits)));
        return;
    case kFormatGlClearBits: text = FormatBitfield(value, kGlClearBits, static_cast<int>(std::size(kGlClearBits))); return;
    default: AssignFormat(text, "%llu", v); return; // kFormatUint64 and every unknown kind
    }
}

CXQFTString FormatApiValue(int kind, uint64_t value)
{
    CXQFTString text;
    FormatApiValue(kind, value, text);
    return text;
}

CXQFTString FormatBitfield(uint64_t value, const BitName* table, int count)
{
    if (value == 0)
        return CXQFTString("0");
    std::string names;
    uint64_t rest = value;
    for (int i = 0; i < count; ++i) {
        if (table[i].bits != 0 && (rest & table[i].bits) == table[i].bits) {
            if (!names.empty())
                names += " | ";
            names += table[i].name;
            rest -= table[i].bits;
        }
    }
    CXQFTString text;
    if (rest == 0)
        text.Assign(names.c_str(), names.size());
    else if (names.empty())
        AssignFormat(text, "%#llX", static_cast<unsigned long long>(rest));
    else
        AssignFormat(text, "%s | %#llX", names.c_str(), static_cast<unsigned long long>(rest));
    return text;
}

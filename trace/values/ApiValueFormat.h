#pragma once
// Shared namers of GL enums, EGL values and bit masks, also used by the views to print state.
#include "XQFTString.h"

#include <cstdint>

struct BitName
{
    const char* name;
    uint64_t bits;
};

// The display kinds of FormatApiValue; any other kind prints "%llu".
enum EValueFormat : int
{
    kFormatInt = 1,             // "%i" of the low 32 bits
    kFormatUint = 2,            // "%u" of the low 32 bits
    kFormatInt64 = 3,           // "%lli"
    kFormatUint64 = 4,          // "%llu"
    kFormatHex32 = 5,           // "0x%.8X"
    kFormatHex64 = 6,           // "0x%.16llX"
    kFormatEglBoolean = 7,      // EGL_FALSE, EGL_TRUE, else "EGLBoolean(%llu)"
    kFormatEglNativeDisplay = 8,  // EGL_DEFAULT_DISPLAY for 0, else "EGLNativeDisplayType(%llu)"
    kFormatEglContext = 9,      // EGL_NO_CONTEXT for 0, else "EGLContext(%llu)"
    kFormatEglDisplay = 10,     // EGL_NO_DISPLAY for 0, else "EGLDisplay(%llu)"
    kFormatEglSurface = 11,     // EGL_NO_SURFACE for 0, else "EGLSurface(%llu)"
    kFormatEglName = 12,        // the EGL name, else "%llu"
    kFormatSurfaceTypeBits = 13,     // EGL_SURFACE_TYPE bits by name
    kFormatRenderableTypeBits = 14,  // EGL_RENDERABLE_TYPE bits by name
    kFormatGlClearBits = 15,         // glClear mask bits by name
};

CXQFTString FormatApiValue(int kind, uint64_t value);
void FormatApiValue(int kind, uint64_t value, CXQFTString& text);

// Names the set bits of value in table order; what no entry covers is appended as "%#llX".
CXQFTString FormatBitfield(uint64_t value, const BitName* table, int count);

// The GL token printed for value, or null when the table has none.
const char* GlEnumName(uint32_t value);
// The EGL name of value from the EGL range table, or null when no range holds it.
const char* EglEnumName(uint64_t value);

// Every (value, name) pair of the GL table in value order, for checks and tools.
struct SEnumName
{
    uint32_t value;
    const char* name;
};
const SEnumName* GlEnumTable(int& count);

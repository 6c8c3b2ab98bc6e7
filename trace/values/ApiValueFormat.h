#pragma once
// Shared namers of GL enums, EGL values and bit masks, also used by the views to print state.
#include "XQFTString.h"

#include <cstdint>

struct BitName
{
    const char* name;
    uint64_t bits;
};

// Display kinds: 1 "%i", 2 "%u", 3 "%lli", 4 "%llu", 5 "0x%.8X", 6 "0x%.16llX", 7 EGLBoolean,
// 8 EGLNativeDisplayType, 9 EGLContext, 10 EGLDisplay, 11 EGLSurface, 12 EGL name,
// 13 surface-type bits, 14 renderable-type bits, 15 GL clear bits; any other kind "%llu".
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

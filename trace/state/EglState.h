#pragma once
// The tracked EGL state: the displays, contexts and surfaces the recorded application created,
// and what it made current. Handles are the recorded values widened to 64 bits.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "state/ObjectTable.h"

// An owned copy of an EGL attribute list, its EGL_NONE terminator included.
class SEglAttribArray
{
public:
    SEglAttribArray() = default;
    // Copies a recorded list of `available` values: name/value pairs up to the first EGL_NONE
    // at an even position, terminator included. A list without a terminator is kept whole as
    // recorded; a null list gives an empty copy.
    SEglAttribArray(const uint32_t* list, size_t available);

    const uint32_t* Values() const { return m_values.empty() ? nullptr : m_values.data(); }
    uint32_t Count() const { return static_cast<uint32_t>(m_values.size()); }
    uint32_t operator[](size_t i) const { return m_values[i]; }
    bool operator==(const SEglAttribArray& o) const { return m_values == o.m_values; }

private:
    std::vector<uint32_t> m_values;
};

struct SEglDisplay
{
    uint64_t display = 0;
    uint64_t nativeDisplayId = 0;
    uint32_t swapInterval = 1;
    uint8_t initialized = 0;  // the recorded result of eglInitialize
};

struct SEglContext
{
    uint64_t context = 0;
    uint64_t display = 0;
    uint64_t config = 0;
    uint64_t shareContext = 0;
    SEglAttribArray attributes;
};

// The native window a surface was created on.
struct SEglSurfaceWindow
{
    uint64_t handle = 0;
    uint32_t width = 0;
    uint32_t height = 0;
};

struct SEglSurface
{
    uint64_t surface = 0;
    uint64_t display = 0;
    uint64_t config = 0;
    uint64_t reserved = 0;  // no recorded call sets it
    SEglSurfaceWindow window;
    SEglAttribArray attributes;
};

struct SEglAttribRecord
{
    uint64_t words[2] = {0, 0};
    SEglAttribArray attributes;
};

struct SEglState
{
    CHandleTable<SEglAttribRecord> attribRecords;  // written by no recorded call
    CHandleTable<SEglContext> contexts;
    CHandleTable<SEglDisplay> displays;
    CHandleTable<SEglSurface> surfaces;
    uint64_t currentContext = 0;
    uint64_t currentDisplay = 0;
    uint64_t currentDrawSurface = 0;
    uint64_t currentReadSurface = 0;
    uint32_t currentApi = 0;
};

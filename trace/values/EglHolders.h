#pragma once
// EGL composites: attribute lists, native window and pixmap descriptions, and the descriptors
// that carry nothing in the record.
#include "ArrayHolders.h"

// An EGL attribute list: pairs of (attribute, value) then EGL_NONE, as recorded (the count is
// taken as recorded; the terminator is not searched for when reading).
struct SEglAttribList : SArrayPtr<TEGLint, 1, 1>
{
    void ToString(CXQFTString& text, CXQFTString* rawText) const override;
    void ToLongString(CXQFTString& text) const override;
    // Fills an empty list from an EGL_NONE-terminated host list; the pointer is left alone.
    void SetList(const int32_t* list);
};

struct SEglNativeWindowDesc : SApiTypeBase
{
    TuintType<11> handle;
    uint32_t width = 0;
    uint32_t height = 0;
    void ToString(CXQFTString& text, CXQFTString* rawText) const override { handle.ToString(text, rawText); }
};

// The older window description: four words kept as recorded.
struct SEglNativeWindowDesc6 : SApiTypeBase
{
    TuintType<11> handle;
    uint32_t words[4] = {0, 0, 0, 0};
    void ToString(CXQFTString& text, CXQFTString* rawText) const override { handle.ToString(text, rawText); }
};

struct SEglNativePixmapDesc : SApiTypeBase
{
    TuintType<10> handle;
    CXQFTString description;
    void ToString(CXQFTString& text, CXQFTString* rawText) const override { handle.ToString(text, rawText); }
};

// Descriptors with nothing in the record: empty texts.
struct SEglEmptyDesc : SApiTypeBase
{
    void ToString(CXQFTString& text, CXQFTString* rawText) const override
    {
        text.Clear();
        if (rawText)
            rawText->Clear();
    }
};
struct SEglDisplayDesc : SEglEmptyDesc {};
struct SEglSurfaceDesc : SEglEmptyDesc {};
struct SEglSurfaceShortDesc : SEglEmptyDesc {};

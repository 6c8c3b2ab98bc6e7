#pragma once
// Holders of pointer arguments recorded with the memory they point to: strings, data blocks
// and images. Each keeps the recorded pointer value and owns the recorded bytes.
#include "ApiTypes.h"

#include <memory>

// The wrapped, quoted form of a long text (shader sources): lines are broken softly at blanks
// and the wrap width grows until at most 70 lines come out, with a cut after 210.
CXQFTString WrapQuotedText(const CXQFTString& s);

struct SString : SApiTypeBase
{
    SPointerValue pointer;
    uint32_t length = 0;           // recorded character count
    std::unique_ptr<char[]> text;  // NUL-terminated; null when no characters were recorded

    SString() = default;
    SString(const SString&) = delete;
    SString& operator=(const SString&) = delete;

    const char* Text() const { return text.get(); }
    void ToString(CXQFTString& out, CXQFTString* rawText) const override;
    void ToLongString(CXQFTString& out) const override;
};

struct SDataPtr : SApiTypeBase
{
    SPointerValue pointer;
    uint32_t size = 0;             // recorded byte count
    uint64_t endPosition = 0;      // file position just after the recorded bytes
    std::unique_ptr<uint8_t[]> bytes;

    SDataPtr() = default;
    SDataPtr(const SDataPtr&) = delete;
    SDataPtr& operator=(const SDataPtr&) = delete;

    virtual uint8_t* GetData() const { return bytes.get(); }
    void ToString(CXQFTString& out, CXQFTString* rawText) const override;
};

// A data block kept inside a call record without a holder's table pointer or file position (a
// frame image rides on every eglSwapBuffers); listed through an SDataView made for the description.
struct SDataBlock
{
    SPointerValue pointer;
    uint32_t size = 0;
    std::unique_ptr<uint8_t[]> bytes;

    uint8_t* GetData() const { return bytes.get(); }
};

// An SDataPtr over bytes it does not own: the listing of an SDataBlock.
struct SDataView : SDataPtr
{
    const uint8_t* borrowed = nullptr;
    uint8_t* GetData() const override { return const_cast<uint8_t*>(borrowed); }
};

struct SImage2D : SApiTypeBase
{
    SPointerValue pointer;
    uint32_t size = 0;
    std::unique_ptr<uint8_t[]> pixels;

    SImage2D() = default;
    SImage2D(const SImage2D&) = delete;
    SImage2D& operator=(const SImage2D&) = delete;

    uint8_t* GetData() const { return pixels.get(); }
    void ToString(CXQFTString& out, CXQFTString* rawText) const override;
};

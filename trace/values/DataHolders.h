#pragma once
// Holders of pointer arguments recorded with the memory they point to: strings, data blocks
// and images. Each keeps the recorded pointer value and the recorded bytes: strings and small
// blocks as copies it owns, larger blocks as a view of the trace file's mapping (they live as long
// as the trace; see stream/FileMapping.h for a file that changes while it is open).
#include "ApiTypes.h"

#include <cstdint>
#include <memory>

// The recorded bytes (or characters) of a holder: an owned copy (new[]) or a borrowed view, in one
// pointer (the top bit, never set in a user-space address, marks the owned copy).
template <class T>
class TCapturedBytes
{
public:
    TCapturedBytes() = default;
    ~TCapturedBytes() { reset(); }
    TCapturedBytes(const TCapturedBytes&) = delete;
    TCapturedBytes& operator=(const TCapturedBytes&) = delete;

    T* get() const { return reinterpret_cast<T*>(m_bits & ~kOwned); }
    T& operator[](size_t i) const { return get()[i]; }
    explicit operator bool() const { return m_bits != 0; }
    // Takes an owned block, as the unique_ptr the holders had.
    TCapturedBytes& operator=(std::unique_ptr<T[]> owned)
    {
        reset(owned.release());
        return *this;
    }
    // Takes a new[] block (or none).
    void reset(T* owned = nullptr)
    {
        if (m_bits & kOwned)
            delete[] get();
        m_bits = owned ? reinterpret_cast<uintptr_t>(owned) | kOwned : 0;
    }
    // Shows bytes owned by someone that outlives the holder (the trace's mapping, its call arena).
    void Borrow(const T* bytes)
    {
        reset();
        m_bits = reinterpret_cast<uintptr_t>(bytes);
    }

private:
    static constexpr uintptr_t kOwned = uintptr_t(1) << 63;
    uintptr_t m_bits = 0;
};
using CCapturedBytes = TCapturedBytes<uint8_t>;

// The wrapped, quoted form of a long text (shader sources): lines are broken softly at blanks
// and the wrap width grows until at most 70 lines come out, with a cut after 210.
CXQFTString WrapQuotedText(const CXQFTString& s);

struct SString : SApiTypeBase
{
    SPointerValue pointer;
    uint32_t length = 0;  // recorded character count
    TCapturedBytes<char> text;  // NUL-terminated; null when no characters were recorded

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
    CCapturedBytes bytes;

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
    CCapturedBytes bytes;

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
    CCapturedBytes pixels;

    SImage2D() = default;
    SImage2D(const SImage2D&) = delete;
    SImage2D& operator=(const SImage2D&) = delete;

    uint8_t* GetData() const { return pixels.get(); }
    void ToString(CXQFTString& out, CXQFTString* rawText) const override;
};

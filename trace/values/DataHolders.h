#pragma once
// Holders of pointer arguments recorded with the memory they point to: strings, data blocks
// and images. Each keeps the recorded pointer value and the recorded bytes: strings and small
// blocks as copies it owns, larger blocks as a view of the trace file's mapping (they live as long
// as the trace; see stream/FileMapping.h for a file that changes while it is open).
#include "ApiTypes.h"

#include <cstdint>
#include <memory>
#include <utility>

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
    // Hands the bytes over as the word Adopt takes back (a packed copy keeps them meanwhile).
    uintptr_t Release() { return std::exchange(m_bits, 0); }
    void Adopt(uintptr_t bits)
    {
        reset();
        m_bits = bits;
    }

private:
    static constexpr uintptr_t kOwned = uintptr_t(1) << 63;
    uintptr_t m_bits = 0;
};
using CCapturedBytes = TCapturedBytes<uint8_t>;

// A 64-bit value in two 4-byte words: in a call object it packs after 4-byte members with no padding.
struct SPacked64
{
    uint32_t words[2] = {0, 0};

    uint64_t Get() const { return uint64_t(words[1]) << 32 | words[0]; }
    void Set(uint64_t v)
    {
        words[0] = uint32_t(v);
        words[1] = uint32_t(v >> 32);
    }
};

// A CCapturedBytes kept in two 4-byte words (SPacked64), for call objects held by the hundred thousand.
class CPackedBytes
{
public:
    CPackedBytes() = default;
    ~CPackedBytes() { CCapturedBytes().Adopt(uintptr_t(m_bits.Get())); }
    CPackedBytes(const CPackedBytes&) = delete;
    CPackedBytes& operator=(const CPackedBytes&) = delete;

    const uint8_t* get() const { return reinterpret_cast<const uint8_t*>(uintptr_t(m_bits.Get()) & ~kOwned); }
    explicit operator bool() const { return m_bits.Get() != 0; }
    // Takes over what bytes holds.
    void Take(CCapturedBytes& bytes)
    {
        CCapturedBytes().Adopt(uintptr_t(m_bits.Get()));
        m_bits.Set(bytes.Release());
    }

private:
    static constexpr uintptr_t kOwned = uintptr_t(1) << 63;  // as TCapturedBytes marks an owned copy
    SPacked64 m_bits;
};

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

// A name argument (an attribute's, a uniform's) kept bare: a draw-heavy trace looks the same few
// names up hundreds of thousands of times, and while a trace loads the characters of each name are
// kept once in its call arena (CCallArena::Intern). Listed through an SString made for the
// description.
struct SNameText
{
    SPointerValue pointer;
    TCapturedBytes<char> text;  // NUL-terminated; null when no characters were recorded
    uint32_t length = 0;        // recorded character count

    const char* Text() const { return text.get(); }
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

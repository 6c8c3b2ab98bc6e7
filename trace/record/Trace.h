#pragma once
// The record-reading context: the format version, the data-included flag and the type-size
// table of the trace being loaded, and the readers that decode one recorded value into its
// holder. Readers never read past the current record: a value that is not there reads as 0,
// and a count that cannot fit in what is left of the record fails the record.
#include "values/ApiTypes.h"
#include "values/ArrayHolders.h"
#include "values/DataHolders.h"
#include "values/EglHolders.h"
#include "XqftError.h"

#include <array>
#include <bit>
#include <cstdint>
#include <memory>

class IOManager;
class CFileMapping;

// Thrown as CXqftSizeError when a recorded size or count does not fit in the record, or a float
// type is not four bytes wide.
extern const char* const kBlockSizeError;   // "Size readed from memmory is greater than blocksize"
extern const char* const kFloatSizeError;   // "GetEsTypeSize(INDEX) != sizeof(float)"
extern const char* const kUndefinedEsType;  // thrown as CXqftError by GetEsTypeSize

class CTrace
{
public:
    CTrace(uint32_t version, uint8_t dataIncluded, const int8_t* typeSizeTable, uint8_t tableCount);
    virtual ~CTrace() = default;

    uint32_t GetVersion() const { return m_version; }
    bool IsDataIncluded() const { return m_dataIncluded; }
    IOManager* GetStream() const { return m_stream; }

    // The signed table byte of a type code; throws CXqftError(kUndefinedEsType) when the code is
    // not below the table count.
    int8_t GetEsTypeSize(uint16_t index) const;
    // Bytes a value of the code occupies: 4 for a table byte of 0, else its magnitude.
    uint32_t GetTypeWidth(uint16_t index) const;

    // Starts a record whose payload of size bytes begins at the stream's current position.
    void SetRecordSize(uint32_t size);
    uint32_t GetRecordSize() const { return m_recordSize; }
    // Payload bytes read so far and left in the current record (the end of the file counts as
    // the end of the record when it comes first).
    uint64_t GetRecordConsumed() const;
    uint64_t GetBytesLeft() const;

    // Reads n bytes of the current record; false (and zero-filled destination, nothing
    // consumed) when fewer are left or the stream fails.
    bool ReadBytes(void* destination, uint64_t n);

    // Scalars with the width of their type code; a missing value reads as 0.
    template <int N> CTrace& operator>>(TuintType<N>& h) { h.value = static_cast<uint32_t>(ReadSized(N)); return *this; }
    template <int N> CTrace& operator>>(TintType<N>& h) { h.value = static_cast<int32_t>(static_cast<uint32_t>(ReadSized(N))); return *this; }
    template <int N> CTrace& operator>>(TfloatType<N>& h) { h.value = ReadFloat(N); return *this; }
    CTrace& operator>>(TPointer& h) { h.value = ReadSized(0); return *this; }
    CTrace& operator>>(SPointerValue& h) { h.value = ReadSized(0); return *this; }

    CTrace& operator>>(SDataPtr& h);
    CTrace& operator>>(SDataBlock& h);
    CTrace& operator>>(SImage2D& h);
    CTrace& operator>>(SString& h);
    CTrace& operator>>(SNameText& h);
    CTrace& operator>>(SEglNativeWindowDesc& h);
    CTrace& operator>>(SEglNativeWindowDesc6& h);
    CTrace& operator>>(SEglNativePixmapDesc& h);
    // u32 length, then that many characters.
    CTrace& operator>>(CXQFTString& s);
    CTrace& operator>>(SEglDisplayDesc&) { return *this; }
    CTrace& operator>>(SEglSurfaceDesc&) { return *this; }
    CTrace& operator>>(SEglSurfaceShortDesc&) { return *this; }

    // pointer, u32 count, then count x A x B elements when both are non-zero.
    template <class T, int A, int B>
    CTrace& operator>>(SArrayPtr<T, A, B>& h)
    {
        *this >> h.pointer;
        const uint32_t count = ReadU32();
        h.elements.reset();
        h.count = count;
        if (count == 0 || h.pointer.value == 0)
            return *this;
        CheckFits(uint64_t(count) * A * B, MinWidth<T>());
        const size_t n = size_t(count) * A * B;
        if constexpr (Scalar32Holder<T>) {
            if (const uint8_t* bytes = MappedValues<T>(n)) {
                h.elements.View(bytes);
                Skip(uint64_t(n) * 4);
                return *this;
            }
        }
        h.Allocate(count);
        auto* elements = h.Held();
        for (size_t i = 0; i < n; ++i)
            ReadElement<T>(elements[i]);
        return *this;
    }

    // pointer, then A x B elements when the pointer is non-zero.
    template <class T, int A, int B>
    CTrace& operator>>(SPtr<T, A, B>& h)
    {
        *this >> h.pointer;
        if (h.pointer.value != 0)
            for (auto& e : h.elements)
                ReadElement<T>(e);
        return *this;
    }

    // Blocks of at least copyBelow bytes are viewed in mapping (the file the records come from)
    // instead of copied (a draw's run of client-array blocks is viewed whole, whatever their
    // sizes, and so are arrays of more than two 4-byte values: uniform vectors and matrices,
    // attribute lists); no mapping: every block is copied. The record context keeps the mapping
    // alive, so the calls built with it can point into it as long as the context lives.
    void SetCapturedBytesSource(std::shared_ptr<CFileMapping> mapping, uint32_t copyBelow);
    // The next size bytes of the record as a holder keeps them: a view of the mapping, or a copy.
    // Throws kBlockSizeError when they do not fit in the record; the stream moves past them.
    void ReadCaptured(CCapturedBytes& out, uint32_t size);
    // Where the next size bytes lie in the mapping, or null when they are to be copied (no
    // mapping, a small block, or bytes beyond the mapped part of the file).
    const uint8_t* MappedBytes(uint64_t size) const;
    // Where the size bytes from file position `at` lie in the mapping, whatever their size; null
    // without a mapping or past its end.
    const uint8_t* MappedRange(uint64_t at, uint64_t size) const;
    // Moves past n bytes the caller has checked fit in the record (their view is kept elsewhere).
    void Skip(uint64_t n);

    uint32_t ReadU32();
    // One scalar read with the reader of holder H, returned bare.
    template <class H>
    typename H::ValueType ReadValue()
    {
        H h;
        *this >> h;
        return h.value;
    }

private:
    uint64_t ReadSized(uint16_t code);
    float ReadFloat(uint16_t code);
    // Throws kBlockSizeError unless count items of at least width bytes each fit in the record.
    void CheckFits(uint64_t count, uint64_t width) const;
    // Copies the next size bytes into room >= size bytes out keeps (zero-filled past them) after
    // checking that they fit: from the open call arena when there is one, else the heap.
    template <class T>
    void ReadCopy(TCapturedBytes<T>& out, uint64_t size, uint64_t room);

    // One array element with the reader of its holder type: in place for elements kept as
    // holders, through a holder for those kept as bare values.
    template <class T>
    void ReadElement(ElementOf<T>& e)
    {
        if constexpr (std::is_same_v<ElementOf<T>, T>) {
            *this >> e;
        } else {
            T holder;
            *this >> holder;
            e.value = holder.value;
        }
    }

    // Where the next n 32-bit values of holder type T lie in the mapping, when they may stay there:
    // recorded 4 bytes wide (as the reader would read them, bit for bit, on this little-endian
    // host), more than an array holder keeps in place, and inside the mapped file. Null otherwise
    // (the caller reads them, which also rejects a float code of another width).
    template <class T>
    const uint8_t* MappedValues(size_t n) const
    {
        if constexpr (std::endian::native != std::endian::little)
            return nullptr;
        const bool fourWide = std::is_floating_point_v<typename T::ValueType> ? GetEsTypeSize(T::kCode) == 4
                                                                               : GetTypeWidth(T::kCode) == 4;
        if (n * 4 <= sizeof(void*) || !fourWide)
            return nullptr;
        return MappedHere(uint64_t(n) * 4);
    }
    // Where the next size bytes lie in the mapping, whatever their size; null without one.
    const uint8_t* MappedHere(uint64_t size) const;

    // Fewest bytes one element of the holder type occupies in a record.
    template <class T>
    uint64_t MinWidth() const
    {
        if constexpr (std::is_same_v<T, SString>)
            return uint64_t(GetTypeWidth(0)) + 4;
        else
            return GetTypeWidth(T::kCode);
    }

    uint32_t m_version;
    bool m_dataIncluded;
    uint8_t m_tableCount;
    std::array<int8_t, 256> m_typeSizes{};
    IOManager* m_stream;
    uint32_t m_recordSize = 0;
    uint64_t m_recordStart = 0;
    uint64_t m_recordEnd = UINT64_MAX; // no record started: bounded by the file only
    std::shared_ptr<CFileMapping> m_mapping;
    uint32_t m_copyBelow = 0;
};

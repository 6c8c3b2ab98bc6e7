// Readers of recorded values. Every size or count read from a record is checked against the
// bytes left in that record (64-bit arithmetic) before anything is allocated.
#include "Trace.h"
#include "apicall/CallArena.h"
#include "stream/FileMapping.h"
#include "stream/IOManager.h"
#include "XqftError.h"

#include <cstring>
#include <new>

const char* const kBlockSizeError = "Size readed from memmory is greater than blocksize";
const char* const kFloatSizeError = "GetEsTypeSize(INDEX) != sizeof(float)";
const char* const kUndefinedEsType = "Undefined Es Type in record library";

CTrace::CTrace(uint32_t version, uint8_t dataIncluded, const int8_t* typeSizeTable, uint8_t tableCount)
    : m_version(version), m_dataIncluded(dataIncluded != 0), m_tableCount(typeSizeTable ? tableCount : 0),
      m_stream(&IOManager::Instance())
{
    if (typeSizeTable)
        memcpy(m_typeSizes.data(), typeSizeTable, tableCount);
}

int8_t CTrace::GetEsTypeSize(uint16_t index) const
{
    if (index >= m_tableCount)
        throw CXqftError(kUndefinedEsType);
    return m_typeSizes[index];
}

uint32_t CTrace::GetTypeWidth(uint16_t index) const
{
    const int s = GetEsTypeSize(index);
    return s == 0 ? 4u : static_cast<uint32_t>(s < 0 ? -s : s);
}

void CTrace::SetRecordSize(uint32_t size)
{
    m_recordSize = size;
    m_recordStart = m_stream->Tell();
    m_recordEnd = m_recordStart + size;
}

uint64_t CTrace::GetRecordConsumed() const
{
    const uint64_t pos = m_stream->Tell();
    return pos > m_recordStart ? pos - m_recordStart : 0;
}

uint64_t CTrace::GetBytesLeft() const
{
    const uint64_t pos = m_stream->Tell();
    uint64_t end = m_stream->GetSize();
    if (m_recordEnd < end)
        end = m_recordEnd;
    return end > pos ? end - pos : 0;
}

bool CTrace::ReadBytes(void* destination, uint64_t n)
{
    if (n == 0)
        return true;
    if (n > GetBytesLeft() || !m_stream->Read(destination, n)) {
        memset(destination, 0, n);
        return false;
    }
    return true;
}

uint32_t CTrace::ReadU32()
{
    uint8_t b[4];
    ReadBytes(b, 4);
    return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

uint64_t CTrace::ReadSized(uint16_t code)
{
    const uint32_t width = GetTypeWidth(code);
    if (width > 8)
        throw CXqftSizeError("Type size above 8 bytes in the type-size table");
    uint8_t b[8] = {};
    ReadBytes(b, width);
    uint64_t v = 0;
    for (int i = 7; i >= 0; --i)
        v = v << 8 | b[i];
    return v;
}

float CTrace::ReadFloat(uint16_t code)
{
    if (GetEsTypeSize(code) != 4)
        throw CXqftSizeError(kFloatSizeError);
    uint8_t b[4];
    ReadBytes(b, 4);
    const uint32_t bits = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
    float f;
    memcpy(&f, &bits, 4);
    return f;
}

void CTrace::CheckFits(uint64_t count, uint64_t width) const
{
    // Division instead of count x width: no product to overflow, whatever the width.
    const uint64_t left = GetBytesLeft();
    if (width != 0 && count > left / width)
        throw CXqftSizeError(kBlockSizeError);
}

void CTrace::SetCapturedBytesSource(std::shared_ptr<CFileMapping> mapping, uint32_t copyBelow)
{
    m_mapping = std::move(mapping);
    m_copyBelow = copyBelow;
}

const uint8_t* CTrace::MappedBytes(uint64_t size) const
{
    if (!m_mapping || size < m_copyBelow || size == 0)
        return nullptr;
    const uint64_t at = m_stream->Tell();
    return at <= m_mapping->Size() && size <= m_mapping->Size() - at ? m_mapping->Data() + at : nullptr;
}

const uint8_t* CTrace::MappedRange(uint64_t at, uint64_t size) const
{
    if (!m_mapping || size == 0)
        return nullptr;
    return at <= m_mapping->Size() && size <= m_mapping->Size() - at ? m_mapping->Data() + at : nullptr;
}

const uint8_t* CTrace::MappedHere(uint64_t size) const
{
    return MappedRange(m_stream->Tell(), size);
}

void CTrace::Skip(uint64_t n)
{
    m_stream->Seek(int64_t(n), 1);
}

void CTrace::ReadCaptured(CCapturedBytes& out, uint32_t size)
{
    CheckFits(size, 1);
    if (const uint8_t* mapped = MappedBytes(size)) {
        // The walk only steps over the bytes: nothing of them is read now.
        out.Borrow(mapped);
        Skip(size);
        return;
    }
    ReadCopy(out, size, size);
}

template <class T>
void CTrace::ReadCopy(TCapturedBytes<T>& out, uint64_t size, uint64_t room)
{
    static_assert(sizeof(T) == 1);
    CheckFits(size, 1);
    // A call being loaded keeps its small copies in the trace's call arena: no allocation of
    // their own, given back with the trace.
    if (auto* bytes = static_cast<T*>(CCallArena::RoomBeside(room))) {
        memset(bytes + size, 0, room - size);
        ReadBytes(bytes, size);
        out.Borrow(bytes);
        return;
    }
    out.reset(new T[room]);
    memset(out.get() + size, 0, room - size);
    ReadBytes(out.get(), size);
}

CTrace& CTrace::operator>>(SDataPtr& h)
{
    *this >> h.pointer;
    h.size = ReadU32();
    h.bytes.reset();
    if (h.size == 0)
        return *this;
    ReadCaptured(h.bytes, h.size);
    h.endPosition = m_stream->Tell();
    return *this;
}

CTrace& CTrace::operator>>(SDataBlock& h)
{
    *this >> h.pointer;
    h.size = ReadU32();
    h.bytes.reset();
    if (h.size != 0)
        ReadCaptured(h.bytes, h.size);
    return *this;
}

CTrace& CTrace::operator>>(SImage2D& h)
{
    *this >> h.pointer;
    h.size = ReadU32();
    h.pixels.reset();
    if (h.size != 0)
        ReadCaptured(h.pixels, h.size);
    return *this;
}

CTrace& CTrace::operator>>(SString& h)
{
    *this >> h.pointer;
    h.length = ReadU32();
    h.text.reset();
    if (h.pointer.value == 0 || h.length == 0)
        return *this;
    // NUL-terminated.
    ReadCopy(h.text, h.length, uint64_t(h.length) + 1);
    return *this;
}

CTrace& CTrace::operator>>(SNameText& h)
{
    *this >> h.pointer;
    h.length = ReadU32();
    h.text.reset();
    if (h.pointer.value == 0 || h.length == 0)
        return *this;
    CCallArena* arena = CCallArena::Current();
    if (arena && h.length <= CCallArena::kInternedLength) {
        char chars[CCallArena::kInternedLength];
        CheckFits(h.length, 1);
        ReadBytes(chars, h.length);
        if (const char* kept = arena->Intern(chars, h.length)) {
            h.text.Borrow(kept);
            return *this;
        }
        std::unique_ptr<char[]> copy(new char[h.length + 1]);
        std::memcpy(copy.get(), chars, h.length);
        copy[h.length] = 0;
        h.text = std::move(copy);
        return *this;
    }
    // NUL-terminated.
    ReadCopy(h.text, h.length, uint64_t(h.length) + 1);
    return *this;
}

CTrace& CTrace::operator>>(CXQFTString& s)
{
    const uint32_t length = ReadU32();
    s.Clear();
    if (length == 0)
        return *this;
    CheckFits(length, 1);
    std::unique_ptr<char[]> chars(new char[length]);
    ReadBytes(chars.get(), length);
    s.Assign(chars.get(), length);
    return *this;
}

CTrace& CTrace::operator>>(SEglNativeWindowDesc& h)
{
    *this >> h.handle;
    h.width = ReadU32();
    h.height = ReadU32();
    return *this;
}

CTrace& CTrace::operator>>(SEglNativeWindowDesc6& h)
{
    *this >> h.handle;
    for (uint32_t& w : h.words)
        w = ReadU32();
    return *this;
}

CTrace& CTrace::operator>>(SEglNativePixmapDesc& h)
{
    return *this >> h.handle >> h.description;
}

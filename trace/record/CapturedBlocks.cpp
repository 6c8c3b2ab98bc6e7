#include "record/CapturedBlocks.h"

#include <cstring>

#include "apicall/ApiCall.h"
#include "record/Trace.h"
#include "stream/IOManager.h"

namespace xqft {

namespace {
uint64_t LoadLittle(const uint8_t* p, uint32_t width)
{
    uint64_t v = 0;
    for (uint32_t i = width; i-- > 0;)
        v = v << 8 | p[i];
    return v;
}
} // namespace

CCapturedBlocks::~CCapturedBlocks()
{
    Free();
}

void CCapturedBlocks::Free()
{
    if (Bits() & kCopied)
        delete[] Address();
    SetBits(0);
    m_span = 0;
}

uint32_t CCapturedBlocks::Count() const
{
    const uintptr_t bits = Bits();
    if (bits == 0)
        return 0;
    uint32_t n = 0;
    if (bits & kCopied)
        memcpy(&n, Address(), 4);
    else
        Walk(UINT32_MAX, n);
    return n;
}

SCapturedBlock CCapturedBlocks::Walk(uint32_t index, uint32_t& passed) const
{
    SCapturedBlock b;
    const uint8_t* at = Address();
    const uint32_t width = uint32_t(Bits() >> kWidthShift) & 0x7F;
    const uint64_t header = uint64_t(width) + 4;
    uint64_t offset = 0;
    for (passed = 0;; ++passed) {
        if (m_span - offset < header)
            return b;
        const uint32_t size = uint32_t(LoadLittle(at + offset + width, 4));
        if (m_span - offset - header < size)
            return b;
        if (passed == index) {
            b.pointer.value = LoadLittle(at + offset, width);
            b.size = size;
            if (size)
                b.bytes = at + offset + header;
            return b;
        }
        offset += header + size;
    }
}

SCapturedBlock CCapturedBlocks::At(uint32_t index) const
{
    const uintptr_t bits = Bits();
    if (bits == 0)
        return {};
    const uint8_t* at = Address();
    if (!(bits & kCopied)) {
        uint32_t passed = 0;
        return Walk(index, passed);
    }
    SCapturedBlock b;
    uint32_t count = 0;
    memcpy(&count, at, 4);
    if (index >= count)
        return b;
    SEntry e;
    memcpy(&e, at + kCountBytes + sizeof(SEntry) * size_t(index), sizeof e);
    b.pointer.value = e.pointer;
    b.size = e.size;
    if (e.size)
        b.bytes = at + e.where;
    return b;
}

void CCapturedBlocks::Read(CTrace& t, int64_t remaining, int64_t threshold)
{
    // A first walk over the block headers counts the run and sizes the allocation a copy needs;
    // the second fills it. Growing the allocation block by block would copy it once per block: a
    // record of many empty blocks would take quadratic time.
    Free();
    const uint64_t width = t.GetTypeWidth(0);
    const uint64_t header = width + 4;
    const uint64_t first = t.GetStream()->Tell();
    uint32_t count = 0;
    uint64_t bytes = 0;  // of the complete blocks
    while (remaining > threshold) {
        const uint64_t start = t.GetRecordConsumed();
        t.ReadValue<TPointer>();
        const uint32_t size = t.ReadU32();
        if (t.GetRecordConsumed() - start < header)
            break; // the record ended inside the block header
        if (size > t.GetBytesLeft())
            break; // the block claims more bytes than the record has left: the run ends here
        if (kCountBytes + sizeof(SEntry) * (uint64_t(count) + 1) + bytes + size > UINT32_MAX)
            break; // offsets are 32-bit; no record is that large
        t.Skip(size);
        ++count;
        bytes += size;
        remaining -= int64_t(t.GetRecordConsumed() - start);
    }
    const uint64_t last = t.GetStream()->Tell();
    if (count == 0)
        return;
    const uint64_t span = header * count + bytes;
    if (const uint8_t* mapped = t.MappedRange(first, span)) {
        SetBits(reinterpret_cast<uintptr_t>(mapped) | uintptr_t(width) << kWidthShift);
        m_span = uint32_t(span);
        return;
    }
    const uint64_t head = kCountBytes + sizeof(SEntry) * uint64_t(count);
    uint8_t* store = new uint8_t[head + bytes];
    memcpy(store, &count, 4);
    t.GetStream()->Seek(int64_t(first), 0);
    uint64_t where = head;
    for (uint32_t i = 0; i < count; ++i) {
        const SEntry e{t.ReadValue<TPointer>(), where, t.ReadU32(), 0};
        memcpy(store + kCountBytes + sizeof(SEntry) * i, &e, sizeof e);
        t.ReadBytes(store + where, e.size);
        where += e.size;
    }
    // Where the first walk stopped, past a cut block header it read.
    t.GetStream()->Seek(int64_t(last), 0);
    SetBits(reinterpret_cast<uintptr_t>(store) | kCopied);
}

void CCapturedBlocks::ReadRest(CTrace& t, int64_t threshold)
{
    Read(t, int64_t(t.GetRecordSize()) - int64_t(t.GetRecordConsumed()), threshold);
}

} // namespace xqft

const xqft::CCapturedBlocks* CapturedBlocksOf(const CApiCall* call)
{
    const auto* draw = dynamic_cast<const xqft::CDrawBlocks*>(call);
    return draw ? &draw->Captured() : nullptr;
}

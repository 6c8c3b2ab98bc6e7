#include "record/CapturedBlocks.h"

#include <cstring>

#include "apicall/ApiCall.h"
#include "record/Trace.h"
#include "stream/IOManager.h"

namespace xqft {

uint32_t CCapturedBlocks::Count() const
{
    uint32_t n = 0;
    if (m_store)
        memcpy(&n, m_store.get(), 4);
    return n;
}

SCapturedBlock CCapturedBlocks::At(uint32_t index) const
{
    SEntry e;
    memcpy(&e, m_store.get() + kCountBytes + sizeof(SEntry) * size_t(index), sizeof e);
    SCapturedBlock b;
    b.pointer.value = e.pointer;
    b.size = e.size;
    if (e.size)
        b.bytes = e.mapped ? reinterpret_cast<const uint8_t*>(e.where) : m_store.get() + e.where;
    return b;
}

void CCapturedBlocks::Read(CTrace& t, int64_t remaining, int64_t threshold)
{
    // Layout: the count, one entry per block, then the bytes. A first walk over the block headers
    // sizes the one allocation; the second fills it. Growing the allocation block by block would
    // copy it once per block: a record of many empty blocks would take quadratic time.
    const uint64_t header = uint64_t(t.GetTypeWidth(0)) + 4;
    const uint64_t first = t.GetStream()->Tell();
    uint32_t count = 0;
    uint64_t copiedBytes = 0;
    while (remaining > threshold) {
        const uint64_t start = t.GetRecordConsumed();
        t.ReadValue<TPointer>();
        const uint32_t size = t.ReadU32();
        if (t.GetRecordConsumed() - start < header)
            break; // the record ended inside the block header
        if (size > t.GetBytesLeft())
            break; // the block claims more bytes than the record has left: the run ends here
        const uint32_t copied = t.MappedBytes(size) ? 0 : size;
        if (kCountBytes + sizeof(SEntry) * (uint64_t(count) + 1) + copiedBytes + copied > UINT32_MAX)
            break; // offsets are 32-bit; no record is that large
        t.Skip(size);
        ++count;
        copiedBytes += copied;
        remaining -= int64_t(t.GetRecordConsumed() - start);
    }
    const uint64_t last = t.GetStream()->Tell();
    if (count == 0) {
        m_store.reset();
        return;
    }
    const uint64_t head = kCountBytes + sizeof(SEntry) * uint64_t(count);
    std::unique_ptr<uint8_t[]> store(new uint8_t[head + copiedBytes]);
    memcpy(store.get(), &count, 4);
    t.GetStream()->Seek(int64_t(first), 0);
    uint64_t bytes = 0;
    for (uint32_t i = 0; i < count; ++i) {
        const uint64_t pointer = t.ReadValue<TPointer>();
        const uint32_t size = t.ReadU32();
        // A large block stays in the trace's mapping; only its entry is kept.
        const uint8_t* mapped = t.MappedBytes(size);
        const SEntry e{pointer, mapped ? reinterpret_cast<uint64_t>(mapped) : head + bytes, size, mapped ? 1u : 0u};
        memcpy(store.get() + kCountBytes + sizeof(SEntry) * i, &e, sizeof e);
        if (mapped) {
            t.Skip(size);
        } else {
            t.ReadBytes(store.get() + e.where, size);
            bytes += size;
        }
    }
    // Where the first walk stopped, past a cut block header it read.
    t.GetStream()->Seek(int64_t(last), 0);
    m_store = std::move(store);
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

#include "record/CapturedBlocks.h"

#include <cstring>

#include "apicall/ApiCall.h"
#include "record/Trace.h"

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
    // Layout: the count, one entry per block, then the bytes. The allocation grows block by
    // block; a draw with one block (the usual case) is read in place, no copy.
    const uint64_t header = uint64_t(t.GetTypeWidth(0)) + 4;
    std::unique_ptr<uint8_t[]> store;
    uint32_t count = 0;
    uint64_t bytes = 0;
    while (remaining > threshold) {
        const uint64_t start = t.GetRecordConsumed();
        const uint64_t pointer = t.ReadValue<TPointer>();
        const uint32_t size = t.ReadU32();
        if (t.GetRecordConsumed() - start < header)
            break; // the record ended inside the block header
        if (size > t.GetBytesLeft())
            break; // the block claims more bytes than the record has left: the run ends here
        const uint64_t head = kCountBytes + sizeof(SEntry) * (uint64_t(count) + 1);
        if (head + bytes + size > UINT32_MAX)
            break; // offsets are 32-bit; no record is that large
        // A large block stays in the trace's mapping; only its entry is kept.
        const uint8_t* mapped = t.MappedBytes(size);
        const uint32_t copied = mapped ? 0 : size;
        std::unique_ptr<uint8_t[]> grown(new uint8_t[head + bytes + copied]);
        if (store) {
            // The new entry pushes the bytes copied so far one entry further.
            memcpy(grown.get(), store.get(), head - sizeof(SEntry));
            memcpy(grown.get() + head, store.get() + head - sizeof(SEntry), bytes);
            for (uint32_t i = 0; i < count; ++i) {
                SEntry e;
                memcpy(&e, grown.get() + kCountBytes + sizeof(SEntry) * i, sizeof e);
                if (!e.mapped)
                    e.where += sizeof(SEntry);
                memcpy(grown.get() + kCountBytes + sizeof(SEntry) * i, &e, sizeof e);
            }
        }
        const SEntry e{pointer, mapped ? reinterpret_cast<uint64_t>(mapped) : head + bytes, size, mapped ? 1u : 0u};
        memcpy(grown.get() + head - sizeof(SEntry), &e, sizeof e);
        if (mapped)
            t.Skip(size);
        else
            t.ReadBytes(grown.get() + e.where, size);
        ++count;
        memcpy(grown.get(), &count, 4);
        bytes += copied;
        store = std::move(grown);
        remaining -= int64_t(t.GetRecordConsumed() - start);
    }
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

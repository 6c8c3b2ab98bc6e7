#pragma once
// The client-side memory a draw call record carries after its arguments: a run of data blocks
// (pointer value, u32 byte count, the bytes) filling the rest of the record, one per client array
// the draw reads, kept in reading order for the players. The draw records of every family derive
// from CDrawBlocks; CapturedBlocksOf finds the blocks of any call.
#include <cstdint>
#include <memory>

#include "values/ApiTypes.h"

class CApiCall;
class CTrace;

namespace xqft {

// One captured block: the application's pointer, the byte count and the bytes (null when none).
struct SCapturedBlock
{
    SBare<uint64_t> pointer;
    uint32_t size = 0;
    const uint8_t* bytes = nullptr;
    const uint8_t* GetData() const { return bytes; }
};

// Captured blocks of one draw call, read-only once the record is built.
class CCapturedBlocks
{
public:
    uint32_t Count() const;
    // index must be below Count().
    SCapturedBlock At(uint32_t index) const;

    // Reads blocks while more than `threshold` payload bytes remain. What each block consumed is
    // measured on the stream, so pointer width does not matter; a block header cut by the record's
    // end, or a block that claims more bytes than remain, ends the run before it.
    void Read(CTrace& t, int64_t remaining, int64_t threshold);
    // The same over what is left of the current record.
    void ReadRest(CTrace& t, int64_t threshold);

private:
    // Every fifth call of a typical trace is a draw: one allocation holds the block count, each
    // block's pointer, size and where its bytes are, then the bytes of the blocks that are copied
    // (small ones, or all when the trace is not mapped); the others are views of the mapping.
    struct SEntry
    {
        uint64_t pointer;
        uint64_t where;   // offset of the bytes from the start of the allocation, or their address
        uint32_t size;
        uint32_t mapped;  // 1: where is the address of the bytes in the trace's mapping
    };
    static constexpr size_t kCountBytes = 8;
    std::unique_ptr<uint8_t[]> m_store;
};

// The blocks of a draw record, a base of the draw classes.
class CDrawBlocks
{
public:
    const CCapturedBlocks& Captured() const { return m_captured; }

protected:
    CCapturedBlocks m_captured;
};

} // namespace xqft

// The captured blocks of a draw call record, or null for any other call.
const xqft::CCapturedBlocks* CapturedBlocksOf(const CApiCall* call);

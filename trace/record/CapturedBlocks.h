#pragma once
// The client-side memory a draw call record carries after its arguments: a run of data blocks
// (pointer value, u32 byte count, the bytes) filling the rest of the record, one per client array
// the draw reads, kept in reading order for the players. The draw records of every family derive
// from CDrawBlocks; CapturedBlocksOf finds the blocks of any call.
#include <cstdint>

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
    CCapturedBlocks() = default;
    ~CCapturedBlocks();
    CCapturedBlocks(const CCapturedBlocks&) = delete;
    CCapturedBlocks& operator=(const CCapturedBlocks&) = delete;

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
    // Every fifth call of a typical trace is a draw, so the blocks cost no allocation when the
    // trace is mapped: the run stays in the file and Count and At walk its block headers there
    // (every step checked against the run's length measured at load, so a file changed since
    // cannot lead the walk outside the run; a draw reads a few blocks). Without a mapping one
    // allocation holds the count, each block's pointer, size and where its bytes are, then the
    // bytes. 12 bytes of 4-byte words: in a draw object they follow the arguments unpadded.
    struct SEntry
    {
        uint64_t pointer;
        uint64_t where;   // offset of the bytes from the start of the allocation
        uint32_t size;
        uint32_t unused;
    };
    // The first header in the mapping, or the allocation (kCopied); the pointer width in the top
    // byte below that bit (user-space addresses leave the top bits clear).
    static constexpr uintptr_t kCopied = uintptr_t(1) << 63;
    static constexpr int kWidthShift = 56;
    static constexpr uintptr_t kAddress = (uintptr_t(1) << kWidthShift) - 1;
    static constexpr size_t kCountBytes = 8;
    void Free();
    uintptr_t Bits() const { return uintptr_t(m_bits[1]) << 32 | m_bits[0]; }
    void SetBits(uintptr_t bits)
    {
        m_bits[0] = uint32_t(bits);
        m_bits[1] = uint32_t(uint64_t(bits) >> 32);
    }
    const uint8_t* Address() const { return reinterpret_cast<const uint8_t*>(Bits() & kAddress); }
    // Walks the run in the mapping to block index (UINT32_MAX: to its end); the block found, and
    // the number of blocks passed.
    SCapturedBlock Walk(uint32_t index, uint32_t& passed) const;

    uint32_t m_bits[2] = {0, 0};
    uint32_t m_span = 0;  // in the mapping: bytes from the first header to the last block's end
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

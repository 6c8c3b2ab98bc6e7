#pragma once
// What the draw calls carry beside their scalar arguments. glDrawArrays and glDrawElements (from
// format version 7) carry, after their arguments, the client-side vertex arrays captured at the
// call as a run of data blocks that fills the rest of the record; the blocks are kept in reading
// order for the players, which hand them to the enabled client-side attribute arrays in attribute
// order. glDrawElements' index argument is an item kind of its own (the layout changed in version 7).
#include <memory>
#include <vector>

#include "record/RecordItems.h"

namespace xqft_es2 {
using namespace xqft;

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
    // measured on the stream, so pointer width does not matter; a block that claims more bytes than
    // remain ends the run before it.
    void Read(CTrace& t, int64_t remaining, int64_t threshold);

private:
    // Every fifth call of a typical trace is a draw: one allocation holds the block count, each
    // block's pointer, size and offset, then the bytes of every block.
    struct SEntry
    {
        uint64_t pointer;
        uint32_t size;
        uint32_t offset; // of the bytes from the start of the allocation
    };
    static constexpr size_t kCountBytes = 8;
    std::unique_ptr<uint8_t[]> m_store;
};

// Up to format version 6: the index block and a second pointer value, no captured blocks.
struct SDrawIndicesV1 : TItem<"indices", ItemKind::Argument>
{
    SDataPtr data;
    SPointerValue pointer; // second pointer value with data, the only one without

    void Read(CTrace& t);
    void List(CCallInfo& info, const SListing& t, uint8_t verbose, SNoHolder&);
};

// From format version 7: with data, the index block and the offset into the bound element buffer;
// without data, the index pointer alone.
struct SDrawIndicesV7 : TItem<"indices", ItemKind::Argument>
{
    SDataPtr data;               // without data only its pointer member is filled: the index pointer
    SPointerValue indicesOffset;

    void Read(CTrace& t);
    void List(CCallInfo& info, const SListing& t, uint8_t verbose, SNoHolder&);
};

} // namespace xqft_es2

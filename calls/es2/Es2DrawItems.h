#pragma once
// What the draw calls carry beside their scalar arguments. glDrawArrays and glDrawElements (from
// format version 7) carry, after their arguments, the client-side vertex arrays captured at the
// call as a run of data blocks that fills the rest of the record (record/CapturedBlocks.h); the
// players hand them to the enabled client-side attribute arrays in attribute order.
// glDrawElements' index argument is an item kind of its own (the layout changed in version 7).
#include "record/CapturedBlocks.h"
#include "record/RecordItems.h"

namespace xqft::es2 {
using namespace xqft;

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
// The block is kept bare, its members packed in 4-byte words (no holder's table pointer, file
// position or padding: a draw-heavy trace holds hundreds of thousands, and the item follows the
// 4-byte arguments), and listed through a view made for the description.
struct SDrawIndicesV7 : TItem<"indices", ItemKind::Argument>
{
    uint32_t size = 0;            // of the index block
    SPacked64 pointer;            // without data the only member filled: the index pointer
    CPackedBytes bytes;           // the index block
    SPacked64 indicesOffset;

    void Read(CTrace& t);
    void List(CCallInfo& info, const SListing& t, uint8_t verbose, SNoHolder&);
};

} // namespace xqft::es2

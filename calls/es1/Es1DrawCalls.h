#pragma once
// The hand-written ES 1.1 draw records: their rows give the arguments, the classes add the client
// arrays captured at the call (record/CapturedBlocks.h), read after them while more than 40 bytes
// of the record remain (recorded files rely on that threshold). glDrawElements carries them only
// in a trace with data. Included by Es1Records.h after the table's expansion.

namespace xqft::es1 {

class CEs1_glDrawArrays_v1 final : public RowBase<CEs1_glDrawArrays_v1>, public CDrawBlocks
{
public:
    explicit CEs1_glDrawArrays_v1(CTrace& t);
};

class CEs1_glDrawElements_v1 final : public RowBase<CEs1_glDrawElements_v1>, public CDrawBlocks
{
public:
    explicit CEs1_glDrawElements_v1(CTrace& t);
};

} // namespace xqft::es1

#pragma once
// The hand-written draw-call records: their rows give the scalar arguments, the classes add the
// captured vertex blocks (Es2DrawItems.h) read after them. Included by Es2Records.h after the
// table's expansion, which gives the rows' records.

namespace xqft::es2 {

class CEs2_glDrawArrays_v1 final : public RowBase<CEs2_glDrawArrays_v1>, public CDrawBlocks
{
public:
    explicit CEs2_glDrawArrays_v1(CTrace& t);
};

class CEs2_glDrawElements_v7 final : public RowBase<CEs2_glDrawElements_v7>, public CDrawBlocks
{
public:
    explicit CEs2_glDrawElements_v7(CTrace& t);
};

} // namespace xqft::es2

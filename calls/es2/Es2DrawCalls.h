#pragma once
// The hand-written draw-call records: their rows give the scalar arguments, the classes add the
// captured vertex blocks (Es2DrawItems.h) read after them. Included by Es2Records.h after the
// table's expansion, which gives the rows' records.

namespace xqft::es2 {

// Marks the colour texture of the bound framebuffer as drawn into (Es2TextureEffects.cpp).
bool MarkDrawnTexture(SEs2State& s);

class CEs2_glDrawArrays_v1 final : public RowBase<CEs2_glDrawArrays_v1>, public CDrawBlocks
{
public:
    explicit CEs2_glDrawArrays_v1(CTrace& t);

protected:
    bool UpdateState(void* state, uint32_t) override { return MarkDrawnTexture(*static_cast<SEs2State*>(state)); }
};

class CEs2_glDrawElements_v7 final : public RowBase<CEs2_glDrawElements_v7>, public CDrawBlocks
{
public:
    explicit CEs2_glDrawElements_v7(CTrace& t);

protected:
    bool UpdateState(void* state, uint32_t) override { return MarkDrawnTexture(*static_cast<SEs2State*>(state)); }
};

} // namespace xqft::es2

#pragma once
// The hand-written ES 1.1 draw records: their rows give the arguments, the classes add the client
// arrays captured at the call (record/CapturedBlocks.h), read after them while more than 40 bytes
// of the record remain (recorded files rely on that threshold). glDrawElements carries them only
// in a trace with data. Included by Es1Records.h after the table's expansion.

namespace xqft::es1 {

// Marks the colour texture of the bound framebuffer as drawn into (Es1Effects.cpp).
bool MarkDrawnTexture(SEs1State& s, uint32_t frame);

class CEs1_glDrawArrays_v1 final : public RowBase<CEs1_glDrawArrays_v1>, public CDrawBlocks
{
public:
    explicit CEs1_glDrawArrays_v1(CTrace& t);

protected:
    bool UpdateState(void* state, uint32_t frame) override
    {
        return MarkDrawnTexture(*static_cast<SEs1State*>(state), frame);
    }
};

class CEs1_glDrawElements_v1 final : public RowBase<CEs1_glDrawElements_v1>, public CDrawBlocks
{
public:
    explicit CEs1_glDrawElements_v1(CTrace& t);

protected:
    bool UpdateState(void* state, uint32_t frame) override
    {
        return MarkDrawnTexture(*static_cast<SEs1State*>(state), frame);
    }
};

} // namespace xqft::es1

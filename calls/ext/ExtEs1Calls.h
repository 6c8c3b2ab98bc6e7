#pragma once
// The extension calls with an effect on an ES 1.1 state record: the vertex-array binding, the
// current palette matrix and the palette pointer calls' arrays. The trace container applies
// extension calls to the ES 2.0 state only, so these hooks are reached by a direct call or, for
// the pointer calls, through XXXYYYPointer::ApplyToTempState. Included by ExtRecords.h after the
// table's expansion, which gives each row's record.

namespace xqft_ext {

class CExt_glBindVertexArrayOES_v1 final : public RowBase<CExt_glBindVertexArrayOES_v1>
{
public:
    using TRecord::TRecord;
    bool UpdateEs1State(SEs1State* state, uint32_t frame) override;  // ExtEffects.cpp
};

class CExt_glCurrentPaletteMatrixOES_v1 final : public RowBase<CExt_glCurrentPaletteMatrixOES_v1>
{
public:
    using TRecord::TRecord;
    bool UpdateEs1State(SEs1State* state, uint32_t frame) override;
};

class CExt_glMatrixIndexPointerOES_v1 final : public RowBase<CExt_glMatrixIndexPointerOES_v1>
{
public:
    using TRecord::TRecord;
    bool UpdateEs1State(SEs1State* state, uint32_t frame) override;
};

class CExt_glWeightPointerOES_v1 final : public RowBase<CExt_glWeightPointerOES_v1>
{
public:
    using TRecord::TRecord;
    bool UpdateEs1State(SEs1State* state, uint32_t frame) override;
};

} // namespace xqft_ext

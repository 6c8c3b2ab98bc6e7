#include "Es1Records.h"

namespace xqft::es1 {

namespace {
constexpr int64_t kNoBlocksAtOrBelow = 40;
} // namespace

CEs1_glDrawArrays_v1::CEs1_glDrawArrays_v1(CTrace& t) : TRecord(t)
{
    m_captured.ReadRest(t, kNoBlocksAtOrBelow);
}

CEs1_glDrawElements_v1::CEs1_glDrawElements_v1(CTrace& t) : TRecord(t)
{
    if (t.IsDataIncluded())
        m_captured.ReadRest(t, kNoBlocksAtOrBelow);
}

void SEs1DrawIndices::Read(CTrace& t)
{
    if (t.IsDataIncluded())
        t >> data >> indicesOffset;
    else
        t >> data.pointer;
}

void SEs1DrawIndices::List(CCallInfo& info, const SListing& t, uint8_t, SNoHolder&)
{
    if (!t.IsDataIncluded()) {
        info.AddArgument("indices", info.MakeHolder<TPointer>(data.pointer.value), 0);
        return;
    }
    info.AddArgument("indices", &data, 0);
    info.AddArgument("indicesOffset", info.MakeHolder<TPointer>(indicesOffset.value), 0);
}

} // namespace xqft::es1

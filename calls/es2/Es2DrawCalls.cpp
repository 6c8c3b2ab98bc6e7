#include "Es2Records.h"

#include <cstring>
#include <stdexcept>

namespace xqft::es2 {

CEs2_glDrawArrays_v1::CEs2_glDrawArrays_v1(CTrace& t) : TRecord(t)
{
    // Recorded files rely on the run ending once 40 or fewer bytes remain.
    m_captured.ReadRest(t, 40);
}

CEs2_glDrawElements_v7::CEs2_glDrawElements_v7(CTrace& t) : TRecord(t)
{
    m_captured.ReadRest(t, 8);
}

void SDrawIndicesV1::Read(CTrace& t)
{
    if (t.IsDataIncluded())
        t >> data;
    t >> pointer;
}

void SDrawIndicesV1::List(CCallInfo& info, const SListing& t, uint8_t, SNoHolder&)
{
    if (t.IsDataIncluded() && data.GetData() != nullptr)
        info.AddArgument("indices", &data, 0);
    else
        info.AddArgument("indices", info.MakeHolder<TPointer>(pointer.value), 0);
}

void SDrawIndicesV7::Read(CTrace& t)
{
    SPointerValue value;
    t >> value;
    pointer.Set(value.value);
    if (!t.IsDataIncluded())
        return;
    // As an SDataPtr reads its block.
    size = t.ReadU32();
    if (size != 0) {
        CCapturedBytes block;
        t.ReadCaptured(block, size);
        bytes.Take(block);
    }
    t >> value;
    indicesOffset.Set(value.value);
}

void SDrawIndicesV7::List(CCallInfo& info, const SListing& t, uint8_t verbose, SNoHolder&)
{
    if (!t.IsDataIncluded()) {
        info.AddArgument("indices", info.MakeHolder<TPointer>(pointer.Get()), 0);
    } else if (bytes) {
        SDataView& view = info.Make<SDataView>();
        view.pointer.value = pointer.Get();
        view.size = size;
        view.borrowed = bytes.get();
        info.AddArgument("indices", &view, 0);
    } else {
        info.AddArgument("indices", info.MakeHolder<TPointer>(indicesOffset.Get()), 0);
    }
    if (verbose == 1 && t.IsDataIncluded())
        info.AddArgument("indicesOffset", info.MakeHolder<TPointer>(indicesOffset.Get()), 1);
}

} // namespace xqft::es2

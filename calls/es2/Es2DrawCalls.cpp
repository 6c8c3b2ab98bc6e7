#include "Es2Records.h"

#include "stream/IOManager.h"

namespace xqft_es2 {

namespace {

uint64_t StreamPosition() { return IOManager::Instance().Tell(); }

// Payload bytes left after the arguments: the record size less the recorded error and what the
// arguments consumed on the stream.
int64_t Remaining(const CTrace& t, uint64_t argumentsStart)
{
    return int64_t(t.GetRecordSize()) - int64_t(ScalarWidth(t, 12)) - int64_t(StreamPosition() - argumentsStart);
}

} // namespace

void CCapturedBlocks::Read(CTrace& t, int64_t remaining, int64_t threshold)
{
    const uint64_t header = uint64_t(ScalarWidth(t, 0)) + 4;
    while (remaining > threshold) {
        const uint64_t start = StreamPosition();
        auto block = std::make_unique<SDataPtr>();
        t >> *block;
        const uint64_t used = StreamPosition() - start;
        if (used < header)
            break; // the stream ended inside the block header
        m_blocks.push_back(std::move(block));
        remaining -= int64_t(used);
    }
}

CEs2_glDrawArrays_v1::CEs2_glDrawArrays_v1(CTrace& t) : TRecord(t, DeferRead{})
{
    const uint64_t start = StreamPosition();
    ReadItems(t);
    // Recorded files rely on the run ending once 40 or fewer bytes remain.
    m_captured.Read(t, Remaining(t, start), 40);
}

CEs2_glDrawElements_v7::CEs2_glDrawElements_v7(CTrace& t) : TRecord(t, DeferRead{})
{
    const uint64_t start = StreamPosition();
    ReadItems(t);
    m_captured.Read(t, Remaining(t, start), 8);
}

void SDrawIndicesV1::Read(CTrace& t)
{
    if (t.IsDataIncluded())
        t >> data;
    t >> pointer;
}

const SApiTypeBase* SDrawIndicesV1::Listed(const CTrace& t) const
{
    if (t.IsDataIncluded() && data.GetData() != nullptr)
        return &data;
    return &pointer;
}

void SDrawIndicesV1::List(CCallInfo& info, const CTrace& t, uint8_t)
{
    info.AddArgument("indices", const_cast<SApiTypeBase*>(Listed(t)), 0);
}

void SDrawIndicesV7::Read(CTrace& t)
{
    if (t.IsDataIncluded())
        t >> data >> indicesOffset;
    else
        t >> pointer;
}

const SApiTypeBase* SDrawIndicesV7::Listed(const CTrace& t) const
{
    if (!t.IsDataIncluded())
        return &pointer;
    return data.GetData() != nullptr ? static_cast<const SApiTypeBase*>(&data) : &indicesOffset;
}

void SDrawIndicesV7::List(CCallInfo& info, const CTrace& t, uint8_t verbose)
{
    info.AddArgument("indices", const_cast<SApiTypeBase*>(Listed(t)), 0);
    if (verbose == 1 && t.IsDataIncluded())
        info.AddArgument("indicesOffset", &indicesOffset, 1);
}

} // namespace xqft_es2

const xqft_es2::CCapturedBlocks* CapturedBlocksOf(const CApiCall* call)
{
    if (auto* arrays = dynamic_cast<const xqft_es2::CEs2_glDrawArrays_v1*>(call))
        return &arrays->Captured();
    if (auto* elements = dynamic_cast<const xqft_es2::CEs2_glDrawElements_v7*>(call))
        return &elements->Captured();
    return nullptr;
}

#include "Es2Records.h"

#include <stdexcept>

namespace xqft_es2 {

namespace {

// Payload bytes of the current record not read yet, measured on the stream.
int64_t Remaining(const CTrace& t) { return int64_t(t.GetRecordSize()) - int64_t(t.GetRecordConsumed()); }

} // namespace

void CCapturedBlocks::Read(CTrace& t, int64_t remaining, int64_t threshold)
{
    const uint64_t header = uint64_t(t.GetTypeWidth(0)) + 4;
    std::vector<std::unique_ptr<SDataPtr>> read;
    while (remaining > threshold) {
        const uint64_t start = t.GetRecordConsumed();
        auto block = std::make_unique<SDataPtr>();
        try {
            t >> *block;
        } catch (const std::logic_error&) {
            break; // the block claims more bytes than the record has left: the run ends here
        }
        const uint64_t used = t.GetRecordConsumed() - start;
        if (used < header)
            break; // the record ended inside the block header
        read.push_back(std::move(block));
        remaining -= int64_t(used);
    }
    if (read.empty())
        return;
    m_blocks.reset(new SDataPtr[read.size()]);
    m_count = uint32_t(read.size());
    for (uint32_t i = 0; i < m_count; ++i) {
        m_blocks[i].pointer.value = read[i]->pointer.value;
        m_blocks[i].size = read[i]->size;
        m_blocks[i].endPosition = read[i]->endPosition;
        m_blocks[i].bytes = std::move(read[i]->bytes);
    }
}

CEs2_glDrawArrays_v1::CEs2_glDrawArrays_v1(CTrace& t) : TRecord(t)
{
    // Recorded files rely on the run ending once 40 or fewer bytes remain.
    m_captured.Read(t, Remaining(t), 40);
}

CEs2_glDrawElements_v7::CEs2_glDrawElements_v7(CTrace& t) : TRecord(t)
{
    m_captured.Read(t, Remaining(t), 8);
}

void SDrawIndicesV1::Read(CTrace& t)
{
    if (t.IsDataIncluded())
        t >> data;
    t >> pointer;
}

const SApiTypeBase* SDrawIndicesV1::Listed(const SListing& t) const
{
    if (t.IsDataIncluded() && data.GetData() != nullptr)
        return &data;
    return &pointer;
}

void SDrawIndicesV1::List(CCallInfo& info, const SListing& t, uint8_t, SNoHolder&)
{
    info.AddArgument("indices", const_cast<SApiTypeBase*>(Listed(t)), 0);
}

void SDrawIndicesV7::Read(CTrace& t)
{
    if (t.IsDataIncluded())
        t >> data >> indicesOffset;
    else
        t >> data.pointer;
}

const SApiTypeBase* SDrawIndicesV7::Listed(const SListing& t) const
{
    if (!t.IsDataIncluded())
        return &data.pointer;
    return data.GetData() != nullptr ? static_cast<const SApiTypeBase*>(&data) : &indicesOffset;
}

void SDrawIndicesV7::List(CCallInfo& info, const SListing& t, uint8_t verbose, SNoHolder&)
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

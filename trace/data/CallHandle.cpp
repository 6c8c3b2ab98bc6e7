#include "data/CallHandle.h"

#include <mutex>
#include <new>
#include <vector>

#include "apicall/ApiCall.h"
#include "apicall/CallInfo.h"

namespace {
// The side table: chunks that never move or go away, so an entry is read without the lock; the
// lock guards making chunks and the list of free entries. Never destroyed: traces held by other
// statics are taken apart at exit, after this file's statics.
constexpr uint32_t kChunkBits = 12;
constexpr uint32_t kChunkEntries = 1u << kChunkBits;
constexpr uint32_t kChunks = 1u << 14;  // 64 Mi entries
std::atomic<CCallHandle::SSide*> g_chunks[kChunks] = {};
uint32_t g_nextEntry = 0;

std::mutex& SideLock()
{
    static auto* lock = new std::mutex;
    return *lock;
}
std::vector<uint32_t>& FreeEntries()
{
    static auto* entries = new std::vector<uint32_t>;
    return *entries;
}
} // namespace

CCallHandle::SSide& CCallHandle::Side(uint32_t bits)
{
    const uint32_t index = bits & ~kSide;
    return g_chunks[index >> kChunkBits].load(std::memory_order_acquire)[index & (kChunkEntries - 1)];
}

uint32_t CCallHandle::NewSide(CApiCall* call, CGenCallInfo* info)
{
    const std::lock_guard<std::mutex> lock(SideLock());
    auto& free = FreeEntries();
    uint32_t index = 0;
    if (!free.empty()) {
        index = free.back();
    } else {
        index = g_nextEntry;
        if (index >> kChunkBits >= kChunks)
            throw std::bad_alloc();
        if (!g_chunks[index >> kChunkBits].load(std::memory_order_relaxed))
            g_chunks[index >> kChunkBits].store(new SSide[kChunkEntries](), std::memory_order_release);
    }
    // Giving the entry back later must not fail: room for every entry made.
    free.reserve(g_nextEntry + 1);
    if (!free.empty() && free.back() == index)
        free.pop_back();
    else
        ++g_nextEntry;
    SSide& side = g_chunks[index >> kChunkBits].load(std::memory_order_relaxed)[index & (kChunkEntries - 1)];
    side = {call, info};
    return index | kSide;
}

void CCallHandle::FreeSide(uint32_t bits)
{
    const std::lock_guard<std::mutex> lock(SideLock());
    Side(bits) = {nullptr, nullptr};
    FreeEntries().push_back(bits & ~kSide);
}

CCallHandle::CCallHandle(std::unique_ptr<CApiCall> call, const CCallArena* arena)
{
    if (!call)
        return;
    uint32_t place = arena ? arena->PlaceIn(call.get()) : 0;
    if (!place)
        place = CCallArena::PlaceOf(call.get());
    m_bits = place ? place : NewSide(call.get(), nullptr);
    call.release();
}

void CCallHandle::Free()
{
    if (m_bits & kSide) {
        const SSide side = Side(m_bits);
        FreeSide(m_bits);
        delete side.info;
        delete side.call;
    } else if (m_bits) {
        delete get();
    }
    m_bits = 0;
}

void CCallHandle::reset(CApiCall* call)
{
    std::unique_ptr<CApiCall> owned(call);
    Free();
    if (owned)
        *this = CCallHandle(std::move(owned));
}

void CCallHandle::SetInfo(std::unique_ptr<CGenCallInfo> info)
{
    if (m_bits & kSide) {
        SSide& side = Side(m_bits);
        delete side.info;
        side.info = info.release();
        return;
    }
    m_bits = NewSide(get(), info.get());
    info.release();
}

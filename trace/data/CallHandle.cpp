#include "data/CallHandle.h"

#include <mutex>
#include <new>
#include <optional>

#include "apicall/ApiCall.h"
#include "apicall/CallInfo.h"
#include "apicall/NumberPool.h"

namespace {
// The side table: chunks that never move or go away, so an entry is read without the lock; the
// lock guards making chunks and the entry numbers. Never destroyed: traces held by other statics
// are taken apart at exit, after this file's statics.
constexpr uint32_t kChunkBits = 12;
constexpr uint32_t kChunkEntries = 1u << kChunkBits;
constexpr uint32_t kChunks = 1u << 14;  // 64 Mi entries
std::atomic<CCallHandle::SSide*> g_chunks[kChunks] = {};

std::mutex& SideLock()
{
    static auto* lock = new std::mutex;
    return *lock;
}
CNumberPool& Entries()
{
    static auto* entries = new CNumberPool(0, kChunks * kChunkEntries);
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
    const std::optional<uint32_t> taken = Entries().Take();
    if (!taken)
        throw std::bad_alloc();
    const uint32_t index = *taken;
    std::atomic<SSide*>& chunk = g_chunks[index >> kChunkBits];
    if (!chunk.load(std::memory_order_relaxed)) {
        try {
            chunk.store(new SSide[kChunkEntries](), std::memory_order_release);
        } catch (...) {
            Entries().Give(index);
            throw;
        }
    }
    chunk.load(std::memory_order_relaxed)[index & (kChunkEntries - 1)] = {call, info};
    return index | kSide;
}

void CCallHandle::FreeSide(uint32_t bits)
{
    const std::lock_guard<std::mutex> lock(SideLock());
    Side(bits) = {nullptr, nullptr};
    Entries().Give(bits & ~kSide);
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

#include "CallArena.h"

#include <algorithm>
#include <mutex>
#include <new>
#include <utility>

namespace {
thread_local CCallArena* t_current = nullptr;

// The blocks of the live arenas, sorted by address, for Owns (deletes may come from any thread).
// Never destroyed: traces held by other statics are taken apart at exit, after this file's statics.
std::mutex& Lock()
{
    static auto* lock = new std::mutex;
    return *lock;
}
std::vector<std::pair<uintptr_t, uintptr_t>>& Blocks()
{
    static auto* blocks = new std::vector<std::pair<uintptr_t, uintptr_t>>;
    return *blocks;
}

void Register(const uint8_t* block, size_t bytes)
{
    const std::lock_guard<std::mutex> lock(Lock());
    auto& blocks = Blocks();
    const auto begin = reinterpret_cast<uintptr_t>(block);
    blocks.insert(std::upper_bound(blocks.begin(), blocks.end(), std::make_pair(begin, uintptr_t(0))),
                  {begin, begin + bytes});
}

void Unregister(const uint8_t* block)
{
    const std::lock_guard<std::mutex> lock(Lock());
    auto& blocks = Blocks();
    const auto begin = reinterpret_cast<uintptr_t>(block);
    const auto at = std::lower_bound(blocks.begin(), blocks.end(), std::make_pair(begin, uintptr_t(0)));
    if (at != blocks.end() && at->first == begin)
        blocks.erase(at);
}
} // namespace

CCallArena::~CCallArena()
{
    Release();
}

void CCallArena::Release()
{
    for (const SBlock& block : m_blocks) {
        Unregister(block.bytes);
        ::operator delete(block.bytes);
    }
    m_blocks.clear();
    m_used = 0;
    m_reserved = 0;
}

void* CCallArena::Allocate(size_t bytes)
{
    bytes = (bytes + 7) & ~size_t(7);
    if (bytes > kFirstBlockBytes / 16)
        return nullptr;
    if (m_blocks.empty() || m_blocks.back().size - m_used < bytes) {
        // Blocks grow from small to large: a short trace does not hold a large one.
        const size_t size = m_blocks.empty() ? kFirstBlockBytes : std::min(2 * m_blocks.back().size, kBlockBytes);
        m_blocks.reserve(m_blocks.size() + 1);
        auto* block = static_cast<uint8_t*>(::operator new(size));
        Register(block, size);
        m_blocks.push_back({block, size});
        m_reserved += size;
        m_used = 0;
    }
    void* p = m_blocks.back().bytes + m_used;
    m_used += bytes;
    return p;
}

void CCallArena::RewindTo(const void* p)
{
    const auto* at = static_cast<const uint8_t*>(p);
    for (size_t i = m_blocks.size(); i-- > 0;) {
        if (at >= m_blocks[i].bytes && at < m_blocks[i].bytes + m_blocks[i].size) {
            while (m_blocks.size() > i + 1) {
                Unregister(m_blocks.back().bytes);
                ::operator delete(m_blocks.back().bytes);
                m_reserved -= m_blocks.back().size;
                m_blocks.pop_back();
            }
            m_used = size_t(at - m_blocks[i].bytes);
            return;
        }
    }
}

bool CCallArena::Owns(const void* p)
{
    const auto address = reinterpret_cast<uintptr_t>(p);
    const std::lock_guard<std::mutex> lock(Lock());
    const auto& blocks = Blocks();
    auto at = std::upper_bound(blocks.begin(), blocks.end(), std::make_pair(address, UINTPTR_MAX));
    return at != blocks.begin() && address < (--at)->second;
}

CCallArena* CCallArena::Current()
{
    return t_current;
}

CCallArena::CScope::CScope(CCallArena* arena) : m_previous(std::exchange(t_current, arena)) {}

CCallArena::CScope::~CScope()
{
    t_current = m_previous;
}

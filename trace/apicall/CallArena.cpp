#include "CallArena.h"
#include "NumberPool.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <new>
#include <utility>

namespace {
thread_local CCallArena* t_current = nullptr;

// The blocks of the live arenas, sorted by address, for Owns and PlaceOf (deletes may come from any
// thread). Never destroyed: traces held by other statics are taken apart at exit, after this
// file's statics.
struct SRange
{
    uintptr_t begin;
    uintptr_t end;
    uint32_t number;
};
std::mutex& Lock()
{
    static auto* lock = new std::mutex;
    return *lock;
}
std::vector<SRange>& Blocks()
{
    static auto* blocks = new std::vector<SRange>;
    return *blocks;
}
// The range holding address, under the lock; null when none does.
const SRange* RangeOf(uintptr_t address)
{
    const auto& blocks = Blocks();
    auto at = std::upper_bound(blocks.begin(), blocks.end(), address,
                               [](uintptr_t a, const SRange& r) { return a < r.begin; });
    if (at == blocks.begin())
        return nullptr;
    --at;
    return address < at->end ? &*at : nullptr;
}

// Registers a block for Owns and gives it a number of the pool (0 when all are taken).
uint32_t Register(uint8_t* block, size_t bytes, CNumberPool& numbers, std::atomic<uint8_t*>* table)
{
    const std::lock_guard<std::mutex> lock(Lock());
    auto& blocks = Blocks();
    blocks.reserve(blocks.size() + 1);  // the insert below cannot fail once a number is taken
    const uint32_t number = numbers.Take().value_or(0);
    const auto begin = reinterpret_cast<uintptr_t>(block);
    blocks.insert(std::upper_bound(blocks.begin(), blocks.end(), begin,
                                   [](uintptr_t a, const SRange& r) { return a < r.begin; }),
                  {begin, begin + bytes, number});
    if (number)
        table[number].store(block, std::memory_order_release);
    return number;
}

void Unregister(const uint8_t* block, uint32_t number, CNumberPool& numbers, std::atomic<uint8_t*>* table)
{
    const std::lock_guard<std::mutex> lock(Lock());
    auto& blocks = Blocks();
    const auto begin = reinterpret_cast<uintptr_t>(block);
    const auto at = std::lower_bound(blocks.begin(), blocks.end(), begin,
                                     [](const SRange& r, uintptr_t a) { return r.begin < a; });
    if (at != blocks.end() && at->begin == begin)
        blocks.erase(at);
    if (number) {
        table[number].store(nullptr, std::memory_order_release);
        numbers.Give(number);
    }
}
// 2 MiB of memory on a 2 MiB boundary, marked for huge pages: the room of two of the largest
// blocks. A load fills block after block and touches each of their pages once; on a virtual machine
// each first touch of a small page costs a fault of the host's besides the kernel's, and a huge
// page takes one fault where small ones take 512.
constexpr size_t kHugeBytes = size_t(2) << 20;
uint8_t* MapHugePiece()
{
    void* at = mmap(nullptr, 2 * kHugeBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (at == MAP_FAILED)
        throw std::bad_alloc();
    auto* begin = static_cast<uint8_t*>(at);
    auto* piece = reinterpret_cast<uint8_t*>((reinterpret_cast<uintptr_t>(begin) + kHugeBytes - 1) & ~uintptr_t(kHugeBytes - 1));
    if (piece > begin)
        munmap(begin, size_t(piece - begin));
    if (piece + kHugeBytes < begin + 2 * kHugeBytes)
        munmap(piece + kHugeBytes, size_t(begin + 2 * kHugeBytes - (piece + kHugeBytes)));
    madvise(piece, kHugeBytes, MADV_HUGEPAGE);  // a hint: small pages serve as well where it is refused
    return piece;
}
} // namespace

std::atomic<uint8_t*> CCallArena::s_blockBytes[CCallArena::kBlockNumbers] = {};

CNumberPool& CCallArena::BlockNumbers()
{
    // Number 0 stands for none. Never destroyed, as the block list above.
    static auto* numbers = new CNumberPool(1, kBlockNumbers);
    return *numbers;
}

void CCallArena::ReturnBlock(const SBlock& block)
{
    Unregister(block.bytes, block.number, BlockNumbers(), s_blockBytes);
    FreeBytes(block.bytes, block.size);
}

uint8_t* CCallArena::TakeBytes(size_t size)
{
    if (size != kBlockBytes)
        return static_cast<uint8_t*>(::operator new(size));
    if (uint8_t* spare = std::exchange(m_spare, nullptr))
        return spare;
    if (!ExpectsPiece()) {
        // Near the end of the input: a block of small pages, of which only the touched ones count.
        void* at = mmap(nullptr, kBlockBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (at == MAP_FAILED)
            throw std::bad_alloc();
        return static_cast<uint8_t*>(at);
    }
    uint8_t* piece = MapHugePiece();
    m_spare = piece + kBlockBytes;
    return piece;
}

bool CCallArena::ExpectsPiece() const
{
    if (m_done == 0 || m_done >= m_total)
        return m_done == 0;
    // The blocks taken so far, less the room of the last not handed out yet.
    const size_t used = m_reserved - (m_blocks.empty() ? 0 : m_blocks.back().size - m_used);
    return double(used) * double(m_total - m_done) / double(m_done) >= double(kHugeBytes);
}

void CCallArena::FreeBytes(uint8_t* bytes, size_t size)
{
    if (size == kBlockBytes)
        munmap(bytes, size);
    else
        ::operator delete(bytes);
}

uint32_t CCallArena::PlaceAt(const SBlock& block, const void* p)
{
    const auto* at = static_cast<const uint8_t*>(p);
    if (!block.number || at < block.bytes || at >= block.bytes + block.size)
        return 0;
    return block.number << kOffsetBits | uint32_t(size_t(at - block.bytes) >> 3);
}

uint32_t CCallArena::PlaceIn(const void* p) const
{
    for (size_t i = m_blocks.size(); i-- > 0;)
        if (const uint32_t place = PlaceAt(m_blocks[i], p))
            return place;
    return 0;
}

uint32_t CCallArena::PlaceOf(const void* p)
{
    const auto address = reinterpret_cast<uintptr_t>(p);
    const std::lock_guard<std::mutex> lock(Lock());
    const SRange* range = RangeOf(address);
    if (!range || !range->number)
        return 0;
    return range->number << kOffsetBits | uint32_t((address - range->begin) >> 3);
}

CCallArena::~CCallArena()
{
    Release();
}

void CCallArena::Release()
{
    m_interned.clear();
    for (const SBlock& block : m_blocks)
        ReturnBlock(block);
    m_blocks.clear();
    m_used = 0;
    m_reserved = 0;
    m_done = m_total = 0;
    if (m_spare)
        FreeBytes(std::exchange(m_spare, nullptr), kBlockBytes);
}

void CCallArena::Trim()
{
    // A piece that took a huge page holds all of its 2 MiB once its first byte is touched: the half
    // no block took and the end of the last block would stay resident without ever holding a call.
    // Given back in part, a huge page is only marked to be split when memory runs short, and until
    // then all of it stays taken; marked cold first, it is split into small pages at once (a hint:
    // where it is refused, the pages go back at that later split).
    if (uint8_t* spare = std::exchange(m_spare, nullptr)) {
        madvise(spare, kBlockBytes, MADV_COLD);
        FreeBytes(spare, kBlockBytes);
    }
    if (m_blocks.empty() || m_blocks.back().size != kBlockBytes)
        return;  // a block of the heap holds only the pages it touched
    const auto page = size_t(sysconf(_SC_PAGESIZE));
    const size_t from = (m_used + page - 1) / page * page;
    if (from >= kBlockBytes)
        return;
    uint8_t* tail = m_blocks.back().bytes + from;
    madvise(tail, kBlockBytes - from, MADV_COLD);
    madvise(tail, kBlockBytes - from, MADV_DONTNEED);  // read back as zeros when later requests take them
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
        uint8_t* block = TakeBytes(size);
        uint32_t number = 0;
        try {
            number = Register(block, size, BlockNumbers(), s_blockBytes);
        } catch (...) {
            FreeBytes(block, size);
            throw;
        }
        m_blocks.push_back({block, size, number});
        m_reserved += size;
        m_used = 0;
    }
    void* p = m_blocks.back().bytes + m_used;
    m_used += bytes;
    return p;
}

const char* CCallArena::Intern(const char* chars, size_t length)
{
    if (length > kInternedLength)
        return nullptr;
    const auto found = m_interned.find(std::string_view(chars, length));
    if (found != m_interned.end())
        return found->data();
    auto* copy = static_cast<char*>(Allocate(length + 1));
    if (!copy)
        return nullptr;
    std::memcpy(copy, chars, length);
    copy[length] = 0;
    if (m_interned.size() < kInternedNames)
        m_interned.insert(std::string_view(copy, length));
    return copy;
}

void CCallArena::RewindTo(const void* p)
{
    m_interned.clear();  // some may lie in the room given back
    const auto* at = static_cast<const uint8_t*>(p);
    for (size_t i = m_blocks.size(); i-- > 0;) {
        if (at >= m_blocks[i].bytes && at < m_blocks[i].bytes + m_blocks[i].size) {
            while (m_blocks.size() > i + 1) {
                ReturnBlock(m_blocks.back());
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
    const std::lock_guard<std::mutex> lock(Lock());
    return RangeOf(reinterpret_cast<uintptr_t>(p)) != nullptr;
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

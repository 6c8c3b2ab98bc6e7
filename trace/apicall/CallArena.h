#pragma once
// Room for the call objects of one loaded trace. A trace holds hundreds of thousands of small call
// objects that live exactly as long as the trace: from the allocator each cost a header and its
// rounding (about 16 bytes beside 40 to 100 of object) and one free at the end. The arena hands
// them out from blocks of up to 1 MiB in the order they are read and gives the blocks back with
// the trace.
//
// While a CScope is open on a thread, the call objects made there (CApiCall's own operator new) come
// from its arena; anywhere else they come from the heap as before. Deleting a call object runs its
// destructor wherever it came from; arena room is given back with the arena (or by RewindTo).
//
// Each block takes one of a process-wide set of block numbers, so an object in it is named in 32
// bits (its place: block number and 8-byte offset) where a pointer would take 64: the trace's call
// list holds places, not pointers.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <unordered_set>
#include <vector>

class CCallArena
{
public:
    CCallArena() = default;
    // Every call object in the arena must have been destroyed first.
    ~CCallArena();
    CCallArena(const CCallArena&) = delete;
    CCallArena& operator=(const CCallArena&) = delete;

    // bytes, 8-aligned; null for a request of more than 1 KiB (the heap takes it then).
    void* Allocate(size_t bytes);
    // Gives back p and everything handed out after it (the calls of dropped frames, destroyed
    // already); nothing when p is not in the arena.
    void RewindTo(const void* p);
    // Gives back every block (the call objects in them destroyed already).
    void Release();
    // Names longer than this are not interned.
    static constexpr size_t kInternedLength = 64;
    // A NUL-terminated copy of length characters (at most kInternedLength) in the arena, the one
    // made before for the same characters where there is one: a loaded trace holds each name it
    // looks up again and again once. Null when the arena cannot take it.
    const char* Intern(const char* chars, size_t length);
    // Gives back the memory of the room not handed out yet (the rest of the last block, the half of
    // a piece no block took) once the arena is filled, as at the end of a load; later requests are
    // served as before.
    void Trim();
    // Bytes of the blocks taken from the system.
    size_t Reserved() const { return m_reserved; }
    // How far the input the objects are made from is read (done of total, in any one unit). A piece
    // of huge pages is resident whole from its first byte, so once the room still to come, judged
    // by the room handed out so far, would not fill one, blocks come from small pages: only what is
    // touched of them is held. Without progress every piece may take huge pages.
    void SetProgress(uint64_t done, uint64_t total)
    {
        m_done = done;
        m_total = total;
    }

    // Whether p lies in a block of any live arena.
    static bool Owns(const void* p);
    // The place of p in a block of this arena (a few compares: the last block first), or of any live
    // arena (a locked search); 0 when p lies in none, or in a block that got no number.
    uint32_t PlaceIn(const void* p) const;
    static uint32_t PlaceOf(const void* p);
    // The object at a place that is not 0 (its block still live).
    static void* AtPlace(uint32_t place)
    {
        return s_blockBytes[place >> kOffsetBits].load(std::memory_order_acquire) + (size_t(place & kOffsetMask) << 3);
    }
    // Places leave the top bit clear (CCallHandle marks its other kind with it).
    static constexpr uint32_t kPlaceBits = 31;
    // The arena of the thread's open scope; null when none is.
    static CCallArena* Current();
    // Room for bytes a call object keeps beside itself (copied blocks, strings, arrays) from the
    // arena of the thread's open scope, given back with it; null when no scope is open or the
    // request is large (the heap takes it then).
    static void* RoomBeside(size_t bytes)
    {
        CCallArena* arena = Current();
        return arena ? arena->Allocate(bytes) : nullptr;
    }

    // The call objects made on this thread while it lives come from arena (none: from the heap).
    class CScope
    {
    public:
        explicit CScope(CCallArena* arena);
        ~CScope();
        CScope(const CScope&) = delete;
        CScope& operator=(const CScope&) = delete;

    private:
        CCallArena* m_previous;
    };

private:
    static constexpr size_t kFirstBlockBytes = size_t(16) << 10;
    static constexpr size_t kBlockBytes = size_t(1) << 20;
    // A place: the block number above 17 bits of offset (in 8-byte steps: 1 MiB); number 0 is none.
    static constexpr uint32_t kOffsetBits = 17;
    static constexpr uint32_t kOffsetMask = (1u << kOffsetBits) - 1;
    static constexpr uint32_t kBlockNumbers = 1u << (kPlaceBits - kOffsetBits);
    static_assert(kBlockBytes >> 3 <= kOffsetMask + 1, "an offset in a block fits its bits");
    // The bytes of each numbered block (null when the number is free).
    static std::atomic<uint8_t*> s_blockBytes[kBlockNumbers];

    struct SBlock
    {
        uint8_t* bytes;
        size_t size;
        uint32_t number;  // 0: none was free (its objects are named by pointer instead)
    };
    static uint32_t PlaceAt(const SBlock& block, const void* p);
    // The block numbers, under the lock of the live blocks.
    static class CNumberPool& BlockNumbers();
    static void ReturnBlock(const SBlock& block);
    // The bytes of a block: the largest come two to a piece of memory that may take huge pages.
    uint8_t* TakeBytes(size_t size);
    // Whether the room handed out so far, spread over the input left, fills a piece of huge pages.
    bool ExpectsPiece() const;
    static void FreeBytes(uint8_t* bytes, size_t size);
    std::vector<SBlock> m_blocks;
    size_t m_used = 0;  // in the last block
    size_t m_reserved = 0;
    uint8_t* m_spare = nullptr;  // the other half of the last piece TakeBytes mapped, not yet taken
    uint64_t m_done = 0, m_total = 0;  // SetProgress
    // The interned names, their characters in the arena; at most kInternedNames of them, so a
    // trace of ever new names costs no more than copying each.
    static constexpr size_t kInternedNames = 4096;
    std::unordered_set<std::string_view> m_interned;
};

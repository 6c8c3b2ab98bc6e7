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
#include <cstddef>
#include <cstdint>
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
    // Bytes of the blocks taken from the system.
    size_t Reserved() const { return m_reserved; }

    // Whether p lies in a block of any live arena.
    static bool Owns(const void* p);
    // The arena of the thread's open scope; null when none is.
    static CCallArena* Current();

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

    struct SBlock
    {
        uint8_t* bytes;
        size_t size;
    };
    std::vector<SBlock> m_blocks;
    size_t m_used = 0;  // in the last block
    size_t m_reserved = 0;
};

#pragma once
// Scratch memory of the texture library's encoders (working planes, per-worker tables). It reports
// failure by a null pointer instead of throwing, so an encoder can free what it holds and return 0;
// a hook lets tests make any allocation fail.
#include "XQFTextureTypes.h"

#include <memory>
#include <type_traits>

namespace xqftexture {

// bytes of uninitialised memory, aligned for any scalar type (64 bytes); nullptr when memory runs out,
// when bytes does not fit the address space, or when the hook refuses. bytes 0 gives a valid pointer.
void* AllocateScratch(u64 bytes);
void FreeScratch(void* memory);

// Test hook: asked before each scratch allocation with its size; false makes it fail. nullptr removes
// the hook. The hook may be called from several worker threads at once.
using ScratchAllocHook = bool (*)(u64 bytes);
void SetScratchAllocHook(ScratchAllocHook hook);

struct SScratchFree {
    void operator()(void* memory) const { FreeScratch(memory); }
};

// An owned array of count T (trivial types only) in scratch memory; empty when the allocation failed.
template <class T>
using TScratch = std::unique_ptr<T[], SScratchFree>;

template <class T>
TScratch<T> MakeScratch(u64 count)
{
    static_assert(std::is_trivially_default_constructible_v<T> && std::is_trivially_destructible_v<T>);
    if (count > ~u64(0) / sizeof(T))
        return TScratch<T>();
    return TScratch<T>(static_cast<T*>(AllocateScratch(count * sizeof(T))));
}

} // namespace xqftexture

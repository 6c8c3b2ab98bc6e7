// Scratch memory that reports failure as a null pointer.
#include "XQFTextureScratch.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>

namespace xqftexture {

namespace {

std::atomic<ScratchAllocHook> g_allocHook{nullptr};
constexpr u64 kAlignment = 64;

} // namespace

void SetScratchAllocHook(ScratchAllocHook hook) { g_allocHook.store(hook); }

void* AllocateScratch(u64 bytes)
{
    const ScratchAllocHook hook = g_allocHook.load();
    if (hook != nullptr && !hook(bytes))
        return nullptr;
    // aligned_alloc wants a multiple of the alignment; sizes near the top of the address space fail.
    if (bytes > u64(SIZE_MAX) - kAlignment)
        return nullptr;
    const u64 rounded = (bytes + kAlignment - 1) / kAlignment * kAlignment;
    return std::aligned_alloc(kAlignment, std::size_t(rounded == 0 ? kAlignment : rounded));
}

void FreeScratch(void* memory) { std::free(memory); }

} // namespace xqftexture

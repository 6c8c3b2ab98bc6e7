#pragma once
// Captured bytes (buffer contents, texture images) as the state records hold them: an
// immutable block shared by reference count. A snapshot copies the handle, never the bytes,
// and a block lives as long as any state or call still shows it. A change to part of the
// bytes makes a new block (MutableCopy), so snapshots keep what they saw.
#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <cstring>
#include <memory>

using SharedBytes = std::shared_ptr<const uint8_t[]>;

// A new block of n bytes that the caller fills before handing it out as SharedBytes.
inline std::shared_ptr<uint8_t[]> AllocateBytes(size_t n)
{
    return std::make_shared_for_overwrite<uint8_t[]>(n > 0 ? n : 1);  // block and count in one allocation
}

// A handle on bytes owned elsewhere for longer than any holder of the handle (a call record's
// captured bytes live as long as the trace): no count, no allocation.
inline SharedBytes BorrowBytes(const uint8_t* bytes)
{
    return SharedBytes(std::shared_ptr<const void>(), bytes);
}

// Captured bytes of a call, as state records hold them: shared with the call record (which lives
// as long as the trace), never copied nor padded. `held` gets how many of them a reader may use:
// the captured count, at most `size`; none without bytes or without a size.
inline SharedBytes ShareCaptured(const uint8_t* bytes, uint64_t captured, uint64_t size, uint32_t& held)
{
    held = bytes && captured > 0 && size > 0 ? uint32_t(std::min<uint64_t>({captured, size, UINT32_MAX})) : 0;
    return held ? BorrowBytes(bytes) : nullptr;
}

// A new block holding a copy of src[0, n); null src or n 0 gives an empty handle.
inline SharedBytes CopyBytes(const void* src, size_t n)
{
    if (!src || n == 0)
        return nullptr;
    std::shared_ptr<uint8_t[]> block = AllocateBytes(n);
    std::memcpy(block.get(), src, n);
    return block;
}

// A writable copy of a block of n bytes (zero-filled past what the old block held, oldSize).
inline std::shared_ptr<uint8_t[]> MutableCopy(const SharedBytes& old, size_t oldSize, size_t n)
{
    std::shared_ptr<uint8_t[]> block = AllocateBytes(n);
    const size_t keep = old ? (oldSize < n ? oldSize : n) : 0;
    if (keep)
        std::memcpy(block.get(), old.get(), keep);
    if (keep < n)
        std::memset(block.get() + keep, 0, n - keep);
    return block;
}

#pragma once
// How much memory the process has committed, for the loader's guard against exhausting it.
#include <cstdint>

// Private memory in use, in KiB: resident pages less the file-backed and shared ones (read
// from /proc/self/statm), so address space that is reserved but never touched (sanitizer
// shadow, allocator arenas) does not count. -1 when it cannot be read.
int64_t CommittedMemoryKiB();

// The loader stops reading records above this much committed memory.
inline constexpr int64_t kMemoryLimitKiB = 3891200;  // 3800 MiB

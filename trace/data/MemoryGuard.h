#pragma once
// How much memory the process has committed, for the loader's guard against exhausting it.
#include <cstdint>

// Memory the process committed, in KiB: its anonymous pages in memory and in swap (RssAnon and
// VmSwap of /proc/self/status). Address space reserved but never touched (sanitizer shadow,
// allocator arenas) and the pages of mapped files (the trace's captured bytes) do not count.
// -1 when it cannot be read.
int64_t CommittedMemoryKiB();

// The loader stops reading records above this much committed memory.
inline constexpr int64_t kMemoryLimitKiB = 3891200;  // 3800 MiB

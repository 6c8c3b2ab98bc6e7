// The encoders' vector path: the processor's widest, under a process-wide cap.
#include "XQFTextureSimd.h"

#include <atomic>

namespace xqftexture {
namespace {

// Read before any encoder runs, also from another library's static constructor.
bool CpuHasAvx2()
{
#if defined(__x86_64__) || defined(__i386__)
    static const bool avx2 = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return avx2;
#else
    return false;
#endif
}

std::atomic<u8> g_cap{u8(ESimdPath::kAvx2)};

} // namespace

bool SimdPathSupported(ESimdPath path) { return path == ESimdPath::kSse2 || (path == ESimdPath::kAvx2 && CpuHasAvx2()); }

ESimdPath ActiveSimdPath()
{
    const ESimdPath cap = ESimdPath(g_cap.load(std::memory_order_relaxed));
    return cap == ESimdPath::kAvx2 && CpuHasAvx2() ? ESimdPath::kAvx2 : ESimdPath::kSse2;
}

void SetSimdPathCap(ESimdPath cap) { g_cap.store(u8(cap), std::memory_order_relaxed); }

const char* SimdPathName(ESimdPath path) { return path == ESimdPath::kAvx2 ? "avx2" : "sse2"; }

} // namespace xqftexture

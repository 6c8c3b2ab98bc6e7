// The encoders' vector path: the processor's widest, under a process-wide cap.
#include "XQFTextureSimd.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

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

// XQFT_SIMD=sse2 in the environment starts the process capped, so that whole runs of the tools can
// be compared on either path.
u8 InitialCap()
{
    const char* value = std::getenv("XQFT_SIMD");
    return u8(value != nullptr && std::strcmp(value, "sse2") == 0 ? ESimdPath::kSse2 : ESimdPath::kAvx2);
}

std::atomic<u8> g_cap{InitialCap()};

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

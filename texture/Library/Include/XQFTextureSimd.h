#pragma once
// The vector instruction sets the encoders' hot loops are built for. The library targets plain
// x86-64 (SSE2); where the processor reports AVX2, the kernels built for it run instead. Every path
// gives the same bytes: the paths differ only in how many pixels one instruction handles.
//
// The path in use is the widest the processor has, unless capped: tests run every path the machine
// has and compare, and a comparison of speeds can hold the encoders to SSE2 (XQFT_SIMD=sse2 in the
// environment caps a whole process from its start).
#include "XQFTextureTypes.h"

namespace xqftexture {

enum class ESimdPath : u8 { kSse2 = 0, kAvx2 = 1 };

// Whether this processor runs the path's kernels.
bool SimdPathSupported(ESimdPath path);
// The path the kernels take now: the widest supported one not above the cap.
ESimdPath ActiveSimdPath();
// A process-wide cap, read when an encoder starts; ESimdPath::kAvx2 (the default) lifts it.
void SetSimdPathCap(ESimdPath cap);
// "sse2" or "avx2".
const char* SimdPathName(ESimdPath path);

} // namespace xqftexture

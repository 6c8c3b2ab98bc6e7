// Placeholders for the decoders that are not in the library yet: each refuses its data, so the
// transcoding switch reports failure instead of showing uninitialised memory. Weak, so a real
// definition replaces them; this file goes away once every decoder exists.
#include "XQFTextureCodecs.h"

namespace xqftexture {

__attribute__((weak)) u64 DecompressDXT(const void*, u64, void*, u32, u32, u32) { return 0; }
__attribute__((weak)) u64 DecompressXQFTCImage(const void*, u64, void*, u32, u32, bool, bool) { return 0; }
__attribute__((weak)) u64 DecompressYUV422(const void*, u64, void*, u32, u32, u32) { return 0; }
__attribute__((weak)) u64 DecompressBW1bpp(const void*, u64, void*, u32, u32) { return 0; }
__attribute__((weak)) u64 DecompressSharedExponentR9G9B9E5(const void*, u64, void*, u32, u32) { return 0; }
__attribute__((weak)) u64 DecompressRGBG(const void*, u64, void*, u32, u32, u32) { return 0; }

} // namespace xqftexture

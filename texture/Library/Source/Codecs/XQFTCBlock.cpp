// Unpacking of XQFTC and XQFTC-II blocks and their order in a level.
#include "XQFTCBlock.h"

namespace xqftexture {

u32 BlockOrderIndex(u32 blocksY, u32 blocksX, u32 y, u32 x, bool linear)
{
    if (linear)
        return x + blocksX * y;
    const u32 smaller = blocksY < blocksX ? blocksY : blocksX;
    const u32 rest = blocksY < blocksX ? x : y;
    u32 interleaved = 0, pairs = 0;
    for (; pairs < 16 && (1u << pairs) < smaller; ++pairs)
        interleaved |= ((y >> pairs) & 1) << (2 * pairs) | ((x >> pairs) & 1) << (2 * pairs + 1);
    return (pairs >= 16 ? 0 : (rest >> pairs) << (2 * pairs)) | interleaved;
}

} // namespace xqftexture

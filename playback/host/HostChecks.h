#pragma once
// Recorded values checked against what the host can take before a player or a restore hands them
// over: texture sizes, sub-image regions and buffer sizes beyond the captured bytes. A value the host library would choke on (crash, write out of bounds,
// allocate gigabytes, draw for minutes) is refused with an "ERROR: " line naming the call, and the
// call is not sent; the pass goes on. Each check takes the host table of the caller (SEs1Host or
// SEs2Host).
#include <cstdint>

// An image of width x height for `target` (a 2D target or a cube face): false, with an error line,
// when either side is negative or above the host's largest texture size for that target.
template <class Host>
bool ImageSizeFits(Host& gl, const char* call, uint32_t target, int64_t width, int64_t height);

// A sub-image region at (x, y) of width x height in `level` of the texture bound to `target`: false,
// with an error line, when any value is negative or the region leaves the level (sums in 64 bits).
// The level's size is the host's where it can tell (an ES 2.0 context); elsewhere no level is larger
// than the host's largest texture size, which bounds the region.
template <class Host>
bool SubImageFits(Host& gl, const char* call, uint32_t target, int32_t level, int64_t x, int64_t y, int64_t width,
                  int64_t height);

// The most a restore fills out with zeros past a buffer's captured bytes (a buffer made without
// data, or a trace cut short); a larger buffer is refused. The memory guard's limit bounds it too.
inline constexpr uint64_t kMaxBufferPaddingBytes = uint64_t(256) << 20;

// A restored buffer of `size` bytes of which the trace holds `held` at `bytes`: true when it can be
// made (all bytes held, no bytes recorded: the host makes it without data, or a padding the cap and
// the memory guard allow); false with an error line naming the buffer and the cap otherwise.
bool BufferPaddingAllowed(const char* call, uint32_t buffer, const void* bytes, uint64_t size, uint64_t held);

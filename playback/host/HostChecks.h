#pragma once
// Recorded values checked against what the host can take before a player or a restore hands them
// over: texture sizes, sub-image regions, buffer sizes beyond the captured bytes, and the vertices a
// draw reads from its buffers. A value the host library would choke on (crash, write out of bounds,
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

// The bytes past its start an array reads for vertices 0 to vertices - 1: its offset, then the
// last vertex's element (stride 0: the elements packed). 0 for no vertex.
uint64_t ArrayReadEnd(uint64_t offset, uint64_t stride, uint64_t elementBytes, uint64_t vertices);

// The size of buffer `buffer` on the host (bound to GL_ARRAY_BUFFER for the query; the binding is
// left as `restore`).
template <class Host>
uint64_t HostArrayBufferSize(Host& gl, uint32_t buffer, uint32_t restore);

// An array whose buffer holds `size` bytes and from which the draw reads up to byte `end`: false,
// with an error line, when the read passes the buffer's end.
bool ArrayReadFits(const char* call, uint64_t end, uint64_t size);

// The index range of an indexed draw (count indices of `type` at byte `offset` of the element
// buffer bound on the host): false, with an error line, when it passes the buffer's end.
template <class Host>
bool ElementRangeFits(Host& gl, const char* call, uint32_t type, int32_t count, uint64_t offset);

// The most vertices indices of `type` can address: 256, 65536 or 2^32.
uint64_t MaxVerticesOf(uint32_t type);

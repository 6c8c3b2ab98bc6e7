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

// The image a copy makes of width x height for `target` (glCopyTexImage2D): as ImageSizeFits, and
// as an image the trace holds no byte of (the host fills it from the framebuffer, whatever part of
// it the framebuffer covers), counted at 4 bytes a pixel, under UnfilledBytesAllowed.
template <class Host>
bool CopiedImageFits(Host& gl, const char* call, uint32_t target, int64_t width, int64_t height);

// The most bytes one object may take on the host when the trace does not hold them all: a buffer or
// a texture image made without data or from a cut capture (zero-filled by the host or by a restore),
// a renderbuffer. A larger one is refused; the memory guard's limit bounds them too.
inline constexpr uint64_t kMaxUnfilledBytes = uint64_t(256) << 20;

// An object of `size` bytes of which the trace holds `held`: true when it holds them all, or when
// the cap and the memory guard allow the size; false with an error line naming `what` otherwise.
bool UnfilledBytesAllowed(const char* call, const char* what, uint64_t size, uint64_t held);

// A buffer of `size` bytes of which the trace holds `held` at `bytes` (null: none recorded, the host
// zero-fills it), as UnfilledBytesAllowed, the error line naming the buffer.
bool BufferPaddingAllowed(const char* call, uint32_t buffer, const void* bytes, uint64_t size, uint64_t held);

// A texture image the host makes of `needed` bytes (-1: a format and type not known here) of which
// the trace holds `held`: false, with an error line, for an unknown size or one UnfilledBytesAllowed
// refuses.
bool ImageBytesAllowed(const char* call, int64_t needed, uint64_t held);

// Renderbuffer storage of `samples` (0: single) samples of width x height in `internalFormat`:
// false, with an error line, for a negative value or a size UnfilledBytesAllowed refuses (a format
// not known here counts 16 bytes a sample).
bool RenderbufferBytesAllowed(const char* call, uint32_t internalFormat, int64_t width, int64_t height,
                              int64_t samples);

// The most vertices one draw hands the host, and the most bytes of the line list a draw is shown
// as in our wireframe: the host draws count vertices whether or not an array reads them.
inline constexpr uint64_t kMaxDrawVertices = uint64_t(1) << 24;
inline constexpr uint64_t kMaxWireframeLineBytes = uint64_t(64) << 20;

// A draw of `count` vertices (or indices) from `first` in `mode`: false, with an error line, when
// either is negative, the count above kMaxDrawVertices, or its wireframe line list (while our
// wireframe is on) above kMaxWireframeLineBytes.
bool DrawCountFits(const char* call, uint32_t mode, int64_t first, int64_t count);

// The bytes past its start an array reads for vertices 0 to vertices - 1: its offset, then the
// last vertex's element (stride 0: the elements packed). 0 for no vertex.
uint64_t ArrayReadEnd(uint64_t offset, uint64_t stride, uint64_t elementBytes, uint64_t vertices);

// The strides the trace gave the vertex arrays of the current host context (HostCurrentContext), as
// recorded: a host may keep fewer bits of a stride than it draws with (Mesa keeps 16), so the draw
// checks do not take the stride it reports. `array` is an ES 2.0 attribute index, or
// kEs1ArrayStrides plus an ES 1.1 array's slot. A note costs no host call: the notes of the current
// context are kept at hand until another context is made current.
inline constexpr uint32_t kEs1ArrayStrides = 0x10000;
void NoteArrayStride(uint32_t array, int32_t stride);
// The stride the trace gave `array`, when the host's answer `host` agrees with it in the bits a host
// keeps (a stride set by a path that notes none leaves an entry it disagrees with); else `host`.
// Never negative.
uint64_t RecordedArrayStride(uint32_t array, int64_t host);
// A context made anew (at an address an earlier, destroyed one may have had) starts without notes.
void ForgetArrayStrides(void* context);

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

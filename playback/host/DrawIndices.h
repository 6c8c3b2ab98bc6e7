#pragma once
// The indices of an indexed draw as the host reads them, widened to 32 bits: from the draw's client
// bytes, or from the element buffer bound on the host through a read mapping of it (an ES 2.0
// context is ES 3.2, so glMapBufferRange exists; an ES 1.1 context reaches the same entry points
// through GL_EXT_map_buffer_range and GL_OES_mapbuffer). The players' size checks and the wireframe
// switch share it.
#include <cstddef>
#include <cstdint>
#include <vector>

struct SEs1Host;
struct SEs2Host;

// Bytes per index of an index type: 1, 2 or 4 (GL_UNSIGNED_INT and anything else).
size_t IndexSize(uint32_t type);

// An ES 3.x entry point of the host's context (eglGetProcAddress); null when it has none.
void* HostGlProc(const char* name);

// count indices of `type` starting at byte `bytes` (as many as it holds whole, at most count).
void WidenIndices(const uint8_t* bytes, size_t held, uint32_t type, int32_t count, std::vector<uint32_t>& out);

// The vertices indices read: the largest index + 1, 0 for none.
uint64_t VerticesOf(const std::vector<uint32_t>& indices);

// count indices of `type` at byte `offset` of the element buffer bound on the host of table `gl`
// (SEs1Host or SEs2Host). `out` is empty when the range lies past the buffer's size (the host reads
// nothing: it refuses such a draw); false when the range cannot be mapped, the indices unknown.
template <class Host>
bool ReadElementBufferIndices(Host& gl, uint32_t type, int32_t count, uint64_t offset, std::vector<uint32_t>& out);

// The vertices (largest index + 1, 0 for none) that count indices of `type` at byte `offset` of
// element buffer `buffer`, bound on the host of `gl`, read; false when they cannot be read. A range
// is read once: a read mapping of the buffer costs more than the rest of a draw's checks, and a
// scene draws the same ranges frame after frame. What was found holds on the same host context
// until BufferContentsChanged.
template <class Host>
bool ElementBufferVertices(Host& gl, uint32_t buffer, uint32_t type, int32_t count, uint64_t offset,
                           uint64_t& vertices);

// To be called whenever the contents of a buffer on the host may have changed (data, a part of it,
// a mapping written, a deletion, a restore, a context made at an old one's address): the ranges
// found before are read again.
void BufferContentsChanged();

#pragma once
// The indices of an indexed draw as the host reads them, widened to 32 bits: from the draw's client
// bytes, or from the element buffer bound on the host through a read mapping of it (the host context
// is ES 3.2, so glMapBufferRange exists). The player's size checks and the wireframe switch share it.
#include <cstddef>
#include <cstdint>
#include <vector>

struct SEs2Host;

// Bytes per index of an index type: 1, 2 or 4 (GL_UNSIGNED_INT and anything else).
size_t IndexSize(uint32_t type);

// An ES 3.x entry point of the host's context (eglGetProcAddress); null when it has none.
void* HostGlProc(const char* name);

// count indices of `type` starting at byte `bytes` (as many as it holds whole, at most count).
void WidenIndices(const uint8_t* bytes, size_t held, uint32_t type, int32_t count, std::vector<uint32_t>& out);

// count indices of `type` at byte `offset` of the element buffer bound on the host. False, with
// `out` empty, when the range lies past the buffer's size or cannot be mapped.
bool ReadElementBufferIndices(SEs2Host& gl, uint32_t type, int32_t count, uint64_t offset, std::vector<uint32_t>& out);

#include "DrawIndices.h"

#include "HostCurrent.h"
#include "HostTables.h"

#include <EGL/egl.h>
#include <GLES2/gl2.h>
#include <GLES3/gl3.h>  // glMapBufferRange's access bits

#include <algorithm>
#include <array>
#include <cstring>

size_t IndexSize(uint32_t type)
{
    return type == GL_UNSIGNED_BYTE ? 1 : type == GL_UNSIGNED_SHORT ? 2 : 4;
}

void* HostGlProc(const char* name)
{
    return reinterpret_cast<void*>(XQF_HOST(*SEglHost::Instance(), eglGetProcAddress)(name));
}

void WidenIndices(const uint8_t* bytes, size_t held, uint32_t type, int32_t count, std::vector<uint32_t>& out)
{
    const size_t size = IndexSize(type);
    const size_t n = bytes ? std::min(size_t(std::max(count, 0)), held / size) : 0;
    out.resize(n);
    for (size_t i = 0; i < n; ++i) {
        uint32_t v = 0;
        std::memcpy(&v, bytes + i * size, size);  // little-endian host: the low bytes come first
        out[i] = v;
    }
}

uint64_t VerticesOf(const std::vector<uint32_t>& indices)
{
    uint64_t largest = 0;
    for (uint32_t v : indices)
        largest = std::max<uint64_t>(largest, uint64_t(v) + 1);
    return largest;
}

template <class Host>
bool ReadElementBufferIndices(Host& gl, uint32_t type, int32_t count, uint64_t offset, std::vector<uint32_t>& out)
{
    using MapRange = void* (*)(GLenum, intptr_t, intptr_t, GLbitfield);
    using Unmap = GLboolean (*)(GLenum);
    static const auto map = reinterpret_cast<MapRange>(HostGlProc("glMapBufferRange"));
    static const auto unmap = reinterpret_cast<Unmap>(HostGlProc("glUnmapBuffer"));
    out.clear();
    const uint64_t bytes = uint64_t(std::max(count, 0)) * IndexSize(type);
    GLint size = 0;
    XQF_HOST(gl, glGetBufferParameteriv)(GL_ELEMENT_ARRAY_BUFFER, GL_BUFFER_SIZE, &size);
    if (bytes == 0 || offset + bytes > uint64_t(std::max(size, 0)))
        return true;
    if (!map || !unmap)
        return false;
    const void* mapped = map(GL_ELEMENT_ARRAY_BUFFER, intptr_t(offset), intptr_t(bytes), GL_MAP_READ_BIT);
    if (!mapped)
        return false;
    WidenIndices(static_cast<const uint8_t*>(mapped), size_t(bytes), type, count, out);
    unmap(GL_ELEMENT_ARRAY_BUFFER);
    return true;
}

namespace {
// The ranges found, a few: a frame draws from a handful of element buffers.
struct SIndexRange
{
    uint64_t generation = 0;  // 0: empty
    void* context = nullptr;
    uint32_t buffer = 0;
    uint64_t offset = 0;
    int32_t count = 0;
    uint32_t type = 0;
    uint64_t vertices = 0;
};
struct SIndexRanges
{
    uint64_t generation = 1;
    std::array<SIndexRange, 8> ranges{};
    size_t next = 0;  // the entry replaced next
};
SIndexRanges& IndexRanges()
{
    static SIndexRanges ranges;
    return ranges;
}
} // namespace

void BufferContentsChanged() { ++IndexRanges().generation; }

template <class Host>
bool ElementBufferVertices(Host& gl, uint32_t buffer, uint32_t type, int32_t count, uint64_t offset,
                           uint64_t& vertices)
{
    SIndexRanges& cache = IndexRanges();
    void* const context = HostCurrentContext();
    for (const SIndexRange& r : cache.ranges)
        if (r.generation == cache.generation && r.context == context && r.buffer == buffer && r.offset == offset &&
            r.count == count && r.type == type) {
            vertices = r.vertices;
            return true;
        }
    static std::vector<uint32_t> indices;  // kept between draws
    if (!ReadElementBufferIndices(gl, type, count, offset, indices))
        return false;
    vertices = VerticesOf(indices);
    cache.ranges[cache.next] = {cache.generation, context, buffer, offset, count, type, vertices};
    cache.next = (cache.next + 1) % cache.ranges.size();
    return true;
}

template bool ElementBufferVertices(SEs1Host&, uint32_t, uint32_t, int32_t, uint64_t, uint64_t&);
template bool ElementBufferVertices(SEs2Host&, uint32_t, uint32_t, int32_t, uint64_t, uint64_t&);
template bool ReadElementBufferIndices(SEs1Host&, uint32_t, int32_t, uint64_t, std::vector<uint32_t>&);
template bool ReadElementBufferIndices(SEs2Host&, uint32_t, int32_t, uint64_t, std::vector<uint32_t>&);

#include "HostChecks.h"

#include "DrawIndices.h"
#include "Diagnostics.h"
#include "HostTables.h"

#include "data/MemoryGuard.h"

#include <GLES2/gl2.h>

#include <algorithm>
#include <type_traits>

namespace {

template <class Host>
int64_t HostInteger(Host& gl, GLenum pname)
{
    GLint v[4] = {};
    XQF_HOST(gl, glGetIntegerv)(pname, v);
    return v[0];
}

bool IsCubeFace(uint32_t target)
{
    return target >= GL_TEXTURE_CUBE_MAP_POSITIVE_X && target <= GL_TEXTURE_CUBE_MAP_NEGATIVE_Z;
}

// The host's largest texture side for a target; a host that answers nothing allows none.
template <class Host>
int64_t MaxTextureSize(Host& gl, uint32_t target)
{
    if constexpr (std::is_same_v<Host, SEs2Host>)
        if (IsCubeFace(target))
            return HostInteger(gl, GL_MAX_CUBE_MAP_TEXTURE_SIZE);
    return HostInteger(gl, GL_MAX_TEXTURE_SIZE);
}

// The size of a level of the texture bound to `target` as the host has it; false when the host
// cannot tell (no level query on its context, or a target it does not take).
template <class Host>
bool HostLevelSize(Host&, uint32_t target, int32_t level, int64_t& width, int64_t& height)
{
    if constexpr (std::is_same_v<Host, SEs2Host>) {
        using LevelParameter = void (*)(GLenum, GLint, GLenum, GLint*);
        static const auto query = reinterpret_cast<LevelParameter>(HostGlProc("glGetTexLevelParameteriv"));
        if (!query || (target != GL_TEXTURE_2D && !IsCubeFace(target)))
            return false;
        GLint w = -1, h = -1;
        query(target, level, 0x1000 /* GL_TEXTURE_WIDTH */, &w);
        query(target, level, 0x1001 /* GL_TEXTURE_HEIGHT */, &h);
        if (w < 0 || h < 0)
            return false;
        width = w;
        height = h;
        return true;
    } else {
        (void)target, (void)level, (void)width, (void)height;
        return false;
    }
}

} // namespace

template <class Host>
bool ImageSizeFits(Host& gl, const char* call, uint32_t target, int64_t width, int64_t height)
{
    const int64_t maxSize = MaxTextureSize(gl, target);
    if (width >= 0 && height >= 0 && width <= maxSize && height <= maxSize)
        return true;
    if (width < 0 || height < 0)
        PlaybackError("%s: an image of %lld x %lld has a negative size; the call is not played\n", call,
                      static_cast<long long>(width), static_cast<long long>(height));
    else
        PlaybackError("%s: an image of %lld x %lld is above the host's largest texture size, %lld; the call is not "
                      "played\n",
                      call, static_cast<long long>(width), static_cast<long long>(height),
                      static_cast<long long>(maxSize));
    return false;
}

template <class Host>
bool SubImageFits(Host& gl, const char* call, uint32_t target, int32_t level, int64_t x, int64_t y, int64_t width,
                  int64_t height)
{
    const int64_t maxSize = MaxTextureSize(gl, target);
    const bool levelValid = level >= 0 && level < 32 && (maxSize >> level) >= 1;
    int64_t levelWidth = levelValid ? maxSize >> level : 0, levelHeight = levelWidth;
    const bool known = levelValid && HostLevelSize(gl, target, level, levelWidth, levelHeight);
    if (levelValid && x >= 0 && y >= 0 && width >= 0 && height >= 0 && x + width <= levelWidth &&
        y + height <= levelHeight)
        return true;
    if (!levelValid) {
        PlaybackError("%s: level %d is not one the host has; the call is not played\n", call, level);
        return false;
    }
    PlaybackError("%s: the region at (%lld, %lld) of %lld x %lld leaves the level (%s %lld x %lld); the call is not "
                  "played\n",
                  call, static_cast<long long>(x), static_cast<long long>(y), static_cast<long long>(width),
                  static_cast<long long>(height), known ? "of" : "at most", static_cast<long long>(levelWidth),
                  static_cast<long long>(levelHeight));
    return false;
}

bool BufferPaddingAllowed(const char* call, uint32_t buffer, const void* bytes, uint64_t size, uint64_t held)
{
    if (!bytes || held >= size)
        return true;
    const int64_t committed = CommittedMemoryKiB();
    const bool guarded = committed >= 0 && uint64_t(committed) + size / 1024 > uint64_t(kMemoryLimitKiB);
    if (size <= kMaxBufferPaddingBytes && !guarded)
        return true;
    PlaybackError("%s: buffer %u has %llu bytes of which the trace holds %llu; buffers are filled out with zeros up to "
                  "%llu MiB%s; the buffer is not made\n",
                  call, buffer, static_cast<unsigned long long>(size), static_cast<unsigned long long>(held),
                  static_cast<unsigned long long>(kMaxBufferPaddingBytes >> 20),
                  guarded ? " and while memory allows" : "");
    return false;
}

uint64_t ArrayReadEnd(uint64_t offset, uint64_t stride, uint64_t elementBytes, uint64_t vertices)
{
    if (vertices == 0)
        return 0;
    return offset + (vertices - 1) * (stride ? stride : elementBytes) + elementBytes;
}

template <class Host>
uint64_t HostArrayBufferSize(Host& gl, uint32_t buffer, uint32_t restore)
{
    GLint size = 0;
    XQF_HOST(gl, glBindBuffer)(GL_ARRAY_BUFFER, buffer);
    XQF_HOST(gl, glGetBufferParameteriv)(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &size);
    XQF_HOST(gl, glBindBuffer)(GL_ARRAY_BUFFER, restore);
    return uint64_t(std::max(size, 0));
}

bool ArrayReadFits(const char* call, uint64_t end, uint64_t size)
{
    if (end <= size)
        return true;
    PlaybackError("%s: an array buffer holds %llu bytes and the draw reads up to byte %llu; the call is not played\n",
                  call, static_cast<unsigned long long>(size), static_cast<unsigned long long>(end));
    return false;
}

template <class Host>
bool ElementRangeFits(Host& gl, const char* call, uint32_t type, int32_t count, uint64_t offset)
{
    const uint64_t bytes = uint64_t(std::max(count, 0)) * IndexSize(type);
    if (bytes == 0)
        return true;
    GLint size = 0;
    XQF_HOST(gl, glGetBufferParameteriv)(GL_ELEMENT_ARRAY_BUFFER, GL_BUFFER_SIZE, &size);
    if (offset + bytes <= uint64_t(std::max(size, 0)))
        return true;
    PlaybackError("%s: the element buffer holds %d bytes and the draw reads its indices up to byte %llu; the call is "
                  "not played\n",
                  call, size, static_cast<unsigned long long>(offset + bytes));
    return false;
}

uint64_t MaxVerticesOf(uint32_t type)
{
    const size_t size = IndexSize(type);
    return size >= 4 ? uint64_t(1) << 32 : uint64_t(1) << (8 * size);
}

template bool ImageSizeFits(SEs1Host&, const char*, uint32_t, int64_t, int64_t);
template bool ImageSizeFits(SEs2Host&, const char*, uint32_t, int64_t, int64_t);
template bool SubImageFits(SEs1Host&, const char*, uint32_t, int32_t, int64_t, int64_t, int64_t, int64_t);
template bool SubImageFits(SEs2Host&, const char*, uint32_t, int32_t, int64_t, int64_t, int64_t, int64_t);
template uint64_t HostArrayBufferSize(SEs1Host&, uint32_t, uint32_t);
template uint64_t HostArrayBufferSize(SEs2Host&, uint32_t, uint32_t);
template bool ElementRangeFits(SEs1Host&, const char*, uint32_t, int32_t, uint64_t);
template bool ElementRangeFits(SEs2Host&, const char*, uint32_t, int32_t, uint64_t);

#include "HostChecks.h"

#include "DrawIndices.h"
#include "HostCurrent.h"
#include "Diagnostics.h"
#include "HostTables.h"
#include "WireframeSwitch.h"
#include "analysis/WireframeLines.h"

#include "data/MemoryGuard.h"

#include <EGL/egl.h>
#include <GLES2/gl2.h>
#include <GLES2/gl2ext.h>
#include <GLES3/gl31.h>  // the level size queries of glGetTexLevelParameteriv

#include <algorithm>
#include <array>
#include <climits>
#include <cstdio>
#include <map>
#include <mutex>
#include <unordered_map>
#include <utility>
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
        query(target, level, GL_TEXTURE_WIDTH, &w);
        query(target, level, GL_TEXTURE_HEIGHT, &h);
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

namespace {

bool MemoryAllows(uint64_t size)
{
    const int64_t committed = CommittedMemoryKiB();
    return committed < 0 || uint64_t(committed) + size / 1024 <= uint64_t(kMemoryLimitKiB);
}

// Bytes a sample of a renderbuffer format takes at most on the host.
uint64_t RenderbufferSampleBytes(uint32_t internalFormat)
{
    switch (internalFormat) {
    case GL_STENCIL_INDEX8: return 1;
    case GL_RGBA4: case GL_RGB5_A1: case GL_RGB565: case GL_DEPTH_COMPONENT16: return 2;
    case GL_DEPTH_COMPONENT24_OES: case GL_DEPTH_COMPONENT32_OES: case GL_DEPTH24_STENCIL8_OES: case GL_RGB8_OES:
    case GL_RGBA8_OES:
        return 4;
    default: return 16;
    }
}

} // namespace

bool UnfilledBytesAllowed(const char* call, const char* what, uint64_t size, uint64_t held)
{
    if (held >= size)
        return true;
    const bool guarded = !MemoryAllows(size);
    if (size <= kMaxUnfilledBytes && !guarded)
        return true;
    PlaybackError("%s: %s has %llu bytes of which the trace holds %llu; the host is given such objects up to %llu "
                  "MiB%s; the call is not played\n",
                  call, what, static_cast<unsigned long long>(size), static_cast<unsigned long long>(held),
                  static_cast<unsigned long long>(kMaxUnfilledBytes >> 20), guarded ? " and while memory allows" : "");
    return false;
}

bool BufferPaddingAllowed(const char* call, uint32_t buffer, const void* bytes, uint64_t size, uint64_t held)
{
    char what[32];
    snprintf(what, sizeof what, "buffer %u", buffer);
    return UnfilledBytesAllowed(call, what, size, bytes ? held : 0);
}

bool ImageBytesAllowed(const char* call, int64_t needed, uint64_t held)
{
    if (needed < 0) {
        PlaybackError("%s: the image's format and type are not known here; the call is not played\n", call);
        return false;
    }
    return UnfilledBytesAllowed(call, "the image", uint64_t(needed), held);
}

bool RenderbufferBytesAllowed(const char* call, uint32_t internalFormat, int64_t width, int64_t height,
                              int64_t samples)
{
    if (width < 0 || height < 0 || samples < 0) {
        PlaybackError("%s: a renderbuffer of %lld x %lld with %lld samples has a negative value; the call is not "
                      "played\n",
                      call, static_cast<long long>(width), static_cast<long long>(height),
                      static_cast<long long>(samples));
        return false;
    }
    // Each factor is below 2^31 and the sample bytes at most 16: no overflow in 128 bits.
    const unsigned __int128 bytes = (unsigned __int128)(uint64_t(width) * uint64_t(height)) *
                                    uint64_t(std::max<int64_t>(samples, 1)) * RenderbufferSampleBytes(internalFormat);
    const uint64_t size = bytes > UINT64_MAX ? UINT64_MAX : uint64_t(bytes);
    return UnfilledBytesAllowed(call, "the renderbuffer", size, 0);
}

template <class Host>
bool CopiedImageFits(Host& gl, const char* call, uint32_t target, int64_t width, int64_t height)
{
    // Both sides are at most the host's largest texture size once ImageSizeFits passes: no overflow.
    return ImageSizeFits(gl, call, target, width, height) &&
           UnfilledBytesAllowed(call, "the copied image", uint64_t(width) * uint64_t(height) * 4, 0);
}

bool DrawCountFits(const char* call, uint32_t mode, int64_t first, int64_t count)
{
    if (first < 0 || count < 0) {
        PlaybackError("%s: a draw from %lld of %lld vertices has a negative value; the call is not played\n", call,
                      static_cast<long long>(first), static_cast<long long>(count));
        return false;
    }
    if (uint64_t(count) > kMaxDrawVertices) {
        PlaybackError("%s: a draw of %lld vertices is above the %llu one draw may have; the call is not played\n",
                      call, static_cast<long long>(count), static_cast<unsigned long long>(kMaxDrawVertices));
        return false;
    }
    // A triangle of a strip or a fan for each vertex, two vertex numbers of 4 bytes for each of its
    // three edges.
    const uint64_t lineBytes = uint64_t(count) * 24;
    if (OurWireframeOn() && IsTriangleMode(mode) && lineBytes > kMaxWireframeLineBytes) {
        PlaybackError("%s: a draw of %lld vertices is shown in wireframe with up to %llu MiB of lines, above %llu MiB; "
                      "the call is not played\n",
                      call, static_cast<long long>(count), static_cast<unsigned long long>(lineBytes >> 20),
                      static_cast<unsigned long long>(kMaxWireframeLineBytes >> 20));
        return false;
    }
    return true;
}

uint64_t ArrayReadEnd(uint64_t offset, uint64_t stride, uint64_t elementBytes, uint64_t vertices)
{
    if (vertices == 0)
        return 0;
    return offset + (vertices - 1) * (stride ? stride : elementBytes) + elementBytes;
}

namespace {
// The notes of one host context: the ES 2.0 attributes and ES 1.1 slots a host has, in place; the
// indices beyond them, which only a hostile trace names (the host refuses them), in a map.
struct SStrideNotes
{
    static constexpr uint32_t kInPlace = 32;
    static constexpr int64_t kNone = INT64_MIN;
    std::array<int64_t, kInPlace> es2;
    std::array<int64_t, kInPlace> es1;
    std::map<uint32_t, int32_t> beyond;

    SStrideNotes() { Clear(); }
    void Clear()
    {
        es2.fill(kNone);
        es1.fill(kNone);
        beyond.clear();
    }
    int64_t* InPlace(uint32_t array)
    {
        if (array < kInPlace)
            return &es2[array];
        if (array >= kEs1ArrayStrides && array - kEs1ArrayStrides < kInPlace)
            return &es1[array - kEs1ArrayStrides];
        return nullptr;
    }
};

// Every context's notes (never erased, so that a pointer to them stays good), and per thread the
// notes of the context current there, found again only when the current context changed. Playback
// threads of their own (the dock's, a command's) look up and add contexts at once: the map is
// reached under its lock. The notes of one context are written and read only by the thread it is
// current on, as EGL lets a context be current on one thread at a time.
struct SAllStrideNotes
{
    std::mutex lock;
    std::unordered_map<void*, SStrideNotes> notes;
};
SAllStrideNotes& AllStrideNotes()
{
    static SAllStrideNotes all;
    return all;
}
thread_local void* t_notesContext = nullptr;
thread_local SStrideNotes* t_notes = nullptr;

// The search, apart: the pointer calls and draws that find the notes kept stay a few instructions.
[[gnu::noinline]] SStrideNotes& FindStrideNotes(void* context)
{
    SAllStrideNotes& all = AllStrideNotes();
    const std::lock_guard<std::mutex> hold(all.lock);
    t_notes = &all.notes[context];
    t_notesContext = context;
    return *t_notes;
}

inline SStrideNotes& CurrentStrideNotes()
{
    void* const context = HostCurrentContext();
    if (t_notes && t_notesContext == context) [[likely]]
        return *t_notes;
    return FindStrideNotes(context);
}
} // namespace

namespace {
// The indices only a hostile trace names, apart from the notes kept in place.
[[gnu::noinline]] void NoteBeyond(SStrideNotes& notes, uint32_t array, int32_t stride)
{
    notes.beyond[array] = stride;
}
} // namespace

void NoteArrayStride(uint32_t array, int32_t stride)
{
    SStrideNotes& notes = CurrentStrideNotes();
    if (int64_t* in = notes.InPlace(array)) [[likely]]
        *in = stride;
    else
        NoteBeyond(notes, array, stride);
}

uint64_t RecordedArrayStride(uint32_t array, int64_t host)
{
    SStrideNotes& notes = CurrentStrideNotes();
    int64_t noted = SStrideNotes::kNone;
    if (const int64_t* in = notes.InPlace(array)) {
        noted = *in;
    } else if (const auto it = notes.beyond.find(array); it != notes.beyond.end()) {
        noted = it->second;
    }
    if (noted != SStrideNotes::kNone && uint16_t(noted) == uint16_t(host))
        return uint64_t(std::max<int64_t>(noted, 0));
    return uint64_t(std::max<int64_t>(host, 0));
}

void ForgetArrayStrides(void* context)
{
    SAllStrideNotes& all = AllStrideNotes();
    const std::lock_guard<std::mutex> hold(all.lock);
    const auto it = all.notes.find(context);
    if (it != all.notes.end())
        it->second.Clear();
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
template bool CopiedImageFits(SEs1Host&, const char*, uint32_t, int64_t, int64_t);
template bool CopiedImageFits(SEs2Host&, const char*, uint32_t, int64_t, int64_t);
template bool ImageSizeFits(SEs2Host&, const char*, uint32_t, int64_t, int64_t);
template bool SubImageFits(SEs1Host&, const char*, uint32_t, int32_t, int64_t, int64_t, int64_t, int64_t);
template bool SubImageFits(SEs2Host&, const char*, uint32_t, int32_t, int64_t, int64_t, int64_t, int64_t);
template uint64_t HostArrayBufferSize(SEs1Host&, uint32_t, uint32_t);
template uint64_t HostArrayBufferSize(SEs2Host&, uint32_t, uint32_t);
template bool ElementRangeFits(SEs1Host&, const char*, uint32_t, int32_t, uint64_t);
template bool ElementRangeFits(SEs2Host&, const char*, uint32_t, int32_t, uint64_t);

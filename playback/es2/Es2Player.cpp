// Replays recorded OpenGL ES 2.0 calls on the host: object names through the name maps, host objects
// made lazily, recorded data handed over only when it holds every byte the host will read.
#include "Diagnostics.h"
#include "PlayArgs.h"
#include "PlayCase.h"
#include "Playback.h"
#include "host/DrawIndices.h"
#include "host/HostChecks.h"
#include "host/HostTables.h"
#include "maps/NameMaps.h"

#include "Es2DrawItems.h"
#include "Es2Records.h"
#include "data/TraceData.h"
#include "state/PixelSize.h"
#include "values/ArrayHolders.h"
#include "values/DataHolders.h"

#include <EGL/egl.h>
#include <GLES2/gl2.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace {

using SPlay = TPlay<SEs2Host>;

using Handler = EEnd (*)(SPlay&);

// A refused call: the host would read past what the trace carries.
EEnd Short(SPlay& p, const char* what, uint64_t have, uint64_t need)
{
    PlaybackError("%s: %s holds %llu bytes of the %llu the host reads; the call is not played\n", p.call.GetName(),
                  what, static_cast<unsigned long long>(have), static_cast<unsigned long long>(need));
    return EEnd::Fail;
}

template <class T>
T Scalar(const CPlayArgs& a, size_t i)
{
    if constexpr (std::is_floating_point_v<T>)
        return a.F32(i);
    else if constexpr (std::is_pointer_v<T>)
        return reinterpret_cast<T>(uintptr_t(a.U32(i)));  // the low 32 bits of a recorded pointer
    else if constexpr (std::is_signed_v<T>)
        return T(a.I32(i));
    else
        return T(a.U32(i));
}

// The host function with every argument taken, in listing order, from the recorded scalars.
template <class R, class... A>
EEnd AsRecorded(R (*fn)(A...), const CPlayArgs& a)
{
    [&]<size_t... I>(std::index_sequence<I...>) { fn(Scalar<A>(a, I)...); }(std::index_sequence_for<A...>{});
    return EEnd::Common;
}

GLint HostInt(SEs2Host& gl, GLenum pname)
{
    GLint v[4] = {};
    XQF_HOST(gl, glGetIntegerv)(pname, v);
    return v[0];
}

// The values of an array argument at position i, as many as `needed`; null (and a refusal) when the
// recorded array holds fewer. Nothing is needed for a count of 0 (a null pointer then).
template <class Holder>
const uint32_t* Values(SPlay& p, size_t i, uint64_t needed, bool& refused)
{
    auto* array = p.a.As<Holder>(i);
    const uint64_t held = array ? array->ElementCount() : 0;
    if (needed == 0)
        return nullptr;
    if (held < needed) {
        refused = true;
        PlaybackError("%s: its array holds %llu values of the %llu the host reads; the call is not played\n",
                      p.call.GetName(), static_cast<unsigned long long>(held), static_cast<unsigned long long>(needed));
        return nullptr;
    }
    return array->GetData();
}

// ---- names ------------------------------------------------------------------------------------

// The recorded names of a glGen* or glDelete* (argument 1), n of them (null when n is 0: a trace
// without data holds a bare pointer there). False, with the call refused, when they are fewer.
bool RecordedNames(SPlay& p, GLsizei n, const uint32_t*& recorded, EEnd& refused)
{
    auto* names = p.a.As<SArrayPtr<TuintType<21>, 1, 1>>(1);
    const size_t held = names ? names->ElementCount() : 0;
    if (n < 0 || size_t(n) > held) {
        refused = Short(p, "the names array", held * 4, uint64_t(std::max(n, 0)) * 4);
        return false;
    }
    recorded = names ? names->GetData() : nullptr;
    return true;
}

// glGen* of buffers, framebuffers, renderbuffers: n host names, paired with the recorded ones.
template <class Map, class Gen>
EEnd Generate(SPlay& p, Gen gen, bool keepMappedTextures = false)
{
    const GLsizei n = p.a.I32(0);
    const uint32_t* recorded = nullptr;
    if (EEnd refused; !RecordedNames(p, n, recorded, refused))
        return refused;
    if (keepMappedTextures && n > 0 && Map::Get(recorded[0]) != 0)
        return EEnd::Common;  // the first name is known on the host already
    std::vector<GLuint> host(static_cast<size_t>(n));
    if (n > 0)
        gen(n, host.data());
    for (GLsizei i = 0; i < n; ++i)
        Map::Set(recorded[i], host[size_t(i)]);
    return EEnd::Common;
}

// glDelete* of buffers, framebuffers, renderbuffers, textures: the host names of the recorded ones
// (the map's absent value when unknown), each erased from the map.
template <class Map, class Delete>
EEnd Remove(SPlay& p, Delete del)
{
    const GLsizei n = p.a.I32(0);
    const uint32_t* recorded = nullptr;
    if (EEnd refused; !RecordedNames(p, n, recorded, refused))
        return refused;
    std::vector<GLuint> host(static_cast<size_t>(n));
    for (GLsizei i = 0; i < n; ++i) {
        host[size_t(i)] = Map::Get(recorded[i]);
        Map::Erase(recorded[i]);
    }
    if (n > 0)
        del(n, host.data());
    return EEnd::Common;
}

// The host name of a recorded buffer, framebuffer or renderbuffer, generated when unknown.
template <class Map, class Gen>
GLuint HostObject(uint32_t recorded, Gen gen)
{
    GLuint host = Map::Get(recorded);
    if (host == kNoHostName) {
        gen(1, &host);
        Map::Set(recorded, host);
    }
    return host;
}

// ---- recorded data ----------------------------------------------------------------------------

// Bytes an upload of the image described at positions (width, height, format, type) reads under
// the host's unpack alignment; -1 when the format and type are unknown.
int64_t UploadSize(SPlay& p, size_t width, size_t height, size_t format, size_t type)
{
    return GetImageSize(p.a.U32(format), p.a.U32(type), p.a.I32(width), p.a.I32(height),
                        HostInt(p.gl, GL_UNPACK_ALIGNMENT), 0);
}

// Pixel bytes of an image argument when it holds the `needed` bytes; null with `refused` set when
// it holds fewer, null when nothing was recorded.
const void* Pixels(SPlay& p, const SImage2D* image, int64_t needed, bool& refused)
{
    const uint8_t* bytes = image ? image->GetData() : nullptr;
    if (!bytes)
        return nullptr;
    if (needed < 0 || image->size < uint64_t(needed)) {
        refused = true;
        Short(p, needed < 0 ? "the image (of a format and type not known here)" : "the image", image->size,
              uint64_t(std::max<int64_t>(needed, 0)));
        return nullptr;
    }
    return bytes;
}

// ---- draws ------------------------------------------------------------------------------------

size_t TypeSize(GLenum type)
{
    switch (type) {
    case GL_BYTE: case GL_UNSIGNED_BYTE: return 1;
    case GL_SHORT: case GL_UNSIGNED_SHORT: return 2;
    case 0x140B: return 2;  // GL_HALF_FLOAT
    default: return 4;
    }
}

// The number of vertices a draw reads (first + count, or the largest index + 1); false with a
// refusal when the indices cannot be read in full.
bool VerticesRead(SPlay& p, bool elements, GLuint elementBuffer, uint64_t& vertices)
{
    if (!elements) {
        const int64_t first = p.a.I32(1), count = p.a.I32(2);
        vertices = count > 0 ? uint64_t(std::max<int64_t>(first, 0) + count) : 0;
        return true;
    }
    const GLsizei count = p.a.I32(1);
    const GLenum type = p.a.U32(2);
    const uint64_t bytes = uint64_t(std::max(count, 0)) * IndexSize(type);
    std::vector<uint32_t> indices;
    if (elementBuffer) {
        // A range past the buffer gives no indices: the host refuses such a draw itself. Indices
        // that cannot be read leave the client blocks unchecked: the draw is refused.
        if (!ReadElementBufferIndices(p.gl, type, count, uint32_t(p.a.U64(4)), indices)) {
            PlaybackError("%s: the indices of the element buffer cannot be read here; the call is not played\n",
                          p.call.GetName());
            return false;
        }
    } else {
        const auto* block = p.a.As<SDataPtr>(3);
        const uint32_t held = block && block->GetData() ? block->size : 0;
        if (held < bytes) {
            Short(p, "the index block", held, bytes);
            return false;
        }
        WidenIndices(block ? block->GetData() : nullptr, held, type, count, indices);
    }
    vertices = VerticesOf(indices);
    return true;
}

// Whether attribute i, read from host buffer `buffer`, holds the vertices the draw reads. The
// vertices are counted once per draw (`counted`), and for an indexed draw only when the buffer
// cannot hold every vertex its index type addresses.
bool BufferArrayFits(SPlay& p, bool elements, GLuint elementBuffer, GLuint i, GLuint buffer, bool& counted,
                     uint64_t& vertices)
{
    GLint size = 0, type = 0, stride = 0;
    void* pointer = nullptr;
    XQF_HOST(p.gl, glGetVertexAttribiv)(i, GL_VERTEX_ATTRIB_ARRAY_SIZE, &size);
    XQF_HOST(p.gl, glGetVertexAttribiv)(i, GL_VERTEX_ATTRIB_ARRAY_TYPE, &type);
    XQF_HOST(p.gl, glGetVertexAttribiv)(i, GL_VERTEX_ATTRIB_ARRAY_STRIDE, &stride);
    XQF_HOST(p.gl, glGetVertexAttribPointerv)(i, GL_VERTEX_ATTRIB_ARRAY_POINTER, &pointer);
    const uint64_t element = uint64_t(std::max(size, 0)) * TypeSize(GLenum(type));
    const uint64_t offset = reinterpret_cast<uintptr_t>(pointer);
    const uint64_t held = HostArrayBufferSize(p.gl, buffer, 0);
    if (!counted && elements &&
        ArrayReadEnd(offset, uint64_t(std::max(stride, 0)), element, MaxVerticesOf(p.a.U32(2))) <= held)
        return true;
    if (!counted) {
        counted = true;
        if (!VerticesRead(p, elements, elementBuffer, vertices))
            return false;
    }
    return ArrayReadFits(p.call.GetName(), ArrayReadEnd(offset, uint64_t(std::max(stride, 0)), element, vertices),
                         held);
}

// Points every enabled host attribute without a buffer at its captured block (stride 0), in
// attribute order; refuses the draw when a block or an attribute's buffer is shorter than the
// vertices read.
EEnd BindClientBlocks(SPlay& p, bool elements)
{
    const xqft_es2::CCapturedBlocks* blocks = CapturedBlocksOf(&p.call);
    const GLuint elementBuffer = elements ? GLuint(HostInt(p.gl, GL_ELEMENT_ARRAY_BUFFER_BINDING)) : 0;
    const GLint arrayBuffer = HostInt(p.gl, GL_ARRAY_BUFFER_BINDING);
    if (!elements)
        XQF_HOST(p.gl, glGetError)();
    XQF_HOST(p.gl, glBindBuffer)(GL_ARRAY_BUFFER, 0);
    const GLint attributes = HostInt(p.gl, GL_MAX_VERTEX_ATTRIBS);
    uint64_t vertices = 0;
    bool counted = false;
    uint32_t k = 0;
    EEnd end = EEnd::Common;
    for (GLint i = 0; i < attributes && end != EEnd::Fail; ++i) {
        GLint enabled = 0, buffer = 0;
        void* pointer = nullptr;
        XQF_HOST(p.gl, glGetVertexAttribiv)(GLuint(i), GL_VERTEX_ATTRIB_ARRAY_ENABLED, &enabled);
        if (!enabled)
            continue;
        XQF_HOST(p.gl, glGetVertexAttribiv)(GLuint(i), GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING, &buffer);
        if (buffer != 0) {
            if (!BufferArrayFits(p, elements, elementBuffer, GLuint(i), GLuint(buffer), counted, vertices))
                end = EEnd::Fail;
            continue;
        }
        XQF_HOST(p.gl, glGetVertexAttribPointerv)(GLuint(i), GL_VERTEX_ATTRIB_ARRAY_POINTER, &pointer);
        if (!pointer)
            continue;
        GLint size = 0, type = 0, normalized = 0;
        XQF_HOST(p.gl, glGetVertexAttribiv)(GLuint(i), GL_VERTEX_ATTRIB_ARRAY_SIZE, &size);
        XQF_HOST(p.gl, glGetVertexAttribiv)(GLuint(i), GL_VERTEX_ATTRIB_ARRAY_TYPE, &type);
        XQF_HOST(p.gl, glGetVertexAttribiv)(GLuint(i), GL_VERTEX_ATTRIB_ARRAY_NORMALIZED, &normalized);
        if (!blocks || k >= blocks->Count()) {
            if (!elements)
                throw std::out_of_range("invalid vector<T> subscript");
            XQF_HOST(p.gl, glDisableVertexAttribArray)(GLuint(i));
            continue;
        }
        const xqft_es2::SCapturedBlock block = blocks->At(k++);
        if (!counted) {
            counted = true;
            if (!VerticesRead(p, elements, elementBuffer, vertices)) {
                end = EEnd::Fail;
                break;
            }
        }
        const uint64_t needed = vertices * uint64_t(std::max(size, 0)) * TypeSize(GLenum(type));
        if ((block.bytes ? block.size : 0) < needed) {
            end = Short(p, "a client-array block", block.bytes ? block.size : 0, needed);
            break;
        }
        XQF_HOST(p.gl, glVertexAttribPointer)(GLuint(i), size, GLenum(type), GLboolean(normalized), 0, block.bytes);
    }
    XQF_HOST(p.gl, glBindBuffer)(GL_ARRAY_BUFFER, GLuint(arrayBuffer));
    return end;
}

EEnd DrawArrays(SPlay& p)
{
    if (BindClientBlocks(p, false) == EEnd::Fail)
        return EEnd::Fail;
    XQF_HOST(p.gl, glDrawArrays)(p.a.U32(0), p.a.I32(1), p.a.I32(2));
    return EEnd::Common;
}

EEnd DrawElements(SPlay& p)
{
    const GLuint elementBuffer = GLuint(HostInt(p.gl, GL_ELEMENT_ARRAY_BUFFER_BINDING));
    if (elementBuffer && !ElementRangeFits(p.gl, p.call.GetName(), p.a.U32(2), p.a.I32(1), uint32_t(p.a.U64(4))))
        return EEnd::Fail;
    if (BindClientBlocks(p, true) == EEnd::Fail)
        return EEnd::Fail;
    const GLsizei count = p.a.I32(1);
    const GLenum type = p.a.U32(2);
    const void* indices = nullptr;
    if (elementBuffer) {
        indices = reinterpret_cast<const void*>(uintptr_t(uint32_t(p.a.U64(4))));
    } else {
        // The index bytes were checked with the client blocks when any array is client-side.
        const auto* block = p.a.As<SDataPtr>(3);
        const uint64_t needed = uint64_t(std::max(count, 0)) * IndexSize(type);
        const uint32_t held = block && block->GetData() ? block->size : 0;
        if (held < needed)
            return Short(p, "the index block", held, needed);
        indices = block ? block->GetData() : nullptr;
    }
    p.playback.CheckEs2Error();
    XQF_HOST(p.gl, glDrawElements)(p.a.U32(0), count, type, indices);
    p.playback.CheckEs2Error();
    return EEnd::Common;
}

// ---- uniforms -----------------------------------------------------------------------------------

// The scalar forms: the location translated in the current host program, the values as recorded.
template <class R, class L, class... A>
EEnd Uniform(R (*fn)(L, A...), const CPlayArgs& a)
{
    [&]<size_t... I>(std::index_sequence<I...>) {
        fn(UniformLocationMap::Get(a.U32(0)), Scalar<A>(a, I + 1)...);
    }(std::index_sequence_for<A...>{});
    return EEnd::Common;
}

// The vector forms: location, count and the flat array of n values per element.
template <class Holder, class T>
EEnd UniformVector(SPlay& p, void (*fn)(GLint, GLsizei, const T*), int n)
{
    bool refused = false;
    const GLsizei count = p.a.I32(1);
    const uint32_t* v = Values<Holder>(p, 2, uint64_t(std::max(count, 0)) * uint64_t(n), refused);
    if (refused)
        return EEnd::Fail;
    fn(UniformLocationMap::Get(p.a.U32(0)), count, reinterpret_cast<const T*>(v));
    return EEnd::Common;
}

// The matrix forms: location, count, transpose and n values per element.
template <class Holder>
EEnd UniformMatrix(SPlay& p, void (*fn)(GLint, GLsizei, GLboolean, const GLfloat*), int n)
{
    bool refused = false;
    const GLsizei count = p.a.I32(1);
    const uint32_t* v = Values<Holder>(p, 3, uint64_t(std::max(count, 0)) * uint64_t(n), refused);
    if (refused)
        return EEnd::Fail;
    fn(UniformLocationMap::Get(p.a.U32(0)), count, GLboolean(p.a.U32(2)), reinterpret_cast<const GLfloat*>(v));
    return EEnd::Common;
}

template <class T, int N>
using Vector = SArrayPtr<T, N, 1>;
using Floats = TfloatType<22>;
using Ints = TintType<17>;
using Names = SArrayPtr<TuintType<21>, 1, 1>;

// The parameter-vector forms: target, name and the one value the host reads.
template <class Holder, class T>
EEnd ParameterVector(SPlay& p, void (*fn)(GLenum, GLenum, const T*))
{
    bool refused = false;
    const uint32_t* v = Values<Holder>(p, 2, 1, refused);
    if (refused)
        return EEnd::Fail;
    fn(p.a.U32(0), p.a.U32(1), reinterpret_cast<const T*>(v));
    return EEnd::Common;
}

// The generic attribute vector forms: index and N values, refused when none were recorded.
template <int N>
EEnd AttribVector(SPlay& p, void (*fn)(GLuint, const GLfloat*))
{
    auto* values = p.a.As<SPtr<Floats, N, 1>>(1);
    if (!values || values->pointer.value == 0)
        return Short(p, "the attribute values", 0, N * 4);
    fn(p.a.U32(0), reinterpret_cast<const GLfloat*>(values->GetData()));
    return EEnd::Common;
}

// ---- the table ----------------------------------------------------------------------------------

struct SEntry
{
    uint16_t slot;
    Handler play;
};

#define XQF_SLOT(fn) HostSlot(kEs2HostNames, #fn)
// Calls replayed exactly as recorded: the host function of the same name with the recorded scalars.
#define XQF_AS_RECORDED(fn) SEntry{XQF_SLOT(fn), [](SPlay& p) { return AsRecorded(XQF_HOST(p.gl, fn), p.a); }}
// Calls not replayed: the common end's error check only, or result 1 at once.
#define XQF_QUERY(fn) SEntry{XQF_SLOT(fn), [](SPlay&) { return EEnd::Common; }}
#define XQF_SKIPPED(fn) SEntry{XQF_SLOT(fn), [](SPlay&) { return EEnd::Done; }}
// A case of its own: XQF_CASE(glFoo) { ... return EEnd::...; }}
#define XQF_CASE(fn) SEntry{XQF_SLOT(fn), [](SPlay & p) -> EEnd
#define XQF_UNIFORM(fn) SEntry{XQF_SLOT(fn), [](SPlay& p) { return Uniform(XQF_HOST(p.gl, fn), p.a); }}
#define XQF_UNIFORM_V(fn, T, n)                                                                            \
    SEntry{XQF_SLOT(fn), [](SPlay& p) { return UniformVector<Vector<T, n>>(p, XQF_HOST(p.gl, fn), n); }}
#define XQF_ATTRIB_V(fn, n) SEntry{XQF_SLOT(fn), [](SPlay& p) { return AttribVector<n>(p, XQF_HOST(p.gl, fn)); }}
#define XQF_UNIFORM_M(fn, n)                                                                               \
    SEntry{XQF_SLOT(fn), [](SPlay& p) { return UniformMatrix<SArrayPtr<Floats, n, n>>(p, XQF_HOST(p.gl, fn), n * n); }}

const SEntry kEntries[] = {
    XQF_AS_RECORDED(glActiveTexture), XQF_AS_RECORDED(glBlendColor), XQF_AS_RECORDED(glBlendEquation),
    XQF_AS_RECORDED(glBlendEquationSeparate), XQF_AS_RECORDED(glBlendFunc), XQF_AS_RECORDED(glBlendFuncSeparate),
    XQF_AS_RECORDED(glClear), XQF_AS_RECORDED(glClearColor), XQF_AS_RECORDED(glClearDepthf),
    XQF_AS_RECORDED(glClearStencil), XQF_AS_RECORDED(glColorMask), XQF_AS_RECORDED(glCopyTexImage2D),
    XQF_AS_RECORDED(glCopyTexSubImage2D), XQF_AS_RECORDED(glCullFace), XQF_AS_RECORDED(glDepthFunc),
    XQF_AS_RECORDED(glDepthMask), XQF_AS_RECORDED(glDepthRangef), XQF_AS_RECORDED(glDisable),
    XQF_AS_RECORDED(glDisableVertexAttribArray), XQF_AS_RECORDED(glEnable), XQF_AS_RECORDED(glEnableVertexAttribArray),
    XQF_AS_RECORDED(glFinish), XQF_AS_RECORDED(glFlush), XQF_AS_RECORDED(glFrontFace),
    XQF_AS_RECORDED(glGenerateMipmap), XQF_AS_RECORDED(glHint), XQF_AS_RECORDED(glLineWidth),
    XQF_AS_RECORDED(glPixelStorei), XQF_AS_RECORDED(glPolygonOffset), XQF_AS_RECORDED(glReleaseShaderCompiler),
    XQF_AS_RECORDED(glRenderbufferStorage), XQF_AS_RECORDED(glSampleCoverage), XQF_AS_RECORDED(glScissor),
    XQF_AS_RECORDED(glStencilFunc), XQF_AS_RECORDED(glStencilFuncSeparate), XQF_AS_RECORDED(glStencilMask),
    XQF_AS_RECORDED(glStencilMaskSeparate), XQF_AS_RECORDED(glStencilOp), XQF_AS_RECORDED(glStencilOpSeparate),
    XQF_AS_RECORDED(glTexParameterf), XQF_AS_RECORDED(glTexParameteri), XQF_AS_RECORDED(glVertexAttrib1f),
    XQF_AS_RECORDED(glVertexAttrib2f), XQF_AS_RECORDED(glVertexAttrib3f), XQF_AS_RECORDED(glVertexAttrib4f),

    SEntry{XQF_SLOT(glTexParameterfv), [](SPlay& p) { return ParameterVector<Vector<Floats, 1>>(p, XQF_HOST(p.gl, glTexParameterfv)); }},
    SEntry{XQF_SLOT(glTexParameteriv), [](SPlay& p) { return ParameterVector<Vector<TGLenum, 1>>(p, XQF_HOST(p.gl, glTexParameteriv)); }},
    XQF_ATTRIB_V(glVertexAttrib1fv, 1), XQF_ATTRIB_V(glVertexAttrib2fv, 2), XQF_ATTRIB_V(glVertexAttrib3fv, 3),
    XQF_ATTRIB_V(glVertexAttrib4fv, 4),

    XQF_UNIFORM(glUniform1f), XQF_UNIFORM(glUniform1i), XQF_UNIFORM(glUniform2f), XQF_UNIFORM(glUniform2i),
    XQF_UNIFORM(glUniform3f), XQF_UNIFORM(glUniform3i), XQF_UNIFORM(glUniform4f), XQF_UNIFORM(glUniform4i),
    XQF_UNIFORM_V(glUniform1fv, Floats, 1), XQF_UNIFORM_V(glUniform2fv, Floats, 2), XQF_UNIFORM_V(glUniform3fv, Floats, 3),
    XQF_UNIFORM_V(glUniform4fv, Floats, 4), XQF_UNIFORM_V(glUniform1iv, Ints, 1), XQF_UNIFORM_V(glUniform2iv, Ints, 2),
    XQF_UNIFORM_V(glUniform3iv, Ints, 3), XQF_UNIFORM_V(glUniform4iv, Ints, 4),
    XQF_UNIFORM_M(glUniformMatrix2fv, 2), XQF_UNIFORM_M(glUniformMatrix3fv, 3), XQF_UNIFORM_M(glUniformMatrix4fv, 4),

    // Binds, making the host object of a name the host does not know yet.
    XQF_CASE(glBindBuffer) {
        const GLuint host = HostObject<BufferNameMap>(p.a.U32(1), XQF_HOST(p.gl, glGenBuffers));
        XQF_HOST(p.gl, glBindBuffer)(p.a.U32(0), host);
        return EEnd::Common;
    }},
    XQF_CASE(glBindRenderbuffer) {
        const GLuint host = HostObject<RenderbufferNameMap>(p.a.U32(1), XQF_HOST(p.gl, glGenRenderbuffers));
        XQF_HOST(p.gl, glBindRenderbuffer)(p.a.U32(0), host);
        return EEnd::Common;
    }},
    XQF_CASE(glBindFramebuffer) {
        const uint32_t recorded = p.a.U32(1);
        // All bits set stands for the framebuffer bound when the first ES 2.0 call was played.
        GLuint host = recorded == 0xFFFFFFFFu ? p.playback.m_defaultFramebuffer : FramebufferNameMap::Get(recorded);
        if (host == kNoHostName) {
            XQF_HOST(p.gl, glGenFramebuffers)(1, &host);
            FramebufferNameMap::Set(recorded, host);
        }
        XQF_HOST(p.gl, glBindFramebuffer)(p.a.U32(0), host);
        return EEnd::Common;
    }},
    XQF_CASE(glBindTexture) {
        const uint32_t recorded = p.a.U32(1);
        GLuint host = TextureNameMap::Get(recorded);
        if (recorded != 0 && host == 0) {
            XQF_HOST(p.gl, glGenTextures)(1, &host);
            TextureNameMap::Set(recorded, host);
        }
        XQF_HOST(p.gl, glBindTexture)(p.a.U32(0), host);
        return EEnd::Common;
    }},

    // Creation.
    XQF_CASE(glGenBuffers) { return Generate<BufferNameMap>(p, XQF_HOST(p.gl, glGenBuffers)); }},
    XQF_CASE(glGenFramebuffers) { return Generate<FramebufferNameMap>(p, XQF_HOST(p.gl, glGenFramebuffers)); }},
    XQF_CASE(glGenRenderbuffers) { return Generate<RenderbufferNameMap>(p, XQF_HOST(p.gl, glGenRenderbuffers)); }},
    XQF_CASE(glGenTextures) { return Generate<TextureNameMap>(p, XQF_HOST(p.gl, glGenTextures), true); }},
    XQF_CASE(glCreateProgram) {
        const uint32_t recorded = p.a.ReturnU32();
        if (ProgramNameMap::Get(recorded) != 0)
            return EEnd::Fail;
        ProgramNameMap::Set(recorded, XQF_HOST(p.gl, glCreateProgram)());
        return EEnd::Common;
    }},
    XQF_CASE(glCreateShader) {
        const uint32_t recorded = p.a.ReturnU32();
        if (ShaderNameMap::Get(recorded).host != 0)
            return EEnd::Fail;
        ShaderNameMap::Set(recorded, XQF_HOST(p.gl, glCreateShader)(p.a.U32(0)), 0, 0);
        return EEnd::Common;
    }},

    // Deletion.
    XQF_CASE(glDeleteBuffers) { return Remove<BufferNameMap>(p, XQF_HOST(p.gl, glDeleteBuffers)); }},
    XQF_CASE(glDeleteFramebuffers) { return Remove<FramebufferNameMap>(p, XQF_HOST(p.gl, glDeleteFramebuffers)); }},
    XQF_CASE(glDeleteRenderbuffers) { return Remove<RenderbufferNameMap>(p, XQF_HOST(p.gl, glDeleteRenderbuffers)); }},
    XQF_CASE(glDeleteTextures) { return Remove<TextureNameMap>(p, XQF_HOST(p.gl, glDeleteTextures)); }},
    XQF_CASE(glDeleteProgram) {
        XQF_HOST(p.gl, glDeleteProgram)(ProgramNameMap::Get(p.a.U32(0)));
        ProgramNameMap::Erase(p.a.U32(0));
        return EEnd::Common;
    }},
    XQF_CASE(glDeleteShader) {
        SHostShader e = ShaderNameMap::Get(p.a.U32(0));
        if (e.attached == 0) {
            ShaderNameMap::Erase(p.a.U32(0));
        } else {
            e.deletePending = 1;
            ShaderNameMap::SetEntry(p.a.U32(0), e);
        }
        XQF_HOST(p.gl, glDeleteShader)(e.host);
        return EEnd::Common;
    }},
    XQF_CASE(glDetachShader) {
        const SHostShader e = ShaderNameMap::Get(p.a.U32(1));
        XQF_HOST(p.gl, glDetachShader)(ProgramNameMap::Get(p.a.U32(0)), e.host);
        if (e.deletePending == 1)
            ShaderNameMap::Erase(p.a.U32(1));
        return EEnd::Common;
    }},

    // Programs and shaders.
    XQF_CASE(glAttachShader) {
        SHostShader e = ShaderNameMap::Get(p.a.U32(1));
        e.attached = 1;
        ShaderNameMap::SetEntry(p.a.U32(1), e);
        XQF_HOST(p.gl, glAttachShader)(ProgramNameMap::Get(p.a.U32(0)), e.host);
        return EEnd::Common;
    }},
    XQF_CASE(glBindAttribLocation) {
        const auto* name = p.a.As<SString>(2);
        if (!name || !name->Text())
            return Short(p, "the attribute name", 0, 1);
        XQF_HOST(p.gl, glBindAttribLocation)(ProgramNameMap::Get(p.a.U32(0)), p.a.U32(1), name->Text());
        return EEnd::Common;
    }},
    XQF_CASE(glCompileShader) {
        XQF_HOST(p.gl, glCompileShader)(ShaderNameMap::Get(p.a.U32(0)).host);
        return EEnd::Common;
    }},
    XQF_CASE(glLinkProgram) {
        XQF_HOST(p.gl, glLinkProgram)(ProgramNameMap::Get(p.a.U32(0)));
        return EEnd::Common;
    }},
    XQF_CASE(glGetProgramiv) {
        GLint ignored = 0;
        XQF_HOST(p.gl, glGetProgramiv)(ProgramNameMap::Get(p.a.U32(0)), p.a.U32(1), &ignored);
        return EEnd::Common;
    }},
    XQF_CASE(glUseProgram) {
        const GLuint host = ProgramNameMap::Get(p.a.U32(0));
        XQF_HOST(p.gl, glUseProgram)(host);
        UniformLocationMap::SetCurrentProgram(host);
        return EEnd::Done;
    }},
    XQF_CASE(glFramebufferRenderbuffer) {
        XQF_HOST(p.gl, glFramebufferRenderbuffer)(p.a.U32(0), p.a.U32(1), p.a.U32(2), RenderbufferNameMap::Get(p.a.U32(3)));
        return EEnd::Common;
    }},
    XQF_CASE(glFramebufferTexture2D) {
        XQF_HOST(p.gl, glFramebufferTexture2D)(p.a.U32(0), p.a.U32(1), p.a.U32(2), TextureNameMap::Get(p.a.U32(3)),
                                               p.a.I32(4));
        return EEnd::Common;
    }},
    XQF_CASE(glGetUniformLocation) {
        const GLuint program = ProgramNameMap::Get(p.a.U32(0));
        const auto* name = p.a.As<SString>(1);
        if (!name || !name->Text())
            return Short(p, "the uniform name", 0, 1);
        p.playback.CheckEs2Error();
        const GLint location = XQF_HOST(p.gl, glGetUniformLocation)(program, name->Text());
        const GLboolean isProgram = XQF_HOST(p.gl, glIsProgram)(program);
        p.playback.CheckEs2Error();
        if (isProgram == GL_TRUE)
            UniformLocationMap::Set(program, p.a.ReturnU32(), location);
        return EEnd::Common;
    }},

    // Recorded data: handed over only when it holds what the host reads.
    XQF_CASE(glBufferData) {
        const auto* data = p.a.As<SDataPtr>(2);
        const int64_t size = p.a.I32(1);
        const uint8_t* bytes = data ? data->GetData() : nullptr;
        if (bytes && size > 0 && data->size < uint64_t(size))
            return Short(p, "the data", data->size, uint64_t(size));
        XQF_HOST(p.gl, glBufferData)(p.a.U32(0), size, bytes, p.a.U32(3));
        return EEnd::Common;
    }},
    XQF_CASE(glBufferSubData) {
        const auto* data = p.a.As<SDataPtr>(3);
        const int64_t size = p.a.I32(2);
        const uint8_t* bytes = data ? data->GetData() : nullptr;
        const uint64_t held = bytes ? data->size : 0;
        if (size > 0 && held < uint64_t(size))
            return Short(p, "the data", held, uint64_t(size));
        XQF_HOST(p.gl, glBufferSubData)(p.a.U32(0), p.a.I32(1), size, bytes);
        return EEnd::Common;
    }},
    XQF_CASE(glTexImage2D) {
        if (!ImageSizeFits(p.gl, p.call.GetName(), p.a.U32(0), p.a.I32(3), p.a.I32(4)))
            return EEnd::Fail;
        bool refused = false;
        const void* pixels = Pixels(p, p.a.As<SImage2D>(8), UploadSize(p, 3, 4, 6, 7), refused);
        if (refused)
            return EEnd::Fail;
        XQF_HOST(p.gl, glTexImage2D)(p.a.U32(0), p.a.I32(1), p.a.I32(2), p.a.I32(3), p.a.I32(4), p.a.I32(5), p.a.U32(6),
                                     p.a.U32(7), pixels);
        return EEnd::Common;
    }},
    XQF_CASE(glTexSubImage2D) {
        if (!SubImageFits(p.gl, p.call.GetName(), p.a.U32(0), p.a.I32(1), p.a.I32(2), p.a.I32(3), p.a.I32(4),
                          p.a.I32(5)))
            return EEnd::Fail;
        bool refused = false;
        const int64_t needed = UploadSize(p, 4, 5, 6, 7);
        const void* pixels = Pixels(p, p.a.As<SImage2D>(8), needed, refused);
        if (refused)
            return EEnd::Fail;
        if (!pixels && needed > 0)  // a sub-image update always reads its pixels
            return Short(p, "the image", 0, uint64_t(needed));
        XQF_HOST(p.gl, glTexSubImage2D)(p.a.U32(0), p.a.I32(1), p.a.I32(2), p.a.I32(3), p.a.I32(4), p.a.I32(5),
                                        p.a.U32(6), p.a.U32(7), pixels);
        return EEnd::Common;
    }},
    XQF_CASE(glCompressedTexImage2D) {
        if (!ImageSizeFits(p.gl, p.call.GetName(), p.a.U32(0), p.a.I32(3), p.a.I32(4)))
            return EEnd::Fail;
        bool refused = false;
        const void* data = Pixels(p, p.a.As<SImage2D>(7), p.a.I32(6), refused);
        if (refused)
            return EEnd::Fail;
        XQF_HOST(p.gl, glCompressedTexImage2D)(p.a.U32(0), p.a.I32(1), p.a.U32(2), p.a.I32(3), p.a.I32(4), p.a.I32(5),
                                               p.a.I32(6), data);
        return EEnd::Common;
    }},
    XQF_CASE(glCompressedTexSubImage2D) {
        if (!SubImageFits(p.gl, p.call.GetName(), p.a.U32(0), p.a.I32(1), p.a.I32(2), p.a.I32(3), p.a.I32(4),
                          p.a.I32(5)))
            return EEnd::Fail;
        bool refused = false;
        const auto* image = p.a.As<SImage2D>(8);
        const void* data = Pixels(p, image, p.a.I32(7), refused);
        if (refused)
            return EEnd::Fail;
        if (!data && p.a.I32(7) > 0)
            return Short(p, "the image", 0, uint64_t(p.a.I32(7)));
        XQF_HOST(p.gl, glCompressedTexSubImage2D)(p.a.U32(0), p.a.I32(1), p.a.I32(2), p.a.I32(3), p.a.I32(4), p.a.I32(5),
                                                  p.a.U32(6), p.a.I32(7), data);
        return EEnd::Common;
    }},
    XQF_CASE(glShaderSource) {
        const GLsizei count = p.a.I32(1);
        auto* strings = p.a.As<SArrayPtr<SString, 1, 1>>(2);
        const size_t held = strings ? strings->ElementCount() : 0;
        if (count < 0 || size_t(count) > held)
            return Short(p, "the string array", held, uint64_t(std::max(count, 0)));
        std::string joined;
        for (GLsizei i = 0; i < count; ++i)
            if (const char* text = (*strings)[size_t(i)].Text())
                joined += text;
        const char* source = joined.c_str();
        const GLint length = GLint(joined.size());
        XQF_HOST(p.gl, glShaderSource)(ShaderNameMap::Get(p.a.U32(0)).host, 1, &source, &length);
        return EEnd::Common;
    }},
    XQF_CASE(glShaderBinary) {
        const GLsizei count = p.a.I32(0);
        auto* names = p.a.As<Names>(1);
        const size_t held = names ? names->ElementCount() : 0;
        if (count < 0 || size_t(count) > held)
            return Short(p, "the shaders array", held * 4, uint64_t(std::max(count, 0)) * 4);
        const auto* binary = p.a.As<SDataPtr>(3);
        const GLsizei length = p.a.I32(4);
        const uint8_t* bytes = binary ? binary->GetData() : nullptr;
        if (length > 0 && (bytes ? binary->size : 0) < uint64_t(length))
            return Short(p, "the binary", bytes ? binary->size : 0, uint64_t(length));
        std::vector<GLuint> hosts(static_cast<size_t>(count));
        for (GLsizei i = 0; i < count; ++i)
            hosts[size_t(i)] = ShaderNameMap::Get(names->GetData()[i]).host;
        XQF_HOST(p.gl, glShaderBinary)(count, hosts.data(), p.a.U32(2), bytes, length);
        return EEnd::Common;
    }},
    XQF_CASE(glVertexAttribPointer) {
        // With a buffer bound the pointer is an offset; else a placeholder the draws replace.
        XQF_HOST(p.gl, glVertexAttribPointer)(p.a.U32(0), p.a.I32(1), p.a.U32(2), GLboolean(p.a.U32(3)), p.a.I32(4),
                                              reinterpret_cast<const void*>(uintptr_t(uint32_t(p.a.U64(5)))));
        return EEnd::Common;
    }},
    XQF_CASE(glDrawArrays) { return DrawArrays(p); }},
    XQF_CASE(glDrawElements) { return DrawElements(p); }},
    XQF_CASE(glViewport) {
        GLint width = p.a.I32(2), height = p.a.I32(3);
        const CPlayback& pb = p.playback;
        if (HostInt(p.gl, GL_FRAMEBUFFER_BINDING) == GLint(pb.m_defaultFramebuffer)) {
            if (pb.m_surfaceWidth != 0 && width > GLint(pb.m_surfaceWidth))
                width = GLint(pb.m_surfaceWidth);
            if (pb.m_surfaceHeight != 0 && height > GLint(pb.m_surfaceHeight))
                height = GLint(pb.m_surfaceHeight);
        }
        XQF_HOST(p.gl, glViewport)(p.a.I32(0), p.a.I32(1), width, height);
        return EEnd::Common;
    }},

    // Not replayed: queries whose answers only the application used.
    XQF_QUERY(glGetActiveAttrib), XQF_QUERY(glGetActiveUniform), XQF_QUERY(glGetAttachedShaders),
    XQF_QUERY(glGetAttribLocation), XQF_QUERY(glGetBooleanv), XQF_QUERY(glGetBufferParameteriv),
    XQF_QUERY(glGetError), XQF_QUERY(glGetFloatv), XQF_QUERY(glGetFramebufferAttachmentParameteriv),
    XQF_QUERY(glGetIntegerv), XQF_QUERY(glGetProgramInfoLog), XQF_QUERY(glGetRenderbufferParameteriv),
    XQF_QUERY(glGetShaderiv), XQF_QUERY(glGetShaderInfoLog), XQF_QUERY(glGetShaderPrecisionFormat),
    XQF_QUERY(glGetShaderSource), XQF_QUERY(glGetString), XQF_QUERY(glGetTexParameterfv),
    XQF_QUERY(glGetTexParameteriv), XQF_QUERY(glGetUniformfv), XQF_QUERY(glGetUniformiv),
    XQF_SKIPPED(glCheckFramebufferStatus), XQF_SKIPPED(glGetVertexAttribfv), XQF_SKIPPED(glGetVertexAttribiv),
    XQF_SKIPPED(glGetVertexAttribPointerv), XQF_SKIPPED(glIsBuffer), XQF_SKIPPED(glIsEnabled),
    XQF_SKIPPED(glIsFramebuffer), XQF_SKIPPED(glIsProgram), XQF_SKIPPED(glIsRenderbuffer), XQF_SKIPPED(glIsShader),
    XQF_SKIPPED(glIsTexture), XQF_SKIPPED(glReadPixels), XQF_SKIPPED(glValidateProgram),
};

// The handler of every slot; every function of the table has one.
const std::array<Handler, kEs2HostCount> kHandlers = [] {
    std::array<Handler, kEs2HostCount> handlers{};
    for (const SEntry& e : kEntries)
        handlers[e.slot] = e.play;
    return handlers;
}();

} // namespace

uint8_t CPlayback::CheckEs2Error()
{
    m_lastHostError = XQF_HOST(*SEs2Host::Instance(), glGetError)();
    if (m_lastHostError == 0)
        return 1;
    printf("OGLES2 Error Code: 0x%lx, Call= %s\n", long(m_lastHostError), m_callName.CStr() ? m_callName.CStr() : "");
    printf("\n");
    return 0;
}

uint8_t CPlayback::PlayEs2Call(STraceCall* entry, uint8_t)
{
    CApiCall& call = *entry->call;
    const CPlayArgs args(call);
    // A call that failed on the device changed nothing there: nothing of it reaches the host, and it
    // counts as played (a frame holding one still replays to its end).
    if (call.GetError()->value != 0) {
        printf("Es2 Call:Error. (Recorded GL_ERROR)");
        printf("\n");
        return 1;
    }
    if (HostEglInitialised == 0) {
        printf("Es2 Call:Error. Invalid context");
        printf("\n");
        return 0;
    }
    SEs2Host& gl = *SEs2Host::Instance();
    if (m_defaultFramebufferKnown == 0) {
        m_defaultFramebufferKnown = 1;
        m_defaultFramebuffer = GLuint(HostInt(gl, GL_FRAMEBUFFER_BINDING));
    }
    if (m_checkErrors == 1)
        m_callName = call.GetName();
    const uint32_t slot = uint32_t(call.GetId()) - kEs2HostFirstId;
    if (slot >= kEs2HostCount || !kHandlers[slot])
        return 0;
    SPlay play{*this, call, args, gl};
    switch (kHandlers[slot](play)) {
    case EEnd::Fail: return 0;
    case EEnd::Done: return 1;
    case EEnd::Common: break;
    }
    return m_checkErrors == 1 ? CheckEs2Error() : 1;
}

// Replays recorded OpenGL ES 2.0 calls on the host. Calls replayed as recorded need no code: their
// rows in Es2Calls.def say what each argument is (scalars by type code, object names and uniform
// locations by role, value arrays and fixed vectors by holder), and one generic player hands them to
// the host entry point of the same id, names translated through the name maps. Written by hand: the
// calls that make, bind or delete host objects (made lazily), those carrying data blocks, images,
// strings or client arrays (recorded data is handed over only when it holds every byte the host will
// read), and the draws. Rows marked not replayed are passed over.
#include "Diagnostics.h"
#include "PlayArgs.h"
#include "PlayRows.h"
#include "Playback.h"
#include "host/DrawIndices.h"
#include "host/HostChecks.h"
#include "host/HostTables.h"
#include "host/ShaderSourceCheck.h"
#include "maps/NameMaps.h"

#include "Es2DrawItems.h"
#include "Es2Records.h"
#include "data/TraceData.h"
#include "record/XqftError.h"
#include "state/PixelSize.h"
#include "values/ArrayHolders.h"
#include "values/DataHolders.h"

#include <EGL/egl.h>
#include <GLES2/gl2.h>
#include <GLES3/gl3.h>  // GL_HALF_FLOAT, a vertex type the host takes

#include "TextureUploads.h"  // after the GL headers, whose prototypes type its host calls

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

// glDrawElements' indices from format version 7: the index pointer (the block, with data), then
// with data only the offset into the bound element buffer.
template <>
struct playrows::TListedItem<xqft::es2::SDrawIndicesV7>
{
    static constexpr int count = 2, always = 1;
    static constexpr std::string_view second = "indicesOffset";
};
template <bool Second>
struct playrows::TItemRead<xqft::es2::SDrawIndicesV7, Second>
    : std::conditional_t<Second, playrows::TScalarRead<uint64_t>, playrows::TDataRead<SDataPtr>>
{
};

namespace {

using xqft::Role;

using SPlay = TPlay<SEs2Host>;

// The draws' arguments, read by name. Only the layout from format version 7 lists the index offset:
// an older record drawn from an element buffer has none to read (CPlayArgs throws).
using SDrawArraysCall = playrows::TCallOf<SPlay, xqft::es2::CEs2_glDrawArrays_v1>;
using SDrawElementsCall = playrows::TCallOf<SPlay, xqft::es2::CEs2_glDrawElements_v7>;

// A refused call: the host would read past what the trace carries.
EEnd Short(SPlay& p, const char* what, uint64_t have, uint64_t need)
{
    PlaybackError("%s: %s holds %llu bytes of the %llu the host reads; the call is not played\n", p.call.GetName(),
                  what, static_cast<unsigned long long>(have), static_cast<unsigned long long>(need));
    return EEnd::Fail;
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
    return p.a.Values(*array);
}

// ---- names ------------------------------------------------------------------------------------

// The recorded names of a glGen* or glDelete* (the array of the call's "n" names: "buffers" ...),
// n of them (null when n is 0: a trace without data holds a bare pointer there). False, with the
// call refused, when they are fewer.
template <xqft::FixedString Array, class Call>
bool RecordedNames(Call& p, GLsizei n, const uint32_t*& recorded, EEnd& refused)
{
    auto* names = p.template Item<Array>().data;
    const size_t held = names ? names->ElementCount() : 0;
    if (n < 0 || size_t(n) > held) {
        refused = Short(p, "the names array", held * 4, uint64_t(std::max(n, 0)) * 4);
        return false;
    }
    recorded = names ? p.a.Values(*names) : nullptr;
    return true;
}

// A create or gen call whose recorded result is a name already live: no driver hands one out twice,
// so the trace is corrupt, and the host must not see objects paired in ways no trace can make.
EEnd LiveName(SPlay& p, uint32_t name)
{
    PlaybackError("%s: it returned name %u, which is live already; the call is not played\n", p.call.GetName(), name);
    return EEnd::Fail;
}

// The host's log of a shader or program, on one line and bounded (a log may run to pages).
template <class InfoLog>
std::string HostLog(InfoLog infoLog, GLuint object)
{
    char text[512] = {};
    GLsizei length = 0;
    infoLog(object, GLsizei(sizeof text), &length, text);
    std::string log(text, size_t(std::clamp<GLsizei>(length, 0, GLsizei(sizeof text) - 1)));
    std::string line;
    for (char c : log)
        if (c == '\n' || c == '\r')
            line += "; ";
        else
            line += c;
    while (!line.empty() && (line.back() == ' ' || line.back() == ';'))
        line.pop_back();
    return line.empty() ? "no log" : line;
}

// A compile or link the host refused is said where it happens, with the host's log: the calls that
// use the shader or program later fail for this reason (the device took them: the trace records no
// error). A link failure is an ERROR, as in the restore; a compile failure a warning, since the
// shader may never be linked. Nothing is asked about a name the host does not know.
template <class Call>
void ReportCompile(Call& p, GLuint shader)
{
    if (!XQF_HOST(p.gl, glIsShader)(shader))
        return;
    GLint compiled = 1;
    XQF_HOST(p.gl, glGetShaderiv)(shader, GL_COMPILE_STATUS, &compiled);
    if (!compiled)
        PlaybackWarning("%s: shader %u did not compile on the host: %s\n", p.call.GetName(),
                        p.template Item<"shader">(),
                        HostLog(XQF_HOST(p.gl, glGetShaderInfoLog), shader).c_str());
}

template <class Call>
void ReportLink(Call& p, GLuint program)
{
    if (!XQF_HOST(p.gl, glIsProgram)(program))
        return;
    GLint linked = 1;
    XQF_HOST(p.gl, glGetProgramiv)(program, GL_LINK_STATUS, &linked);
    if (!linked)
        PlaybackError("%s: program %u did not link on the host: %s\n", p.call.GetName(),
                      p.template Item<"program">(),
                      HostLog(XQF_HOST(p.gl, glGetProgramInfoLog), program).c_str());
}

// glGen* of buffers, framebuffers, renderbuffers, textures: n host names, paired with the recorded
// ones (the call's array `Array`).
template <class Map, xqft::FixedString Array, class Call, class Gen>
EEnd Generate(Call& p, Gen gen, bool keepMappedTextures = false)
{
    const GLsizei n = p.template Item<"n">();
    const uint32_t* recorded = nullptr;
    if (EEnd refused; !RecordedNames<Array>(p, n, recorded, refused))
        return refused;
    if (keepMappedTextures && n > 0 && Map::Get(recorded[0]) != 0)
        return EEnd::Common;  // the first name is known on the host already
    if (!keepMappedTextures)
        for (GLsizei i = 0; i < n; ++i)
            if (Map::Get(recorded[i]) != Map::kAbsent)
                return LiveName(p, recorded[i]);
    std::vector<GLuint> host(static_cast<size_t>(n));
    if (n > 0)
        gen(n, host.data());
    for (GLsizei i = 0; i < n; ++i)
        Map::Set(recorded[i], host[size_t(i)]);
    return EEnd::Common;
}

// glDelete* of buffers, framebuffers, renderbuffers, textures: the host names of the recorded ones
// (the map's absent value when unknown), each erased from the map.
template <class Map, xqft::FixedString Array, class Call, class Delete>
EEnd Remove(Call& p, Delete del)
{
    const GLsizei n = p.template Item<"n">();
    const uint32_t* recorded = nullptr;
    if (EEnd refused; !RecordedNames<Array>(p, n, recorded, refused))
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

// How the shared texture uploads read an ES 2.0 image argument (TextureUploads.h): one recorded
// without its bytes hands the host none.
struct SEs2Uploads
{
    static const void* Image(SPlay& p, playrows::TPointerArg<SImage2D> image, int64_t needed, bool always,
                             bool& refused)
    {
        const void* bytes = Pixels(p, image.data, needed, refused);
        if (refused || bytes || !always)
            return bytes;
        refused = true;
        Short(p, needed < 0 ? "the image (of a format and type not known here)" : "the image", 0,
              uint64_t(std::max<int64_t>(needed, 0)));
        return nullptr;
    }
    static void BeforeSubImage(SPlay&) {}
};

// ---- draws ------------------------------------------------------------------------------------

size_t TypeSize(GLenum type)
{
    switch (type) {
    case GL_BYTE: case GL_UNSIGNED_BYTE: return 1;
    case GL_SHORT: case GL_UNSIGNED_SHORT: return 2;
    case GL_HALF_FLOAT: return 2;
    default: return 4;
    }
}

// The number of vertices a draw reads (first + count, or the largest index + 1); false with a
// refusal when the indices cannot be read in full.
bool VerticesRead(SPlay& p, bool elements, GLuint elementBuffer, uint64_t& vertices)
{
    if (!elements) {
        const SDrawArraysCall draw{p};
        const int64_t first = draw.Item<"first">(), count = draw.Item<"count">();
        vertices = count > 0 ? uint64_t(std::max<int64_t>(first, 0) + count) : 0;
        return true;
    }
    const SDrawElementsCall draw{p};
    const GLsizei count = draw.Item<"count">();
    const GLenum type = draw.Item<"type">();
    const uint64_t bytes = uint64_t(std::max(count, 0)) * IndexSize(type);
    if (elementBuffer) {
        // A range past the buffer gives no indices: the host refuses such a draw itself. Indices
        // that cannot be read leave the client blocks unchecked: the draw is refused.
        if (!ElementBufferVertices(p.gl, elementBuffer, type, count, uint32_t(draw.Item<"indicesOffset">()),
                                   vertices)) {
            PlaybackError("%s: the indices of the element buffer cannot be read here; the call is not played\n",
                          p.call.GetName());
            return false;
        }
        return true;
    }
    const auto* block = draw.Item<"indices">().data;
    const uint32_t held = block && block->GetData() ? block->size : 0;
    if (held < bytes) {
        Short(p, "the index block", held, bytes);
        return false;
    }
    std::vector<uint32_t> indices;
    WidenIndices(block ? block->GetData() : nullptr, held, type, count, indices);
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
    const uint64_t recordedStride = RecordedArrayStride(i, stride);
    if (!counted && elements && ArrayReadEnd(offset, recordedStride, element, MaxVerticesOf(SDrawElementsCall{p}.Item<"type">())) <= held)
        return true;
    if (!counted) {
        counted = true;
        if (!VerticesRead(p, elements, elementBuffer, vertices))
            return false;
    }
    return ArrayReadFits(p.call.GetName(), ArrayReadEnd(offset, recordedStride, element, vertices), held);
}

// Points every enabled host attribute without a buffer at its captured block (stride 0), in
// attribute order; refuses the draw when a block or an attribute's buffer is shorter than the
// vertices read.
EEnd BindClientBlocks(SPlay& p, bool elements)
{
    const xqft::es2::CCapturedBlocks* blocks = CapturedBlocksOf(&p.call);
    const uint32_t blockCount = blocks ? blocks->Count() : 0;  // once: a count walks the run's headers
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
        if (k >= blockCount) {
            if (!elements)
                throw CXqftError(kSubscriptError);
            XQF_HOST(p.gl, glDisableVertexAttribArray)(GLuint(i));
            continue;
        }
        const xqft::es2::SCapturedBlock block = blocks->At(k++);
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
        NoteArrayStride(GLuint(i), 0);
    }
    XQF_HOST(p.gl, glBindBuffer)(GL_ARRAY_BUFFER, GLuint(arrayBuffer));
    return end;
}

EEnd DrawArrays(SPlay& play)
{
    SDrawArraysCall p{play};
    const GLenum mode = p.Item<"mode">();
    const GLint first = p.Item<"first">();
    const GLsizei count = p.Item<"count">();
    if (!DrawCountFits(p.call.GetName(), mode, first, count) || BindClientBlocks(p, false) == EEnd::Fail)
        return EEnd::Fail;
    XQF_HOST(p.gl, glDrawArrays)(mode, first, count);
    return EEnd::Common;
}

EEnd DrawElements(SPlay& play)
{
    SDrawElementsCall p{play};
    const GLenum mode = p.Item<"mode">();
    if (!DrawCountFits(p.call.GetName(), mode, 0, p.Item<"count">()))
        return EEnd::Fail;
    const GLuint elementBuffer = GLuint(HostInt(p.gl, GL_ELEMENT_ARRAY_BUFFER_BINDING));
    if (elementBuffer && !ElementRangeFits(p.gl, p.call.GetName(), p.Item<"type">(), p.Item<"count">(),
                                           uint32_t(p.Item<"indicesOffset">())))
        return EEnd::Fail;
    if (BindClientBlocks(p, true) == EEnd::Fail)
        return EEnd::Fail;
    const GLsizei count = p.Item<"count">();
    const GLenum type = p.Item<"type">();
    const void* indices = nullptr;
    if (elementBuffer) {
        indices = reinterpret_cast<const void*>(uintptr_t(uint32_t(p.Item<"indicesOffset">())));
    } else {
        // The index bytes were checked with the client blocks when any array is client-side.
        const auto* block = p.Item<"indices">().data;
        const uint64_t needed = uint64_t(std::max(count, 0)) * IndexSize(type);
        const uint32_t held = block && block->GetData() ? block->size : 0;
        if (held < needed)
            return Short(p, "the index block", held, needed);
        indices = block ? block->GetData() : nullptr;
    }
    p.playback.CheckEs2Error();
    XQF_HOST(p.gl, glDrawElements)(mode, count, type, indices);
    p.playback.CheckEs2Error();
    return EEnd::Common;
}

// ---- the generic player: what each row item hands to the host ----------------------------------

// The scalars handed to the host, by type code, and the host parameter type of one: its recorded
// value type, but a byte for GLboolean.
template <class Holder>
constexpr bool kHostScalar = Holder::kCode == TGLenum::kCode || Holder::kCode == TGLboolean::kCode ||
                             Holder::kCode == TGLbitfield::kCode || Holder::kCode == TGLint::kCode ||
                             Holder::kCode == TGLsizei::kCode || Holder::kCode == TGLuint::kCode ||
                             Holder::kCode == TGLfloat::kCode || Holder::kCode == TGLclampf::kCode;
template <class Holder>
using THostScalar =
    std::conditional_t<Holder::kCode == TGLboolean::kCode, GLboolean, typename Holder::ValueType>;

// The host object of a recorded name by its role (the map's absent value when unknown).
template <Role R>
auto HostName(uint32_t recorded)
{
    if constexpr (R == Role::Program)
        return ProgramNameMap::Get(recorded);
    else if constexpr (R == Role::Shader)
        return ShaderNameMap::Get(recorded).host;
    else if constexpr (R == Role::Texture)
        return TextureNameMap::Get(recorded);
    else if constexpr (R == Role::Buffer)
        return BufferNameMap::Get(recorded);
    else if constexpr (R == Role::Framebuffer)
        return FramebufferNameMap::Get(recorded);
    else if constexpr (R == Role::Renderbuffer)
        return RenderbufferNameMap::Get(recorded);
    else {
        static_assert(R == Role::Location, "a role the ES 2.0 player does not translate");
        return UniformLocationMap::Get(recorded);  // in the current host program
    }
}

// One row item as one host argument: whether the generic player can hand it over, its host type,
// and its value read from the call's description at its position. `needed` is the number of values
// the host reads from an array argument; `refused` is set (after the error line) when the recorded
// data cannot be handed over.
template <class Item>
struct TPlayItem
{
    static constexpr bool kPlayable = false;
    static constexpr uint64_t kPerElement = 0;  // values per element of an array argument
    using Host = int;
};

template <auto Name, class Holder, Role R>
struct TPlayItem<xqft::Arg<Name, Holder, R>>
{
    static constexpr bool kPlayable = kHostScalar<Holder>;
    static constexpr uint64_t kPerElement = 0;
    using Host = THostScalar<Holder>;
    static Host Get(SPlay& p, size_t i, uint64_t, bool&)
    {
        if constexpr (R != Role::None)
            return Host(HostName<R>(p.a.U32(i)));
        else if constexpr (std::is_floating_point_v<Host>)
            return p.a.F32(i);
        else if constexpr (std::is_signed_v<Host>)
            return Host(p.a.I32(i));
        else
            return Host(p.a.U32(i));  // 8-bit values as their low 8 bits
    }
};

// An array of values (uniform vectors and matrices, parameter vectors): its values when it holds as
// many as the host reads.
template <auto Name, class T, int A, int B>
struct TPlayItem<xqft::DataOrPointer<Name, SArrayPtr<T, A, B>, Role::None>>
{
    static constexpr bool kPlayable = Scalar32Holder<T>;
    static constexpr uint64_t kPerElement = uint64_t(A) * uint64_t(B);
    using Host = const void*;
    static Host Get(SPlay& p, size_t i, uint64_t needed, bool& refused)
    {
        return Values<SArrayPtr<T, A, B>>(p, i, needed, refused);
    }
};

// A fixed vector (a generic attribute's values): refused when none were recorded.
template <auto Name, class T, int A, int B>
struct TPlayItem<xqft::DataOrPointer<Name, SPtr<T, A, B>, Role::None>>
{
    static constexpr bool kPlayable = Scalar32Holder<T>;
    static constexpr uint64_t kPerElement = 0;
    using Host = const void*;
    static Host Get(SPlay& p, size_t i, uint64_t, bool& refused)
    {
        auto* values = p.a.As<SPtr<T, A, B>>(i);
        if (!values || values->pointer.value == 0) {
            refused = true;
            Short(p, "the attribute values", 0, uint64_t(A) * B * 4);
            return nullptr;
        }
        return values->GetData();
    }
};

// An array the row sizes by another item: the array itself, checked against what that item sets.
template <auto Size, class Item>
struct TPlayItem<xqft::SizedBy<Size, Item>> : TPlayItem<Item>
{
};

// The values of each element of the row's array, if it has one (0 without).
template <class Items, size_t... I>
consteval uint64_t PerElement(std::index_sequence<I...>)
{
    return (TPlayItem<std::tuple_element_t<I, Items>>::kPerElement + ... + 0);
}

// How many values the row's array must hold: as many elements as the item the row sizes it by
// counts, or one for a parameter name (every ES 2.0 parameter the host takes by array is one value).
template <class Items>
struct TValuesNeeded
{
    static uint64_t Of(SPlay& p)
    {
        constexpr uint64_t perElement = PerElement<Items>(std::make_index_sequence<std::tuple_size_v<Items>>{});
        constexpr playrows::SArraySize size = playrows::ArraySizeOf<Items>();
        static_assert(perElement == 0 || size.at >= 0, "an array the generic player hands over needs SizedBy<> in its row");
        if constexpr (perElement == 0)
            return 0;
        else if constexpr (size.byParameter)
            return perElement;
        else
            return uint64_t(std::max(p.a.I32(size_t(size.at)), 0)) * perElement;
    }
};

// The generic player (playrows): every item one host argument.
using SEs2Player = playrows::TEachItemPlayer<SPlay, TPlayItem, TValuesNeeded>;

using Names = SArrayPtr<TGLuint, 1, 1>;

// Every row with its traits and its generic player.
using SRowPlay = playrows::TRowPlay<SPlay>;

constexpr SRowPlay kRows[] = {
#define XQF_PLAYER SEs2Player
#define XQF_PLAY_FAMILY xqft::es2
#define XQF_TABLE "Es2Calls.def"
#include "PlayRows.inc"
};

// The record classes of every row.
using SRecords = playrows::TRecordList<playrows::SNoRecord
#define XQF_PLAY_FAMILY xqft::es2
#define XQF_TABLE "Es2Calls.def"
#include "PlayRecords.inc"
                                       >;

// The call of a case's function as its case reads it: p.Item<"name">().
template <uint16_t Slot>
using TCall = playrows::TCallOfFunction<SPlay, uint16_t(kEs2HostFirstId + Slot), SRecords>;

// ---- the hand-written cases ---------------------------------------------------------------------

using SCase = playrows::TCase<SPlay>;

#define XQF_SLOT(fn) HostSlot(kEs2HostNames, #fn)
// A case of its own: XQF_CASE(glFoo) { ... return EEnd::...; }}
#define XQF_CASE(fn) SCase{XQF_SLOT(fn), [](TCall<XQF_SLOT(fn)> & p) -> EEnd

constexpr SCase kCases[] = {
    // Binds, making the host object of a name the host does not know yet.
    XQF_CASE(glBindBuffer) {
        const GLuint host = HostObject<BufferNameMap>(p.Item<"buffer">(), XQF_HOST(p.gl, glGenBuffers));
        XQF_HOST(p.gl, glBindBuffer)(p.Item<"target">(), host);
        return EEnd::Common;
    }},
    XQF_CASE(glBindRenderbuffer) {
        const GLuint host = HostObject<RenderbufferNameMap>(p.Item<"renderbuffer">(), XQF_HOST(p.gl, glGenRenderbuffers));
        XQF_HOST(p.gl, glBindRenderbuffer)(p.Item<"target">(), host);
        return EEnd::Common;
    }},
    XQF_CASE(glBindFramebuffer) {
        const uint32_t recorded = p.Item<"framebuffer">();
        // All bits set stands for the framebuffer bound when the first ES 2.0 call was played.
        GLuint host = recorded == 0xFFFFFFFFu ? p.playback.m_defaultFramebuffer : FramebufferNameMap::Get(recorded);
        if (host == kNoHostName) {
            XQF_HOST(p.gl, glGenFramebuffers)(1, &host);
            FramebufferNameMap::Set(recorded, host);
        }
        XQF_HOST(p.gl, glBindFramebuffer)(p.Item<"target">(), host);
        return EEnd::Common;
    }},
    XQF_CASE(glBindTexture) {
        const uint32_t recorded = p.Item<"texture">();
        GLuint host = TextureNameMap::Get(recorded);
        if (recorded != 0 && host == 0) {
            XQF_HOST(p.gl, glGenTextures)(1, &host);
            TextureNameMap::Set(recorded, host);
        }
        XQF_HOST(p.gl, glBindTexture)(p.Item<"target">(), host);
        return EEnd::Common;
    }},

    // Creation.
    XQF_CASE(glGenBuffers) { return Generate<BufferNameMap, "buffers">(p, XQF_HOST(p.gl, glGenBuffers)); }},
    XQF_CASE(glGenFramebuffers) { return Generate<FramebufferNameMap, "framebuffers">(p, XQF_HOST(p.gl, glGenFramebuffers)); }},
    XQF_CASE(glGenRenderbuffers) { return Generate<RenderbufferNameMap, "renderbuffers">(p, XQF_HOST(p.gl, glGenRenderbuffers)); }},
    XQF_CASE(glGenTextures) { return Generate<TextureNameMap, "textures">(p, XQF_HOST(p.gl, glGenTextures), true); }},
    XQF_CASE(glCreateProgram) {
        const uint32_t recorded = p.a.ReturnU32();
        if (ProgramNameMap::Get(recorded) != 0)
            return LiveName(p, recorded);
        ProgramNameMap::Set(recorded, XQF_HOST(p.gl, glCreateProgram)());
        return EEnd::Common;
    }},
    XQF_CASE(glCreateShader) {
        const uint32_t recorded = p.a.ReturnU32();
        if (ShaderNameMap::Get(recorded).host != 0)
            return LiveName(p, recorded);
        ShaderNameMap::Set(recorded, XQF_HOST(p.gl, glCreateShader)(p.Item<"type">()), 0, 0);
        return EEnd::Common;
    }},

    // Deletion.
    XQF_CASE(glDeleteBuffers) {
        BufferContentsChanged();
        return Remove<BufferNameMap, "buffers">(p, XQF_HOST(p.gl, glDeleteBuffers));
    }},
    XQF_CASE(glDeleteFramebuffers) { return Remove<FramebufferNameMap, "framebuffers">(p, XQF_HOST(p.gl, glDeleteFramebuffers)); }},
    XQF_CASE(glDeleteRenderbuffers) { return Remove<RenderbufferNameMap, "renderbuffers">(p, XQF_HOST(p.gl, glDeleteRenderbuffers)); }},
    XQF_CASE(glDeleteTextures) { return Remove<TextureNameMap, "textures">(p, XQF_HOST(p.gl, glDeleteTextures)); }},
    XQF_CASE(glDeleteProgram) {
        XQF_HOST(p.gl, glDeleteProgram)(ProgramNameMap::Get(p.Item<"program">()));
        ProgramNameMap::Erase(p.Item<"program">());
        return EEnd::Common;
    }},
    XQF_CASE(glDeleteShader) {
        SHostShader e = ShaderNameMap::Get(p.Item<"shader">());
        if (e.attached == 0) {
            ShaderNameMap::Erase(p.Item<"shader">());
        } else {
            e.deletePending = 1;
            ShaderNameMap::SetEntry(p.Item<"shader">(), e);
        }
        XQF_HOST(p.gl, glDeleteShader)(e.host);
        return EEnd::Common;
    }},
    XQF_CASE(glDetachShader) {
        const SHostShader e = ShaderNameMap::Get(p.Item<"shader">());
        XQF_HOST(p.gl, glDetachShader)(ProgramNameMap::Get(p.Item<"program">()), e.host);
        if (e.deletePending == 1)
            ShaderNameMap::Erase(p.Item<"shader">());
        return EEnd::Common;
    }},

    // Programs and shaders.
    XQF_CASE(glAttachShader) {
        SHostShader e = ShaderNameMap::Get(p.Item<"shader">());
        e.attached = 1;
        ShaderNameMap::SetEntry(p.Item<"shader">(), e);
        XQF_HOST(p.gl, glAttachShader)(ProgramNameMap::Get(p.Item<"program">()), e.host);
        return EEnd::Common;
    }},
    XQF_CASE(glBindAttribLocation) {
        const auto* name = p.Item<"name">().data;
        if (!name || !name->Text())
            return Short(p, "the attribute name", 0, 1);
        XQF_HOST(p.gl, glBindAttribLocation)(ProgramNameMap::Get(p.Item<"program">()), p.Item<"index">(), name->Text());
        return EEnd::Common;
    }},
    XQF_CASE(glGetProgramiv) {
        GLint ignored = 0;
        XQF_HOST(p.gl, glGetProgramiv)(ProgramNameMap::Get(p.Item<"program">()), p.Item<"pname">(), &ignored);
        return EEnd::Common;
    }},
    XQF_CASE(glUseProgram) {
        const GLuint host = ProgramNameMap::Get(p.Item<"program">());
        XQF_HOST(p.gl, glUseProgram)(host);
        UniformLocationMap::SetCurrentProgram(host);
        return EEnd::Common;
    }},
    XQF_CASE(glCompileShader) {
        const GLuint host = ShaderNameMap::Get(p.Item<"shader">()).host;
        XQF_HOST(p.gl, glCompileShader)(host);
        ReportCompile(p, host);
        return EEnd::Common;
    }},
    XQF_CASE(glLinkProgram) {
        const GLuint host = ProgramNameMap::Get(p.Item<"program">());
        XQF_HOST(p.gl, glLinkProgram)(host);
        ReportLink(p, host);
        return EEnd::Common;
    }},
    XQF_CASE(glGetUniformLocation) {
        const GLuint program = ProgramNameMap::Get(p.Item<"program">());
        const auto* name = p.Item<"name">().data;
        if (!name || !name->Text())
            return Short(p, "the uniform name", 0, 1);
        // A program the host could not link has no uniforms, and some host libraries fault on the
        // lookup; the lookup would find nothing, so the pass goes on without it.
        GLint linked = 1;
        if (XQF_HOST(p.gl, glIsProgram)(program))
            XQF_HOST(p.gl, glGetProgramiv)(program, GL_LINK_STATUS, &linked);
        if (!linked) {
            PlaybackWarning("%s: program %u did not link on the host; the call is not played\n", p.call.GetName(),
                            p.Item<"program">());
            return EEnd::Done;
        }
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
        const auto* data = p.Item<"data">().data;
        const int64_t size = p.Item<"size">();
        const uint8_t* bytes = data ? data->GetData() : nullptr;
        if (bytes && size > 0 && data->size < uint64_t(size))
            return Short(p, "the data", data->size, uint64_t(size));
        if (!bytes && size > 0 && !UnfilledBytesAllowed(p.call.GetName(), "the buffer", uint64_t(size), 0))
            return EEnd::Fail;
        XQF_HOST(p.gl, glBufferData)(p.Item<"target">(), size, bytes, p.Item<"usage">());
        BufferContentsChanged();
        return EEnd::Common;
    }},
    XQF_CASE(glBufferSubData) {
        const auto* data = p.Item<"data">().data;
        const int64_t size = p.Item<"size">();
        const uint8_t* bytes = data ? data->GetData() : nullptr;
        const uint64_t held = bytes ? data->size : 0;
        if (size > 0 && held < uint64_t(size))
            return Short(p, "the data", held, uint64_t(size));
        XQF_HOST(p.gl, glBufferSubData)(p.Item<"target">(), p.Item<"offset">(), size, bytes);
        BufferContentsChanged();
        return EEnd::Common;
    }},
    XQF_CASE(glTexImage2D) { return uploads::TexImage2D<SEs2Uploads>(p, HostInt(p.gl, GL_UNPACK_ALIGNMENT)); }},
    XQF_CASE(glTexSubImage2D) { return uploads::TexSubImage2D<SEs2Uploads>(p, HostInt(p.gl, GL_UNPACK_ALIGNMENT)); }},
    // The host fills a copied image from the framebuffer: no trace bytes bound its size.
    XQF_CASE(glCopyTexImage2D) {
        if (!CopiedImageFits(p.gl, p.call.GetName(), p.Item<"target">(), p.Item<"width">(), p.Item<"height">()))
            return EEnd::Fail;
        XQF_HOST(p.gl, glCopyTexImage2D)(p.Item<"target">(), p.Item<"level">(), p.Item<"internalformat">(), p.Item<"x">(), p.Item<"y">(), p.Item<"width">(),
                                         p.Item<"height">(), p.Item<"border">());
        return EEnd::Common;
    }},
    XQF_CASE(glCopyTexSubImage2D) {
        if (!SubImageFits(p.gl, p.call.GetName(), p.Item<"target">(), p.Item<"level">(), p.Item<"xoffset">(), p.Item<"yoffset">(), p.Item<"width">(),
                          p.Item<"height">()))
            return EEnd::Fail;
        XQF_HOST(p.gl, glCopyTexSubImage2D)(p.Item<"target">(), p.Item<"level">(), p.Item<"xoffset">(), p.Item<"yoffset">(), p.Item<"x">(), p.Item<"y">(),
                                            p.Item<"width">(), p.Item<"height">());
        return EEnd::Common;
    }},
    XQF_CASE(glCompressedTexImage2D) { return uploads::CompressedTexImage2D<SEs2Uploads>(p); }},
    XQF_CASE(glCompressedTexSubImage2D) { return uploads::CompressedTexSubImage2D<SEs2Uploads>(p); }},
    XQF_CASE(glShaderSource) {
        const GLsizei count = p.Item<"count">();
        auto* strings = p.Item<"string">().data;
        const size_t held = strings ? strings->ElementCount() : 0;
        if (count < 0 || size_t(count) > held)
            return Short(p, "the string array", held, uint64_t(std::max(count, 0)));
        std::string joined;
        for (GLsizei i = 0; i < count; ++i)
            if (const char* text = (*strings)[size_t(i)].Text())
                joined += text;
        if (!ShaderSourceAllowed(p.call.GetName(), p.Item<"shader">(), joined))
            return EEnd::Fail;
        const char* source = joined.c_str();
        const GLint length = GLint(joined.size());
        XQF_HOST(p.gl, glShaderSource)(ShaderNameMap::Get(p.Item<"shader">()).host, 1, &source, &length);
        return EEnd::Common;
    }},
    XQF_CASE(glShaderBinary) {
        const GLsizei count = p.Item<"count">();
        auto* names = p.Item<"shaders">().data;
        const size_t held = names ? names->ElementCount() : 0;
        if (count < 0 || size_t(count) > held)
            return Short(p, "the shaders array", held * 4, uint64_t(std::max(count, 0)) * 4);
        const auto* binary = p.Item<"binary">().data;
        const GLsizei length = p.Item<"length">();
        const uint8_t* bytes = binary ? binary->GetData() : nullptr;
        if (length > 0 && (bytes ? binary->size : 0) < uint64_t(length))
            return Short(p, "the binary", bytes ? binary->size : 0, uint64_t(length));
        std::vector<GLuint> hosts(static_cast<size_t>(count));
        for (GLsizei i = 0; i < count; ++i)
            hosts[size_t(i)] = ShaderNameMap::Get((*names)[size_t(i)].value).host;
        XQF_HOST(p.gl, glShaderBinary)(count, hosts.data(), p.Item<"binaryformat">(), bytes, length);
        return EEnd::Common;
    }},
    XQF_CASE(glRenderbufferStorage) {
        if (!RenderbufferBytesAllowed(p.call.GetName(), p.Item<"internalformat">(), p.Item<"width">(), p.Item<"height">(), 0))
            return EEnd::Fail;
        XQF_HOST(p.gl, glRenderbufferStorage)(p.Item<"target">(), p.Item<"internalformat">(), p.Item<"width">(), p.Item<"height">());
        return EEnd::Common;
    }},
    XQF_CASE(glVertexAttribPointer) {
        // With a buffer bound the pointer is an offset; else a placeholder the draws replace.
        XQF_HOST(p.gl, glVertexAttribPointer)(p.Item<"index">(), p.Item<"size">(), p.Item<"type">(), GLboolean(p.Item<"normalized">()), p.Item<"stride">(),
                                              reinterpret_cast<const void*>(uintptr_t(uint32_t(p.Item<"ptr">()))));
        NoteArrayStride(p.Item<"index">(), p.Item<"stride">());
        return EEnd::Common;
    }},
    XQF_CASE(glDrawArrays) { return DrawArrays(p); }},
    XQF_CASE(glDrawElements) { return DrawElements(p); }},
    XQF_CASE(glViewport) {
        GLint width = p.Item<"width">(), height = p.Item<"height">();
        const CPlayback& pb = p.playback;
        if (HostInt(p.gl, GL_FRAMEBUFFER_BINDING) == GLint(pb.m_defaultFramebuffer)) {
            if (pb.m_surfaceWidth != 0 && width > GLint(pb.m_surfaceWidth))
                width = GLint(pb.m_surfaceWidth);
            if (pb.m_surfaceHeight != 0 && height > GLint(pb.m_surfaceHeight))
                height = GLint(pb.m_surfaceHeight);
        }
        XQF_HOST(p.gl, glViewport)(p.Item<"x">(), p.Item<"y">(), width, height);
        return EEnd::Common;
    }},

};
#undef XQF_CASE

// The rows not replayed (queries whose answers only the application used) end at the common end,
// which reads the host error when error checks are on, except these, which end at once.
constexpr uint16_t kEndAtOnce[] = {
    XQF_SLOT(glCheckFramebufferStatus), XQF_SLOT(glGetVertexAttribfv), XQF_SLOT(glGetVertexAttribiv),
    XQF_SLOT(glGetVertexAttribPointerv), XQF_SLOT(glIsBuffer), XQF_SLOT(glIsEnabled), XQF_SLOT(glIsFramebuffer),
    XQF_SLOT(glIsProgram), XQF_SLOT(glIsRenderbuffer), XQF_SLOT(glIsShader), XQF_SLOT(glIsTexture),
    XQF_SLOT(glReadPixels), XQF_SLOT(glValidateProgram),
};
#undef XQF_SLOT

EEnd NotReplayed(SPlay&) { return EEnd::Common; }
EEnd NotReplayedAtOnce(SPlay&) { return EEnd::Done; }

static_assert(playrows::EveryRowPlayed<SPlay>(kRows, kCases, kEs2HostFirstId, kEs2HostCount),
              "Es2Calls.def: each row is not replayed, played by one case, or played as recorded");

// Only rows not replayed end at once.
consteval bool EndAtOnceNotReplayed()
{
    for (uint16_t once : kEndAtOnce)
        for (const SRowPlay& row : kRows)
            if (row.id - kEs2HostFirstId == once && !(row.traits & trait::NotReplayed))
                return false;
    return true;
}
static_assert(EndAtOnceNotReplayed(), "Es2Player.cpp: a row ending at once is not marked not replayed");

// The handler of every slot; every function of the table has one.
constexpr auto kHandlers = [] {
    auto handlers = playrows::HandlersOf<SPlay, kEs2HostCount>(kRows, kCases, kEs2HostFirstId, &NotReplayed);
    for (uint16_t once : kEndAtOnce)
        handlers[once] = &NotReplayedAtOnce;
    return handlers;
}();

} // namespace

bool CPlayback::CheckEs2Error()
{
    m_lastHostError = XQF_HOST(*SEs2Host::Instance(), glGetError)();
    if (m_lastHostError == 0)
        return true;
    PlaybackLine("OGLES2 Error Code: 0x%lx, Call= %s\n", long(m_lastHostError),
                 m_callName.CStr() ? m_callName.CStr() : "");
    return false;
}

bool CPlayback::PlayEs2Call(STraceCall* entry, bool)
{
    CApiCall& call = *entry->call;
    const CPlayArgs args(call);
    // A call that failed on the device changed nothing there: nothing of it reaches the host, and it
    // counts as played (a frame holding one still replays to its end).
    if (call.GetError()->value != 0) {
        PlaybackLine("Es2 Call:Error. (Recorded GL_ERROR)");
        return true;
    }
    if (!s_hostEglInitialised) {
        PlaybackLine("Es2 Call:Error. Invalid context");
        return false;
    }
    SEs2Host& gl = *SEs2Host::Instance();
    if (!m_defaultFramebufferKnown) {
        m_defaultFramebufferKnown = true;
        m_defaultFramebuffer = GLuint(HostInt(gl, GL_FRAMEBUFFER_BINDING));
    }
    if (m_checkErrors)
        m_callName = call.GetName();
    const uint32_t slot = uint32_t(call.GetId()) - kEs2HostFirstId;
    if (slot >= kEs2HostCount || !kHandlers[slot])
        return false;
    SPlay play{*this, call, args, gl};
    switch (kHandlers[slot](play)) {
    case EEnd::Fail: return false;
    case EEnd::Done: return true;
    case EEnd::Common: break;
    }
    return m_checkErrors ? CheckEs2Error() : true;
}

// The ES 1.1 client arrays on replay. A pointer call sets its array up with the recorded pointer
// value (an offset into the bound buffer, or the application's address on the device); each draw
// then points every enabled client array that has no buffer at the next block its record captured
// (stride 0: the blocks hold the elements packed from element 0), walking the arrays in a fixed
// order: colour, normal, vertex, point size, matrix index, weight, then the texture coordinates of
// units 0 to 7. Every block, and every enabled array's buffer, is checked against what the draw
// reads before the first array moves, so neither a cut trace nor a hostile count or index lets the
// host read past a block or a buffer.
#include "Diagnostics.h"
#include "Es1Play.h"
#include "host/DrawIndices.h"
#include "host/HostChecks.h"

#include "record/CapturedBlocks.h"
#include "record/XqftError.h"
#include "values/DataHolders.h"

#include <EGL/egl.h>
#include <GLES/gl.h>
#include <GLES/glext.h>

#include <algorithm>
#include <array>
#include <vector>

namespace es1play {
namespace {

// A pointer call's pointerPlayback value at position i as a host address (32 bits, no sign).
const void* RecordedPointer(uint64_t pointer) { return reinterpret_cast<const void*>(uintptr_t(uint32_t(pointer))); }

// Bytes of one component of a client array's type.
size_t TypeSize(GLenum type)
{
    switch (type) {
    case GL_BYTE: case GL_UNSIGNED_BYTE: return 1;
    case GL_SHORT: return 2;
    default: return 4;  // GL_FIXED, GL_FLOAT; others are refused by the host
    }
}

using PointerFn = void (*)(GLint, GLenum, GLsizei, const void*);
// glDrawElements' arguments, read by name.
using SDrawElementsCall = playrows::TCallOf<SPlay, xqft::es1::CEs1_glDrawElements_v1>;

// The queries of one client array and the size it has when it has no size query.
struct SArraySlot
{
    GLenum cap;
    GLenum size;  // 0: `components` values per element
    GLint components;
    GLenum type, binding, pointer, stride;
};
// Colour, normal, vertex, point size (GL_OES_point_size_array), then matrix index and weight
// (GL_OES_matrix_palette).
constexpr std::array<SArraySlot, 6> kSlots{{
    {GL_COLOR_ARRAY, GL_COLOR_ARRAY_SIZE, 0, GL_COLOR_ARRAY_TYPE, GL_COLOR_ARRAY_BUFFER_BINDING,
     GL_COLOR_ARRAY_POINTER, GL_COLOR_ARRAY_STRIDE},
    {GL_NORMAL_ARRAY, 0, 3, GL_NORMAL_ARRAY_TYPE, GL_NORMAL_ARRAY_BUFFER_BINDING, GL_NORMAL_ARRAY_POINTER,
     GL_NORMAL_ARRAY_STRIDE},
    {GL_VERTEX_ARRAY, GL_VERTEX_ARRAY_SIZE, 0, GL_VERTEX_ARRAY_TYPE, GL_VERTEX_ARRAY_BUFFER_BINDING,
     GL_VERTEX_ARRAY_POINTER, GL_VERTEX_ARRAY_STRIDE},
    {GL_POINT_SIZE_ARRAY_OES, 0, 1, GL_POINT_SIZE_ARRAY_TYPE_OES, GL_POINT_SIZE_ARRAY_BUFFER_BINDING_OES,
     GL_POINT_SIZE_ARRAY_POINTER_OES, GL_POINT_SIZE_ARRAY_STRIDE_OES},
    {GL_MATRIX_INDEX_ARRAY_OES, GL_MATRIX_INDEX_ARRAY_SIZE_OES, 0, GL_MATRIX_INDEX_ARRAY_TYPE_OES,
     GL_MATRIX_INDEX_ARRAY_BUFFER_BINDING_OES, GL_MATRIX_INDEX_ARRAY_POINTER_OES, GL_MATRIX_INDEX_ARRAY_STRIDE_OES},
    {GL_WEIGHT_ARRAY_OES, GL_WEIGHT_ARRAY_SIZE_OES, 0, GL_WEIGHT_ARRAY_TYPE_OES, GL_WEIGHT_ARRAY_BUFFER_BINDING_OES,
     GL_WEIGHT_ARRAY_POINTER_OES, GL_WEIGHT_ARRAY_STRIDE_OES},
}};
constexpr SArraySlot kTexCoords{GL_TEXTURE_COORD_ARRAY, GL_TEXTURE_COORD_ARRAY_SIZE, 0, GL_TEXTURE_COORD_ARRAY_TYPE,
                                GL_TEXTURE_COORD_ARRAY_BUFFER_BINDING, GL_TEXTURE_COORD_ARRAY_POINTER,
                                GL_TEXTURE_COORD_ARRAY_STRIDE};
constexpr int kTexCoordSlot = 6;  // slots 6 to 13: texture units 0 to 7
// The array of a slot, as a refusal names it.
constexpr const char* kSlotNames[] = {"colour", "normal", "vertex", "point size", "matrix index", "weight"};
constexpr GLint kTexCoordUnits = 8;
constexpr GLenum kMaxTextureUnits = GL_MAX_TEXTURE_UNITS, kClientActiveTexture = GL_CLIENT_ACTIVE_TEXTURE;

// The setter of a slot; null when the host lacks it (the slot is then skipped).
void* SetterOf(SPlay& p, int slot)
{
    switch (slot) {
    case 0: return XQF_HOST_SLOT(p.gl, glColorPointer);
    case 1: return XQF_HOST_SLOT(p.gl, glNormalPointer);
    case 2: return XQF_HOST_SLOT(p.gl, glVertexPointer);
    case 3: return XQF_HOST_SLOT(p.gl, glPointSizePointerOES);
    case 4: return p.gl.ext.glMatrixIndexPointerOES;
    case 5: return p.gl.ext.glWeightPointerOES;
    default: return XQF_HOST_SLOT(p.gl, glTexCoordPointer);
    }
}

// An array the draw points at a block.
struct STaken
{
    int slot;
    GLint size;  // components per element
    GLenum type;
    xqft::SCapturedBlock block;
};

// An array read from a buffer: its element, stride and offset, and the buffer's size on the host.
struct SBuffered
{
    uint64_t element, stride, offset, held;
};

// The arrays of one draw: which take blocks, in walk order, and whether one is enabled at a null
// address. The host's array-buffer binding is 0 while it lives and put back when it goes.
class CDrawArrays
{
public:
    CDrawArrays(SPlay& p, bool elements) : m_p(p), m_elements(elements)
    {
        m_arrayBuffer = HostInt(p.gl, GL_ARRAY_BUFFER_BINDING);
        XQF_HOST(p.gl, glBindBuffer)(GL_ARRAY_BUFFER, 0);
        p.playback.EnsureHostExtensions();
    }
    ~CDrawArrays() { XQF_HOST(m_p.gl, glBindBuffer)(GL_ARRAY_BUFFER, GLuint(m_arrayBuffer)); }
    CDrawArrays(const CDrawArrays&) = delete;
    CDrawArrays& operator=(const CDrawArrays&) = delete;

    // The walk's queries; throws CXqftError when more arrays take a block than the draw has.
    void Walk()
    {
        m_blocks = CapturedBlocksOf(&m_p.call);
        m_blockCount = m_blocks ? m_blocks->Count() : 0;
        for (int slot = 0; slot < int(kSlots.size()); ++slot) {
            if (!SetterOf(m_p, slot) || !XQF_HOST(m_p.gl, glIsEnabled)(kSlots[size_t(slot)].cap))
                continue;
            if (slot == 4 && !m_elements)
                m_p.playback.FetchEs1Error();
            Query(slot, kSlots[size_t(slot)]);
        }
        if (!SetterOf(m_p, kTexCoordSlot))
            return;
        const GLint units = std::min(HostInt(m_p.gl, kMaxTextureUnits), kTexCoordUnits);
        if (units <= 0)
            return;
        m_clientActive = GLenum(HostInt(m_p.gl, kClientActiveTexture));
        for (GLint unit = 0; unit < units; ++unit) {
            XQF_HOST(m_p.gl, glClientActiveTexture)(GL_TEXTURE0 + GLenum(unit));
            if (XQF_HOST(m_p.gl, glIsEnabled)(kTexCoords.cap))
                Query(kTexCoordSlot + unit, kTexCoords);
        }
        XQF_HOST(m_p.gl, glClientActiveTexture)(m_clientActive);
    }

    bool ReadsArrays() const { return m_count > 0 || m_nullArray || m_bufferedCount > 0; }

    // Refuses the draw when an array reading `vertices` vertices would go past its block or its
    // buffer, or read through a null address.
    bool Fits(uint64_t vertices)
    {
        for (size_t i = 0; i < m_bufferedCount; ++i) {
            const SBuffered& b = m_buffered[i];
            if (!ArrayReadFits(m_p.call.GetName(), ArrayReadEnd(b.offset, b.stride, b.element, vertices), b.held))
                return false;
        }
        for (size_t i = 0; i < m_count; ++i) {
            const STaken& t = m_taken[i];
            const uint64_t needed = vertices * uint64_t(std::max(t.size, 0)) * TypeSize(t.type);
            const uint32_t held = t.block.bytes ? t.block.size : 0;
            if (held < needed) {
                Refuse(m_p, nullptr, "the client %s array holds %u bytes of the %llu the host reads",
                       t.slot < kTexCoordSlot ? kSlotNames[t.slot] : "texture coordinate", held,
                       static_cast<unsigned long long>(needed));
                return false;
            }
        }
        if (m_nullArray && vertices > 0) {
            Refuse(m_p, nullptr, "an enabled client array has no buffer and a null address");
            return false;
        }
        return true;
    }

    // Points every taken array at its block, stride 0; the client active texture is put back.
    void Point()
    {
        bool unitChanged = false;
        for (size_t i = 0; i < m_count; ++i) {
            const STaken& t = m_taken[i];
            const void* bytes = t.block.bytes;
            NoteArrayStride(kEs1ArrayStrides + uint32_t(t.slot), 0);
            switch (t.slot) {
            case 0: XQF_HOST(m_p.gl, glColorPointer)(t.size, t.type, 0, bytes); break;
            case 1: XQF_HOST(m_p.gl, glNormalPointer)(t.type, 0, bytes); break;
            case 2: XQF_HOST(m_p.gl, glVertexPointer)(t.size, t.type, 0, bytes); break;
            case 3: XQF_HOST(m_p.gl, glPointSizePointerOES)(t.type, 0, bytes); break;
            case 4: reinterpret_cast<PointerFn>(m_p.gl.ext.glMatrixIndexPointerOES)(t.size, t.type, 0, bytes); break;
            case 5: reinterpret_cast<PointerFn>(m_p.gl.ext.glWeightPointerOES)(t.size, t.type, 0, bytes); break;
            default:
                XQF_HOST(m_p.gl, glClientActiveTexture)(GL_TEXTURE0 + GLenum(t.slot - kTexCoordSlot));
                XQF_HOST(m_p.gl, glTexCoordPointer)(t.size, t.type, 0, bytes);
                unitChanged = true;
                break;
            }
        }
        if (unitChanged)
            XQF_HOST(m_p.gl, glClientActiveTexture)(m_clientActive);
    }

private:
    void Query(int slot, const SArraySlot& s)
    {
        const GLint size = s.size ? HostInt(m_p.gl, s.size) : s.components;
        const GLenum type = GLenum(HostInt(m_p.gl, s.type));
        const GLint binding = HostInt(m_p.gl, s.binding);
        void* pointer = nullptr;
        XQF_HOST(m_p.gl, glGetPointerv)(s.pointer, &pointer);
        if (binding != 0) {
            // Read from its buffer: the recorded offset stands, and the buffer bounds what is read.
            const uint64_t stride = RecordedArrayStride(kEs1ArrayStrides + uint32_t(slot), HostInt(m_p.gl, s.stride));
            m_buffered[m_bufferedCount++] = {uint64_t(std::max(size, 0)) * TypeSize(type), stride,
                                             reinterpret_cast<uintptr_t>(pointer),
                                             HostArrayBufferSize(m_p.gl, GLuint(binding), 0)};
            return;
        }
        if (!pointer) {
            m_nullArray = true;
            return;
        }
        if (m_next >= m_blockCount) {
            if (slot >= kTexCoordSlot)
                XQF_HOST(m_p.gl, glClientActiveTexture)(m_clientActive);
            throw CXqftError(kSubscriptError);
        }
        m_taken[m_count++] = {slot, size, type, m_blocks->At(m_next++)};
    }

    SPlay& m_p;
    bool m_elements;
    GLint m_arrayBuffer = 0;
    GLenum m_clientActive = GL_TEXTURE0;
    const xqft::CCapturedBlocks* m_blocks = nullptr;
    uint32_t m_blockCount = 0;  // counted once: a count walks the run's headers
    uint32_t m_next = 0;  // the block cursor
    std::array<STaken, kTexCoordSlot + kTexCoordUnits> m_taken{};
    size_t m_count = 0;
    std::array<SBuffered, kTexCoordSlot + kTexCoordUnits> m_buffered{};
    size_t m_bufferedCount = 0;
    bool m_nullArray = false;
};

// The vertices an indexed draw reads: the largest index + 1, the indices taken from the element
// buffer bound on the host (a read mapping) or from the recorded index bytes (checked whole by the
// caller); false (refused) when the element buffer's indices cannot be read.
bool IndexedVertices(const SDrawElementsCall& p, GLuint elementBuffer, const uint8_t* recorded, uint32_t held,
                     uint64_t& vertices)
{
    const GLsizei count = p.Item<"count">();
    const GLenum type = p.Item<"type">();
    static std::vector<uint32_t> indices;  // kept between draws
    if (!elementBuffer) {
        WidenIndices(recorded, held, type, count, indices);
        vertices = VerticesOf(indices);
        return true;
    }
    if (!ElementBufferVertices(p.gl, elementBuffer, type, count, uint32_t(p.Item<"indicesOffset">()), vertices)) {
        Refuse(p, "indicesOffset", "the indices of the element buffer cannot be read here");
        return false;
    }
    return true;
}

// A client array's pointer call: (size,) type, stride, and the pointer the host is given.
template <class Record>
EEnd Pointer(SPlay& play, void* entry, int slot)
{
    using Call = playrows::TCallOf<SPlay, Record>;
    const Call p{play};
    constexpr bool sized = Call::template Has<"size">();
    GLint size = 0;
    if constexpr (sized)
        size = p.template Item<"size">();
    const GLenum type = p.template Item<"type">();
    const GLsizei stride = p.template Item<"stride">();
    const void* pointer = RecordedPointer(p.template Item<"pointerPlayback">());
    if (slot == kTexCoordSlot)
        slot += std::clamp(HostInt(p.gl, kClientActiveTexture) - GLint(GL_TEXTURE0), 0, kTexCoordUnits - 1);
    NoteArrayStride(kEs1ArrayStrides + uint32_t(slot), stride);
    if (sized)
        reinterpret_cast<PointerFn>(entry)(size, type, stride, pointer);
    else
        reinterpret_cast<void (*)(GLenum, GLsizei, const void*)>(entry)(type, stride, pointer);
    return EEnd::Common;
}

} // namespace

void Es1BufferContentsChanged() { BufferContentsChanged(); }

EEnd ColorPointer(SPlay& p)
{
    return Pointer<xqft::es1::CEs1_glColorPointer_v1>(p, XQF_HOST_SLOT(p.gl, glColorPointer), 0);
}
EEnd TexCoordPointer(SPlay& p)
{
    return Pointer<xqft::es1::CEs1_glTexCoordPointer_v1>(p, XQF_HOST_SLOT(p.gl, glTexCoordPointer), kTexCoordSlot);
}
EEnd NormalPointer(SPlay& p)
{
    return Pointer<xqft::es1::CEs1_glNormalPointer_v1>(p, XQF_HOST_SLOT(p.gl, glNormalPointer), 1);
}
EEnd PointSizePointer(SPlay& p)
{
    using Record = xqft::es1::CEs1_glPointSizePointerOES_v1;
    playrows::CallOf<Record>(p).Item<"pointerPlayback">();
    p.playback.EnsureHostExtensions();
    return Pointer<Record>(p, XQF_HOST_SLOT(p.gl, glPointSizePointerOES), 3);
}

// An error the host raises for the vertex array's setup is consumed here: it never fails the call.
EEnd VertexPointer(SPlay& p)
{
    using Record = xqft::es1::CEs1_glVertexPointer_v1;
    playrows::CallOf<Record>(p).Item<"pointerPlayback">();
    p.playback.FetchEs1Error();
    const EEnd end = Pointer<Record>(p, XQF_HOST_SLOT(p.gl, glVertexPointer), 2);
    p.playback.FetchEs1Error();
    return end;
}

EEnd DrawArrays(SPlay& play)
{
    playrows::TCallOf<SPlay, xqft::es1::CEs1_glDrawArrays_v1> p{play};
    const GLenum mode = p.Item<"mode">();
    const GLint first = p.Item<"first">();
    const GLsizei count = p.Item<"count">();
    if (!DrawCountFits(p.call.GetName(), mode, first, count))
        return EEnd::Fail;
    {
        CDrawArrays arrays(p, false);
        arrays.Walk();
        const uint64_t vertices = count > 0 ? uint64_t(first) + uint64_t(count) : 0;
        if (arrays.ReadsArrays() && !arrays.Fits(vertices))
            return EEnd::Fail;
        arrays.Point();
    }
    XQF_HOST(p.gl, glDrawArrays)(mode, first, count);
    return EEnd::Common;
}

EEnd DrawElements(SPlay& play)
{
    SDrawElementsCall p{play};
    const GLenum mode = p.Item<"mode">();
    const GLsizei count = p.Item<"count">();
    const GLenum type = p.Item<"type">();
    p.Item<"indicesOffset">();  // a trace without data lists no index block: nothing can be drawn from it
    if (!DrawCountFits(p.call.GetName(), mode, 0, count))
        return EEnd::Fail;
    const auto* indices = p.Item<"indices">().data;
    const uint8_t* recorded = indices ? indices->GetData() : nullptr;
    const uint32_t held = recorded ? indices->size : 0;
    const GLuint elementBuffer = GLuint(HostInt(p.gl, GL_ELEMENT_ARRAY_BUFFER_BINDING));
    if (!elementBuffer) {
        const uint64_t needed = uint64_t(std::max(count, 0)) * IndexSize(type);
        if (held < needed)
            return RefuseShort(p, "indices", held, needed);
    } else if (!ElementRangeFits(p.gl, p.call.GetName(), type, count, uint32_t(p.Item<"indicesOffset">()))) {
        return EEnd::Fail;
    }
    {
        CDrawArrays arrays(p, true);
        arrays.Walk();
        if (arrays.ReadsArrays()) {
            uint64_t vertices = 0;
            if (!IndexedVertices(p, elementBuffer, recorded, held, vertices) || !arrays.Fits(vertices))
                return EEnd::Fail;
        }
        arrays.Point();
    }
    const void* from = elementBuffer ? reinterpret_cast<const void*>(uintptr_t(uint32_t(p.Item<"indicesOffset">()))) : recorded;
    XQF_HOST(p.gl, glDrawElements)(mode, count, type, from);
    return EEnd::Common;
}

} // namespace es1play

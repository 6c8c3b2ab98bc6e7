// The ES 2.0 vertex arrays and draws played by hand: client arrays pointed at their captured blocks,
// and every block, index range and buffer checked against the vertices the draw reads before the
// host draws.
#include "Es2Play.h"
#include "host/DrawIndices.h"
#include "host/HostChecks.h"

#include "data/TraceData.h"
#include "record/XqftError.h"
#include "values/DataHolders.h"

#include <GLES3/gl3.h> // GL_HALF_FLOAT, a vertex type the host takes

namespace es2play {

namespace {

// The draws' arguments, read by name. Only the layout from format version 7 lists the index offset:
// an older record drawn from an element buffer has none to read (CPlayArgs throws).
using SDrawArraysCall = playrows::TCallOf<SPlay, xqft::es2::CEs2_glDrawArrays_v1>;
using SDrawElementsCall = playrows::TCallOf<SPlay, xqft::es2::CEs2_glDrawElements_v7>;

size_t TypeSize(GLenum type)
{
    switch (type) {
    case GL_BYTE:
    case GL_UNSIGNED_BYTE: return 1;
    case GL_SHORT:
    case GL_UNSIGNED_SHORT: return 2;
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
            Refuse(p, "indicesOffset", "the indices of the element buffer cannot be read here");
            return false;
        }
        return true;
    }
    const auto* block = draw.Item<"indices">().data;
    const uint32_t held = block && block->GetData() ? block->size : 0;
    if (held < bytes) {
        RefuseShort(p, "indices", held, bytes);
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
    if (!counted && elements &&
        ArrayReadEnd(offset, recordedStride, element, MaxVerticesOf(SDrawElementsCall{p}.Item<"type">())) <= held)
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
    const uint32_t blockCount = blocks ? blocks->Count() : 0; // once: a count walks the run's headers
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
            end = Refuse(p, nullptr, "the client array of attribute %d holds %u bytes of the %llu the host reads", i,
                         block.bytes ? block.size : 0u, static_cast<unsigned long long>(needed));
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
            return RefuseShort(p, "indices", held, needed);
        indices = block ? block->GetData() : nullptr;
    }
    p.playback.CheckEs2Error();
    XQF_HOST(p.gl, glDrawElements)(mode, count, type, indices);
    p.playback.CheckEs2Error();
    return EEnd::Common;
}

} // namespace

XQF_CASE(glVertexAttribPointer)
{
    // With a buffer bound the pointer is an offset; else a placeholder the draws replace.
    XQF_HOST(p.gl, glVertexAttribPointer)(p.Item<"index">(), p.Item<"size">(), p.Item<"type">(),
                                          GLboolean(p.Item<"normalized">()), p.Item<"stride">(),
                                          reinterpret_cast<const void*>(uintptr_t(uint32_t(p.Item<"ptr">()))));
    NoteArrayStride(p.Item<"index">(), p.Item<"stride">());
    return EEnd::Common;
}

XQF_CASE(glDrawArrays) { return DrawArrays(p); }

XQF_CASE(glDrawElements) { return DrawElements(p); }

XQF_CASE(glViewport)
{
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
}

} // namespace es2play

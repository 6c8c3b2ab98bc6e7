// State effects of the ES 2.0 records: fixed-function state, texture units, buffers,
// framebuffers, renderbuffers and shaders. One small overload per row of Es2Calls.def.
#include "Es2EffectSupport.h"
#include "state/UnpackRows.h"

#include <utility>
#include <cstring>

namespace xqft::es2 {

CXQFTString RecordedName(const SString& s)
{
    CXQFTString text;
    s.ToLongString(text);
    return text.Length() >= 2 ? text.Substring(1, text.Length() - 2) : CXQFTString();
}

CXQFTString RecordedName(const SNameText& s)
{
    SString text;
    text.pointer = s.pointer;
    text.length = s.length;
    text.text.Borrow(s.Text());
    return RecordedName(text);
}

namespace {

// Front (0), back (1) or both of a face argument; false for any other face.
bool Faces(uint32_t face, int& first, int& last)
{
    switch (face) {
    case 0x0404: first = last = 0; return true;        // GL_FRONT
    case 0x0405: first = last = 1; return true;        // GL_BACK
    case 0x0408: first = 0, last = 1; return true;     // GL_FRONT_AND_BACK
    default: return false;
    }
}

// The buffer name a target designates, or null for a target that designates none.
uint32_t* DesignatedBuffer(SEs2State& s, uint32_t target)
{
    if (target == kArrayBuffer)
        return &s.arrayBufferBinding;
    if (target == kElementArrayBuffer)
        return &s.vertexArrays[s.vertexArrayBinding].elementArrayBuffer;
    return nullptr;
}

using objects::ForRecordedNames;

} // namespace

// ---- fixed-function state -------------------------------------------------------------------

bool Es2Effect(const CEs2_glBlendColor_v1& c, SEs2State& s)
{
    s.blendColor[0] = c.Item<"red">().Value();
    s.blendColor[1] = c.Item<"green">().Value();
    s.blendColor[2] = c.Item<"blue">().Value();
    s.blendColor[3] = c.Item<"alpha">().Value();
    return true;
}

bool Es2Effect(const CEs2_glBlendEquationSeparate_v1& c, SEs2State& s)
{
    s.blendEquationRgb = c.Item<"modeRGB">().Value();
    s.blendEquationAlpha = c.Item<"modeAlpha">().Value();
    return true;
}

bool Es2Effect(const CEs2_glBlendFunc_v1& c, SEs2State& s)
{
    s.blendSrcRgb = s.blendSrcAlpha = c.Item<"sfactor">().Value();
    s.blendDstRgb = s.blendDstAlpha = c.Item<"dfactor">().Value();
    return true;
}

bool Es2Effect(const CEs2_glBlendFuncSeparate_v1& c, SEs2State& s)
{
    s.blendSrcRgb = c.Item<"srcRGB">().Value();
    s.blendDstRgb = c.Item<"dstRGB">().Value();
    s.blendSrcAlpha = c.Item<"srcAlpha">().Value();
    s.blendDstAlpha = c.Item<"dstAlpha">().Value();
    return true;
}

bool Es2Effect(const CEs2_glClearColor_v1& c, SEs2State& s)
{
    s.clearColor[0] = c.Item<"red">().Value();
    s.clearColor[1] = c.Item<"green">().Value();
    s.clearColor[2] = c.Item<"blue">().Value();
    s.clearColor[3] = c.Item<"alpha">().Value();
    return true;
}

bool Es2Effect(const CEs2_glClearDepthf_v1& c, SEs2State& s) { return s.clearDepth = c.Item<"depth">().Value(), true; }
bool Es2Effect(const CEs2_glClearStencil_v1& c, SEs2State& s) { return s.clearStencil = c.Item<"s">().Value(), true; }

bool Es2Effect(const CEs2_glColorMask_v1& c, SEs2State& s)
{
    s.colorMask[0] = uint8_t(c.Item<"red">().Value());
    s.colorMask[1] = uint8_t(c.Item<"green">().Value());
    s.colorMask[2] = uint8_t(c.Item<"blue">().Value());
    s.colorMask[3] = uint8_t(c.Item<"alpha">().Value());
    return true;
}

bool Es2Effect(const CEs2_glCullFace_v1& c, SEs2State& s) { return s.cullFaceMode = c.Item<"mode">().Value(), true; }
bool Es2Effect(const CEs2_glDepthFunc_v1& c, SEs2State& s) { return s.depthFunc = c.Item<"func">().Value(), true; }
bool Es2Effect(const CEs2_glDepthMask_v1& c, SEs2State& s) { return s.depthMask = uint8_t(c.Item<"flag">().Value()), true; }

bool Es2Effect(const CEs2_glDepthRangef_v1& c, SEs2State& s)
{
    s.depthRangeNear = c.Item<"zNear">().Value();
    s.depthRangeFar = c.Item<"zFar">().Value();
    return true;
}

bool Es2Effect(const CEs2_glFrontFace_v1& c, SEs2State& s) { return s.frontFace = c.Item<"mode">().Value(), true; }

bool Es2Effect(const CEs2_glPolygonOffset_v1& c, SEs2State& s)
{
    s.polygonOffsetFactor = c.Item<"factor">().Value();
    s.polygonOffsetUnits = c.Item<"units">().Value();
    return true;
}

bool Es2Effect(const CEs2_glSampleCoverage_v1& c, SEs2State& s)
{
    s.sampleCoverageValue = c.Item<"value">().Value();
    s.sampleCoverageInvert = uint8_t(c.Item<"invert">().Value());
    return true;
}

template <class Call>
static bool SetBox(const Call& c, int32_t (&box)[4])
{
    box[0] = c.template Item<"x">().Value();
    box[1] = c.template Item<"y">().Value();
    box[2] = c.template Item<"width">().Value();
    box[3] = c.template Item<"height">().Value();
    return true;
}
bool Es2Effect(const CEs2_glScissor_v1& c, SEs2State& s) { return SetBox(c, s.scissorBox); }
bool Es2Effect(const CEs2_glViewport_v1& c, SEs2State& s) { return SetBox(c, s.viewport); }

bool Es2Effect(const CEs2_glStencilFunc_v1& c, SEs2State& s)
{
    for (int f = 0; f < 2; ++f) {
        s.stencilFunc[f] = c.Item<"func">().Value();
        s.stencilRef[f] = c.Item<"ref">().Value();
        s.stencilValueMask[f] = c.Item<"mask">().Value();
    }
    return true;
}

bool Es2Effect(const CEs2_glStencilFuncSeparate_v1& c, SEs2State& s)
{
    int first, last;
    if (Faces(c.Item<"face">().Value(), first, last))
        for (int f = first; f <= last; ++f) {
            s.stencilFunc[f] = c.Item<"func">().Value();
            s.stencilRef[f] = c.Item<"ref">().Value();
            s.stencilValueMask[f] = c.Item<"mask">().Value();
        }
    return true;
}

bool Es2Effect(const CEs2_glStencilMask_v1& c, SEs2State& s)
{
    s.stencilWriteMask[0] = s.stencilWriteMask[1] = c.Item<"mask">().Value();
    return true;
}

bool Es2Effect(const CEs2_glStencilMaskSeparate_v1& c, SEs2State& s)
{
    int first, last;
    if (Faces(c.Item<"face">().Value(), first, last))
        for (int f = first; f <= last; ++f)
            s.stencilWriteMask[f] = c.Item<"mask">().Value();
    return true;
}

bool Es2Effect(const CEs2_glStencilOp_v1& c, SEs2State& s)
{
    for (int f = 0; f < 2; ++f) {
        s.stencilFail[f] = c.Item<"fail">().Value();
        s.stencilPassDepthFail[f] = c.Item<"zfail">().Value();
        s.stencilPassDepthPass[f] = c.Item<"zpass">().Value();
    }
    return true;
}

bool Es2Effect(const CEs2_glStencilOpSeparate_v1& c, SEs2State& s)
{
    int first, last;
    if (Faces(c.Item<"face">().Value(), first, last))
        for (int f = first; f <= last; ++f) {
            s.stencilFail[f] = c.Item<"fail">().Value();
            s.stencilPassDepthFail[f] = c.Item<"zfail">().Value();
            s.stencilPassDepthPass[f] = c.Item<"zpass">().Value();
        }
    return true;
}

bool Es2Effect(const CEs2_glReleaseShaderCompiler_v1&, SEs2State& s) { return s.shaderCompilerReleased = 1, true; }

bool Es2Effect(const CEs2_glEnable_v1& c, SEs2State& s)
{
    if (int i = Es2CapabilityIndex(c.Item<"cap">().Value()); i >= 0)
        s.capabilities[i] = 1;
    return true;
}

bool Es2Effect(const CEs2_glDisable_v1& c, SEs2State& s)
{
    if (int i = Es2CapabilityIndex(c.Item<"cap">().Value()); i >= 0)
        s.capabilities[i] = 0;
    return true;
}

bool Es2Effect(const CEs2_glHint_v1& c, SEs2State& s)
{
    if (c.Item<"target">().Value() == 0x8192) // GL_GENERATE_MIPMAP_HINT
        s.generateMipmapHint = c.Item<"mode">().Value();
    return true;
}

bool Es2Effect(const CEs2_glPixelStorei_v1& c, SEs2State& s)
{
    const uint32_t pname = c.Item<"pname">().Value();
    if (pname == 0x0D05) // GL_PACK_ALIGNMENT
        s.packAlignment = c.Item<"param">().Value();
    else if (pname == 0x0CF5) // GL_UNPACK_ALIGNMENT
        s.unpackAlignment = c.Item<"param">().Value();
    else
        StoreUnpackRows(s, pname, c.Item<"param">().Value());
    return true;
}

// ---- texture units ---------------------------------------------------------------------------

bool Es2Effect(const CEs2_glActiveTexture_v1& c, SEs2State& s)
{
    s.activeTexture = c.Item<"texture">().Value();
    // Units from 32 on have no binding slots: they never widen the range the deletes walk.
    const uint32_t unit = s.activeTexture - kTexture0;
    if (unit < kTextureUnits && unit + 1 > s.textureUnitCount)
        s.textureUnitCount = unit + 1;
    return true;
}

bool Es2Effect(const CEs2_glDeleteTextures_v1& c, SEs2State& s)
{
    if (!HasData(c))
        return false;
    const uint32_t units = std::min(s.textureUnitCount, kTextureUnits);
    ForRecordedNames(c.Item<"textures">().data, c.Item<"n">().Value(), [&](uint32_t name) {
        for (uint32_t u = 0; u < units; ++u) {
            if (s.texture2DBinding[u] == name)
                s.texture2DBinding[u] = 0;
            if (s.textureCubeBinding[u] == name)
                s.textureCubeBinding[u] = 0;
        }
        // Its images go with it: a texture made again under the name starts empty.
        if (name != 0 && std::as_const(s.textures).Contains(name))
            s.textures.Erase(name);
    });
    return true;
}

bool Es2Effect(const CEs2_glGenTextures_v1&, SEs2State&) { return true; }

// ---- buffers -----------------------------------------------------------------------------------

bool Es2Effect(const CEs2_glBindBuffer_v1& c, SEs2State& s)
{
    if (uint32_t* binding = DesignatedBuffer(s, c.Item<"target">().Value()))
        *binding = c.Item<"buffer">().Value();
    return true;
}

// A deleted buffer goes with its bytes, and the current context's bindings that name it bind 0 (as
// GL does: the bound vertex-array object's element buffer and attribute arrays too): a buffer made
// again under the name starts empty, and a restore never makes the deleted one again.
bool Es2Effect(const CEs2_glDeleteBuffers_v1& c, SEs2State& s)
{
    if (!HasData(c))
        return false;
    bool changed = false;
    ForRecordedNames(c.Item<"buffers">().data, c.Item<"n">().Value(), [&](uint32_t name) {
        if (name == 0)
            return;
        if (s.arrayBufferBinding == name) {
            s.arrayBufferBinding = 0;
            changed = true;
        }
        const SEs2VertexArray* bound = std::as_const(s.vertexArrays).Get(s.vertexArrayBinding);
        if (bound && bound->elementArrayBuffer == name) {
            s.vertexArrays.Get(s.vertexArrayBinding)->elementArrayBuffer = 0;
            changed = true;
        }
        for (int32_t i = 0; bound && i < bound->pointers.Count(); ++i)
            if (bound->pointers.At(i).buffer == name) {
                s.vertexArrays.Get(s.vertexArrayBinding)->pointers.At(i).buffer = 0;
                bound = std::as_const(s.vertexArrays).Get(s.vertexArrayBinding);
                changed = true;
            }
        changed = s.buffers.Erase(name) || changed;
    });
    return changed;
}

bool Es2Effect(const CEs2_glBufferData_v1& c, SEs2State& s)
{
    const uint32_t target = c.Item<"target">().Value();
    const uint32_t* name = DesignatedBuffer(s, target);
    if (!name)
        return false;
    const SDataPtr& data = c.Item<"data">().data;
    const int32_t size = c.Item<"size">().Value();
    SEs2Buffer& b = s.buffers[*name];
    b.name = *name;
    b.target = target;
    b.size = size > 0 ? uint32_t(size) : 0;
    b.data = ShareCaptured(data.GetData(), data.size, b.size, b.capturedSize);
    b.usage = c.Item<"usage">().Value();
    return true;
}

bool Es2Effect(const CEs2_glBufferSubData_v1& c, SEs2State& s)
{
    // No bytes: nothing changes, not even the vertex-array entry an element target reaches.
    const SDataPtr& data = c.Item<"data">().data;
    if (!data.GetData() || data.size == 0)
        return false;
    const uint32_t* name = DesignatedBuffer(s, c.Item<"target">().Value());
    if (!name)
        return false;
    // An unknown buffer, or a range that starts outside it, is skipped; a range running past
    // its end (or past the captured bytes) is clipped. The held bytes grow to cover the range;
    // a gap between them and the range reads as zero.
    SEs2Buffer* b = s.buffers.Get(*name);
    const int64_t offset = c.Item<"offset">().Value(), size = c.Item<"size">().Value();
    if (!b || offset < 0 || size <= 0 || uint64_t(offset) >= b->size)
        return false;
    const uint64_t n = std::min<uint64_t>({uint64_t(size), b->size - uint64_t(offset), data.size});
    const uint32_t held = uint32_t(std::max<uint64_t>(b->capturedSize, uint64_t(offset) + n));
    auto block = MutableCopy(b->data, b->data ? b->capturedSize : 0, held);
    memcpy(block.get() + offset, data.GetData(), n);
    b->data = std::move(block);
    b->capturedSize = held;
    return true;
}

// ---- framebuffers and renderbuffers --------------------------------------------------------------

bool Es2Effect(const CEs2_glGenFramebuffers_v1& c, SEs2State& s)
{
    if (!HasData(c))
        return false;
    ForRecordedNames(c.Item<"framebuffers">().data, c.Item<"n">().Value(),
                     [&](uint32_t name) { objects::GenFramebuffer(s, name); });
    return true;
}

bool Es2Effect(const CEs2_glBindFramebuffer_v1& c, SEs2State& s)
{
    objects::BindFramebuffer(s, c.Item<"framebuffer">().Value());
    return true;
}

bool Es2Effect(const CEs2_glDeleteFramebuffers_v1& c, SEs2State& s)
{
    ForRecordedNames(c.Item<"framebuffers">().data, INT32_MAX,
                     [&](uint32_t name) { objects::DeleteFramebuffer(s, name); });
    return true;
}

bool Es2Effect(const CEs2_glFramebufferRenderbuffer_v1& c, SEs2State& s)
{
    return objects::AttachRenderbuffer(s, c.Item<"target">().Value(), c.Item<"attachment">().Value(),
                                       c.Item<"renderbuffer">().Value());
}

bool Es2Effect(const CEs2_glFramebufferTexture2D_v1& c, SEs2State& s)
{
    return objects::AttachTexture(s, c.Item<"target">().Value(), c.Item<"attachment">().Value(),
                                  c.Item<"textarget">().Value(), c.Item<"texture">().Value(),
                                  c.Item<"level">().Value(), 0);
}

bool Es2Effect(const CEs2_glGenRenderbuffers_v1& c, SEs2State& s)
{
    if (!HasData(c))
        return false;
    ForRecordedNames(c.Item<"renderbuffers">().data, c.Item<"n">().Value(),
                     [&](uint32_t name) { objects::GenRenderbuffer(s, name); });
    return true;
}

bool Es2Effect(const CEs2_glBindRenderbuffer_v1& c, SEs2State& s)
{
    objects::BindRenderbuffer(s, c.Item<"renderbuffer">().Value());
    return true;
}

bool Es2Effect(const CEs2_glDeleteRenderbuffers_v1& c, SEs2State& s)
{
    ForRecordedNames(c.Item<"renderbuffers">().data, INT32_MAX,
                     [&](uint32_t name) { objects::DeleteRenderbuffer(s, name); });
    return true;
}

bool Es2Effect(const CEs2_glRenderbufferStorage_v1& c, SEs2State& s)
{
    objects::RenderbufferStorage(s, c.Item<"internalformat">().Value(), c.Item<"width">().Value(),
                                 c.Item<"height">().Value(), 0);
    return true;
}

// ---- shaders ----------------------------------------------------------------------------------------

bool Es2Effect(const CEs2_glCreateShader_v1& c, SEs2State& s)
{
    const uint32_t name = c.Item<"return">().Value();
    if (!ShaderCreated(name))
        return false;
    // A create that returns a live shader's name is none a device made (playback refuses it): it
    // must not take that shader's type over.
    if (const SEs2Shader* live = std::as_const(s.shaders).Get(name); live && live->type != 0)
        return true;
    SEs2Shader& sh = s.shaders[name];
    sh.name = name;
    sh.type = c.Item<"type">().Value();
    return true;
}

const CXQFTString& CEs2_glShaderSource_v1::Source()
{
    if (m_joined)
        return m_joinedSource;
    m_joined = true;
    const auto& strings = Item<"string">().data;
    const auto& lengths = Item<"length">().data;
    const int32_t count = Item<"count">().Value();
    if (!HasData(*this) || count <= 0)
        return m_joinedSource;
    const size_t n = std::min<size_t>(size_t(count), strings.ElementCount());
    for (size_t i = 0; i < n; ++i) {
        const char* text = strings[i].Text();
        if (!text)
            continue;
        // Never past the bytes the capture recorded.
        size_t take = strings[i].length;
        if (i < lengths.ElementCount() && lengths[i].value >= 0)
            take = std::min<size_t>(take, size_t(lengths[i].value));
        else
            take = strnlen(text, take);
        m_joinedSource.Append(text, take);
    }
    return m_joinedSource;
}

bool CEs2_glShaderSource_v1::UpdateState(void* state, uint32_t)
{
    SEs2State& s = *static_cast<SEs2State*>(state);
    if (!HasData(*this) || Item<"string">().data.ElementCount() == 0)
        return true;
    s.shaders[Item<"shader">().Value()].source = Source().CStr();
    return true;
}

bool Es2Effect(const CEs2_glCompileShader_v1& c, SEs2State& s)
{
    s.shaders[c.Item<"shader">().Value()].compiled = 1;
    s.shaderCompilerReleased = 0;
    return true;
}

bool Es2Effect(const CEs2_glAttachShader_v1& c, SEs2State& s)
{
    const uint32_t program = c.Item<"program">().Value();
    SEs2Program& p = s.programs[program];
    p.name = program;
    SEs2Shader& sh = s.shaders[c.Item<"shader">().Value()];
    if (sh.type == 0x8B31) // GL_VERTEX_SHADER
        p.vertexShader = sh.name;
    else if (sh.type == 0x8B30) // GL_FRAGMENT_SHADER
        p.fragmentShader = sh.name;
    else
        return true;
    sh.attached = 1;
    return true;
}

bool Es2Effect(const CEs2_glDetachShader_v1& c, SEs2State& s)
{
    const uint32_t program = c.Item<"program">().Value(), shader = c.Item<"shader">().Value();
    SEs2Program& p = s.programs[program];
    p.name = program;
    SEs2Shader& sh = s.shaders[shader];
    if (sh.type == 0x8B31)
        p.vertexShader = 0;
    else if (sh.type == 0x8B30)
        p.fragmentShader = 0;
    else
        return true;
    sh.attached = 0;
    if (sh.deletePending)
        s.shaders.Erase(shader);
    return true;
}

bool Es2Effect(const CEs2_glDeleteShader_v1& c, SEs2State& s)
{
    const uint32_t shader = c.Item<"shader">().Value();
    SEs2Shader& sh = s.shaders[shader];
    sh.deletePending = 1;
    if (!sh.attached)
        s.shaders.Erase(shader);
    return true;
}

} // namespace xqft::es2

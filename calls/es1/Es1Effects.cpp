// State effects of the ES 1.1 records: texture units, buffers, client arrays, texture images and
// environments, pixel storage. One small overload per EFFECT row of Es1Calls.def.
//
// Rules every effect keeps: a texture unit outside the 32 tracked ones changes nothing (the unit
// selectors ignore such a unit, and every effect that indexes a per-unit array checks it again);
// an effect that wrote anything, a change stamp included, returns true (a frame cut copies the
// state only after a true); captured bytes are shared with the call record, and a partial change
// makes a new block, never writing into a call's bytes.
#include "Es1EffectSupport.h"

#include <cstring>
#include <utility>

#include "state/PixelSize.h"
#include "state/SubImageWrite.h"
#include "state/UnpackRows.h"

namespace xqft::es1 {

uint32_t ElementArrayBuffer(SEs1State& s)
{
    if (const SEs1VertexArray* v = std::as_const(s.vertexArrays).Get(s.vertexArrayBinding))
        return v->elementArrayBuffer;
    s.vertexArrays.Add(s.vertexArrayBinding);
    return 0;
}

bool BufferOfTarget(SEs1State& s, uint32_t target, uint32_t& name)
{
    if (target == kArrayBuffer)
        name = s.arrayBufferBinding;
    else if (target == kElementArrayBuffer)
        name = ElementArrayBuffer(s);
    else
        return false;
    return true;
}

// ---- texture units --------------------------------------------------------------------------------

bool Es1Effect(const CEs1_glActiveTexture_v1& c, SEs1State& s, uint32_t)
{
    const uint32_t texture = c.Item<"texture">().Value();
    const uint32_t unit = texture - kTexture0;
    if (unit >= uint32_t(kEs1Units))
        return false;
    s.activeTexture = texture;
    s.textureUnitCount = std::max(s.textureUnitCount, unit + 1);
    return true;
}

bool Es1Effect(const CEs1_glClientActiveTexture_v1& c, SEs1State& s, uint32_t)
{
    const uint32_t texture = c.Item<"texture">().Value();
    if (texture - kTexture0 >= uint32_t(kEs1Units))
        return false;
    s.clientActiveTexture = texture;
    return true;
}

// ---- buffers ----------------------------------------------------------------------------------------

bool Es1Effect(const CEs1_glBindBuffer_v1& c, SEs1State& s, uint32_t)
{
    const uint32_t target = c.Item<"target">().Value(), buffer = c.Item<"buffer">().Value();
    if (target == kArrayBuffer)
        s.arrayBufferBinding = buffer;
    else if (target == kElementArrayBuffer)
        s.vertexArrays[s.vertexArrayBinding].elementArrayBuffer = buffer;
    return true;
}

// A deleted buffer goes with its bytes, and the current context's bindings that name it bind 0 (as
// GL does: the bound vertex-array object's element buffer and client arrays too): a buffer made
// again under the name starts empty, and a restore never makes the deleted one again.
bool Es1Effect(const CEs1_glDeleteBuffers_v1& c, SEs1State& s, uint32_t frame)
{
    if (!c.IsDataIncluded())
        return false;
    bool changed = false;
    objects::ForRecordedNames(c.Item<"buffers">().data, c.Item<"n">().Value(), [&](uint32_t name) {
        if (name == 0)
            return;
        bool unbound = s.arrayBufferBinding == name;
        if (unbound)
            s.arrayBufferBinding = 0;
        if (const SEs1VertexArray* bound = std::as_const(s.vertexArrays).Get(s.vertexArrayBinding)) {
            const auto names = [&](const SEs1VertexArray& v) {
                bool any = v.elementArrayBuffer == name || v.color.buffer == name || v.vertex.buffer == name ||
                           v.normal.buffer == name || v.pointSize.buffer == name || v.matrixIndex.buffer == name ||
                           v.weight.buffer == name;
                for (const SEs1ClientArray& a : v.texCoord)
                    any = any || a.buffer == name;
                return any;
            };
            if (names(*bound)) {
                SEs1VertexArray& v = *s.vertexArrays.Get(s.vertexArrayBinding);
                for (uint32_t* b : {&v.elementArrayBuffer, &v.color.buffer, &v.vertex.buffer, &v.normal.buffer,
                                    &v.pointSize.buffer, &v.matrixIndex.buffer, &v.weight.buffer})
                    if (*b == name)
                        *b = 0;
                for (SEs1ClientArray& a : v.texCoord)
                    if (a.buffer == name)
                        a.buffer = 0;
                unbound = true;
            }
        }
        if (s.buffers.Erase(name) || unbound) {
            s.bufferStamp = frame;
            changed = true;
        }
    });
    return changed;
}

bool Es1Effect(const CEs1_glBufferData_v1& c, SEs1State& s, uint32_t frame)
{
    s.bufferStamp = frame;
    const uint32_t target = c.Item<"target">().Value();
    uint32_t name = 0;
    if (!BufferOfTarget(s, target, name))
        return true;
    const int32_t size = c.Item<"size">().Value();
    const SDataPtr& data = c.Item<"data">().data;
    SEs1Buffer& b = s.buffers[name];
    b.name = name;
    b.target = target;
    b.size = size > 0 ? uint32_t(size) : 0;
    b.data = ShareCaptured(data.GetData(), data.size, b.size, b.capturedSize);
    b.usage = c.Item<"usage">().Value();
    return true;
}

bool Es1Effect(const CEs1_glBufferSubData_v1& c, SEs1State& s, uint32_t frame)
{
    s.bufferStamp = frame;
    uint32_t name = 0;
    if (!BufferOfTarget(s, c.Item<"target">().Value(), name))
        return true;
    // A buffer never defined is added empty; it then has no room for the bytes.
    if (!s.buffers.Contains(name))
        s.buffers.Add(name)->name = name;
    // A range that starts outside the declared size writes nothing; one running past it (or past
    // the call's captured bytes) is clipped. The held bytes grow to cover the range, a gap between
    // them and the range reading as zero; the declared size never grows.
    const SDataPtr& data = c.Item<"data">().data;
    const int64_t offset = c.Item<"offset">().Value(), size = c.Item<"size">().Value();
    const SEs1Buffer& seen = *std::as_const(s.buffers).Get(name);
    if (!data.GetData() || data.size == 0 || offset < 0 || size <= 0 || uint64_t(offset) >= seen.size)
        return true;
    const uint64_t n = std::min<uint64_t>({uint64_t(size), seen.size - uint64_t(offset), data.size});
    SEs1Buffer& b = *s.buffers.Get(name);
    const uint32_t held = uint32_t(std::max<uint64_t>(b.capturedSize, uint64_t(offset) + n));
    auto block = MutableCopy(b.data, b.data ? b.capturedSize : 0, held);
    memcpy(block.get() + offset, data.GetData(), n);
    b.data = std::move(block);
    b.capturedSize = held;
    return true;
}

// ---- client arrays ----------------------------------------------------------------------------------

namespace {

template <class Call>
bool SetArray(const Call& c, SEs1State& s, SEs1ClientArray SEs1VertexArray::*array, uint32_t buffer, int32_t size)
{
    SEs1ClientArray& a = s.vertexArrays[s.vertexArrayBinding].*array;
    a.buffer = buffer;
    a.size = size;
    a.type = c.template Item<"type">().Value();
    a.stride = c.template Item<"stride">().Value();
    a.pointer = c.template Item<"pointer">().Value();
    return true;
}

bool SetClientState(SEs1State& s, uint32_t cap, uint8_t on, uint32_t frame)
{
    s.capabilityStamp = frame;
    const int i = Es1TableIndex(kEs1ClientStates, cap);
    if (i >= 0)
        s.vertexArrays[s.vertexArrayBinding].enabled[i] = on;
    return true;
}

} // namespace

bool Es1Effect(const CEs1_glColorPointer_v1& c, SEs1State& s, uint32_t)
{
    return SetArray(c, s, &SEs1VertexArray::color, s.arrayBufferBinding, c.Item<"size">().Value());
}

bool Es1Effect(const CEs1_glVertexPointer_v1& c, SEs1State& s, uint32_t)
{
    return SetArray(c, s, &SEs1VertexArray::vertex, s.arrayBufferBinding, c.Item<"size">().Value());
}

bool Es1Effect(const CEs1_glNormalPointer_v1& c, SEs1State& s, uint32_t)
{
    return SetArray(c, s, &SEs1VertexArray::normal, s.arrayBufferBinding, 0);
}

// Point sizes never come from a buffer here: the binding is recorded as 0.
bool Es1Effect(const CEs1_glPointSizePointerOES_v1& c, SEs1State& s, uint32_t)
{
    return SetArray(c, s, &SEs1VertexArray::pointSize, 0, 0);
}

// The unit glClientActiveTexture chose, whatever glActiveTexture says.
bool Es1Effect(const CEs1_glTexCoordPointer_v1& c, SEs1State& s, uint32_t)
{
    const uint32_t unit = s.clientActiveTexture - kTexture0;
    if (unit >= uint32_t(kEs1Units))
        return false;
    SEs1ClientArray& a = s.vertexArrays[s.vertexArrayBinding].texCoord[unit];
    a.buffer = s.arrayBufferBinding;
    a.size = c.Item<"size">().Value();
    a.type = c.Item<"type">().Value();
    a.stride = c.Item<"stride">().Value();
    a.pointer = c.Item<"pointer">().Value();
    return true;
}

bool Es1Effect(const CEs1_glEnableClientState_v1& c, SEs1State& s, uint32_t frame)
{
    return SetClientState(s, c.Item<"cap">().Value(), 1, frame);
}

bool Es1Effect(const CEs1_glDisableClientState_v1& c, SEs1State& s, uint32_t frame)
{
    return SetClientState(s, c.Item<"cap">().Value(), 0, frame);
}

// ---- textures ---------------------------------------------------------------------------------------

bool Es1Effect(const CEs1_glBindTexture_v1& c, SEs1State& s, uint32_t frame)
{
    const uint32_t unit = ActiveUnit(s);
    if (unit == kNoUnit)
        return false;
    s.textureBindStamp = frame;
    s.texture2DBinding[unit] = c.Item<"texture">().Value();
    return true;
}

namespace {

// Stores the level record of the active unit's bound texture (a later upload of the same level
// replaces it); nothing outside the tracked units.
bool StoreLevel(SEs1State& s, uint32_t frame, STexImage&& image)
{
    const uint32_t unit = ActiveUnit(s);
    if (unit == kNoUnit)
        return false;
    s.textureImageStamp = frame;
    image.texture = s.texture2DBinding[unit];
    STexImage& slot = s.textures[image.texture][uint32_t(image.level)];
    image.minFilter = slot.minFilter;  // the texture's parameters stay as they were
    image.magFilter = slot.magFilter;
    image.wrapS = slot.wrapS;
    image.wrapT = slot.wrapT;
    image.generateMipmap = slot.generateMipmap;
    slot = std::move(image);
    return true;
}

} // namespace

bool Es1Effect(const CEs1_glTexImage2D_v1& c, SEs1State& s, uint32_t frame)
{
    return StoreLevel(s, frame, TexImageOf(c, s));
}

bool Es1Effect(const CEs1_glCompressedTexImage2D_v1& c, SEs1State& s, uint32_t frame)
{
    return StoreLevel(s, frame, CompressedTexImageOf(c, c.Item<"data">().data));
}

// Writes into the level of the active unit's 2D texture (see WriteSubImage); a level never
// specified, or without size, takes nothing.
bool Es1Effect(const CEs1_glTexSubImage2D_v1& c, SEs1State& s, uint32_t frame)
{
    const uint32_t unit = ActiveUnit(s);
    if (unit == kNoUnit || c.Item<"target">().Value() != kTexture2D)
        return false;
    const uint32_t texture = s.texture2DBinding[unit];
    const int32_t level = c.Item<"level">().Value();
    const auto* levels = std::as_const(s.textures).Get(texture);
    const STexImage* found = levels && level >= 0 ? levels->Get(uint32_t(level)) : nullptr;
    if (!found)
        return false;
    const SImage2D& pixels = c.Item<"pixels">().data;
    const SSubImage sub = SubImageOf(c, pixels, s);
    if (!WriteSubImage(*found, sub, [&]() -> STexImage& {
            STexImage& image = s.textures[texture][uint32_t(level)];
            MarkGeneratedLevelsStale(image);
            return image;
        }))
        return false;
    s.textureImageStamp = frame;
    return true;
}

// ---- what the GPU writes into textures ----------------------------------------------------------------

namespace {

// Marks a level of `texture` as written by the GPU. Read first: a write access would copy tables a
// snapshot shares, and most draws find the mark already set. A level never specified is added,
// sized by nothing, so that the mark has somewhere to live.
bool MarkGpuMade(SEs1State& s, uint32_t frame, uint32_t texture, uint32_t level)
{
    if (texture == 0)
        return false;
    if (const auto* levels = std::as_const(s.textures).Get(texture))
        if (const STexImage* image = levels->Get(level); image && image->gpuMade)
            return false;
    STexImage& image = s.textures[texture][level];
    image.texture = texture;
    image.level = int32_t(level);
    image.gpuMade = 1;
    s.textureImageStamp = frame;
    return true;
}

} // namespace

namespace {

bool On(const SEs1State& s, uint32_t cap)
{
    const int at = Es1TableIndex(kEs1Capabilities, cap);
    return at >= 0 && s.capabilities[at] != 0;
}

// A draw or clear writes the bound framebuffer's colour texture, if it has one, and the depth and
// stencil images it names.
bool MarkDrawn(SEs1State& s, uint32_t frame, objects::SDrawnBuffers buffers)
{
    const SEs2Attachment* color = objects::DrawnTexture(s);
    const bool colored = color && MarkGpuMade(s, frame, color->name, color->level);
    const bool others = objects::MarkDrawnBuffers(
        s, buffers, [&](const SEs2Attachment& a) { return MarkGpuMade(s, frame, a.name, a.level); });
    return colored || others;
}

} // namespace

bool MarkDrawnTexture(SEs1State& s, uint32_t frame)
{
    return MarkDrawn(s, frame, {On(s, gltoken::DEPTH_TEST) && s.depthMask != 0, On(s, gltoken::STENCIL_TEST)});
}

bool MarkMipmapsGenerated(SEs1State& s, uint32_t target)
{
    const uint32_t unit = ActiveUnit(s);
    if (unit == kNoUnit || target != kTexture2D)
        return false;
    const uint32_t texture = s.texture2DBinding[unit];
    const auto* levels = std::as_const(s.textures).Get(texture);
    const STexImage* base = levels ? levels->Get(0) : nullptr;
    if (!base || base->mipmapsGenerated == kMipmapsGenerated)
        return false;
    s.textures[texture][0].mipmapsGenerated = kMipmapsGenerated;
    return true;
}

bool Es1Effect(const CEs1_glClear_v1& c, SEs1State& s, uint32_t frame)
{
    const uint32_t mask = c.Item<"mask">().Value();
    return MarkDrawn(s, frame, {(mask & 0x0100) != 0, (mask & 0x0400) != 0});  // depth, stencil bits
}

bool Es1Effect(const CEs1_glCopyTexImage2D_v1& c, SEs1State& s, uint32_t frame)
{
    STexImage image = CopiedTexImageOf(c, s.unpackAlignment);
    return c.Item<"target">().Value() == kTexture2D && image.level >= 0 && StoreLevel(s, frame, std::move(image));
}

bool Es1Effect(const CEs1_glCopyTexSubImage2D_v1& c, SEs1State& s, uint32_t frame)
{
    const uint32_t unit = ActiveUnit(s);
    const int32_t level = c.Item<"level">().Value();
    if (unit == kNoUnit || c.Item<"target">().Value() != kTexture2D || level < 0)
        return false;
    return MarkGpuMade(s, frame, s.texture2DBinding[unit], uint32_t(level));
}

namespace {

// glTexEnvf/i/x: param is the recorded value as an integer (a float truncated toward zero, a
// fixed-point constant as its integer value) and as a float (a fixed-point number / 65536).
bool SetTexEnv(SEs1State& s, uint32_t target, uint32_t pname, int32_t asInteger, float asFloat)
{
    const uint32_t unit = ActiveUnit(s);
    if (unit == kNoUnit)
        return false;
    if (target == kPointSprite && pname == kCoordReplace) {
        s.coordReplace[unit] = uint32_t(asInteger);
        return true;
    }
    if (target != kTextureEnv)
        return true;
    const int i = Es1TableIndex(kEs1TexEnvParams, pname);
    if (i >= 0)
        s.texEnv[unit][i] = uint32_t(asInteger);
    else if (pname == kRgbScale)
        s.texEnvScale[unit][0] = asFloat;
    else if (pname == kAlphaScale)
        s.texEnvScale[unit][1] = asFloat;
    return true;
}

} // namespace

bool Es1Effect(const CEs1_glTexEnvf_v1& c, SEs1State& s, uint32_t)
{
    const float param = c.Item<"param">().Value();
    return SetTexEnv(s, c.Item<"target">().Value(), c.Item<"pname">().Value(), FloatToInt(param), param);
}

bool Es1Effect(const CEs1_glTexEnvi_v1& c, SEs1State& s, uint32_t)
{
    const int32_t param = c.Item<"param">().Value();
    return SetTexEnv(s, c.Item<"target">().Value(), c.Item<"pname">().Value(), param, float(param));
}

bool Es1Effect(const CEs1_glTexEnvx_v1& c, SEs1State& s, uint32_t)
{
    const int32_t param = c.Item<"param">().Value();
    return SetTexEnv(s, c.Item<"target">().Value(), c.Item<"pname">().Value(), param, Fixed(param));
}

bool Es1Effect(const CEs1_glPixelStorei_v1& c, SEs1State& s, uint32_t)
{
    const uint32_t pname = c.Item<"pname">().Value();
    const int32_t param = c.Item<"param">().Value();
    if (pname == kUnpackAlignment)
        s.unpackAlignment = param;
    else if (pname == kPackAlignment)
        s.packAlignment = param;
    else
        StoreUnpackRows(s, pname, param);
    return true;
}

} // namespace xqft::es1

// State effects of the ES 2.0 texture records: bindings, images per level and face, sampling
// parameters and sub-image updates.
#include "Es2EffectSupport.h"

#include "state/PixelSize.h"
#include "state/SubImageWrite.h"

#include <utility>

namespace xqft::es2 {

namespace {

constexpr uint32_t kTexture2D = 0x0DE1, kTextureCubeMap = 0x8513, kCubePositiveX = 0x8515, kCubeNegativeZ = 0x851A;

// The active unit, or kTextureUnits when it has no binding slot.
uint32_t Unit(const SEs2State& s)
{
    const uint32_t u = s.activeTexture - kTexture0;
    return u < kTextureUnits ? u : kTextureUnits;
}

// Texture name and face an image call addresses through its target.
struct SImageSlot
{
    uint32_t texture = 0;
    uint32_t face = 0;
};

SImageSlot ImageSlot(const SEs2State& s, uint32_t u, uint32_t target)
{
    if (target == kTexture2D)
        return {s.texture2DBinding[u], 0};
    if (target >= kCubePositiveX && target <= kCubeNegativeZ)
        return {s.textureCubeBinding[u], target - kCubePositiveX};
    return {};
}

uint32_t ParameterTexture(const SEs2State& s, uint32_t u, uint32_t target)
{
    if (target == kTexture2D)
        return s.texture2DBinding[u];
    if (target == kTextureCubeMap)
        return s.textureCubeBinding[u];
    return 0;
}

// Stores a new image at the level and face `target` addresses on the active unit; a re-specified
// image keeps its sampling parameters. False outside the tracked units.
bool StoreImage(SEs2State& s, uint32_t target, STexImage image)
{
    const uint32_t u = Unit(s);
    if (u == kTextureUnits)
        return false;
    const SImageSlot slot = ImageSlot(s, u, target);
    image.target = target;
    image.normalizedTarget = target >= kCubePositiveX && target <= kCubeNegativeZ ? kTextureCubeMap : target;
    image.texture = slot.texture;
    CObjectTable<STexImage>& faces = s.textures[image.texture][uint32_t(image.level)];
    if (const STexImage* old = faces.Get(slot.face)) {
        image.minFilter = old->minFilter;
        image.magFilter = old->magFilter;
        image.wrapS = old->wrapS;
        image.wrapT = old->wrapT;
    }
    faces[slot.face] = std::move(image);
    return true;
}

template <class Call>
bool SetParameter(const Call& c, SEs2State& s, bool (*value)(const Call&, uint32_t&))
{
    const uint32_t u = Unit(s);
    if (u == kTextureUnits)
        return false;
    CObjectTable<STexImage>& faces = s.textures[ParameterTexture(s, u, c.template Item<"target">().Value())][0];
    STexImage* image = faces.Get(0);
    uint32_t v = 0;
    if (!image || !value(c, v))
        return true;
    switch (c.template Item<"pname">().Value()) {
    case 0x2801: image->minFilter = v; break; // GL_TEXTURE_MIN_FILTER
    case 0x2800: image->magFilter = v; break; // GL_TEXTURE_MAG_FILTER
    case 0x2802: image->wrapS = v; break;     // GL_TEXTURE_WRAP_S
    case 0x2803: image->wrapT = v; break;     // GL_TEXTURE_WRAP_T
    default: break;
    }
    return true;
}

// A float parameter as the integer GL stores, truncated toward zero; a value no GLint holds
// (recorded as is, GL would refuse it) is clamped instead of converted out of range.
uint32_t TruncatedParameter(float f)
{
    if (!(f == f))
        return 0;
    if (f >= 2147483648.0f)
        return uint32_t(INT32_MAX);
    if (f <= -2147483648.0f)
        return uint32_t(INT32_MIN);
    return uint32_t(int32_t(f));
}


// Marks the image at texture/level/face as written by the GPU. Read first: a write access would
// copy tables a snapshot shares, and most draws find the mark already set. An image never
// specified is added, sized by nothing, so that the mark has somewhere to live.
bool MarkGpuMade(SEs2State& s, uint32_t texture, uint32_t level, uint32_t face)
{
    if (texture == 0)
        return false;
    if (const auto* levels = std::as_const(s.textures).Get(texture))
        if (const auto* faces = levels->Get(level))
            if (const STexImage* image = faces->Get(face); image && image->gpuMade)
                return false;
    STexImage& image = s.textures[texture][level][face];
    image.texture = texture;
    image.gpuMade = 1;
    return true;
}

// The level 0 image (the first face of a cube) of the texture `target` binds on the active unit, or
// null.
const STexImage* BaseImage(const SEs2State& s, uint32_t u, uint32_t target, uint32_t& texture)
{
    texture = ParameterTexture(s, u, target);
    if (const auto* levels = std::as_const(s.textures).Get(texture))
        if (const auto* faces = levels->Get(0))
            return faces->Get(0);
    return nullptr;
}

} // namespace

bool Es2Effect(const CEs2_glBindTexture_v1& c, SEs2State& s)
{
    const uint32_t u = Unit(s);
    if (u == kTextureUnits)
        return false;
    const uint32_t target = c.Item<"target">().Value(), texture = c.Item<"texture">().Value();
    if (target == kTexture2D)
        s.texture2DBinding[u] = texture;
    else if (target == kTextureCubeMap)
        s.textureCubeBinding[u] = texture;
    // A texture seen before is left alone: a write access would copy tables a snapshot shares.
    const auto* levels = std::as_const(s.textures).Get(texture);
    const auto* level0 = levels ? levels->Get(0) : nullptr;
    if (!level0 || !level0->Contains(0))
        s.textures[texture][0].Add(0);
    return true;
}

bool Es2Effect(const CEs2_glTexImage2D_v1& c, SEs2State& s)
{
    return StoreImage(s, c.Item<"target">().Value(), TexImageOf(c, s));
}

bool Es2Effect(const CEs2_glCompressedTexImage2D_v1& c, SEs2State& s)
{
    return StoreImage(s, c.Item<"target">().Value(), CompressedTexImageOf(c, c.Item<"pixels">().data));
}

bool Es2Effect(const CEs2_glTexParameteri_v1& c, SEs2State& s)
{
    return SetParameter<CEs2_glTexParameteri_v1>(c, s, [](const auto& call, uint32_t& v) {
        v = call.template Item<"param">().Value();
        return true;
    });
}

bool Es2Effect(const CEs2_glTexParameterf_v1& c, SEs2State& s)
{
    return SetParameter<CEs2_glTexParameterf_v1>(c, s, [](const auto& call, uint32_t& v) {
        v = TruncatedParameter(call.template Item<"param">().Value());
        return true;
    });
}

bool Es2Effect(const CEs2_glTexParameteriv_v1& c, SEs2State& s)
{
    return SetParameter<CEs2_glTexParameteriv_v1>(c, s, [](const auto& call, uint32_t& v) {
        const auto& params = call.template Item<"params">().data;
        if (params.ElementCount() == 0)
            return false; // recorded without the parameter values: nothing to set
        v = params[0].value;
        return true;
    });
}

bool Es2Effect(const CEs2_glTexParameterfv_v1& c, SEs2State& s)
{
    return SetParameter<CEs2_glTexParameterfv_v1>(c, s, [](const auto& call, uint32_t& v) {
        const auto& params = call.template Item<"params">().data;
        if (params.ElementCount() == 0)
            return false;
        v = TruncatedParameter(params[0].value);
        return true;
    });
}

// Writes the call's pixels into the image. The region is clipped to the image, rows are
// addressed with the unpack alignment on both sides (the image was sized with it), and nothing
// is read past the captured bytes. An image the call addresses that does not exist yet is added
// as a default image; it has no size, so nothing is written into it (result false).
bool Es2Effect(const CEs2_glTexSubImage2D_v1& c, SEs2State& s)
{
    const SImage2D& pixels = c.Item<"pixels">().data;
    if (!pixels.GetData() || pixels.size == 0)
        return false;
    const uint32_t u = Unit(s);
    if (u == kTextureUnits)
        return false;
    const SImageSlot slot = ImageSlot(s, u, c.Item<"target">().Value());
    const uint32_t level = uint32_t(c.Item<"level">().Value());
    const STexImage* found = nullptr;
    if (const auto* levels = std::as_const(s.textures).Get(slot.texture))
        if (const auto* faces = levels->Get(level))
            found = faces->Get(slot.face);
    if (!found) {
        s.textures[slot.texture][level].Add(slot.face);
        return false;
    }
    const SSubImage sub = SubImageOf(c, pixels, s);
    return WriteSubImage(*found, sub, [&]() -> STexImage& {
        STexImage& image = s.textures[slot.texture][level][slot.face];
        MarkGeneratedLevelsStale(image);
        return image;
    });
}

namespace {

bool MarkAttachedTexture(SEs2State& s, const SEs2Attachment& a)
{
    const uint32_t face = a.target >= kCubePositiveX && a.target <= kCubeNegativeZ ? a.target - kCubePositiveX : 0;
    return MarkGpuMade(s, a.name, a.level, face);
}

bool On(const SEs2State& s, uint32_t cap)
{
    const int at = Es2CapabilityIndex(cap);
    return at >= 0 && s.capabilities[at] != 0;
}

// A draw or clear writes the bound framebuffer's colour texture, if it has one, and the depth and
// stencil images it names.
bool MarkDrawn(SEs2State& s, objects::SDrawnBuffers buffers)
{
    const SEs2Attachment* color = objects::DrawnTexture(s);
    const bool colored = color && MarkAttachedTexture(s, SEs2Attachment(*color));
    const bool others =
        objects::MarkDrawnBuffers(s, buffers, [&](const SEs2Attachment& a) { return MarkAttachedTexture(s, a); });
    return colored || others;
}

} // namespace

// A draw writes depths with the depth test on and the depth mask set, stencil values with the
// stencil test on.
bool MarkDrawnTexture(SEs2State& s)
{
    return MarkDrawn(s, {On(s, gltoken::DEPTH_TEST) && s.depthMask != 0, On(s, gltoken::STENCIL_TEST)});
}

bool Es2Effect(const CEs2_glClear_v1& c, SEs2State& s)
{
    const uint32_t mask = c.Item<"mask">().Value();
    return MarkDrawn(s, {(mask & 0x0100) != 0, (mask & 0x0400) != 0});  // GL_DEPTH_BUFFER_BIT, GL_STENCIL_BUFFER_BIT
}

bool Es2Effect(const CEs2_glDrawElements_v1&, SEs2State& s) { return MarkDrawnTexture(s); }

bool Es2Effect(const CEs2_glCopyTexImage2D_v1& c, SEs2State& s)
{
    return StoreImage(s, c.Item<"target">().Value(), CopiedTexImageOf(c, s.unpackAlignment));
}

bool Es2Effect(const CEs2_glCopyTexSubImage2D_v1& c, SEs2State& s)
{
    const uint32_t u = Unit(s);
    if (u == kTextureUnits)
        return false;
    const SImageSlot slot = ImageSlot(s, u, c.Item<"target">().Value());
    return MarkGpuMade(s, slot.texture, uint32_t(c.Item<"level">().Value()), slot.face);
}

// The levels above 0 now hold what the GPU made from level 0.
bool Es2Effect(const CEs2_glGenerateMipmap_v1& c, SEs2State& s)
{
    const uint32_t u = Unit(s);
    if (u == kTextureUnits)
        return false;
    uint32_t texture = 0;
    const STexImage* base = BaseImage(s, u, c.Item<"target">().Value(), texture);
    if (!base || base->mipmapsGenerated == kMipmapsGenerated)
        return false;
    s.textures[texture][0][0].mipmapsGenerated = kMipmapsGenerated;
    return true;
}

} // namespace xqft::es2

#include "StartImages.h"

#include "PlayArgs.h"
#include "TraitItems.h"

#include "CallQueries.h"
#include "apicall/ApiCall.h"
#include "data/TraceData.h"
#include "state/FramebufferObjects.h"
#include "values/GlTokens.h"

#include <algorithm>
#include <vector>

namespace {

// Bits of glClear's mask, not enums of the name table.
constexpr uint32_t kColorBufferBit = 0x4000, kDepthBufferBit = 0x0100, kStencilBufferBit = 0x0400;
constexpr uint32_t kTexture2D = gltoken::TEXTURE_2D, kTextureCubeMap = gltoken::TEXTURE_CUBE_MAP,
                   kCubePositiveX = gltoken::TEXTURE_CUBE_MAP_POSITIVE_X,
                   kCubeNegativeZ = gltoken::TEXTURE_CUBE_MAP_NEGATIVE_Z, kScissorTest = gltoken::SCISSOR_TEST;
// The levels above 0 generated from level 0 (their images may not be in the state's tables).
constexpr int32_t kGeneratedLevels = -1;
// The face of a key naming a renderbuffer (its `texture` then holds the renderbuffer's name).
constexpr uint32_t kRenderbufferFace = ~0u;
// The calls that write one level of the bound texture, and those that name the bound texture.
constexpr uint16_t kWritesLevel = trait::TextureUpload | trait::CopiesImage | trait::CopiesSubImage;
constexpr uint16_t kNamesTexture = kWritesLevel | trait::MakesMipmaps;

// One image the GPU made that the frame has not rewritten whole yet.
struct SImageKey
{
    uint8_t api;  // kEsVersion1 or kEsVersion2
    uint32_t texture;
    int32_t level;
    uint32_t face;
    bool operator==(const SImageKey&) const = default;
};

// What is left to rewrite, and whether the frame read one of them.
struct SPending
{
    std::vector<SImageKey> images;
    bool read = false;
    std::vector<SCoverDraw> covers;  // the draws the host is to check
    // Images a clear wrote some channels of: a marker would survive in the others unseen.
    std::vector<SImageKey> masked;
    uint32_t number = 0;             // the call being visited

    bool Holds(uint8_t api, uint32_t texture) const
    {
        return std::any_of(images.begin(), images.end(),
                           [&](const SImageKey& k) { return k.api == api && k.texture == texture; });
    }
    bool Holds(const SImageKey& key) const { return std::find(images.begin(), images.end(), key) != images.end(); }
    void ReadIf(bool held) { read = read || held; }
    template <class Pred>
    void Drop(Pred&& pred)
    {
        images.erase(std::remove_if(images.begin(), images.end(), pred), images.end());
    }
    void Rewritten(const SImageKey& key)
    {
        Drop([&](const SImageKey& k) { return k == key; });
    }
};

void AddImage(SPending& p, uint8_t api, uint32_t texture, int32_t level, uint32_t face, const STexImage& image)
{
    if (image.gpuMade)
        p.images.push_back({api, texture, level, face});
    if (level == 0 && image.mipmapsGenerated == kMipmapsStale)
        p.images.push_back({api, texture, kGeneratedLevels, face});
}

// Depth and stencil renderbuffers the GPU drew.
template <class State>
void CollectRenderbuffers(SPending& p, uint8_t api, const State& s)
{
    for (const auto& renderbuffer : s.renderbuffers)
        if (renderbuffer.record.gpuMade)
            p.images.push_back({api, renderbuffer.key, 0, kRenderbufferFace});
}

void Collect(SPending& p, const SEs2State& s)
{
    for (const auto& texture : s.textures)
        for (const auto& level : texture.record)
            for (const auto& face : level.record)
                AddImage(p, kEsVersion2, texture.key, int32_t(level.key), face.key, face.record);
    CollectRenderbuffers(p, kEsVersion2, s);
}

void Collect(SPending& p, const SEs1State& s)
{
    for (const auto& texture : s.textures)
        for (const auto& level : texture.record)
            AddImage(p, kEsVersion1, texture.key, int32_t(level.key), 0, level.record);
    CollectRenderbuffers(p, kEsVersion1, s);
}

// The per-API facts the rules ask of a state.
bool On(const SEs2State& s, uint32_t cap)
{
    const int at = Es2CapabilityIndex(cap);
    return at >= 0 && s.capabilities[at] != 0;
}
bool On(const SEs1State& s, uint32_t cap)
{
    const auto at = std::find(std::begin(kEs1Capabilities), std::end(kEs1Capabilities), cap);
    return at != std::end(kEs1Capabilities) && s.capabilities[at - std::begin(kEs1Capabilities)] != 0;
}
template <class State>
bool ScissorOn(const State& s)
{
    return On(s, kScissorTest);
}
template <class State>
bool EveryColourWritten(const State& s)
{
    return s.colorMask[0] && s.colorMask[1] && s.colorMask[2] && s.colorMask[3];
}
// Whether a draw's colours depend on what the target held: blending, or ES 1.1's logic operation.
bool MixesColours(const SEs2State& s) { return On(s, gltoken::BLEND); }
bool MixesColours(const SEs1State& s) { return On(s, gltoken::BLEND) || On(s, gltoken::COLOR_LOGIC_OP); }
// Whether a clear writes every bit of an 8-bit stencil buffer.
bool EveryStencilBitWritten(const SEs2State& s)
{
    return (s.stencilWriteMask[0] & 0xFF) == 0xFF && (s.stencilWriteMask[1] & 0xFF) == 0xFF;
}
bool EveryStencilBitWritten(const SEs1State& s) { return (s.stencilWriteMask & 0xFF) == 0xFF; }

uint32_t ActiveUnit(const SEs2State& s) { return std::min<uint32_t>(s.activeTexture - gltoken::TEXTURE0, 31); }
uint32_t ActiveUnit(const SEs1State& s) { return std::min<uint32_t>(s.activeTexture - gltoken::TEXTURE0, kEs1Units - 1); }

// The texture `target` names on the active unit, and the face of a cube face target.
uint32_t TargetTexture(const SEs2State& s, uint32_t target, uint32_t& face)
{
    const uint32_t u = ActiveUnit(s);
    face = 0;
    if (target == kTexture2D)
        return s.texture2DBinding[u];
    if (target >= kCubePositiveX && target <= kCubeNegativeZ) {
        face = target - kCubePositiveX;
        return s.textureCubeBinding[u];
    }
    return target == kTextureCubeMap ? s.textureCubeBinding[u] : 0;
}
uint32_t TargetTexture(const SEs1State& s, uint32_t target, uint32_t& face)
{
    face = 0;
    return target == kTexture2D ? s.texture2DBinding[ActiveUnit(s)] : 0;
}

// Whether a draw may sample a texture the frame has not rewritten.
bool SamplesPending(const SEs2State& s, const SPending& p)
{
    for (uint32_t u = 0; u < 32; ++u)
        if ((s.texture2DBinding[u] && p.Holds(kEsVersion2, s.texture2DBinding[u])) ||
            (s.textureCubeBinding[u] && p.Holds(kEsVersion2, s.textureCubeBinding[u])))
            return true;
    return false;
}
bool SamplesPending(const SEs1State& s, const SPending& p)
{
    for (uint32_t u = 0; u < kEs1Units; ++u)
        if (s.texture2DEnabled[u] && s.texture2DBinding[u] && p.Holds(kEsVersion1, s.texture2DBinding[u]))
            return true;
    return false;
}

uint8_t ApiOf(const SEs2State&) { return kEsVersion2; }
uint8_t ApiOf(const SEs1State&) { return kEsVersion1; }

SImageKey AttachedImage(uint8_t api, const SEs2Attachment& a)
{
    if (a.type == objects::kRenderbuffer)
        return {api, a.name, 0, kRenderbufferFace};
    const uint32_t face = a.target >= kCubePositiveX && a.target <= kCubeNegativeZ ? a.target - kCubePositiveX : 0;
    return {api, a.name, int32_t(a.level), face};
}

// The bound framebuffer object; null for the window's.
template <class State>
const SEs2Framebuffer* BoundFramebuffer(const State& s)
{
    return s.framebufferBinding ? std::as_const(s.framebuffers).Get(s.framebufferBinding) : nullptr;
}

// A draw into the bound framebuffer: the depth and stencil tests read those images; the colour image
// is read unless the draw writes each pixel it covers without looking at the old one, and then the
// host decides whether it covers the image whole.
template <class State>
void VisitDraw(const State& s, SPending& p)
{
    const SEs2Framebuffer* f = BoundFramebuffer(s);
    if (!f)
        return;
    const uint8_t api = ApiOf(s);
    if (On(s, gltoken::DEPTH_TEST) && f->depth.name)
        p.ReadIf(p.Holds(AttachedImage(api, f->depth)));
    if (On(s, gltoken::STENCIL_TEST) && f->stencil.name)
        p.ReadIf(p.Holds(AttachedImage(api, f->stencil)));
    if (f->color.name == 0 || p.read)
        return;
    const SImageKey color = AttachedImage(api, f->color);
    if (!p.Holds(color))
        return;
    const bool masked = std::find(p.masked.begin(), p.masked.end(), color) != p.masked.end();
    if (f->color.type != objects::kTexture || MixesColours(s) || !EveryColourWritten(s) || masked) {
        p.read = true;
        return;
    }
    p.covers.push_back({p.number, api, color.texture, color.level, color.face});
    p.Rewritten(color);
}

// A clear of the bound framebuffer with the scissor test off rewrites each image it writes whole.
template <class State>
void VisitClear(const State& s, SPending& p, uint32_t mask)
{
    const SEs2Framebuffer* f = BoundFramebuffer(s);
    if (!f)
        return;
    const uint8_t api = ApiOf(s);
    if ((mask & kColorBufferBit) && !EveryColourWritten(s) && f->color.name && p.Holds(AttachedImage(api, f->color)))
        p.masked.push_back(AttachedImage(api, f->color));
    if (ScissorOn(s))
        return;
    if ((mask & kColorBufferBit) && EveryColourWritten(s) && f->color.name)
        p.Rewritten(AttachedImage(api, f->color));
    const bool depth = (mask & kDepthBufferBit) && s.depthMask && f->depth.name;
    const bool stencil = (mask & kStencilBufferBit) && EveryStencilBitWritten(s) && f->stencil.name;
    // A packed depth-stencil image is rewritten when both halves are.
    const bool packed = f->depth.name && f->depth.name == f->stencil.name && f->depth.type == f->stencil.type;
    if (depth && (!packed || stencil))
        p.Rewritten(AttachedImage(api, f->depth));
    if (stencil && (!packed || depth))
        p.Rewritten(AttachedImage(api, f->stencil));
}

// One GL call with the state just before it.
template <class State>
void Visit(CApiCall& call, const State& s, SPending& p)
{
    const uint16_t id = uint16_t(call.GetId());
    const uint8_t api = ApiOf(s);
    const bool done = call.RecordedSuccess();
    if (IsDrawCall(id)) {
        p.ReadIf(SamplesPending(s, p));
        VisitDraw(s, p);
        return;
    }
    const bool copies = CopiesImage(id) || CopiesSubImage(id);
    if (!IsClear(id) && !copies && !IsTextureUpload(id) && !MakesMipmaps(id))
        return;
    const CPlayArgs args(call);
    if (IsClear(id)) {
        const playrows::TTraitArgs<trait::Clear> clear{args};
        if (done && clear.Listed<"mask">())
            VisitClear(s, p, clear.Item<"mask">());
        return;
    }
    const playrows::TTraitArgs<kNamesTexture> named{args};
    if (!named.Listed<"target">())
        return;
    if (copies)
        if (const SEs2Attachment* source = objects::DrawnTexture(s))
            p.ReadIf(p.Holds(AttachedImage(api, *source)));
    uint32_t face = 0;
    const uint32_t texture = TargetTexture(s, named.Item<"target">(), face);
    if (MakesMipmaps(id)) {
        // Level 0 of every face is read; every other level is made again.
        p.ReadIf(std::any_of(p.images.begin(), p.images.end(), [&](const SImageKey& k) {
            return k.api == api && k.texture == texture && k.level == 0;
        }));
        if (done)
            p.Drop([&](const SImageKey& k) { return k.api == api && k.texture == texture && k.level != 0; });
        return;
    }
    const playrows::TTraitArgs<kWritesLevel> written{args};
    if (!written.Listed<"level">())
        return;
    const SImageKey image{api, texture, written.Item<"level">(), face};
    if (IsImageUpload(id) || CopiesImage(id)) {
        if (done)
            p.Rewritten(image);
    } else {
        p.ReadIf(p.Holds(image));  // a sub-image update keeps the pixels around it
    }
}

} // namespace

namespace {

// The walk of both ClassifyStartImages: `draws` (when given) takes the last frame's SCoverDraw list.
void Classify(CTraceData& trace, uint32_t first, uint32_t last, std::vector<uint8_t>& out,
              std::vector<SCoverDraw>* draws)
{
    if (out.size() <= last)
        out.resize(size_t(last) + 1, 0);
    for (uint32_t f = first; f <= last; ++f)
        out[f] = uint8_t(EStartImages::Read);  // a frame without calls stays in doubt
    const STraceFrame* a = trace.GetFrame(first);
    const STraceFrame* b = trace.GetFrame(last);
    if (!a || !b || first > last)
        return;
    const uint32_t end = b->endCall == STraceFrame::kOpenEnd ? trace.GetCallCount() : b->endCall;
    SEglState egl;
    trace.GetFrameEglState(first, &egl);
    uint64_t context = egl.currentContext, frameContext = context;
    SPending p;
    bool held = false;
    uint32_t frame = 0;
    auto finish = [&] {
        if (frame < first || frame > last)
            return;
        const EStartImages c = !held ? EStartImages::None
                               : p.read ? EStartImages::Read
                               : !p.covers.empty() ? EStartImages::Covered
                               : p.images.empty() ? EStartImages::Rewritten
                                                  : EStartImages::Unread;
        out[frame] = uint8_t(c);
        if (draws && frame == last && c == EStartImages::Covered)
            *draws = std::move(p.covers);
    };
    trace.WalkStates(a->firstCall, end, [&](uint32_t index, const SEs1State& es1, const SEs2State& es2) {
        STraceCall* entry = index < end ? trace.GetCall(index + 1) : nullptr;
        if (!entry) {
            finish();
            return;
        }
        if (entry->frame != frame) {
            finish();
            frame = entry->frame;
            p = SPending();
            Collect(p, es1);
            Collect(p, es2);
            held = !p.images.empty();
            frameContext = context;
        }
        if (!entry->call)
            return;
        CApiCall& call = *entry->call;
        const uint8_t kind = call.GetStateKind();
        if (MakesCurrent(uint16_t(call.GetId()))) {
            // Another context sees other textures under the same names: the frame's images may be read.
            const CPlayArgs args(call);
            const playrows::TTraitArgs<trait::MakesCurrent> current{args};
            const uint64_t made = current.Listed<"ctx">() ? uint64_t(current.Item<"ctx">()) : ~uint64_t(0);
            p.ReadIf(!p.images.empty() && made != frameContext);
            if (call.RecordedSuccess())
                context = made;
            return;
        }
        if (p.read || p.images.empty())
            return;
        p.number = index + 1;
        if (IsEs1StateKind(kind))
            Visit(call, es1, p);
        else if (IsEs2StateKind(kind))
            Visit(call, es2, p);
    });
}

} // namespace

void ClassifyStartImages(CTraceData& trace, uint32_t first, uint32_t last, std::vector<uint8_t>& out)
{
    Classify(trace, first, last, out, nullptr);
}

EStartImages ClassifyStartImages(CTraceData& trace, uint32_t frame)
{
    std::vector<uint8_t> out;
    ClassifyStartImages(trace, frame, frame, out);
    return EStartImages(out[frame]);
}

EStartImages ClassifyStartImages(CTraceData& trace, uint32_t frame, std::vector<SCoverDraw>& draws)
{
    std::vector<uint8_t> out;
    draws.clear();
    Classify(trace, frame, frame, out, &draws);
    return EStartImages(out[frame]);
}

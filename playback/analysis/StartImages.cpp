#include "StartImages.h"

#include "PlayArgs.h"

#include "CallQueries.h"
#include "apicall/ApiCall.h"
#include "data/TraceData.h"
#include "state/FramebufferObjects.h"
#include "values/GlTokens.h"

#include <algorithm>
#include <vector>

namespace {

constexpr uint32_t kColorBufferBit = 0x4000;  // a bit of glClear's mask, not an enum of the name table
constexpr uint32_t kTexture2D = gltoken::TEXTURE_2D, kTextureCubeMap = gltoken::TEXTURE_CUBE_MAP,
                   kCubePositiveX = gltoken::TEXTURE_CUBE_MAP_POSITIVE_X,
                   kCubeNegativeZ = gltoken::TEXTURE_CUBE_MAP_NEGATIVE_Z, kScissorTest = gltoken::SCISSOR_TEST;
// The levels above 0 generated from level 0 (their images may not be in the state's tables).
constexpr int32_t kGeneratedLevels = -1;

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

void Collect(SPending& p, const SEs2State& s)
{
    for (const auto& texture : s.textures)
        for (const auto& level : texture.record)
            for (const auto& face : level.record)
                AddImage(p, kEsVersion2, texture.key, int32_t(level.key), face.key, face.record);
}

void Collect(SPending& p, const SEs1State& s)
{
    for (const auto& texture : s.textures)
        for (const auto& level : texture.record)
            AddImage(p, kEsVersion1, texture.key, int32_t(level.key), 0, level.record);
}

// The per-API facts the rules ask of a state.
bool ScissorOn(const SEs2State& s) { return s.capabilities[Es2CapabilityIndex(kScissorTest)] != 0; }
bool ScissorOn(const SEs1State& s)
{
    const auto at = std::find(std::begin(kEs1Capabilities), std::end(kEs1Capabilities), kScissorTest);
    return s.capabilities[at - std::begin(kEs1Capabilities)] != 0;
}

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
    const uint32_t face = a.target >= kCubePositiveX && a.target <= kCubeNegativeZ ? a.target - kCubePositiveX : 0;
    return {api, a.name, int32_t(a.level), face};
}

// The bound framebuffer's texture attachments.
template <class State, class Fn>
void ForAttachedTextures(const State& s, Fn&& fn)
{
    if (s.framebufferBinding == 0)
        return;
    const SEs2Framebuffer* f = std::as_const(s.framebuffers).Get(s.framebufferBinding);
    if (!f)
        return;
    for (const SEs2Attachment* a : {&f->color, &f->depth, &f->stencil})
        if (a->type == objects::kTexture && a->name != 0)
            fn(AttachedImage(ApiOf(s), *a));
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
        ForAttachedTextures(s, [&](const SImageKey& k) { p.ReadIf(p.Holds(k)); });
        return;
    }
    const bool copies = CopiesImage(id) || CopiesSubImage(id);
    if (!IsClear(id) && !copies && !IsTextureUpload(id) && !MakesMipmaps(id))
        return;
    const CPlayArgs args(call);
    if (args.Count() == 0)
        return;
    if (IsClear(id)) {
        const SEs2Attachment* color = objects::DrawnTexture(s);
        const bool whole = (args.U32(0) & kColorBufferBit) && !ScissorOn(s) && s.colorMask[0] && s.colorMask[1] &&
                           s.colorMask[2] && s.colorMask[3];
        if (color && whole && done)
            p.Rewritten(AttachedImage(api, *color));
        return;
    }
    if (copies)
        if (const SEs2Attachment* source = objects::DrawnTexture(s))
            p.ReadIf(p.Holds(AttachedImage(api, *source)));
    uint32_t face = 0;
    const uint32_t texture = TargetTexture(s, args.U32(0), face);
    if (MakesMipmaps(id)) {
        // Level 0 of every face is read; every other level is made again.
        p.ReadIf(std::any_of(p.images.begin(), p.images.end(), [&](const SImageKey& k) {
            return k.api == api && k.texture == texture && k.level == 0;
        }));
        if (done)
            p.Drop([&](const SImageKey& k) { return k.api == api && k.texture == texture && k.level != 0; });
        return;
    }
    if (args.Count() < 2)
        return;
    const SImageKey image{api, texture, args.I32(1), face};
    if (IsImageUpload(id) || CopiesImage(id)) {
        if (done)
            p.Rewritten(image);
    } else {
        p.ReadIf(p.Holds(image));  // a sub-image update keeps the pixels around it
    }
}

} // namespace

void ClassifyStartImages(CTraceData& trace, uint32_t first, uint32_t last, std::vector<uint8_t>& out)
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
                               : p.images.empty() ? EStartImages::Rewritten
                                                  : EStartImages::Unread;
        out[frame] = uint8_t(c);
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
            const uint64_t made = args.Count() >= 4 ? args.U64(3) : ~uint64_t(0);
            p.ReadIf(!p.images.empty() && made != frameContext);
            if (call.RecordedSuccess())
                context = made;
            return;
        }
        if (p.read || p.images.empty())
            return;
        if (IsEs1StateKind(kind))
            Visit(call, es1, p);
        else if (IsEs2StateKind(kind))
            Visit(call, es2, p);
    });
}

EStartImages ClassifyStartImages(CTraceData& trace, uint32_t frame)
{
    std::vector<uint8_t> out;
    ClassifyStartImages(trace, frame, frame, out);
    return EStartImages(out[frame]);
}

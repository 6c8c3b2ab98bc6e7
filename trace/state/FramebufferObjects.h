#pragma once
// Framebuffer, renderbuffer and vertex-array objects as both tracked states keep them, and the
// effects that make, bind, change and delete them. The ES 2.0 calls, and the framebuffer-object
// and vertex-array-object extension calls on either API, share these effects: each takes the state
// whose tables it changes (SEs2State or SEs1State, which name their tables alike) and the values of
// the call's arguments.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <utility>

#include "values/GlTokens.h"

struct SEs2Attachment
{
    uint32_t name = 0;
    uint32_t type = 0;     // GL_TEXTURE or GL_RENDERBUFFER
    uint32_t level = 0;
    uint32_t target = 0;   // 0 stands for GL_TEXTURE_2D, else the cube face target
};

struct SEs2Framebuffer
{
    uint32_t name = 0;
    uint32_t bound = 0;    // low byte 1 once the framebuffer was bound
    SEs2Attachment color;
    uint32_t samples = 0;  // multisample render-to-texture extension
    SEs2Attachment depth;
    SEs2Attachment stencil;
};

// The attachment point of a framebuffer an attachment enum names: GL_COLOR_ATTACHMENT0,
// GL_DEPTH_ATTACHMENT or GL_STENCIL_ATTACHMENT; null for any other.
inline SEs2Attachment* AttachmentOf(SEs2Framebuffer& f, uint32_t attachment)
{
    switch (attachment) {
    case gltoken::COLOR_ATTACHMENT0: return &f.color;
    case gltoken::DEPTH_ATTACHMENT: return &f.depth;
    case gltoken::STENCIL_ATTACHMENT: return &f.stencil;
    default: return nullptr;
    }
}

struct SEs2Renderbuffer
{
    uint32_t name = 0;
    uint32_t bound = 0;
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t internalFormat = 0;
    uint32_t samples = 0;
    // The GPU drew or cleared depth or stencil values into it since its storage was made: the
    // trace holds none of them.
    uint8_t gpuMade = 0;
};

namespace objects {

inline constexpr uint32_t kFramebuffer = gltoken::FRAMEBUFFER, kRenderbuffer = gltoken::RENDERBUFFER, kTexture = gltoken::TEXTURE, kTexture2D = gltoken::TEXTURE_2D;

// The bound framebuffer's colour attachment when it is a texture (what a draw or a clear writes
// into), or null.
template <class State>
const SEs2Attachment* DrawnTexture(const State& s)
{
    if (s.framebufferBinding == 0)
        return nullptr;
    const SEs2Framebuffer* f = std::as_const(s.framebuffers).Get(s.framebufferBinding);
    return f && f->color.type == kTexture ? &f->color : nullptr;
}

// What a draw or clear writes into the bound framebuffer, beside its colours.
struct SDrawnBuffers
{
    bool depth = false;
    bool stencil = false;
};

// The depth and stencil attachments of the bound framebuffer a draw or clear writes: a texture is
// handed to markTexture (its image marked as the GPU's), a renderbuffer marked here. Read first: a
// write access copies tables a snapshot shares. True when a mark is new.
template <class State, class MarkTexture>
bool MarkDrawnBuffers(State& s, SDrawnBuffers drawn, MarkTexture&& markTexture)
{
    if (s.framebufferBinding == 0 || (!drawn.depth && !drawn.stencil))
        return false;
    const SEs2Framebuffer* f = std::as_const(s.framebuffers).Get(s.framebufferBinding);
    if (!f)
        return false;
    const SEs2Attachment written[] = {drawn.depth ? f->depth : SEs2Attachment{},
                                      drawn.stencil ? f->stencil : SEs2Attachment{}};
    bool changed = false;
    for (const SEs2Attachment& a : written) {
        if (a.name == 0)
            continue;
        if (a.type == kTexture) {
            changed = markTexture(a) || changed;
        } else if (const SEs2Renderbuffer* r = std::as_const(s.renderbuffers).Get(a.name);
                   a.type == kRenderbuffer && r && !r->gpuMade) {
            s.renderbuffers[a.name].gpuMade = 1;
            changed = true;
        }
    }
    return changed;
}

// Calls fn with each of the first n names a recorded array holds (never more than it holds).
template <class Names, class Fn>
void ForRecordedNames(const Names& names, int32_t n, Fn&& fn)
{
    const size_t count = std::min<size_t>(n > 0 ? size_t(n) : 0, names.ElementCount());
    for (size_t i = 0; i < count; ++i)
        fn(uint32_t(names[i].value));
}

// ---- framebuffers ----

template <class State>
void GenFramebuffer(State& s, uint32_t name)
{
    s.framebuffers[name] = SEs2Framebuffer{};
    s.framebuffers[name].name = name;
}

template <class State>
void BindFramebuffer(State& s, uint32_t name)
{
    s.framebufferBinding = name;
    if (name != 0)
        s.framebuffers[name].bound = 1;
}

template <class State>
void DeleteFramebuffer(State& s, uint32_t name)
{
    if (s.framebufferBinding == name)
        s.framebufferBinding = 0;
    s.framebuffers.Erase(name);
}

// Whether an attachment call of this target changes the tracked framebuffers: GL_FRAMEBUFFER alone.
// Another (GL_READ_FRAMEBUFFER, which a driver of a blit extension takes) attaches nothing here, and
// the replay passes such a call over too, so that a frame restored from this state and one replayed
// from the trace's start hold the same attachments.
inline bool AttachesTo(uint32_t target)
{
    return target == kFramebuffer;
}

// False for a target other than GL_FRAMEBUFFER. An attachment point not tracked changes nothing:
// the current framebuffer gets no entry for it.
template <class State>
bool AttachRenderbuffer(State& s, uint32_t target, uint32_t attachment, uint32_t renderbuffer)
{
    if (!AttachesTo(target))
        return false;
    SEs2Framebuffer probe;
    if (!AttachmentOf(probe, attachment))
        return true;
    SEs2Attachment* a = AttachmentOf(s.framebuffers[s.framebufferBinding], attachment);
    a->type = kRenderbuffer;
    a->name = renderbuffer;
    return true;
}

// The bound framebuffer takes the sample count whatever the attachment (0 for the single-sampled
// call); a tracked attachment point also takes the texture. A 2D target keeps the cube face the
// attachment had.
template <class State>
bool AttachTexture(State& s, uint32_t target, uint32_t attachment, uint32_t textarget, uint32_t texture,
                   int32_t level, uint32_t samples)
{
    if (!AttachesTo(target))
        return false;
    SEs2Framebuffer& f = s.framebuffers[s.framebufferBinding];
    f.samples = samples;
    if (SEs2Attachment* a = AttachmentOf(f, attachment)) {
        a->type = kTexture;
        a->name = texture;
        a->level = uint32_t(level);
        if (textarget != kTexture2D)
            a->target = textarget;
    }
    return true;
}

// ---- renderbuffers ----

template <class State>
void GenRenderbuffer(State& s, uint32_t name)
{
    s.renderbuffers[name] = SEs2Renderbuffer{};
    s.renderbuffers[name].name = name;
}

template <class State>
void BindRenderbuffer(State& s, uint32_t name)
{
    s.renderbufferBinding = name;
    if (name != 0) {
        SEs2Renderbuffer& r = s.renderbuffers[name];
        r.bound = 1;
        r.samples = 0;
    }
}

template <class State>
void DeleteRenderbuffer(State& s, uint32_t name)
{
    if (s.renderbufferBinding == name)
        s.renderbufferBinding = 0;
    s.renderbuffers.Erase(name);
}

// The bound renderbuffer's storage, whatever the target says.
template <class State>
void RenderbufferStorage(State& s, uint32_t internalFormat, int32_t width, int32_t height, uint32_t samples)
{
    SEs2Renderbuffer& r = s.renderbuffers[s.renderbufferBinding];
    r.height = uint32_t(height);
    r.width = uint32_t(width);
    r.internalFormat = internalFormat;
    r.samples = samples;
    r.gpuMade = 0;
}

// ---- vertex-array objects (the state's own record type: attribute or client arrays) ----

template <class State>
void GenVertexArray(State& s, uint32_t name)
{
    s.vertexArrays[name] = typename std::remove_reference_t<decltype(s.vertexArrays[name])>{};
}

// Binding makes the object's record, so the state lists every object bound.
template <class State>
void BindVertexArray(State& s, uint32_t name)
{
    s.vertexArrayBinding = name;
    s.vertexArrays[name];
}

// Deleting the bound object binds the default one; the default object itself is never deleted.
template <class State>
void DeleteVertexArray(State& s, uint32_t name)
{
    if (name == 0)
        return;
    if (s.vertexArrayBinding == name)
        s.vertexArrayBinding = 0;
    s.vertexArrays.Erase(name);
}

} // namespace objects

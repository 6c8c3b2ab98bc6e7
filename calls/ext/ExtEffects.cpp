// The state effects of the extension records: the multisample render-to-texture pair on the ES 2.0
// state (through the family's effect overloads, applied by the trace container like any ES 2.0
// effect), and the ES 1.1 hooks of the vertex-array binding, the palette matrix and the palette
// pointer calls. Records a table lacks are added with their defaults.
#include "ExtRecords.h"

namespace xqft_ext {

namespace {
constexpr uint32_t kFramebuffer = 0x8D40, kTexture = 0x1702, kTexture2D = 0x0DE1;

// A palette pointer call's array as the ES 1.1 pointer calls store theirs, without an array buffer.
template <class Call>
SEs1ClientArray PaletteArray(const Call& c)
{
    return {0, c.template Item<"size">().Value(), c.template Item<"type">().Value(),
            c.template Item<"stride">().Value(), c.template Item<"pointer">().Value()};
}
} // namespace

bool CExt_glBindVertexArrayOES_v1::UpdateEs1State(SEs1State* state, uint32_t)
{
    state->vertexArrayBinding = Item<"vertexarray">().Value();
    return true;
}

bool CExt_glCurrentPaletteMatrixOES_v1::UpdateEs1State(SEs1State* state, uint32_t)
{
    state->currentPaletteMatrix = Item<"matrixpaletteindex">().Value();
    return true;
}

// The array's enabled flag is left as it is: glEnableClientState decides it.
bool CExt_glMatrixIndexPointerOES_v1::UpdateEs1State(SEs1State* state, uint32_t)
{
    state->vertexArrays[state->vertexArrayBinding].matrixIndex = PaletteArray(*this);
    return true;
}

bool CExt_glWeightPointerOES_v1::UpdateEs1State(SEs1State* state, uint32_t)
{
    state->vertexArrays[state->vertexArrayBinding].weight = PaletteArray(*this);
    return true;
}

// The bound renderbuffer's storage, whatever the target says.
bool ExtEffect(const CExt_glRenderbufferStorageMultisampleWZQ_v1& c, SEs2State& s)
{
    SEs2Renderbuffer& r = s.renderbuffers[s.renderbufferBinding];
    r.height = uint32_t(c.Item<"height">().Value());
    r.width = uint32_t(c.Item<"width">().Value());
    r.internalFormat = c.Item<"internalformat">().Value();
    r.samples = uint32_t(c.Item<"samples">().Value());
    return true;
}

// The bound framebuffer takes the sample count whatever the attachment; a colour, depth or stencil
// attachment also takes the texture. A 2D target keeps the cube face the attachment had.
bool ExtEffect(const CExt_glFramebufferTexture2DMultisampleWZQ_v1& c, SEs2State& s)
{
    if (c.Item<"target">().Value() != kFramebuffer)
        return false;
    SEs2Framebuffer& f = s.framebuffers[s.framebufferBinding];
    f.samples = uint32_t(c.Item<"samples">().Value());
    if (SEs2Attachment* a = AttachmentOf(f, c.Item<"attachment">().Value())) {
        a->type = kTexture;
        a->name = c.Item<"texture">().Value();
        a->level = uint32_t(c.Item<"level">().Value());
        if (c.Item<"textarget">().Value() != kTexture2D)
            a->target = c.Item<"textarget">().Value();
    }
    return true;
}

} // namespace xqft_ext

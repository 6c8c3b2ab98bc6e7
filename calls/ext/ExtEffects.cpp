// The state effects of the extension records, one overload for each state: the call's selector
// decides which one the trace container applies (the state of the context the call was made on).
// The vertex-array-object and framebuffer-object functions change the objects of either state as
// the ES 2.0 functions do (state/FramebufferObjects.h); the palette matrix and the palette pointer
// calls and the fixed-point matrix functions (through the effects of their core forms) have an
// effect on ES 1.1 only, the multisample render-to-texture pair on ES 2.0 only.
// Records a table lacks are added with their defaults.
#include "ExtRecords.h"

#include "Es1MatrixEffects.h"

namespace xqft::ext {

namespace {
using objects::ForRecordedNames;

// A palette pointer call's array as the ES 1.1 pointer calls store theirs, without an array buffer.
template <class Call>
SEs1ClientArray PaletteArray(const Call& c)
{
    return {0, c.template Item<"size">().Value(), c.template Item<"type">().Value(),
            c.template Item<"stride">().Value(), c.template Item<"pointer">().Value()};
}

// The generate calls name their objects only with the data: without, they change nothing.
template <class Call, class Names, class Fn>
bool Generate(const Call& c, const Names& names, Fn&& make)
{
    if (!c.IsDataIncluded())
        return false;
    ForRecordedNames(names, c.template Item<"n">().Value(), make);
    return true;
}

// ---- vertex-array objects ----

template <class State>
bool BindVertexArray(const CExt_glBindVertexArrayOES_v1& c, State& s)
{
    objects::BindVertexArray(s, c.Item<"vertexarray">().Value());
    return true;
}

template <class State>
bool DeleteVertexArrays(const CExt_glDeleteVertexArraysOES_v1& c, State& s)
{
    ForRecordedNames(c.Item<"vertexarrays">().data, c.Item<"n">().Value(),
                     [&](uint32_t name) { objects::DeleteVertexArray(s, name); });
    return true;
}

template <class State>
bool GenVertexArrays(const CExt_glGenVertexArraysOES_v1& c, State& s)
{
    return Generate(c, c.Item<"vertexarrays">().data, [&](uint32_t name) { objects::GenVertexArray(s, name); });
}

// ---- framebuffer objects ----

template <class State>
bool BindRenderbuffer(const CExt_glBindRenderbufferOES_v1& c, State& s)
{
    objects::BindRenderbuffer(s, c.Item<"renderbuffer">().Value());
    return true;
}

template <class State>
bool DeleteRenderbuffers(const CExt_glDeleteRenderbuffersOES_v1& c, State& s)
{
    ForRecordedNames(c.Item<"renderbuffers">().data, c.Item<"n">().Value(),
                     [&](uint32_t name) { objects::DeleteRenderbuffer(s, name); });
    return true;
}

template <class State>
bool GenRenderbuffers(const CExt_glGenRenderbuffersOES_v1& c, State& s)
{
    return Generate(c, c.Item<"renderbuffers">().data, [&](uint32_t name) { objects::GenRenderbuffer(s, name); });
}

template <class State>
bool RenderbufferStorage(const CExt_glRenderbufferStorageOES_v1& c, State& s)
{
    objects::RenderbufferStorage(s, c.Item<"internalformat">().Value(), c.Item<"width">().Value(),
                                 c.Item<"height">().Value(), 0);
    return true;
}

template <class State>
bool BindFramebuffer(const CExt_glBindFramebufferOES_v1& c, State& s)
{
    objects::BindFramebuffer(s, c.Item<"framebuffer">().Value());
    return true;
}

template <class State>
bool DeleteFramebuffers(const CExt_glDeleteFramebuffersOES_v1& c, State& s)
{
    ForRecordedNames(c.Item<"framebuffers">().data, c.Item<"n">().Value(),
                     [&](uint32_t name) { objects::DeleteFramebuffer(s, name); });
    return true;
}

template <class State>
bool GenFramebuffers(const CExt_glGenFramebuffersOES_v1& c, State& s)
{
    return Generate(c, c.Item<"framebuffers">().data, [&](uint32_t name) { objects::GenFramebuffer(s, name); });
}

template <class State>
bool FramebufferTexture(const CExt_glFramebufferTexture2DOES_v1& c, State& s)
{
    return objects::AttachTexture(s, c.Item<"target">().Value(), c.Item<"attachment">().Value(),
                                  c.Item<"textarget">().Value(), c.Item<"texture">().Value(),
                                  c.Item<"level">().Value(), 0);
}

template <class State>
bool FramebufferRenderbuffer(const CExt_glFramebufferRenderbufferOES_v1& c, State& s)
{
    return objects::AttachRenderbuffer(s, c.Item<"target">().Value(), c.Item<"attachment">().Value(),
                                       c.Item<"renderbuffer">().Value());
}
} // namespace

// The functions of both APIs: one effect, on the objects of the state given.
#define XQF_BOTH_STATES(Class, Body)                                          \
    bool ExtEffect(const Class& c, SEs1State& s) { return Body(c, s); }       \
    bool ExtEffect(const Class& c, SEs2State& s) { return Body(c, s); }

XQF_BOTH_STATES(CExt_glBindVertexArrayOES_v1, BindVertexArray)
XQF_BOTH_STATES(CExt_glDeleteVertexArraysOES_v1, DeleteVertexArrays)
XQF_BOTH_STATES(CExt_glGenVertexArraysOES_v1, GenVertexArrays)
XQF_BOTH_STATES(CExt_glBindRenderbufferOES_v1, BindRenderbuffer)
XQF_BOTH_STATES(CExt_glDeleteRenderbuffersOES_v1, DeleteRenderbuffers)
XQF_BOTH_STATES(CExt_glGenRenderbuffersOES_v1, GenRenderbuffers)
XQF_BOTH_STATES(CExt_glRenderbufferStorageOES_v1, RenderbufferStorage)
XQF_BOTH_STATES(CExt_glBindFramebufferOES_v1, BindFramebuffer)
XQF_BOTH_STATES(CExt_glDeleteFramebuffersOES_v1, DeleteFramebuffers)
XQF_BOTH_STATES(CExt_glGenFramebuffersOES_v1, GenFramebuffers)
XQF_BOTH_STATES(CExt_glFramebufferTexture2DOES_v1, FramebufferTexture)
XQF_BOTH_STATES(CExt_glFramebufferRenderbufferOES_v1, FramebufferRenderbuffer)
#undef XQF_BOTH_STATES

// ---- the matrix palette: ES 1.1 only ----

bool ExtEffect(const CExt_glCurrentPaletteMatrixOES_v1& c, SEs1State& s)
{
    s.currentPaletteMatrix = c.Item<"matrixpaletteindex">().Value();
    return true;
}
bool ExtEffect(const CExt_glCurrentPaletteMatrixOES_v1&, SEs2State&) { return false; }

// The current palette matrix takes the model-view matrix (the top of its stack).
bool ExtEffect(const CExt_glLoadPaletteFromModelViewMatrixOES_v1&, SEs1State& s)
{
    const uint32_t palette = s.currentPaletteMatrix;
    if (palette >= s.paletteStackBase || 2 + uint64_t(palette) >= uint64_t(kEs1MatrixStacks))
        return false;
    s.matrixStacks[2 + palette].top = s.matrixStacks[0].top;
    return true;
}

bool ExtEffect(const CExt_glLoadPaletteFromModelViewMatrixOES_v1&, SEs2State&) { return false; }

// The array's enabled flag is left as it is: glEnableClientState decides it.
bool ExtEffect(const CExt_glMatrixIndexPointerOES_v1& c, SEs1State& s)
{
    s.vertexArrays[s.vertexArrayBinding].matrixIndex = PaletteArray(c);
    return true;
}
bool ExtEffect(const CExt_glMatrixIndexPointerOES_v1&, SEs2State&) { return false; }

bool ExtEffect(const CExt_glWeightPointerOES_v1& c, SEs1State& s)
{
    s.vertexArrays[s.vertexArrayBinding].weight = PaletteArray(c);
    return true;
}
bool ExtEffect(const CExt_glWeightPointerOES_v1&, SEs2State&) { return false; }

// ---- the fixed-point matrix functions: ES 1.1 only, as their core forms ----

#define XQF_ES1_MATRIX(Class, Effect)                                                        \
    bool ExtEffect(const Class& c, SEs1State& s) { return es1::Effect(c, s, 0); }            \
    bool ExtEffect(const Class&, SEs2State&) { return false; }

XQF_ES1_MATRIX(CExt_glFrustumxOES_v1, FrustumCall)
XQF_ES1_MATRIX(CExt_glLoadMatrixxOES_v1, LoadMatrix)
XQF_ES1_MATRIX(CExt_glMultMatrixxOES_v1, MultMatrix)
XQF_ES1_MATRIX(CExt_glOrthoxOES_v1, OrthoCall)
XQF_ES1_MATRIX(CExt_glRotatexOES_v1, RotateCall)
XQF_ES1_MATRIX(CExt_glScalexOES_v1, ScaleCall)
XQF_ES1_MATRIX(CExt_glTranslatexOES_v1, TranslateCall)
#undef XQF_ES1_MATRIX

// ---- generated levels: ES 1.1 only (ES 2.0 has glGenerateMipmap) ----

bool ExtEffect(const CExt_glGenerateMipmapOES_v1& c, SEs1State& s)
{
    return es1::MarkMipmapsGenerated(s, c.Item<"target">().Value());
}
bool ExtEffect(const CExt_glGenerateMipmapOES_v1&, SEs2State&) { return false; }

// ---- multisampled render to texture: ES 2.0 only ----

bool ExtEffect(const CExt_glRenderbufferStorageMultisampleWZQ_v1& c, SEs2State& s)
{
    objects::RenderbufferStorage(s, c.Item<"internalformat">().Value(), c.Item<"width">().Value(),
                                 c.Item<"height">().Value(), uint32_t(c.Item<"samples">().Value()));
    return true;
}
bool ExtEffect(const CExt_glRenderbufferStorageMultisampleWZQ_v1&, SEs1State&) { return false; }

bool ExtEffect(const CExt_glFramebufferTexture2DMultisampleWZQ_v1& c, SEs2State& s)
{
    return objects::AttachTexture(s, c.Item<"target">().Value(), c.Item<"attachment">().Value(),
                                  c.Item<"textarget">().Value(), c.Item<"texture">().Value(),
                                  c.Item<"level">().Value(), uint32_t(c.Item<"samples">().Value()));
}
bool ExtEffect(const CExt_glFramebufferTexture2DMultisampleWZQ_v1&, SEs1State&) { return false; }

} // namespace xqft::ext

// Replays recorded extension calls on the host library of the API each was recorded on (its
// selector, kEsVersion1 or kEsVersion2). Extension entry points are optional: they are looked up
// once per API, and a call whose entry point the host lacks is reported and passed over. Every call
// with a case, and every row marked not replayed, counts as played (result 1) whatever the host
// did; the ids with neither (the stream, fence and EGL-image functions, and the fixed-point ones
// other than the matrix functions) answer 0. The fixed-point matrix functions are the core ES 1.1
// ones under another name: they play through the core entry points of the ES 1.1 host.
//
// One table row per case: the hosts that play it, the entry point it needs, and what it hands over.
// Counts are never trusted past the arrays the trace holds: such a call is refused and sends nothing.
#include "Diagnostics.h"
#include "PlayArgs.h"
#include "PlayRows.h"
#include "Playback.h"
#include "RecordedArrays.h"
#include "es1/Es1Play.h"
#include "values/GlTokens.h"
#include "host/HostChecks.h"
#include "host/HostTables.h"
#include "maps/NameMaps.h"

#include "CallQueries.h"
#include "ExtRecords.h"
#include "apicall/CallFamilies.h"
#include "data/TraceData.h"
#include "values/ArrayHolders.h"
#include "values/DataHolders.h"

#include <EGL/egl.h>
#include <GLES/gl.h>  // the core fixed-point matrix functions
#include <GLES2/gl2.h>
#include <GLES2/gl2ext.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// The extension tokens this player asks the host for.
constexpr GLenum kBufferMapped = GL_BUFFER_MAPPED_OES;
constexpr GLenum kBufferMapPointer = GL_BUFFER_MAP_POINTER_OES;
constexpr GLenum kMaxSamples = gltoken::MAX_SAMPLES_WZQ;  // of the multisampled render-to-texture pair

// The prototypes of the extension entry points, as the extensions define them.
namespace ext {
using Discard = void (*)(GLenum target, GLsizei count, const GLenum* attachments);
using Map = void* (*)(GLenum target, GLenum access);
using Unmap = GLboolean (*)(GLenum target);
using BufferPointer = void (*)(GLenum target, GLenum pname, void** params);
using BindVertexArray = void (*)(GLuint array);
using Names = void (*)(GLsizei n, GLuint* names);
using ConstNames = void (*)(GLsizei n, const GLuint* names);
using PaletteMatrix = void (*)(GLuint index);
using NoArguments = void (*)();
using PalettePointer = void (*)(GLint size, GLenum type, GLsizei stride, const void* pointer);
using BindObject = void (*)(GLenum target, GLuint name);
using Storage = void (*)(GLenum target, GLenum internalformat, GLsizei width, GLsizei height);
using Texture2D = void (*)(GLenum target, GLenum attachment, GLenum textarget, GLuint texture, GLint level);
using Renderbuffer = void (*)(GLenum target, GLenum attachment, GLenum renderbuffertarget, GLuint renderbuffer);
using AttachmentQuery = void (*)(GLenum target, GLenum attachment, GLenum pname, GLint* params);
using Mipmap = void (*)(GLenum target);
using StorageMultisample = void (*)(GLenum target, GLsizei samples, GLenum internalformat, GLsizei width,
                                    GLsizei height);
using Texture2DMultisample = void (*)(GLenum target, GLenum attachment, GLenum textarget, GLuint texture,
                                      GLint level, GLsizei samples);
} // namespace ext

enum EHosts : uint8_t
{
    kEs1 = kEsVersion1,
    kEs2 = kEsVersion2,
    kBoth = kEs1 | kEs2,
};

using Slot = void* SHostExtensionSlots::*;

struct SPlay
{
    CPlayback& playback;
    CApiCall& call;
    const CPlayArgs& a;
    uint32_t api;               // kEsVersion1 or kEsVersion2: the host the case runs on
    SHostExtensionSlots& ext;   // that host's extension entry points
    void* entry;                // the case's own extension entry point (null for a core one)
};

// A case's body; false when it refused the call (after its "ERROR: " line): nothing was sent.
using Body = bool (*)(SPlay&);

template <class F>
F Entry(const SPlay& p)
{
    return reinterpret_cast<F>(p.entry);
}
template <class F>
F Entry(const SPlay& p, Slot slot)
{
    return reinterpret_cast<F>(p.ext.*slot);
}

// The core entry points both hosts have, on the host of the call's API.
void GetBufferInt(const SPlay& p, GLenum target, GLenum pname, GLint* value)
{
    if (p.api == kEsVersion1)
        XQF_HOST(*SEs1Host::Instance(), glGetBufferParameteriv)(target, pname, value);
    else
        XQF_HOST(*SEs2Host::Instance(), glGetBufferParameteriv)(target, pname, value);
}

using NameArray = SArrayPtr<TGLuint, 1, 1>;
using EnumArray = SArrayPtr<TGLenum, 1, 1>;

// ---- vertex-array objects: the context's own table on ES 1.1, the process-wide map on ES 2.0 ----

uint32_t HostVertexArray(SPlay& p, uint32_t recorded)
{
    return p.api == kEsVersion1 ? p.playback.m_es1Extensions.GetVertexArray(recorded) : VertexArrayNameMap::Get(recorded);
}
void EraseVertexArray(SPlay& p, uint32_t recorded)
{
    if (p.api == kEsVersion1)
        p.playback.m_es1Extensions.EraseVertexArray(recorded);
    else
        VertexArrayNameMap::Erase(recorded);
}
void SetVertexArray(SPlay& p, uint32_t recorded, uint32_t host)
{
    if (p.api == kEsVersion1)
        p.playback.m_es1Extensions.SetVertexArray(recorded, host);
    else
        VertexArrayNameMap::Set(recorded, host);
}

// ---- the cases ------------------------------------------------------------------------------

template <class Call>
bool Discard(Call& p)
{
    const GLsizei count = p.template Item<"numAttachments">();
    bool refused = false;
    const uint32_t* attachments = HeldValues(p, "attachments", p.template Item<"attachments">().data, count, refused);
    if (refused)
        return false;
    Entry<ext::Discard>(p)(p.template Item<"target">(), count, attachments);
    return true;
}

template <class Call>
bool MapBuffer(Call& p)
{
    Entry<ext::Map>(p)(p.template Item<"target">(), p.template Item<"access">());  // the address is the host's business
    return true;
}

// The recorded bytes go into the host's mapping, at most as many as the buffer holds.
template <class Call>
bool UnmapBuffer(Call& p)
{
    const GLenum target = p.template Item<"target">();
    GLint mapped = 0;
    GetBufferInt(p, target, kBufferMapped, &mapped);
    if (mapped) {
        void* address = nullptr;
        Entry<ext::BufferPointer>(p, &SHostExtensionSlots::glGetBufferPointervOES)(target, kBufferMapPointer,
                                                                                 &address);
        GLint bufferSize = 0;
        GetBufferInt(p, target, GL_BUFFER_SIZE, &bufferSize);
        const SDataPtr* data = p.template Item<"data">().data;
        const uint8_t* bytes = data ? data->GetData() : nullptr;
        const uint64_t recorded = bytes ? data->size : 0;
        const uint64_t room = uint64_t(std::max(bufferSize, 0));
        if (recorded > room)
            PlaybackWarning("%s: the recorded %llu bytes are cut to the buffer's %llu\n", p.call.GetName(),
                            static_cast<unsigned long long>(recorded), static_cast<unsigned long long>(room));
        if (address && recorded > 0)
            std::memcpy(address, bytes, size_t(std::min(recorded, room)));
    }
    Entry<ext::Unmap>(p)(target);
    es1play::Es1BufferContentsChanged();  // an ES 1.1 draw's index ranges may lie in what was written
    return true;
}

template <class Call>
bool BindVertexArray(Call& p)
{
    Entry<ext::BindVertexArray>(p)(HostVertexArray(p, p.template Item<"vertexarray">()));
    return true;
}

template <class Call>
bool DeleteVertexArrays(Call& p)
{
    const GLsizei n = p.template Item<"n">();
    bool refused = false;
    const uint32_t* recorded = HeldValues(p, "vertexarrays", p.template Item<"vertexarrays">().data, n, refused);
    if (refused)
        return false;
    std::vector<GLuint> host(size_t(std::max(n, 0)));
    for (size_t i = 0; i < host.size(); ++i) {
        host[i] = HostVertexArray(p, recorded[i]);
        EraseVertexArray(p, recorded[i]);
    }
    Entry<ext::ConstNames>(p)(n, host.data());
    return true;
}

template <class Call>
bool GenVertexArrays(Call& p)
{
    const GLsizei n = p.template Item<"n">();
    bool refused = false;
    const uint32_t* recorded = HeldValues(p, "vertexarrays", p.template Item<"vertexarrays">().data, n, refused);
    if (refused)
        return false;
    std::vector<GLuint> host(size_t(std::max(n, 0)));
    Entry<ext::Names>(p)(n, host.data());
    for (size_t i = 0; i < host.size(); ++i)
        SetVertexArray(p, recorded[i], host[i]);
    return true;
}

template <class Call>
bool PaletteMatrix(Call& p)
{
    Entry<ext::PaletteMatrix>(p)(p.template Item<"matrixpaletteindex">());
    return true;
}

template <class Call>
bool LoadPalette(Call& p)
{
    Entry<ext::NoArguments>(p)();
    return true;
}

// The array's address is the low 32 bits of the hidden playback pointer, as the ES 1.1 pointer
// calls of a trace without blocks hand theirs over.
template <class Call>
bool PalettePointer(Call& p)
{
    const uintptr_t pointer = uint32_t(p.template Item<"pointerPlayback">());
    Entry<ext::PalettePointer>(p)(p.template Item<"size">(), p.template Item<"type">(), p.template Item<"stride">(), reinterpret_cast<const void*>(pointer));
    // The stride as recorded for the draws' checks: the matrix-index and weight arrays are places
    // 4 and 5 of their walk.
    const bool matrixIndex = std::strcmp(p.call.GetName(), "glMatrixIndexPointerOES") == 0;
    NoteArrayStride(kEs1ArrayStrides + (matrixIndex ? 4 : 5), p.template Item<"stride">());
    return true;
}

// Framebuffer objects on ES 1.1: every name as recorded.
template <class Call>
bool BindObject(Call& p)
{
    Entry<ext::BindObject>(p)(p.template Item<"target">(), p.template Item<"renderbuffer", "framebuffer">());
    return true;
}

template <class Call>
bool DeleteObjects(Call& p)
{
    const GLsizei n = p.template Item<"n">();
    bool refused = false;
    const char* array = p.template Has<"renderbuffers">() ? "renderbuffers" : "framebuffers";
    const uint32_t* names = HeldValues(p, array, p.template Item<"renderbuffers", "framebuffers">().data, n, refused);
    if (refused)
        return false;
    Entry<ext::ConstNames>(p)(n, names);
    return true;
}

// The host's names are not kept: later calls use the recorded ones.
template <class Call>
bool GenFramebuffers(Call& p)
{
    const GLsizei n = p.template Item<"n">();
    bool refused = false;
    HeldValues(p, "framebuffers", p.template Item<"framebuffers">().data, n, refused);
    if (refused)
        return false;
    std::vector<GLuint> host(size_t(std::max(n, 0)));
    Entry<ext::Names>(p)(n, host.data());
    return true;
}

template <class Call>
bool RenderbufferStorage(Call& p)
{
    if (!RenderbufferBytesAllowed(p.call.GetName(), p.template Item<"internalformat">(), p.template Item<"width">(), p.template Item<"height">(), 0))
        return false;
    Entry<ext::Storage>(p)(p.template Item<"target">(), p.template Item<"internalformat">(), p.template Item<"width">(), p.template Item<"height">());
    return true;
}

template <class Call>
bool FramebufferTexture(Call& p)
{
    Entry<ext::Texture2D>(p)(p.template Item<"target">(), p.template Item<"attachment">(), p.template Item<"textarget">(), p.template Item<"texture">(), p.template Item<"level">());
    return true;
}

template <class Call>
bool FramebufferRenderbuffer(Call& p)
{
    Entry<ext::Renderbuffer>(p)(p.template Item<"target">(), p.template Item<"attachment">(), p.template Item<"renderbuffertarget">(), p.template Item<"renderbuffer">());
    return true;
}

template <class Call>
bool AttachmentQuery(Call& p)
{
    GLint value[4] = {};
    Entry<ext::AttachmentQuery>(p)(p.template Item<"target">(), p.template Item<"attachment">(), p.template Item<"pname">(), value);
    return true;
}

template <class Call>
bool GenerateMipmap(Call& p)
{
    Entry<ext::Mipmap>(p)(p.template Item<"target">());
    return true;
}

// Samples at or above what the host supports are set to its maximum, with a line saying so.
GLsizei ClampedSamples(GLsizei samples, const char* label)
{
    GLint maximum = 0;
    XQF_HOST(*SEs2Host::Instance(), glGetIntegerv)(kMaxSamples, &maximum);
    if (samples < maximum)
        return samples;
    PlaybackLine("%s:  Requested samples is not supported (%d), set to %d\n", label, samples, maximum);
    return maximum;
}

template <class Call>
bool StorageMultisample(Call& p)
{
    const GLsizei samples = ClampedSamples(p.template Item<"samples">(), "ID_EXT_glRenderbufferStorageMultisampleWZQ");
    if (!RenderbufferBytesAllowed(p.call.GetName(), p.template Item<"internalformat">(), p.template Item<"width">(), p.template Item<"height">(), samples))
        return false;
    Entry<ext::StorageMultisample>(p)(p.template Item<"target">(), samples, p.template Item<"internalformat">(), p.template Item<"width">(), p.template Item<"height">());
    return true;
}

template <class Call>
bool TextureMultisample(Call& p)
{
    const GLuint texture = TextureNameMap::Get(p.template Item<"texture">());
    const GLsizei samples = ClampedSamples(p.template Item<"samples">(), "glFramebufferTexture2DMultisampleWZQ");
    Entry<ext::Texture2DMultisample>(p)(p.template Item<"target">(), p.template Item<"attachment">(), p.template Item<"textarget">(), texture, p.template Item<"level">(), samples);
    return true;
}

// ---- the fixed-point matrix functions, through the ES 1.1 host's core entry points ----

SEs1Host& Es1(const SPlay&) { return *SEs1Host::Instance(); }

template <class Call>
bool Frustum(Call& p)
{
    XQF_HOST(Es1(p), glFrustumx)(p.template Item<"left">(), p.template Item<"right">(), p.template Item<"bottom">(), p.template Item<"top">(), p.template Item<"zNear">(), p.template Item<"zFar">());
    return true;
}

template <class Call>
bool Ortho(Call& p)
{
    XQF_HOST(Es1(p), glOrthox)(p.template Item<"left">(), p.template Item<"right">(), p.template Item<"bottom">(), p.template Item<"top">(), p.template Item<"zNear">(), p.template Item<"zFar">());
    return true;
}

template <class Call>
bool Rotate(Call& p)
{
    XQF_HOST(Es1(p), glRotatex)(p.template Item<"angle">(), p.template Item<"x">(), p.template Item<"y">(), p.template Item<"z">());
    return true;
}

template <class Call>
bool Scale(Call& p)
{
    XQF_HOST(Es1(p), glScalex)(p.template Item<"x">(), p.template Item<"y">(), p.template Item<"z">());
    return true;
}

template <class Call>
bool Translate(Call& p)
{
    XQF_HOST(Es1(p), glTranslatex)(p.template Item<"x">(), p.template Item<"y">(), p.template Item<"z">());
    return true;
}

// The 16 recorded values of the matrix argument; null with a refusal when the trace holds none (a
// pointer without its values, or a null pointer, which the host would read through).
template <class Call>
const GLfixed* RecordedMatrix(const Call& p)
{
    auto* matrix = p.template Item<"m">().data;
    const uint64_t held = matrix && matrix->pointer.value != 0 ? 16 : 0;
    if (held < 16) {
        RefuseShort(p, "m", held, 16, "values");
        return nullptr;
    }
    return reinterpret_cast<const GLfixed*>(matrix->GetData());
}

template <class Call>
bool LoadMatrix(Call& p)
{
    const GLfixed* m = RecordedMatrix(p);
    if (!m)
        return false;
    XQF_HOST(Es1(p), glLoadMatrixx)(m);
    return true;
}

template <class Call>
bool MultMatrix(Call& p)
{
    const GLfixed* m = RecordedMatrix(p);
    if (!m)
        return false;
    XQF_HOST(Es1(p), glMultMatrixx)(m);
    return true;
}

// The extension entry points of the host of an API; null for an API without a host here.
SHostExtensionSlots* ExtensionsOf(uint32_t api)
{
    if (api == kEsVersion1) {
        SEs1Host* gl = SEs1Host::Instance();
        return gl ? &gl->ext : nullptr;
    }
    return api == kEsVersion2 ? &SEs2Host::Instance()->ext : nullptr;
}

// What a handler is given: the call and the API it was recorded on.
struct SExtCall
{
    CPlayback& playback;
    CApiCall& call;
    const CPlayArgs& a;
    uint32_t api;
};

// A case: played on the host of the call's API when the case is for that host and the host has
// the case's entry point (the mapping's address too, for unmapping), through the case's body (none:
// the availability test is all); otherwise reported as not available. The host error is read
// unless the body refused the call.
template <uint8_t Hosts, Slot EntrySlot, Body Play>
EEnd Case(SExtCall& c)
{
    const uint32_t api = c.api;
    SHostExtensionSlots* slots =
        (Hosts & api) && (api == kEsVersion1 || api == kEsVersion2) ? ExtensionsOf(api) : nullptr;
    void* fn = slots ? slots->*EntrySlot : nullptr;
    if (fn && EntrySlot == &SHostExtensionSlots::glUnmapBufferOES && !slots->glGetBufferPointervOES)
        fn = nullptr;
    if (!fn) {
        PlaybackWarning("The extension function '%s' is not available on this platform\n", c.call.GetName());
        return EEnd::Done;
    }
    if constexpr (Play != nullptr) {
        SPlay p{c.playback, c.call, c.a, api, *slots, fn};
        if (!Play(p))
            return EEnd::Done;  // refused: nothing was sent
    }
    return EEnd::Common;
}

// A fixed-point matrix function: played on the ES 1.1 host through the body's core entry point;
// on ES 2.0, which has no such function, reported as not available.
template <Body Play>
EEnd CoreEs1Case(SExtCall& c)
{
    SEs1Host* gl = c.api == kEsVersion1 ? SEs1Host::Instance() : nullptr;
    if (!gl) {
        PlaybackWarning("The extension function '%s' is not available on this platform\n", c.call.GetName());
        return EEnd::Done;
    }
    SPlay p{c.playback, c.call, c.a, c.api, gl->ext, nullptr};
    return Play(p) ? EEnd::Common : EEnd::Done;
}

// A row marked not replayed: only the host error is read.
EEnd NotReplayed(SExtCall&) { return EEnd::Common; }

// The extension ids, from the rows.
constexpr SCallIdRange kExtIds = CallFamilyRange(ECallFamily::Ext);
constexpr uint16_t kExtCount = uint16_t(kExtIds.last - kExtIds.first + 1);

// The extension player has no generic player: a row is not replayed, played by its case, or, with
// neither (the stream, fence and EGL-image functions, and the other fixed-point ones), not played at all.
struct SExtPlayer
{
    using Play = SExtCall;
    template <class Record>
    static consteval bool Playable()
    {
        return false;
    }
    template <class Record>
    static consteval uint64_t Signature()
    {
        return 0;
    }
};

constexpr playrows::TRowPlay<SExtCall> kRows[] = {
#define XQF_PLAYER SExtPlayer
#define XQF_PLAY_FAMILY xqft::ext
#define XQF_TABLE "ExtCalls.def"
#include "PlayRows.inc"
};

// The record classes of every row.
using SRecords = playrows::TRecordList<playrows::SNoRecord
#define XQF_PLAY_FAMILY xqft::ext
#define XQF_TABLE "ExtCalls.def"
#include "PlayRecords.inc"
                                       >;

// The call of a case's function as its body reads it: p.Item<"name">(); a body shared by functions
// whose items differ in name names both (p.Item<"renderbuffer", "framebuffer">()).
template <uint16_t Slot>
using TCall = playrows::TCallOfFunction<SPlay, uint16_t(kExtIds.first + Slot), SRecords>;
// A body of a function's call as the body of a case.
#define XQF_BODY(fn, body) &playrows::ReadCall<TCall<XQF_SLOT(fn)>, &body<TCall<XQF_SLOT(fn)>>, SPlay>

using SCase = playrows::TCase<SExtCall>;

#define XQF_SLOT(fn) uint16_t(CallIdOf(ECallFamily::Ext, #fn) - kExtIds.first)
#define XQF_CASE(fn, hosts, body) SCase{XQF_SLOT(fn), &Case<hosts, &SHostExtensionSlots::fn, XQF_BODY(fn, body)>}
#define XQF_TEST_CASE(fn, hosts) SCase{XQF_SLOT(fn), &Case<hosts, &SHostExtensionSlots::fn, nullptr>}
#define XQF_CORE_CASE(fn, body) SCase{XQF_SLOT(fn), &CoreEs1Case<XQF_BODY(fn, body)>}

constexpr SCase kCases[] = {
    XQF_CASE(glDiscardFramebufferEXT, kBoth, Discard),
    XQF_TEST_CASE(glMultiDrawElementsEXT, kBoth),  // never drawn: nothing of the draw was recorded
    XQF_TEST_CASE(glMultiDrawArraysEXT, kBoth),
    XQF_CASE(glMapBufferOES, kBoth, MapBuffer),
    XQF_CASE(glUnmapBufferOES, kBoth, UnmapBuffer),
    XQF_CASE(glBindVertexArrayOES, kBoth, BindVertexArray),
    XQF_CASE(glDeleteVertexArraysOES, kBoth, DeleteVertexArrays),
    XQF_CASE(glGenVertexArraysOES, kBoth, GenVertexArrays),
    XQF_CASE(glCurrentPaletteMatrixOES, kEs1, PaletteMatrix),
    XQF_CASE(glLoadPaletteFromModelViewMatrixOES, kEs1, LoadPalette),
    XQF_CASE(glMatrixIndexPointerOES, kEs1, PalettePointer),
    XQF_CASE(glWeightPointerOES, kEs1, PalettePointer),
    XQF_CASE(glBindRenderbufferOES, kEs1, BindObject),
    XQF_CASE(glDeleteRenderbuffersOES, kEs1, DeleteObjects),
    XQF_CASE(glRenderbufferStorageOES, kEs1, RenderbufferStorage),
    XQF_CASE(glBindFramebufferOES, kEs1, BindObject),
    XQF_CASE(glDeleteFramebuffersOES, kEs1, DeleteObjects),
    XQF_CASE(glGenFramebuffersOES, kEs1, GenFramebuffers),
    XQF_CASE(glFramebufferTexture2DOES, kEs1, FramebufferTexture),
    XQF_CASE(glFramebufferRenderbufferOES, kEs1, FramebufferRenderbuffer),
    XQF_CASE(glGetFramebufferAttachmentParameterivOES, kEs1, AttachmentQuery),
    XQF_CASE(glGenerateMipmapOES, kEs1, GenerateMipmap),
    XQF_CORE_CASE(glFrustumxOES, Frustum),
    XQF_CORE_CASE(glLoadMatrixxOES, LoadMatrix),
    XQF_CORE_CASE(glMultMatrixxOES, MultMatrix),
    XQF_CORE_CASE(glOrthoxOES, Ortho),
    XQF_CORE_CASE(glRotatexOES, Rotate),
    XQF_CORE_CASE(glScalexOES, Scale),
    XQF_CORE_CASE(glTranslatexOES, Translate),
    XQF_CASE(glRenderbufferStorageMultisampleWZQ, kEs2, StorageMultisample),
    XQF_CASE(glFramebufferTexture2DMultisampleWZQ, kEs2, TextureMultisample),
};

#undef XQF_SLOT
#undef XQF_CASE
#undef XQF_TEST_CASE
#undef XQF_CORE_CASE
#undef XQF_BODY

static_assert(playrows::EveryRowPlayed<SExtCall>(kRows, kCases, kExtIds.first, kExtCount, true),
              "ExtCalls.def: a row is both not replayed and played by a case, or played by two cases");

// The handler of every slot: a case's, NotReplayed for a row not replayed, null for the others.
constexpr auto kHandlers = playrows::HandlersOf<SExtCall, kExtCount>(kRows, kCases, kExtIds.first, &NotReplayed);

} // namespace

bool CPlayback::ReadHostError(uint32_t api)
{
    if (api == kEsVersion1) {
        SEs1Host* gl = SEs1Host::Instance();
        m_lastHostError = gl ? XQF_HOST(*gl, glGetError)() : 0;
    } else if (api == kEsVersion2) {
        m_lastHostError = XQF_HOST(*SEs2Host::Instance(), glGetError)();
    } else {
        m_lastHostError = uint32_t(XQF_HOST(*SEglHost::Instance(), eglGetError)());
    }
    return m_lastHostError == 0;
}

bool CPlayback::PlayExtCall(STraceCall* entry, bool)
{
    CApiCall& call = *entry->call;
    const CPlayArgs args(call);
    // A call that failed on the device changed nothing there: it counts as played, silently.
    if (call.GetError()->value != 0)
        return true;
    const auto* extCall = dynamic_cast<const CExtCall*>(&call);
    const uint32_t api = extCall ? extCall->GetSelector() : 0;
    if (api == kEsVersion1)
        m_es1Extensions.LoadExtensionsOnce();
    else if (api == kEsVersion2)
        LoadEs2ExtensionsOnce();
    const uint32_t slot = uint32_t(call.GetId()) - kExtIds.first;
    const playrows::THandler<SExtCall> play = slot < kExtCount ? kHandlers[slot] : nullptr;
    if (!play)
        return false;
    m_callName = call.GetName();
    SExtCall c{*this, call, args, api};
    if (play(c) == EEnd::Common)
        ReadHostError(api);
    return true;
}

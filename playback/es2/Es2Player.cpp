// Replays recorded OpenGL ES 2.0 calls on the host. Calls replayed as recorded need no code: their
// rows in Es2Calls.def say what each argument is (scalars by type code, object names and uniform
// locations by role, value arrays and fixed vectors by holder), and one generic player hands them to
// the host entry point of the same id, names translated through the name maps. Written by hand (the
// Es2Play*.cpp files, by topic): the calls that make, bind or delete host objects (made lazily), those
// carrying data blocks, images, strings or client arrays (recorded data is handed over only when it
// holds every byte the host will read), and the draws. Rows marked not replayed are passed over.
#include "Es2Play.h"
#include "RecordedArrays.h"

#include "data/TraceData.h"
#include "values/DataHolders.h"

#include <EGL/egl.h>

#include <array>
#include <tuple>
#include <type_traits>
#include <utility>

namespace es2play {

GLint HostInt(SEs2Host& gl, GLenum pname)
{
    GLint v[4] = {};
    XQF_HOST(gl, glGetIntegerv)(pname, v);
    return v[0];
}

} // namespace es2play

using namespace es2play;

namespace {

using xqft::Role;

// ---- the generic player: what each row item hands to the host ----------------------------------

// The scalars handed to the host, by type code, and the host parameter type of one: its recorded
// value type, but a byte for GLboolean.
template <class Holder>
constexpr bool kHostScalar =
    Holder::kCode == TGLenum::kCode || Holder::kCode == TGLboolean::kCode || Holder::kCode == TGLbitfield::kCode ||
    Holder::kCode == TGLint::kCode || Holder::kCode == TGLsizei::kCode || Holder::kCode == TGLuint::kCode ||
    Holder::kCode == TGLfloat::kCode || Holder::kCode == TGLclampf::kCode;
template <class Holder>
using THostScalar = std::conditional_t<Holder::kCode == TGLboolean::kCode, GLboolean, typename Holder::ValueType>;

// The host object of a recorded name by its role (the map's absent value when unknown).
struct SEs2Names
{
    template <Role R>
    static auto HostName(uint32_t recorded)
    {
        if constexpr (R == Role::Program)
            return ProgramNameMap::Get(recorded);
        else if constexpr (R == Role::Shader)
            return ShaderNameMap::Get(recorded).host;
        else if constexpr (R == Role::Texture)
            return TextureNameMap::Get(recorded);
        else if constexpr (R == Role::Buffer)
            return BufferNameMap::Get(recorded);
        else if constexpr (R == Role::Framebuffer)
            return FramebufferNameMap::Get(recorded);
        else if constexpr (R == Role::Renderbuffer)
            return RenderbufferNameMap::Get(recorded);
        else {
            static_assert(R == Role::Location, "a role the ES 2.0 player does not translate");
            return UniformLocationMap::Get(recorded); // in the current host program
        }
    }
};

// One row item as one host argument: whether the generic player can hand it over, its host type,
// and its value read from the call's description at its position. `needed` is the number of values
// the host reads from an array argument; `refused` is set (after the error line) when the recorded
// data cannot be handed over.
template <class Item>
struct TPlayItem
{
    static constexpr bool kPlayable = false;
    static constexpr uint64_t kPerElement = 0; // values per element of an array argument
    using Host = int;
};

template <auto Name, class Holder, Role R>
struct TPlayItem<xqft::Arg<Name, Holder, R>>
{
    static constexpr bool kPlayable = kHostScalar<Holder>;
    static constexpr uint64_t kPerElement = 0;
    using Host = THostScalar<Holder>;
    static Host Get(SPlay& p, size_t i, uint64_t, bool&) { return playrows::HostItemAt<Host, R, SEs2Names>(p.a, i); }
};

// An array of values (uniform vectors and matrices, parameter vectors): its values when it holds as
// many as the host reads.
template <auto Name, class T, int A, int B>
struct TPlayItem<xqft::DataOrPointer<Name, SArrayPtr<T, A, B>, Role::None>>
{
    static constexpr bool kPlayable = Scalar32Holder<T>;
    static constexpr uint64_t kPerElement = uint64_t(A) * uint64_t(B);
    using Host = const void*;
    static Host Get(SPlay& p, size_t i, uint64_t needed, bool& refused)
    {
        return HeldValues(p, Name.c_str(), p.a.As<SArrayPtr<T, A, B>>(i), int64_t(needed), refused);
    }
};

// A fixed vector (a generic attribute's values): refused when none were recorded.
template <auto Name, class T, int A, int B>
struct TPlayItem<xqft::DataOrPointer<Name, SPtr<T, A, B>, Role::None>>
{
    static constexpr bool kPlayable = Scalar32Holder<T>;
    static constexpr uint64_t kPerElement = 0;
    using Host = const void*;
    static Host Get(SPlay& p, size_t i, uint64_t, bool& refused)
    {
        auto* values = p.a.As<SPtr<T, A, B>>(i);
        if (!values || values->pointer.value == 0) {
            refused = true;
            RefuseShort(p, Name.c_str(), 0, uint64_t(A) * B * 4);
            return nullptr;
        }
        return values->GetData();
    }
};

// An array the row sizes by another item: the array itself, checked against what that item sets.
template <auto Size, class Item>
struct TPlayItem<xqft::SizedBy<Size, Item>> : TPlayItem<Item>
{
};

// Every ES 2.0 parameter the host takes by array is one element.
int64_t OneElement(uint32_t) { return 1; }

// The generic player (playrows): every item one host argument.
using SEs2Player = playrows::TEachItemPlayer<SPlay, TPlayItem, &OneElement>;

// Every row with its traits and its generic player.
using SRowPlay = playrows::TRowPlay<SPlay>;

constexpr SRowPlay kRows[] = {
#define XQF_PLAYER SEs2Player
#define XQF_PLAY_FAMILY xqft::es2
#define XQF_TABLE "Es2Calls.def"
#include "PlayRows.inc"
};

// ---- the hand-written cases ---------------------------------------------------------------------

using SCase = playrows::TCase<SPlay>;

#define XQF_CASE_ENTRY(fn) SCase{XQF_SLOT(fn), &playrows::ReadCall<TCall<XQF_SLOT(fn)>, &Play_##fn, SPlay>},
constexpr SCase kCases[] = {XQF_ES2_CASES(XQF_CASE_ENTRY)};
#undef XQF_CASE_ENTRY

// The rows not replayed (queries whose answers only the application used) end at the common end,
// which reads the host error when error checks are on, except these, which end at once.
constexpr uint16_t kEndAtOnce[] = {
    XQF_SLOT(glCheckFramebufferStatus),
    XQF_SLOT(glGetVertexAttribfv),
    XQF_SLOT(glGetVertexAttribiv),
    XQF_SLOT(glGetVertexAttribPointerv),
    XQF_SLOT(glIsBuffer),
    XQF_SLOT(glIsEnabled),
    XQF_SLOT(glIsFramebuffer),
    XQF_SLOT(glIsProgram),
    XQF_SLOT(glIsRenderbuffer),
    XQF_SLOT(glIsShader),
    XQF_SLOT(glIsTexture),
    XQF_SLOT(glReadPixels),
    XQF_SLOT(glValidateProgram),
};
#undef XQF_SLOT

EEnd NotReplayed(SPlay&) { return EEnd::Common; }
EEnd NotReplayedAtOnce(SPlay&) { return EEnd::Done; }

static_assert(playrows::EveryRowPlayed<SPlay>(kRows, kCases, kEs2HostFirstId, kEs2HostCount),
              "Es2Calls.def: each row is not replayed, played by one case, or played as recorded");

// Only rows not replayed end at once.
consteval bool EndAtOnceNotReplayed()
{
    for (uint16_t once : kEndAtOnce)
        for (const SRowPlay& row : kRows)
            if (row.id - kEs2HostFirstId == once && !(row.traits & trait::NotReplayed))
                return false;
    return true;
}
static_assert(EndAtOnceNotReplayed(), "Es2Player.cpp: a row ending at once is not marked not replayed");

// The handler of every slot; every function of the table has one.
constexpr auto kHandlers = [] {
    auto handlers = playrows::HandlersOf<SPlay, kEs2HostCount>(kRows, kCases, kEs2HostFirstId, &NotReplayed);
    for (uint16_t once : kEndAtOnce)
        handlers[once] = &NotReplayedAtOnce;
    return handlers;
}();

} // namespace

bool CPlayback::CheckEs2Error()
{
    m_lastHostError = XQF_HOST(*SEs2Host::Instance(), glGetError)();
    if (m_lastHostError == 0)
        return true;
    PlaybackLine("OGLES2 Error Code: 0x%lx, Call= %s\n", long(m_lastHostError),
                 m_callName.CStr() ? m_callName.CStr() : "");
    return false;
}

bool CPlayback::PlayEs2Call(STraceCall* entry, bool)
{
    CApiCall& call = *entry->call;
    const CPlayArgs args(call);
    // A call that failed on the device changed nothing there: nothing of it reaches the host, and it
    // counts as played (a frame holding one still replays to its end).
    if (call.GetError()->value != 0) {
        PlaybackLine("Es2 Call:Error. (Recorded GL_ERROR)");
        return true;
    }
    if (!s_hostEglInitialised) {
        PlaybackLine("Es2 Call:Error. Invalid context");
        return false;
    }
    SEs2Host& gl = *SEs2Host::Instance();
    if (!m_defaultFramebufferKnown) {
        m_defaultFramebufferKnown = true;
        m_defaultFramebuffer = GLuint(HostInt(gl, GL_FRAMEBUFFER_BINDING));
    }
    if (m_checkErrors)
        m_callName = call.GetName();
    const uint32_t slot = uint32_t(call.GetId()) - kEs2HostFirstId;
    if (slot >= kEs2HostCount || !kHandlers[slot])
        return false;
    SPlay play{*this, call, args, gl};
    switch (kHandlers[slot](play)) {
    case EEnd::Fail: return false;
    case EEnd::Done: return true;
    case EEnd::Common: break;
    }
    return m_checkErrors ? CheckEs2Error() : true;
}

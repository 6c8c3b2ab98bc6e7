// Replays recorded OpenGL ES 1.1 calls on the host. Calls replayed as recorded need no code: their
// rows in Es1Calls.def say what each argument is (scalars by type code, object names by role,
// parameter arrays and fixed arrays by holder), and one generic player hands them to the host
// entry point of the same id. Buffer names go through Es1BufferNameMap; texture names pass as
// recorded. Written by hand: the calls carrying data blocks and images, the buffer-name calls,
// glReadPixels, and the client arrays and draws (Es1ClientArrays.cpp). Recorded data reaches the
// host only when it holds every byte or value the host will read.
#include "Diagnostics.h"
#include "Es1Play.h"
#include "PlayRows.h"
#include "host/HostChecks.h"
#include "host/HostUnpack.h"
#include "maps/NameMaps.h"

#include "Es1Records.h"
#include "data/TraceData.h"
#include "state/PixelSize.h"
#include "values/ArrayHolders.h"
#include "values/DataHolders.h"

#include <GLES/gl.h>
#include <GLES/glext.h>

#include "TextureUploads.h"  // after the GL headers, whose prototypes type its host calls

#include <algorithm>
#include <array>
#include <new>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

namespace es1play {

int32_t HostInt(SEs1Host& gl, uint32_t pname)
{
    GLint v[4] = {};
    XQF_HOST(gl, glGetIntegerv)(pname, v);
    return v[0];
}

EEnd Missing(SPlay& p)
{
    PlaybackWarning("The extension function '%s' is not available on this platform\n", p.call.GetName());
    return EEnd::Done;
}

} // namespace es1play

using namespace es1play;

namespace {

using xqft::Role;

// ---- the generic player: what each row item hands to the host --------------------------------------

// The host parameter type of a scalar: its recorded value type, but a byte for GLboolean and
// GLubyte and a pointer-wide integer for GLintptr and GLsizeiptr.
template <class Holder>
using THostScalar = std::conditional_t<
    Holder::kCode == TGLboolean::kCode || Holder::kCode == TGLubyte::kCode, uint8_t,
    std::conditional_t<Holder::kCode == TGLintptr::kCode || Holder::kCode == TGLsizeiptr::kCode, intptr_t,
                       typename Holder::ValueType>>;

// One row item as one host argument: whether the generic player can hand it over, its host type,
// and its value read from the call's description at its position. `needed` is the number of values
// the host reads from a parameter array; `refused` is set (after the error line) when the recorded
// data cannot be handed over.
template <class Item>
struct TPlayItem
{
    static constexpr bool kPlayable = false;
    using Host = int;
};

// The host names of recorded ones: buffers through the player's map; textures keep their names.
struct SEs1Names
{
    template <Role R>
    static uint32_t HostName(uint32_t recorded)
    {
        static_assert(R == Role::Buffer || R == Role::Texture, "a role the ES 1.1 player does not translate");
        if constexpr (R == Role::Buffer)
            return CPlayback::GetEs1HostBuffer(recorded);
        else
            return recorded;
    }
};

template <auto Name, class Holder, Role R>
struct TPlayItem<xqft::Arg<Name, Holder, R>>
{
    static constexpr bool kPlayable = R == Role::None || R == Role::Texture || R == Role::Buffer;
    using Host = THostScalar<Holder>;
    static Host Get(SPlay& p, size_t i, uint64_t, bool&) { return playrows::HostItemAt<Host, R, SEs1Names>(p.a, i); }
};

// A recorded data holder (the argument `name`), or null (and a refusal) when the trace kept its
// pointer value only.
template <class Holder>
Holder* RecordedHolder(SPlay& p, Holder* holder, const char* name, bool& refused)
{
    if (!holder && !refused) {
        refused = true;
        RefuseWithoutData(p, name);
    }
    return holder;
}

// A parameter array: its values when it holds as many as the host reads.
template <auto Name, class T, Role R>
struct TPlayItem<xqft::DataOrPointer<Name, SArrayPtr<T, 1, 1>, R>>
{
    static constexpr bool kPlayable = R != Role::Buffer && Scalar32Holder<T>;  // buffer names: written by hand
    static constexpr uint64_t kPerElement = 1;
    using Host = const void*;
    static Host Get(SPlay& p, size_t i, uint64_t needed, bool& refused)
    {
        auto* array = RecordedHolder(p, p.a.As<SArrayPtr<T, 1, 1>>(i), Name.c_str(), refused);
        if (refused)
            return nullptr;
        if (array->ElementCount() < needed) {
            refused = true;
            RefuseShort(p, Name.c_str(), array->ElementCount(), needed, "values");
            return nullptr;
        }
        return p.a.Values(*array);
    }
};

// An array the row sizes by another item: the array itself, checked against what that item sets.
template <auto Size, class Item>
struct TPlayItem<xqft::SizedBy<Size, Item>> : TPlayItem<Item>
{
};

// A fixed array (a plane equation, a matrix): its values, held inline, the same block every time.
template <class Holder, auto Name>
struct TFixedItem
{
    static constexpr bool kPlayable = true;
    using Host = const void*;
    static Host Get(SPlay& p, size_t i, uint64_t, bool& refused)
    {
        Holder* fixed = RecordedHolder(p, p.a.As<Holder>(i), Name.c_str(), refused);
        return refused ? nullptr : fixed->GetData();
    }
};
template <auto Name, class T, int A, int B, Role R>
struct TPlayItem<xqft::DataOrPointer<Name, SPtr<T, A, B>, R>> : TFixedItem<SPtr<T, A, B>, Name>
{
};
template <auto Name, class T, int A, int B>
struct TPlayItem<xqft::Block<Name, SPtr<T, A, B>>> : TFixedItem<SPtr<T, A, B>, Name>
{
};

// Values the host reads for a parameter name (fog, light, light model, material, point parameter,
// texture environment and texture parameter names share no name of different lengths); a name not
// listed counts as four.
int64_t ValuesOfParameter(uint32_t pname)
{
    switch (pname) {
    case GL_SPOT_DIRECTION:
    case GL_POINT_DISTANCE_ATTENUATION:
        return 3;
    case GL_FOG_MODE: case GL_FOG_DENSITY: case GL_FOG_START: case GL_FOG_END:
    case GL_LIGHT_MODEL_TWO_SIDE:
    case GL_SPOT_EXPONENT: case GL_SPOT_CUTOFF:
    case GL_CONSTANT_ATTENUATION: case GL_LINEAR_ATTENUATION: case GL_QUADRATIC_ATTENUATION:
    case GL_SHININESS:
    case GL_POINT_SIZE_MIN: case GL_POINT_SIZE_MAX: case GL_POINT_FADE_THRESHOLD_SIZE:
    case GL_TEXTURE_ENV_MODE: case GL_COMBINE_RGB: case GL_COMBINE_ALPHA: case GL_RGB_SCALE: case GL_ALPHA_SCALE:
    case GL_SRC0_RGB: case GL_SRC1_RGB: case GL_SRC2_RGB: case GL_SRC0_ALPHA: case GL_SRC1_ALPHA: case GL_SRC2_ALPHA:
    case GL_OPERAND0_RGB: case GL_OPERAND1_RGB: case GL_OPERAND2_RGB:
    case GL_OPERAND0_ALPHA: case GL_OPERAND1_ALPHA: case GL_OPERAND2_ALPHA:
    case GL_COORD_REPLACE_OES:
    case GL_TEXTURE_LOD_BIAS_EXT:
    case GL_TEXTURE_MAG_FILTER: case GL_TEXTURE_MIN_FILTER: case GL_TEXTURE_WRAP_S: case GL_TEXTURE_WRAP_T:
    case GL_GENERATE_MIPMAP: case GL_TEXTURE_MAX_ANISOTROPY_EXT: case GL_TEXTURE_MAX_LEVEL_APPLE:
        return 1;
    default:
        return 4;  // colours, positions, GL_TEXTURE_CROP_RECT_OES, and names not known here
    }
}

// The generic player (playrows): every item one host argument.
using SEs1Player = playrows::TEachItemPlayer<SPlay, TPlayItem, &ValuesOfParameter>;

// ---- recorded data ----------------------------------------------------------------------------------

// The bytes of a data argument (null when none were recorded); null with `refused` set when the
// trace kept a pointer value only (a null pointer value passes: nothing was there to keep).
template <class Holder>
const uint8_t* RecordedBytes(SPlay& p, playrows::TPointerArg<Holder> arg, const char* name, uint32_t& held,
                             bool& refused)
{
    held = 0;
    const Holder* holder = arg.data;
    if (!holder) {
        if (arg.pointer != 0) {
            refused = true;
            RefuseWithoutData(p, name);
        }
        return nullptr;
    }
    const uint8_t* bytes = holder->GetData();
    held = bytes ? holder->size : 0;
    return bytes;
}

// How the shared texture uploads treat ES 1.1 images (TextureUploads.h): one recorded as a pointer
// value only is refused.
struct SEs1Uploads
{
    static constexpr bool kBarePointerRefused = true;
    // What an earlier call left pending is not this call's.
    static void BeforeSubImage(SPlay& p) { p.playback.FetchEs1Error(); }
    // The host's ES 1.1 takes no row length or skips: the player keeps them and packs the rows.
    static SUnpackRows Rows(SPlay& p)
    {
        SUnpackRows rows = Es1UnpackRowsNote();
        rows.alignment = HostInt(p.gl, GL_UNPACK_ALIGNMENT);
        return rows;
    }
    static constexpr bool kHostUnpacks = false;
};

using Names = SArrayPtr<TGLuint, 1, 1>;

// The recorded names of a glGenBuffers or glDeleteBuffers (its "buffers") when they hold n; a count
// above them is refused, a smaller one uses the first n.
template <class Call>
const uint32_t* RecordedNames(Call& p, GLsizei n, bool& refused)
{
    Names* names = RecordedHolder(p, p.template Item<"buffers">().data, "buffers", refused);
    if (refused)
        return nullptr;
    const size_t held = names->ElementCount();
    if (n > 0 && size_t(n) > held) {
        refused = true;
        RefuseShort(p, "buffers", held, uint64_t(n), "names");
        return nullptr;
    }
    return p.a.Values(*names);
}

// ---- the hand-written cases -------------------------------------------------------------------------

// Every row with its traits and its generic player.
constexpr playrows::TRowPlay<SPlay> kRows[] = {
#define XQF_PLAYER SEs1Player
#define XQF_PLAY_FAMILY xqft::es1
#define XQF_TABLE "Es1Calls.def"
#include "PlayRows.inc"
};

// The record classes of every row.
using SRecords = playrows::TRecordList<playrows::SNoRecord
#define XQF_PLAY_FAMILY xqft::es1
#define XQF_TABLE "Es1Calls.def"
#include "PlayRecords.inc"
                                       >;

// The call of a case's function as its case reads it: p.Item<"name">().
template <uint16_t Slot>
using TCall = playrows::TCallOfFunction<SPlay, uint16_t(kEs1HostFirstId + Slot), SRecords>;


using SCase = playrows::TCase<SPlay>;

#define XQF_CASE(fn) \
    SCase{HostSlot(kEs1HostNames, #fn), [](TCall<HostSlot(kEs1HostNames, #fn)> & p) -> EEnd
#define XQF_CALL(fn, play) SCase{HostSlot(kEs1HostNames, #fn), &play}

constexpr SCase kCases[] = {
    // Recorded data and images.
    XQF_CASE(glBufferData) {
        bool refused = false;
        uint32_t held = 0;
        const uint8_t* bytes = RecordedBytes(p, p.Item<"data">(), "data", held, refused);
        const intptr_t size = p.Item<"size">();
        if (refused)
            return EEnd::Fail;
        if (bytes && size > 0 && held < uint64_t(size))
            return RefuseShort(p, "data", held, uint64_t(size));
        if (!bytes && size > 0 && !UnfilledBytesAllowed(p.call.GetName(), "the buffer", uint64_t(size), 0))
            return EEnd::Fail;
        XQF_HOST(p.gl, glBufferData)(p.Item<"target">(), size, bytes, p.Item<"usage">());
        Es1BufferContentsChanged();
        return EEnd::Common;
    }},
    XQF_CASE(glBufferSubData) {
        bool refused = false;
        uint32_t held = 0;
        const uint8_t* bytes = RecordedBytes(p, p.Item<"data">(), "data", held, refused);
        const intptr_t size = p.Item<"size">();
        if (refused)
            return EEnd::Fail;
        if (size > 0 && held < uint64_t(size))  // a part of a buffer is always read
            return RefuseShort(p, "data", held, uint64_t(size));
        XQF_HOST(p.gl, glBufferSubData)(p.Item<"target">(), p.Item<"offset">(), size, bytes);
        Es1BufferContentsChanged();
        return EEnd::Common;
    }},
    XQF_CASE(glTexImage2D) { return uploads::TexImage2D<SEs1Uploads>(p); }},
    XQF_CASE(glTexSubImage2D) { return uploads::TexSubImage2D<SEs1Uploads>(p); }},
    // The row length and skips go to the player's note (the host's ES 1.1 refuses them), as the
    // tracked state takes them: a negative value changes nothing.
    XQF_CASE(glPixelStorei) {
        const GLenum pname = p.Item<"pname">();
        const GLint param = p.Item<"param">();
        if (pname != kUnpackRowLength && pname != kUnpackSkipRows && pname != kUnpackSkipPixels) {
            XQF_HOST(p.gl, glPixelStorei)(pname, param);
            return EEnd::Common;
        }
        StoreUnpackRows(Es1UnpackRowsNote(), pname, param);
        return EEnd::Done;
    }},
    XQF_CASE(glCopyTexImage2D) { return uploads::CopyTexImage2D(p); }},
    XQF_CASE(glCopyTexSubImage2D) { return uploads::CopyTexSubImage2D(p); }},
    XQF_CASE(glCompressedTexImage2D) { return uploads::CompressedTexImage2D<SEs1Uploads>(p); }},
    XQF_CASE(glCompressedTexSubImage2D) { return uploads::CompressedTexSubImage2D<SEs1Uploads>(p); }},
    // Into a scratch image of the recorded image's size, never into the record; not replayed when
    // the host would write more or the trace holds no image.
    XQF_CASE(glReadPixels) {
        const SImage2D* image = p.Item<"pixels">().data;
        const int64_t needed = GetImageSize(p.Item<"format">(), p.Item<"type">(), p.Item<"width">(), p.Item<"height">(),
                                            HostInt(p.gl, GL_PACK_ALIGNMENT), 0);
        const uint32_t held = image && image->GetData() ? image->size : 0;
        if (held == 0 || needed < 0 || uint64_t(needed) > held) {
            PlaybackWarning("%s: the host would write %lld bytes into the %u of the recorded image; not replayed\n",
                            p.call.GetName(), static_cast<long long>(needed), held);
            return EEnd::Done;
        }
        std::vector<uint8_t> scratch(held);
        XQF_HOST(p.gl, glReadPixels)(p.Item<"x">(), p.Item<"y">(), p.Item<"width">(), p.Item<"height">(), p.Item<"format">(), p.Item<"type">(),
                                     scratch.data());
        return EEnd::Common;
    }},

    // Buffer names: the host's own names, paired with the recorded ones.
    XQF_CASE(glGenBuffers) {
        const GLsizei n = p.Item<"n">();
        bool refused = false;
        const uint32_t* recorded = RecordedNames(p, n, refused);
        if (refused)
            return EEnd::Fail;
        if (n < 0)
            throw std::bad_alloc();  // a count no array can hold
        std::vector<GLuint> host(static_cast<size_t>(n));
        XQF_HOST(p.gl, glGenBuffers)(n, host.data());
        for (GLsizei i = 0; i < n; ++i)
            CPlayback::MapEs1Buffer(recorded[i], host[size_t(i)]);
        return EEnd::Common;
    }},
    XQF_CASE(glBindBuffer) {
        XQF_HOST(p.gl, glBindBuffer)(p.Item<"target">(), CPlayback::GetEs1HostBuffer(p.Item<"buffer">()));
        return EEnd::Common;
    }},
    XQF_CASE(glDeleteBuffers) {
        const GLsizei n = p.Item<"n">();
        bool refused = false;
        const uint32_t* recorded = RecordedNames(p, n, refused);
        if (refused)
            return EEnd::Fail;
        // One host call per name; the map keeps its entries.
        for (GLsizei i = 0; i < n; ++i) {
            const GLuint host = CPlayback::GetEs1HostBuffer(recorded[i]);
            XQF_HOST(p.gl, glDeleteBuffers)(1, &host);
        }
        Es1BufferContentsChanged();
        return EEnd::Common;
    }},

    // Client arrays and draws.
    XQF_CALL(glColorPointer, ColorPointer),
    XQF_CALL(glNormalPointer, NormalPointer),
    XQF_CALL(glTexCoordPointer, TexCoordPointer),
    XQF_CALL(glVertexPointer, VertexPointer),
    XQF_CALL(glPointSizePointerOES, PointSizePointer),
    XQF_CALL(glDrawArrays, DrawArrays),
    XQF_CALL(glDrawElements, DrawElements),
};
#undef XQF_CASE
#undef XQF_CALL

static_assert(playrows::EveryRowPlayed<SPlay>(kRows, kCases, kEs1HostFirstId, kEs1HostCount),
              "Es1Calls.def: each row is not replayed, played by one case, or played as recorded");

// The handler of every slot; null for the ids not replayed.
constexpr auto kHandlers = playrows::HandlersOf<SPlay, kEs1HostCount>(kRows, kCases, kEs1HostFirstId, nullptr);

} // namespace

bool CPlayback::FetchEs1Error()
{
    m_lastHostError = XQF_HOST(*SEs1Host::Instance(), glGetError)();
    return m_lastHostError == 0;
}

bool CPlayback::PlayEs1Call(STraceCall* entry, bool)
{
    CApiCall& call = *entry->call;
    // A call that failed on the device changed nothing there: nothing of it reaches the host, and it
    // counts as played.
    if (call.GetError()->value != 0)
        return true;
    const uint32_t slot = uint32_t(call.GetId()) - kEs1HostFirstId;
    if (slot >= kEs1HostCount)
        return false;
    const Handler play = kHandlers[slot];
    if (!play)
        return true;  // a query, or texture names, which the host uses as recorded
    SEs1Host* gl = SEs1Host::Instance();
    if (!gl || gl->IsFailed())
        return false;
    if (m_checkErrors)
        m_callName = call.GetName();
    const CPlayArgs args(call);
    SPlay p{*this, call, args, *gl};
    if (!gl->EntryOfId(uint32_t(call.GetId()))) {
        Missing(p);  // nothing of a call the host cannot make is played, its draw's walk included
        return true;
    }
    switch (play(p)) {
    case EEnd::Fail: return false;
    case EEnd::Done: return true;
    case EEnd::Common: break;
    }
    return m_checkErrors ? FetchEs1Error() : true;
}

// Replays recorded EGL 1.4 calls on the host EGL library. Recorded handles mean nothing on the host:
// the EGL maps give the host display, surface and context made for each. Calls replayed as recorded
// need no code: their rows in EglCalls.def say what each argument is (a display, a surface or a
// value, by type code), and one generic player hands the host's objects and the recorded values to
// the host entry point of the same id. Written by hand: the calls that make, destroy or make current
// host objects, and those that cannot be replayed here. Rows marked not replayed (the queries) are
// passed over.
#include "EglCurrent.h"
#include "EglMaps.h"
#include "FreshSurfaces.h"
#include "Diagnostics.h"
#include "PlayArgs.h"
#include "PlayRows.h"
#include "Playback.h"
#include "host/HostCurrent.h"
#include "host/HostTables.h"
#include "windows/EglAdapters.h"

#include "EglRecords.h"
#include "data/TraceData.h"
#include "values/EglHolders.h"

#include <EGL/egl.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

namespace {

using xqft::ItemKind;
using xqft::Role;

using SPlay = TPlay<SEglHost>;
using Handler = EEnd (*)(SPlay&);

// A recorded attribute list as the host takes it: read within its recorded count and ended with
// EGL_NONE (a device's list may lack the terminator). Null when the call carries no list.
struct SHostAttribs
{
    std::vector<EGLint> values;
    const EGLint* Data() const { return values.empty() ? nullptr : values.data(); }
};

SHostAttribs HostAttribs(const SEglAttribList* list)
{
    SHostAttribs out;
    const size_t n = list ? list->ElementCount() : 0;
    if (n == 0)
        return out;
    for (size_t i = 0; i + 1 < n && (*list)[i].value != EGL_NONE; i += 2)
        out.values.insert(out.values.end(), {(*list)[i].value, (*list)[i + 1].value});
    out.values.push_back(EGL_NONE);
    return out;
}

// The recorded configuration's attribute values.
std::vector<uint32_t> ConfigValues(const SEglAttribList* list)
{
    std::vector<uint32_t> values(list ? list->ElementCount() : 0);
    if (!values.empty())
        list->CopyValues(values.data());
    return values;
}

void* MatchConfig(uint64_t display, uint32_t recordedConfig, const SEglAttribList* list)
{
    const std::vector<uint32_t> values = ConfigValues(list);
    return MatchEglConfig(display, recordedConfig, values.empty() ? nullptr : values.data(), uint32_t(values.size()));
}

// The API version a context's attribute list asks for (EGL's default, 1, when it names none).
int ClientVersion(const SHostAttribs& attribs)
{
    for (size_t i = 0; i + 1 < attribs.values.size(); i += 2)
        if (attribs.values[i] == EGL_CONTEXT_CLIENT_VERSION)
            return attribs.values[i + 1];
    return 1;
}

// The host display of a recorded display (made when the trace never got it).
uint64_t Display(SPlay& p, uint32_t recorded) { return HostDisplayOrDefault(p.playback.m_windows, recorded); }

EGLSurface Surface(uint64_t display, uint32_t recorded)
{
    return reinterpret_cast<EGLSurface>(SurfaceHandleMap::Get(display, recorded));
}

// Whether every handle a make-current names has a host object (0 stands for none); else an ERROR line
// naming the call and the first unknown handle.
bool KnownMakeCurrentHandles(uint32_t draw, EGLSurface hostDraw, uint32_t read, EGLSurface hostRead, uint32_t context,
                             EGLContext hostContext)
{
    const char* what = nullptr;
    uint32_t handle = 0;
    if (context != 0 && !hostContext)
        what = "context", handle = context;
    else if (draw != 0 && !hostDraw)
        what = "draw surface", handle = draw;
    else if (read != 0 && !hostRead)
        what = "read surface", handle = read;
    if (!what)
        return true;
    PlaybackError("eglMakeCurrent: unknown %s 0x%x: the trace never made it\n", what, handle);
    return false;
}

// A pbuffer's size (EGL_WIDTH and EGL_HEIGHT, 0 when not given) within what a window surface of the
// config may be: neither side negative nor above the config's largest surface; else an ERROR line.
bool PbufferSizeFits(EGLDisplay display, void* config, const SHostAttribs& attribs)
{
    int64_t width = 0, height = 0;
    for (size_t i = 0; i + 1 < attribs.values.size(); i += 2) {
        if (attribs.values[i] == EGL_WIDTH)
            width = attribs.values[i + 1];
        else if (attribs.values[i] == EGL_HEIGHT)
            height = attribs.values[i + 1];
    }
    // A pbuffer of no pixels is EGL's default: it is held to the limits as one of a pixel.
    if (width >= 0 && height >= 0 &&
        EglLibraryEntries().FitsConfig(display, static_cast<EGLConfig>(config), uint64_t(std::max<int64_t>(width, 1)),
                                       uint64_t(std::max<int64_t>(height, 1))))
        return true;
    PlaybackError("eglCreatePbufferSurface: a pbuffer of %lld x %lld is %s; the call is not played\n",
                  static_cast<long long>(width), static_cast<long long>(height),
                  width < 0 || height < 0 ? "of a negative size" : "above the largest surface the host's config has");
    return false;
}

// A window surface of a single pixel (a host that could not size it) is played as 640 x 480.
void KeepSurfaceSize(CPlayback& pb)
{
    if (pb.m_surfaceWidth == 1 || pb.m_surfaceHeight == 1) {
        pb.m_surfaceWidth = 640;
        pb.m_surfaceHeight = 480;
    }
}

// ---- the generic player: what each row item hands to the host --------------------------------------

// One row item as the generic player sees it: whether it can play a row holding it, whether it is
// handed to the host, its host type and its value (`display`: the host display of the row's "dpy").
template <class Item>
struct TPlayItem
{
    static constexpr bool kPlayable = false;
    static constexpr bool kPassed = false;
    static constexpr int kCode = 0;
};

// The host's answer (an EGLBoolean): not handed over.
template <class Holder>
    requires(Holder::kCode == TEGLBoolean::kCode)
struct TPlayItem<xqft::Ret<Holder>>
{
    static constexpr bool kPlayable = true;
    static constexpr bool kPassed = false;
    static constexpr int kCode = 0;
};

// What a record keeps beside the arguments (a frame counter, a captured frame): not handed over.
template <class Item>
    requires(Item::kKind == ItemKind::Extra)
struct TPlayItem<Item>
{
    static constexpr bool kPlayable = true;
    static constexpr bool kPassed = false;
    static constexpr int kCode = 0;
};

// Scalars by type code: a display, a surface (of the row's display), an EGLint, an EGLenum.
template <int Code>
struct THostScalar
{
    static constexpr bool kPlayable = false;
    using type = int;
};
template <> struct THostScalar<TEGLint::kCode> { static constexpr bool kPlayable = true; using type = EGLint; };
template <> struct THostScalar<TEGLenum::kCode> { static constexpr bool kPlayable = true; using type = EGLenum; };
template <> struct THostScalar<TEGLDisplay::kCode> { static constexpr bool kPlayable = true; using type = EGLDisplay; };
template <> struct THostScalar<TEGLSurface::kCode> { static constexpr bool kPlayable = true; using type = EGLSurface; };

template <auto Name, class Holder, Role R>
struct TPlayItem<xqft::Arg<Name, Holder, R>>
{
    static constexpr int kCode = Holder::kCode;
    static constexpr bool kPlayable = THostScalar<kCode>::kPlayable && R == Role::None;
    static constexpr bool kPassed = true;
    using Host = typename THostScalar<kCode>::type;
    static Host Get(SPlay& p, size_t i, uint64_t display)
    {
        if constexpr (kCode == TEGLDisplay::kCode)
            return reinterpret_cast<EGLDisplay>(display);
        else if constexpr (kCode == TEGLSurface::kCode)
            return Surface(display, p.a.U32(i));
        else
            return playrows::HostScalarAt<Host>(p.a, i);
    }
};

// Where a row's items go: the items handed over in row order, the listing position of each (the
// return value and the extras after the arguments are not listed among them), the position of the
// display ("dpy", -1 without one), and whether the generic player plays every item.
template <class Items>
struct TRowItems
{
    static constexpr size_t kCount = std::tuple_size_v<Items>;

    template <size_t... I>
    static consteval std::array<bool, kCount> Passed(std::index_sequence<I...>)
    {
        return {TPlayItem<std::tuple_element_t<I, Items>>::kPassed...};
    }
    template <size_t... I>
    static consteval std::array<bool, kCount> Playable(std::index_sequence<I...>)
    {
        return {TPlayItem<std::tuple_element_t<I, Items>>::kPlayable...};
    }
    template <size_t... I>
    static consteval std::array<ItemKind, kCount> Kinds(std::index_sequence<I...>)
    {
        return {std::tuple_element_t<I, Items>::kKind...};
    }
    template <size_t... I>
    static consteval std::array<int, kCount> Codes(std::index_sequence<I...>)
    {
        return {TPlayItem<std::tuple_element_t<I, Items>>::kCode...};
    }
    template <size_t... I>
    static consteval std::array<std::string_view, kCount> Names(std::index_sequence<I...>)
    {
        return {std::tuple_element_t<I, Items>::kName.view()...};
    }

    static constexpr auto kPassedFlags = Passed(std::make_index_sequence<kCount>{});
    static constexpr auto kKinds = Kinds(std::make_index_sequence<kCount>{});
    static constexpr auto kCodes = Codes(std::make_index_sequence<kCount>{});
    static constexpr auto kNames = Names(std::make_index_sequence<kCount>{});

    static consteval size_t PassedCount()
    {
        size_t n = 0;
        for (bool passed : kPassedFlags)
            n += passed;
        return n;
    }
    static constexpr size_t kPassed = PassedCount();

    // The listing position of item i, found by its name.
    static consteval size_t Position(size_t i)
    {
        const int at = playrows::FindItem<Items>(kNames[i]);
        if (at < 0)
            throw "an item the generic player hands over moves with the trace's data flag";
        return size_t(at);
    }
    static consteval std::array<size_t, kPassed> PassedItems()
    {
        std::array<size_t, kPassed> items{};
        for (size_t i = 0, n = 0; i < kCount; ++i)
            if (kPassedFlags[i])
                items[n++] = i;
        return items;
    }
    static constexpr auto kItems = PassedItems();
    static consteval int DisplayPosition()
    {
        for (size_t i = 0; i < kCount; ++i)
            if (kNames[i] == "dpy" && kCodes[i] == TEGLDisplay::kCode)
                return int(Position(i));
        return -1;
    }
    static constexpr int kDisplay = DisplayPosition();

    // Every item playable, the extras after the arguments, and a display for every surface.
    static consteval bool Played()
    {
        const auto playable = Playable(std::make_index_sequence<kCount>{});
        bool extras = false;
        for (size_t i = 0; i < kCount; ++i) {
            const bool surfaceWithoutDisplay = kCodes[i] == TEGLSurface::kCode && kDisplay < 0;
            if (!playable[i] || (extras && kKinds[i] == ItemKind::Argument) || surfaceWithoutDisplay)
                return false;
            extras = extras || kKinds[i] == ItemKind::Extra;
        }
        return true;
    }
    // The type codes handed over, one digit each: the layouts of one id must agree.
    static consteval uint64_t Signature()
    {
        uint64_t signature = 1;
        for (size_t i : kItems)
            signature = signature * 8 + uint64_t(kCodes[i]);
        return signature;
    }
};

template <class Items, size_t... K>
EEnd PlayItems(SPlay& p, uint16_t id, std::index_sequence<K...>)
{
    using Row = TRowItems<Items>;
    using Fn = EGLBoolean (*)(typename TPlayItem<std::tuple_element_t<Row::kItems[K], Items>>::Host...);
    uint64_t display = 0;
    if constexpr (Row::kDisplay >= 0)
        display = Display(p, p.a.U32(size_t(Row::kDisplay)));
    hostcall::Typed<Fn>(p.gl.EntryOfId(id))(
        TPlayItem<std::tuple_element_t<Row::kItems[K], Items>>::Get(p, Row::Position(Row::kItems[K]), display)...);
    return EEnd::Common;
}

// The generic player (playrows): the items handed over, the display first looked up.
struct SEglPlayer
{
    using Play = SPlay;
    template <class Record>
    static consteval bool Playable()
    {
        return TRowItems<typename Record::ItemTuple>::Played();
    }
    template <class Record>
    static EEnd PlayAsRecorded(SPlay& p)
    {
        using Items = typename Record::ItemTuple;
        return PlayItems<Items>(p, Record::kId, std::make_index_sequence<TRowItems<Items>::kPassed>{});
    }
    template <class Record>
    static consteval uint64_t Signature()
    {
        return TRowItems<typename Record::ItemTuple>::Signature();
    }
};

// Every row with its traits, its generic player and what that hands over.
constexpr playrows::TRowPlay<SPlay> kRows[] = {
#define XQF_PLAYER SEglPlayer
#define XQF_PLAY_FAMILY xqft::egl
#define XQF_TABLE "EglCalls.def"
#include "PlayRows.inc"
};

// The record classes of every row.
using SRecords = playrows::TRecordList<playrows::SNoRecord
#define XQF_PLAY_FAMILY xqft::egl
#define XQF_TABLE "EglCalls.def"
#include "PlayRecords.inc"
                                       >;

// The call of a case's function as its case reads it: p.Item<"name">().
template <uint16_t Slot>
using TCall = playrows::TCallOfFunction<SPlay, uint16_t(kEglHostFirstId + Slot), SRecords>;
// Only the window surface layout from format version 7 lists the surface's own attributes (after
// the four arguments): an older record has none there to read (CPlayArgs throws).
using SSurfaceAttribsCall = playrows::TCallOf<SPlay, xqft::egl::CEgl_eglCreateWindowSurface_v7>;

// ---- the hand-written cases -------------------------------------------------------------------------

using SCase = playrows::TCase<SPlay>;

#define XQF_CASE(fn) \
    SCase{HostSlot(kEglHostNames, #fn), [](TCall<HostSlot(kEglHostNames, #fn)> & p) -> EEnd

constexpr SCase kCases[] = {
    // Not played here: a warning, result 1.
    XQF_CASE(eglCopyBuffers) {
        (void)p;
        PlaybackWarning("Not Implemented. Call using pixmap, skipping");
        return EEnd::Done;
    }},
    XQF_CASE(eglCreatePixmapSurface) {
        (void)p;
        PlaybackWarning("Pixmaps not supported in playback");
        return EEnd::Done;
    }},
    XQF_CASE(eglCreatePbufferFromClientBuffer) {
        (void)p;
        PlaybackWarning("Pbuffers not supported in playback (client)");
        return EEnd::Done;
    }},

    // Displays.
    XQF_CASE(eglGetDisplay) {
        const NativeHandle native = GetNativeDisplayWindow(p.playback.m_windows, p.Item<"display_id", "NativeDisplayType">());
        EGLDisplay d = XQF_HOST(p.gl, eglGetDisplay)(reinterpret_cast<EGLNativeDisplayType>(native));
        DisplayHandleMap::Set(p.a.ReturnU32(), reinterpret_cast<uint64_t>(d), native);
        return EEnd::Common;
    }},
    // A display never got is initialised where it is mapped.
    XQF_CASE(eglInitialize) {
        const bool mappedNow = p.Item<"dpy">() != 0 && DisplayHandleMap::Get(p.Item<"dpy">()) == 0;
        const EGLDisplay d = reinterpret_cast<EGLDisplay>(Display(p, p.Item<"dpy">()));
        if (!mappedNow)
            XQF_HOST(p.gl, eglInitialize)(d, nullptr, nullptr);
        CPlayback::s_hostEglInitialised = true;
        return EEnd::Common;
    }},
    XQF_CASE(eglTerminate) {
        const uint64_t d = DisplayHandleMap::Get(p.Item<"dpy">());
        XQF_HOST(p.gl, eglTerminate)(reinterpret_cast<EGLDisplay>(d));
        ForgetContextsWaitingOn(d);
        DropStandInSurfaces(d);
        ResetDisplayObjects(d);
        DestroyDisplay(p.Item<"dpy">());
        CPlayback::s_hostEglInitialised = false;
        return EEnd::Common;
    }},

    // Contexts and surfaces: made with a host config matching the recorded one (a context recorded
    // without a config: see HostContextConfig).
    XQF_CASE(eglCreateContext) {
        const uint64_t d = Display(p, p.Item<"dpy">());
        const uint64_t share = ContextHandleMap::Get(d, p.Item<"share_context">());
        const SHostAttribs attribs = HostAttribs(p.Item<"attrib_list_contex">().data);
        const std::vector<uint32_t> recorded = ConfigValues(p.Item<"attrib_list_config">().data);
        void* config = HostContextConfig({nullptr, p.playback.m_trace, p.playback.m_callFrame}, d, p.a.ReturnU32(),
                                         p.Item<"config">(), recorded.empty() ? nullptr : recorded.data(),
                                         uint32_t(recorded.size()), ClientVersion(attribs));
        EGLContext context = XQF_HOST(p.gl, eglCreateContext)(reinterpret_cast<EGLDisplay>(d), config,
                                                              reinterpret_cast<EGLContext>(share), attribs.Data());
        p.playback.m_lastHostError = uint32_t(XQF_HOST(p.gl, eglGetError)());
        if (p.playback.m_lastHostError != EGL_SUCCESS) {
            PlaybackLine("Error pos eglCreateContext: 0x%x", p.playback.m_lastHostError);
        }
        ContextHandleMap::Set(d, p.a.ReturnU32(), reinterpret_cast<uint64_t>(context));
        NoteHostContext(reinterpret_cast<uint64_t>(context), share);
        return EEnd::Common;
    }},
    // Held to what a window surface may be (the host makes a pbuffer of any size it is asked for, and
    // a huge one takes memory without bound); a pbuffer the host refuses is reported here, where the
    // trace made it.
    XQF_CASE(eglCreatePbufferSurface) {
        const uint64_t d = Display(p, p.Item<"dpy">());
        void* config = MatchConfig(d, p.Item<"config">(), p.Item<"SurfaceDesc">().data);
        const SHostAttribs attribs = HostAttribs(p.Item<"attrib_list">().data);
        if (!PbufferSizeFits(reinterpret_cast<EGLDisplay>(d), config, attribs))
            return EEnd::Fail;
        EGLSurface surface =
            XQF_HOST(p.gl, eglCreatePbufferSurface)(reinterpret_cast<EGLDisplay>(d), config, attribs.Data());
        if (surface == EGL_NO_SURFACE) {
            PlaybackError("eglCreatePbufferSurface: the host refused the pbuffer (EGL error 0x%x)\n",
                          unsigned(XQF_HOST(p.gl, eglGetError)()));
            return EEnd::Fail;
        }
        SurfaceHandleMap::Set(d, p.a.ReturnU32(), reinterpret_cast<uint64_t>(surface));
        NoteNewSurface(reinterpret_cast<uint64_t>(surface));
        return EEnd::Common;
    }},
    // A surface made before (replay or restore) is kept.
    XQF_CASE(eglCreateWindowSurface) {
        CPlayback& pb = p.playback;
        const uint64_t d = Display(p, p.Item<"dpy">());
        if (SurfaceHandleMap::Get(d, p.a.ReturnU32()) != 0)
            return EEnd::Done;
        void* config = MatchConfig(d, p.Item<"config">(), SSurfaceAttribsCall{p}.Item<"surface_attrib_list">().data);
        const NativeHandle native = DisplayNativeHandleMap::Get(d);
        // A record from before format version 7 describes its window without a size: none is read.
        const auto* win = SSurfaceAttribsCall{p}.Item<"win">().data;
        const SEglSurfaceWindow recorded{win ? win->handle.value : 0u, win ? win->width : 0u, win ? win->height : 0u};
        const NativeHandle window = CreatePlaybackWindow(pb.m_windows, recorded, native);
        pb.m_lastHostError = uint32_t(XQF_HOST(p.gl, eglGetError)());
        EGLSurface surface = XQF_HOST(p.gl, eglCreateWindowSurface)(reinterpret_cast<EGLDisplay>(d), config,
                                                                    EGLNativeWindowType(window), nullptr);
        pb.m_lastHostError = uint32_t(XQF_HOST(p.gl, eglGetError)());
        if (pb.m_lastHostError != EGL_SUCCESS)
            PlaybackError("EGL Error Code: 0x%lx, CallID = %d\n", long(pb.m_lastHostError), p.call.GetId());
        EGLint width = 0, height = 0;
        XQF_HOST(p.gl, eglQuerySurface)(reinterpret_cast<EGLDisplay>(d), surface, EGL_WIDTH, &width);
        XQF_HOST(p.gl, eglQuerySurface)(reinterpret_cast<EGLDisplay>(d), surface, EGL_HEIGHT, &height);
        pb.m_surfaceWidth = uint32_t(width);
        pb.m_surfaceHeight = uint32_t(height);
        KeepSurfaceSize(pb);
        SurfaceHandleMap::Set(d, p.a.ReturnU32(), reinterpret_cast<uint64_t>(surface));
        NoteNewSurface(reinterpret_cast<uint64_t>(surface));
        return EEnd::Done;
    }},
    // A current context lives on until it is released.
    XQF_CASE(eglDestroyContext) {
        DestroyHostContext(Display(p, p.Item<"dpy">()), p.Item<"ctx">());
        return EEnd::Common;
    }},
    XQF_CASE(eglDestroySurface) {
        const uint64_t d = Display(p, p.Item<"dpy">());
        XQF_HOST(p.gl, eglDestroySurface)(reinterpret_cast<EGLDisplay>(d), Surface(d, p.Item<"surface">()));
        SurfaceHandleMap::Erase(d, p.Item<"surface">());
        return EEnd::Common;
    }},

    // Current contexts.
    XQF_CASE(eglMakeCurrent) {
        CPlayback& pb = p.playback;
        const uint64_t d = Display(p, p.Item<"dpy">());
        EGLSurface draw = Surface(d, p.Item<"draw">());
        EGLSurface read = Surface(d, p.Item<"read">());
        EGLContext context = reinterpret_cast<EGLContext>(ContextHandleMap::Get(d, p.Item<"ctx">()));
        // A handle the trace never made has no host object: making "nothing" current instead would
        // draw the rest of the frame nowhere and look like success.
        if (!KnownMakeCurrentHandles(p.Item<"draw">(), draw, p.Item<"read">(), read, p.Item<"ctx">(), context))
            return EEnd::Fail;
        EGLDisplay dpy = reinterpret_cast<EGLDisplay>(d);
        const bool made = pb.NoteEglError(MakeCurrentOnHost(d, draw, read, context));
        // Without surfaces there is no swap interval to set and no size to read: nothing of such a
        // context is read back as a frame.
        const bool surfaceless = !draw && !read;
        if (context && surfaceless) {
            pb.m_surfaceWidth = pb.m_surfaceHeight = 0;
        } else if (context) {
            if (made && pb.m_mode == 1)
                XQF_HOST(p.gl, eglSwapInterval)(dpy, 0);
            pb.CheckEglError();
            EGLint value = 0;
            XQF_HOST(p.gl, eglQuerySurface)(dpy, read, EGL_WIDTH, &value);
            pb.m_surfaceWidth = uint32_t(value);
            pb.CheckEglError();
            value = 0;
            XQF_HOST(p.gl, eglQuerySurface)(dpy, read, EGL_HEIGHT, &value);
            pb.m_surfaceHeight = uint32_t(value);
            pb.CheckEglError();
            KeepSurfaceSize(pb);
        }
        ClearNewSurface(d, reinterpret_cast<uint64_t>(draw), reinterpret_cast<uint64_t>(context));
        AfterHostMakeCurrent();  // after the error checks: it may destroy a released context
        uint64_t kept = d;
        RememberWindowSize(&pb.m_surfaceWidth, &pb.m_surfaceHeight, &kept);
        return EEnd::Common;
    }},
    XQF_CASE(eglReleaseThread) {
        XQF_HOST(p.gl, eglReleaseThread)();
        NoteHostCurrentContext();
        AfterHostMakeCurrent();
        return EEnd::Common;
    }},
    // The host's own engine, whatever the device waited for.
    XQF_CASE(eglWaitNative) {
        XQF_HOST(p.gl, eglWaitNative)(EGL_CORE_NATIVE_ENGINE);
        return EEnd::Done;
    }},
};
#undef XQF_CASE

// The rows after the host table's ids (extensions) are played by no player.
static_assert(playrows::EveryRowPlayed<SPlay>(kRows, kCases, kEglHostFirstId, kEglHostCount),
              "EglCalls.def: each EGL 1.4 row is not replayed, played by one case, or played as recorded");

// The handler of every slot; null for the ids not replayed.
constexpr auto kHandlers = playrows::HandlersOf<SPlay, kEglHostCount>(kRows, kCases, kEglHostFirstId, nullptr);

} // namespace

bool CPlayback::CheckEglError()
{
    return NoteEglError(uint32_t(XQF_HOST(*SEglHost::Instance(), eglGetError)()));
}

bool CPlayback::NoteEglError(uint32_t error)
{
    m_lastHostError = error;
    if (m_lastHostError == EGL_SUCCESS)
        return true;
    PlaybackLine("EGL Error Code: 0x%lx, Call= %s\n", long(m_lastHostError),
                 m_callName.CStr() ? m_callName.CStr() : "");
    return false;
}

bool CPlayback::PlayEglCall(STraceCall* entry, bool)
{
    CApiCall& call = *entry->call;
    if (!call.RecordedSuccess())
        return true;  // a call that failed on the device is not repeated
    SEglHost& h = *SEglHost::Instance();
    const CPlayArgs args(call);
    const uint32_t slot = uint32_t(call.GetId()) - kEglHostFirstId;
    if (slot >= kEglHostCount) {
        PlaybackLine("EGL Unknown call");
        return false;
    }
    const Handler play = kHandlers[slot];
    if (!play)
        return true;  // a query: configs are chosen where contexts and surfaces are made
    m_callFrame = entry->frame;
    SPlay p{*this, call, args, h};
    switch (play(p)) {
    case EEnd::Fail: return false;
    case EEnd::Done: return true;
    case EEnd::Common: break;
    }
    return !m_checkErrors || CheckEglError();
}

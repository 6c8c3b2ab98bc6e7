#pragma once
// The context recorded calls are replayed in on the host OpenGL ES library: the bound trace, the
// playback windows' functions and the players' bookkeeping. PlayCall hands one recorded call to the
// player of its API.
#include "XQFTString.h"
#include "maps/NameMaps.h"
#include "windows/PlaybackWindows.h"

#include <cstdint>

class CTraceData;
struct STraceCall;

class CPlayback
{
public:
    CPlayback();
    ~CPlayback();
    CPlayback(const CPlayback&) = delete;
    CPlayback& operator=(const CPlayback&) = delete;

    // Resets every recorded-to-host name map, forgets the native window, stores the trace.
    void BindTrace(CTraceData* trace);
    // The first playback window, asked for once and kept; 0 while none exists.
    uint64_t GetNativeWindow();

    // Plays one call: true when it was played or is one not played (the marker records 2 to 4),
    // false when it failed or no player takes its id ("Error call:NAME ID"). EGL calls are played
    // with error checks off whatever checkErrors says. A GL call while the host has no context current
    // fails with one ERROR line naming it.
    bool PlayCall(STraceCall* call, bool checkErrors);

    // The players, by the id ranges of the call families (EGL: its EGL 1.4 functions only).
    bool PlayEglCall(STraceCall* call, bool checkErrors);
    bool PlayEs1Call(STraceCall* call, bool checkErrors);
    bool PlayEs2Call(STraceCall* call, bool checkErrors);
    bool PlayExtCall(STraceCall* call, bool checkErrors);

    // The ES 1.1 buffer names (Es1BufferNameMap).
    static void MapEs1Buffer(uint32_t recorded, uint32_t host) { Es1BufferNameMap::Set(recorded, host); }
    static uint32_t GetEs1HostBuffer(uint32_t recorded) { return Es1BufferNameMap::Get(recorded); }

    // Reads the host EGL error into the last host error; true for EGL_SUCCESS, else prints
    // "EGL Error Code: 0x%lx, Call= %s".
    bool CheckEglError();
    // The same for an EGL error read already (one the host reset since).
    bool NoteEglError(uint32_t error);
    // Reads the host GL error into the last host error; true when there is none, else prints
    // "OGLES2 Error Code: 0x%lx, Call= %s" and gives false.
    bool CheckEs2Error();
    // Reads the host ES 1.1 error into the last host error; true when there is none. Prints nothing.
    bool FetchEs1Error();
    // Reads the error of an API's host into the last host error (1: the ES 1.1 host's glGetError,
    // 2: the ES 2.0 host's, any other value: the EGL host's eglGetError); true when it is 0.
    bool ReadHostError(uint32_t api);
    // Loads the host's ES 1.1 extension entry points unless this playback did already.
    void EnsureHostExtensions() { m_es1Extensions.LoadExtensionsOnce(); }

    // True while a host EGL display is initialised: set after each host eglInitialize (EGL player,
    // restore, a display the trace never got), cleared after a replayed eglTerminate and when an
    // analysis playback forgets the host's objects. The ES 2.0 player replays nothing while it is
    // false. One for the process, as the host EGL library and the handle maps are.
    static inline bool s_hostEglInitialised = false;

    CTraceData* m_trace = nullptr;
    SNativeWindowFuncs m_windows;
    SEs1ExtensionState m_es1Extensions;
    CXQFTString m_callName;            // the call being played, for error lines
    uint32_t m_callNumber = 0;         // its number in the bound trace (0: none), for refusals
    uint8_t m_mode = 0;                // 1 in an analysis playback (its EGL player turns vsync off)
    bool m_abort = false;
    uint64_t m_nativeWindow = 0;
    bool m_checkErrors = false;        // as last passed to PlayCall
    uint32_t m_defaultFramebuffer = 0;  // bound when the first ES 2.0 call was played
    bool m_defaultFramebufferKnown = false;
    uint32_t m_lastHostError = 0;
    uint32_t m_surfaceWidth = 0;       // of the window surface the EGL player made last
    uint32_t m_surfaceHeight = 0;
    uint32_t m_callFrame = 0;          // the frame of the EGL call being played
};

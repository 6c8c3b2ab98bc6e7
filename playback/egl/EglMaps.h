#pragma once
// Recorded EGL handles mean nothing on the host: these process-wide maps give the host display,
// surface, context and config made for each recorded one. Handles are widened to 64 bits; a handle
// the maps lack reads as 0, and callers then skip the object or hand 0 to the host.
#include "state/ObjectTable.h"

#include <cstdint>

// Recorded display -> host display.
struct DisplayHandleMap
{
    static CHandleTable<uint64_t>& Table();
    // Maps recorded to host, and host to the native display it was obtained with.
    static void Set(uint64_t recorded, uint64_t host, uint64_t native);
    static uint64_t Get(uint64_t recorded);
};

struct SNativeWindowFuncs;

// The host display of a recorded one. A display the trace uses but never got (an application that
// gets it through a platform-display call, which is not recorded) is mapped to the host's default
// display, initialised then, with one warning line. 0 for the recorded handle 0.
uint64_t HostDisplayOrDefault(SNativeWindowFuncs& windows, uint64_t recorded);

// Host display -> the native display handle it was obtained with.
struct DisplayNativeHandleMap
{
    static CHandleTable<uint64_t>& Table();
    static uint64_t Get(uint64_t host);
};

// Host display -> recorded handle -> host handle.
template <class Self>
struct TPerDisplayMap
{
    static CHandleTable<CHandleTable<uint64_t>>& Table()
    {
        static CHandleTable<CHandleTable<uint64_t>> table;
        return table;
    }
    static void Set(uint64_t hostDisplay, uint64_t recorded, uint64_t host) { Table()[hostDisplay][recorded] = host; }
    static uint64_t Get(uint64_t hostDisplay, uint64_t recorded)
    {
        if (recorded == 0)
            return 0;
        const CHandleTable<CHandleTable<uint64_t>>& outer = Table();
        const CHandleTable<uint64_t>* inner = outer.Get(hostDisplay);
        const uint64_t* host = inner ? inner->Get(recorded) : nullptr;
        return host ? *host : 0;
    }
    // Removes the entry (an empty table is made for a display the map lacks).
    static void Erase(uint64_t hostDisplay, uint64_t recorded) { Table()[hostDisplay].Erase(recorded); }
};

struct SurfaceHandleMap : TPerDisplayMap<SurfaceHandleMap> {};
struct ContextHandleMap : TPerDisplayMap<ContextHandleMap> {};
// The host config MatchEglConfig chose for a recorded config: matched once per host display.
struct ConfigHandleMap : TPerDisplayMap<ConfigHandleMap> {};

// The host contexts playback made, by share group, and those destroyed while current: EGL destroys a
// current context only once it is released, so such a context stays current and mapped until a
// make-current moves off it. Each group's name maps (BindNameMapGroup) go when its last context does.
//
// Enters a context made on the host with the host context it shares objects with (0: none).
void NoteHostContext(uint64_t hostContext, uint64_t hostShare);
// Destroys the host context of a recorded one: at once when it is not current on the host, else once
// a make-current releases it.
void DestroyHostContext(uint64_t hostDisplay, uint64_t recordedContext);
// After every host make-current (HostMakeCurrent, or a release noted with NoteHostCurrentContext):
// destroys the contexts waiting for their release that are no longer current, and makes the name maps
// of the current context's group live.
void AfterHostMakeCurrent();
// At eglTerminate: the display's contexts that wait for release are left to the host.
void ForgetContextsWaitingOn(uint64_t hostDisplay);

// At eglTerminate: empties the display's surfaces and contexts (made when missing), and the whole
// context map when it holds this one display.
void ResetDisplayObjects(uint64_t hostDisplay);

// Forgets a recorded display: its host display, native handle, surfaces, contexts and configs.
// Prints "Destroying Displays: %d, remain: %d".
void DestroyDisplay(uint64_t recordedDisplay);

// The process-wide size and handle of the playback surface. For each argument, 0xFFFFFFFF (width,
// height) or 0 (handle) asks for the remembered value, which is written into it; any other value is
// remembered. A null pointer is left alone.
void RememberWindowSize(uint32_t* width, uint32_t* height, uint64_t* handle);

// A host config equivalent to the recorded one as far as the host allows. The recorded attribute
// list is read within its `count` values (an unterminated list stays whole, EGL_NONE ends it early)
// and the host always gets an EGL_NONE-terminated copy. Tries the list, relaxes it attribute by
// attribute, then a bare list, then any config; prints each step (standard output). Cached per host
// display and recorded config. Throws CXqftError("Impossible to create a proper EGL Context") when
// the host has no config at all.
void* MatchEglConfig(uint64_t hostDisplay, uint64_t recordedConfig, const uint32_t* attributes, uint32_t count);

// Lists every attribute of a host config (standard output).
void DumpEglConfig(void* config, void* display);

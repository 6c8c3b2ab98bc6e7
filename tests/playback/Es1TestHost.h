#pragma once
// The one host ES 1.1 context (64 x 48) the ES 1.1 player and restore tests share.
#include "Playback.h"
#include "host/HostContext.h"
#include "host/HostTables.h"
#include "windows/NativeWindows.h"

#include <string>

namespace es1host {

// Makes the program's ES 1.1 context on first use and sets `gl` to the ES 1.1 table. Empty when the
// context is there, else why the case must be skipped.
inline std::string UseEs1Context(SEs1Host*& gl)
{
    if (SEglHost::Instance()->IsFailed())
        return "no host EGL library";
    gl = SEs1Host::Instance();
    if (!gl || gl->IsFailed())
        return "no host ES 1.1 library";
    SNativeWindowFuncs windows;
    InitNativeWindowFunctions(windows);
    static SHostContext context;  // one ES 1.1 context for the whole program
    if (!context.context && !context.Make(1, windows, 0x900, SEglSurfaceWindow{0x901, 64, 48}))
        return context.error.empty() ? std::string("no host ES 1.1 context") : context.error;
    CPlayback::s_hostEglInitialised = true;
    return {};
}

} // namespace es1host

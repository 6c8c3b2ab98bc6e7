#include "NativeWindows.h"

#include "Diagnostics.h"

#include <cstdio>
#include <cstdlib>
#include <string>

EWindowBackEnd ActiveWindowBackEnd()
{
    static const EWindowBackEnd backEnd = [] {
        const char* forced = std::getenv("XQFT_PLAYBACK_WINDOWS");
        const std::string choice = forced ? forced : "";
        if (choice == "headless")
            return EWindowBackEnd::Headless;
        const char* display = std::getenv("DISPLAY");
        if (choice != "x11" && (!display || !*display))
            return EWindowBackEnd::Headless;
        if (x11::Available())
            return EWindowBackEnd::X11;
        PlaybackLine("Playback windows: no X server at DISPLAY=%s, rendering headless", display ? display : "");
        return EWindowBackEnd::Headless;
    }();
    return backEnd;
}

const char* WindowBackEndName(EWindowBackEnd backEnd) { return backEnd == EWindowBackEnd::X11 ? "x11" : "headless"; }

SNativeWindowFuncs& InitNativeWindowFunctions(SNativeWindowFuncs& funcs)
{
    if (ActiveWindowBackEnd() == EWindowBackEnd::X11) {
        funcs.Create = &x11::CreatePlaybackWindow;
        funcs.Resize = &x11::MovePlaybackWindow;
        funcs.Destroy = &x11::DestroyPlaybackWindow;
        funcs.Pump = &x11::PumpPlaybackMessages;
    } else {
        funcs.Create = &headless::CreatePlaybackWindow;
        funcs.Resize = &headless::MovePlaybackWindow;
        funcs.Destroy = &headless::DestroyPlaybackWindow;
        funcs.Pump = &headless::PumpPlaybackMessages;
    }
    return funcs;
}

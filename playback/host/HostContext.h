#pragma once
// A current context of one API made through the host EGL table and the playback windows, as a
// replayed eglGetDisplay ... eglMakeCurrent would make it: for the host inspection command and the
// tests of the host layer.
#include "windows/PlaybackWindows.h"
#include "apicall/EsVersion.h"

#include <cstdint>
#include <string>

struct SHostContext
{
    SHostContext() = default;
    SHostContext(const SHostContext&) = delete;
    SHostContext& operator=(const SHostContext&) = delete;
    // Gives up the hold on the display; the context and surface stay unless released.
    ~SHostContext();

    void* display = nullptr;
    void* config = nullptr;
    void* surface = nullptr;
    void* context = nullptr;
    std::string error;  // what failed, when Make returned false
    bool holdsDisplay = false;  // the display is held (HoldHostDisplay) from Make to Release

    // api kEsVersion1 makes an ES 1.1 context, kEsVersion2 an ES 2.0 one, on a window surface of the recorded window's
    // size on the native display of recordedDisplay (both made on first use).
    bool Make(uint8_t api, SNativeWindowFuncs& windows, uint64_t recordedDisplay, const SEglSurfaceWindow& window);
    // Releases the context and destroys it and its surface (the display stays initialised, no longer
    // held).
    void Release();
};

#pragma once
// The playback windows' back ends behind one table of four functions (create, resize, destroy,
// pump). The host EGL library renders into them:
//   headless  no window system: the EGL surfaceless platform, window surfaces made as pbuffers of
//             the recorded window's size (the native handles are tokens);
//   x11       an X connection per recorded display and unmapped X windows of the recorded sizes.
// X11 is used when DISPLAY names a server that opens, headless otherwise; XQFT_PLAYBACK_WINDOWS set
// to "headless" or "x11" forces one (tests).
#include <cstdint>

// Native handles: a display token or an X connection (Display*) for a recorded display; a window
// token or an X window for a recorded window.
using NativeHandle = uint64_t;

struct SNativeWindowFuncs
{
    // A new playback window; returns its native display handle (0 when none could be made).
    NativeHandle (*Create)() = nullptr;
    // Sizes and titles a window of the native display (1 x 1 becomes 1296 x 790); returns it.
    NativeHandle (*Resize)(int32_t width, uint32_t height, const char* title, NativeHandle native) = nullptr;
    // Hides the first (when not 0) and destroys the window of the second (when not 0).
    void (*Destroy)(NativeHandle window, NativeHandle native) = nullptr;
    // Serves pending events of the window (0: of every playback window, then Qt's); false when a quit
    // request (Escape, a close request) was met.
    bool (*Pump)(NativeHandle window) = nullptr;
};
using SNativeWindowFunctions = SNativeWindowFuncs;

enum class EWindowBackEnd { Headless, X11 };

// The back end of this process, chosen at first use (an X server that does not open is reported with
// one line on standard output and gives headless).
EWindowBackEnd ActiveWindowBackEnd();
const char* WindowBackEndName(EWindowBackEnd backEnd);

// Fills the table with the active back end's functions; returns it.
SNativeWindowFuncs& InitNativeWindowFunctions(SNativeWindowFuncs& funcs);

// The size a recorded window gets: 1 x 1 (a device's "full screen") becomes 1296 x 790.
inline void PlaybackWindowSize(int32_t& width, uint32_t& height)
{
    if (width == 1 && height == 1) {
        width = 1296;
        height = 790;
    }
}

namespace headless {
NativeHandle CreatePlaybackWindow();
NativeHandle MovePlaybackWindow(int32_t width, uint32_t height, const char* title, NativeHandle native);
void DestroyPlaybackWindow(NativeHandle window, NativeHandle native);
bool PumpPlaybackMessages(NativeHandle window);
// The recorded size a window token stands for; false for a value that is no live token.
bool WindowTokenSize(NativeHandle window, uint32_t& width, uint32_t& height);
} // namespace headless

namespace x11 {
// Opens the X server of DISPLAY once; false when there is none (the x11 functions then make nothing).
bool Available();
NativeHandle CreatePlaybackWindow();
NativeHandle MovePlaybackWindow(int32_t width, uint32_t height, const char* title, NativeHandle native);
void DestroyPlaybackWindow(NativeHandle window, NativeHandle native);
bool PumpPlaybackMessages(NativeHandle window);
// Maps the window at the top left of the screen with its size (the analysis shows its frame there).
void ShowPlaybackWindow(NativeHandle window);
// The size asked for the window a window surface of the adapter was made on; false for another surface.
bool WindowSurfaceSize(void* surface, uint32_t& width, uint32_t& height);
} // namespace x11

// Serves Qt's pending events when a Qt application exists, at most about once a millisecond (the
// pump runs before every replayed call; that is often enough for an abort to arrive).
void ServeQtEvents();

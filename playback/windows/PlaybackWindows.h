#pragma once
// The playback windows of the process: one window per recorded native display, sized to each
// recorded window surface, and the pumping over all of them that replay does between calls. The
// windows come from the back end's functions (NativeWindows.h) through a playback's table.
#include "NativeWindows.h"
#include "state/EglState.h"
#include "state/ObjectTable.h"

// Recorded native display id -> the native handle made for it (process-wide, never emptied: a
// recorded display keeps its window across traces).
struct NativeDisplayWindowMap
{
    static CHandleTable<uint64_t>& Table();
};

// Recorded native window handle -> the host window made for it (process-wide, never emptied).
struct PlaybackWindowMap
{
    static CHandleTable<uint64_t>& Table();
};

inline constexpr const char* kPlaybackWindowTitle = "XQFTracePlayback";
inline constexpr uint64_t kFirstPlaybackWindow = ~uint64_t(0);

// The native handle of a recorded native display; made with funcs.Create the first time.
NativeHandle GetNativeDisplayWindow(SNativeWindowFuncs& funcs, uint64_t recordedNativeDisplay);

// The host window of a recorded window: the one made before for its handle at the same recorded
// size, else the native display's window sized (funcs.Resize) to the recorded width and height and
// titled, entered under the recorded handle.
NativeHandle CreatePlaybackWindow(SNativeWindowFuncs& funcs, SEglSurfaceWindow window, NativeHandle native);

// The window of a recorded handle; kFirstPlaybackWindow asks for the first window made. 0 when there
// is none.
NativeHandle GetPlaybackWindow(uint64_t key);

// Shows a playback window at the top left of the screen with its size: an X11 window is mapped
// there; headless there is nothing to show.
void ShowPlaybackWindow(NativeHandle window);

// The size the window of a playback window surface was made for (X11 windows; a headless window
// surface is a pbuffer of that size by making): false, leaving the sizes alone, for other surfaces.
bool PlaybackSurfaceMadeFor(void* surface, uint32_t& width, uint32_t& height);

// Pumps every playback window in table order, then the rest (Pump(0)); false when any pump met a
// quit request.
bool PumpPlaybackWindows(SNativeWindowFuncs& funcs);

#include "PlaybackWindows.h"

#include <utility>

CHandleTable<uint64_t>& NativeDisplayWindowMap::Table()
{
    static CHandleTable<uint64_t> table;
    return table;
}

CHandleTable<uint64_t>& PlaybackWindowMap::Table()
{
    static CHandleTable<uint64_t> table;
    return table;
}

NativeHandle GetNativeDisplayWindow(SNativeWindowFuncs& funcs, uint64_t recordedNativeDisplay)
{
    CHandleTable<uint64_t>& map = NativeDisplayWindowMap::Table();
    if (const uint64_t* native = std::as_const(map).Get(recordedNativeDisplay))
        return *native;
    const NativeHandle native = funcs.Create ? funcs.Create() : 0;
    map[recordedNativeDisplay] = native;
    return native;
}

NativeHandle CreatePlaybackWindow(SNativeWindowFuncs& funcs, SEglSurfaceWindow window, NativeHandle native)
{
    CHandleTable<uint64_t>& map = PlaybackWindowMap::Table();
    if (const uint64_t* made = std::as_const(map).Get(window.handle))
        return *made;
    const NativeHandle made =
        funcs.Resize ? funcs.Resize(int32_t(window.width), window.height, kPlaybackWindowTitle, native) : 0;
    map[window.handle] = made;
    return made;
}

NativeHandle GetPlaybackWindow(uint64_t key)
{
    const CHandleTable<uint64_t>& map = PlaybackWindowMap::Table();
    if (key == kFirstPlaybackWindow)
        return map.Count() > 0 ? map.At(0) : 0;
    const uint64_t* window = map.Get(key);
    return window ? *window : 0;
}

bool PumpPlaybackWindows(SNativeWindowFuncs& funcs)
{
    if (!funcs.Pump)
        return true;
    bool quit = false;
    for (const auto& entry : std::as_const(PlaybackWindowMap::Table()))
        quit |= !funcs.Pump(entry.record);
    quit |= !funcs.Pump(0);
    return !quit;
}

void ShowPlaybackWindow(NativeHandle window)
{
    if (ActiveWindowBackEnd() == EWindowBackEnd::X11)
        x11::ShowPlaybackWindow(window);
}

#include "PlaybackWindows.h"

#include <unordered_map>
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
    // The recorded size each handle's window was made for. Handles repeat between traces (and a
    // device may resize a window between two surfaces): a known handle asked for at another size is
    // sized again, or the surface made on it would keep the size of the first.
    static std::unordered_map<uint64_t, uint64_t> madeFor;
    // The handle each host window was last sized for: a back end may size the same window again for
    // another handle (an X11 window whose surface is gone is reused), which then no longer has the
    // size of the handles it was made for before.
    static std::unordered_map<NativeHandle, uint64_t> sizedFor;
    const uint64_t size = uint64_t(window.width) << 32 | window.height;
    CHandleTable<uint64_t>& map = PlaybackWindowMap::Table();
    if (const uint64_t* made = std::as_const(map).Get(window.handle)) {
        const auto known = madeFor.find(window.handle);
        const auto sized = sizedFor.find(*made);
        const bool stillItsSize = known == madeFor.end() || known->second == size;
        if (stillItsSize && (sized == sizedFor.end() || sized->second == window.handle))
            return *made;
    }
    const NativeHandle made =
        funcs.Resize ? funcs.Resize(int32_t(window.width), window.height, kPlaybackWindowTitle, native) : 0;
    map[window.handle] = made;
    madeFor[window.handle] = size;
    sizedFor[made] = window.handle;
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

bool PlaybackSurfaceMadeFor(void* surface, uint32_t& width, uint32_t& height)
{
    return ActiveWindowBackEnd() == EWindowBackEnd::X11 && x11::WindowSurfaceSize(surface, width, height);
}

// The host layer's fixed costs.
//  1. Building the three host tables: three dlopen calls and 321 lookups (no eglInitialize).
//     Goal: under 20 ms.
//  2. A name-map lookup among 10, 100, 1,000 and 10,000 entries. Goal: under 200 ns among 100
//     (the tables index keys above 8 entries, so it should stay flat).
//  3. One PumpPlaybackWindows with nothing pending, per back end (X11 only when DISPLAY opens).
//     Goal: under 2 us; one runs before every replayed call.
#include "BenchSupport.h"
#include "host/HostTables.h"
#include "maps/NameMaps.h"
#include "windows/PlaybackWindows.h"

#include <cstdio>
#include <cstdlib>

namespace {
using namespace xqft::bench;

void TimeTables()
{
    const auto t0 = Clock::now();
    SEglHost* egl = SEglHost::Instance();
    SEs1Host* es1 = SEs1Host::Instance();
    SEs2Host* es2 = nullptr;
    try {
        es2 = SEs2Host::Instance();
    } catch (const CXqftError&) {
    }
    const auto t1 = Clock::now();
    std::printf("tables: %.2f ms for 3 libraries and %u entry points (goal < 20 ms)\n", Seconds(t0, t1) * 1e3,
                egl->ResolvedCount() + es1->ResolvedCount() + (es2 ? es2->ResolvedCount() : 0));
}

void TimeLookups()
{
    for (uint32_t entries : {10u, 100u, 1000u, 10000u}) {
        ResetNameMaps();
        for (uint32_t i = 1; i <= entries; ++i)
            TextureNameMap::Set(i * 7919u, i);
        const int rounds = 2'000'000;
        uint64_t sum = 0;
        const auto t0 = Clock::now();
        for (int r = 0; r < rounds; ++r)
            sum += TextureNameMap::Get((uint32_t(r) % entries + 1) * 7919u);
        const auto t1 = Clock::now();
        std::printf("name-map lookup among %5u entries: %6.1f ns (goal < 200 ns at 100) [%llu]\n", entries,
                    Seconds(t0, t1) * 1e9 / rounds, (unsigned long long)sum);
    }
}

void TimePump(const char* name, SNativeWindowFuncs funcs)
{
    // A display and a window, as a replayed frame has them.
    const NativeHandle native = GetNativeDisplayWindow(funcs, name[0]);
    CreatePlaybackWindow(funcs, SEglSurfaceWindow{uint64_t(name[0]) << 8, 64, 64}, native);
    const int rounds = 1'000'000;
    int quits = 0;
    const auto t0 = Clock::now();
    for (int r = 0; r < rounds; ++r)
        quits += !PumpPlaybackWindows(funcs);
    const auto t1 = Clock::now();
    std::printf("pump, %s: %6.1f ns (goal < 2000 ns)%s\n", name, Seconds(t0, t1) * 1e9 / rounds,
                quits ? " (quit requests met)" : "");
}
} // namespace

int main()
{
    TimeTables();
    TimeLookups();
    SNativeWindowFuncs headlessFuncs{&headless::CreatePlaybackWindow, &headless::MovePlaybackWindow,
                                     &headless::DestroyPlaybackWindow, &headless::PumpPlaybackMessages};
    TimePump("headless", headlessFuncs);
    const char* display = std::getenv("DISPLAY");
    if (display && *display && x11::Available()) {
        SNativeWindowFuncs x11Funcs{&x11::CreatePlaybackWindow, &x11::MovePlaybackWindow,
                                    &x11::DestroyPlaybackWindow, &x11::PumpPlaybackMessages};
        PlaybackWindowMap::Table().Reset();  // the headless window's token means nothing to X
        TimePump("x11", x11Funcs);
    } else {
        std::printf("pump, x11: skipped (no X server at DISPLAY)\n");
    }
    return 0;
}

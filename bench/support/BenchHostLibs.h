#pragma once
// The host libraries a replay benchmark needs, loaded before it times anything.
#include "BenchSupport.h"
#include "host/HostTables.h"

#include <cstdio>
#include <exception>

namespace xqft::bench {

// Loads the host EGL and ES 2.0 libraries (and ES 1.1 with withEs1); false, with the reason on
// standard output, when one is missing.
inline bool HostLibrariesLoaded(bool withEs1)
{
    if (SEglHost::Instance()->IsFailed() || (withEs1 && SEs1Host::Instance()->IsFailed())) {
        std::printf(withEs1 ? "no host EGL or ES 1.1 library\n" : "no host EGL library\n");
        return false;
    }
    try {
        CQuiet quiet;
        SEs2Host::Instance();
    } catch (const std::exception& e) {
        std::printf("no host ES 2.0 library: %s\n", e.what());
        return false;
    }
    return true;
}

} // namespace xqft::bench

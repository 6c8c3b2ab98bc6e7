#include "data/MemoryGuard.h"

#include <cstdio>
#include <cstring>

int64_t CommittedMemoryKiB()
{
    // The anonymous pages in memory and those swapped out: memory only the process holds. The
    // trace file's mapped pages are file-backed (the kernel drops them and reads them again), so
    // a trace larger than memory does not trip the guard by its captured bytes alone.
    FILE* f = std::fopen("/proc/self/status", "r");
    if (!f)
        return -1;
    char line[256];
    long long anonymous = -1, swapped = 0;
    while (std::fgets(line, sizeof line, f)) {
        if (std::strncmp(line, "RssAnon:", 8) == 0)
            std::sscanf(line + 8, "%lld", &anonymous);
        else if (std::strncmp(line, "VmSwap:", 7) == 0)
            std::sscanf(line + 7, "%lld", &swapped);
    }
    std::fclose(f);
    return anonymous < 0 ? -1 : static_cast<int64_t>(anonymous + swapped);
}

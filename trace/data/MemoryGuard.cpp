#include "data/MemoryGuard.h"

#include <cstdio>
#include <unistd.h>

int64_t CommittedMemoryKiB()
{
    FILE* f = std::fopen("/proc/self/statm", "r");
    if (!f)
        return -1;
    unsigned long long size = 0, resident = 0, shared = 0;
    const int fields = std::fscanf(f, "%llu %llu %llu", &size, &resident, &shared);
    std::fclose(f);
    const long page = sysconf(_SC_PAGESIZE);
    if (fields != 3 || page <= 0)
        return -1;
    const unsigned long long privatePages = resident > shared ? resident - shared : 0;
    return static_cast<int64_t>(privatePages * static_cast<unsigned long long>(page) / 1024);
}

#include "EglMaps.h"

#include <cstdio>
#include <utility>

CHandleTable<uint64_t>& DisplayHandleMap::Table()
{
    static CHandleTable<uint64_t> table;
    return table;
}

void DisplayHandleMap::Set(uint64_t recorded, uint64_t host, uint64_t native)
{
    Table()[recorded] = host;
    DisplayNativeHandleMap::Table()[host] = native;
}

uint64_t DisplayHandleMap::Get(uint64_t recorded)
{
    if (recorded == 0)
        return 0;
    const uint64_t* host = std::as_const(Table()).Get(recorded);
    return host ? *host : 0;
}

CHandleTable<uint64_t>& DisplayNativeHandleMap::Table()
{
    static CHandleTable<uint64_t> table;
    return table;
}

uint64_t DisplayNativeHandleMap::Get(uint64_t host)
{
    if (host == 0)
        return 0;
    const uint64_t* native = std::as_const(Table()).Get(host);
    return native ? *native : 0;
}

void ResetDisplayObjects(uint64_t hostDisplay)
{
    SurfaceHandleMap::Table()[hostDisplay].Reset();
    ContextHandleMap::Table()[hostDisplay].Reset();
    if (ContextHandleMap::Table().Count() == 1)
        ContextHandleMap::Table().Reset();
}

void DestroyDisplay(uint64_t recordedDisplay)
{
    const uint64_t host = DisplayHandleMap::Get(recordedDisplay);
    DisplayHandleMap::Table().Erase(recordedDisplay);
    DisplayNativeHandleMap::Table().Erase(host);
    SurfaceHandleMap::Table().Erase(host);
    ContextHandleMap::Table().Erase(host);
    ConfigHandleMap::Table().Erase(host);
    printf("Destroying Displays: %d, remain: %d", int(recordedDisplay), DisplayHandleMap::Table().Count());
    printf("\n");
}

void RememberWindowSize(uint32_t* width, uint32_t* height, uint64_t* handle)
{
    static uint32_t rememberedWidth = 0, rememberedHeight = 0;
    static uint64_t rememberedHandle = 0;
    auto keep = [](auto* value, auto asks, auto& remembered) {
        if (!value)
            return;
        if (*value == asks)
            *value = remembered;
        else
            remembered = *value;
    };
    keep(width, 0xFFFFFFFFu, rememberedWidth);
    keep(height, 0xFFFFFFFFu, rememberedHeight);
    keep(handle, uint64_t(0), rememberedHandle);
}

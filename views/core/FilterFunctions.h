#pragma once
// The functions the filter and highlight dialog offers, taken from the call tables' rows: the EGL
// 1.4 functions, then the OpenGL ES 1.1 and ES 2.0 functions with their categories, each in table
// (id) order and with its own API's id. The draw calls and the EGL extension functions are not
// offered: they can be neither filtered nor highlighted there.
#include <cstdint>
#include <vector>

enum class EFilterApi : uint8_t { Egl, Es1, Es2 };

struct SFilterFunction
{
    EFilterApi api;
    const char* category;   // "" for EGL
    const char* name;
    uint16_t id;
};

const std::vector<SFilterFunction>& FilterFunctions();

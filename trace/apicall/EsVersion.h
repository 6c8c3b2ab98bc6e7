#pragma once
// The OpenGL ES version an extension call was recorded on (its selector, file format) and a host
// context is made for. A call object's API kind (kApiEs1 ... in ApiCall.h) is another numbering.
#include <cstdint>

enum EEsVersion : uint8_t
{
    kEsVersion1 = 1,  // OpenGL ES 1.1
    kEsVersion2 = 2,  // OpenGL ES 2.0
};

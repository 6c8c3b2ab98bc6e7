#include "state/Es2State.h"

int Es2CapabilityIndex(uint32_t cap)
{
    for (int i = 0; i < 9; ++i)
        if (kEs2Capabilities[i] == cap)
            return i;
    return -1;
}

SEs2State::SEs2State()
{
    capabilities[Es2CapabilityIndex(gltoken::DITHER)] = 1;  // GL_DITHER starts enabled
}

#pragma once
// What the handlers of a player share: the call being replayed with its arguments and the host
// table it is played on, and how a handler ends it.
#include "PlayArgs.h"

#include <cstdint>

class CPlayback;

enum class EEnd : uint8_t
{
    Fail,    // result 0: refused before any host call, or failed
    Done,    // result 1 at once
    Common,  // the common end: the host error is checked when error checks are on
};

template <class Host>
struct TPlay
{
    CPlayback& playback;
    CApiCall& call;
    const CPlayArgs& a;
    Host& gl;
};

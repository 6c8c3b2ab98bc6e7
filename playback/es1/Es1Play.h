#pragma once
// What the files of the ES 1.1 player share: the call being replayed and how a handler ends it.
#include "PlayArgs.h"
#include "Playback.h"
#include "host/HostTables.h"

#include <cstdint>

namespace es1play {

enum class EEnd : uint8_t
{
    Fail,    // result 0: the call was refused before any host call, or failed
    Done,    // result 1 at once
    Common,  // the common end: the host error is checked when error checks are on
};

struct SPlay
{
    CPlayback& playback;
    CApiCall& call;
    const CPlayArgs& a;
    SEs1Host& gl;
};

using Handler = EEnd (*)(SPlay&);

// Refuses a call whose recorded data is shorter than what the host would read: an "ERROR: " line
// naming the call, what is short and both amounts (in `unit`s), result 0.
EEnd Refuse(SPlay& p, const char* what, uint64_t have, uint64_t need, const char* unit = "bytes");
// Refuses a call whose argument at `position` was recorded as a pointer value only (a trace without
// data), where the host would read data through it.
EEnd PointerOnly(SPlay& p, size_t position);
// A host entry point the host library lacks: nothing is called, a warning, result 1.
EEnd Missing(SPlay& p);

// The client-array calls and the draws (Es1ClientArrays.cpp).
EEnd ColorPointer(SPlay& p);
EEnd NormalPointer(SPlay& p);
EEnd TexCoordPointer(SPlay& p);
EEnd VertexPointer(SPlay& p);
EEnd PointSizePointer(SPlay& p);
EEnd DrawArrays(SPlay& p);
EEnd DrawElements(SPlay& p);

} // namespace es1play

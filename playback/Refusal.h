#pragma once
// How a player refuses a call the host must not see: recorded data shorter than what the host reads,
// an argument recorded without its data, a name the trace says is new that is live already. One
// ERROR line names the call's number in the trace, its function, the argument at fault and why;
// nothing of the call reaches the host, and the call fails (result 0):
//   ERROR: call 1234 glTexImage2D: pixels: holds 12 bytes of the 64 the host reads; the call is not played
// A call played outside a trace (the players' tests) has no number: the line starts at its function.
#include "PlayCase.h"
#include "Playback.h"

#include <cstdint>

// The call a refusal names, made from any player's play (its playback and its call).
struct SRefusedCall
{
    uint32_t number;  // in the trace, as `xqft-dump calls` numbers it; 0 when not known
    const char* function;

    template <class Play>
    SRefusedCall(const Play& p) : number(p.playback.m_callNumber), function(p.call.GetName())
    {
    }
};

// Refuses the call: `argument` is the row item's name (null when the reason concerns no one
// argument), and the reason is worded to follow it.
[[gnu::format(printf, 3, 4)]] EEnd Refuse(SRefusedCall call, const char* argument, const char* reason, ...);

// The common reason: the recorded `argument` holds `held` of the `needed` `unit`s the host reads.
EEnd RefuseShort(SRefusedCall call, const char* argument, uint64_t held, uint64_t needed,
                 const char* unit = "bytes");

// The other common one: `argument` was recorded as a pointer value only (a trace without data, or a
// cut capture) where the host reads through it.
EEnd RefuseWithoutData(SRefusedCall call, const char* argument);

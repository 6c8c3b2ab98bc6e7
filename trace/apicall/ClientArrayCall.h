#pragma once
// The mixin of every call that points a client array somewhere: the five ES 1.1 pointer calls
// and the matrix-palette extension's two. It comes first in their bases; the call itself is still
// reached and deleted through its CApiCall part.
#include <cstdint>

struct SEs1State;

class XXXYYYPointer
{
public:
    virtual ~XXXYYYPointer() = default;
    // Applies the call to a scratch ES 1.1 state (initial values, frame 0) and throws it away;
    // the result is the effect's (false for a call recorded with an error, which applies nothing).
    bool ApplyToTempState();

protected:
    // The call's own effect on an ES 1.1 state record, behind the recorded-error gate.
    virtual bool ApplyToEs1State(SEs1State& state, uint32_t frame) = 0;
};

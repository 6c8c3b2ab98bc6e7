#pragma once
// The recorded arrays the players hand the host (uniform vectors, parameter lists, names,
// attachments), checked against what the host reads before it reads them.
#include "Refusal.h"

#include <cstdint>

// The first `needed` values of the recorded array argument `name` as one aligned block for the host
// (CPlayArgs::Values); null when none are needed (a count of 0 or below). Null with `refused` set,
// after the refusal, when the array holds fewer: a pointer recorded without its values holds none.
template <class Play, class Array>
const uint32_t* HeldValues(const Play& p, const char* name, Array* array, int64_t needed, bool& refused)
{
    const uint64_t held = array ? array->ElementCount() : 0;
    if (needed <= 0)
        return nullptr;
    if (held < uint64_t(needed)) {
        refused = true;
        RefuseShort(p, name, held, uint64_t(needed), "values");
        return nullptr;
    }
    return p.a.Values(*array);
}

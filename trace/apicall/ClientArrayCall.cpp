#include "ClientArrayCall.h"

#include <cstdint>

#include "state/Es1State.h"

bool XXXYYYPointer::ApplyToTempState()
{
    SEs1State scratch;
    return ApplyToEs1State(scratch, 0);
}

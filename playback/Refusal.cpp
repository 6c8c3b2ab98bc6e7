#include "Refusal.h"

#include "Diagnostics.h"

#include <cstdarg>
#include <cstdio>
#include <string>

EEnd Refuse(SRefusedCall call, const char* argument, const char* reason, ...)
{
    char why[512];
    va_list args;
    va_start(args, reason);
    vsnprintf(why, sizeof why, reason, args);
    va_end(args);
    std::string who = call.number ? "call " + std::to_string(call.number) + " " : std::string();
    who += call.function ? call.function : "?";
    if (argument)
        PlaybackError("%s: %s: %s; the call is not played\n", who.c_str(), argument, why);
    else
        PlaybackError("%s: %s; the call is not played\n", who.c_str(), why);
    return EEnd::Fail;
}

EEnd RefuseShort(SRefusedCall call, const char* argument, uint64_t held, uint64_t needed, const char* unit)
{
    return Refuse(call, argument, "holds %llu %s of the %llu the host reads", static_cast<unsigned long long>(held),
                  unit, static_cast<unsigned long long>(needed));
}

EEnd RefuseWithoutData(SRefusedCall call, const char* argument)
{
    return Refuse(call, argument, "was recorded without its data");
}

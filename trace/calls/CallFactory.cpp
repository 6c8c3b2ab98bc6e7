#include "CallFactory.h"
#include "ApiCall.h"

CApiCall* CreateCallById(uint16_t id, CTrace* trace)
{
    CApiCall* call = nullptr;
    if (id >= 1001 && id <= 1200)
        call = CreateEglCall(trace, id);
    else if (id >= 3001 && id <= 3145)
        call = CreateEs1Call(trace, id);
    else if (id >= 2001 && id <= 2142)
        call = CreateEs2Call(trace, id);
    else if (id >= 4001 && id <= 4090)
        call = CreateExtCall(trace, id);
    if (call)
        call->SetCallId(id);
    return call;
}

#include "CallFactory.h"
#include "ApiCall.h"

ECallFamily CallFamilyOfId(uint16_t id)
{
    if (id >= 1001 && id <= 1200)
        return ECallFamily::Egl;
    if (id >= 3001 && id <= 3145)
        return ECallFamily::Es1;
    if (id >= 2001 && id <= 2142)
        return ECallFamily::Es2;
    if (id >= 4001 && id <= 4090)
        return ECallFamily::Ext;
    return ECallFamily::None;
}

CApiCall* CreateCallById(uint16_t id, CTrace* trace)
{
    CApiCall* call = nullptr;
    switch (CallFamilyOfId(id)) {
    case ECallFamily::Egl: call = CreateEglCall(trace, id); break;
    case ECallFamily::Es1: call = CreateEs1Call(trace, id); break;
    case ECallFamily::Es2: call = CreateEs2Call(trace, id); break;
    case ECallFamily::Ext: call = CreateExtCall(trace, id); break;
    case ECallFamily::None: break;
    }
    if (call)
        call->SetCallId(id);
    return call;
}

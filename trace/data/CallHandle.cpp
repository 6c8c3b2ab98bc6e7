#include "data/CallHandle.h"

#include "apicall/ApiCall.h"
#include "apicall/CallInfo.h"

void CCallHandle::Free()
{
    if (m_bits & kDescribed) {
        SDescribed* pair = Pair();
        delete pair->info;
        delete pair->call;
        delete pair;
    } else {
        delete reinterpret_cast<CApiCall*>(m_bits);
    }
    m_bits = 0;
}

void CCallHandle::reset(CApiCall* call)
{
    Free();
    m_bits = reinterpret_cast<uintptr_t>(call);
}

void CCallHandle::SetInfo(std::unique_ptr<CGenCallInfo> info)
{
    if (m_bits & kDescribed) {
        delete Pair()->info;
        Pair()->info = info.release();
        return;
    }
    auto* pair = new SDescribed{reinterpret_cast<CApiCall*>(m_bits), info.get()};
    info.release();
    m_bits = reinterpret_cast<uintptr_t>(pair) | kDescribed;
}

#include "CallFamilies.h"
#include "CallInfo.h"
#include "record/Trace.h"

CEs2Call::CEs2Call(CTrace* trace) : CApiCall(trace)
{
    m_apiKind = kApiEs2;
    *trace >> m_error;
}

void CEs2Call::ListArguments(CCallInfo* info, uint8_t verbose)
{
    CApiCall::ListArguments(info, verbose);
    info->SetApi("ES2");
    info->SetError(&m_error);
}

CEs1Call::CEs1Call(CTrace* trace) : CApiCall(trace)
{
    m_apiKind = kApiEs1;
    *trace >> m_error;
}

void CEs1Call::ListArguments(CCallInfo* info, uint8_t verbose)
{
    CApiCall::ListArguments(info, verbose);
    info->SetApi("ES1");
    info->SetError(&m_error);
}

CEglCall::CEglCall(CTrace* trace) : CApiCall(trace)
{
    m_apiKind = kApiEgl;
    *trace >> m_eglError;
}

void CEglCall::ListArguments(CCallInfo* info, uint8_t verbose)
{
    CApiCall::ListArguments(info, verbose);
    info->SetApi("EGL");
    info->SetError(&m_eglError);
}

CExtCall::CExtCall(CTrace* trace) : CApiCall(trace)
{
    *trace >> m_extError >> m_selector;
    m_apiKind = (m_selector.value == 1 || m_selector.value == 2) ? kApiExt : kApiNone;
}

void CExtCall::ListArguments(CCallInfo* info, uint8_t verbose)
{
    CApiCall::ListArguments(info, verbose);
    info->SetApi(m_selector.value == 1 ? "ES1" : m_selector.value == 2 ? "ES2" : "EGL");
    info->SetError(&m_extError);
}

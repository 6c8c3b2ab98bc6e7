#include "CallFamilies.h"
#include "CallInfo.h"
#include "record/Trace.h"

CGlesCall::CGlesCall(CTrace* trace, uint8_t apiKind) : CApiCall(trace)
{
    m_apiKind = apiKind;
    m_error.value = trace->ReadValue<TGLError>();
}

void CGlesCall::ListArguments(CCallInfo* info, uint8_t verbose)
{
    CApiCall::ListArguments(info, verbose);
    info->SetApi(m_apiKind == kApiEs1 ? "ES1" : "ES2");
    info->SetError(&m_error);
}

CEglCall::CEglCall(CTrace* trace) : CApiCall(trace)
{
    m_apiKind = kApiEgl;
    m_eglError.value = trace->ReadValue<TEGLintEnum>();
}

bool CEglCall::RecordedSuccess() const
{
    constexpr int32_t kEglSuccess = 0x3000;
    return m_eglError.value == kEglSuccess;
}

void CEglCall::ListArguments(CCallInfo* info, uint8_t verbose)
{
    CApiCall::ListArguments(info, verbose);
    info->SetApi("EGL");
    info->SetError(info->MakeHolder<TEGLintEnum>(m_eglError.value));
}

CExtCall::CExtCall(CTrace* trace) : CApiCall(trace)
{
    m_error.value = trace->ReadValue<TGLError>();
    m_selector = trace->ReadValue<TGLubyte>();
    m_apiKind = (m_selector == kEsVersion1 || m_selector == kEsVersion2) ? kApiExt : kApiNone;
}

void CExtCall::ListArguments(CCallInfo* info, uint8_t verbose)
{
    CApiCall::ListArguments(info, verbose);
    info->SetApi(m_selector == kEsVersion1 ? "ES1" : m_selector == kEsVersion2 ? "ES2" : "EGL");
    info->SetError(&m_error);
}

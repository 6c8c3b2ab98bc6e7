#include "ApiCall.h"
#include "CallInfo.h"
#include "record/Trace.h"

CApiCall::CApiCall(CTrace* trace) : m_dataIncluded(trace && trace->IsDataIncluded() ? 1 : 0) {}

void CApiCall::ListArguments(CCallInfo* info, uint8_t verbose) { info->SetCall(this); }

void CApiCall::NotImplemented() { throw "NO IMPLEMENTED"; }

CXQFTString CApiCall::GetNameString() const { return StringFromFormat("%s", GetName()); }

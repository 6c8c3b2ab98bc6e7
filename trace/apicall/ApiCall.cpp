#include "ApiCall.h"
#include "CallInfo.h"
#include "record/Trace.h"
#include "record/XqftError.h"

CApiCall::CApiCall(CTrace* trace) : m_dataIncluded(trace && trace->IsDataIncluded()) {}

void CApiCall::ListArguments(CCallInfo* info, uint8_t verbose) { info->SetCall(this); }

void CApiCall::NotImplemented() { throw CXqftError("NO IMPLEMENTED"); }

CXQFTString CApiCall::GetNameString() const { return StringFromFormat("%s", GetName()); }

#include "ApiCall.h"
#include "CallInfo.h"

void CApiCall::ListArguments(CCallInfo* info, uint8_t verbose) { info->SetCall(this); }

void CApiCall::NotImplemented() { throw "NO IMPLEMENTED"; }

CXQFTString CApiCall::GetNameString() const { return StringFromFormat("%s", GetName()); }

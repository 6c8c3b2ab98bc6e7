#include "ApiCall.h"
#include "CallArena.h"
#include "CallInfo.h"
#include "record/Trace.h"
#include "record/XqftError.h"

CApiCall::CApiCall(CTrace* trace) : m_dataIncluded(trace && trace->IsDataIncluded()) {}

void CApiCall::ListArguments(CCallInfo* info, uint8_t verbose) { info->SetCall(this); }

void CApiCall::NotImplemented() { throw CXqftError("NO IMPLEMENTED"); }

CXQFTString CApiCall::GetNameString() const { return StringFromFormat("%s", GetName()); }

void* CApiCall::operator new(size_t bytes)
{
    if (CCallArena* arena = CCallArena::Current())
        if (void* p = arena->Allocate(bytes))
            return p;
    return ::operator new(bytes);
}

void CApiCall::operator delete(void* p)
{
    // Arena room goes back with the arena.
    if (p && !CCallArena::Owns(p))
        ::operator delete(p);
}

#pragma once
// glShaderSource keeps, beside its recorded strings, the joined source text that the state tracking
// builds on first use and points shader records at; the call owns it for the life of the trace.
#include "apicall/CallFamilies.h"
#include "record/Record.h"

namespace xqft_es2 {
using namespace xqft;

class CEs2_glShaderSource_v1 final
    : public TRecord<CEs2Call, 2099, "glShaderSource", "Shader", Obj<"shader", Role::Shader>, Arg<"count", 18>,
                     DataOrPointer<"string", SArrayPtr<SString, 1, 1>>,
                     DataOrPointer<"length", SArrayPtr<TintType<17>, 1, 1>>>
{
public:
    using TRecord::TRecord;
    bool UpdateState(void* state, uint32_t frame) override; // Es2Effects.cpp

    // Empty until the state tracking joins the recorded strings into it.
    CXQFTString& JoinedSource() { return m_joinedSource; }

private:
    CXQFTString m_joinedSource;
};

} // namespace xqft_es2

#pragma once
// glShaderSource keeps, beside its recorded strings, the joined source text that the state tracking
// builds on first use and points shader records at; the call owns it for the life of the trace.
// Included by Es2Records.h after the table's expansion, which gives the row's record.

namespace xqft_es2 {

class CEs2_glShaderSource_v1 final : public RowBase<CEs2_glShaderSource_v1>
{
public:
    using TRecord::TRecord;

    // Empty until the state tracking joins the recorded strings into it.
    CXQFTString& JoinedSource() { return m_joinedSource; }

protected:
    bool UpdateState(void* state, uint32_t frame) override; // Es2Effects.cpp

private:
    CXQFTString m_joinedSource;
};

} // namespace xqft_es2

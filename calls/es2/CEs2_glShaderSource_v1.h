#pragma once
// glShaderSource keeps, beside its recorded strings, the source they make joined, built on first
// use: the state tracking points shader records at it, the shader viewer and the shader export
// show and write it. The call owns it for the life of the trace.
// Included by Es2Records.h after the table's expansion, which gives the row's record.

namespace xqft::es2 {

class CEs2_glShaderSource_v1 final : public RowBase<CEs2_glShaderSource_v1>
{
public:
    using TRecord::TRecord;

    // The source exactly as the call gave it: its first `count` strings joined byte for byte, each
    // cut to its recorded length where one was given (a negative length, or none recorded: up to
    // its NUL). Empty for a call recorded without data.
    const CXQFTString& Source();

protected:
    bool UpdateState(void* state, uint32_t frame) override; // Es2Effects.cpp

private:
    CXQFTString m_joinedSource;
    bool m_joined = false;
};

} // namespace xqft::es2

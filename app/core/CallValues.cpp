#include "CallValues.h"

#include <cstring>

#include "Es2Records.h"
#include "apicall/ApiCall.h"
#include "values/ApiTypes.h"

bool ScalarValue(const SApiTypeBase* value, uint32_t* out)
{
    if (!value)
        return false;
    // Every 32-bit scalar holder derives from one of these shapes per type code; the codes the
    // statistics read are GLenum (12), GLint (17), GLsizei (18) and GLuint (21).
#define XQFT_TRY(code, type)                                                        \
    if (auto* v = dynamic_cast<const TApiType<code, type>*>(value)) {              \
        *out = uint32_t(v->value);                                                  \
        return true;                                                                \
    }
    XQFT_TRY(12, uint32_t)
    XQFT_TRY(18, int32_t)
    XQFT_TRY(21, uint32_t)
    XQFT_TRY(17, int32_t)
#undef XQFT_TRY
    return false;
}

CCallValues::CCallValues(CApiCall* call, uint8_t verbose)
{
    call->ListArguments(this, verbose);
}

void CCallValues::AddArgument(const char* name, SApiTypeBase* value, uint8_t hidden)
{
    if (m_count < kMax) {
        m_names[m_count] = name;
        m_values[m_count] = value;
        ++m_count;
    }
}

const SApiTypeBase* CCallValues::Argument(const char* name) const
{
    for (int i = 0; i < m_count; ++i)
        if (m_names[i] && std::strcmp(m_names[i], name) == 0)
            return m_values[i];
    return nullptr;
}

const CXQFTString* ShaderSourceText(CApiCall* call)
{
    auto* source = dynamic_cast<xqft::es2::CEs2_glShaderSource_v1*>(call);
    return source ? &source->Source() : nullptr;
}

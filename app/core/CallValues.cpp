#include "CallValues.h"

#include "values/ApiTypes.h"
#include "calls/CallInfo.h"
#include "calls/ApiCall.h"

bool ScalarValue(const SApiTypeBase* value, uint32_t* out)
{
    if (!value)
        return false;
    // Every 32-bit scalar holder derives from one of these two shapes per type code; the codes
    // the statistics read are GLenum (12), GLint (17), GLsizei (18) and GLuint (21).
#define XQFT_TRY(code, type)                                                        \
    if (auto* v = dynamic_cast<const TApiType<code, type>*>(value)) {              \
        *out = uint32_t(v->value);                                                  \
        return true;                                                                \
    }
    XQFT_TRY(12, uint32_t)
    XQFT_TRY(18, int32_t)
    XQFT_TRY(21, uint32_t)
    XQFT_TRY(17, int32_t)
    XQFT_TRY(18, uint32_t)
    XQFT_TRY(17, uint32_t)
    XQFT_TRY(21, int32_t)
#undef XQFT_TRY
    return false;
}

CCallValues::CCallValues(CApiCall* call) : m_info(new CGenCallInfo)
{
    call->ListArguments(m_info, 0);
}

CCallValues::~CCallValues()
{
    delete m_info;
}

const SApiTypeBase* CCallValues::Argument(const char* name) const
{
    const auto* values = m_info->GetArguments();
    if (!values)
        return nullptr;
    const auto& names = m_info->GetArgumentNames();
    for (size_t i = 0; i < values->size() && i < names.size(); ++i)
        if (names[i] == name)
            return (*values)[i];
    return nullptr;
}

bool CCallValues::ReturnValue(uint32_t* out) const
{
    return ScalarValue(m_info->GetReturnValue(), out);
}

#include "CallInfo.h"
#include "ApiCall.h"

void CGenCallInfo::Clear()
{
    m_arguments.reset();
    m_names.clear();
}

void CGenCallInfo::SetCall(CApiCall* call) { m_name = call->GetName(); }

void CGenCallInfo::AddArgument(const char* name, SApiTypeBase* value, uint8_t hidden)
{
    if (!m_arguments)
        m_arguments = std::make_unique<std::vector<SApiTypeBase*>>();
    m_arguments->push_back(value);
    m_names.emplace_back(name);
    if (hidden == 0)
        ++m_visibleCount;
}

void CGenCallInfo::GetStrings(std::vector<CXQFTString>& out) const
{
    if (m_api)
        out.emplace_back(m_api);
    if (m_name)
        out.emplace_back(m_name);
    CXQFTString raw;
    if (m_arguments) {
        const size_t n = m_visibleCount < m_arguments->size() ? m_visibleCount : m_arguments->size();
        for (size_t i = 0; i < n; ++i) {
            out.emplace_back();
            (*m_arguments)[i]->ToString(out.back(), &raw);
        }
    }
    if (m_returnValue) {
        out.emplace_back();
        m_returnValue->ToString(out.back(), &raw);
    }
}

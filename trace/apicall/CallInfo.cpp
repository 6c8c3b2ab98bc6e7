#include "CallInfo.h"
#include "ApiCall.h"

namespace {
constexpr size_t kTypicalArguments = 12;
}

void CCallInfo::SetError(const SGLErrorCode* error) { SetError(MakeHolder<TGLError>(error->value)); }

void CCallInfo::Keep(std::unique_ptr<SKeptHolders> holders)
{
    holders->next = std::move(m_kept);
    m_kept = std::move(holders);
}

void CGenCallInfo::Clear()
{
    m_arguments.reset();
    m_names.clear();
}

void CGenCallInfo::SetCall(CApiCall* call) { m_name = call->GetName(); }

void CGenCallInfo::AddArgument(const char* name, SApiTypeBase* value, uint8_t hidden)
{
    if (!m_arguments) {
        // Calls have at most a dozen or so arguments: one allocation each, no regrowth copies.
        m_arguments = std::make_unique<std::vector<SApiTypeBase*>>();
        m_arguments->reserve(kTypicalArguments);
        m_names.reserve(kTypicalArguments);
    }
    m_arguments->push_back(value);
    m_names.emplace_back(name);
    if (hidden == 0)
        ++m_visibleCount;
}

void CGenCallInfo::GetStrings(std::vector<CXQFTString>& out) const
{
    CXQFTString text;
    VisitStrings(text, [&out](const CXQFTString& t) {
        out.push_back(t);
        return false;
    });
}

bool CGenCallInfo::VisitStrings(CXQFTString& scratch, const std::function<bool(const CXQFTString&)>& visit) const
{
    if (m_api && visit(scratch.Assign(m_api)))
        return true;
    if (m_name && visit(scratch.Assign(m_name)))
        return true;
    if (m_arguments) {
        const size_t n = m_visibleCount < m_arguments->size() ? m_visibleCount : m_arguments->size();
        for (size_t i = 0; i < n; ++i) {
            scratch.Assign("", 0);   // emptied, its buffer kept: a holder may append to its text
            (*m_arguments)[i]->ToString(scratch, nullptr);
            if (visit(scratch))
                return true;
        }
    }
    if (m_returnValue) {
        scratch.Assign("", 0);
        m_returnValue->ToString(scratch, nullptr);
        if (visit(scratch))
            return true;
    }
    return false;
}

#include "CallFixture.h"

#include "TraceController.h"
#include "apicall/CallInfo.h"

void STextValue::ToString(CXQFTString& out, CXQFTString* raw) const
{
    out.Assign(text.c_str(), text.size());
    if (raw)
        raw->Assign(out);
}

CFakeCall::CFakeCall(uint16_t id, const char* name) : CApiCall(nullptr), m_name(name)
{
    m_callId = id;
    m_apiKind = CallFamilyOfId(id) == ECallFamily::Egl ? kApiEgl : kApiEs2;
}

CFakeCall& CFakeCall::Arg(const char* argName, std::string text)
{
    m_argNames.emplace_back(argName);
    m_args.push_back(std::make_unique<STextValue>(std::move(text)));
    return *this;
}

CFakeCall& CFakeCall::ArgU32(const char* argName, uint32_t value)
{
    auto holder = std::make_unique<TuintType<21>>();
    holder->value = value;
    m_argNames.emplace_back(argName);
    m_args.push_back(std::move(holder));
    return *this;
}

CFakeCall& CFakeCall::Return(std::string text)
{
    m_return = std::make_unique<STextValue>(std::move(text));
    return *this;
}

CFakeCall& CFakeCall::Error(uint32_t glError)
{
    m_error.value = glError;
    return *this;
}

void CFakeCall::ListArguments(CCallInfo* info, uint8_t verbose)
{
    info->SetCall(this);
    info->SetApi(m_apiKind == kApiEgl ? "EGL" : "ES2");
    if (m_apiKind != kApiEgl)
        info->SetError(&m_error);
    for (size_t i = 0; i < m_args.size(); ++i)
        info->AddArgument(m_argNames[i].c_str(), m_args[i].get(), 0);
    if (m_return)
        info->SetReturnValue(m_return.get());
}

CTraceBuilder::CTraceBuilder() : m_trace(std::make_unique<CTraceData>()) {}

CFakeCall& CTraceBuilder::Add(uint16_t id, const char* name)
{
    if (!name)
        name = CallFunctionName(id) ? CallFunctionName(id) : "glClear";
    auto* call = new CFakeCall(id, name);
    m_trace->AddCall(call, 0, 1);
    return *call;
}

CTraceBuilder& CTraceBuilder::Calls(int n, uint16_t id)
{
    for (int i = 0; i < n; ++i)
        Add(id).Arg("mask", std::to_string(i));
    return *this;
}

void OpenInController(CTraceData* trace)
{
    CTraceController* controller = CTraceController::Instance();
    controller->SetLoader(std::make_unique<CFixtureLoader>(trace));
    controller->SLTOpenTrace(QStringLiteral("fixture.xqft"));
}

void ResetCallFilters()
{
    CTraceController* controller = CTraceController::Instance();
    controller->SetFilterSets({}, {});
    controller->ClearDisabledCalls();
}

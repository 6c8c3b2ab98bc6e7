#pragma once
// The visitor a call describes itself to (CApiCall::ListArguments), and the one generic
// description everything else reads: call rows, tooltips, search, export and the players.
// The value holders stay members of the call: a description never owns them and must not
// outlive its call.
#include "values/ApiTypes.h"
#include "XQFTString.h"

#include <cstdint>
#include <memory>
#include <vector>

class CApiCall;

class CCallInfo
{
public:
    virtual ~CCallInfo() = default;
    virtual void Clear() = 0;
    virtual void SetCall(CApiCall* call) = 0;
    virtual void SetApi(const char* tag) = 0;
    virtual void SetError(SApiTypeBase* error) = 0;
    virtual void AddArgument(const char* name, SApiTypeBase* value, uint8_t hidden) = 0;
    virtual void SetReturnValue(SApiTypeBase* value) = 0;
};

class CGenCallInfo : public CCallInfo
{
public:
    CGenCallInfo() = default;
    ~CGenCallInfo() override = default;
    CGenCallInfo(const CGenCallInfo&) = delete;
    CGenCallInfo& operator=(const CGenCallInfo&) = delete;

    // Drops the arguments and their names; name, tag, error, return value and the visible
    // count stay.
    void Clear() override;
    void SetCall(CApiCall* call) override;
    void SetApi(const char* tag) override { m_api = tag; }
    void SetError(SApiTypeBase* error) override { m_error = error; }
    // hidden 1 marks the extras a call adds in verbose mode.
    void AddArgument(const char* name, SApiTypeBase* value, uint8_t hidden) override;
    void SetReturnValue(SApiTypeBase* value) override { m_returnValue = value; }

    const char* GetFunctionName() const { return m_name; }
    const char* GetApi() const { return m_api; }
    SApiTypeBase* GetError() const { return m_error; }
    SApiTypeBase* GetReturnValue() const { return m_returnValue; }
    // Argument holders in listing order, hidden ones included; null when none was added.
    const std::vector<SApiTypeBase*>* GetArguments() const { return m_arguments.get(); }
    const std::vector<CXQFTString>& GetArgumentNames() const { return m_names; }
    uint32_t GetVisibleArgumentCount() const { return m_visibleCount; }

    // Appends the API tag, the function name, the text of each visible argument and the return
    // value's text (each when present): what the call search matches against.
    void GetStrings(std::vector<CXQFTString>& out) const;

private:
    const char* m_name = nullptr;
    const char* m_api = nullptr;
    std::unique_ptr<std::vector<SApiTypeBase*>> m_arguments;
    std::vector<CXQFTString> m_names;
    SApiTypeBase* m_returnValue = nullptr;
    SApiTypeBase* m_error = nullptr;
    uint32_t m_visibleCount = 0;
};

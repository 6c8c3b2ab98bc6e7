#pragma once
// The visitor a call describes itself to (CApiCall::ListArguments), and the one generic
// description everything else reads: call rows, tooltips, search, export and the players.
// Calls keep their scalars bare: the holders of those are made for each description, which owns
// them (Make). Composite holders (data, strings, arrays) stay members of the call, so a
// description must not outlive its call.
#include "values/ApiTypes.h"
#include "XQFTString.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

class CApiCall;
struct SGLErrorCode;

// Holders made for one description, chained so the description frees them with itself.
struct SKeptHolders
{
    virtual ~SKeptHolders() = default;
    std::unique_ptr<SKeptHolders> next;
};

template <class T>
struct TKeptHolders final : SKeptHolders
{
    T holders{};
};

class CCallInfo
{
public:
    CCallInfo() = default;
    virtual ~CCallInfo() = default;
    CCallInfo(const CCallInfo&) = delete;
    CCallInfo& operator=(const CCallInfo&) = delete;

    virtual void Clear() = 0;
    virtual void SetCall(CApiCall* call) = 0;
    virtual void SetApi(const char* tag) = 0;
    virtual void SetError(SApiTypeBase* error) = 0;
    virtual void AddArgument(const char* name, SApiTypeBase* value, uint8_t hidden) = 0;
    virtual void SetReturnValue(SApiTypeBase* value) = 0;

    // A recorded GL error: its holder is made for this description.
    void SetError(const SGLErrorCode* error);

    // Takes holders made for this description and keeps them until the description goes (a
    // visitor that passes the listing on hands them to the one it passes to).
    virtual void Keep(std::unique_ptr<SKeptHolders> holders);

    // Default-made T (a holder or a tuple of holders) owned by this description.
    template <class T>
    T& Make()
    {
        auto kept = std::make_unique<TKeptHolders<T>>();
        T& made = kept->holders;
        Keep(std::move(kept));
        return made;
    }
    // A scalar holder of value owned by this description.
    template <class Holder>
    Holder* MakeHolder(typename Holder::ValueType value)
    {
        Holder& h = Make<Holder>();
        h.value = value;
        return &h;
    }

private:
    std::unique_ptr<SKeptHolders> m_kept;
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
    using CCallInfo::SetError;
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
    // The same texts, in the same order, each formatted into scratch (whose buffer is reused, so a
    // walk over many calls allocates nothing for them) and handed to visit; stops at, and returns
    // true for, the first text visit returns true for.
    bool VisitStrings(CXQFTString& scratch, const std::function<bool(const CXQFTString&)>& visit) const;

private:
    const char* m_name = nullptr;
    const char* m_api = nullptr;
    std::unique_ptr<std::vector<SApiTypeBase*>> m_arguments;
    std::vector<CXQFTString> m_names;
    SApiTypeBase* m_returnValue = nullptr;
    SApiTypeBase* m_error = nullptr;
    uint32_t m_visibleCount = 0;
};

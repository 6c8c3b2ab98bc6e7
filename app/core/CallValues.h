#pragma once
// Reading argument values of a call through its description, so the statistics and exports
// need not know the record classes.
#include <cstdint>

class CApiCall;
class CGenCallInfo;
struct SApiTypeBase;

// The 32-bit value of a scalar holder; false for holders that are not scalars.
bool ScalarValue(const SApiTypeBase* value, uint32_t* out);

// A call described once (non-verbose) for lookups by argument name.
class CCallValues
{
public:
    explicit CCallValues(CApiCall* call);
    ~CCallValues();
    CCallValues(const CCallValues&) = delete;
    CCallValues& operator=(const CCallValues&) = delete;

    const SApiTypeBase* Argument(const char* name) const;
    bool Value(const char* name, uint32_t* out) const { return ScalarValue(Argument(name), out); }
    bool ReturnValue(uint32_t* out) const;

private:
    CGenCallInfo* m_info;
};

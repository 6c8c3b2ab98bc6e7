#pragma once
// Reading argument values of a call through its description, so the statistics and exports need
// not know the record classes. The description is captured by a small visitor that keeps only
// pointers (no allocation): the statistics pass reads every draw call this way.
#include <cstdint>

#include "apicall/CallInfo.h"

class CApiCall;
class CXQFTString;
struct SApiTypeBase;

// The source text a glShaderSource call gave, its strings joined as recorded (see the call's
// record); null for any other call.
const CXQFTString* ShaderSourceText(CApiCall* call);

// The 32-bit value of a scalar holder; false for holders that are not scalars.
bool ScalarValue(const SApiTypeBase* value, uint32_t* out);

class CCallValues : public CCallInfo
{
public:
    // verbose 1 also lists the extras a record shows only in the verbose listing.
    explicit CCallValues(CApiCall* call, uint8_t verbose = 0);

    const SApiTypeBase* Argument(const char* name) const;
    bool Value(const char* name, uint32_t* out) const { return ScalarValue(Argument(name), out); }
    bool ReturnValue(uint32_t* out) const { return ScalarValue(m_return, out); }

    void Clear() override { m_count = 0; }
    void SetCall(CApiCall*) override {}
    void SetApi(const char*) override {}
    void SetError(SApiTypeBase*) override {}
    void AddArgument(const char* name, SApiTypeBase* value, uint8_t hidden) override;
    void SetReturnValue(SApiTypeBase* value) override { m_return = value; }

private:
    static constexpr int kMax = 16;
    const char* m_names[kMax];
    const SApiTypeBase* m_values[kMax];
    int m_count = 0;
    const SApiTypeBase* m_return = nullptr;
};

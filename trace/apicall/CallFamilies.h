#pragma once
// The four family bases. Each constructor reads the fields every payload of its family starts
// with; ListArguments reports the family's API tag and its error holder.
#include "ApiCall.h"

struct SEs1State;
struct SEs2State;

// ES 1.1 and ES 2.0 payloads alike start with the GL error; the API tag follows the API kind.
class CGlesCall : public CApiCall
{
public:
    void ListArguments(CCallInfo* info, uint8_t verbose) override;

protected:
    CGlesCall(CTrace* trace, uint8_t apiKind);      // reads the GL error (type 12)
};

class CEs2Call : public CGlesCall
{
public:
    explicit CEs2Call(CTrace* trace) : CGlesCall(trace, kApiEs2) {}
};

class CEs1Call : public CGlesCall
{
public:
    explicit CEs1Call(CTrace* trace) : CGlesCall(trace, kApiEs1) {}
};

class CEglCall : public CApiCall
{
public:
    explicit CEglCall(CTrace* trace);               // reads the EGL error (type 1)
    void ListArguments(CCallInfo* info, uint8_t verbose) override;
    // EGL_SUCCESS (0x3000); an error of 0, read from a record that carries none, is not a success.
    bool RecordedSuccess() const override;

protected:
    SBare<int32_t> m_eglError;
};

// Extension calls name the API they were made on (1 ES 1.1, 2 ES 2.0). Both selectors give API
// kind 5; the state kind is that API's, so the trace container applies an extension call to the
// state of the context it was made on. Any other selector gives kind 0, and such a call is applied
// to no state.
class CExtCall : public CApiCall
{
public:
    // Reads the GL error (12) into the recorded error the effect gate reads (GetError), then the
    // selector (19).
    explicit CExtCall(CTrace* trace);
    void ListArguments(CCallInfo* info, uint8_t verbose) override;
    uint8_t GetStateKind() const override
    {
        return m_selector == kEsVersion1 ? kApiEs1 : m_selector == kEsVersion2 ? kApiEs2 : kApiNone;
    }
    // The call's effect on an ES 1.1 state record, without the recorded-error gate: ApplyEffect
    // reaches it for a call made on ES 1.1, the palette pointer calls also through
    // XXXYYYPointer::ApplyToTempState.
    virtual bool UpdateEs1State(SEs1State* state, uint32_t frame) { return false; }
    uint32_t GetSelector() const { return m_selector; }

protected:
    // The effect on the state of the call's API (GetStateKind says which state the caller gives).
    bool UpdateState(void* state, uint32_t frame) override
    {
        if (m_selector == kEsVersion1)
            return UpdateEs1State(static_cast<SEs1State*>(state), frame);
        return m_selector == kEsVersion2 && UpdateEs2State(static_cast<SEs2State*>(state), frame);
    }
    // The call's effect on an ES 2.0 state record, without the recorded-error gate.
    virtual bool UpdateEs2State(SEs2State* state, uint32_t frame) { return false; }

    uint32_t m_selector = 0;
};

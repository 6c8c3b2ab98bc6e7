#pragma once
// The interface of every recorded call: one class per recorded function and record layout,
// grouped under four family bases (CallFamilies.h). A call reads its payload in its constructor
// through the record context, keeps each value in a holder, describes itself to a CCallInfo and
// applies its effect to the state record of its API.
#include "values/ApiTypes.h"
#include "XQFTString.h"

#include <cstdint>

class CTrace;
class CCallInfo;

// API kinds of a call object: 0 none, 1 EGL, 2 OpenGL ES 1.1, 4 OpenGL ES 2.0, 5 extension.
enum : uint8_t { kApiNone = 0, kApiEgl = 1, kApiEs1 = 2, kApiEs2 = 4, kApiExt = 5 };

class CApiCall
{
public:
    explicit CApiCall(CTrace* trace) : m_trace(trace) {}
    virtual ~CApiCall() = default;
    CApiCall(const CApiCall&) = delete;
    CApiCall& operator=(const CApiCall&) = delete;

    // Describes the call: SetCall here; the family adds API tag and error, the class its return
    // value and arguments in prototype order, and hidden extras when verbose is 1.
    virtual void ListArguments(CCallInfo* info, uint8_t verbose);
    void NoOperation() {}
    [[noreturn]] void NotImplemented();              // throws "NO IMPLEMENTED"
    CXQFTString GetNameString() const;
    virtual const char* GetName() const = 0;
    // Applies the call to the state record of its API (SEglState for EGL calls, SEs1State for
    // ES 1.1 calls, SEs2State for ES 2.0 and extension calls). frame is the 1-based frame number.
    virtual bool UpdateState(void* state, uint32_t frame) { return false; }
    virtual int GetId() const = 0;
    virtual const char* GetCategory() const = 0;

    uint16_t GetCallId() const { return m_callId; }
    void SetCallId(uint16_t id) { m_callId = id; }
    uint8_t GetApiKind() const { return m_apiKind; }
    CTrace* GetTrace() const { return m_trace; }
    // The recorded GL error of ES 1.1 and 2.0 calls; stays 0 for EGL and extension calls.
    TGLError* GetError() { return &m_error; }
    const TGLError* GetError() const { return &m_error; }

protected:
    uint16_t m_callId = 0;
    uint8_t m_apiKind = kApiNone;
    TGLError m_error;
    CTrace* m_trace;
};

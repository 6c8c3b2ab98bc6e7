#pragma once
// The interface of every recorded call: one class per recorded function and record layout,
// grouped under four family bases (CallFamilies.h). A call reads its payload in its constructor
// through the record context, keeps scalars as bare values and composites in their holders,
// describes itself to a CCallInfo and applies its effect to the state record of its API.
#include "values/ApiTypes.h"
#include "EsVersion.h"
#include "XQFTString.h"

#include <cstddef>
#include <cstdint>

class CTrace;
class CCallInfo;

// API kinds of a call object: 0 none, 1 EGL, 2 OpenGL ES 1.1, 4 OpenGL ES 2.0, 5 extension.
enum : uint8_t { kApiNone = 0, kApiEgl = 1, kApiEs1 = 2, kApiEs2 = 4, kApiExt = 5 };

// The state record a call's state kind (CApiCall::GetStateKind) applies to, for the loader and the
// analysis alike: EGL calls the EGL state; ES 1.1 calls (and kind 3, never assigned, routed alike)
// the ES 1.1 state; ES 2.0 calls the ES 2.0 state. Extension calls name the state of the API they
// were made on.
inline bool IsEs1StateKind(uint8_t kind) { return kind == kApiEs1 || kind == 3; }
inline bool IsEs2StateKind(uint8_t kind) { return kind == kApiEs2; }

// A recorded GL error without its holder; CCallInfo::SetError makes the holder.
struct SGLErrorCode
{
    uint32_t value = 0;
};

class CApiCall
{
public:
    // Notes whether the trace carries data (how pointer arguments are listed); trace may be null.
    explicit CApiCall(CTrace* trace);
    virtual ~CApiCall() = default;
    CApiCall(const CApiCall&) = delete;
    CApiCall& operator=(const CApiCall&) = delete;
    // Call objects made while a call arena is open on the thread live in it (apicall/CallArena.h).
    static void* operator new(size_t bytes);
    static void operator delete(void* p);

    // Describes the call: SetCall here; the family adds API tag and error, the class its return
    // value and arguments in prototype order, and hidden extras when verbose is 1.
    virtual void ListArguments(CCallInfo* info, uint8_t verbose);
    void NoOperation() {}
    [[noreturn]] void NotImplemented();              // throws CXqftError("NO IMPLEMENTED")
    CXQFTString GetNameString() const;
    virtual const char* GetName() const = 0;
    // Applies the call's effect to the state record of its state kind (SEglState for EGL calls,
    // SEs1State for ES 1.1 calls, SEs2State for ES 2.0 calls), only when the call recorded
    // success: a call that failed on the device changed nothing there. Every state application
    // goes through here. frame is the 1-based frame number. True when the state may have changed.
    bool ApplyEffect(void* state, uint32_t frame)
    {
        return RecordedSuccess() && UpdateState(state, frame);
    }
    // Whether the recorded error says the call succeeded: GL errors are 0 on success.
    virtual bool RecordedSuccess() const { return m_error.value == 0; }
    virtual int GetId() const = 0;
    virtual const char* GetCategory() const = 0;

    uint16_t GetCallId() const { return m_callId; }
    void SetCallId(uint16_t id) { m_callId = id; }
    uint8_t GetApiKind() const { return m_apiKind; }
    // The kind of the state record ApplyEffect takes (kApiEgl, kApiEs1, kApiEs2 or kApiNone): the API
    // kind, but an extension call's is that of the API it was made on.
    virtual uint8_t GetStateKind() const { return m_apiKind; }
    // Whether the trace the call was read from carries the data of pointer arguments.
    bool IsDataIncluded() const { return m_dataIncluded; }
    // The recorded GL error of ES 1.1, ES 2.0 and extension calls; stays 0 for EGL calls.
    SGLErrorCode* GetError() { return &m_error; }
    const SGLErrorCode* GetError() const { return &m_error; }

protected:
    // The effect itself, without the success gate (ApplyEffect).
    virtual bool UpdateState(void* state, uint32_t frame) { return false; }

    // Every loaded call carries these 16 bytes with its table pointer: keep them packed.
    uint16_t m_callId = 0;
    uint8_t m_apiKind = kApiNone;
    bool m_dataIncluded = false;
    SGLErrorCode m_error;
};

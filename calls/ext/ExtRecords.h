#pragma once
// Every extension call record class, expanded from ExtCalls.def. The classes live in xqft_ext so
// the rows can name the row items without qualification; each is also declared at global scope.
// Rows pick their base by their traits: the palette pointer calls (trait::ClientArray) get
// XXXYYYPointer first, the multi-draw calls (trait::ListsNothing) a base that describes nothing.
// The hand-written classes of the CUSTOM rows (the ES 1.1 state hooks) follow the expansion.
#include <type_traits>

#include "apicall/CallFamilies.h"
#include "apicall/CallTable.h"
#include "apicall/ClientArrayCall.h"
#include "record/RecordItems.h"
#include "state/Es1State.h"
#include "state/Es2State.h"

namespace xqft_ext {
using namespace xqft;

template <class Record> struct TRowBase;
template <class Record> using RowBase = typename TRowBase<Record>::type;

// The base of the palette pointer calls: the call reaches its ES 1.1 hook on a scratch state.
class CExtPointerCall : public XXXYYYPointer, public CExtCall
{
public:
    explicit CExtPointerCall(CTrace* trace) : CExtCall(trace) {}

protected:
    bool ApplyToEs1State(SEs1State& state, uint32_t frame) override
    {
        return RecordedSuccess() && UpdateEs1State(&state, frame);
    }
};

// The base of calls described by their function alone: no API tag, no error, no arguments. The
// function is still named, so the call list and the exports show what the call was.
class CExtSilentCall : public CExtCall
{
public:
    explicit CExtSilentCall(CTrace* trace) : CExtCall(trace) {}
    void ListArguments(CCallInfo* info, uint8_t verbose) override { CApiCall::ListArguments(info, verbose); }
};

template <uint16_t Traits>
using ExtFamily = std::conditional_t<(Traits & trait::ClientArray) != 0, CExtPointerCall,
                                     std::conditional_t<(Traits & trait::ListsNothing) != 0, CExtSilentCall, CExtCall>>;

#define XQF_TABLE "ExtCalls.def"
#define XQF_FAMILY CExtCall
#define XQF_FAMILY_OF(Traits) ExtFamily<Traits>
#define XQF_FAMILY_STATE SEs2State
#define XQF_FAMILY_EFFECT ExtEffect
#include "record/RecordClasses.inc"

} // namespace xqft_ext

#include "ExtEs1Calls.h"

#define XQF_TABLE "ExtCalls.def"
#define XQF_FAMILY_NAMESPACE xqft_ext
#include "record/RecordUsings.inc"

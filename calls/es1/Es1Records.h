#pragma once
// Every OpenGL ES 1.1 call record class, expanded from Es1Calls.def. The classes live in xqft::es1
// so the rows can name the row items without qualification; each is also declared at global scope.
// The client-array pointer calls (trait::ClientArray) get XXXYYYPointer as their first base. The
// hand-written classes of the CUSTOM rows follow the expansion (their bases come from it).
#include <type_traits>

#include "apicall/CallFamilies.h"
#include "apicall/CallTable.h"
#include "apicall/ClientArrayCall.h"
#include "record/CapturedBlocks.h"
#include "record/RecordItems.h"
#include "state/Es1State.h"

namespace xqft::es1 {
using namespace xqft;

template <class Record> struct TRowBase;
template <class Record> using RowBase = typename TRowBase<Record>::type;

// The base of the client-array pointer calls: the call reaches its effect on a scratch state.
class CEs1PointerCall : public XXXYYYPointer, public CEs1Call
{
public:
    explicit CEs1PointerCall(CTrace* trace) : CEs1Call(trace) {}

protected:
    bool ApplyToEs1State(SEs1State& state, uint32_t frame) override { return ApplyEffect(&state, frame); }
};

template <uint16_t Traits>
using Es1Family = std::conditional_t<(Traits & trait::ClientArray) != 0, CEs1PointerCall, CEs1Call>;

// glDrawElements' index argument: with data the index block and then the offset into the bound
// element buffer, both listed; without data the index pointer alone.
struct SEs1DrawIndices : TItem<"indices", ItemKind::Argument>
{
    SDataPtr data;                // without data only its pointer member is filled: the index pointer
    SPointerValue indicesOffset;

    void Read(CTrace& t);
    void List(CCallInfo& info, const SListing& t, uint8_t verbose, SNoHolder&);
};

#define XQF_TABLE "Es1Calls.def"
#define XQF_FAMILY CEs1Call
#define XQF_FAMILY_OF(Traits) Es1Family<Traits>
#define XQF_FAMILY_STATE SEs1State
#define XQF_FAMILY_EFFECT Es1Effect
#define XQF_EFFECT_CLASS_OF XQF_FRAME_EFFECT_CLASS
#include "record/RecordClasses.inc"

} // namespace xqft::es1

#include "Es1DrawCalls.h"

#define XQF_TABLE "Es1Calls.def"
#define XQF_FAMILY_NAMESPACE xqft::es1
#include "record/RecordUsings.inc"

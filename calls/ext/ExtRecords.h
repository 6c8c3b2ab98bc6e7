#pragma once
// Every extension call record class, expanded from ExtCalls.def. The classes live in xqft::ext so
// the rows can name the row items without qualification; each is also declared at global scope.
// Rows pick their base by their traits: the palette pointer calls (trait::ClientArray) get
// XXXYYYPointer first, the multi-draw calls (trait::ListsNothing) a base that describes nothing.
// Effect rows have two effects, one on each state record (ExtEffects.cpp): the call's selector
// decides which state it is given.
#include <type_traits>

#include "apicall/CallFamilies.h"
#include "apicall/CallTable.h"
#include "apicall/ClientArrayCall.h"
#include "record/RecordItems.h"
#include "state/Es1State.h"
#include "state/Es2State.h"

namespace xqft::ext {
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

// An effect row promises both ExtEffect overloads; a row without either fails to link.
#define XQF_EXT_EFFECT_CLASS(Family, State, Effect, Class, Id, Function, Category, ...)                   \
    class Class;                                                                                          \
    bool Effect(const Class& call, SEs1State& state);                                                     \
    bool Effect(const Class& call, SEs2State& state);                                                     \
    class Class final : public ::xqft::TRecord<Family, Id, Function, Category __VA_OPT__(, ) __VA_ARGS__> \
    {                                                                                                     \
    public:                                                                                               \
        using TRecord::TRecord;                                                                           \
        bool UpdateEs1State(SEs1State* state, uint32_t) override { return Effect(*this, *state); }        \
                                                                                                          \
    protected:                                                                                            \
        bool UpdateEs2State(SEs2State* state, uint32_t) override { return Effect(*this, *state); }        \
    };

#define XQF_TABLE "ExtCalls.def"
#define XQF_FAMILY CExtCall
#define XQF_FAMILY_OF(Traits) ExtFamily<Traits>
#define XQF_FAMILY_STATE SEs2State
#define XQF_FAMILY_EFFECT ExtEffect
#define XQF_EFFECT_CLASS_OF XQF_EXT_EFFECT_CLASS
#include "record/RecordClasses.inc"
#undef XQF_EXT_EFFECT_CLASS

} // namespace xqft::ext

#define XQF_TABLE "ExtCalls.def"
#define XQF_FAMILY_NAMESPACE xqft::ext
#include "record/RecordUsings.inc"

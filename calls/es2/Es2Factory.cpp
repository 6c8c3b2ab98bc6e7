// The factory of OpenGL ES 2.0 records: a second expansion of Es2Calls.def into an id table.
#include "Es2Factory.h"

#include "Es2Records.h"

namespace {

struct SRecordMaker
{
    uint16_t id;
    CApiCall* (*make)(CTrace&);
};

constexpr SRecordMaker kEs2Makers[] = {
#define XQF_RECORD(Class, Id, ...) {Id, [](CTrace& t) -> CApiCall* { return new Class(t); }},
#define XQF_EFFECT XQF_RECORD
#define XQF_CUSTOM(Class, Id) {Id, [](CTrace& t) -> CApiCall* { return new Class(t); }},
#define XQF_VERSIONED(OldClass, NewClass, Id, FirstNewVersion)                                          \
    {Id, [](CTrace& t) -> CApiCall* {                                                                 \
         if (t.GetVersion() >= FirstNewVersion)                                                        \
             return new NewClass(t);                                                                   \
         return new OldClass(t);                                                                       \
     }},
#include "Es2Calls.def"
#undef XQF_RECORD
#undef XQF_EFFECT
#undef XQF_CUSTOM
#undef XQF_VERSIONED
};

constexpr bool EveryIdInOrder()
{
    for (std::size_t i = 0; i < std::size(kEs2Makers); ++i)
        if (kEs2Makers[i].id != kEs2FirstId + i)
            return false;
    return std::size(kEs2Makers) == kEs2LastId - kEs2FirstId + 1;
}
static_assert(EveryIdInOrder(), "Es2Calls.def: every id from 2001 to 2142 once, in order");

} // namespace

CApiCall* CreateEs2Call(CTrace* trace, uint16_t id)
{
    if (trace == nullptr || id < kEs2FirstId || id > kEs2LastId || trace->GetVersion() == 0)
        return nullptr;
    return kEs2Makers[id - kEs2FirstId].make(*trace);
}

namespace {

// A third expansion of the table: the function name of every id.
#define XQF_RECORD(Class, Id, Function, ...) Function,
#define XQF_EFFECT XQF_RECORD
#define XQF_CUSTOM(Class, Id) Class::kFunction.c_str(),
#define XQF_VERSIONED(OldClass, NewClass, Id, FirstNewVersion) NewClass::kFunction.c_str(),
constexpr const char* kEs2Names[] = {
#include "Es2Calls.def"
};
#undef XQF_RECORD
#undef XQF_EFFECT
#undef XQF_CUSTOM
#undef XQF_VERSIONED
static_assert(std::size(kEs2Names) == std::size(kEs2Makers), "one name per id");

} // namespace

void RegisterEs2Calls() { RegisterCallFamily({ECallFamily::Es2, kEs2FirstId, kEs2LastId, &CreateEs2Call}); }

const char* Es2FunctionName(uint16_t id)
{
    return id >= kEs2FirstId && id <= kEs2LastId ? kEs2Names[id - kEs2FirstId] : nullptr;
}

#include "CallFactory.h"

#include <stdexcept>
#include <vector>

#include "ApiCall.h"

namespace {
// Filled while the program's statics are made, before any trace is read.
std::vector<SCallFamily>& Families()
{
    static std::vector<SCallFamily> families;
    return families;
}

const SCallFamily* FamilyOf(uint16_t id)
{
    for (const SCallFamily& f : Families())
        if (id >= f.firstId && id <= f.lastId)
            return &f;
    return nullptr;
}
} // namespace

void RegisterCallFamily(const SCallFamily& family)
{
    for (const SCallFamily& f : Families()) {
        if (f.family == family.family && f.create == family.create)
            return;
        if (family.firstId <= f.lastId && f.firstId <= family.lastId)
            throw std::logic_error("call families overlap");
    }
    Families().push_back(family);
}

ECallFamily CallFamilyOfId(uint16_t id)
{
    const SCallFamily* f = FamilyOf(id);
    return f ? f->family : ECallFamily::None;
}

CApiCall* CreateCallById(uint16_t id, CTrace* trace)
{
    const SCallFamily* f = FamilyOf(id);
    CApiCall* call = f && f->create ? f->create(trace, id) : nullptr;
    if (call)
        call->SetCallId(id);
    return call;
}

// EGL calls by id and by the file's format version, from the rows of EglCalls.def: for an id,
// the row with the highest first version not above the file's version; none below the first.
#include "EglFactory.h"

#include "EglRecords.h"

namespace {
struct SEglMaker
{
    uint16_t id;
    uint32_t firstVersion;
    CApiCall* (*make)(CTrace&);
};

constexpr SEglMaker kEglMakers[] = {
#define XQF_EGL(Class, Id, FirstVersion, ...) {Id, FirstVersion, [](CTrace& t) -> CApiCall* { return new Class(t); }},
#define XQF_EGL_EFFECT XQF_EGL
#include "EglCalls.def"
#undef XQF_EGL
#undef XQF_EGL_EFFECT
};

consteval bool RowsInOrder()
{
    for (size_t i = 1; i < std::size(kEglMakers); ++i) {
        const SEglMaker &a = kEglMakers[i - 1], &b = kEglMakers[i];
        if (b.id < a.id || (b.id == a.id && b.firstVersion <= a.firstVersion))
            return false;
    }
    return true;
}
consteval bool RowsInRange()
{
    for (const SEglMaker& m : kEglMakers)
        if (m.firstVersion == 0 || !((m.id >= 1001 && m.id <= 1034) || (m.id >= 1100 && m.id <= 1105)))
            return false;
    return true;
}
static_assert(RowsInOrder(), "EglCalls.def: rows out of id order, or versions of one id not increasing");
static_assert(RowsInRange(), "EglCalls.def: id outside the EGL ranges, or first version 0");
}  // namespace

CApiCall* CreateEglCall(CTrace* trace, uint16_t id)
{
    if (!trace)
        return nullptr;
    const uint32_t version = trace->GetVersion();
    const SEglMaker* chosen = nullptr;
    for (const SEglMaker& m : kEglMakers)
        if (m.id == id && m.firstVersion <= version)
            chosen = &m;
    return chosen ? chosen->make(*trace) : nullptr;
}

void RegisterEglCalls() { RegisterCallFamily({ECallFamily::Egl, 1001, 1200, &CreateEglCall}); }

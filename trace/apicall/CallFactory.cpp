#include "CallFactory.h"

#include <vector>

#include "ApiCall.h"
#include "record/Trace.h"
#include "record/XqftError.h"

namespace {
struct SFamily
{
    ECallFamily family;
    std::span<const SCallRow> rows;
    uint16_t firstId;
    uint16_t lastId;
    // For id firstId + i, its rows are [rowOf[i], rowOf[i + 1]).
    std::vector<uint32_t> rowOf;
};

// Filled while the program's statics are made, before any trace is read.
std::vector<SFamily>& Families()
{
    static std::vector<SFamily> families;
    return families;
}

const SFamily* FamilyOf(uint16_t id)
{
    for (const SFamily& f : Families())
        if (id >= f.firstId && id <= f.lastId)
            return &f;
    return nullptr;
}

// The rows of id within its family: [begin, end), empty when it has none.
std::span<const SCallRow> RowsOf(uint16_t id)
{
    const SFamily* f = FamilyOf(id);
    if (!f)
        return {};
    const uint32_t i = id - f->firstId;
    return f->rows.subspan(f->rowOf[i], f->rowOf[i + 1] - f->rowOf[i]);
}
} // namespace

void RegisterCallFamily(ECallFamily family, std::span<const SCallRow> rows)
{
    if (rows.empty())
        return;
    SFamily f{family, rows, rows.front().id, rows.back().id, {}};
    for (const SFamily& other : Families()) {
        if (other.family == family && other.rows.data() == rows.data())
            return;
        if (f.firstId <= other.lastId && other.firstId <= f.lastId)
            throw CXqftError("call families overlap");
    }
    f.rowOf.assign(size_t(f.lastId - f.firstId) + 2, 0);
    // Counts per id, then running sums: rows of one id are adjacent (the tables are checked).
    for (const SCallRow& r : rows)
        ++f.rowOf[r.id - f.firstId + 1];
    for (size_t i = 1; i < f.rowOf.size(); ++i)
        f.rowOf[i] += f.rowOf[i - 1];
    Families().push_back(std::move(f));
}

CApiCall* CreateCallById(uint16_t id, CTrace* trace)
{
    if (!trace)
        return nullptr;
    const uint32_t version = trace->GetVersion();
    const SCallRow* chosen = nullptr;
    for (const SCallRow& r : RowsOf(id))
        if (r.firstVersion <= version)
            chosen = &r;
    CApiCall* call = chosen && chosen->make ? chosen->make(*trace) : nullptr;
    if (call)
        call->SetCallId(id);
    return call;
}

ECallFamily CallFamilyOf(uint16_t id, uint32_t version)
{
    const SFamily* f = FamilyOf(id);
    const SCallRow* chosen = nullptr;
    for (const SCallRow& r : RowsOf(id))
        if (r.firstVersion <= version)
            chosen = &r;
    return f && chosen && chosen->make ? f->family : ECallFamily::None;
}

uint16_t RegisteredCallTraits(uint16_t id)
{
    const std::span<const SCallRow> rows = RowsOf(id);
    return rows.empty() ? 0 : rows.front().traits;
}

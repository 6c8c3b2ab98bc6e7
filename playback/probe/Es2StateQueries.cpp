#include "Es2StateQueries.h"

#include <GLES2/gl2.h>

namespace {
using statequeries::One;
using statequeries::Values;
} // namespace

const std::vector<SStateQuery>& Es2StateQueries()
{
    static const std::vector<SStateQuery> queries = {
#define XQF_Q(label, pname, count, kind, tracked)                                                         \
    SStateQuery{label, pname, count, EQueryKind::kind, [](const SEs2State& s) { return tracked; }},
#define XQF_UNTRACKED(label, pname, count, kind) SStateQuery{label, pname, count, EQueryKind::kind, nullptr},
#include "Es2StateQueries.def"
#undef XQF_Q
#undef XQF_UNTRACKED
    };
    return queries;
}

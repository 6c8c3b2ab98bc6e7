#include "Es2StateQueries.h"

#include <GLES2/gl2.h>

#include <algorithm>

namespace {
using statequeries::One;
using statequeries::Values;

// A query of the field rows and its place among them.
struct SPlacedQuery
{
    int order;
    SStateQuery query;
};
} // namespace

const std::vector<SStateQuery>& Es2StateQueries()
{
    static const std::vector<SStateQuery> queries = [] {
        std::vector<SPlacedQuery> placed = {
#define XQF_QUERY(order, label, pname, count, kind, tracked)                                              \
    {order, SStateQuery{label, pname, count, EQueryKind::kind, [](const SEs2State& s) { return tracked; }}},
#include "state/Es2Fields.def"
        };
        std::stable_sort(placed.begin(), placed.end(),
                         [](const SPlacedQuery& a, const SPlacedQuery& b) { return a.order < b.order; });
        std::vector<SStateQuery> q;
        for (const SPlacedQuery& p : placed)
            q.push_back(p.query);
        // State the tracker does not keep, asked last.
        q.push_back(SStateQuery{"line_width", GL_LINE_WIDTH, 1, EQueryKind::Float, nullptr});
        return q;
    }();
    return queries;
}

#include "Es2StateQueries.h"

#include <GLES2/gl2.h>
#include <GLES2/gl2ext.h>

namespace {
using statequeries::One;
using statequeries::Values;
} // namespace

const std::vector<SStateQuery>& Es2StateQueries()
{
    using State = SEs2State;
    static const std::vector<SStateQuery> queries = [] {
        std::vector<SStateQuery> q = OrderedQueries<State>({
#include "QueryParts.h"
#include "state/Es2Fields.def"
        });
        // State the tracker does not keep, asked last.
        q.push_back(SStateQuery{"line_width", GL_LINE_WIDTH, 1, EQueryKind::Float, nullptr});
        return q;
    }();
    return queries;
}

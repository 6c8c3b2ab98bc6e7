#include "Es1StateQueries.h"

#include <GLES/gl.h>
#include <GLES/glext.h>

#include <array>
#include <cstdio>
#include <iterator>
#include <string>
#include <utility>

namespace {
using statequeries::One;
using statequeries::Values;

// Capabilities GL can be asked for: kEs1Capabilities but the last, the matrix palette (a host
// without it refuses the question).
constexpr size_t kCapabilities = std::size(kEs1Capabilities) - 1;
static_assert(kEs1Capabilities[kCapabilities] == GL_MATRIX_PALETTE_OES);

template <size_t I>
std::vector<double> Capability(const SEs1State& s)
{
    return {double(s.capabilities[I])};
}
using Reader = std::vector<double> (*)(const SEs1State&);
template <size_t... I>
constexpr std::array<Reader, sizeof...(I)> CapabilityReaders(std::index_sequence<I...>)
{
    return {&Capability<I>...};
}

// "enabled 0x<capability>", one query per capability, labels kept for the program's life.
void CapabilityQueries(std::vector<SEs1StateQuery>& q)
{
    static std::string labels[kCapabilities];
    for (size_t i = 0; i < kCapabilities; ++i) {
        char text[32];
        std::snprintf(text, sizeof text, "enabled 0x%X", kEs1Capabilities[i]);
        labels[i] = text;
        q.push_back(SEs1StateQuery{labels[i].c_str(), kEs1Capabilities[i], 1, EQueryKind::Enabled,
                                   CapabilityReaders(std::make_index_sequence<kCapabilities>())[i]});
    }
}

} // namespace

const std::vector<SEs1StateQuery>& Es1StateQueries()
{
    using State = SEs1State;
    static const std::vector<SEs1StateQuery> queries = OrderedQueries<State>({
#include "QueryParts.h"
#include "state/Es1Fields.def"
    });
    return queries;
}

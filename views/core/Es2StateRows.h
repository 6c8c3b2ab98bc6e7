#pragma once
// The rows of the ES 2.0 page of the state tree, as one table (StateRowTable.h) made from the page
// parts of the record's field rows (state/Es2Fields.def): group, the row's format, its text and how
// its value is compared with the state the page showed before. The page build, the red marks,
// `xqft-dump state-page` and the tests all iterate it. Rows that expand to a variable number of
// lines (texture units, capabilities, uniforms, attributes, vertex-attribute arrays) are
// hand-written functions named by their table row.
#include <cstddef>
#include <span>

#include "StateRowTable.h"

struct SEs2State;

using SEs2StateRow = TStateRow<SEs2State>;

std::span<const SEs2StateRow> Es2StateRows();

// Top-level groups of the ES 2.0 page, in the order they stand in the tree.
inline constexpr EStateGroup kEs2PageGroups[] = {EStateGroup::Bind,  EStateGroup::Enabled, EStateGroup::Hints,
                                                 EStateGroup::Program, EStateGroup::Blend, EStateGroup::Misc,
                                                 EStateGroup::Stencil};

// The page for `now`, marked against `before`.
SStatePage BuildEs2Page(const SEs2State& now, const SEs2State& before);

#pragma once
// The rows of the ES 1.1 page of the state tree, as one table (StateRowTable.h) made from the page
// parts of the record's field rows (state/Es1Fields.def), as the ES 2.0 page has them: the page
// build, the red marks, `xqft-dump state-page` and the tests iterate it. The per-unit blocks
// (bindings, environments), the capabilities and hints, the fog parameters, the light sub-items,
// the plane rows and the matrix stacks are hand-written functions named by their table row.
#include <span>

#include "StateRowTable.h"

struct SEs1State;

using SEs1StateRow = TStateRow<SEs1State>;

std::span<const SEs1StateRow> Es1StateRows();

// Top-level groups of the ES 1.1 page, in the order they stand in the tree ("Blend" stays empty
// on this page; "Matrices", the viewport and the top of each matrix stack, is the last).
inline constexpr EStateGroup kEs1PageGroups[] = {
    EStateGroup::Bind,   EStateGroup::Enabled, EStateGroup::Hints, EStateGroup::TexEnv,
    EStateGroup::Blend,  EStateGroup::Stencil, EStateGroup::Lights, EStateGroup::Fog,
    EStateGroup::Misc,   EStateGroup::ClipPlanes, EStateGroup::Matrices};

// The page for `now`, marked against `before`.
SStatePage BuildEs1Page(const SEs1State& now, const SEs1State& before);

// The groups the ES 1.1 page keeps when the ES 2.0 page is shown beside it: the shared groups
// (Bind, Enabled, Hints, Blend, Stencil, Misc) move to the ES 2.0 tree, which is filled after it.
void KeepEs1OnlyGroups(SStatePage& page);

#pragma once
// The field table of the ES 1.1 state record (StateFields.h), made from its field rows (Es1Fields.def).
#include <span>

#include "state/Es1State.h"
#include "state/StateFields.h"

using SEs1StateField = TStateField<SEs1State>;

std::span<const SEs1StateField> Es1StateFields();

// A state whose every field each reader shows: every texture unit and palette matrix in use.
SEs1State Es1StateShowingAll();

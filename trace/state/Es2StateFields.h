#pragma once
// The field table of the ES 2.0 state record (StateFields.h), made from its field rows (Es2Fields.def).
#include <span>

#include "state/Es2State.h"
#include "state/StateFields.h"

using SEs2StateField = TStateField<SEs2State>;

std::span<const SEs2StateField> Es2StateFields();

// A state whose every field each reader shows: every texture unit in use.
SEs2State Es2StateShowingAll();

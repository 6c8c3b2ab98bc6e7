#pragma once
// A plain-text listing of a tracked ES 1.1 state, made from the record's field rows
// (state/Es1Fields.def): one name=value a line for every field in row order (arrays as their
// values; per-unit arrays one line per unit, lights one line per parameter), then the object tables
// one line per entry: what `xqft-dump es1-state` prints and what tests compare when they ask whether
// two states are equal. The tests hold it to the record's field table (Es1StateFields.h).
#include <string>

struct SEs1State;

std::string DescribeEs1State(const SEs1State& state);

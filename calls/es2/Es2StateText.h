#pragma once
// A plain-text listing of a tracked ES 2.0 state, one fact per line, in a fixed order: what
// `xqft-dump state` prints and what tests compare when they ask whether two states are equal. Made
// from the record's field rows (state/Es2Fields.def): a line gathers the fragments of several
// fields; the tests hold it to the record's field table (Es2StateFields.h).
#include <string>

struct SEs2State;

std::string DescribeEs2State(const SEs2State& state);

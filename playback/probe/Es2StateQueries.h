#pragma once
// The scalar OpenGL ES 2.0 state as the host answers it: one row per glGet query, with the tracked
// value it stands for. The state probe prints every row; the differential test of the tracked state
// compares each row's host answer with its tracked value.
#include "state/Es2State.h"

#include <cstdint>
#include <vector>

enum class EQueryKind : uint8_t
{
    Integer,  // glGetIntegerv
    Float,    // glGetFloatv
    Boolean,  // glGetBooleanv
    Enabled,  // glIsEnabled of the pname
};

struct SStateQuery
{
    const char* label;
    uint32_t pname;
    uint8_t count;
    EQueryKind kind;
    // The tracked value of the same state (integers and booleans as their numbers); null for state
    // the tracker does not keep.
    std::vector<double> (*tracked)(const SEs2State&);
};

const std::vector<SStateQuery>& Es2StateQueries();

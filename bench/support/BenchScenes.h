#pragma once
// The harness's scenes, to render a benchmark's recorded workload directly (RecordSceneTrace in
// BenchSupport.h records it).
#include "Scenes.h"

#include <string>

namespace xqft::bench {

// The harness's scene of that name; null when there is none.
inline const SScene* SceneNamed(const std::string& name)
{
    for (const SScene& s : Scenes())
        if (name == s.name)
            return &s;
    return nullptr;
}

} // namespace xqft::bench

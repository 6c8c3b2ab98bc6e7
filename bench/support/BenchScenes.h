#pragma once
// The harness's scenes, to render a benchmark's recorded workload directly (RecordSceneTrace in
// BenchSupport.h records it).
#include "BenchSupport.h"
#include "Direct.h"
#include "Recorder.h"
#include "Scenes.h"

#include <cstdio>
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

// The scene played straight on Mesa, nothing written: the direct rendering, in seconds (0 when
// Mesa cannot be opened). readBack: each frame is read back as the analysis reads its frame.
inline double RenderSceneDirectly(const SScene& scene, bool readBack)
{
    CDirectMesa mesa;
    std::string error;
    if (!mesa.Open(error, scene.api)) {
        std::printf("direct rendering: %s\n", error.c_str());
        return 0;
    }
    SVariants quiet;
    quiet.quiet = true;
    quiet.quietReadBack = readBack;
    CRecorder recorder(mesa, TempDir(), scene.name, quiet, scene.api);
    const auto t0 = Clock::now();
    scene.play(recorder);
    if (scene.api == kEsVersion1)
        XQF_HOST(mesa.gl1, glFinish)();
    else
        XQF_HOST(mesa.gl, glFinish)();
    return Seconds(t0, Clock::now());
}

} // namespace xqft::bench

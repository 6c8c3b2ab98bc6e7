// xqft-record --scene NAME --out DIR [variants]: plays a scene straight on the host's Mesa as a
// device would, writing DIR/NAME.log (the call log), DIR/NAME.fN.ppm (each frame read back before its
// eglSwapBuffers, top row first), DIR/NAME.fN.state (the state at the start of frame N >= 2, ES 2.0
// scenes) and DIR/NAME.egl (the config chosen). Scenes named es1-... run on an ES 1.1 context.
// Reference variants, which write only the images:
//   --frame F               the variants below apply in frame F only (default: every frame)
//   --stop-after-draw N     the image is read back right after draw N of the frame
//   --skip-draws A-B        draws A to B of the frame are not played
//   --skip-call N           the call with number N (1-based, over the log) is not played; repeatable
//   --skip-function NAME    calls of that function are not played; repeatable
//   --wireframe             triangles are drawn as the lines of their edges
//   --highlight A-B         ES 1.1 scenes: draws A to B of the frame are highlighted as the analysis
//                           highlights them on an ES 1.1 context
//   --complexity K          ES 1.1 scenes: the overdraw picture of increment K, as the analysis
//                           draws it on an ES 1.1 context
// --rejected-shader logs the first source writing gl_FragColor misspelt (gl_FragColour), as a device
// whose compiler took a shader the host's refuses would leave it: the scene runs and is written as
// ever, and its trace's program does not link on the host.
// --play-only plays the scene and writes nothing (direct rendering, timed or traced by other tools).
// --list prints the scenes.
#include "Scenes.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int main(int argc, char** argv)
{
    std::string scene, out;
    SVariants v;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const char* next = i + 1 < argc ? argv[i + 1] : nullptr;
        if (a == "--list") {
            for (const SScene& s : Scenes())
                printf("%-14s %s\n", s.name, s.what);
            return 0;
        }
        if (a == "--wireframe") {
            v.wireframe = true;
            continue;
        }
        if (a == "--rejected-shader") {
            v.rejectedShader = true;
            continue;
        }
        if (a == "--play-only") {
            v.quiet = true;
            continue;
        }
        if (!next) {
            fprintf(stderr, "usage: xqft-record --scene NAME --out DIR [variants] | --list\n");
            return 1;
        }
        ++i;
        if (a == "--scene")
            scene = next;
        else if (a == "--out")
            out = next;
        else if (a == "--frame")
            v.frame = uint32_t(std::atoi(next));
        else if (a == "--stop-after-draw")
            v.stopAfterDraw = uint32_t(std::atoi(next));
        else if (a == "--skip-draws") {
            v.skipFirst = uint32_t(std::atoi(next));
            const char* dash = std::strchr(next, '-');
            v.skipLast = dash ? uint32_t(std::atoi(dash + 1)) : v.skipFirst;
        } else if (a == "--highlight") {
            v.highlightFirst = uint32_t(std::atoi(next));
            const char* dash = std::strchr(next, '-');
            v.highlightLast = dash ? uint32_t(std::atoi(dash + 1)) : v.highlightFirst;
        } else if (a == "--complexity") {
            v.complexity = std::clamp(std::atoi(next), 0, 255);
        } else if (a == "--skip-call")
            v.skipCalls.insert(uint32_t(std::atoi(next)));
        else if (a == "--skip-function")
            v.skipFunctions.insert(next);
        else {
            fprintf(stderr, "xqft-record: unknown option %s\n", a.c_str());
            return 1;
        }
    }
    const SScene* chosen = nullptr;
    for (const SScene& s : Scenes())
        if (scene == s.name)
            chosen = &s;
    if (!chosen || out.empty()) {
        fprintf(stderr, "usage: xqft-record --scene NAME --out DIR [variants] | --list (unknown scene '%s')\n",
                scene.c_str());
        return 1;
    }
    CDirectMesa mesa;
    std::string error;
    if (!mesa.Open(error, chosen->api)) {
        fprintf(stderr, "xqft-record: %s\n", error.c_str());
        return 2;
    }
    CRecorder recorder(mesa, out, chosen->name, v, chosen->api);
    if (!recorder.Ok()) {
        fprintf(stderr, "xqft-record: cannot write into %s\n", out.c_str());
        return 1;
    }
    chosen->play(recorder);
    if (!recorder.Ok()) {
        fprintf(stderr, "xqft-record: cannot write into %s\n", out.c_str());
        return 1;
    }
    return 0;
}

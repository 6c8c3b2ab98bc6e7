#pragma once
// The scenes xqft-record plays: a table of name, purpose, the function that plays it and its API.
// Every scene has at least three frames (replay starts from a restore from frame 2 on) and makes no
// pixel-changing call after a frame's last draw. The ES 1.1 scenes (named es1-...) set inside every
// frame what a restore at a frame's start does not send: materials, texture environments, the
// client arrays and the other state they use of that kind (but for es1-leftover, on purpose).
#include "Recorder.h"

#include <string>
#include <vector>

struct SScene
{
    const char* name;
    const char* what;
    void (*play)(CRecorder& r);
    int api = kEsVersion2;  // kEsVersion1: an ES 1.1 context
};

const std::vector<SScene>& Scenes();
// The ES 1.1 scenes (Es1Scenes.cpp), listed after the ES 2.0 ones.
const std::vector<SScene>& Es1Scenes();
// The extension scenes of both APIs (ExtScenes.cpp).
const std::vector<SScene>& ExtScenes();
// The uploads from wider rows and the objects made in every frame (UnpackScenes.cpp).
const std::vector<SScene>& UnpackScenes();
// Calls a device took that the replay follows as the tracked state does (LenientScenes.cpp).
const std::vector<SScene>& LenientScenes();
// The video-pipeline scenes (PipelineScenes.cpp).
const std::vector<SScene>& PipelineScenes();
// The rebuild rules' scene (RuleScenes.cpp), listed last.
const std::vector<SScene>& RuleScenes();

// Shared by the scenes.
namespace scene {
#define GL(fn) REC_GL(r, fn)
#define GL1(fn) REC_GL1(r, fn)

struct SWindow
{
    EGLContext context;
    EGLSurface surface;
};
// eglGetDisplay ... eglMakeCurrent of one window surface of the given size (a context of the
// recorder's API), and its viewport. With logDisplay false the log lacks the eglGetDisplay.
SWindow Open(CRecorder& r, uint32_t width, uint32_t height, uint32_t windowHandle = 0x55, bool logDisplay = true);

// A linked program of the two sources, with attribute names bound to locations 0, 1, ...
GLuint Program(CRecorder& r, const char* vertex, const char* fragment, std::initializer_list<const char*> attributes);

// The vertex and fragment sources most scenes draw with: a_position (vec4) and a_color (vec4).
extern const char* const kColorVertex;
extern const char* const kColorFragment;

// Bytes of a repeatable pattern (texture and buffer contents).
std::vector<uint8_t> Pattern(size_t bytes, int seed);

// Two triangles covering the rectangle (x0, y0)-(x1, y1) in clip space, as 6 x (x, y).
std::vector<float> Quad(float x0, float y0, float x1, float y1);

// The sprite scenes' quad d of frame f, written to v as 4 x (x, y, u, v) for a triangle strip: a 12 x 10
// grid whose cells sway a little from frame to frame.
void SpriteQuad(int f, int d, float* v);

// Draws a quad of one colour with the colour program (attribute 0 from a client array, attribute 1
// constant).
void ColorQuad(CRecorder& r, const std::vector<float>& quad, float red, float green, float blue, float alpha = 1.0f);
} // namespace scene

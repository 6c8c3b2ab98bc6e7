// Scenes shaped like a video pipeline: three framebuffer textures made in frame 1, each frame
// uploads a new picture, draws it through the three in turn (each cleared whole, then drawn from the
// one before) and shows the last. The feedback variants also sample, in the first pass, the last
// texture as the frame before left it: those frames read pixels only the GPU made.
#include "Scenes.h"

#include <GLES/glext.h>

using namespace scene;

namespace {

constexpr uint32_t kW = 64, kH = 48;
constexpr GLsizei kSide = 32, kPicture = 8;

// The picture each frame uploads: a few bytes that change every frame.
std::vector<uint8_t> Picture(int frame)
{
    return Pattern(size_t(kPicture) * kPicture * 4, frame);
}

// A quad that moves with the frame, inside clip space.
std::vector<float> MovingQuad(int frame, int pass)
{
    const float d = 0.05f * float((frame * 3 + pass * 5) % 7);
    return Quad(-0.9f + d, -0.8f + d, 0.6f + d * 0.5f, 0.9f - d);
}

// How the first texture's clear is narrowed: not, to a scissor box, or to three colour channels.
// Narrowed, it leaves pixels of the frame before that the draw after it keeps.
enum class ENarrow
{
    None,
    Scissor,
    Mask,
};

// offscreen false: the passes draw into the window instead (the textures then hold uploads): the
// same work a frame, with no image the GPU made.
void Pipeline(CRecorder& r, int frames, bool feedback, bool offscreen = true, ENarrow narrow = ENarrow::None)
{
    const SWindow w = Open(r, kW, kH);
    const GLuint program = [&] {
        const char* vs = "attribute vec4 a_position;\nvarying vec2 v_uv;\n"
                         "void main() { gl_Position = a_position; v_uv = a_position.xy * 0.5 + 0.5; }\n";
        const char* fs = "precision mediump float;\nuniform sampler2D u_texture;\nuniform vec4 u_tint;\n"
                         "varying vec2 v_uv;\n"
                         "void main() { gl_FragColor = u_tint * texture2D(u_texture, v_uv.yx); }\n";
        return Program(r, vs, fs, {"a_position"});
    }();
    GL(glUseProgram)(Name{"program", program});
    const Loc tint{REC_GL_NAMED(r, glGetUniformLocation, "location")(Name{"program", program}, Text{"u_tint"})};
    GLuint picture = 0, textures[3] = {}, framebuffers[3] = {};
    GL(glGenTextures)(1, Array<GLuint>{&picture, 1, "texture"});
    GL(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", picture});
    r.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, kPicture, kPicture, GL_UNSIGNED_BYTE, Picture(0).data());
    GL(glTexParameteri)(GLenum(GL_TEXTURE_2D), GLenum(GL_TEXTURE_MIN_FILTER), GLint(GL_NEAREST));
    GL(glGenTextures)(3, Array<GLuint>{textures, 3, "texture"});
    GL(glGenFramebuffers)(3, Array<GLuint>{framebuffers, 3, "framebuffer"});
    for (int i = 0; i < 3; ++i) {
        GL(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", textures[i]});
        const std::vector<uint8_t> uploaded = Pattern(size_t(kSide) * kSide * 4, 20 + i);
        r.TexImage2D(GL_TEXTURE_2D, 0, i == 1 ? GL_RGB : GL_RGBA, kSide, kSide, GL_UNSIGNED_BYTE,
                     offscreen ? nullptr : uploaded.data());
        GL(glTexParameteri)(GLenum(GL_TEXTURE_2D), GLenum(GL_TEXTURE_MIN_FILTER), GLint(GL_NEAREST));
        GL(glTexParameteri)(GLenum(GL_TEXTURE_2D), GLenum(GL_TEXTURE_MAG_FILTER), GLint(GL_NEAREST));
        if (!offscreen)
            continue;
        GL(glBindFramebuffer)(GLenum(GL_FRAMEBUFFER), Name{"framebuffer", framebuffers[i]});
        GL(glFramebufferTexture2D)(GLenum(GL_FRAMEBUFFER), GLenum(GL_COLOR_ATTACHMENT0), GLenum(GL_TEXTURE_2D),
                                   Name{"texture", textures[i]}, 0);
    }
    r.EnableVertexAttribArray(0);
    for (int f = 1; f <= frames; ++f) {
        GL(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", picture});
        r.TexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, kPicture, kPicture, GL_RGBA, GL_UNSIGNED_BYTE, Picture(f).data());
        for (int pass = 0; pass <= 3; ++pass) {
            const bool shown = pass == 3;
            GL(glBindFramebuffer)(GLenum(GL_FRAMEBUFFER),
                                  Name{"framebuffer", shown || !offscreen ? 0u : framebuffers[pass]});
            GL(glViewport)(0, 0, shown ? GLsizei(kW) : kSide, shown ? GLsizei(kH) : kSide);
            GL(glClearColor)(0.1f * float(pass), 0.05f * float(f % 9), 0.3f, 1.0f);
            const bool narrowed = pass == 0 && narrow != ENarrow::None;
            if (narrowed && narrow == ENarrow::Scissor) {
                GL(glEnable)(GLenum(GL_SCISSOR_TEST));
                GL(glScissor)(4, 2, 20 + f % 5, 24);
            } else if (narrowed) {
                GL(glColorMask)(GLboolean(GL_TRUE), GLboolean(GL_FALSE), GLboolean(GL_TRUE), GLboolean(GL_TRUE));
            }
            GL(glClear)(GLbitfield(GL_COLOR_BUFFER_BIT));
            if (narrowed) {
                GL(glDisable)(GLenum(GL_SCISSOR_TEST));
                GL(glColorMask)(GLboolean(GL_TRUE), GLboolean(GL_TRUE), GLboolean(GL_TRUE), GLboolean(GL_TRUE));
            }
            if (pass > 0)
                GL(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", textures[pass - 1]});
            const std::vector<float> quad = MovingQuad(f, pass);
            r.VertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, quad.data());
            GL(glUniform4f)(tint, 1.0f, 0.9f - 0.1f * float(pass), 0.8f + 0.05f * float(pass), 1.0f);
            r.DrawArrays(GL_TRIANGLES, 0, 6);
            if (pass == 0 && feedback) {
                // The last texture as the frame before left it, blended over half the first.
                GL(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", textures[2]});
                GL(glEnable)(GLenum(GL_BLEND));
                GL(glBlendFunc)(GLenum(GL_SRC_ALPHA), GLenum(GL_ONE_MINUS_SRC_ALPHA));
                GL(glUniform4f)(tint, 1.0f, 1.0f, 1.0f, 0.5f);
                const std::vector<float> half = Quad(-1.0f, -1.0f, 0.2f, 1.0f);
                r.VertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, half.data());
                r.DrawArrays(GL_TRIANGLES, 0, 6);
                GL(glDisable)(GLenum(GL_BLEND));
            }
        }
        r.SwapBuffers(w.surface);
    }
}

// ES 1.1: the same pipeline through OES framebuffers, two textures deep.
void Es1Pipeline(CRecorder& r, int frames, bool feedback)
{
    using GenNames = void (*)(GLsizei, GLuint*);
    using BindObject = void (*)(GLenum, GLuint);
    using Texture2D = void (*)(GLenum, GLenum, GLenum, GLuint, GLint);
    const SWindow w = Open(r, kW, kH);
    GLuint picture = 0, textures[2] = {}, framebuffers[2] = {};
    GL1(glGenTextures)(1, Array<GLuint>{&picture, 1, "texture"});
    GL1(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", picture});
    r.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, kPicture, kPicture, GL_UNSIGNED_BYTE, Picture(0).data());
    GL1(glTexParameteri)(GLenum(GL_TEXTURE_2D), GLenum(GL_TEXTURE_MIN_FILTER), GLint(GL_NEAREST));
    GL1(glGenTextures)(2, Array<GLuint>{textures, 2, "texture"});
    REC_EXT(r, glGenFramebuffersOES, GenNames)(2, Array<GLuint>{framebuffers, 2, "framebuffer"});
    for (int i = 0; i < 2; ++i) {
        GL1(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", textures[i]});
        r.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, kSide, kSide, GL_UNSIGNED_BYTE, nullptr);
        GL1(glTexParameteri)(GLenum(GL_TEXTURE_2D), GLenum(GL_TEXTURE_MIN_FILTER), GLint(GL_NEAREST));
        GL1(glTexParameteri)(GLenum(GL_TEXTURE_2D), GLenum(GL_TEXTURE_MAG_FILTER), GLint(GL_NEAREST));
        REC_EXT(r, glBindFramebufferOES, BindObject)(GL_FRAMEBUFFER_OES, Name{"framebuffer", framebuffers[i]});
        REC_EXT(r, glFramebufferTexture2DOES, Texture2D)(GL_FRAMEBUFFER_OES, GL_COLOR_ATTACHMENT0_OES,
                                                        GLenum(GL_TEXTURE_2D), Name{"texture", textures[i]}, 0);
    }
    const std::vector<float> uv = {0, 0, 1, 0, 1, 1, 0, 0, 1, 1, 0, 1};
    for (int f = 1; f <= frames; ++f) {
        // What a restore does not send, set in every frame.
        GL1(glMatrixMode)(GLenum(GL_MODELVIEW));
        GL1(glLoadIdentity)();
        GL1(glTexEnvi)(GLenum(GL_TEXTURE_ENV), GLenum(GL_TEXTURE_ENV_MODE), GLint(GL_MODULATE));
        r.TexCoordPointer(2, GL_FLOAT, 0, uv.data());
        r.EnableClientState(GL_TEXTURE_COORD_ARRAY);
        r.EnableClientState(GL_VERTEX_ARRAY);
        GL1(glEnable)(GLenum(GL_TEXTURE_2D));
        GL1(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", picture});
        r.TexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, kPicture, kPicture, GL_RGBA, GL_UNSIGNED_BYTE, Picture(f).data());
        for (int pass = 0; pass <= 2; ++pass) {
            const bool shown = pass == 2;
            REC_EXT(r, glBindFramebufferOES, BindObject)(GL_FRAMEBUFFER_OES,
                                                         Name{"framebuffer", shown ? 0u : framebuffers[pass]});
            GL1(glViewport)(0, 0, shown ? GLsizei(kW) : kSide, shown ? GLsizei(kH) : kSide);
            GL1(glClearColor)(0.2f * float(pass), 0.05f * float(f % 9), 0.3f, 1.0f);
            GL1(glClear)(GLbitfield(GL_COLOR_BUFFER_BIT));
            if (pass > 0)
                GL1(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", textures[pass - 1]});
            const std::vector<float> quad = MovingQuad(f, pass);
            r.VertexPointer(2, GL_FLOAT, 0, quad.data());
            GL1(glColor4f)(1.0f, 0.9f - 0.1f * float(pass), 0.8f, 1.0f);
            r.DrawArrays(GL_TRIANGLES, 0, 6);
            if (pass == 0 && feedback) {
                GL1(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", textures[1]});
                GL1(glEnable)(GLenum(GL_BLEND));
                GL1(glBlendFunc)(GLenum(GL_SRC_ALPHA), GLenum(GL_ONE_MINUS_SRC_ALPHA));
                GL1(glColor4f)(1.0f, 1.0f, 1.0f, 0.5f);
                const std::vector<float> half = Quad(-1.0f, -1.0f, 0.2f, 1.0f);
                r.VertexPointer(2, GL_FLOAT, 0, half.data());
                r.DrawArrays(GL_TRIANGLES, 0, 6);
                GL1(glDisable)(GLenum(GL_BLEND));
            }
        }
        GL1(glDisable)(GLenum(GL_TEXTURE_2D));
        r.SwapBuffers(w.surface);
    }
}

// A chain of three filters as video pipelines draw them: each frame every filter draws one quad over
// its whole framebuffer texture, without clearing it, sampling the texture of the filter before
// (the first, the frame's uploaded picture); the last texture is then shown. The first filter depth
// tests against a renderbuffer it clears (depths only) before drawing. Some frames break the
// pattern, so that they need the pixels earlier frames drew: `frame % 7` is 3: the second filter
// blends; 4: the third leaves a border of its texture undrawn; 5: the first keeps the depths of the
// frame before (its quad then fails the test). With offscreen false the filters draw into the
// window instead (the textures then hold uploads): the same work, with no image the GPU made.
void Filters(CRecorder& r, int frames, GLsizei side, bool offscreen = true)
{
    const SWindow w = Open(r, kW, kH);
    const GLuint program = [&] {
        const char* vs = "attribute vec4 a_position;\nvarying vec2 v_uv;\n"
                         "void main() { gl_Position = a_position; v_uv = a_position.xy * 0.5 + 0.5; }\n";
        const char* fs = "precision mediump float;\nuniform sampler2D u_texture;\nuniform vec4 u_tint;\n"
                         "varying vec2 v_uv;\n"
                         "void main() { gl_FragColor = u_tint * texture2D(u_texture, v_uv.yx); }\n";
        return Program(r, vs, fs, {"a_position"});
    }();
    GL(glUseProgram)(Name{"program", program});
    const Loc tint{REC_GL_NAMED(r, glGetUniformLocation, "location")(Name{"program", program}, Text{"u_tint"})};
    GLuint picture = 0, textures[3] = {}, framebuffers[3] = {}, depth = 0;
    GL(glGenTextures)(1, Array<GLuint>{&picture, 1, "texture"});
    GL(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", picture});
    r.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, kPicture, kPicture, GL_UNSIGNED_BYTE, Picture(0).data());
    GL(glTexParameteri)(GLenum(GL_TEXTURE_2D), GLenum(GL_TEXTURE_MIN_FILTER), GLint(GL_NEAREST));
    GL(glGenTextures)(3, Array<GLuint>{textures, 3, "texture"});
    GL(glGenFramebuffers)(3, Array<GLuint>{framebuffers, 3, "framebuffer"});
    GL(glGenRenderbuffers)(1, Array<GLuint>{&depth, 1, "renderbuffer"});
    GL(glBindRenderbuffer)(GLenum(GL_RENDERBUFFER), Name{"renderbuffer", depth});
    GL(glRenderbufferStorage)(GLenum(GL_RENDERBUFFER), GLenum(GL_DEPTH_COMPONENT16), side, side);
    for (int i = 0; i < 3; ++i) {
        GL(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", textures[i]});
        const std::vector<uint8_t> uploaded = Pattern(size_t(side) * side * 4, 30 + i);
        r.TexImage2D(GL_TEXTURE_2D, 0, i == 1 ? GL_RGB : GL_RGBA, side, side, GL_UNSIGNED_BYTE,
                     offscreen ? nullptr : uploaded.data());
        GL(glTexParameteri)(GLenum(GL_TEXTURE_2D), GLenum(GL_TEXTURE_MIN_FILTER), GLint(GL_NEAREST));
        GL(glTexParameteri)(GLenum(GL_TEXTURE_2D), GLenum(GL_TEXTURE_MAG_FILTER), GLint(GL_NEAREST));
        if (!offscreen)
            continue;
        GL(glBindFramebuffer)(GLenum(GL_FRAMEBUFFER), Name{"framebuffer", framebuffers[i]});
        GL(glFramebufferTexture2D)(GLenum(GL_FRAMEBUFFER), GLenum(GL_COLOR_ATTACHMENT0), GLenum(GL_TEXTURE_2D),
                                   Name{"texture", textures[i]}, 0);
        if (i == 0)
            GL(glFramebufferRenderbuffer)(GLenum(GL_FRAMEBUFFER), GLenum(GL_DEPTH_ATTACHMENT), GLenum(GL_RENDERBUFFER),
                                          Name{"renderbuffer", depth});
    }
    r.EnableVertexAttribArray(0);
    GL(glClearDepthf)(0.0f);
    GL(glDepthFunc)(GLenum(GL_GREATER));
    const std::vector<float> whole = Quad(-1.0f, -1.0f, 1.0f, 1.0f), inner = Quad(-0.75f, -0.75f, 0.75f, 0.75f);
    for (int f = 1; f <= frames; ++f) {
        const int kind = f > 1 ? f % 7 : 0;
        GL(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", picture});
        r.TexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, kPicture, kPicture, GL_RGBA, GL_UNSIGNED_BYTE, Picture(f).data());
        for (int pass = 0; pass <= 3; ++pass) {
            const bool shown = pass == 3;
            GL(glBindFramebuffer)(GLenum(GL_FRAMEBUFFER),
                                  Name{"framebuffer", shown || !offscreen ? 0u : framebuffers[pass]});
            GL(glViewport)(0, 0, shown ? GLsizei(kW) : side, shown ? GLsizei(kH) : side);
            if (shown) {
                GL(glClearColor)(0.1f, 0.05f * float(f % 9), 0.3f, 1.0f);
                GL(glClear)(GLbitfield(GL_COLOR_BUFFER_BIT));
            }
            if (pass == 0 && kind != 5)
                GL(glClear)(GLbitfield(GL_DEPTH_BUFFER_BIT));
            if (pass == 0)
                GL(glEnable)(GLenum(GL_DEPTH_TEST));
            if (pass == 1 && kind == 3) {
                GL(glEnable)(GLenum(GL_BLEND));
                GL(glBlendFunc)(GLenum(GL_SRC_ALPHA), GLenum(GL_ONE_MINUS_SRC_ALPHA));
            }
            if (pass > 0)
                GL(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", textures[pass - 1]});
            const std::vector<float>& quad = pass == 2 && kind == 4 ? inner : whole;
            r.VertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, quad.data());
            GL(glUniform4f)(tint, 1.0f, 0.95f - 0.05f * float(pass + f % 5), 0.8f + 0.05f * float(pass), 0.5f);
            r.DrawArrays(GL_TRIANGLES, 0, 6);
            GL(glDisable)(GLenum(GL_BLEND));
            GL(glDisable)(GLenum(GL_DEPTH_TEST));
        }
        r.SwapBuffers(w.surface);
    }
}

} // namespace

const std::vector<SScene>& PipelineScenes()
{
    static const std::vector<SScene> scenes = {
        {"pipeline-5", "a video pipeline through three framebuffer textures, 5 frames", [](CRecorder& r) {
             Pipeline(r, 5, false);
         }},
        {"pipeline-feedback-5", "the pipeline sampling its last texture before redrawing it, 5 frames",
         [](CRecorder& r) { Pipeline(r, 5, true); }},
        {"pipeline-scissored-5", "the pipeline with its first texture cleared inside a scissor box, 5 frames",
         [](CRecorder& r) { Pipeline(r, 5, false, true, ENarrow::Scissor); }},
        {"pipeline-masked-5", "the pipeline with its first texture cleared without green, 5 frames",
         [](CRecorder& r) { Pipeline(r, 5, false, true, ENarrow::Mask); }},
        {"es1-pipeline-5-ext", "ES 1.1: the pipeline through two OES framebuffer textures, 5 frames",
         [](CRecorder& r) { Es1Pipeline(r, 5, false); }, 1},
        {"es1-pipeline-feedback-5-ext", "ES 1.1: the two-texture pipeline sampling its last texture first, 5 frames",
         [](CRecorder& r) { Es1Pipeline(r, 5, true); }, 1},
        {"filters-6", "three filters drawing over their framebuffer textures without a clear, 6 frames",
         [](CRecorder& r) { Filters(r, 6, 32); }},
        {"filters", "the filter chain workload: 3,000 frames of 256 x 256 textures",
         [](CRecorder& r) { Filters(r, 3000, 256); }},
        {"filters-onscreen", "the filter chain workload drawn into the window from uploaded textures: 3,000 frames",
         [](CRecorder& r) { Filters(r, 3000, 256, false); }},
        {"pipeline", "the video pipeline workload: 3,000 frames", [](CRecorder& r) { Pipeline(r, 3000, false); }},
        {"pipeline-feedback", "the feedback pipeline workload: 3,000 frames",
         [](CRecorder& r) { Pipeline(r, 3000, true); }},
        {"pipeline-onscreen", "the pipeline workload drawn into the window from uploaded textures: 3,000 frames",
         [](CRecorder& r) { Pipeline(r, 3000, false, false); }},
    };
    return scenes;
}

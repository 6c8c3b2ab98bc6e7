// Scenes of calls a device took in ways a replay must follow as the tracked state does: source
// strings cut by their lengths, shader creates that failed without an error, and an attachment to
// a target ES 2.0 does not have. A driver's answer Mesa would not give is logged as the device gave
// it and not played on Mesa (the direct run shows what the device drew).
#include "Scenes.h"

using namespace scene;

namespace {

constexpr uint32_t kW = 48, kH = 32;

// Logs the ES 2.0 function fn as answered by `device` (a callable standing in for the driver).
#define DEVICE_GL(fn, device, ...) \
    r.Gl(uint16_t(kEs2HostFirstId + HostSlot(kEs2HostNames, #fn)), #fn, device __VA_OPT__(, ) __VA_ARGS__)

const char* const kTextureVertex = "attribute vec4 a_position;\nvarying vec2 v_uv;\n"
                                   "void main() { gl_Position = a_position; v_uv = a_position.xy * 0.5 + 0.5; }\n";
const char* const kTextureFragment = "precision mediump float;\nuniform sampler2D u_texture;\nvarying vec2 v_uv;\n"
                                     "void main() { gl_FragColor = texture2D(u_texture, v_uv); }\n";

void DrawTexture(CRecorder& r, GLuint texture, float x0, float x1)
{
    GL(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", texture});
    const std::vector<float> quad = Quad(x0, -1.0f, x1, 1.0f);
    r.VertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, quad.data());
    r.EnableVertexAttribArray(0);
    r.DrawArrays(GL_TRIANGLES, 0, 6);
}

// Sources handed over as pieces of larger texts, cut by their lengths: a fragment shader whose
// string runs on into a second shader's text (two mains, were it taken whole), with a head whose
// length is negative (to its NUL); sourced again in frame 2 with another cut of the same text.
void SourceLengths(CRecorder& r)
{
    const SWindow w = Open(r, kW, kH);
    const std::string head = "precision mediump float;\nuniform vec4 u_tint;\n";
    const std::string first = "void main() { gl_FragColor = vec4(0.9, 0.5, 0.1, 1.0) * u_tint; }\n";
    const std::string second = "void main() { gl_FragColor = vec4(0.1, 0.4, 0.9, 1.0) * u_tint; }\n";
    const std::string both = first + second;
    const GLuint vertex = REC_GL_NAMED(r, glCreateShader, "shader")(GLenum(GL_VERTEX_SHADER));
    r.ShaderSource(vertex, {kColorVertex});
    GL(glCompileShader)(Name{"shader", vertex});
    const GLuint fragment = REC_GL_NAMED(r, glCreateShader, "shader")(GLenum(GL_FRAGMENT_SHADER));
    r.ShaderSource(fragment, {head, both}, {-1, GLint(first.size())});
    GL(glCompileShader)(Name{"shader", fragment});
    const GLuint program = REC_GL_NAMED(r, glCreateProgram, "program")();
    GL(glAttachShader)(Name{"program", program}, Name{"shader", vertex});
    GL(glAttachShader)(Name{"program", program}, Name{"shader", fragment});
    GL(glBindAttribLocation)(Name{"program", program}, GLuint(0), Text{"a_position"});
    GL(glBindAttribLocation)(Name{"program", program}, GLuint(1), Text{"a_color"});
    GL(glLinkProgram)(Name{"program", program});
    GL(glUseProgram)(Name{"program", program});
    const GLint tint = REC_GL_NAMED(r, glGetUniformLocation, "location")(Name{"program", program}, Text{"u_tint"});
    for (int f = 1; f <= 3; ++f) {
        if (f == 2) {
            // The second shader of the text: from the first one's end.
            const std::string tail = both.substr(first.size()) + "garbage past the length";
            r.ShaderSource(fragment, {head, tail}, {GLint(head.size()), GLint(second.size())});
            GL(glCompileShader)(Name{"shader", fragment});
            GL(glLinkProgram)(Name{"program", program});
            GL(glUseProgram)(Name{"program", program});
        }
        GL(glUniform4f)(Loc{tint}, 1.0f, 1.0f - 0.2f * float(f), 1.0f, 1.0f);
        GL(glClearColor)(0.0f, 0.0f, 0.1f * float(f), 1.0f);
        GL(glClear)(GLbitfield(GL_COLOR_BUFFER_BIT));
        ColorQuad(r, Quad(-0.8f, -0.8f, 0.2f * float(f), 0.8f), 1.0f, 1.0f, 1.0f);
        r.SwapBuffers(w.surface);
    }
}

// A driver whose glCreateShader failed with no error to read: both creates return 0, and the
// application makes its shaders again, which works.
void FailedCreate(CRecorder& r)
{
    const SWindow w = Open(r, kW, kH);
    const auto failed = [](GLenum) -> GLuint { return 0; };
    DEVICE_GL(glCreateShader, failed, "shader")(GLenum(GL_VERTEX_SHADER));
    DEVICE_GL(glCreateShader, failed, "shader")(GLenum(GL_FRAGMENT_SHADER));
    const GLuint program = Program(r, kColorVertex, kColorFragment, {"a_position", "a_color"});
    GL(glUseProgram)(Name{"program", program});
    for (int f = 1; f <= 3; ++f) {
        GL(glClearColor)(0.1f * float(f), 0.0f, 0.0f, 1.0f);
        GL(glClear)(GLbitfield(GL_COLOR_BUFFER_BIT));
        ColorQuad(r, Quad(-0.6f, -0.6f, 0.6f, 0.2f * float(f)), 0.2f, 0.9f, 0.4f);
        r.SwapBuffers(w.surface);
    }
}

// A texture drawn into through a framebuffer every frame and shown beside another; frame 1 also
// attaches the other, and frame 2 a renderbuffer, to GL_READ_FRAMEBUFFER, which a driver took
// without an error and without an effect (it is no ES 2.0 target): the draws go on into the first.
void ReadAttach(CRecorder& r)
{
    const SWindow w = Open(r, kW, kH);
    const GLuint color = Program(r, kColorVertex, kColorFragment, {"a_position", "a_color"});
    const GLuint show = Program(r, kTextureVertex, kTextureFragment, {"a_position"});
    GLuint t[2] = {}, framebuffer = 0, renderbuffer = 0;
    GL(glGenTextures)(2, Array<GLuint>{t, 2, "texture"});
    for (int i = 0; i < 2; ++i) {
        GL(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", t[i]});
        const std::vector<uint8_t> pixels = Pattern(16 * 16 * 4, 60 + i);
        r.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 16, 16, GL_UNSIGNED_BYTE, pixels.data());
        GL(glTexParameteri)(GLenum(GL_TEXTURE_2D), GLenum(GL_TEXTURE_MIN_FILTER), GLint(GL_NEAREST));
        GL(glTexParameteri)(GLenum(GL_TEXTURE_2D), GLenum(GL_TEXTURE_MAG_FILTER), GLint(GL_NEAREST));
    }
    GL(glGenFramebuffers)(1, Array<GLuint>{&framebuffer, 1, "framebuffer"});
    GL(glBindFramebuffer)(GLenum(GL_FRAMEBUFFER), Name{"framebuffer", framebuffer});
    GL(glFramebufferTexture2D)(GLenum(GL_FRAMEBUFFER), GLenum(GL_COLOR_ATTACHMENT0), GLenum(GL_TEXTURE_2D),
                               Name{"texture", t[0]}, 0);
    GL(glGenRenderbuffers)(1, Array<GLuint>{&renderbuffer, 1, "renderbuffer"});
    GL(glBindRenderbuffer)(GLenum(GL_RENDERBUFFER), Name{"renderbuffer", renderbuffer});
    GL(glRenderbufferStorage)(GLenum(GL_RENDERBUFFER), GLenum(GL_RGBA4), GLsizei(16), GLsizei(16));
    const auto ignored = [](GLenum, GLenum, GLenum, GLuint, GLint) {};
    DEVICE_GL(glFramebufferTexture2D, ignored)(GLenum(0x8CA8 /* GL_READ_FRAMEBUFFER */), GLenum(GL_COLOR_ATTACHMENT0),
                                               GLenum(GL_TEXTURE_2D), Name{"texture", t[1]}, 0);
    for (int f = 1; f <= 3; ++f) {
        GL(glBindFramebuffer)(GLenum(GL_FRAMEBUFFER), Name{"framebuffer", framebuffer});
        if (f == 2) {
            const auto ignoredToo = [](GLenum, GLenum, GLenum, GLuint) {};
            DEVICE_GL(glFramebufferRenderbuffer, ignoredToo)(GLenum(0x8CA8), GLenum(GL_COLOR_ATTACHMENT0),
                                                             GLenum(GL_RENDERBUFFER),
                                                             Name{"renderbuffer", renderbuffer});
        }
        GL(glViewport)(0, 0, 16, 16);
        GL(glClearColor)(0.2f, 0.1f * float(f), 0.5f, 1.0f);
        GL(glClear)(GLbitfield(GL_COLOR_BUFFER_BIT));
        GL(glUseProgram)(Name{"program", color});
        ColorQuad(r, Quad(-0.5f, -0.5f, 0.2f * float(f), 0.5f), 0.9f, 0.8f, 0.1f);
        GL(glBindFramebuffer)(GLenum(GL_FRAMEBUFFER), Name{"framebuffer", 0});
        GL(glViewport)(0, 0, GLsizei(kW), GLsizei(kH));
        GL(glClearColor)(0.0f, 0.0f, 0.0f, 1.0f);
        GL(glClear)(GLbitfield(GL_COLOR_BUFFER_BIT));
        GL(glUseProgram)(Name{"program", show});
        DrawTexture(r, t[0], -1.0f, 0.0f);
        DrawTexture(r, t[1], 0.0f, 1.0f);
        r.SwapBuffers(w.surface);
    }
}

} // namespace

const std::vector<SScene>& LenientScenes()
{
    static const std::vector<SScene> scenes = {
        {"source-lengths", "shader source strings cut by their lengths (one negative), sourced again in frame 2",
         &SourceLengths},
        {"failed-create", "two shader creates that returned 0 with no error, then the shaders made again",
         &FailedCreate},
        {"read-attach", "a texture attached to GL_READ_FRAMEBUFFER without an error or an effect", &ReadAttach},
    };
    return scenes;
}

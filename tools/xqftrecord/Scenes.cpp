// The scenes, each a small application as a device would run it.
#include "Scenes.h"

#include <algorithm>
#include <cmath>

using namespace scene;

namespace {

constexpr uint32_t kW = 64, kH = 48;

// Frames of clears only.
void Clear(CRecorder& r)
{
    const SWindow w = Open(r, kW, kH);
    for (int f = 1; f <= 3; ++f) {
        GL(glClearColor)(0.2f * f, 1.0f - 0.25f * f, 0.5f, 1.0f);
        GL(glClear)(GLbitfield(GL_COLOR_BUFFER_BIT));
        if (f == 2) {
            GL(glEnable)(GLenum(GL_SCISSOR_TEST));
            GL(glScissor)(8, 8, 20, 12);
            GL(glClearColor)(1.0f, 1.0f, 0.0f, 1.0f);
            GL(glClear)(GLbitfield(GL_COLOR_BUFFER_BIT));
            GL(glDisable)(GLenum(GL_SCISSOR_TEST));
        }
        r.SwapBuffers(w.surface);
    }
}

// Client arrays on attributes 0 and 2, a buffer on attribute 1.
void TriClient(CRecorder& r)
{
    const SWindow w = Open(r, kW, kH);
    const char* vs = "attribute vec4 a_position;\nattribute vec4 a_color;\nattribute vec2 a_offset;\n"
                     "varying vec4 v_color;\n"
                     "void main() { gl_Position = a_position + vec4(a_offset, 0.0, 0.0); v_color = a_color; }\n";
    const GLuint program = Program(r, vs, kColorFragment, {"a_position", "a_color", "a_offset"});
    GL(glUseProgram)(Name{"program", program});
    GLuint buffer = 0;
    GL(glGenBuffers)(1, Array<GLuint>{&buffer, 1, "buffer"});
    const float colors[] = {1, 0, 0, 1, 0, 1, 0, 1, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 0, 1};
    r.BindBuffer(GL_ARRAY_BUFFER, buffer);
    GL(glBufferData)(GLenum(GL_ARRAY_BUFFER), GLsizeiptr(sizeof colors), Bytes{colors, sizeof colors},
                     GLenum(GL_STATIC_DRAW));
    r.VertexAttribPointer(1, 4, GL_FLOAT, GL_FALSE, 0, nullptr);
    r.EnableVertexAttribArray(1);
    r.BindBuffer(GL_ARRAY_BUFFER, 0);
    for (int f = 1; f <= 3; ++f) {
        GL(glClearColor)(0.0f, 0.0f, 0.1f * f, 1.0f);
        GL(glClear)(GLbitfield(GL_COLOR_BUFFER_BIT));
        // Vertex 0 is not drawn (first 1): its bytes are captured all the same.
        const float positions[] = {9, 9, 9, 1, -0.8f, -0.8f, 0, 1, 0.8f, -0.8f, 0, 1, 0, 0.8f, 0, 1, -0.5f, 0.5f, 0, 1};
        const float offsets[] = {0, 0, 0.05f * f, 0, 0.05f * f, 0.1f, -0.05f * f, 0, 0, 0};
        r.VertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, 0, positions);
        r.EnableVertexAttribArray(0);
        r.VertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, 0, offsets);
        r.EnableVertexAttribArray(2);
        r.DrawArrays(GL_TRIANGLES, 1, 3);
        // A strided client array: packed when captured.
        const float strided[] = {-1, -1, 7, 7, -0.6f, -1, 7, 7, -1, -0.6f, 7, 7, 0, 0, 7, 7};
        r.VertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 16, strided);
        r.DrawArrays(GL_TRIANGLE_STRIP, 0, 4);
        r.SwapBuffers(w.surface);
    }
}

// Element buffer and client indices of 8, 16 and 32 bits.
void Indexed(CRecorder& r)
{
    const SWindow w = Open(r, kW, kH);
    const GLuint program = Program(r, kColorVertex, kColorFragment, {"a_position", "a_color"});
    GL(glUseProgram)(Name{"program", program});
    GLuint buffers[2] = {};
    GL(glGenBuffers)(2, Array<GLuint>{buffers, 2, "buffer"});
    const float grid[] = {-1, -1, 0, -1, 1, -1, -1, 0, 0, 0, 1, 0, -1, 1, 0, 1, 1, 1};
    r.BindBuffer(GL_ARRAY_BUFFER, buffers[0]);
    GL(glBufferData)(GLenum(GL_ARRAY_BUFFER), GLsizeiptr(sizeof grid), Bytes{grid, sizeof grid}, GLenum(GL_STATIC_DRAW));
    const uint16_t indices16[] = {0, 1, 4, 0, 4, 3};
    r.BindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers[1]);
    GL(glBufferData)(GLenum(GL_ELEMENT_ARRAY_BUFFER), GLsizeiptr(sizeof indices16), Bytes{indices16, sizeof indices16},
                     GLenum(GL_STATIC_DRAW));
    for (int f = 1; f <= 3; ++f) {
        GL(glClearColor)(0.1f, 0.1f, 0.1f, 1.0f);
        GL(glClear)(GLbitfield(GL_COLOR_BUFFER_BIT));
        // From the buffers: the lower left square.
        r.BindBuffer(GL_ARRAY_BUFFER, buffers[0]);
        r.VertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
        r.EnableVertexAttribArray(0);
        GL(glVertexAttrib4f)(GLuint(1), 1.0f, 0.2f * f, 0.0f, 1.0f);
        r.DrawElements(GL_TRIANGLES, 6, GL_UNSIGNED_SHORT, nullptr);
        // Client indices into the buffer's vertices: 8 bits, the lower right square.
        r.BindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
        const uint8_t indices8[] = {1, 2, 5, 1, 5, 4};
        GL(glVertexAttrib4f)(GLuint(1), 0.0f, 1.0f, 0.3f * f, 1.0f);
        r.DrawElements(GL_TRIANGLES, 6, GL_UNSIGNED_BYTE, indices8);
        // Client vertices and 16-bit client indices: the upper left square.
        r.BindBuffer(GL_ARRAY_BUFFER, 0);
        const float upper[] = {-1, 0, 0, 0, 0, 1, -1, 1, 5, 5};
        r.VertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, upper);
        const uint16_t quad16[] = {0, 1, 2, 0, 2, 3};
        GL(glVertexAttrib4f)(GLuint(1), 0.2f, 0.4f, 1.0f, 1.0f);
        r.DrawElements(GL_TRIANGLES, 6, GL_UNSIGNED_SHORT, quad16);
        // 32-bit indices, a strip: the upper right square.
        const float right[] = {0, 0, 1, 0, 0, 1, 1, 1};
        r.VertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, right);
        const uint32_t strip32[] = {0, 1, 2, 3};
        GL(glVertexAttrib4f)(GLuint(1), 0.9f, 0.9f, 0.1f * f, 1.0f);
        r.DrawElements(GL_TRIANGLE_STRIP, 4, GL_UNSIGNED_INT, strip32);
        r.BindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers[1]);
        r.SwapBuffers(w.surface);
    }
}


// Textures of several formats, levels and a cube map, each drawn on a quad of its own.
void Textured(CRecorder& r)
{
    const SWindow w = Open(r, kW, kH);
    const char* vs = "attribute vec4 a_position;\nvarying vec2 v_uv;\n"
                     "void main() { gl_Position = a_position; v_uv = a_position.xy * 2.0 + 0.5; }\n";
    const char* fs2d = "precision mediump float;\nuniform sampler2D u_texture;\nvarying vec2 v_uv;\n"
                       "void main() { gl_FragColor = texture2D(u_texture, v_uv); }\n";
    const char* fsCube = "precision mediump float;\nuniform samplerCube u_cube;\nvarying vec2 v_uv;\n"
                         "void main() { gl_FragColor = textureCube(u_cube, vec3(v_uv - 0.5, 0.7)); }\n";
    const GLuint program2d = Program(r, vs, fs2d, {"a_position"});
    const GLuint programCube = Program(r, vs, fsCube, {"a_position"});
    GLuint t[6] = {};
    GL(glGenTextures)(6, Array<GLuint>{t, 6, "texture"});
    // RGBA8 with three mip levels.
    GL(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", t[0]});
    for (int level = 0; level < 3; ++level) {
        const int size = 8 >> level;
        const std::vector<uint8_t> pixels = Pattern(size_t(size * size * 4), level);
        r.TexImage2D(GL_TEXTURE_2D, level, GL_RGBA, size, size, GL_UNSIGNED_BYTE, pixels.data());
    }
    GL(glTexParameteri)(GLenum(GL_TEXTURE_2D), GLenum(GL_TEXTURE_MIN_FILTER), GLint(GL_NEAREST_MIPMAP_NEAREST));
    // Odd-width RGB rows under unpack alignment 1.
    r.PixelStorei(GL_UNPACK_ALIGNMENT, 1);
    GL(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", t[1]});
    const std::vector<uint8_t> rgb = Pattern(5 * 3 * 3, 7);
    r.TexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 5, 3, GL_UNSIGNED_BYTE, rgb.data());
    GL(glTexParameteri)(GLenum(GL_TEXTURE_2D), GLenum(GL_TEXTURE_MIN_FILTER), GLint(GL_NEAREST));
    r.PixelStorei(GL_UNPACK_ALIGNMENT, 4);
    // RGB565 and luminance-alpha.
    GL(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", t[2]});
    const std::vector<uint8_t> packed = Pattern(4 * 4 * 2, 11);
    r.TexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 4, 4, GL_UNSIGNED_SHORT_5_6_5, packed.data());
    GL(glTexParameteri)(GLenum(GL_TEXTURE_2D), GLenum(GL_TEXTURE_MIN_FILTER), GLint(GL_LINEAR));
    GL(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", t[3]});
    const std::vector<uint8_t> la = Pattern(4 * 4 * 2, 13);
    r.TexImage2D(GL_TEXTURE_2D, 0, GL_LUMINANCE_ALPHA, 4, 4, GL_UNSIGNED_BYTE, la.data());
    GL(glTexParameteri)(GLenum(GL_TEXTURE_2D), GLenum(GL_TEXTURE_MIN_FILTER), GLint(GL_NEAREST));
    GL(glTexParameteri)(GLenum(GL_TEXTURE_2D), GLenum(GL_TEXTURE_WRAP_S), GLint(GL_CLAMP_TO_EDGE));
    // ETC1: four 8-byte blocks of an 8 x 8 image.
    GL(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", t[4]});
    const std::vector<uint8_t> etc1 = Pattern(32, 17);
    GL(glCompressedTexImage2D)(GLenum(GL_TEXTURE_2D), 0, GLenum(0x8D64), 8, 8, 0, GLsizei(etc1.size()),
                               Bytes{etc1.data(), etc1.size()});
    GL(glTexParameteri)(GLenum(GL_TEXTURE_2D), GLenum(GL_TEXTURE_MIN_FILTER), GLint(GL_LINEAR));
    // A cube map of six 4 x 4 faces.
    GL(glBindTexture)(GLenum(GL_TEXTURE_CUBE_MAP), Name{"texture", t[5]});
    for (GLenum face = 0; face < 6; ++face) {
        const std::vector<uint8_t> pixels = Pattern(4 * 4 * 4, 20 + int(face));
        r.TexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, GL_RGBA, 4, 4, GL_UNSIGNED_BYTE, pixels.data());
    }
    GL(glTexParameteri)(GLenum(GL_TEXTURE_CUBE_MAP), GLenum(GL_TEXTURE_MIN_FILTER), GLint(GL_NEAREST));
    const GLint sampler = REC_GL_NAMED(r, glGetUniformLocation, "location")(Name{"program", program2d}, Text{"u_texture"});
    const GLint cube = REC_GL_NAMED(r, glGetUniformLocation, "location")(Name{"program", programCube}, Text{"u_cube"});
    for (int f = 1; f <= 3; ++f) {
        GL(glClearColor)(0.0f, 0.0f, 0.0f, 1.0f);
        GL(glClear)(GLbitfield(GL_COLOR_BUFFER_BIT));
        if (f == 2) {
            GL(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", t[0]});
            const std::vector<uint8_t> patch = Pattern(4 * 2 * 4, 99);
            r.TexSubImage2D(GL_TEXTURE_2D, 0, 2, 3, 4, 2, GL_RGBA, GL_UNSIGNED_BYTE, patch.data());
        }
        GL(glUseProgram)(Name{"program", program2d});
        for (int i = 0; i < 5; ++i) {
            GL(glActiveTexture)(GLenum(GL_TEXTURE0 + GLenum(i % 2)));
            GL(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", t[i]});
            GL(glUniform1i)(Loc{sampler}, i % 2);
            const float x = -1.0f + 0.66f * float(i % 3), y = i < 3 ? -1.0f : 0.0f;
            const std::vector<float> quad = Quad(x, y, x + 0.6f, y + 0.9f);
            r.VertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, quad.data());
            r.EnableVertexAttribArray(0);
            r.DrawArrays(GL_TRIANGLES, 0, 6);
        }
        GL(glUseProgram)(Name{"program", programCube});
        GL(glActiveTexture)(GLenum(GL_TEXTURE2));
        GL(glBindTexture)(GLenum(GL_TEXTURE_CUBE_MAP), Name{"texture", t[5]});
        GL(glUniform1i)(Loc{cube}, 2);
        const std::vector<float> quad = Quad(0.35f, 0.05f, 0.95f, 0.95f);
        r.VertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, quad.data());
        r.DrawArrays(GL_TRIANGLES, 0, 6);
        GL(glActiveTexture)(GLenum(GL_TEXTURE0));
        r.SwapBuffers(w.surface);
    }
}

// Vector arrays, matrices of every size and samplers.
void Uniforms(CRecorder& r)
{
    const SWindow w = Open(r, kW, kH);
    const char* vs = "attribute vec4 a_position;\nuniform mat2 u_m2;\nuniform mat3 u_m3;\nuniform mat4 u_m4;\n"
                     "void main() { vec2 p = u_m2 * a_position.xy; vec3 q = u_m3 * vec3(p, 1.0);\n"
                     "  gl_Position = u_m4 * vec4(q.xy, 0.0, 1.0); }\n";
    const char* fs = "precision mediump float;\nuniform vec2 u_v2[2];\nuniform vec3 u_v3[2];\nuniform vec4 u_v4[2];\n"
                     "uniform int u_i[2];\nuniform ivec3 u_iv3;\nuniform float u_f;\nuniform sampler2D u_texture;\n"
                     "void main() { vec4 t = texture2D(u_texture, vec2(0.5));\n"
                     "  gl_FragColor = vec4(u_v2[0].x + u_v2[1].y, u_v3[1].z, u_v4[1].w * u_f,\n"
                     "    float(u_i[0] + u_i[1] + u_iv3.y) / 8.0) * 0.5 + t * 0.5 + vec4(u_v3[0], 0.0) * 0.1 + u_v4[0] * 0.1; }\n";
    const GLuint program = Program(r, vs, fs, {"a_position"});
    GL(glUseProgram)(Name{"program", program});
    auto location = [&](const char* name) {
        return Loc{REC_GL_NAMED(r, glGetUniformLocation, "location")(Name{"program", program}, Text{name})};
    };
    const Loc m2 = location("u_m2"), m3 = location("u_m3"), m4 = location("u_m4"), v2 = location("u_v2"),
              v3 = location("u_v3"), v4 = location("u_v4"), iv = location("u_i"), iv3 = location("u_iv3"),
              f1 = location("u_f"), sampler = location("u_texture");
    GLuint texture = 0;
    GL(glGenTextures)(1, Array<GLuint>{&texture, 1, "texture"});
    GL(glActiveTexture)(GLenum(GL_TEXTURE3));
    GL(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", texture});
    const uint8_t pixel[] = {200, 40, 90, 255};
    r.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, GL_UNSIGNED_BYTE, pixel);
    GL(glTexParameteri)(GLenum(GL_TEXTURE_2D), GLenum(GL_TEXTURE_MIN_FILTER), GLint(GL_NEAREST));
    const GLint unit = 3;
    GL(glUniform1iv)(sampler, 1, Array<GLint>{&unit, 1});
    for (int f = 1; f <= 3; ++f) {
        GL(glClearColor)(0.0f, 0.0f, 0.0f, 1.0f);
        GL(glClear)(GLbitfield(GL_COLOR_BUFFER_BIT));
        const float s = 0.5f + 0.1f * f;
        const float mat2[] = {s, 0.1f, -0.1f, s};
        const float mat3[] = {1, 0, 0, 0, 1, 0, 0.05f * f, -0.05f, 1};
        const float mat4[] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0.02f * f, 0, 1};
        GL(glUniformMatrix2fv)(m2, 1, GLboolean(GL_FALSE), Array<float>{mat2, 4});
        GL(glUniformMatrix3fv)(m3, 1, GLboolean(GL_FALSE), Array<float>{mat3, 9});
        GL(glUniformMatrix4fv)(m4, 1, GLboolean(GL_FALSE), Array<float>{mat4, 16});
        const float vec2s[] = {0.1f * f, 0.2f, 0.3f, 0.4f}, vec3s[] = {0.5f, 0.6f, 0.7f, 0.8f, 0.9f, 0.25f * f};
        const float vec4s[] = {0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 1.0f};
        GL(glUniform2fv)(v2, 2, Array<float>{vec2s, 4});
        GL(glUniform3fv)(v3, 2, Array<float>{vec3s, 6});
        GL(glUniform4fv)(v4, 2, Array<float>{vec4s, 8});
        const GLint ints[] = {f, 2}, ivec3[] = {1, f, 3};
        GL(glUniform1iv)(iv, 2, Array<GLint>{ints, 2});
        GL(glUniform3iv)(iv3, 1, Array<GLint>{ivec3, 3});
        GL(glUniform1f)(f1, 0.3f * f);
        const std::vector<float> quad = Quad(-0.8f, -0.8f, 0.8f, 0.8f);
        r.VertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, quad.data());
        r.EnableVertexAttribArray(0);
        r.DrawArrays(GL_TRIANGLES, 0, 6);
        r.SwapBuffers(w.surface);
    }
}

// The program that draws a texture over a quad: a_position (vec2 or vec4), u_texture on unit 0.
GLuint TextureProgram(CRecorder& r)
{
    const char* vs = "attribute vec4 a_position;\nvarying vec2 v_uv;\n"
                     "void main() { gl_Position = a_position; v_uv = a_position.xy * 0.5 + 0.5; }\n";
    const char* fs = "precision mediump float;\nuniform sampler2D u_texture;\nvarying vec2 v_uv;\n"
                     "void main() { gl_FragColor = texture2D(u_texture, v_uv); }\n";
    return Program(r, vs, fs, {"a_position"});
}

// A texture rendered with a depth renderbuffer, then drawn to the default framebuffer.
void Fbo(CRecorder& r)
{
    const SWindow w = Open(r, kW, kH);
    const GLuint colorProgram = Program(r, kColorVertex, kColorFragment, {"a_position", "a_color"});
    const GLuint textureProgram = TextureProgram(r);
    GLuint texture = 0, renderbuffer = 0, framebuffer = 0;
    GL(glGenTextures)(1, Array<GLuint>{&texture, 1, "texture"});
    GL(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", texture});
    r.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 32, 32, GL_UNSIGNED_BYTE, nullptr);
    GL(glTexParameteri)(GLenum(GL_TEXTURE_2D), GLenum(GL_TEXTURE_MIN_FILTER), GLint(GL_NEAREST));
    GL(glTexParameteri)(GLenum(GL_TEXTURE_2D), GLenum(GL_TEXTURE_MAG_FILTER), GLint(GL_NEAREST));
    GL(glGenRenderbuffers)(1, Array<GLuint>{&renderbuffer, 1, "renderbuffer"});
    GL(glBindRenderbuffer)(GLenum(GL_RENDERBUFFER), Name{"renderbuffer", renderbuffer});
    GL(glRenderbufferStorage)(GLenum(GL_RENDERBUFFER), GLenum(GL_DEPTH_COMPONENT16), 32, 32);
    GL(glGenFramebuffers)(1, Array<GLuint>{&framebuffer, 1, "framebuffer"});
    GL(glBindFramebuffer)(GLenum(GL_FRAMEBUFFER), Name{"framebuffer", framebuffer});
    GL(glFramebufferTexture2D)(GLenum(GL_FRAMEBUFFER), GLenum(GL_COLOR_ATTACHMENT0), GLenum(GL_TEXTURE_2D),
                               Name{"texture", texture}, 0);
    GL(glFramebufferRenderbuffer)(GLenum(GL_FRAMEBUFFER), GLenum(GL_DEPTH_ATTACHMENT), GLenum(GL_RENDERBUFFER),
                                  Name{"renderbuffer", renderbuffer});
    GL(glBindFramebuffer)(GLenum(GL_FRAMEBUFFER), Name{"framebuffer", 0});
    for (int f = 1; f <= 3; ++f) {
        GL(glBindFramebuffer)(GLenum(GL_FRAMEBUFFER), Name{"framebuffer", framebuffer});
        GL(glViewport)(0, 0, 32, 32);
        GL(glEnable)(GLenum(GL_DEPTH_TEST));
        GL(glClearColor)(0.1f * f, 0.0f, 0.2f, 1.0f);
        GL(glClear)(GLbitfield(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT));
        GL(glUseProgram)(Name{"program", colorProgram});
        const float near[] = {-0.9f, -0.9f, -0.5f, 1, 0.9f, -0.9f, -0.5f, 1, 0, 0.9f, -0.5f, 1};
        const float far[] = {-0.9f, 0.9f, 0.5f, 1, 0.9f, 0.9f, 0.5f, 1, 0.2f * f, -0.9f, 0.5f, 1};
        r.VertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, 0, near);
        r.EnableVertexAttribArray(0);
        GL(glVertexAttrib4f)(GLuint(1), 1.0f, 0.8f, 0.0f, 1.0f);
        r.DrawArrays(GL_TRIANGLES, 0, 3);
        r.VertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, 0, far);
        GL(glVertexAttrib4f)(GLuint(1), 0.0f, 0.5f, 1.0f, 1.0f);
        r.DrawArrays(GL_TRIANGLES, 0, 3);  // behind the first: hidden where they overlap
        GL(glDisable)(GLenum(GL_DEPTH_TEST));
        GL(glBindFramebuffer)(GLenum(GL_FRAMEBUFFER), Name{"framebuffer", 0});
        GL(glViewport)(0, 0, GLsizei(kW), GLsizei(kH));
        GL(glClearColor)(0.3f, 0.3f, 0.3f, 1.0f);
        GL(glClear)(GLbitfield(GL_COLOR_BUFFER_BIT));
        GL(glUseProgram)(Name{"program", textureProgram});
        const std::vector<float> quad = Quad(-0.9f, -0.9f, 0.7f, 0.8f);
        r.VertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, quad.data());
        r.DrawArrays(GL_TRIANGLES, 0, 6);
        r.SwapBuffers(w.surface);
    }
}

// Frames 2 and on only sample what frame 1 made on the GPU: a frame restored alone must bring it back.
void SampleLater(CRecorder& r, const SWindow& w, GLuint textureProgram, int frame)
{
    GL(glViewport)(0, 0, GLsizei(kW), GLsizei(kH));
    GL(glClearColor)(0.3f, 0.3f, 0.1f * frame, 1.0f);
    GL(glClear)(GLbitfield(GL_COLOR_BUFFER_BIT));
    GL(glUseProgram)(Name{"program", textureProgram});
    const std::vector<float> quad = Quad(-0.9f + 0.1f * frame, -0.9f, 0.7f, 0.8f - 0.1f * frame);
    r.VertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, quad.data());
    r.EnableVertexAttribArray(0);
    r.DrawArrays(GL_TRIANGLES, 0, 6);
    r.SwapBuffers(w.surface);
}

// A texture drawn into through a framebuffer in frame 1 only, sampled in every frame.
void RenderLater(CRecorder& r)
{
    const SWindow w = Open(r, kW, kH);
    const GLuint textureProgram = TextureProgram(r);
    GLuint texture = 0, framebuffer = 0;
    GL(glGenTextures)(1, Array<GLuint>{&texture, 1, "texture"});
    GL(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", texture});
    r.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 32, 32, GL_UNSIGNED_BYTE, nullptr);
    GL(glTexParameteri)(GLenum(GL_TEXTURE_2D), GLenum(GL_TEXTURE_MIN_FILTER), GLint(GL_NEAREST));
    GL(glTexParameteri)(GLenum(GL_TEXTURE_2D), GLenum(GL_TEXTURE_MAG_FILTER), GLint(GL_NEAREST));
    GL(glGenFramebuffers)(1, Array<GLuint>{&framebuffer, 1, "framebuffer"});
    GL(glBindFramebuffer)(GLenum(GL_FRAMEBUFFER), Name{"framebuffer", framebuffer});
    GL(glFramebufferTexture2D)(GLenum(GL_FRAMEBUFFER), GLenum(GL_COLOR_ATTACHMENT0), GLenum(GL_TEXTURE_2D),
                               Name{"texture", texture}, 0);
    GL(glViewport)(0, 0, 32, 32);
    GL(glClearColor)(0.8f, 0.1f, 0.2f, 1.0f);
    GL(glClear)(GLbitfield(GL_COLOR_BUFFER_BIT));
    const GLuint colorProgram = Program(r, kColorVertex, kColorFragment, {"a_position", "a_color"});
    GL(glUseProgram)(Name{"program", colorProgram});
    ColorQuad(r, Quad(-0.5f, -0.7f, 0.6f, 0.4f), 0.1f, 0.9f, 0.3f);
    GL(glBindFramebuffer)(GLenum(GL_FRAMEBUFFER), Name{"framebuffer", 0});
    for (int f = 1; f <= 3; ++f)
        SampleLater(r, w, textureProgram, f);
}

// A texture copied from the window in frame 1 (a whole image, then part of it again), sampled in every
// frame.
void CopyLater(CRecorder& r)
{
    const SWindow w = Open(r, kW, kH);
    const GLuint textureProgram = TextureProgram(r);
    const GLuint colorProgram = Program(r, kColorVertex, kColorFragment, {"a_position", "a_color"});
    GL(glViewport)(0, 0, GLsizei(kW), GLsizei(kH));
    GL(glClearColor)(0.1f, 0.2f, 0.7f, 1.0f);
    GL(glClear)(GLbitfield(GL_COLOR_BUFFER_BIT));
    GL(glUseProgram)(Name{"program", colorProgram});
    ColorQuad(r, Quad(-0.8f, -0.6f, 0.2f, 0.5f), 0.9f, 0.7f, 0.1f);
    GLuint texture = 0;
    GL(glGenTextures)(1, Array<GLuint>{&texture, 1, "texture"});
    GL(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", texture});
    GL(glTexParameteri)(GLenum(GL_TEXTURE_2D), GLenum(GL_TEXTURE_MIN_FILTER), GLint(GL_NEAREST));
    GL(glTexParameteri)(GLenum(GL_TEXTURE_2D), GLenum(GL_TEXTURE_MAG_FILTER), GLint(GL_NEAREST));
    GL(glCopyTexImage2D)(GLenum(GL_TEXTURE_2D), 0, GLenum(GL_RGB), 0, 0, 32, 32, 0);
    ColorQuad(r, Quad(0.0f, 0.0f, 0.9f, 0.9f), 0.2f, 0.9f, 0.9f);
    GL(glCopyTexSubImage2D)(GLenum(GL_TEXTURE_2D), 0, 16, 16, 40, 30, 16, 16);
    for (int f = 1; f <= 3; ++f)
        SampleLater(r, w, textureProgram, f);
}

// Levels made by glGenerateMipmap in frame 1 and sampled through a mipmap filter in every frame; in
// frame 2 level 0 changes but the levels are not made again, so they still show the first pattern.
void MipmapLater(CRecorder& r)
{
    const SWindow w = Open(r, kW, kH);
    const GLuint textureProgram = TextureProgram(r);
    GLuint texture = 0;
    GL(glGenTextures)(1, Array<GLuint>{&texture, 1, "texture"});
    GL(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", texture});
    const std::vector<uint8_t> pixels = Pattern(64 * 64 * 4, 7);
    r.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 64, 64, GL_UNSIGNED_BYTE, pixels.data());
    GL(glTexParameteri)(GLenum(GL_TEXTURE_2D), GLenum(GL_TEXTURE_MIN_FILTER), GLint(GL_LINEAR_MIPMAP_LINEAR));
    GL(glGenerateMipmap)(GLenum(GL_TEXTURE_2D));
    for (int f = 1; f <= 3; ++f) {
        GL(glViewport)(0, 0, GLsizei(kW), GLsizei(kH));
        GL(glClearColor)(0.2f, 0.1f * f, 0.3f, 1.0f);
        GL(glClear)(GLbitfield(GL_COLOR_BUFFER_BIT));
        if (f == 2) {
            const std::vector<uint8_t> white(64 * 64 * 4, 0xFF);
            r.TexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 64, 64, GL_RGBA, GL_UNSIGNED_BYTE, white.data());
        }
        GL(glUseProgram)(Name{"program", textureProgram});
        // Small on the surface: the host samples the generated levels.
        const std::vector<float> quad = Quad(-0.3f + 0.1f * f, -0.3f, 0.0f + 0.1f * f, 0.1f);
        r.VertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, quad.data());
        r.EnableVertexAttribArray(0);
        r.DrawArrays(GL_TRIANGLES, 0, 6);
        r.SwapBuffers(w.surface);
    }
}

// A texture uploaded in frame 1 and sampled in every frame, drawn into through a framebuffer in frame 3
// only: frame 3 starts with the upload, frame 4 with what the GPU drew over it. Frame 2 after frame 3
// on one analysis must get the upload back.
void DrawnLater(CRecorder& r)
{
    const SWindow w = Open(r, kW, kH);
    const GLuint textureProgram = TextureProgram(r);
    const GLuint colorProgram = Program(r, kColorVertex, kColorFragment, {"a_position", "a_color"});
    GLuint texture = 0, framebuffer = 0;
    GL(glGenTextures)(1, Array<GLuint>{&texture, 1, "texture"});
    GL(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", texture});
    const std::vector<uint8_t> pixels = Pattern(32 * 32 * 4, 5);
    r.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 32, 32, GL_UNSIGNED_BYTE, pixels.data());
    GL(glTexParameteri)(GLenum(GL_TEXTURE_2D), GLenum(GL_TEXTURE_MIN_FILTER), GLint(GL_NEAREST));
    GL(glTexParameteri)(GLenum(GL_TEXTURE_2D), GLenum(GL_TEXTURE_MAG_FILTER), GLint(GL_NEAREST));
    GL(glGenFramebuffers)(1, Array<GLuint>{&framebuffer, 1, "framebuffer"});
    GL(glBindFramebuffer)(GLenum(GL_FRAMEBUFFER), Name{"framebuffer", framebuffer});
    GL(glFramebufferTexture2D)(GLenum(GL_FRAMEBUFFER), GLenum(GL_COLOR_ATTACHMENT0), GLenum(GL_TEXTURE_2D),
                               Name{"texture", texture}, 0);
    GL(glBindFramebuffer)(GLenum(GL_FRAMEBUFFER), Name{"framebuffer", 0});
    for (int f = 1; f <= 4; ++f) {
        if (f == 3) {
            GL(glBindFramebuffer)(GLenum(GL_FRAMEBUFFER), Name{"framebuffer", framebuffer});
            GL(glViewport)(0, 0, 32, 32);
            GL(glUseProgram)(Name{"program", colorProgram});
            ColorQuad(r, Quad(-0.5f, -0.7f, 0.6f, 0.4f), 0.1f, 0.9f, 0.3f);
            GL(glBindFramebuffer)(GLenum(GL_FRAMEBUFFER), Name{"framebuffer", 0});
        }
        SampleLater(r, w, textureProgram, f);
    }
}

// Separate blend factors, depth, front and back stencil, scissor, polygon offset, colour mask, culling.
void State(CRecorder& r)
{
    const SWindow w = Open(r, kW, kH);
    const GLuint program = Program(r, kColorVertex, kColorFragment, {"a_position", "a_color"});
    GL(glUseProgram)(Name{"program", program});
    for (int f = 1; f <= 3; ++f) {
        // The frame before left the scissor test on: the clear covers the whole surface all the same
        // (a replay starts from no earlier pixels).
        GL(glDisable)(GLenum(GL_SCISSOR_TEST));
        GL(glClearColor)(0.2f, 0.2f, 0.2f, 0.5f);
        GL(glClearDepthf)(1.0f);
        GL(glClearStencil)(1);
        GL(glClear)(GLbitfield(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT));
        GL(glEnable)(GLenum(GL_STENCIL_TEST));
        GL(glStencilFuncSeparate)(GLenum(GL_FRONT), GLenum(GL_ALWAYS), 2 + f, GLuint(0xFF));
        GL(glStencilFuncSeparate)(GLenum(GL_BACK), GLenum(GL_EQUAL), 1, GLuint(0x0F));
        GL(glStencilOpSeparate)(GLenum(GL_FRONT), GLenum(GL_KEEP), GLenum(GL_INCR), GLenum(GL_REPLACE));
        GL(glStencilOpSeparate)(GLenum(GL_BACK), GLenum(GL_ZERO), GLenum(GL_KEEP), GLenum(GL_INVERT));
        GL(glStencilMaskSeparate)(GLenum(GL_FRONT), GLuint(0xF0 | f));
        GL(glStencilMaskSeparate)(GLenum(GL_BACK), GLuint(0x3C));
        GL(glEnable)(GLenum(GL_DEPTH_TEST));
        GL(glDepthFunc)(GLenum(GL_LEQUAL));
        GL(glDepthRangef)(0.1f, 0.9f);
        GL(glEnable)(GLenum(GL_POLYGON_OFFSET_FILL));
        GL(glPolygonOffset)(1.5f, 2.0f);
        GL(glEnable)(GLenum(GL_BLEND));
        GL(glBlendFuncSeparate)(GLenum(GL_SRC_ALPHA), GLenum(GL_ONE_MINUS_SRC_ALPHA), GLenum(GL_ONE), GLenum(GL_ZERO));
        GL(glBlendEquationSeparate)(GLenum(GL_FUNC_ADD), GLenum(GL_FUNC_REVERSE_SUBTRACT));
        GL(glBlendColor)(0.1f, 0.2f, 0.3f, 0.4f);
        GL(glEnable)(GLenum(GL_CULL_FACE));
        GL(glCullFace)(GLenum(GL_BACK));
        GL(glFrontFace)(GLenum(f == 2 ? GL_CW : GL_CCW));
        GL(glEnable)(GLenum(GL_SCISSOR_TEST));
        GL(glScissor)(4, 2, 50, 40);
        ColorQuad(r, Quad(-0.9f, -0.9f, 0.5f, 0.5f), 1.0f, 0.0f, 0.0f, 0.6f);
        GL(glColorMask)(GLboolean(GL_TRUE), GLboolean(f != 3), GLboolean(GL_TRUE), GLboolean(GL_FALSE));
        GL(glDepthMask)(GLboolean(GL_FALSE));
        // Clockwise quad: culled unless the front face is clockwise.
        const std::vector<float> cw = {-0.5f, -0.5f, -0.5f, 0.9f, 0.9f, 0.9f, -0.5f, -0.5f, 0.9f, 0.9f, 0.9f, -0.5f};
        ColorQuad(r, cw, 0.0f, 1.0f, 0.5f, 0.5f);
        // Leaves the state for the next frame's start different from the first frame's.
        GL(glColorMask)(GLboolean(GL_TRUE), GLboolean(GL_TRUE), GLboolean(GL_TRUE), GLboolean(GL_TRUE));
        GL(glDepthMask)(GLboolean(GL_TRUE));
        GL(glHint)(GLenum(GL_GENERATE_MIPMAP_HINT), GLenum(f == 1 ? GL_NICEST : GL_FASTEST));
        GL(glSampleCoverage)(0.25f * f, GLboolean(f == 2));
        r.PixelStorei(GL_PACK_ALIGNMENT, 1 << f);
        r.SwapBuffers(w.surface);
    }
}

// Objects made in frame 1, changed in 2, deleted in 3; a shader re-sourced under its name and its
// program relinked.
void Multi(CRecorder& r)
{
    const SWindow w = Open(r, kW, kH);
    const char* vs = "attribute vec4 a_position;\nvarying vec2 v_uv;\n"
                     "void main() { gl_Position = a_position; v_uv = a_position.xy * 0.5 + 0.5; }\n";
    const char* fsTexture = "precision mediump float;\nuniform sampler2D u_texture;\nvarying vec2 v_uv;\n"
                            "void main() { gl_FragColor = texture2D(u_texture, v_uv); }\n";
    const char* fsTinted = "precision mediump float;\nuniform sampler2D u_texture;\nvarying vec2 v_uv;\n"
                           "void main() { gl_FragColor = texture2D(u_texture, v_uv).bgra * vec4(1.0, 0.5, 1.0, 1.0); }\n";
    const GLuint vertex = REC_GL_NAMED(r, glCreateShader, "shader")(GLenum(GL_VERTEX_SHADER));
    r.ShaderSource(vertex, {vs});
    GL(glCompileShader)(Name{"shader", vertex});
    const GLuint fragment = REC_GL_NAMED(r, glCreateShader, "shader")(GLenum(GL_FRAGMENT_SHADER));
    r.ShaderSource(fragment, {"precision mediump float;\n", fsTexture + 25});  // in two parts
    GL(glCompileShader)(Name{"shader", fragment});
    const GLuint program = REC_GL_NAMED(r, glCreateProgram, "program")();
    GL(glAttachShader)(Name{"program", program}, Name{"shader", vertex});
    GL(glAttachShader)(Name{"program", program}, Name{"shader", fragment});
    GL(glBindAttribLocation)(Name{"program", program}, GLuint(3), Text{"a_position"});
    GL(glLinkProgram)(Name{"program", program});
    GL(glUseProgram)(Name{"program", program});
    GLuint textures[2] = {}, buffer = 0;
    GL(glGenTextures)(2, Array<GLuint>{textures, 2, "texture"});
    for (int i = 0; i < 2; ++i) {
        GL(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", textures[i]});
        const std::vector<uint8_t> pixels = Pattern(4 * 4 * 4, 40 + i);
        r.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 4, 4, GL_UNSIGNED_BYTE, pixels.data());
        GL(glTexParameteri)(GLenum(GL_TEXTURE_2D), GLenum(GL_TEXTURE_MIN_FILTER), GLint(GL_NEAREST));
    }
    GL(glGenBuffers)(1, Array<GLuint>{&buffer, 1, "buffer"});
    const std::vector<float> quad = Quad(-0.8f, -0.8f, 0.8f, 0.8f);
    r.BindBuffer(GL_ARRAY_BUFFER, buffer);
    GL(glBufferData)(GLenum(GL_ARRAY_BUFFER), GLsizeiptr(quad.size() * 4), Bytes{quad.data(), quad.size() * 4},
                     GLenum(GL_DYNAMIC_DRAW));
    r.VertexAttribPointer(3, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
    r.EnableVertexAttribArray(3);
    for (int f = 1; f <= 3; ++f) {
        if (f == 2) {
            GL(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", textures[0]});
            const std::vector<uint8_t> patch = Pattern(2 * 2 * 4, 77);
            r.TexSubImage2D(GL_TEXTURE_2D, 0, 1, 1, 2, 2, GL_RGBA, GL_UNSIGNED_BYTE, patch.data());
            const float moved[] = {-0.6f, -0.9f, 0.9f, -0.9f};
            GL(glBufferSubData)(GLenum(GL_ARRAY_BUFFER), GLintptr(0), GLsizeiptr(sizeof moved), Bytes{moved, sizeof moved});
            r.ShaderSource(fragment, {fsTinted});
            GL(glCompileShader)(Name{"shader", fragment});
            GL(glLinkProgram)(Name{"program", program});
        }
        if (f == 3) {
            GL(glDeleteTextures)(1, Array<GLuint>{&textures[0], 1, "texture"});
            GL(glDeleteShader)(Name{"shader", fragment});
        }
        GL(glClearColor)(0.0f, 0.1f * f, 0.0f, 1.0f);
        GL(glClear)(GLbitfield(GL_COLOR_BUFFER_BIT));
        GL(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", textures[f == 3 ? 1 : 0]});
        r.DrawArrays(GL_TRIANGLES, 0, 6);
        if (f == 3) {
            GL(glDeleteBuffers)(1, Array<GLuint>{&buffer, 1, "buffer"});
            GL(glDeleteProgram)(Name{"program", program});
        }
        r.SwapBuffers(w.surface);
    }
}

// One state-changing call recorded with a GL error (frame 2): nothing may take it.
void Error(CRecorder& r)
{
    const SWindow w = Open(r, kW, kH);
    const GLuint program = Program(r, kColorVertex, kColorFragment, {"a_position", "a_color"});
    GL(glUseProgram)(Name{"program", program});
    GL(glEnable)(GLenum(GL_BLEND));
    GL(glBlendFunc)(GLenum(GL_SRC_ALPHA), GLenum(GL_ONE_MINUS_SRC_ALPHA));
    for (int f = 1; f <= 3; ++f) {
        GL(glClearColor)(0.0f, 0.0f, 0.3f, 1.0f);
        GL(glClear)(GLbitfield(GL_COLOR_BUFFER_BIT));
        if (f == 2)
            GL(glBlendFunc)(GLenum(GL_ONE), GLenum(0x1234));  // GL_INVALID_ENUM: the blend stays
        ColorQuad(r, Quad(-0.7f, -0.7f, 0.7f, 0.7f), 1.0f, 0.5f, 0.0f, 0.5f);
        r.SwapBuffers(w.surface);
    }
}

// Two window surfaces on one display, current in turn.
void TwoSurfaces(CRecorder& r)
{
    r.Initialize();
    const EGLContext context = r.CreateContext();
    const EGLSurface a = r.CreateWindowSurface(0x55, kW, kH);
    const EGLSurface b = r.CreateWindowSurface(0x56, 40, 32);
    r.MakeCurrent(a, context);
    const GLuint program = Program(r, kColorVertex, kColorFragment, {"a_position", "a_color"});
    GL(glUseProgram)(Name{"program", program});
    for (int f = 1; f <= 4; ++f) {
        const bool first = f % 2 == 1;
        if (f > 1)
            r.MakeCurrent(first ? a : b, context);
        GL(glViewport)(0, 0, GLsizei(first ? kW : 40), GLsizei(first ? kH : 32));
        GL(glClearColor)(first ? 0.5f : 0.0f, 0.2f, first ? 0.0f : 0.6f, 1.0f);
        GL(glClear)(GLbitfield(GL_COLOR_BUFFER_BIT));
        ColorQuad(r, Quad(-0.5f, -0.5f, 0.2f * f, 0.5f), 1.0f, 1.0f, 1.0f);
        r.SwapBuffers(first ? a : b);
    }
}

// Full-screen opaque quads over black, four a frame.
void Overdraw(CRecorder& r)
{
    const SWindow w = Open(r, kW, kH);
    const GLuint program = Program(r, kColorVertex, kColorFragment, {"a_position", "a_color"});
    GL(glUseProgram)(Name{"program", program});
    const std::vector<float> full = Quad(-1, -1, 1, 1);
    for (int f = 1; f <= 3; ++f) {
        GL(glClearColor)(0.0f, 0.0f, 0.0f, 1.0f);
        GL(glClear)(GLbitfield(GL_COLOR_BUFFER_BIT));
        for (int q = 0; q < 4; ++q)
            ColorQuad(r, full, 0.2f * q, 0.1f * f, 1.0f - 0.2f * q);
        r.SwapBuffers(w.surface);
    }
}

// Opaque quads at separate, known places, depth test off.
void Quads(CRecorder& r)
{
    const SWindow w = Open(r, kW, kH);
    const GLuint program = Program(r, kColorVertex, kColorFragment, {"a_position", "a_color"});
    GL(glUseProgram)(Name{"program", program});
    for (int f = 1; f <= 3; ++f) {
        GL(glClearColor)(0.1f, 0.1f, 0.1f, 1.0f);
        GL(glClear)(GLbitfield(GL_COLOR_BUFFER_BIT));
        ColorQuad(r, Quad(-1.0f, -1.0f, -0.5f, -0.5f), 1.0f, 0.0f, 0.0f);
        ColorQuad(r, Quad(0.5f, -1.0f, 1.0f, -0.5f), 0.0f, 0.0f, 1.0f);
        ColorQuad(r, Quad(-1.0f, 0.5f, -0.5f, 1.0f), 1.0f, 1.0f, 0.0f);
        ColorQuad(r, Quad(0.5f, 0.5f, 1.0f, 1.0f), 0.2f * f, 0.8f, 0.8f);
        r.SwapBuffers(w.surface);
    }
}

// The current context destroyed in frame 2 (EGL keeps it until it is released: the draw after the
// destroy still goes to it), and a new context made current a few calls later, which hands out the
// same names again. The new context sets every state the frames use (the tracked state is one for
// all contexts).
void ContextSwitch(CRecorder& r)
{
    const SWindow w = Open(r, kW, kH);
    GLuint program = Program(r, kColorVertex, kColorFragment, {"a_position", "a_color"});
    GL(glUseProgram)(Name{"program", program});
    for (int f = 1; f <= 3; ++f) {
        GL(glClearColor)(0.1f * f, 0.3f, 0.2f, 1.0f);
        GL(glClear)(GLbitfield(GL_COLOR_BUFFER_BIT));
        if (f == 2) {
            r.DestroyContext(w.context);
            ColorQuad(r, Quad(0.2f, -0.9f, 0.9f, -0.2f), 0.2f, 0.4f, 1.0f);
            const EGLContext next = r.CreateContext();
            r.MakeCurrent(w.surface, next);
            GL(glViewport)(0, 0, GLsizei(kW), GLsizei(kH));
            GL(glClearColor)(0.1f * f, 0.3f, 0.2f, 1.0f);
            program = Program(r, kColorVertex, kColorFragment, {"a_position", "a_color"});
            GL(glUseProgram)(Name{"program", program});
        }
        ColorQuad(r, Quad(-0.6f, -0.5f, 0.1f * f, 0.6f), 0.9f, 0.8f, 0.1f * f);
        r.SwapBuffers(w.surface);
    }
}

// A context made without a config (EGL_KHR_no_config_context), drawn with through a window surface,
// then a pbuffer (frame 2, its image the pbuffer's), then the window again.
void NoConfigContext(CRecorder& r)
{
    r.Initialize();
    const EGLContext context = r.CreateContext(false);
    const EGLSurface window = r.CreateWindowSurface(0x55, kW, kH);
    r.MakeCurrent(window, context);
    const GLuint program = Program(r, kColorVertex, kColorFragment, {"a_position", "a_color"});
    GL(glUseProgram)(Name{"program", program});
    EGLSurface pbuffer = EGL_NO_SURFACE;
    for (int f = 1; f <= 3; ++f) {
        if (f == 2) {
            pbuffer = r.CreatePbufferSurface(40, 32);
            r.MakeCurrent(pbuffer, context);
        } else if (f == 3) {
            r.MakeCurrent(window, context);
        }
        const bool onPbuffer = f == 2;
        GL(glViewport)(0, 0, GLsizei(onPbuffer ? 40 : kW), GLsizei(onPbuffer ? 32 : kH));
        GL(glClearColor)(0.3f, 0.1f * f, onPbuffer ? 0.7f : 0.2f, 1.0f);
        GL(glClear)(GLbitfield(GL_COLOR_BUFFER_BIT));
        ColorQuad(r, Quad(-0.7f, -0.6f, 0.2f * f, 0.5f), 0.9f, 0.5f, 0.1f * f);
        r.SwapBuffers(onPbuffer ? pbuffer : window);
    }
}

// A start-up made current without surfaces (EGL_KHR_surfaceless_context) that asks glGetString and
// builds its program there, as compositors do before their first output; each later frame starts
// surfaceless again, asks again and uploads a texture before making its window current.
void Surfaceless(CRecorder& r)
{
    r.Initialize();
    const EGLContext context = r.CreateContext();
    r.MakeCurrent(EGL_NO_SURFACE, context);
    r.GetString(GL_VERSION);
    r.GetString(GL_EXTENSIONS);
    const GLuint program = Program(r, kColorVertex, kColorFragment, {"a_position", "a_color"});
    const EGLSurface window = r.CreateWindowSurface(0x55, kW, kH);
    GLuint texture = 0;
    GL(glGenTextures)(1, Array<GLuint>{&texture, 1, "texture"});
    for (int f = 1; f <= 3; ++f) {
        if (f > 1) {
            r.MakeCurrent(EGL_NO_SURFACE, context);
            r.GetString(GL_RENDERER);
        }
        GL(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", texture});
        const std::vector<uint8_t> pixels = Pattern(8 * 8 * 4, f);
        r.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 8, 8, GL_UNSIGNED_BYTE, pixels.data());
        r.MakeCurrent(window, context);
        GL(glViewport)(0, 0, GLsizei(kW), GLsizei(kH));
        GL(glUseProgram)(Name{"program", program});
        GL(glClearColor)(0.1f * f, 0.4f, 0.3f, 1.0f);
        GL(glClear)(GLbitfield(GL_COLOR_BUFFER_BIT));
        ColorQuad(r, Quad(-0.5f, -0.8f, 0.25f * f, 0.4f), 0.2f, 0.9f, 0.4f);
        r.SwapBuffers(window);
    }
}

// A display got as through eglGetPlatformDisplayEXT: the trace holds no eglGetDisplay.
void PlatformDisplay(CRecorder& r)
{
    const SWindow w = Open(r, kW, kH, 0x55, false);
    const GLuint program = Program(r, kColorVertex, kColorFragment, {"a_position", "a_color"});
    GL(glUseProgram)(Name{"program", program});
    for (int f = 1; f <= 3; ++f) {
        GL(glClearColor)(0.2f, 0.1f * f, 0.5f, 1.0f);
        GL(glClear)(GLbitfield(GL_COLOR_BUFFER_BIT));
        ColorQuad(r, Quad(-0.4f * f, -0.5f, 0.5f, 0.3f * f), 0.1f, 0.9f, 0.6f);
        r.SwapBuffers(w.surface);
    }
}

// A cube's 8 corners and 36 indices in two buffers made for them (left bound).
void CubeBuffers(CRecorder& r, GLuint (&buffers)[2])
{
    const float corners[] = {-1, -1, -1, 1, -1, -1, 1, 1, -1, -1, 1, -1, -1, -1, 1, 1, -1, 1, 1, 1, 1, -1, 1, 1};
    const uint16_t cube[] = {0, 1, 2, 0, 2, 3, 4, 6, 5, 4, 7, 6, 0, 4, 5, 0, 5, 1,
                             3, 2, 6, 3, 6, 7, 1, 5, 6, 1, 6, 2, 0, 3, 7, 0, 7, 4};
    GL(glGenBuffers)(2, Array<GLuint>{buffers, 2, "buffer"});
    r.BindBuffer(GL_ARRAY_BUFFER, buffers[0]);
    GL(glBufferData)(GLenum(GL_ARRAY_BUFFER), GLsizeiptr(sizeof corners), Bytes{corners, sizeof corners},
                     GLenum(GL_STATIC_DRAW));
    r.BindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers[1]);
    GL(glBufferData)(GLenum(GL_ELEMENT_ARRAY_BUFFER), GLsizeiptr(sizeof cube), Bytes{cube, sizeof cube},
                     GLenum(GL_STATIC_DRAW));
}

// A grid of small cubes turned with the frame, each drawn with its own matrix, the colour set every
// fourth draw (red rising, blue falling along the grid).
struct SCubeGrid
{
    int count, perRow;
    float red, redStep, green, blueStep;
    float spin, size, x0, dx, y0, dy, depthStep;
};

void DrawCubeGrid(CRecorder& r, const GLuint (&buffers)[2], const Loc& color, const Loc& matrix, int f,
                  const SCubeGrid& g)
{
    r.BindBuffer(GL_ARRAY_BUFFER, buffers[0]);
    r.VertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 0, nullptr);
    r.EnableVertexAttribArray(0);
    r.BindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers[1]);
    for (int d = 0; d < g.count; ++d) {
        if (d % 4 == 0)
            GL(glUniform4f)(color, g.red + g.redStep * d, g.green, 1.0f - g.blueStep * d, 1.0f);
        const float angle = g.spin * float(f) + 0.1f * float(d);
        const float c = std::cos(angle) * g.size, s = std::sin(angle) * g.size;
        const float x = g.x0 + g.dx * float(d % g.perRow), y = g.y0 + g.dy * float(d / g.perRow);
        const float m[16] = {c, s, 0, 0, -s, c, 0, 0, 0, 0, g.size, 0, x, y, 0.5f - g.depthStep * d, 1};
        GL(glUniformMatrix4fv)(matrix, 1, GLboolean(GL_FALSE), Array<float>{m, 16});
        r.DrawElements(GL_TRIANGLES, 36, GL_UNSIGNED_SHORT, nullptr);
    }
}

// The benchmark workload: 800 x 600, 60 frames of about 474 calls and 200 indexed draws from buffers,
// each with a 4 x 4 matrix of its own.
void Mix(CRecorder& r)
{
    const SWindow w = Open(r, 800, 600);
    const char* vs = "attribute vec4 a_position;\nuniform mat4 u_matrix;\nvarying vec3 v_p;\n"
                     "void main() { gl_Position = u_matrix * a_position; v_p = a_position.xyz; }\n";
    const char* fs = "precision mediump float;\nuniform vec4 u_color;\nvarying vec3 v_p;\n"
                     "void main() { gl_FragColor = u_color * (0.6 + 0.4 * v_p.z); }\n";
    const GLuint program = Program(r, vs, fs, {"a_position"});
    const Loc matrix{REC_GL_NAMED(r, glGetUniformLocation, "location")(Name{"program", program}, Text{"u_matrix"})};
    const Loc color{REC_GL_NAMED(r, glGetUniformLocation, "location")(Name{"program", program}, Text{"u_color"})};
    GLuint buffers[2] = {};
    CubeBuffers(r, buffers);
    for (int f = 1; f <= 60; ++f) {
        GL(glViewport)(0, 0, 800, 600);
        GL(glClearColor)(0.05f, 0.05f, 0.1f, 1.0f);
        GL(glClearDepthf)(1.0f);
        GL(glClear)(GLbitfield(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT));
        GL(glEnable)(GLenum(GL_DEPTH_TEST));
        GL(glUseProgram)(Name{"program", program});
        DrawCubeGrid(r, buffers, color, matrix, f, {200, 20, 0.3f, 0.003f, 0.5f, 0.004f, 0.02f, 0.04f, -0.95f, 0.1f, -0.9f, 0.18f, 0.002f});
        GL(glDisable)(GLenum(GL_DEPTH_TEST));
        r.SwapBuffers(w.surface);
    }
}

// Bytes no compressor shrinks, as photographs and compressed texture formats are.
std::vector<uint8_t> Noise(size_t bytes, uint32_t seed)
{
    std::vector<uint8_t> v(bytes);
    uint32_t x = seed * 2654435761u + 1;
    for (uint8_t& b : v) {
        x ^= x << 13, x ^= x >> 17, x ^= x << 5;
        b = uint8_t(x >> 7);
    }
    return v;
}

// The cold-load workload, shaped as a real recording: 800 x 600, 600 small setup calls, then 160
// frames of about 230 calls and 96 textured draws, a new 1024 x 1024 RGBA texture image every 16th
// frame (a trace of about 340 MB with the frame images).
void Long(CRecorder& r)
{
    const SWindow w = Open(r, 800, 600);
    const char* vs = "attribute vec4 a_position;\nuniform mat4 u_matrix;\nvarying vec3 v_p;\n"
                     "void main() { gl_Position = u_matrix * a_position; v_p = a_position.xyz; }\n";
    const char* fs = "precision mediump float;\nuniform vec4 u_color;\nuniform sampler2D u_texture;\n"
                     "varying vec3 v_p;\n"
                     "void main() { gl_FragColor = u_color * texture2D(u_texture, v_p.xy * 0.5 + 0.5); }\n";
    const GLuint program = Program(r, vs, fs, {"a_position"});
    GL(glUseProgram)(Name{"program", program});
    const Loc matrix{REC_GL_NAMED(r, glGetUniformLocation, "location")(Name{"program", program}, Text{"u_matrix"})};
    const Loc color{REC_GL_NAMED(r, glGetUniformLocation, "location")(Name{"program", program}, Text{"u_color"})};
    const Loc sampler{REC_GL_NAMED(r, glGetUniformLocation, "location")(Name{"program", program}, Text{"u_texture"})};
    GL(glUniform1i)(sampler, 0);
    GLuint buffers[2] = {};
    CubeBuffers(r, buffers);
    // Setup as an application's start-up is: many small state calls on its textures.
    GLuint textures[4] = {};
    GL(glGenTextures)(4, Array<GLuint>{textures, 4, "texture"});
    for (int i = 0; i < 150; ++i) {
        GL(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", textures[i % 4]});
        GL(glTexParameteri)(GLenum(GL_TEXTURE_2D), GLenum(GL_TEXTURE_MIN_FILTER), GLint(GL_LINEAR));
        GL(glTexParameteri)(GLenum(GL_TEXTURE_2D), GLenum(GL_TEXTURE_WRAP_S), GLint(GL_CLAMP_TO_EDGE));
        GL(glTexParameteri)(GLenum(GL_TEXTURE_2D), GLenum(GL_TEXTURE_WRAP_T), GLint(GL_CLAMP_TO_EDGE));
    }
    for (int f = 1; f <= 160; ++f) {
        GL(glViewport)(0, 0, 800, 600);
        GL(glClearColor)(0.05f, 0.05f, 0.1f, 1.0f);
        GL(glClear)(GLbitfield(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT));
        GL(glEnable)(GLenum(GL_DEPTH_TEST));
        GL(glUseProgram)(Name{"program", program});
        GL(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", textures[(f / 16) % 4]});
        if (f % 16 == 1) {
            const std::vector<uint8_t> pixels = Noise(1024 * 1024 * 4, uint32_t(f));
            r.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1024, 1024, GL_UNSIGNED_BYTE, pixels.data());
        }
        DrawCubeGrid(r, buffers, color, matrix, f, {96, 12, 0.5f, 0.005f, 0.8f, 0.005f, 0.03f, 0.06f, -0.9f, 0.15f, -0.85f, 0.22f, 0.004f});
        GL(glDisable)(GLenum(GL_DEPTH_TEST));
        r.SwapBuffers(w.surface);
    }
}

// A 2D renderer's sprites, as a software-side sprite batcher draws them: 800 x 600, 60 frames of 120
// textured quads, each from a client array of its own (x, y, u, v interleaved, stride 16) pointed at
// just before its draw, the colour set every eighth draw.
void Sprites(CRecorder& r)
{
    const SWindow w = Open(r, 800, 600);
    const char* vs = "attribute vec2 a_position;\nattribute vec2 a_texcoord;\nvarying vec2 v_uv;\n"
                     "void main() { gl_Position = vec4(a_position, 0.0, 1.0); v_uv = a_texcoord; }\n";
    const char* fs = "precision mediump float;\nuniform vec4 u_color;\nuniform sampler2D u_texture;\n"
                     "varying vec2 v_uv;\nvoid main() { gl_FragColor = u_color * texture2D(u_texture, v_uv); }\n";
    const GLuint program = Program(r, vs, fs, {"a_position", "a_texcoord"});
    GL(glUseProgram)(Name{"program", program});
    const Loc color{REC_GL_NAMED(r, glGetUniformLocation, "location")(Name{"program", program}, Text{"u_color"})};
    GLuint texture = 0;
    GL(glGenTextures)(1, Array<GLuint>{&texture, 1, "texture"});
    GL(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", texture});
    const std::vector<uint8_t> pixels = Pattern(32 * 32 * 4, 7);
    r.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 32, 32, GL_UNSIGNED_BYTE, pixels.data());
    GL(glTexParameteri)(GLenum(GL_TEXTURE_2D), GLenum(GL_TEXTURE_MIN_FILTER), GLint(GL_LINEAR));
    GL(glEnable)(GLenum(GL_BLEND));
    GL(glBlendFunc)(GLenum(GL_SRC_ALPHA), GLenum(GL_ONE_MINUS_SRC_ALPHA));
    std::vector<float> vertices(120 * 16);
    for (int f = 1; f <= 60; ++f) {
        GL(glViewport)(0, 0, 800, 600);
        GL(glClearColor)(0.1f, 0.1f, 0.15f, 1.0f);
        GL(glClear)(GLbitfield(GL_COLOR_BUFFER_BIT));
        for (int d = 0; d < 120; ++d) {
            float* v = &vertices[size_t(d) * 16];
            SpriteQuad(f, d, v);
            if (d % 8 == 0)
                GL(glUniform4f)(color, 0.5f + 0.004f * d, 0.9f - 0.005f * d, 0.6f, 0.9f);
            r.VertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 16, v);
            r.VertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, 16, v + 2);
            r.EnableVertexAttribArray(0);
            r.EnableVertexAttribArray(1);
            r.DrawArrays(GL_TRIANGLE_STRIP, 0, 4);
        }
        r.SwapBuffers(w.surface);
    }
}

} // namespace

const std::vector<SScene>& Scenes()
{
    static const std::vector<SScene> scenes = [] {
        std::vector<SScene> all = {
        {"clear", "frames of clears only", &Clear},
        {"tri-client", "client arrays on attributes 0 and 2, a buffer on 1", &TriClient},
        {"indexed", "element buffer and client indices, 8, 16 and 32 bits", &Indexed},
        {"textured", "RGBA8 with levels, odd-width RGB, RGB565, luminance-alpha, ETC1, a cube map", &Textured},
        {"uniforms", "vector arrays, 2x2, 3x3 and 4x4 matrices, samplers", &Uniforms},
        {"fbo", "a texture rendered with a depth renderbuffer, then drawn", &Fbo},
        {"render-later", "a texture drawn into through a framebuffer in frame 1 only, sampled in every frame", &RenderLater},
        {"copy-later", "a texture copied from the window in frame 1 only, sampled in every frame", &CopyLater},
        {"mipmap-later", "levels generated in frame 1 only, sampled through a mipmap filter in every frame, level 0 changed in frame 2",
         &MipmapLater},
        {"drawn-later", "a texture uploaded in frame 1, drawn into through a framebuffer in frame 3, sampled in every frame",
         &DrawnLater},
        {"state", "blend, depth, stencil, scissor, polygon offset, colour mask, culling", &State},
        {"multi", "objects made, changed and deleted; a shader re-sourced, a program relinked", &Multi},
        {"error", "one state-changing call recorded with a GL error", &Error},
        {"two-surfaces", "two window surfaces on one display", &TwoSurfaces},
        {"overdraw", "four full-screen quads over black a frame", &Overdraw},
        {"quads", "opaque quads at separate, known places", &Quads},
        {"context-switch", "the current context destroyed, another made current", &ContextSwitch},
        {"platform-display", "a display the trace never got (no eglGetDisplay)", &PlatformDisplay},
        {"no-config-context", "a context made without a config, current with a window, then a pbuffer",
         &NoConfigContext},
        {"surfaceless", "a start-up current without surfaces asking glGetString; each frame starts so",
         &Surfaceless},
        {"mix", "the benchmark workload: 800 x 600, 60 frames of 200 indexed draws", &Mix},
        {"sprites", "the client-array workload: 800 x 600, 60 frames of 120 sprites, each pointed at before its draw",
         &Sprites},
        {"long", "the cold-load workload: 160 frames of 800 x 600, a 1024 x 1024 texture every 16th", &Long},
        };
        const std::vector<SScene>& es1 = Es1Scenes();
        all.insert(all.end(), es1.begin(), es1.end());
        const std::vector<SScene>& ext = ExtScenes();
        all.insert(all.end(), ext.begin(), ext.end());
        const std::vector<SScene>& unpack = UnpackScenes();
        all.insert(all.end(), unpack.begin(), unpack.end());
        const std::vector<SScene>& lenient = LenientScenes();
        all.insert(all.end(), lenient.begin(), lenient.end());
        const std::vector<SScene>& pipeline = PipelineScenes();
        all.insert(all.end(), pipeline.begin(), pipeline.end());
        const std::vector<SScene>& rules = RuleScenes();
        all.insert(all.end(), rules.begin(), rules.end());
        return all;
    }();
    return scenes;
}

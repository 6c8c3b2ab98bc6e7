// Scenes of uploads from wider rows, and of objects made and deleted in every frame.
#include "Scenes.h"

using namespace scene;

namespace {

constexpr uint32_t kW = 64, kH = 48;

const char* const kTextureVertex = "attribute vec4 a_position;\nvarying vec2 v_uv;\n"
                                   "void main() { gl_Position = a_position; v_uv = a_position.xy * 0.5 + 0.5; }\n";
const char* const kTextureFragment = "precision mediump float;\nuniform sampler2D u_texture;\nvarying vec2 v_uv;\n"
                                     "void main() { gl_FragColor = texture2D(u_texture, v_uv); }\n";

void DrawTexture(CRecorder& r, GLuint texture, float x0, float y0, float x1, float y1)
{
    GL(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", texture});
    const std::vector<float> quad = Quad(x0, y0, x1, y1);
    r.VertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, quad.data());
    r.EnableVertexAttribArray(0);
    r.DrawArrays(GL_TRIANGLES, 0, 6);
}

void Nearest(CRecorder& r)
{
    GL(glTexParameteri)(GLenum(GL_TEXTURE_2D), GLenum(GL_TEXTURE_MIN_FILTER), GLint(GL_NEAREST));
    GL(glTexParameteri)(GLenum(GL_TEXTURE_2D), GLenum(GL_TEXTURE_MAG_FILTER), GLint(GL_NEAREST));
}

// A luminance plane updated from rows 50 wide under alignment 1, and an RGBA piece specified from
// rows 21 wide under alignment 8 (rows of 84 bytes padded to 88), both after skipped rows and
// pixels; frames 2 and 4 end with a row length and skips still set.
void UnpackRows(CRecorder& r)
{
    const SWindow w = Open(r, kW, kH);
    const GLuint program = Program(r, kTextureVertex, kTextureFragment, {"a_position"});
    GL(glUseProgram)(Name{"program", program});
    GLuint t[2] = {};
    GL(glGenTextures)(2, Array<GLuint>{t, 2, "texture"});
    GL(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", t[0]});
    r.PixelStorei(GL_UNPACK_ALIGNMENT, 1);
    const std::vector<uint8_t> plane = Pattern(30 * 20, 3);
    r.TexImage2D(GL_TEXTURE_2D, 0, GL_LUMINANCE, 30, 20, GL_UNSIGNED_BYTE, plane.data());
    Nearest(r);
    GL(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", t[1]});
    r.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 13, 9, GL_UNSIGNED_BYTE, nullptr);
    Nearest(r);
    for (int f = 1; f <= 4; ++f) {
        GL(glClearColor)(0.1f, 0.1f, 0.1f * f, 1.0f);
        GL(glClear)(GLbitfield(GL_COLOR_BUFFER_BIT));
        // A 17 x 11 part of a 50-wide plane, 2 + f rows and 3 pixels in.
        GL(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", t[0]});
        r.PixelStorei(GL_UNPACK_ALIGNMENT, 1);
        r.PixelStorei(0x0CF2, 50);
        r.PixelStorei(0x0CF3, 2 + f);
        r.PixelStorei(0x0CF4, 3);
        const std::vector<uint8_t> wide = Pattern(50 * 20, 10 + f);
        r.TexSubImage2D(GL_TEXTURE_2D, 0, 2 * f, 4, 17, 11, GL_LUMINANCE, GL_UNSIGNED_BYTE, wide.data());
        // The RGBA piece: 13 x 9 of rows 21 wide, 1 row and f pixels in; specified whole in frames 1
        // and 3, a part of it in the others.
        GL(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", t[1]});
        r.PixelStorei(GL_UNPACK_ALIGNMENT, 8);
        r.PixelStorei(0x0CF2, 21);
        r.PixelStorei(0x0CF3, 1);
        r.PixelStorei(0x0CF4, f);
        const std::vector<uint8_t> piece = Pattern(88 * 12, 20 + f);
        if (f % 2)
            r.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 13, 9, GL_UNSIGNED_BYTE, piece.data());
        else
            r.TexSubImage2D(GL_TEXTURE_2D, 0, 3, 2, 7, 5, GL_RGBA, GL_UNSIGNED_BYTE, piece.data());
        if (f % 2) {
            r.PixelStorei(0x0CF2, 0);
            r.PixelStorei(0x0CF3, 0);
            r.PixelStorei(0x0CF4, 0);
            r.PixelStorei(GL_UNPACK_ALIGNMENT, 4);
        }
        DrawTexture(r, t[0], -1.0f, -1.0f, 0.0f, 1.0f);
        DrawTexture(r, t[1], 0.0f, -1.0f, 1.0f, 1.0f);
        r.SwapBuffers(w.surface);
    }
}

// A buffer and a texture made in every frame while the last frame's are still live, drawn, and the
// last frame's deleted after: each frame's start holds names its own calls are about to hand out
// again only in a pass that played the frame before.
void Churn(CRecorder& r)
{
    const SWindow w = Open(r, kW, kH);
    const GLuint colors = Program(r, kColorVertex, kColorFragment, {"a_position", "a_color"});
    const GLuint textured = Program(r, kTextureVertex, kTextureFragment, {"a_position"});
    GLuint buffer = 0, texture = 0;
    for (int f = 1; f <= 5; ++f) {
        GL(glClearColor)(0.0f, 0.1f * f, 0.2f, 1.0f);
        GL(glClear)(GLbitfield(GL_COLOR_BUFFER_BIT));
        GLuint newBuffer = 0, newTexture = 0;
        GL(glGenBuffers)(1, Array<GLuint>{&newBuffer, 1, "buffer"});
        const std::vector<float> quad = Quad(-0.9f + 0.1f * f, -0.9f, 0.1f * f, 0.2f);
        r.BindBuffer(GL_ARRAY_BUFFER, newBuffer);
        GL(glBufferData)(GLenum(GL_ARRAY_BUFFER), GLsizeiptr(quad.size() * sizeof(float)),
                         Bytes{quad.data(), quad.size() * sizeof(float)}, GLenum(GL_STATIC_DRAW));
        GL(glUseProgram)(Name{"program", colors});
        r.VertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
        r.EnableVertexAttribArray(0);
        GL(glVertexAttrib4f)(GLuint(1), 0.2f * f, 0.9f, 0.3f, 1.0f);
        r.DrawArrays(GL_TRIANGLES, 0, 6);
        r.BindBuffer(GL_ARRAY_BUFFER, 0);
        GL(glGenTextures)(1, Array<GLuint>{&newTexture, 1, "texture"});
        GL(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", newTexture});
        const std::vector<uint8_t> pixels = Pattern(4 * 4 * 4, f);
        r.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 4, 4, GL_UNSIGNED_BYTE, pixels.data());
        Nearest(r);
        GL(glUseProgram)(Name{"program", textured});
        DrawTexture(r, newTexture, 0.2f, 0.2f, 0.9f, 0.9f);
        if (buffer)
            GL(glDeleteBuffers)(1, Array<GLuint>{&buffer, 1, "buffer"});
        if (texture)
            GL(glDeleteTextures)(1, Array<GLuint>{&texture, 1, "texture"});
        buffer = newBuffer;
        texture = newTexture;
        r.SwapBuffers(w.surface);
    }
}

} // namespace

const std::vector<SScene>& UnpackScenes()
{
    static const std::vector<SScene> scenes = {
        {"unpack-rows", "a luminance plane and an RGBA piece uploaded from wider rows after skipped rows and pixels",
         &UnpackRows},
        {"churn", "a buffer and a texture made in every frame, the last frame's deleted", &Churn},
    };
    return scenes;
}

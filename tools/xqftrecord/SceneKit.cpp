#include "Scenes.h"

#include <algorithm>
#include <cmath>

namespace scene {

const char* const kColorVertex =
    "attribute vec4 a_position;\nattribute vec4 a_color;\nvarying vec4 v_color;\n"
    "void main() { gl_Position = a_position; v_color = a_color; }\n";
const char* const kColorFragment =
    "precision mediump float;\nvarying vec4 v_color;\nvoid main() { gl_FragColor = v_color; }\n";

SWindow Open(CRecorder& r, uint32_t width, uint32_t height, uint32_t windowHandle, bool logDisplay)
{
    r.Initialize(logDisplay);
    SWindow w;
    w.context = r.CreateContext();
    w.surface = r.CreateWindowSurface(windowHandle, width, height);
    r.MakeCurrent(w.surface, w.context);
    if (r.Api() == kEsVersion1)
        GL1(glViewport)(0, 0, GLsizei(width), GLsizei(height));
    else
        GL(glViewport)(0, 0, GLsizei(width), GLsizei(height));
    return w;
}

GLuint Program(CRecorder& r, const char* vertex, const char* fragment, std::initializer_list<const char*> attributes)
{
    const GLuint vs = REC_GL_NAMED(r, glCreateShader, "shader")(GLenum(GL_VERTEX_SHADER));
    r.ShaderSource(vs, {vertex});
    GL(glCompileShader)(Name{"shader", vs});
    const GLuint fs = REC_GL_NAMED(r, glCreateShader, "shader")(GLenum(GL_FRAGMENT_SHADER));
    r.ShaderSource(fs, {fragment});
    GL(glCompileShader)(Name{"shader", fs});
    const GLuint program = REC_GL_NAMED(r, glCreateProgram, "program")();
    GL(glAttachShader)(Name{"program", program}, Name{"shader", vs});
    GL(glAttachShader)(Name{"program", program}, Name{"shader", fs});
    GLuint index = 0;
    for (const char* a : attributes)
        GL(glBindAttribLocation)(Name{"program", program}, index++, Text{a});
    GL(glLinkProgram)(Name{"program", program});
    return program;
}

std::vector<uint8_t> Pattern(size_t bytes, int seed)
{
    std::vector<uint8_t> v(bytes);
    for (size_t i = 0; i < bytes; ++i)
        v[i] = uint8_t((i * 37 + size_t(seed) * 91) ^ (i >> 3));
    return v;
}

std::vector<float> Quad(float x0, float y0, float x1, float y1)
{
    return {x0, y0, x1, y0, x1, y1, x0, y0, x1, y1, x0, y1};
}

void SpriteQuad(int f, int d, float* v)
{
    const float angle = 0.05f * float(f) + 0.3f * float(d);
    const float x = -0.95f + 0.16f * float(d % 12) + 0.02f * std::cos(angle);
    const float y = -0.95f + 0.19f * float(d / 12) + 0.02f * std::sin(angle);
    const float quad[16] = {x, y, 0, 0, x + 0.14f, y, 1, 0, x, y + 0.17f, 0, 1, x + 0.14f, y + 0.17f, 1, 1};
    std::copy(quad, quad + 16, v);
}

void ColorQuad(CRecorder& r, const std::vector<float>& quad, float red, float green, float blue, float alpha)
{
    r.VertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, quad.data());
    r.EnableVertexAttribArray(0);
    r.DisableVertexAttribArray(1);
    GL(glVertexAttrib4f)(GLuint(1), red, green, blue, alpha);
    r.DrawArrays(GL_TRIANGLES, 0, 6);
}

} // namespace scene

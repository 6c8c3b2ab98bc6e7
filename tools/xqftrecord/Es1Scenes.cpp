// The ES 1.1 scenes, each a small fixed-function application as a device would run it. Every frame
// sets what a restore at the frame's start does not send (materials, texture environments, the
// client arrays and their pointers, and the other state of that kind a scene uses), so that any
// frame replays from its recorded start; es1-leftover and es1-set-once set some state in frame 1
// only on purpose.
#include "Scenes.h"

#include <algorithm>
#include <cmath>

using namespace scene;

namespace {

constexpr uint32_t kW = 64, kH = 48;

constexpr GLfixed X(float v) { return GLfixed(v * 65536.0f); }

// The viewport, an orthographic projection and an identity model-view: what each frame starts with.
void Frame(CRecorder& r, uint32_t width = kW, uint32_t height = kH)
{
    GL1(glViewport)(0, 0, GLsizei(width), GLsizei(height));
    GL1(glMatrixMode)(GLenum(GL_PROJECTION));
    GL1(glLoadIdentity)();
    GL1(glOrthof)(-1.0f, 1.0f, -1.0f, 1.0f, -1.0f, 1.0f);
    GL1(glMatrixMode)(GLenum(GL_MODELVIEW));
    GL1(glLoadIdentity)();
}

void ClearTo(CRecorder& r, float red, float green, float blue)
{
    GL1(glClearColor)(red, green, blue, 1.0f);
    GL1(glClear)(GLbitfield(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT));
}

// A quad of one colour from a client vertex array (the other arrays off).
void Quad1(CRecorder& r, const std::vector<float>& quad, float red, float green, float blue, float alpha = 1.0f)
{
    GL1(glColor4f)(red, green, blue, alpha);
    r.VertexPointer(2, GL_FLOAT, 0, quad.data());
    r.EnableClientState(GL_VERTEX_ARRAY);
    r.DrawArrays(GL_TRIANGLES, 0, 6);
}

// A new 4 x 4 RGBA texture of pattern `seed`, filtered to the nearest texel, left bound.
GLuint PatternTexture(CRecorder& r, int seed)
{
    GLuint texture = 0;
    GL1(glGenTextures)(1, Array<GLuint>{&texture, 1, "texture"});
    GL1(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", texture});
    const std::vector<uint8_t> pixels = Pattern(4 * 4 * 4, seed);
    r.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 4, 4, GL_UNSIGNED_BYTE, pixels.data());
    GL1(glTexParameteri)(GLenum(GL_TEXTURE_2D), GLenum(GL_TEXTURE_MIN_FILTER), GLint(GL_NEAREST));
    return texture;
}

// Texture coordinates of a Quad: 0 to 1 over the rectangle.
const std::vector<float> kQuadUv = {0, 0, 1, 0, 1, 1, 0, 0, 1, 1, 0, 1};

// Frames of clears only.
void Clear(CRecorder& r)
{
    const SWindow w = Open(r, kW, kH);
    for (int f = 1; f <= 3; ++f) {
        GL1(glViewport)(0, 0, GLsizei(kW), GLsizei(kH));
        if (f == 2)
            GL1(glClearColorx)(X(0.4f), X(0.5f), X(0.25f), X(1.0f));
        else
            GL1(glClearColor)(0.2f * f, 1.0f - 0.25f * f, 0.5f, 1.0f);
        GL1(glClearDepthf)(1.0f);
        GL1(glClear)(GLbitfield(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT));
        if (f == 2) {
            GL1(glEnable)(GLenum(GL_SCISSOR_TEST));
            GL1(glScissor)(8, 8, 20, 12);
            GL1(glClearColor)(1.0f, 1.0f, 0.0f, 1.0f);
            GL1(glClear)(GLbitfield(GL_COLOR_BUFFER_BIT));
            GL1(glDisable)(GLenum(GL_SCISSOR_TEST));
        }
        if (f == 3) {
            GL1(glClearDepthx)(X(0.5f));
            GL1(glClearStencil)(3);
            GL1(glClear)(GLbitfield(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT));
        }
        r.SwapBuffers(w.surface);
    }
}

// Client colour and vertex arrays (bytes; floats with a stride; fixed point), normals from a buffer,
// one light.
void TriClient(CRecorder& r)
{
    const SWindow w = Open(r, kW, kH);
    GLuint buffer = 0;
    GL1(glGenBuffers)(1, Array<GLuint>{&buffer, 1, "buffer"});
    const float normals[] = {0, 0, 1, 0, 0.6f, 0.8f, 0.6f, 0, 0.8f, -0.6f, 0, 0.8f, 0, -0.6f, 0.8f};
    r.BindBuffer(GL_ARRAY_BUFFER, buffer);
    GL1(glBufferData)(GLenum(GL_ARRAY_BUFFER), GLsizeiptr(sizeof normals), Bytes{normals, sizeof normals},
                      GLenum(GL_STATIC_DRAW));
    r.BindBuffer(GL_ARRAY_BUFFER, 0);
    GL1(glEnable)(GLenum(GL_LIGHTING));
    GL1(glEnable)(GLenum(GL_LIGHT0));
    GL1(glEnable)(GLenum(GL_COLOR_MATERIAL));
    for (int f = 1; f <= 3; ++f) {
        Frame(r);
        ClearTo(r, 0.0f, 0.0f, 0.1f * f);
        const float position[] = {0.2f * f, 0.3f, 1.0f, 0.0f}, specular[] = {0.5f, 0.5f, 0.5f, 1.0f};
        GL1(glLightfv)(GLenum(GL_LIGHT0), GLenum(GL_POSITION), Array<float>{position, 4});
        GL1(glMaterialfv)(GLenum(GL_FRONT_AND_BACK), GLenum(GL_SPECULAR), Array<float>{specular, 4});
        GL1(glMaterialf)(GLenum(GL_FRONT_AND_BACK), GLenum(GL_SHININESS), 16.0f);
        GL1(glRotatef)(5.0f * f, 0.0f, 0.0f, 1.0f);
        // Normals from the buffer: the draws take no block for them.
        r.BindBuffer(GL_ARRAY_BUFFER, buffer);
        r.NormalPointer(GL_FLOAT, 0, nullptr);
        r.BindBuffer(GL_ARRAY_BUFFER, 0);
        r.EnableClientState(GL_NORMAL_ARRAY);
        // Vertex 0 is not drawn (first 1): its bytes are captured all the same.
        const GLubyte colors[] = {9, 9, 9, 9, 255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255};
        const float vertices[] = {9, 9, 9, 7, -0.8f, -0.8f, 0, 7, 0.8f, -0.8f, 0, 7, 0, 0.8f, 0, 7, -0.5f, 0.5f, 0, 7};
        r.ColorPointer(4, GL_UNSIGNED_BYTE, 0, colors);
        r.VertexPointer(3, GL_FLOAT, 16, vertices);  // strided: packed when captured
        r.EnableClientState(GL_COLOR_ARRAY);
        r.EnableClientState(GL_VERTEX_ARRAY);
        r.DrawArrays(GL_TRIANGLES, 1, 3);
        // A strip of fixed-point vertices in the current colour.
        r.DisableClientState(GL_COLOR_ARRAY);
        GL1(glColor4f)(1.0f, 1.0f, 0.0f, 1.0f);
        const GLfixed strip[] = {X(-1), X(-1), X(-0.6f), X(-1), X(-1), X(-0.6f), X(-0.7f), X(-0.5f + 0.05f * f)};
        r.VertexPointer(2, GL_FIXED, 0, strip);
        r.DrawArrays(GL_TRIANGLE_STRIP, 0, 4);
        r.SwapBuffers(w.surface);
    }
}

// An element buffer, client indices of 8, 16 and 32 bits, and client arrays read through indices
// from an element buffer.
void Indexed(CRecorder& r)
{
    const SWindow w = Open(r, kW, kH);
    GLuint buffers[2] = {};
    GL1(glGenBuffers)(2, Array<GLuint>{buffers, 2, "buffer"});
    const float grid[] = {-1, -1, 0, -1, 1, -1, -1, 0, 0, 0, 1, 0, -1, 1, 0, 1, 1, 1};
    r.BindBuffer(GL_ARRAY_BUFFER, buffers[0]);
    GL1(glBufferData)(GLenum(GL_ARRAY_BUFFER), GLsizeiptr(sizeof grid), Bytes{grid, sizeof grid},
                      GLenum(GL_STATIC_DRAW));
    const uint16_t indices16[] = {0, 1, 4, 0, 4, 3, 4, 5, 8, 4, 8, 7};
    r.BindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers[1]);
    GL1(glBufferData)(GLenum(GL_ELEMENT_ARRAY_BUFFER), GLsizeiptr(sizeof indices16),
                      Bytes{indices16, sizeof indices16}, GLenum(GL_STATIC_DRAW));
    for (int f = 1; f <= 3; ++f) {
        Frame(r);
        ClearTo(r, 0.1f, 0.1f, 0.1f);
        // From the buffers: the lower left square.
        r.BindBuffer(GL_ARRAY_BUFFER, buffers[0]);
        r.VertexPointer(2, GL_FLOAT, 0, nullptr);
        r.EnableClientState(GL_VERTEX_ARRAY);
        r.DisableClientState(GL_COLOR_ARRAY);
        r.BindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers[1]);
        GL1(glColor4f)(1.0f, 0.2f * f, 0.0f, 1.0f);
        r.DrawElements(GL_TRIANGLES, 6, GL_UNSIGNED_SHORT, nullptr);
        // 8-bit client indices into the buffer's vertices, colours from a client array: the lower
        // right square.
        r.BindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
        const GLubyte colors[9 * 4] = {0, 255, 0, 255, 0, 200, 50, 255, 0, 150, 100, 255, 0, 100, 150, 255,
                                       0, 50, 200, 255, 0, 0, 255, 255, 50, 0, 200, 255, 100, 0, 150, 255,
                                       GLubyte(50 * f), 0, 100, 255};
        r.BindBuffer(GL_ARRAY_BUFFER, 0);
        r.ColorPointer(4, GL_UNSIGNED_BYTE, 0, colors);
        r.EnableClientState(GL_COLOR_ARRAY);
        r.BindBuffer(GL_ARRAY_BUFFER, buffers[0]);
        const uint8_t indices8[] = {1, 2, 5, 1, 5, 4};
        r.DrawElements(GL_TRIANGLES, 6, GL_UNSIGNED_BYTE, indices8);
        r.DisableClientState(GL_COLOR_ARRAY);
        // Client vertices and 16-bit client indices: the upper left square.
        r.BindBuffer(GL_ARRAY_BUFFER, 0);
        const float upper[] = {-1, 0, 0, 0, 0, 1, -1, 1, 5, 5};
        r.VertexPointer(2, GL_FLOAT, 0, upper);
        const uint16_t quad16[] = {0, 1, 2, 0, 2, 3};
        GL1(glColor4f)(0.2f, 0.4f, 1.0f, 1.0f);
        r.DrawElements(GL_TRIANGLES, 6, GL_UNSIGNED_SHORT, quad16);
        // 32-bit client indices, a strip: the upper right square, shrunk.
        const float right[] = {0.1f, 0.1f, 0.9f, 0.1f, 0.1f, 0.9f, 0.9f, 0.9f};
        r.VertexPointer(2, GL_FLOAT, 0, right);
        const uint32_t strip32[] = {0, 1, 2, 3};
        GL1(glColor4f)(0.9f, 0.9f, 0.1f * f, 1.0f);
        r.DrawElements(GL_TRIANGLE_STRIP, 4, GL_UNSIGNED_INT, strip32);
        // Indices from the element buffer (its second square) into client vertices: a copy of the
        // grid, moved.
        float moved[18];
        for (int i = 0; i < 18; ++i)
            moved[i] = grid[i] * 0.5f + (i % 2 ? 0.4f : -0.1f * f);
        r.VertexPointer(2, GL_FLOAT, 0, moved);
        r.BindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers[1]);
        GL1(glColor4f)(1.0f, 1.0f, 1.0f, 1.0f);
        r.DrawElements(GL_TRIANGLES, 6, GL_UNSIGNED_SHORT, reinterpret_cast<const void*>(uintptr_t(12)));
        r.SwapBuffers(w.surface);
    }
}

// Textures of several formats and levels, generated mipmaps, two units combined.
void Textured(CRecorder& r)
{
    const SWindow w = Open(r, kW, kH);
    GLuint t[7] = {};
    GL1(glGenTextures)(7, Array<GLuint>{t, 7, "texture"});
    auto filter = [&](GLint min) {
        GL1(glTexParameteri)(GLenum(GL_TEXTURE_2D), GLenum(GL_TEXTURE_MIN_FILTER), min);
    };
    // RGBA8 with three mip levels.
    GL1(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", t[0]});
    for (int level = 0; level < 4; ++level) {
        const int size = 8 >> level;
        const std::vector<uint8_t> pixels = Pattern(size_t(size * size * 4), level);
        r.TexImage2D(GL_TEXTURE_2D, level, GL_RGBA, size, size, GL_UNSIGNED_BYTE, pixels.data());
    }
    filter(GL_NEAREST_MIPMAP_NEAREST);
    // Odd-width RGB rows under unpack alignment 1; single level, linear.
    r.PixelStorei(GL_UNPACK_ALIGNMENT, 1);
    GL1(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", t[1]});
    const std::vector<uint8_t> rgb = Pattern(5 * 3 * 3, 7);
    r.TexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 5, 3, GL_UNSIGNED_BYTE, rgb.data());
    filter(GL_LINEAR);
    r.PixelStorei(GL_UNPACK_ALIGNMENT, 4);
    // RGB565 and luminance-alpha.
    GL1(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", t[2]});
    const std::vector<uint8_t> packed = Pattern(4 * 4 * 2, 11);
    r.TexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 4, 4, GL_UNSIGNED_SHORT_5_6_5, packed.data());
    filter(GL_LINEAR);
    GL1(glTexParameteri)(GLenum(GL_TEXTURE_2D), GLenum(GL_TEXTURE_MAG_FILTER), GLint(GL_NEAREST));
    GL1(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", t[3]});
    const std::vector<uint8_t> la = Pattern(4 * 4 * 2, 13);
    r.TexImage2D(GL_TEXTURE_2D, 0, GL_LUMINANCE_ALPHA, 4, 4, GL_UNSIGNED_BYTE, la.data());
    filter(GL_NEAREST);
    GL1(glTexParameterx)(GLenum(GL_TEXTURE_2D), GLenum(GL_TEXTURE_WRAP_S), GLfixed(GL_CLAMP_TO_EDGE));
    // ETC1: four 8-byte blocks of an 8 x 8 image.
    GL1(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", t[4]});
    const std::vector<uint8_t> etc1 = Pattern(32, 17);
    GL1(glCompressedTexImage2D)(GLenum(GL_TEXTURE_2D), 0, GLint(0x8D64), 8, 8, 0, GLsizei(etc1.size()),
                                Bytes{etc1.data(), etc1.size()});
    GL1(glTexParameterf)(GLenum(GL_TEXTURE_2D), GLenum(GL_TEXTURE_MIN_FILTER), float(GL_LINEAR));
    // Mipmaps generated from level 0.
    GL1(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", t[5]});
    GL1(glTexParameteri)(GLenum(GL_TEXTURE_2D), GLenum(GL_GENERATE_MIPMAP), GLint(GL_TRUE));
    const std::vector<uint8_t> generated = Pattern(8 * 8 * 4, 19);
    r.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 8, 8, GL_UNSIGNED_BYTE, generated.data());
    filter(GL_LINEAR_MIPMAP_NEAREST);
    // The second unit's texture.
    GL1(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", t[6]});
    const uint8_t stripes[] = {255, 255, 255, 255, 40, 40, 40, 255, 40, 40, 40, 255, 255, 255, 255, 255};
    r.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 2, GL_UNSIGNED_BYTE, stripes);
    const GLint nearest[] = {GL_NEAREST};
    GL1(glTexParameteriv)(GLenum(GL_TEXTURE_2D), GLenum(GL_TEXTURE_MIN_FILTER), Array<GLint>{nearest, 1});
    const float magNearest[] = {float(GL_NEAREST)};
    GL1(glTexParameterfv)(GLenum(GL_TEXTURE_2D), GLenum(GL_TEXTURE_MAG_FILTER), Array<float>{magNearest, 1});
    for (int f = 1; f <= 3; ++f) {
        Frame(r);
        ClearTo(r, 0.0f, 0.0f, 0.0f);
        if (f == 2) {
            GL1(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", t[0]});
            const std::vector<uint8_t> patch = Pattern(4 * 2 * 4, 99);
            r.TexSubImage2D(GL_TEXTURE_2D, 0, 2, 3, 4, 2, GL_RGBA, GL_UNSIGNED_BYTE, patch.data());
        }
        // Unit 0: each texture on a quad of its own, replacing the colour.
        GL1(glActiveTexture)(GLenum(GL_TEXTURE0));
        GL1(glEnable)(GLenum(GL_TEXTURE_2D));
        GL1(glTexEnvi)(GLenum(GL_TEXTURE_ENV), GLenum(GL_TEXTURE_ENV_MODE), GLint(GL_REPLACE));
        r.ClientActiveTexture(GL_TEXTURE0);
        r.TexCoordPointer(2, GL_FLOAT, 0, kQuadUv.data());
        r.EnableClientState(GL_TEXTURE_COORD_ARRAY);
        std::vector<std::vector<float>> quads;
        for (int i = 0; i < 6; ++i) {
            const float x = -1.0f + 0.66f * float(i % 3), y = i < 3 ? -1.0f : -0.35f;
            quads.push_back(Quad(x, y, x + 0.6f, y + 0.6f));
            GL1(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", t[i]});
            r.VertexPointer(2, GL_FLOAT, 0, quads.back().data());
            r.EnableClientState(GL_VERTEX_ARRAY);
            r.DrawArrays(GL_TRIANGLES, 0, 6);
        }
        // Two units combined: unit 0 modulates its texture by the colour, unit 1 blends in its own
        // by the environment colour's alpha; unit 1's coordinates are constant.
        GL1(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", t[2]});
        GL1(glTexEnvi)(GLenum(GL_TEXTURE_ENV), GLenum(GL_TEXTURE_ENV_MODE), GLint(GL_COMBINE));
        GL1(glTexEnvi)(GLenum(GL_TEXTURE_ENV), GLenum(GL_COMBINE_RGB), GLint(GL_MODULATE));
        GL1(glTexEnvi)(GLenum(GL_TEXTURE_ENV), GLenum(GL_SRC0_RGB), GLint(GL_TEXTURE));
        GL1(glTexEnvi)(GLenum(GL_TEXTURE_ENV), GLenum(GL_SRC1_RGB), GLint(GL_PRIMARY_COLOR));
        GL1(glTexEnvf)(GLenum(GL_TEXTURE_ENV), GLenum(GL_RGB_SCALE), f == 3 ? 2.0f : 1.0f);
        GL1(glActiveTexture)(GLenum(GL_TEXTURE1));
        GL1(glEnable)(GLenum(GL_TEXTURE_2D));
        GL1(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", t[6]});
        const GLint combine[] = {GL_COMBINE}, interpolate[] = {GL_INTERPOLATE};
        GL1(glTexEnviv)(GLenum(GL_TEXTURE_ENV), GLenum(GL_TEXTURE_ENV_MODE), Array<GLint>{combine, 1});
        GL1(glTexEnviv)(GLenum(GL_TEXTURE_ENV), GLenum(GL_COMBINE_RGB), Array<GLint>{interpolate, 1});
        GL1(glTexEnvx)(GLenum(GL_TEXTURE_ENV), GLenum(GL_SRC0_RGB), GLfixed(GL_TEXTURE));
        GL1(glTexEnvi)(GLenum(GL_TEXTURE_ENV), GLenum(GL_SRC1_RGB), GLint(GL_PREVIOUS));
        GL1(glTexEnvi)(GLenum(GL_TEXTURE_ENV), GLenum(GL_SRC2_RGB), GLint(GL_CONSTANT));
        GL1(glTexEnvi)(GLenum(GL_TEXTURE_ENV), GLenum(GL_OPERAND2_RGB), GLint(GL_SRC_ALPHA));
        const float envColor[] = {0.2f, 0.4f, 0.6f, 0.3f * f};
        GL1(glTexEnvfv)(GLenum(GL_TEXTURE_ENV), GLenum(GL_TEXTURE_ENV_COLOR), Array<float>{envColor, 4});
        GL1(glMultiTexCoord4f)(GLenum(GL_TEXTURE1), 0.25f, 0.75f, 0.0f, 1.0f);
        GL1(glColor4f)(1.0f, 0.8f, 0.6f, 1.0f);
        const std::vector<float> combined = Quad(0.35f, 0.35f, 0.95f, 0.95f);
        r.VertexPointer(2, GL_FLOAT, 0, combined.data());
        r.DrawArrays(GL_TRIANGLES, 0, 6);
        // Unit 1 alone, from a client array of its own while unit 0's is off.
        GL1(glTexEnvi)(GLenum(GL_TEXTURE_ENV), GLenum(GL_TEXTURE_ENV_MODE), GLint(GL_REPLACE));
        GL1(glActiveTexture)(GLenum(GL_TEXTURE0));
        GL1(glDisable)(GLenum(GL_TEXTURE_2D));
        r.DisableClientState(GL_TEXTURE_COORD_ARRAY);
        r.ClientActiveTexture(GL_TEXTURE1);
        const std::vector<float> uv1 = {0, 0, 2, 0, 2, 2, 0, 0, 2, 2, 0, 2};
        r.TexCoordPointer(2, GL_FLOAT, 0, uv1.data());
        r.EnableClientState(GL_TEXTURE_COORD_ARRAY);
        const std::vector<float> single = Quad(-0.95f, 0.35f, -0.35f, 0.95f);
        r.VertexPointer(2, GL_FLOAT, 0, single.data());
        r.DrawArrays(GL_TRIANGLES, 0, 6);
        r.DisableClientState(GL_TEXTURE_COORD_ARRAY);
        r.ClientActiveTexture(GL_TEXTURE0);
        GL1(glActiveTexture)(GLenum(GL_TEXTURE1));
        GL1(glDisable)(GLenum(GL_TEXTURE_2D));
        GL1(glActiveTexture)(GLenum(GL_TEXTURE0));
        r.SwapBuffers(w.surface);
    }
}

// Three lights, materials, fog and two-sided lighting, in float and fixed-point forms.
void Lit(CRecorder& r)
{
    const SWindow w = Open(r, kW, kH);
    GL1(glEnable)(GLenum(GL_LIGHTING));
    GL1(glEnable)(GLenum(GL_LIGHT0));
    GL1(glEnable)(GLenum(GL_LIGHT1));
    GL1(glEnable)(GLenum(GL_LIGHT2));
    GL1(glEnable)(GLenum(GL_FOG));
    GL1(glEnable)(GLenum(GL_NORMALIZE));
    // A fan around the centre, its normals leaning outwards, and a clockwise triangle behind it.
    std::vector<float> fan = {0, 0, -0.2f}, fanNormals = {0, 0, 1};
    for (int i = 0; i <= 8; ++i) {
        const float a = 6.2831853f * float(i) / 8.0f;
        fan.insert(fan.end(), {0.7f * std::cos(a), 0.7f * std::sin(a), 0.6f * std::sin(2 * a)});
        fanNormals.insert(fanNormals.end(), {std::cos(a), std::sin(a), 0.8f});
    }
    for (int f = 1; f <= 3; ++f) {
        Frame(r);
        ClearTo(r, 0.05f, 0.05f, 0.05f);
        GL1(glShadeModel)(GLenum(f == 2 ? GL_FLAT : GL_SMOOTH));
        // Light 0: directional, white.
        const float dir[] = {0.0f, 0.0f, 1.0f, 0.0f}, grey[] = {0.5f, 0.5f, 0.5f, 1.0f}, dim[] = {0.1f, 0.1f, 0.1f, 1};
        GL1(glLightfv)(GLenum(GL_LIGHT0), GLenum(GL_POSITION), Array<float>{dir, 4});
        GL1(glLightfv)(GLenum(GL_LIGHT0), GLenum(GL_DIFFUSE), Array<float>{grey, 4});
        GL1(glLightfv)(GLenum(GL_LIGHT0), GLenum(GL_AMBIENT), Array<float>{dim, 4});
        // Light 1: a red point light, attenuated, in fixed point.
        const GLfixed point[] = {X(0.5f), X(0.5f), X(0.5f), X(1.0f)}, red[] = {X(0.9f), 0, 0, X(1.0f)};
        GL1(glLightxv)(GLenum(GL_LIGHT1), GLenum(GL_POSITION), Array<GLfixed>{point, 4});
        GL1(glLightxv)(GLenum(GL_LIGHT1), GLenum(GL_DIFFUSE), Array<GLfixed>{red, 4});
        GL1(glLightx)(GLenum(GL_LIGHT1), GLenum(GL_CONSTANT_ATTENUATION), X(0.5f));
        GL1(glLightf)(GLenum(GL_LIGHT1), GLenum(GL_LINEAR_ATTENUATION), 0.2f * f);
        // Light 2: a blue spot.
        const float spot[] = {-0.6f, 0.0f, 1.0f, 1.0f}, spotDir[] = {0.5f, 0.0f, -1.0f}, blue[] = {0, 0.2f, 1, 1};
        GL1(glLightfv)(GLenum(GL_LIGHT2), GLenum(GL_POSITION), Array<float>{spot, 4});
        GL1(glLightfv)(GLenum(GL_LIGHT2), GLenum(GL_SPOT_DIRECTION), Array<float>{spotDir, 3});
        GL1(glLightfv)(GLenum(GL_LIGHT2), GLenum(GL_DIFFUSE), Array<float>{blue, 4});
        GL1(glLightfv)(GLenum(GL_LIGHT2), GLenum(GL_SPECULAR), Array<float>{blue, 4});
        GL1(glLightf)(GLenum(GL_LIGHT2), GLenum(GL_SPOT_CUTOFF), 25.0f + 10.0f * f);
        GL1(glLightx)(GLenum(GL_LIGHT2), GLenum(GL_SPOT_EXPONENT), X(4.0f));
        // The light model: two-sided from frame 2 on.
        const float ambient[] = {0.15f, 0.1f, 0.1f, 1.0f};
        GL1(glLightModelfv)(GLenum(GL_LIGHT_MODEL_AMBIENT), Array<float>{ambient, 4});
        if (f == 3) {
            const GLfixed twoSide[] = {X(1.0f)};
            GL1(glLightModelxv)(GLenum(GL_LIGHT_MODEL_TWO_SIDE), Array<GLfixed>{twoSide, 1});
        } else {
            GL1(glLightModelf)(GLenum(GL_LIGHT_MODEL_TWO_SIDE), f == 2 ? 1.0f : 0.0f);
        }
        // Materials (ES 1.1 has one for both faces).
        const float both[] = {0.8f, 0.7f, 0.6f, 1.0f}, diffuse[] = {0.6f, 0.8f, 0.2f * f, 1.0f};
        const GLfixed shiny[] = {X(0.9f), X(0.9f), X(0.9f), X(1.0f)}, glow[] = {X(0.05f), 0, X(0.05f * f), X(1.0f)};
        GL1(glMaterialfv)(GLenum(GL_FRONT_AND_BACK), GLenum(GL_AMBIENT_AND_DIFFUSE), Array<float>{both, 4});
        GL1(glMaterialfv)(GLenum(GL_FRONT_AND_BACK), GLenum(GL_DIFFUSE), Array<float>{diffuse, 4});
        GL1(glMaterialxv)(GLenum(GL_FRONT_AND_BACK), GLenum(GL_SPECULAR), Array<GLfixed>{shiny, 4});
        GL1(glMaterialxv)(GLenum(GL_FRONT_AND_BACK), GLenum(GL_EMISSION), Array<GLfixed>{glow, 4});
        if (f == 2)
            GL1(glMaterialx)(GLenum(GL_FRONT_AND_BACK), GLenum(GL_SHININESS), X(5.0f));
        else
            GL1(glMaterialf)(GLenum(GL_FRONT_AND_BACK), GLenum(GL_SHININESS), 10.0f * f);
        // Fog: linear, then exponential in fixed point, then squared.
        if (f == 1) {
            GL1(glFogf)(GLenum(GL_FOG_MODE), float(GL_LINEAR));
            GL1(glFogf)(GLenum(GL_FOG_START), 0.0f);
            GL1(glFogf)(GLenum(GL_FOG_END), 1.5f);
            const float fogColor[] = {0.3f, 0.3f, 0.4f, 1.0f};
            GL1(glFogfv)(GLenum(GL_FOG_COLOR), Array<float>{fogColor, 4});
        } else if (f == 2) {
            GL1(glFogx)(GLenum(GL_FOG_MODE), GLfixed(GL_EXP));
            GL1(glFogx)(GLenum(GL_FOG_DENSITY), X(0.8f));
            const GLfixed fogColor[] = {X(0.4f), X(0.2f), X(0.2f), X(1.0f)};
            GL1(glFogxv)(GLenum(GL_FOG_COLOR), Array<GLfixed>{fogColor, 4});
        } else {
            const float mode[] = {float(GL_EXP2)}, density[] = {1.2f};
            GL1(glFogfv)(GLenum(GL_FOG_MODE), Array<float>{mode, 1});
            GL1(glFogfv)(GLenum(GL_FOG_DENSITY), Array<float>{density, 1});
        }
        GL1(glRotatef)(20.0f * f, 1.0f, 0.0f, 0.0f);
        r.NormalPointer(GL_FLOAT, 0, fanNormals.data());
        r.VertexPointer(3, GL_FLOAT, 0, fan.data());
        r.EnableClientState(GL_NORMAL_ARRAY);
        r.EnableClientState(GL_VERTEX_ARRAY);
        r.DrawArrays(GL_TRIANGLE_FAN, 0, 10);
        // The current normal, once fixed and once float, for triangles facing away.
        r.DisableClientState(GL_NORMAL_ARRAY);
        GL1(glLoadIdentity)();
        if (f == 2)
            GL1(glNormal3x)(0, X(0.6f), X(0.8f));
        else
            GL1(glNormal3f)(0.0f, -0.6f, 0.8f);
        const float behind[] = {-0.95f, -0.95f, 0.5f, -0.6f, -0.4f, 0.5f, -0.4f, -0.95f, 0.5f};
        r.VertexPointer(3, GL_FLOAT, 0, behind);
        r.DrawArrays(GL_TRIANGLES, 0, 3);
        r.SwapBuffers(w.surface);
    }
}

// The per-fragment tests, culling, clip planes, the logic op and point sprites.
void State(CRecorder& r)
{
    const SWindow w = Open(r, kW, kH);
    const GLuint sprite = PatternTexture(r, 5);
    for (int f = 1; f <= 3; ++f) {
        Frame(r);
        GL1(glDisable)(GLenum(GL_SCISSOR_TEST));
        GL1(glClearStencil)(1);
        GL1(glStencilMask)(GLuint(0xFF));
        GL1(glClearColor)(0.2f, 0.2f, 0.2f, 0.5f);
        GL1(glClear)(GLbitfield(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT));
        GL1(glEnable)(GLenum(GL_ALPHA_TEST));
        if (f == 2)
            GL1(glAlphaFuncx)(GLenum(GL_GEQUAL), X(0.5f));
        else
            GL1(glAlphaFunc)(GLenum(GL_GREATER), 0.3f);
        GL1(glEnable)(GLenum(GL_BLEND));
        GL1(glBlendFunc)(GLenum(GL_SRC_ALPHA), GLenum(GL_ONE_MINUS_SRC_ALPHA));
        GL1(glEnable)(GLenum(GL_DEPTH_TEST));
        GL1(glDepthFunc)(GLenum(GL_LEQUAL));
        if (f == 3)
            GL1(glDepthRangex)(X(0.2f), X(0.8f));
        else
            GL1(glDepthRangef)(0.1f, 0.9f);
        GL1(glEnable)(GLenum(GL_STENCIL_TEST));
        GL1(glStencilFunc)(GLenum(GL_ALWAYS), 2 + f, GLuint(0xFF));
        GL1(glStencilOp)(GLenum(GL_KEEP), GLenum(GL_INCR), GLenum(GL_REPLACE));
        GL1(glStencilMask)(GLuint(0xF0 | f));
        GL1(glEnable)(GLenum(GL_POLYGON_OFFSET_FILL));
        if (f == 2)
            GL1(glPolygonOffsetx)(X(1.0f), X(3.0f));
        else
            GL1(glPolygonOffset)(1.5f, 2.0f);
        GL1(glEnable)(GLenum(GL_CULL_FACE));
        GL1(glCullFace)(GLenum(GL_BACK));
        GL1(glFrontFace)(GLenum(f == 2 ? GL_CW : GL_CCW));
        GL1(glEnable)(GLenum(GL_SCISSOR_TEST));
        GL1(glScissor)(4, 2, 50, 40);
        if (f == 2) {
            const GLfixed plane[] = {X(1.0f), X(0.3f), 0, X(0.5f)};
            GL1(glClipPlanex)(GLenum(GL_CLIP_PLANE0), Fixed<GLfixed>{plane, 4});
        } else {
            const float plane[] = {1.0f, 0.3f, 0.0f, 0.6f};
            GL1(glClipPlanef)(GLenum(GL_CLIP_PLANE0), Fixed<float>{plane, 4});
        }
        GL1(glEnable)(GLenum(GL_CLIP_PLANE0));
        Quad1(r, Quad(-0.9f, -0.9f, 0.5f, 0.5f), 1.0f, 0.0f, 0.0f, 0.6f);
        GL1(glColorMask)(GLboolean(GL_TRUE), GLboolean(f != 3), GLboolean(GL_TRUE), GLboolean(GL_FALSE));
        GL1(glDepthMask)(GLboolean(GL_FALSE));
        // Clockwise: culled unless the front face is clockwise.
        const std::vector<float> cw = {-0.5f, -0.5f, -0.5f, 0.9f, 0.9f, 0.9f, -0.5f, -0.5f, 0.9f, 0.9f, 0.9f, -0.5f};
        Quad1(r, cw, 0.0f, 1.0f, 0.5f, 0.5f);
        GL1(glColorMask)(GLboolean(GL_TRUE), GLboolean(GL_TRUE), GLboolean(GL_TRUE), GLboolean(GL_TRUE));
        GL1(glDepthMask)(GLboolean(GL_TRUE));
        GL1(glDisable)(GLenum(GL_CLIP_PLANE0));
        GL1(glDisable)(GLenum(GL_CULL_FACE));
        // Only where the first quad wrote its reference.
        GL1(glStencilFunc)(GLenum(GL_EQUAL), 2 + f, GLuint(0x0F));
        GL1(glStencilOp)(GLenum(GL_KEEP), GLenum(GL_KEEP), GLenum(GL_KEEP));
        Quad1(r, Quad(-1.0f, -0.2f, 1.0f, 0.1f), 0.9f, 0.9f, 0.9f);
        GL1(glDisable)(GLenum(GL_STENCIL_TEST));
        // The logic op over a band.
        GL1(glDisable)(GLenum(GL_BLEND));
        GL1(glEnable)(GLenum(GL_COLOR_LOGIC_OP));
        GL1(glLogicOp)(GLenum(f == 3 ? GL_OR : GL_XOR));
        Quad1(r, Quad(0.2f, -1.0f, 0.6f, 1.0f), 0.5f, 0.7f, 0.1f);
        GL1(glDisable)(GLenum(GL_COLOR_LOGIC_OP));
        // Point sprites sized by an array.
        GL1(glDisable)(GLenum(GL_DEPTH_TEST));
        GL1(glDisable)(GLenum(GL_ALPHA_TEST));
        GL1(glEnable)(GLenum(GL_TEXTURE_2D));
        GL1(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", sprite});
        GL1(glTexEnvi)(GLenum(GL_TEXTURE_ENV), GLenum(GL_TEXTURE_ENV_MODE), GLint(GL_REPLACE));
        GL1(glEnable)(GLenum(GL_POINT_SPRITE_OES));
        GL1(glTexEnvi)(GLenum(GL_POINT_SPRITE_OES), GLenum(GL_COORD_REPLACE_OES), GLint(GL_TRUE));
        GL1(glPointSize)(4.0f);
        GL1(glPointParameterf)(GLenum(GL_POINT_SIZE_MIN), 1.0f);
        GL1(glPointParameterx)(GLenum(GL_POINT_SIZE_MAX), X(32.0f));
        const float attenuation[] = {1.0f, 0.0f, 0.0f};
        GL1(glPointParameterfv)(GLenum(GL_POINT_DISTANCE_ATTENUATION), Array<float>{attenuation, 3});
        const float points[] = {-0.7f, 0.7f, -0.3f, 0.7f, 0.1f, 0.7f};
        const float sizes[] = {3.0f, 6.0f + f, 10.0f};
        r.VertexPointer(2, GL_FLOAT, 0, points);
        r.PointSizePointer(GL_FLOAT, 0, sizes);
        r.EnableClientState(GL_POINT_SIZE_ARRAY_OES);
        r.DrawArrays(GL_POINTS, 0, 3);
        r.DisableClientState(GL_POINT_SIZE_ARRAY_OES);
        GL1(glDisable)(GLenum(GL_POINT_SPRITE_OES));
        GL1(glDisable)(GLenum(GL_TEXTURE_2D));
        // No pixel changes after this: state for the next frame, a read-back and queries.
        GL1(glHint)(GLenum(GL_PERSPECTIVE_CORRECTION_HINT), GLenum(f == 1 ? GL_NICEST : GL_FASTEST));
        GL1(glSampleCoverage)(0.25f * f, GLboolean(f == 2));
        GL1(glLineWidth)(1.0f + f);
        r.PixelStorei(GL_PACK_ALIGNMENT, 1 << f);
        r.ReadPixels(0, 0, 3, 2, GL_RGBA, GL_UNSIGNED_BYTE);
        GLint stencilBits[1] = {};
        GL1(glGetIntegerv)(GLenum(GL_STENCIL_BITS), Array<GLint>{stencilBits, 1});
        GL1(glIsEnabled)(GLenum(GL_BLEND));
        GL1(glGetError)();
        r.SwapBuffers(w.surface);
    }
}

// Matrix stacks in each mode, transforms, loads and multiplies in float and fixed point.
void Matrix(CRecorder& r)
{
    const SWindow w = Open(r, kW, kH);
    PatternTexture(r, 31);
    const std::vector<float> unit = Quad(-0.5f, -0.5f, 0.5f, 0.5f);
    for (int f = 1; f <= 3; ++f) {
        GL1(glViewport)(0, 0, GLsizei(kW), GLsizei(kH));
        ClearTo(r, 0.1f, 0.0f, 0.1f);
        GL1(glMatrixMode)(GLenum(GL_PROJECTION));
        GL1(glLoadIdentity)();
        GL1(glPushMatrix)();
        if (f == 2)
            GL1(glFrustumx)(X(-1), X(1), X(-1), X(1), X(1), X(10));
        else
            GL1(glFrustumf)(-1.0f, 1.0f, -1.0f, 1.0f, 1.0f, 10.0f);
        GL1(glMatrixMode)(GLenum(GL_MODELVIEW));
        GL1(glLoadIdentity)();
        GL1(glTranslatef)(0.0f, 0.0f, -3.0f);
        GL1(glPushMatrix)();
        GL1(glTranslatef)(-1.2f, -1.2f, 0.0f);
        GL1(glRotatef)(10.0f * f, 0.0f, 0.0f, 1.0f);
        GL1(glScalef)(1.2f, 0.8f, 1.0f);
        Quad1(r, unit, 1.0f, 0.3f, 0.3f);
        GL1(glPopMatrix)();
        GL1(glPushMatrix)();
        GL1(glTranslatex)(X(1.2f), X(-1.2f), 0);
        GL1(glRotatex)(X(15.0f * f), 0, 0, X(1.0f));
        GL1(glScalex)(X(0.8f), X(1.3f), X(1.0f));
        Quad1(r, unit, 0.3f, 1.0f, 0.3f);
        GL1(glPopMatrix)();
        // Loads and multiplies replace and compose the model-view.
        const float load[16] = {0.6f, 0, 0, 0, 0, 0.6f, 0, 0, 0, 0, 1, 0, -1.2f, 1.2f, -3.0f, 1};
        GL1(glLoadMatrixf)(Fixed<float>{load, 16});
        const float c = std::cos(0.3f * f), s = std::sin(0.3f * f);
        const float spin[16] = {c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
        GL1(glMultMatrixf)(Fixed<float>{spin, 16});
        Quad1(r, unit, 0.3f, 0.3f, 1.0f);
        const GLfixed loadx[16] = {X(0.5f), 0, 0, 0, 0, X(0.5f), 0, 0, 0, 0, X(1), 0, X(1.2f), X(1.2f), X(-3), X(1)};
        GL1(glLoadMatrixx)(Fixed<GLfixed>{loadx, 16});
        const GLfixed shear[16] = {X(1), 0, 0, 0, X(0.2f * f), X(1), 0, 0, 0, 0, X(1), 0, 0, 0, 0, X(1)};
        GL1(glMultMatrixx)(Fixed<GLfixed>{shear, 16});
        Quad1(r, unit, 1.0f, 1.0f, 0.3f);
        // The projection stack back to identity, then orthographic in fixed point.
        GL1(glMatrixMode)(GLenum(GL_PROJECTION));
        GL1(glPopMatrix)();
        GL1(glOrthox)(X(-2), X(2), X(-2), X(2), X(-1), X(1));
        GL1(glMatrixMode)(GLenum(GL_MODELVIEW));
        GL1(glLoadIdentity)();
        // The texture matrix: shifted per frame, scaled inside a push.
        GL1(glEnable)(GLenum(GL_TEXTURE_2D));
        GL1(glTexEnvi)(GLenum(GL_TEXTURE_ENV), GLenum(GL_TEXTURE_ENV_MODE), GLint(GL_MODULATE));
        GL1(glMatrixMode)(GLenum(GL_TEXTURE));
        GL1(glLoadIdentity)();
        GL1(glTranslatef)(0.25f * f, 0.0f, 0.0f);
        GL1(glPushMatrix)();
        GL1(glScalef)(2.0f, 2.0f, 1.0f);
        r.ClientActiveTexture(GL_TEXTURE0);
        r.TexCoordPointer(2, GL_FLOAT, 0, kQuadUv.data());
        r.EnableClientState(GL_TEXTURE_COORD_ARRAY);
        Quad1(r, Quad(-0.6f, -0.4f, 0.6f, 0.4f), 1.0f, 1.0f, 1.0f);
        r.DisableClientState(GL_TEXTURE_COORD_ARRAY);
        GL1(glPopMatrix)();
        GL1(glLoadIdentity)();
        GL1(glMatrixMode)(GLenum(GL_MODELVIEW));
        GL1(glDisable)(GLenum(GL_TEXTURE_2D));
        r.SwapBuffers(w.surface);
    }
}

// Buffers made in frame 1, changed in frame 2 and deleted in frame 3; a texture uploaded again.
void Multi(CRecorder& r)
{
    const SWindow w = Open(r, kW, kH);
    GLuint buffers[2] = {}, textures[2] = {};
    GL1(glGenBuffers)(2, Array<GLuint>{buffers, 2, "buffer"});
    GL1(glGenTextures)(2, Array<GLuint>{textures, 2, "texture"});
    const std::vector<float> quad = Quad(-0.8f, -0.8f, 0.8f, 0.8f);
    r.BindBuffer(GL_ARRAY_BUFFER, buffers[0]);
    GL1(glBufferData)(GLenum(GL_ARRAY_BUFFER), GLsizeiptr(quad.size() * 4), Bytes{quad.data(), quad.size() * 4},
                      GLenum(GL_DYNAMIC_DRAW));
    const uint16_t order[] = {0, 1, 2, 3, 4, 5};
    r.BindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers[1]);
    GL1(glBufferData)(GLenum(GL_ELEMENT_ARRAY_BUFFER), GLsizeiptr(sizeof order), Bytes{order, sizeof order},
                      GLenum(GL_STATIC_DRAW));
    for (int i = 0; i < 2; ++i) {
        GL1(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", textures[i]});
        const std::vector<uint8_t> pixels = Pattern(4 * 4 * 4, 40 + i);
        r.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 4, 4, GL_UNSIGNED_BYTE, pixels.data());
        GL1(glTexParameteri)(GLenum(GL_TEXTURE_2D), GLenum(GL_TEXTURE_MIN_FILTER), GLint(GL_NEAREST));
    }
    for (int f = 1; f <= 3; ++f) {
        Frame(r);
        ClearTo(r, 0.0f, 0.1f * f, 0.0f);
        r.BindBuffer(GL_ARRAY_BUFFER, buffers[0]);
        if (f == 2) {
            const float moved[] = {-0.6f, -0.9f, 0.9f, -0.9f};
            GL1(glBufferSubData)(GLenum(GL_ARRAY_BUFFER), GLintptr(0), GLsizeiptr(sizeof moved),
                                 Bytes{moved, sizeof moved});
            GL1(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", textures[0]});
            const std::vector<uint8_t> again = Pattern(2 * 2 * 4, 77);
            r.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 2, GL_UNSIGNED_BYTE, again.data());
        }
        r.VertexPointer(2, GL_FLOAT, 0, nullptr);
        r.EnableClientState(GL_VERTEX_ARRAY);
        r.BindBuffer(GL_ARRAY_BUFFER, 0);
        r.ClientActiveTexture(GL_TEXTURE0);
        r.TexCoordPointer(2, GL_FLOAT, 0, kQuadUv.data());
        r.EnableClientState(GL_TEXTURE_COORD_ARRAY);
        GL1(glEnable)(GLenum(GL_TEXTURE_2D));
        GL1(glTexEnvi)(GLenum(GL_TEXTURE_ENV), GLenum(GL_TEXTURE_ENV_MODE), GLint(GL_REPLACE));
        GL1(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", textures[f == 3 ? 1 : 0]});
        r.BindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers[1]);
        r.DrawElements(GL_TRIANGLES, 6, GL_UNSIGNED_SHORT, nullptr);
        if (f == 3) {
            GL1(glDeleteBuffers)(2, Array<GLuint>{buffers, 2, "buffer"});
            GL1(glDeleteTextures)(1, Array<GLuint>{&textures[0], 1, "texture"});
            // Client arrays still draw.
            r.DisableClientState(GL_TEXTURE_COORD_ARRAY);
            GL1(glDisable)(GLenum(GL_TEXTURE_2D));
            Quad1(r, Quad(-0.2f, -0.2f, 0.2f, 0.2f), 1.0f, 0.0f, 1.0f);
        }
        r.DisableClientState(GL_TEXTURE_COORD_ARRAY);
        GL1(glDisable)(GLenum(GL_TEXTURE_2D));
        r.SwapBuffers(w.surface);
    }
}

// One state-changing call recorded with a GL error (frame 2): nothing may take it.
void Error(CRecorder& r)
{
    const SWindow w = Open(r, kW, kH);
    GL1(glEnable)(GLenum(GL_BLEND));
    GL1(glBlendFunc)(GLenum(GL_SRC_ALPHA), GLenum(GL_ONE_MINUS_SRC_ALPHA));
    for (int f = 1; f <= 3; ++f) {
        Frame(r);
        ClearTo(r, 0.0f, 0.0f, 0.3f);
        if (f == 2)
            GL1(glBlendFunc)(GLenum(GL_ONE), GLenum(0x1234));  // GL_INVALID_ENUM: the blend stays
        Quad1(r, Quad(-0.7f, -0.7f, 0.7f, 0.7f), 1.0f, 0.5f, 0.0f, 0.5f);
        r.SwapBuffers(w.surface);
    }
}

// The benchmark workload: 800 x 600, 60 frames of about 474 calls and 200 indexed draws of a cube
// from buffers, each with a matrix of its own and colours from client arrays.
void Mix(CRecorder& r)
{
    const SWindow w = Open(r, 800, 600);
    const float corners[] = {-1, -1, -1, 1, -1, -1, 1, 1, -1, -1, 1, -1, -1, -1, 1, 1, -1, 1, 1, 1, 1, -1, 1, 1};
    const uint16_t cube[] = {0, 1, 2, 0, 2, 3, 4, 6, 5, 4, 7, 6, 0, 4, 5, 0, 5, 1,
                             3, 2, 6, 3, 6, 7, 1, 5, 6, 1, 6, 2, 0, 3, 7, 0, 7, 4};
    GLubyte colors[4][8 * 4];
    for (int k = 0; k < 4; ++k)
        for (int v = 0; v < 8; ++v) {
            colors[k][4 * v] = GLubyte(60 + 40 * k + 10 * v);
            colors[k][4 * v + 1] = GLubyte(200 - 30 * k);
            colors[k][4 * v + 2] = GLubyte(100 + 20 * v);
            colors[k][4 * v + 3] = 255;
        }
    GLuint buffers[2] = {};
    GL1(glGenBuffers)(2, Array<GLuint>{buffers, 2, "buffer"});
    r.BindBuffer(GL_ARRAY_BUFFER, buffers[0]);
    GL1(glBufferData)(GLenum(GL_ARRAY_BUFFER), GLsizeiptr(sizeof corners), Bytes{corners, sizeof corners},
                      GLenum(GL_STATIC_DRAW));
    r.BindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers[1]);
    GL1(glBufferData)(GLenum(GL_ELEMENT_ARRAY_BUFFER), GLsizeiptr(sizeof cube), Bytes{cube, sizeof cube},
                      GLenum(GL_STATIC_DRAW));
    for (int f = 1; f <= 60; ++f) {
        Frame(r, 800, 600);
        GL1(glClearColor)(0.05f, 0.05f, 0.1f, 1.0f);
        GL1(glClearDepthf)(1.0f);
        GL1(glClear)(GLbitfield(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT));
        GL1(glEnable)(GLenum(GL_DEPTH_TEST));
        r.BindBuffer(GL_ARRAY_BUFFER, buffers[0]);
        r.VertexPointer(3, GL_FLOAT, 0, nullptr);
        r.EnableClientState(GL_VERTEX_ARRAY);
        r.BindBuffer(GL_ARRAY_BUFFER, 0);
        r.EnableClientState(GL_COLOR_ARRAY);
        r.BindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers[1]);
        for (int d = 0; d < 200; ++d) {
            if (d % 4 == 0)
                r.ColorPointer(4, GL_UNSIGNED_BYTE, 0, colors[(d / 4) % 4]);
            const float angle = 0.02f * float(f) + 0.1f * float(d);
            const float c = std::cos(angle) * 0.04f, s = std::sin(angle) * 0.04f;
            const float x = -0.95f + 0.1f * float(d % 20), y = -0.9f + 0.18f * float(d / 20);
            const float m[16] = {c, s, 0, 0, -s, c, 0, 0, 0, 0, 0.04f, 0, x, y, 0.5f - 0.002f * d, 1};
            GL1(glLoadMatrixf)(Fixed<float>{m, 16});
            r.DrawElements(GL_TRIANGLES, 36, GL_UNSIGNED_SHORT, nullptr);
        }
        r.DisableClientState(GL_COLOR_ARRAY);
        GL1(glDisable)(GLenum(GL_DEPTH_TEST));
        r.SwapBuffers(w.surface);
    }
}

// The ES 1.1 client-array workload, a 2D renderer's sprites: 800 x 600, 60 frames of 120 textured
// quads, each from client arrays of its own (x, y, u, v interleaved, stride 16) pointed at just
// before its draw, the colour set every eighth draw.
void Sprites(CRecorder& r)
{
    const SWindow w = Open(r, 800, 600);
    GLuint texture = 0;
    GL1(glGenTextures)(1, Array<GLuint>{&texture, 1, "texture"});
    GL1(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", texture});
    const std::vector<uint8_t> pixels = Pattern(32 * 32 * 4, 7);
    r.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 32, 32, GL_UNSIGNED_BYTE, pixels.data());
    GL1(glTexParameteri)(GLenum(GL_TEXTURE_2D), GLenum(GL_TEXTURE_MIN_FILTER), GLint(GL_LINEAR));
    std::vector<float> vertices(120 * 16);
    for (int f = 1; f <= 60; ++f) {
        Frame(r, 800, 600);
        ClearTo(r, 0.1f, 0.1f, 0.15f);
        GL1(glEnable)(GLenum(GL_TEXTURE_2D));
        GL1(glEnable)(GLenum(GL_BLEND));
        GL1(glBlendFunc)(GLenum(GL_SRC_ALPHA), GLenum(GL_ONE_MINUS_SRC_ALPHA));
        GL1(glTexEnvi)(GLenum(GL_TEXTURE_ENV), GLenum(GL_TEXTURE_ENV_MODE), GLint(GL_MODULATE));
        r.EnableClientState(GL_VERTEX_ARRAY);
        r.EnableClientState(GL_TEXTURE_COORD_ARRAY);
        for (int d = 0; d < 120; ++d) {
            float* v = &vertices[size_t(d) * 16];
            SpriteQuad(f, d, v);
            if (d % 8 == 0)
                GL1(glColor4f)(0.5f + 0.004f * d, 0.9f - 0.005f * d, 0.6f, 0.9f);
            r.VertexPointer(2, GL_FLOAT, 16, v);
            r.TexCoordPointer(2, GL_FLOAT, 16, v + 2);
            r.DrawArrays(GL_TRIANGLE_STRIP, 0, 4);
        }
        r.DisableClientState(GL_TEXTURE_COORD_ARRAY);
        GL1(glDisable)(GLenum(GL_BLEND));
        GL1(glDisable)(GLenum(GL_TEXTURE_2D));
        r.SwapBuffers(w.surface);
    }
}

// Four opaque quads over black a frame, each covering a known part of the surface: all of it, its
// top half, its left half, its bottom right quarter. Its overdraw counts per quarter follow from
// those rectangles alone (top left 3, top right 2, bottom left 2, bottom right 2).
void Overdraw(CRecorder& r)
{
    const SWindow w = Open(r, kW, kH);
    Frame(r);
    const std::vector<std::vector<float>> quads = {Quad(-1, -1, 1, 1), Quad(-1, 0, 1, 1), Quad(-1, -1, 0, 1),
                                                   Quad(0, -1, 1, 0)};
    for (int f = 1; f <= 3; ++f) {
        ClearTo(r, 0.0f, 0.0f, 0.0f);
        for (size_t q = 0; q < quads.size(); ++q)
            Quad1(r, quads[q], 0.2f * float(q), 0.1f * float(f), 1.0f - 0.2f * float(q));
        r.SwapBuffers(w.surface);
    }
}

// State a restore does not send, set in frame 1 only: a material, a texture environment, the
// enabled client arrays and the viewport. Frames from 2 on, replayed from their restored start, are
// meant to differ from the direct run.
void Leftover(CRecorder& r)
{
    const SWindow w = Open(r, kW, kH);
    GLuint t = 0;
    GL1(glGenTextures)(1, Array<GLuint>{&t, 1, "texture"});
    GL1(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", t});
    const uint8_t checker[] = {255, 255, 255, 255, 60, 60, 200, 255, 60, 60, 200, 255, 255, 255, 255, 255};
    r.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 2, GL_UNSIGNED_BYTE, checker);
    GL1(glTexParameteri)(GLenum(GL_TEXTURE_2D), GLenum(GL_TEXTURE_MIN_FILTER), GLint(GL_NEAREST));
    GL1(glTexParameteri)(GLenum(GL_TEXTURE_2D), GLenum(GL_TEXTURE_MAG_FILTER), GLint(GL_NEAREST));
    const std::vector<float> quad = {-0.8f, -0.8f, 0.8f, -0.8f, 0.8f, 0.8f, -0.8f, -0.8f, 0.8f, 0.8f, -0.8f, 0.8f};
    for (int f = 1; f <= 3; ++f) {
        if (f == 1) {
            GL1(glViewport)(8, 4, 48, 40);
            const float red[] = {0.9f, 0.2f, 0.1f, 1.0f};
            GL1(glMaterialfv)(GLenum(GL_FRONT_AND_BACK), GLenum(GL_AMBIENT_AND_DIFFUSE), Array<float>{red, 4});
            GL1(glTexEnvi)(GLenum(GL_TEXTURE_ENV), GLenum(GL_TEXTURE_ENV_MODE), GLint(GL_ADD));
            r.EnableClientState(GL_VERTEX_ARRAY);
            r.EnableClientState(GL_TEXTURE_COORD_ARRAY);
        }
        GL1(glMatrixMode)(GLenum(GL_MODELVIEW));
        GL1(glLoadIdentity)();
        GL1(glEnable)(GLenum(GL_LIGHTING));
        GL1(glEnable)(GLenum(GL_LIGHT0));
        GL1(glEnable)(GLenum(GL_TEXTURE_2D));
        ClearTo(r, 0.1f * f, 0.1f, 0.2f);
        r.VertexPointer(2, GL_FLOAT, 0, quad.data());
        r.TexCoordPointer(2, GL_FLOAT, 0, kQuadUv.data());
        r.DrawArrays(GL_TRIANGLES, 0, 6);
        r.SwapBuffers(w.surface);
    }
}

// The viewport, both stacks of the projection and the model-view and a texture matrix set in frame 1
// only, which draws nothing; frames 2 and 3 draw under what the frame before left and pop to the
// entries below it. A frame restored at its start must bring back every entry of every stack.
void SetOnce(CRecorder& r)
{
    const SWindow w = Open(r, kW, kH);
    const std::vector<float> big = Quad(-0.5f, -0.5f, 0.5f, 0.5f), small = Quad(-0.25f, -0.25f, 0.25f, 0.25f);
    for (int f = 1; f <= 3; ++f) {
        if (f == 1) {
            GL1(glViewport)(6, 4, 48, 36);
            GL1(glMatrixMode)(GLenum(GL_PROJECTION));
            GL1(glLoadIdentity)();
            GL1(glScalef)(0.8f, 0.8f, 1.0f);
            GL1(glPushMatrix)();
            GL1(glOrthof)(-2.0f, 2.0f, -1.5f, 1.5f, -1.0f, 1.0f);
            GL1(glMatrixMode)(GLenum(GL_TEXTURE));
            GL1(glTranslatef)(0.25f, 0.0f, 0.0f);
            GL1(glMatrixMode)(GLenum(GL_MODELVIEW));
            GL1(glLoadIdentity)();
            GL1(glTranslatex)(X(0.5f), X(0.25f), 0);
            GL1(glPushMatrix)();
            GL1(glScalef)(1.5f, 0.75f, 1.0f);
            GL1(glRotatef)(20.0f, 0.0f, 0.0f, 1.0f);
            ClearTo(r, 0.1f, 0.1f, 0.1f);
            r.SwapBuffers(w.surface);
            continue;
        }
        ClearTo(r, 0.05f * f, 0.1f, 0.2f);
        Quad1(r, big, 0.9f, 0.4f, 0.1f);  // under the top of the model-view stack
        GL1(glPopMatrix)();
        Quad1(r, small, 0.2f, 0.8f, 0.3f);  // under the entry below it
        GL1(glPushMatrix)();
        GL1(glRotatex)(X(15.0f * f), 0, 0, X(1.0f));
        if (f == 3) {
            // The projection's entry below the orthographic one.
            GL1(glMatrixMode)(GLenum(GL_PROJECTION));
            GL1(glPopMatrix)();
            GL1(glMatrixMode)(GLenum(GL_MODELVIEW));
            Quad1(r, small, 0.3f, 0.3f, 0.9f);
        }
        r.SwapBuffers(w.surface);
    }
}

} // namespace

const std::vector<SScene>& Es1Scenes()
{
    static const std::vector<SScene> scenes = {
        {"es1-clear", "ES 1.1: frames of clears only, float and fixed point", &Clear, 1},
        {"es1-tri-client", "ES 1.1: client colour and vertex arrays, normals from a buffer", &TriClient, 1},
        {"es1-indexed", "ES 1.1: client indices of 8, 16 and 32 bits, an element buffer", &Indexed, 1},
        {"es1-textured", "ES 1.1: texture formats, levels, generated mipmaps, two units combined", &Textured, 1},
        {"es1-lit", "ES 1.1: three lights, materials, fog, two-sided lighting", &Lit, 1},
        {"es1-state", "ES 1.1: fragment tests, culling, clip planes, logic op, point sprites", &State, 1},
        {"es1-matrix", "ES 1.1: matrix stacks, transforms, loads and multiplies", &Matrix, 1},
        {"es1-multi", "ES 1.1: buffers made, changed and deleted; a texture uploaded again", &Multi, 1},
        {"es1-error", "ES 1.1: one state-changing call recorded with a GL error", &Error, 1},
        {"es1-overdraw", "ES 1.1: four opaque quads over known parts of the surface a frame", &Overdraw, 1},
        {"es1-leftover", "ES 1.1: a material, a texture environment, client arrays and the viewport set in frame 1 only",
         &Leftover, 1},
        {"es1-set-once", "ES 1.1: the viewport and every matrix stack set in frame 1 only, drawn under in frames 2-3",
         &SetOnce, 1},
        {"es1-mix", "ES 1.1 benchmark workload: 800 x 600, 60 frames of 200 indexed draws", &Mix, 1},
        {"es1-sprites", "ES 1.1 client-array workload: 800 x 600, 60 frames of 120 sprites, each pointed at before its draw",
         &Sprites, 1},
    };
    return scenes;
}

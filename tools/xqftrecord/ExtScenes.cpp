// The extension scenes: vertex-array objects, buffer mapping and discard on each API; on ES 1.1
// also a texture rendered through an OES framebuffer and one frame drawn with a multi-draw call.
// In es2-ext and es1-ext every extension object is made and deleted inside its frame; the ...-later
// scenes make theirs in frame 1 and use them in frame 3, so a replay of frame 3 needs them restored.
#include "Scenes.h"

#include <cstring>

using namespace scene;

namespace {

constexpr uint32_t kW = 64, kH = 48;
constexpr GLenum kFramebuffer = 0x8D40, kColorAttachment0 = 0x8CE0, kWriteOnly = 0x88B9, kDepth = 0x1801;

// The extension prototypes the scenes call.
using GenNames = void (*)(GLsizei, GLuint*);
using ConstNames = void (*)(GLsizei, const GLuint*);
using BindName = void (*)(GLuint);
using BindObject = void (*)(GLenum, GLuint);
using Discard = void (*)(GLenum, GLsizei, const GLenum*);
using Texture2D = void (*)(GLenum, GLenum, GLenum, GLuint, GLint);
using Status = GLenum (*)(GLenum);
using Mipmap = void (*)(GLenum);

// glMapBufferOES logs no result: the address is kept here for the scene to write through.
void* g_mapped = nullptr;
void MapBuffer(CRecorder& r, GLenum target, const std::vector<uint8_t>& bytes)
{
    using Map = void* (*)(GLenum, GLenum);
    static const Map map = reinterpret_cast<Map>(CDirectMesa::Resolve("glMapBufferOES"));
    g_mapped = nullptr;
    r.Gl(CallIdOf(ECallFamily::Ext, "glMapBufferOES"), "glMapBufferOES",
         +[](GLenum t, GLenum access) { g_mapped = map(t, access); })(target, kWriteOnly);
    if (g_mapped)
        std::memcpy(g_mapped, bytes.data(), bytes.size());
    r.UnmapBuffer(target, bytes);
}

std::vector<uint8_t> BytesOf(const std::vector<float>& v)
{
    std::vector<uint8_t> bytes(v.size() * sizeof(float));
    std::memcpy(bytes.data(), v.data(), bytes.size());
    return bytes;
}

// A new vertex-array object, bound.
GLuint BoundVertexArray(CRecorder& r)
{
    GLuint array = 0;
    REC_EXT(r, glGenVertexArraysOES, GenNames)(1, Array<GLuint>{&array, 1, "vertexarray"});
    r.BindVertexArray(array);
    return array;
}

void DeleteVertexArray(CRecorder& r, GLuint array)
{
    r.BindVertexArray(0);
    r.DeleteVertexArray(array);
}

// The depth buffer is not kept past the frame; the colours are.
void DiscardDepth(CRecorder& r)
{
    const GLenum attachments[] = {kDepth};
    REC_EXT(r, glDiscardFramebufferEXT, Discard)(kFramebuffer, GLsizei(1), Array<GLenum>{attachments, 1});
}

// ES 2.0: each frame draws a quad whose vertices were written through a mapping, from a buffer
// bound in a vertex-array object made for the frame, then a client-array quad on the default one.
// The buffer lives on (the tracked state keeps buffers, deleted or not) and is cleared again at each
// frame's end: what a mapping wrote is not part of the tracked state a restore sends.
void Es2Ext(CRecorder& r)
{
    const SWindow w = Open(r, kW, kH);
    const GLuint program = Program(r, kColorVertex, kColorFragment, {"a_position", "a_color"});
    GL(glUseProgram)(Name{"program", program});
    GLuint buffer = 0;
    GL(glGenBuffers)(1, Array<GLuint>{&buffer, 1, "buffer"});
    const std::vector<uint8_t> zeros(12 * sizeof(float));
    auto clearBuffer = [&] {
        r.BindBuffer(GL_ARRAY_BUFFER, buffer);
        GL(glBufferData)(GLenum(GL_ARRAY_BUFFER), GLsizeiptr(zeros.size()), Bytes{zeros.data(), zeros.size()},
                         GLenum(GL_DYNAMIC_DRAW));
        r.BindBuffer(GL_ARRAY_BUFFER, 0);
    };
    clearBuffer();
    for (int f = 1; f <= 3; ++f) {
        GL(glViewport)(0, 0, GLsizei(kW), GLsizei(kH));
        GL(glClearColor)(0.1f, 0.1f, 0.2f, 1.0f);
        GL(glClear)(GLbitfield(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT));
        const GLuint array = BoundVertexArray(r);
        r.BindBuffer(GL_ARRAY_BUFFER, buffer);
        MapBuffer(r, GL_ARRAY_BUFFER, BytesOf(Quad(-0.8f + 0.1f * f, -0.8f, 0.2f, 0.3f)));
        r.VertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
        r.EnableVertexAttribArray(0);
        r.DisableVertexAttribArray(1);
        GL(glVertexAttrib4f)(1u, 0.9f, 0.3f * f, 0.1f, 1.0f);
        r.DrawArrays(GL_TRIANGLES, 0, 6);
        DeleteVertexArray(r, array);
        r.BindBuffer(GL_ARRAY_BUFFER, 0);
        ColorQuad(r, Quad(0.3f, 0.3f, 0.9f, 0.9f), 0.2f, 0.8f, 0.3f * f);
        DiscardDepth(r);
        clearBuffer();
        r.SwapBuffers(w.surface);
    }
}

// The multi-draw call's arrays: two triangles of the vertex array.
const GLint kFirsts[] = {0, 3};
const GLsizei kCounts[] = {3, 3};

// ES 1.1: vertex-array objects (Mesa's ES 1.1 contexts answer them with GL_INVALID_OPERATION), a
// quad from a mapped buffer, a texture rendered through an OES framebuffer and drawn (frames 2 on),
// and in frame 4 two triangles drawn by glMultiDrawArraysEXT.
void Es1Ext(CRecorder& r)
{
    const SWindow w = Open(r, kW, kH);
    for (int f = 1; f <= 4; ++f) {
        GL1(glViewport)(0, 0, GLsizei(kW), GLsizei(kH));
        GL1(glMatrixMode)(GLenum(GL_PROJECTION));
        GL1(glLoadIdentity)();
        GL1(glMatrixMode)(GLenum(GL_MODELVIEW));
        GL1(glLoadIdentity)();
        GL1(glClearColor)(0.1f, 0.1f, 0.2f, 1.0f);
        GL1(glClear)(GLbitfield(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT));
        DeleteVertexArray(r, BoundVertexArray(r));

        GLuint buffer = 0;
        GL1(glGenBuffers)(1, Array<GLuint>{&buffer, 1, "buffer"});
        r.BindBuffer(GL_ARRAY_BUFFER, buffer);
        const std::vector<float> quad = Quad(-0.9f, -0.9f + 0.1f * f, -0.3f, -0.2f);
        GL1(glBufferData)(GLenum(GL_ARRAY_BUFFER), GLsizeiptr(quad.size() * sizeof(float)), Bytes{nullptr, 0},
                          GLenum(GL_DYNAMIC_DRAW));
        MapBuffer(r, GL_ARRAY_BUFFER, BytesOf(quad));
        r.VertexPointer(2, GL_FLOAT, 0, nullptr);
        r.BindBuffer(GL_ARRAY_BUFFER, 0);
        r.EnableClientState(GL_VERTEX_ARRAY);
        GL1(glColor4f)(0.9f, 0.2f * f, 0.1f, 1.0f);
        r.DrawArrays(GL_TRIANGLES, 0, 6);
        GL1(glDeleteBuffers)(1, Array<GLuint>{&buffer, 1, "buffer"});

        if (f >= 2) {
            GLuint texture = 0, framebuffer = 0;
            GL1(glGenTextures)(1, Array<GLuint>{&texture, 1, "texture"});
            GL1(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", texture});
            r.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 16, 16, GL_UNSIGNED_BYTE, nullptr);
            REC_EXT(r, glGenFramebuffersOES, GenNames)(1, Array<GLuint>{&framebuffer, 1, "framebuffer"});
            REC_EXT(r, glBindFramebufferOES, BindObject)(kFramebuffer, Name{"framebuffer", framebuffer});
            REC_EXT(r, glFramebufferTexture2DOES, Texture2D)(kFramebuffer, kColorAttachment0, GLenum(GL_TEXTURE_2D),
                                                            Name{"texture", texture}, 0);
            REC_EXT(r, glCheckFramebufferStatusOES, Status)(kFramebuffer);
            GL1(glViewport)(0, 0, 16, 16);
            GL1(glClearColor)(0.2f * f, 0.7f, 0.9f, 1.0f);
            GL1(glClear)(GLbitfield(GL_COLOR_BUFFER_BIT));
            GL1(glColor4f)(1.0f, 1.0f, 0.0f, 1.0f);
            const std::vector<float> corner = Quad(-1.0f, -1.0f, 0.0f, 0.0f);
            r.VertexPointer(2, GL_FLOAT, 0, corner.data());
            r.DrawArrays(GL_TRIANGLES, 0, 6);
            REC_EXT(r, glBindFramebufferOES, BindObject)(kFramebuffer, Name{"framebuffer", 0});
            GL1(glViewport)(0, 0, GLsizei(kW), GLsizei(kH));
            REC_EXT(r, glGenerateMipmapOES, Mipmap)(GLenum(GL_TEXTURE_2D));
            GL1(glTexParameteri)(GLenum(GL_TEXTURE_2D), GLenum(GL_TEXTURE_MIN_FILTER), GLint(GL_NEAREST_MIPMAP_NEAREST));
            GL1(glEnable)(GLenum(GL_TEXTURE_2D));
            GL1(glTexEnvi)(GLenum(GL_TEXTURE_ENV), GLenum(GL_TEXTURE_ENV_MODE), GLint(GL_REPLACE));
            const std::vector<float> uv = {0, 0, 1, 0, 1, 1, 0, 0, 1, 1, 0, 1};
            r.TexCoordPointer(2, GL_FLOAT, 0, uv.data());
            r.EnableClientState(GL_TEXTURE_COORD_ARRAY);
            const std::vector<float> shown = Quad(0.0f, -0.2f, 0.9f, 0.9f);
            r.VertexPointer(2, GL_FLOAT, 0, shown.data());
            r.DrawArrays(GL_TRIANGLES, 0, 6);
            r.DisableClientState(GL_TEXTURE_COORD_ARRAY);
            GL1(glDisable)(GLenum(GL_TEXTURE_2D));
            REC_EXT(r, glDeleteFramebuffersOES, ConstNames)(1, Array<GLuint>{&framebuffer, 1, "framebuffer"});
            GL1(glDeleteTextures)(1, Array<GLuint>{&texture, 1, "texture"});
        }
        if (f == 4) {
            static const std::vector<float> triangles = {-0.9f, 0.2f, -0.5f, 0.2f, -0.7f, 0.6f,
                                                         -0.4f, 0.2f, 0.0f, 0.2f, -0.2f, 0.6f};
            r.VertexPointer(2, GL_FLOAT, 0, triangles.data());
            GL1(glColor4f)(0.0f, 1.0f, 1.0f, 1.0f);
            // The record carries nothing of the draw: the arguments stay out of the log.
            using MultiDraw = void (*)(GLenum, const GLint*, const GLsizei*, GLsizei);
            static const MultiDraw draw = reinterpret_cast<MultiDraw>(CDirectMesa::Resolve("glMultiDrawArraysEXT"));
            r.Gl(CallIdOf(ECallFamily::Ext, "glMultiDrawArraysEXT"), "glMultiDrawArraysEXT",
                 +[] { draw(GL_TRIANGLES, kFirsts, kCounts, 2); })();
        }
        DiscardDepth(r);
        r.SwapBuffers(w.surface);
    }
}

// ES 2.0: a vertex-array object made and filled in frame 1 only (attribute 0 from a buffer, an element
// buffer) and drawn from again in frame 3, where it is still bound from frame 2's end; every frame
// also draws a client-array quad on the default object, which keeps arrays of its own.
void Es2VertexArrayLater(CRecorder& r)
{
    const SWindow w = Open(r, kW, kH);
    const GLuint program = Program(r, kColorVertex, kColorFragment, {"a_position", "a_color"});
    GL(glUseProgram)(Name{"program", program});
    GLuint array = 0;
    for (int f = 1; f <= 3; ++f) {
        GL(glClearColor)(0.1f, 0.1f, 0.2f, 1.0f);
        GL(glClear)(GLbitfield(GL_COLOR_BUFFER_BIT));
        if (f == 1) {
            array = BoundVertexArray(r);
            GLuint buffers[2] = {};
            GL(glGenBuffers)(2, Array<GLuint>{buffers, 2, "buffer"});
            const std::vector<float> corners = {-0.9f, -0.9f, -0.1f, -0.9f, -0.1f, -0.1f, -0.9f, -0.1f};
            r.BindBuffer(GL_ARRAY_BUFFER, buffers[0]);
            GL(glBufferData)(GLenum(GL_ARRAY_BUFFER), GLsizeiptr(corners.size() * sizeof(float)),
                             Bytes{corners.data(), corners.size() * sizeof(float)}, GLenum(GL_STATIC_DRAW));
            const GLushort indices[] = {0, 1, 2, 0, 2, 3};
            r.BindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers[1]);
            GL(glBufferData)(GLenum(GL_ELEMENT_ARRAY_BUFFER), GLsizeiptr(sizeof indices), Bytes{indices, sizeof indices},
                             GLenum(GL_STATIC_DRAW));
            r.VertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
            r.EnableVertexAttribArray(0);
            r.DisableVertexAttribArray(1);
            r.BindBuffer(GL_ARRAY_BUFFER, 0);
        }
        if (f != 2) {
            GL(glVertexAttrib4f)(1u, 0.9f, 0.2f * f, 0.1f, 1.0f);
            r.DrawElements(GL_TRIANGLES, 6, GL_UNSIGNED_SHORT, nullptr);
        }
        r.BindVertexArray(0);
        ColorQuad(r, Quad(0.1f * f, 0.2f, 0.3f + 0.1f * f, 0.8f), 0.2f, 0.8f, 0.3f * f);
        r.BindVertexArray(array);  // the next frame starts with it bound
        r.SwapBuffers(w.surface);
    }
}

// ES 2.0: each frame first draws from the default object with the buffer offset the frame before set
// there, then sets the next one and ends with a vertex-array object bound: a restore that fills the
// default object's arrays into the bound object would leave the offset a pass before left.
void Es2DefaultArraysUnderObject(CRecorder& r)
{
    const SWindow w = Open(r, kW, kH);
    const GLuint program = Program(r, kColorVertex, kColorFragment, {"a_position", "a_color"});
    GL(glUseProgram)(Name{"program", program});
    std::vector<float> quads;
    for (int q = 0; q < 4; ++q) {
        const std::vector<float> quad = Quad(-0.9f + 0.45f * q, -0.9f, -0.6f + 0.45f * q, 0.3f);
        quads.insert(quads.end(), quad.begin(), quad.end());
    }
    const size_t quadBytes = 12 * sizeof(float);
    GLuint buffer = 0;
    GL(glGenBuffers)(1, Array<GLuint>{&buffer, 1, "buffer"});
    r.BindBuffer(GL_ARRAY_BUFFER, buffer);
    GL(glBufferData)(GLenum(GL_ARRAY_BUFFER), GLsizeiptr(quads.size() * sizeof(float)),
                     Bytes{quads.data(), quads.size() * sizeof(float)}, GLenum(GL_STATIC_DRAW));
    const GLuint array = BoundVertexArray(r);
    r.BindBuffer(GL_ARRAY_BUFFER, buffer);
    r.VertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, reinterpret_cast<const void*>(3 * quadBytes));
    r.EnableVertexAttribArray(0);
    r.BindVertexArray(0);
    r.VertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
    r.EnableVertexAttribArray(0);
    r.BindBuffer(GL_ARRAY_BUFFER, 0);
    r.BindVertexArray(array);
    for (int f = 1; f <= 3; ++f) {
        GL(glClearColor)(0.1f, 0.1f, 0.2f, 1.0f);
        GL(glClear)(GLbitfield(GL_COLOR_BUFFER_BIT));
        r.BindVertexArray(0);
        GL(glVertexAttrib4f)(1u, 0.9f, 0.3f * f, 0.1f, 1.0f);
        r.DrawArrays(GL_TRIANGLES, 0, 6);
        r.BindBuffer(GL_ARRAY_BUFFER, buffer);
        r.VertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, reinterpret_cast<const void*>(f * quadBytes));
        r.BindBuffer(GL_ARRAY_BUFFER, 0);
        r.BindVertexArray(array);
        GL(glVertexAttrib4f)(1u, 0.2f, 0.8f, 0.3f * f, 1.0f);
        r.DrawArrays(GL_TRIANGLES, 0, 6);
        r.SwapBuffers(w.surface);
    }
}

// ES 1.1: an OES framebuffer with a texture for its colours and an OES renderbuffer for its depth,
// made in frame 1 and rendered into and shown only in frame 3, where two overlapping quads at two
// depths show the depth buffer at work.
void Es1FramebufferLater(CRecorder& r)
{
    using Storage = void (*)(GLenum, GLenum, GLsizei, GLsizei);
    using Renderbuffer = void (*)(GLenum, GLenum, GLenum, GLuint);
    constexpr GLenum kRenderbuffer = 0x8D41, kDepthAttachment = 0x8D00, kDepth16 = 0x81A5;
    const SWindow w = Open(r, kW, kH);
    GLuint texture = 0, framebuffer = 0, renderbuffer = 0;
    for (int f = 1; f <= 3; ++f) {
        GL1(glViewport)(0, 0, GLsizei(kW), GLsizei(kH));
        GL1(glMatrixMode)(GLenum(GL_PROJECTION));
        GL1(glLoadIdentity)();
        GL1(glMatrixMode)(GLenum(GL_MODELVIEW));
        GL1(glLoadIdentity)();
        GL1(glClearColor)(0.1f, 0.1f, 0.2f, 1.0f);
        GL1(glClear)(GLbitfield(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT));
        if (f == 1) {
            GL1(glGenTextures)(1, Array<GLuint>{&texture, 1, "texture"});
            GL1(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", texture});
            r.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 16, 16, GL_UNSIGNED_BYTE, nullptr);
            GL1(glTexParameteri)(GLenum(GL_TEXTURE_2D), GLenum(GL_TEXTURE_MIN_FILTER), GLint(GL_NEAREST));
            GL1(glTexParameteri)(GLenum(GL_TEXTURE_2D), GLenum(GL_TEXTURE_MAG_FILTER), GLint(GL_NEAREST));
            GL1(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", 0});
            REC_EXT(r, glGenRenderbuffersOES, GenNames)(1, Array<GLuint>{&renderbuffer, 1, "renderbuffer"});
            REC_EXT(r, glBindRenderbufferOES, BindObject)(kRenderbuffer, Name{"renderbuffer", renderbuffer});
            REC_EXT(r, glRenderbufferStorageOES, Storage)(kRenderbuffer, kDepth16, 16, 16);
            REC_EXT(r, glGenFramebuffersOES, GenNames)(1, Array<GLuint>{&framebuffer, 1, "framebuffer"});
            REC_EXT(r, glBindFramebufferOES, BindObject)(kFramebuffer, Name{"framebuffer", framebuffer});
            REC_EXT(r, glFramebufferTexture2DOES, Texture2D)(kFramebuffer, kColorAttachment0, GLenum(GL_TEXTURE_2D),
                                                            Name{"texture", texture}, 0);
            REC_EXT(r, glFramebufferRenderbufferOES, Renderbuffer)(kFramebuffer, kDepthAttachment, kRenderbuffer,
                                                                  Name{"renderbuffer", renderbuffer});
            REC_EXT(r, glCheckFramebufferStatusOES, Status)(kFramebuffer);
            REC_EXT(r, glBindFramebufferOES, BindObject)(kFramebuffer, Name{"framebuffer", 0});
        }
        const std::vector<float> corner = Quad(-0.9f, -0.9f + 0.1f * f, -0.5f, -0.3f);
        r.VertexPointer(2, GL_FLOAT, 0, corner.data());
        r.EnableClientState(GL_VERTEX_ARRAY);
        GL1(glColor4f)(0.9f, 0.3f * f, 0.1f, 1.0f);
        r.DrawArrays(GL_TRIANGLES, 0, 6);
        if (f == 3) {
            REC_EXT(r, glBindFramebufferOES, BindObject)(kFramebuffer, Name{"framebuffer", framebuffer});
            GL1(glViewport)(0, 0, 16, 16);
            GL1(glClearColor)(0.0f, 0.0f, 0.5f, 1.0f);
            GL1(glClear)(GLbitfield(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT));
            GL1(glEnable)(GLenum(GL_DEPTH_TEST));
            // The near quad first: the far one shows only where the near one is not.
            const std::vector<float> quads = {-1.0f, -1.0f, -0.5f, 0.5f, -1.0f, -0.5f, 0.5f, 1.0f, -0.5f,
                                              -1.0f, -1.0f, -0.5f, 0.5f, 1.0f, -0.5f, -1.0f, 1.0f, -0.5f,
                                              -0.5f, -1.0f, 0.5f,  1.0f, -1.0f, 0.5f, 1.0f,  1.0f, 0.5f,
                                              -0.5f, -1.0f, 0.5f,  1.0f, 1.0f,  0.5f, -0.5f, 1.0f, 0.5f};
            r.VertexPointer(3, GL_FLOAT, 0, quads.data());
            GL1(glColor4f)(1.0f, 0.0f, 0.0f, 1.0f);
            r.DrawArrays(GL_TRIANGLES, 0, 6);
            GL1(glColor4f)(0.0f, 1.0f, 0.0f, 1.0f);
            r.DrawArrays(GL_TRIANGLES, 6, 6);
            GL1(glDisable)(GLenum(GL_DEPTH_TEST));
            REC_EXT(r, glBindFramebufferOES, BindObject)(kFramebuffer, Name{"framebuffer", 0});
            GL1(glViewport)(0, 0, GLsizei(kW), GLsizei(kH));
            GL1(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", texture});
            GL1(glEnable)(GLenum(GL_TEXTURE_2D));
            GL1(glTexEnvi)(GLenum(GL_TEXTURE_ENV), GLenum(GL_TEXTURE_ENV_MODE), GLint(GL_REPLACE));
            const std::vector<float> uv = {0, 0, 1, 0, 1, 1, 0, 0, 1, 1, 0, 1};
            r.TexCoordPointer(2, GL_FLOAT, 0, uv.data());
            r.EnableClientState(GL_TEXTURE_COORD_ARRAY);
            const std::vector<float> shown = Quad(0.0f, -0.2f, 0.9f, 0.9f);
            r.VertexPointer(2, GL_FLOAT, 0, shown.data());
            r.DrawArrays(GL_TRIANGLES, 0, 6);
            r.DisableClientState(GL_TEXTURE_COORD_ARRAY);
            GL1(glDisable)(GLenum(GL_TEXTURE_2D));
        }
        r.SwapBuffers(w.surface);
    }
}

// ES 1.1: textures the GPU fills in frame 1 only, each drawn in every frame: one rendered into through
// an OES framebuffer, one copied from the window (whole, then part of it again), one whose levels
// glGenerateMipmapOES makes; in frame 2 the last one's level 0 changes but its levels are not made
// again, so the small quad that samples them still shows the first pattern.
void Es1GpuTexturesLater(CRecorder& r)
{
    const SWindow w = Open(r, kW, kH);
    GLuint t[3] = {};
    GL1(glGenTextures)(3, Array<GLuint>{t, 3, "texture"});
    auto nearest = [&] {
        GL1(glTexParameteri)(GLenum(GL_TEXTURE_2D), GLenum(GL_TEXTURE_MIN_FILTER), GLint(GL_NEAREST));
        GL1(glTexParameteri)(GLenum(GL_TEXTURE_2D), GLenum(GL_TEXTURE_MAG_FILTER), GLint(GL_NEAREST));
    };
    auto colorQuad = [&](const std::vector<float>& quad, float red, float green, float blue) {
        r.VertexPointer(2, GL_FLOAT, 0, quad.data());
        r.EnableClientState(GL_VERTEX_ARRAY);
        GL1(glColor4f)(red, green, blue, 1.0f);
        r.DrawArrays(GL_TRIANGLES, 0, 6);
    };
    GL1(glMatrixMode)(GLenum(GL_PROJECTION));
    GL1(glLoadIdentity)();
    GL1(glMatrixMode)(GLenum(GL_MODELVIEW));
    GL1(glLoadIdentity)();

    // Rendered into.
    GLuint framebuffer = 0;
    GL1(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", t[0]});
    r.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 16, 16, GL_UNSIGNED_BYTE, nullptr);
    nearest();
    REC_EXT(r, glGenFramebuffersOES, GenNames)(1, Array<GLuint>{&framebuffer, 1, "framebuffer"});
    REC_EXT(r, glBindFramebufferOES, BindObject)(kFramebuffer, Name{"framebuffer", framebuffer});
    REC_EXT(r, glFramebufferTexture2DOES, Texture2D)(kFramebuffer, kColorAttachment0, GLenum(GL_TEXTURE_2D),
                                                    Name{"texture", t[0]}, 0);
    REC_EXT(r, glCheckFramebufferStatusOES, Status)(kFramebuffer);
    GL1(glViewport)(0, 0, 16, 16);
    GL1(glClearColor)(0.8f, 0.1f, 0.2f, 1.0f);
    GL1(glClear)(GLbitfield(GL_COLOR_BUFFER_BIT));
    colorQuad(Quad(-0.5f, -0.7f, 0.6f, 0.4f), 0.1f, 0.9f, 0.3f);
    REC_EXT(r, glBindFramebufferOES, BindObject)(kFramebuffer, Name{"framebuffer", 0});

    // Copied from the window.
    GL1(glViewport)(0, 0, GLsizei(kW), GLsizei(kH));
    GL1(glClearColor)(0.1f, 0.2f, 0.7f, 1.0f);
    GL1(glClear)(GLbitfield(GL_COLOR_BUFFER_BIT));
    colorQuad(Quad(-0.8f, -0.6f, 0.2f, 0.5f), 0.9f, 0.7f, 0.1f);
    GL1(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", t[1]});
    nearest();
    GL1(glCopyTexImage2D)(GLenum(GL_TEXTURE_2D), 0, GLenum(GL_RGB), 0, 0, 32, 32, 0);
    colorQuad(Quad(0.0f, 0.0f, 0.9f, 0.9f), 0.2f, 0.9f, 0.9f);
    GL1(glCopyTexSubImage2D)(GLenum(GL_TEXTURE_2D), 0, 16, 16, 40, 30, 16, 16);

    // Levels made on the GPU.
    GL1(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", t[2]});
    const std::vector<uint8_t> pixels = Pattern(64 * 64 * 4, 7);
    r.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 64, 64, GL_UNSIGNED_BYTE, pixels.data());
    GL1(glTexParameteri)(GLenum(GL_TEXTURE_2D), GLenum(GL_TEXTURE_MIN_FILTER), GLint(GL_LINEAR_MIPMAP_LINEAR));
    REC_EXT(r, glGenerateMipmapOES, Mipmap)(GLenum(GL_TEXTURE_2D));

    const std::vector<float> uv = {0, 0, 1, 0, 1, 1, 0, 0, 1, 1, 0, 1};
    for (int f = 1; f <= 3; ++f) {
        GL1(glViewport)(0, 0, GLsizei(kW), GLsizei(kH));
        GL1(glClearColor)(0.2f, 0.1f * f, 0.3f, 1.0f);
        GL1(glClear)(GLbitfield(GL_COLOR_BUFFER_BIT));
        if (f == 2) {
            const std::vector<uint8_t> white(64 * 64 * 4, 0xFF);
            GL1(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", t[2]});
            r.TexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 64, 64, GL_RGBA, GL_UNSIGNED_BYTE, white.data());
        }
        GL1(glEnable)(GLenum(GL_TEXTURE_2D));
        GL1(glTexEnvi)(GLenum(GL_TEXTURE_ENV), GLenum(GL_TEXTURE_ENV_MODE), GLint(GL_REPLACE));
        r.TexCoordPointer(2, GL_FLOAT, 0, uv.data());
        r.EnableClientState(GL_TEXTURE_COORD_ARRAY);
        const std::vector<float> quads[3] = {Quad(-0.9f, -0.1f * f, -0.3f, 0.6f), Quad(-0.2f, -0.8f, 0.5f, 0.1f),
                                             Quad(0.6f + 0.05f * f, 0.3f, 0.85f + 0.05f * f, 0.6f)};
        for (int i = 0; i < 3; ++i) {
            GL1(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", t[i]});
            r.VertexPointer(2, GL_FLOAT, 0, quads[i].data());
            r.DrawArrays(GL_TRIANGLES, 0, 6);
        }
        r.DisableClientState(GL_TEXTURE_COORD_ARRAY);
        GL1(glDisable)(GLenum(GL_TEXTURE_2D));
        r.SwapBuffers(w.surface);
    }
}

// ES 1.1: a texture uploaded in frame 1 and drawn into through an OES framebuffer in frame 3 only, and
// one whose levels glGenerateMipmapOES makes in frame 1, drawn small (the host samples the levels
// made); both drawn in every frame. Frames 2 and 3 start with neither GPU-made pixels nor stale
// levels: they are restored, not rebuilt, so the restore must make the levels again, and frame 2
// after frame 3 on one analysis must get the upload back.
void Es1DrawnLater(CRecorder& r)
{
    const SWindow w = Open(r, kW, kH);
    GLuint t[2] = {}, framebuffer = 0;
    GL1(glGenTextures)(2, Array<GLuint>{t, 2, "texture"});
    GL1(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", t[0]});
    const std::vector<uint8_t> pixels = Pattern(16 * 16 * 4, 5);
    r.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 16, 16, GL_UNSIGNED_BYTE, pixels.data());
    GL1(glTexParameteri)(GLenum(GL_TEXTURE_2D), GLenum(GL_TEXTURE_MIN_FILTER), GLint(GL_NEAREST));
    GL1(glTexParameteri)(GLenum(GL_TEXTURE_2D), GLenum(GL_TEXTURE_MAG_FILTER), GLint(GL_NEAREST));
    REC_EXT(r, glGenFramebuffersOES, GenNames)(1, Array<GLuint>{&framebuffer, 1, "framebuffer"});
    REC_EXT(r, glBindFramebufferOES, BindObject)(kFramebuffer, Name{"framebuffer", framebuffer});
    REC_EXT(r, glFramebufferTexture2DOES, Texture2D)(kFramebuffer, kColorAttachment0, GLenum(GL_TEXTURE_2D),
                                                    Name{"texture", t[0]}, 0);
    REC_EXT(r, glCheckFramebufferStatusOES, Status)(kFramebuffer);
    REC_EXT(r, glBindFramebufferOES, BindObject)(kFramebuffer, Name{"framebuffer", 0});
    GL1(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", t[1]});
    const std::vector<uint8_t> levels = Pattern(64 * 64 * 4, 7);
    r.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 64, 64, GL_UNSIGNED_BYTE, levels.data());
    GL1(glTexParameteri)(GLenum(GL_TEXTURE_2D), GLenum(GL_TEXTURE_MIN_FILTER), GLint(GL_LINEAR_MIPMAP_LINEAR));
    REC_EXT(r, glGenerateMipmapOES, Mipmap)(GLenum(GL_TEXTURE_2D));
    const std::vector<float> uv = {0, 0, 1, 0, 1, 1, 0, 0, 1, 1, 0, 1};
    for (int f = 1; f <= 4; ++f) {
        GL1(glMatrixMode)(GLenum(GL_PROJECTION));
        GL1(glLoadIdentity)();
        GL1(glMatrixMode)(GLenum(GL_MODELVIEW));
        GL1(glLoadIdentity)();
        if (f == 3) {
            REC_EXT(r, glBindFramebufferOES, BindObject)(kFramebuffer, Name{"framebuffer", framebuffer});
            GL1(glViewport)(0, 0, 16, 16);
            const std::vector<float> quad = Quad(-0.5f, -0.7f, 0.6f, 0.4f);
            r.VertexPointer(2, GL_FLOAT, 0, quad.data());
            r.EnableClientState(GL_VERTEX_ARRAY);
            GL1(glColor4f)(0.1f, 0.9f, 0.3f, 1.0f);
            r.DrawArrays(GL_TRIANGLES, 0, 6);
            REC_EXT(r, glBindFramebufferOES, BindObject)(kFramebuffer, Name{"framebuffer", 0});
        }
        GL1(glViewport)(0, 0, GLsizei(kW), GLsizei(kH));
        GL1(glClearColor)(0.2f, 0.1f * f, 0.3f, 1.0f);
        GL1(glClear)(GLbitfield(GL_COLOR_BUFFER_BIT));
        GL1(glEnable)(GLenum(GL_TEXTURE_2D));
        GL1(glTexEnvi)(GLenum(GL_TEXTURE_ENV), GLenum(GL_TEXTURE_ENV_MODE), GLint(GL_REPLACE));
        r.TexCoordPointer(2, GL_FLOAT, 0, uv.data());
        r.EnableClientState(GL_TEXTURE_COORD_ARRAY);
        const std::vector<float> quads[2] = {Quad(-0.9f + 0.05f * f, -0.8f, 0.2f, 0.6f),
                                             Quad(0.4f, -0.3f + 0.05f * f, 0.65f, 0.0f + 0.05f * f)};
        for (int i = 0; i < 2; ++i) {
            GL1(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", t[i]});
            r.VertexPointer(2, GL_FLOAT, 0, quads[i].data());
            r.EnableClientState(GL_VERTEX_ARRAY);
            r.DrawArrays(GL_TRIANGLES, 0, 6);
        }
        r.DisableClientState(GL_TEXTURE_COORD_ARRAY);
        GL1(glDisable)(GLenum(GL_TEXTURE_2D));
        r.SwapBuffers(w.surface);
    }
}

// ES 1.1: one OES framebuffer kept from frame 1, and in each frame a new render target attached to it,
// drawn into, drawn on the window and deleted at the frame's end while still attached (GL detaches a
// deleted texture from the bound framebuffer only). Each later frame starts with that framebuffer
// naming a texture that no longer exists.
void Es1TargetDeleted(CRecorder& r)
{
    const SWindow w = Open(r, kW, kH);
    GLuint framebuffer = 0;
    REC_EXT(r, glGenFramebuffersOES, GenNames)(1, Array<GLuint>{&framebuffer, 1, "framebuffer"});
    const std::vector<float> uv = {0, 0, 1, 0, 1, 1, 0, 0, 1, 1, 0, 1};
    for (int f = 1; f <= 3; ++f) {
        GL1(glMatrixMode)(GLenum(GL_PROJECTION));
        GL1(glLoadIdentity)();
        GL1(glMatrixMode)(GLenum(GL_MODELVIEW));
        GL1(glLoadIdentity)();
        GLuint target = 0;
        GL1(glGenTextures)(1, Array<GLuint>{&target, 1, "texture"});
        GL1(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", target});
        r.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 16, 16, GL_UNSIGNED_BYTE, nullptr);
        GL1(glTexParameteri)(GLenum(GL_TEXTURE_2D), GLenum(GL_TEXTURE_MIN_FILTER), GLint(GL_NEAREST));
        GL1(glTexParameteri)(GLenum(GL_TEXTURE_2D), GLenum(GL_TEXTURE_MAG_FILTER), GLint(GL_NEAREST));
        REC_EXT(r, glBindFramebufferOES, BindObject)(kFramebuffer, Name{"framebuffer", framebuffer});
        REC_EXT(r, glFramebufferTexture2DOES, Texture2D)(kFramebuffer, kColorAttachment0, GLenum(GL_TEXTURE_2D),
                                                        Name{"texture", target}, 0);
        REC_EXT(r, glCheckFramebufferStatusOES, Status)(kFramebuffer);
        GL1(glViewport)(0, 0, 16, 16);
        GL1(glClearColor)(0.8f, 0.1f * f, 0.2f, 1.0f);
        GL1(glClear)(GLbitfield(GL_COLOR_BUFFER_BIT));
        const std::vector<float> corner = Quad(-0.6f, -0.6f, 0.1f * f, 0.5f);
        r.VertexPointer(2, GL_FLOAT, 0, corner.data());
        r.EnableClientState(GL_VERTEX_ARRAY);
        GL1(glColor4f)(0.1f, 0.9f, 0.3f, 1.0f);
        r.DrawArrays(GL_TRIANGLES, 0, 6);
        REC_EXT(r, glBindFramebufferOES, BindObject)(kFramebuffer, Name{"framebuffer", 0});
        GL1(glViewport)(0, 0, GLsizei(kW), GLsizei(kH));
        GL1(glClearColor)(0.2f, 0.2f, 0.3f, 1.0f);
        GL1(glClear)(GLbitfield(GL_COLOR_BUFFER_BIT));
        GL1(glEnable)(GLenum(GL_TEXTURE_2D));
        GL1(glTexEnvi)(GLenum(GL_TEXTURE_ENV), GLenum(GL_TEXTURE_ENV_MODE), GLint(GL_REPLACE));
        r.TexCoordPointer(2, GL_FLOAT, 0, uv.data());
        r.EnableClientState(GL_TEXTURE_COORD_ARRAY);
        const std::vector<float> shown = Quad(-0.8f, -0.7f, 0.7f, 0.8f);
        r.VertexPointer(2, GL_FLOAT, 0, shown.data());
        r.DrawArrays(GL_TRIANGLES, 0, 6);
        r.DisableClientState(GL_TEXTURE_COORD_ARRAY);
        GL1(glDisable)(GLenum(GL_TEXTURE_2D));
        GL1(glDeleteTextures)(1, Array<GLuint>{&target, 1, "texture"});
        r.SwapBuffers(w.surface);
    }
}

} // namespace

const std::vector<SScene>& ExtScenes()
{
    static const std::vector<SScene> scenes = {
        {"es2-ext", "ES 2.0 extensions: vertex-array objects, a mapped buffer, discard", &Es2Ext, 2},
        {"es1-ext", "ES 1.1 extensions: vertex arrays, mapping, discard, an OES framebuffer, multi-draw", &Es1Ext, 1},
        {"es2-vao-later-ext", "ES 2.0: a vertex-array object made in frame 1, drawn from in frame 3", &Es2VertexArrayLater,
         2},
        {"es2-vao-default-ext", "ES 2.0: default-object arrays set a frame ahead while an object is bound",
         &Es2DefaultArraysUnderObject, 2},
        {"es1-fbo-later-ext", "ES 1.1: an OES framebuffer and renderbuffer made in frame 1, used in frame 3",
         &Es1FramebufferLater, 1},
        {"es1-gpu-later-ext", "ES 1.1: textures drawn into, copied into and mip-generated in frame 1, drawn in every frame",
         &Es1GpuTexturesLater, 1},
        {"es1-drawn-later-ext",
         "ES 1.1: a texture uploaded in frame 1 and drawn into in frame 3, levels mip-generated in frame 1; both drawn in every frame",
         &Es1DrawnLater, 1},
        {"es1-target-deleted-ext",
         "ES 1.1: a render target made, drawn into, drawn and deleted while attached in each frame",
         &Es1TargetDeleted, 1},
    };
    return scenes;
}

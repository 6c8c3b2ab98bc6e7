#include "WireframeSwitch.h"

#include "DrawIndices.h"
#include "HostTables.h"
#include "analysis/WireframeLines.h"

#include <GLES2/gl2.h>

#include <vector>

namespace {

using DrawArraysFn = void (*)(GLenum, GLint, GLsizei);
using DrawElementsFn = void (*)(GLenum, GLsizei, GLenum, const void*);

struct SLayer
{
    SEs2Host* gl = nullptr;
    DrawArraysFn drawArrays = nullptr;      // the library's own
    DrawElementsFn drawElements = nullptr;
    bool on = false;
    std::vector<uint32_t> vertices, lines;  // kept between draws
};

SLayer& Layer()
{
    static SLayer layer;
    return layer;
}

// Draws the triangles' edges of the vertex numbers `vertices` read in `mode`.
void DrawLines(SLayer& l, GLenum mode)
{
    SEs2Host& gl = *l.gl;
    TriangleLines(mode, l.vertices.data(), l.vertices.size(), l.lines);
    if (l.lines.empty())
        return;  // no whole triangle: nothing is drawn, as the primitive draws nothing
    GLint bound = 0;
    XQF_HOST(gl, glGetIntegerv)(GL_ELEMENT_ARRAY_BUFFER_BINDING, &bound);
    GLuint buffer = 0;
    XQF_HOST(gl, glGenBuffers)(1, &buffer);
    XQF_HOST(gl, glBindBuffer)(GL_ELEMENT_ARRAY_BUFFER, buffer);
    XQF_HOST(gl, glBufferData)(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(l.lines.size() * 4), l.lines.data(), GL_STREAM_DRAW);
    l.drawElements(GL_LINES, GLsizei(l.lines.size()), GL_UNSIGNED_INT, nullptr);
    XQF_HOST(gl, glBindBuffer)(GL_ELEMENT_ARRAY_BUFFER, GLuint(bound));
    XQF_HOST(gl, glDeleteBuffers)(1, &buffer);
}

void WireDrawArrays(GLenum mode, GLint first, GLsizei count)
{
    SLayer& l = Layer();
    if (!l.on || !IsTriangleMode(mode) || first < 0 || count < 0) {
        l.drawArrays(mode, first, count);
        return;
    }
    l.vertices.resize(size_t(count));
    for (GLsizei i = 0; i < count; ++i)
        l.vertices[size_t(i)] = uint32_t(first) + uint32_t(i);
    DrawLines(l, mode);
}

void WireDrawElements(GLenum mode, GLsizei count, GLenum type, const void* indices)
{
    SLayer& l = Layer();
    if (!l.on || !IsTriangleMode(mode) || count < 0) {
        l.drawElements(mode, count, type, indices);
        return;
    }
    GLint bound = 0;
    XQF_HOST(*l.gl, glGetIntegerv)(GL_ELEMENT_ARRAY_BUFFER_BINDING, &bound);
    if (bound != 0) {
        if (!ReadElementBufferIndices(*l.gl, type, count, reinterpret_cast<uintptr_t>(indices), l.vertices) ||
            l.vertices.empty()) {
            l.drawElements(mode, count, type, indices);  // the host refuses a range past its buffer itself
            return;
        }
    } else {
        // Client indices: the caller hands over count whole indices (the player checks them).
        WidenIndices(static_cast<const uint8_t*>(indices), size_t(count) * IndexSize(type), type, count, l.vertices);
    }
    DrawLines(l, mode);
}

} // namespace

void ToggleOurWireframe(uint8_t on) { Layer().on = on != 0; }

bool InstallWireframeSwitch(SEs2Host& gl)
{
    void*& arrays = XQF_HOST_SLOT(gl, glDrawArrays);
    void*& elements = XQF_HOST_SLOT(gl, glDrawElements);
    if (gl.Mirbex_ToggleWireframe || !arrays || !elements)
        return false;
    SLayer& l = Layer();
    l.gl = &gl;
    l.drawArrays = reinterpret_cast<DrawArraysFn>(arrays);
    l.drawElements = reinterpret_cast<DrawElementsFn>(elements);
    l.on = false;
    arrays = reinterpret_cast<void*>(&WireDrawArrays);
    elements = reinterpret_cast<void*>(&WireDrawElements);
    gl.Mirbex_ToggleWireframe = &ToggleOurWireframe;
    return true;
}

void RemoveWireframeSwitch(SEs2Host& gl)
{
    SLayer& l = Layer();
    if (gl.Mirbex_ToggleWireframe != &ToggleOurWireframe || l.gl != &gl)
        return;
    XQF_HOST_SLOT(gl, glDrawArrays) = reinterpret_cast<void*>(l.drawArrays);
    XQF_HOST_SLOT(gl, glDrawElements) = reinterpret_cast<void*>(l.drawElements);
    gl.Mirbex_ToggleWireframe = nullptr;
    l.on = false;
    l.gl = nullptr;
}

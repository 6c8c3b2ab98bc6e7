#include "WireframeSwitch.h"

#include "Diagnostics.h"
#include "DrawIndices.h"
#include "HostChecks.h"
#include "HostTables.h"
#include "analysis/WireframeLines.h"

#include <GLES2/gl2.h>

#include <utility>
#include <vector>

namespace {

using DrawArraysFn = void (*)(GLenum, GLint, GLsizei);
using DrawElementsFn = void (*)(GLenum, GLsizei, GLenum, const void*);

bool g_on = false;  // one switch for the ES 1.1 and ES 2.0 tables

// The layer over the draw slots of one table (SEs1Host or SEs2Host).
template <class Host>
struct TLayer
{
    Host* gl = nullptr;
    DrawArraysFn drawArrays = nullptr;      // the library's own
    DrawElementsFn drawElements = nullptr;
    std::vector<uint32_t> vertices, lines;  // kept between draws

    static TLayer& Get()
    {
        static TLayer layer;
        return layer;
    }
};

// Draws the triangles' edges of the vertex numbers `vertices` read in `mode`.
template <class Host>
void DrawLines(TLayer<Host>& l, GLenum mode)
{
    Host& gl = *l.gl;
    TriangleLines(mode, l.vertices.data(), l.vertices.size(), l.lines);
    if (l.lines.empty())
        return;  // no whole triangle: nothing is drawn, as the primitive draws nothing
    GLint bound = 0;
    XQF_HOST(gl, glGetIntegerv)(GL_ELEMENT_ARRAY_BUFFER_BINDING, &bound);
    GLuint buffer = 0;
    XQF_HOST(gl, glGenBuffers)(1, &buffer);
    XQF_HOST(gl, glBindBuffer)(GL_ELEMENT_ARRAY_BUFFER, buffer);
    // GL_DYNAMIC_DRAW: an ES 1.1 context refuses GL_STREAM_DRAW and would draw from an empty buffer.
    XQF_HOST(gl, glBufferData)(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(l.lines.size() * 4), l.lines.data(), GL_DYNAMIC_DRAW);
    l.drawElements(GL_LINES, GLsizei(l.lines.size()), GL_UNSIGNED_INT, nullptr);
    XQF_HOST(gl, glBindBuffer)(GL_ELEMENT_ARRAY_BUFFER, GLuint(bound));
    XQF_HOST(gl, glDeleteBuffers)(1, &buffer);
    BufferContentsChanged();  // its name may come again for a buffer of the trace
}

template <class Host>
void WireDrawArrays(GLenum mode, GLint first, GLsizei count)
{
    TLayer<Host>& l = TLayer<Host>::Get();
    if (!g_on || !IsTriangleMode(mode) || first < 0 || count < 0) {
        l.drawArrays(mode, first, count);
        return;
    }
    if (uint64_t(count) * 24 > kMaxWireframeLineBytes)
        return;  // the players refuse such a draw before it comes here
    l.vertices.resize(size_t(count));
    for (GLsizei i = 0; i < count; ++i)
        l.vertices[size_t(i)] = uint32_t(first) + uint32_t(i);
    DrawLines(l, mode);
}

template <class Host>
void WireDrawElements(GLenum mode, GLsizei count, GLenum type, const void* indices)
{
    TLayer<Host>& l = TLayer<Host>::Get();
    if (!g_on || !IsTriangleMode(mode) || count < 0) {
        l.drawElements(mode, count, type, indices);
        return;
    }
    if (uint64_t(count) * 24 > kMaxWireframeLineBytes)
        return;  // the players refuse such a draw before it comes here
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

// Puts the layer over the table's draw slots; false when they are empty or the layer is there.
template <class Host>
bool Wrap(Host& gl)
{
    void*& arrays = XQF_HOST_SLOT(gl, glDrawArrays);
    void*& elements = XQF_HOST_SLOT(gl, glDrawElements);
    if (!arrays || !elements || arrays == reinterpret_cast<void*>(&WireDrawArrays<Host>))
        return false;
    TLayer<Host>& l = TLayer<Host>::Get();
    l.gl = &gl;
    l.drawArrays = reinterpret_cast<DrawArraysFn>(arrays);
    l.drawElements = reinterpret_cast<DrawElementsFn>(elements);
    arrays = reinterpret_cast<void*>(&WireDrawArrays<Host>);
    elements = reinterpret_cast<void*>(&WireDrawElements<Host>);
    return true;
}

template <class Host>
bool Unwrap(Host& gl)
{
    TLayer<Host>& l = TLayer<Host>::Get();
    if (l.gl != &gl)
        return false;
    XQF_HOST_SLOT(gl, glDrawArrays) = reinterpret_cast<void*>(l.drawArrays);
    XQF_HOST_SLOT(gl, glDrawElements) = reinterpret_cast<void*>(l.drawElements);
    l.gl = nullptr;
    return true;
}

} // namespace

void ToggleOurWireframe(uint8_t on) { g_on = on != 0; }

void WireframeSwitchMissing()
{
    static bool said = false;
    if (!std::exchange(said, true))
        PlaybackLine("Error loading library Mirbex_ToggleWireframe");
}

bool OurWireframeOn() { return g_on; }

bool InstallWireframeSwitch(SEs2Host& gl)
{
    if (gl.Mirbex_ToggleWireframe || !Wrap(gl))
        return false;
    g_on = false;
    gl.Mirbex_ToggleWireframe = &ToggleOurWireframe;
    return true;
}

bool InstallWireframeSwitch(SEs1Host& gl) { return Wrap(gl); }

void RemoveWireframeSwitch(SEs2Host& gl)
{
    if (gl.Mirbex_ToggleWireframe != &ToggleOurWireframe || !Unwrap(gl))
        return;
    gl.Mirbex_ToggleWireframe = nullptr;
    g_on = false;
}

void RemoveWireframeSwitch(SEs1Host& gl) { Unwrap(gl); }

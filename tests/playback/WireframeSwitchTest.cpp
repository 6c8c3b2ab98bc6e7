// Our wireframe switch on Mesa: with the switch on, each draw of the triangle modes gives the image
// of its triangles' edges drawn as lines (the reference, drawn with the switch off), from client
// indices, from an element buffer of 32-bit indices, as arrays; other modes and the switch off pass
// through unchanged; the application's element-buffer binding is put back. Taken out, the layer
// leaves the library's own entry points and no switch.
#include "Es2TestHost.h"

#include "analysis/WireframeLines.h"
#include "host/WireframeSwitch.h"

#include <vector>

using namespace es2host;

namespace {

constexpr GLsizei kW = 64, kH = 48;

class WireframeSwitch : public CEs2HostTest
{
protected:
    void SetUp() override
    {
        CEs2HostTest::SetUp();
        if (IsSkipped())
            return;
        ASSERT_EQ(gl->Mirbex_ToggleWireframe, &ToggleOurWireframe) << "Mesa has no switch: ours is in place";
        const char* vs = "attribute vec2 p; void main() { gl_Position = vec4(p, 0.0, 1.0); gl_PointSize = 1.0; }";
        const char* fs = "void main() { gl_FragColor = vec4(1.0); }";
        m_program = XQF_HOST(*gl, glCreateProgram)();
        for (auto [type, source] : {std::pair{GLenum(GL_VERTEX_SHADER), vs}, std::pair{GLenum(GL_FRAGMENT_SHADER), fs}}) {
            const GLuint shader = XQF_HOST(*gl, glCreateShader)(type);
            XQF_HOST(*gl, glShaderSource)(shader, 1, &source, nullptr);
            XQF_HOST(*gl, glCompileShader)(shader);
            XQF_HOST(*gl, glAttachShader)(m_program, shader);
            XQF_HOST(*gl, glDeleteShader)(shader);
        }
        XQF_HOST(*gl, glBindAttribLocation)(m_program, 0, "p");
        XQF_HOST(*gl, glLinkProgram)(m_program);
        XQF_HOST(*gl, glUseProgram)(m_program);
        XQF_HOST(*gl, glViewport)(0, 0, kW, kH);
        // Vertices of a small fan, strip and triangles alike, in pixel-centred positions.
        const float points[] = {-0.8f, -0.8f, 0.7f, -0.7f, 0.6f, 0.75f, -0.5f, 0.6f, 0.1f, 0.05f, -0.9f, 0.1f};
        m_vertices.assign(std::begin(points), std::end(points));
        XQF_HOST(*gl, glVertexAttribPointer)(0, 2, GL_FLOAT, GL_FALSE, 0, m_vertices.data());
        XQF_HOST(*gl, glEnableVertexAttribArray)(0);
    }
    void TearDown() override
    {
        ToggleOurWireframe(0);
        if (gl) {
            XQF_HOST(*gl, glUseProgram)(0);
            XQF_HOST(*gl, glDeleteProgram)(m_program);
        }
    }

    std::vector<uint8_t> Image(const std::function<void()>& draw)
    {
        XQF_HOST(*gl, glClearColor)(0, 0, 0, 1);
        XQF_HOST(*gl, glClear)(GL_COLOR_BUFFER_BIT);
        draw();
        std::vector<uint8_t> pixels(size_t(kW) * kH * 4);
        XQF_HOST(*gl, glReadPixels)(0, 0, kW, kH, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    }
    // The edges of the triangles of `vertices` read in `mode`, drawn as lines with the switch off.
    std::vector<uint8_t> Reference(GLenum mode, const std::vector<uint32_t>& vertices)
    {
        std::vector<uint32_t> lines;
        TriangleLines(mode, vertices.data(), vertices.size(), lines);
        return Image([&] { XQF_HOST(*gl, glDrawElements)(GL_LINES, GLsizei(lines.size()), GL_UNSIGNED_INT, lines.data()); });
    }
    static size_t Lit(const std::vector<uint8_t>& image)
    {
        size_t n = 0;
        for (size_t i = 0; i < image.size(); i += 4)
            n += image[i] != 0;
        return n;
    }

    GLuint m_program = 0;
    std::vector<float> m_vertices;
};

TEST_F(WireframeSwitch, TrianglesBecomeTheLinesOfTheirEdges)
{
    const std::vector<uint8_t> ubyte = {0, 1, 2, 3, 4, 5};
    const std::vector<uint32_t> all = {0, 1, 2, 3, 4, 5};
    struct SCase
    {
        const char* what;
        GLenum mode;
        std::vector<uint32_t> vertices;  // as the draw reads them
        std::function<void()> draw;
    };
    const std::vector<SCase> cases = {
        {"triangles as arrays", GL_TRIANGLES, all, [&] { XQF_HOST(*gl, glDrawArrays)(GL_TRIANGLES, 0, 6); }},
        {"a strip from its second vertex", GL_TRIANGLE_STRIP, {1, 2, 3, 4, 5},
         [&] { XQF_HOST(*gl, glDrawArrays)(GL_TRIANGLE_STRIP, 1, 5); }},
        {"a fan of client bytes", GL_TRIANGLE_FAN, all,
         [&] { XQF_HOST(*gl, glDrawElements)(GL_TRIANGLE_FAN, 6, GL_UNSIGNED_BYTE, ubyte.data()); }},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<uint8_t> filled = Image(c.draw);
        ToggleOurWireframe(1);
        const std::vector<uint8_t> wire = Image(c.draw);
        ToggleOurWireframe(0);
        const std::vector<uint8_t> reference = Reference(c.mode, c.vertices);
        EXPECT_GT(Lit(reference), 0u);
        EXPECT_EQ(wire, reference);
        EXPECT_NE(wire, filled);
    }
}

TEST_F(WireframeSwitch, ElementBufferIndicesOf32BitsAndTheBindingPutBack)
{
    const uint32_t indices[] = {5, 0, 1, 2, 3, 4};
    GLuint buffers[2] = {};
    XQF_HOST(*gl, glGenBuffers)(2, buffers);
    XQF_HOST(*gl, glBindBuffer)(GL_ELEMENT_ARRAY_BUFFER, buffers[0]);
    XQF_HOST(*gl, glBufferData)(GL_ELEMENT_ARRAY_BUFFER, 4 + sizeof indices, nullptr, GL_STATIC_DRAW);
    XQF_HOST(*gl, glBufferSubData)(GL_ELEMENT_ARRAY_BUFFER, 4, sizeof indices, indices);
    ToggleOurWireframe(1);
    const std::vector<uint8_t> wire =
        Image([&] { XQF_HOST(*gl, glDrawElements)(GL_TRIANGLE_STRIP, 6, GL_UNSIGNED_INT, reinterpret_cast<void*>(4)); });
    ToggleOurWireframe(0);
    GLint bound = 0;
    XQF_HOST(*gl, glGetIntegerv)(GL_ELEMENT_ARRAY_BUFFER_BINDING, &bound);
    EXPECT_EQ(GLuint(bound), buffers[0]);
    XQF_HOST(*gl, glBindBuffer)(GL_ELEMENT_ARRAY_BUFFER, 0);
    EXPECT_EQ(wire, Reference(GL_TRIANGLE_STRIP, {5, 0, 1, 2, 3, 4}));
    XQF_HOST(*gl, glDeleteBuffers)(2, buffers);
    EXPECT_EQ(XQF_HOST(*gl, glGetError)(), GLenum(GL_NO_ERROR));
}

TEST_F(WireframeSwitch, OtherModesAndShortStripsPassThrough)
{
    struct SCase
    {
        const char* what;
        std::function<void()> draw;
        bool blank;  // the switch on draws nothing
    };
    const std::vector<SCase> cases = {
        {"points", [&] { XQF_HOST(*gl, glDrawArrays)(GL_POINTS, 0, 6); }, false},
        {"a line strip", [&] { XQF_HOST(*gl, glDrawArrays)(GL_LINE_STRIP, 0, 6); }, false},
        {"lines by index", [&] {
             const uint16_t i[] = {0, 2, 1, 3};
             XQF_HOST(*gl, glDrawElements)(GL_LINES, 4, GL_UNSIGNED_SHORT, i);
         }, false},
        {"a two-vertex strip", [&] { XQF_HOST(*gl, glDrawArrays)(GL_TRIANGLE_STRIP, 0, 2); }, true},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<uint8_t> off = Image(c.draw);
        ToggleOurWireframe(1);
        const std::vector<uint8_t> on = Image(c.draw);
        ToggleOurWireframe(0);
        EXPECT_EQ(on, off);
        EXPECT_EQ(Lit(on) == 0, c.blank);
    }
}

TEST_F(WireframeSwitch, TakenOutTheLibraryDrawsAndTheSlotIsEmpty)
{
    RemoveWireframeSwitch(*gl);
    EXPECT_EQ(gl->Mirbex_ToggleWireframe, nullptr);
    const std::vector<uint8_t> filled = Image([&] { XQF_HOST(*gl, glDrawArrays)(GL_TRIANGLES, 0, 6); });
    ToggleOurWireframe(1);  // not in the table: no effect on the library's draws
    EXPECT_EQ(Image([&] { XQF_HOST(*gl, glDrawArrays)(GL_TRIANGLES, 0, 6); }), filled);
    ToggleOurWireframe(0);
    ASSERT_TRUE(InstallWireframeSwitch(*gl));
    EXPECT_FALSE(InstallWireframeSwitch(*gl)) << "a table with a switch gets none";
}

} // namespace

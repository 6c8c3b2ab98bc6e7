// The analysis programs: the application's vertex shader, attribute bindings and uniform values
// under a fragment shader of ours, which paints each draw grey (complexity) or green (highlight).
#include "AnalysisPlayback.h"

#include "host/HostTables.h"
#include "maps/NameMaps.h"

#include <GLES2/gl2.h>

#include <utility>

namespace {

// One line each, the statements apart by runs of tabs and blanks.
constexpr const char* kComplexitySource =
    "uniform lowp float DeepComplexIncrementValue;\t\t\t \tvoid main()\t\t\t \t{\t\t\t \t\t"
    "lowp vec4 addToColor=vec4(vec3(DeepComplexIncrementValue),0.5);\t\t\t \t\tgl_FragColor=addToColor;"
    "\t\t\t \t}";
constexpr const char* kHighlightSource =
    "void main()\t\t\t \t{\t\t\t \t\tlowp vec4 addToColor=vec4(0.1,1.0,0.1,0.6);\t\t\t \t\t"
    "gl_FragColor=addToColor;\t\t\t \t}";

void MakeProgram(SEs2Host& gl, const char* source, uint32_t& program, uint32_t& shader)
{
    program = XQF_HOST(gl, glCreateProgram)();
    shader = XQF_HOST(gl, glCreateShader)(GL_FRAGMENT_SHADER);
    XQF_HOST(gl, glShaderSource)(shader, 1, &source, nullptr);
    XQF_HOST(gl, glCompileShader)(shader);
    XQF_HOST(gl, glAttachShader)(program, shader);
}

GLenum ShaderType(SEs2Host& gl, GLuint shader)
{
    GLint type = 0;
    XQF_HOST(gl, glGetShaderiv)(shader, GL_SHADER_TYPE, &type);
    return GLenum(type);
}

// Sets one recorded uniform's values at location L of the current program.
void SendUniform(SEs2Host& gl, GLint L, const SEs2Uniform& u)
{
    const uint32_t c = u.components;
    if (u.kind == 0) {
        const GLsizei n = GLsizei(u.ints.size() / c);
        const GLint* v = u.ints.data();
        if (n == 1) {
            switch (c) {
            case 1: XQF_HOST(gl, glUniform1i)(L, v[0]); break;
            case 2: XQF_HOST(gl, glUniform2i)(L, v[0], v[1]); break;
            case 3: XQF_HOST(gl, glUniform3i)(L, v[0], v[1], v[2]); break;
            case 4: XQF_HOST(gl, glUniform4i)(L, v[0], v[1], v[2], v[3]); break;
            default: break;
            }
        } else if (n >= 2) {
            switch (c) {
            case 1: XQF_HOST(gl, glUniform1iv)(L, n, v); break;
            case 2: XQF_HOST(gl, glUniform2iv)(L, n, v); break;
            case 3: XQF_HOST(gl, glUniform3iv)(L, n, v); break;
            case 4: XQF_HOST(gl, glUniform4iv)(L, n, v); break;
            default: break;
            }
        }
        return;
    }
    const GLsizei n = GLsizei(u.floats.size() / c);
    const GLfloat* v = u.floats.data();
    if (u.kind == 2) {
        if (n == 0)
            return;
        switch (c) {
        case 4: XQF_HOST(gl, glUniformMatrix2fv)(L, n, GL_FALSE, v); break;
        case 9: XQF_HOST(gl, glUniformMatrix3fv)(L, n, GL_FALSE, v); break;
        case 16: XQF_HOST(gl, glUniformMatrix4fv)(L, n, GL_FALSE, v); break;
        default: break;
        }
    } else if (n == 1) {
        switch (c) {
        case 1: XQF_HOST(gl, glUniform1f)(L, v[0]); break;
        case 2: XQF_HOST(gl, glUniform2f)(L, v[0], v[1]); break;
        case 3: XQF_HOST(gl, glUniform3f)(L, v[0], v[1], v[2]); break;
        case 4: XQF_HOST(gl, glUniform4f)(L, v[0], v[1], v[2], v[3]); break;
        default: break;
        }
    } else if (n >= 2) {
        switch (c) {
        case 1: XQF_HOST(gl, glUniform1fv)(L, n, v); break;
        case 2: XQF_HOST(gl, glUniform2fv)(L, n, v); break;
        case 3: XQF_HOST(gl, glUniform3fv)(L, n, v); break;
        case 4: XQF_HOST(gl, glUniform4fv)(L, n, v); break;
        default: break;
        }
    }
}

} // namespace

bool CAnalysisPlayback::BuildAnalysisPrograms()
{
    SEs2Host& gl = *SEs2Host::Instance();
    if (XQF_HOST(gl, glIsProgram)(m_complexityProgram))
        return true;
    MakeProgram(gl, kComplexitySource, m_complexityProgram, m_complexityShader);
    MakeProgram(gl, kHighlightSource, m_highlightProgram, m_highlightShader);
    m_programsBuilt = 1;
    m_linkedWith[0] = m_linkedWith[1] = SLinkedWith();
    return true;
}

void CAnalysisPlayback::PatchComplexityShader(uint32_t mode)
{
    if (mode != 1 && mode != 2)
        return;
    BuildAnalysisPrograms();
    SEs2Host& gl = *SEs2Host::Instance();
    const GLuint P = mode == 1 ? m_complexityProgram : m_highlightProgram;

    GLint current = 0;
    XQF_HOST(gl, glGetIntegerv)(GL_CURRENT_PROGRAM, &current);
    m_savedProgram = uint32_t(current);
    const GLuint A = GLuint(current);

    // The application's vertex shader: only among the shaders the host reports (none without a
    // program in use, or with a program of a fragment shader alone).
    GLuint V = 0;
    if (A != 0) {
        GLsizei count = 0;
        GLuint shaders[2] = {};
        XQF_HOST(gl, glGetAttachedShaders)(A, 2, &count, shaders);
        for (GLsizei i = 0; i < count && i < 2; ++i)
            if (ShaderType(gl, shaders[i]) == GL_VERTEX_SHADER)
                V = shaders[i];
    }
    const uint32_t R = A != 0 ? ProgramNameMap::FindRecorded(A) : 0;
    const SEs2State& state = std::as_const(m_es2);
    // Attributes by their key, the attribute index, as the restore takes them.
    const CObjectTable<SEs2Attribute>* attributes = state.linkedAttributes.Get(R);

    SLinkedWith wanted;
    wanted.valid = true;
    wanted.vertexShader = V;
    if (const SEs2Program* program = state.programs.Get(R))
        if (const SEs2Shader* shader = state.shaders.Get(program->vertexShader))
            wanted.source = shader->source;
    if (attributes)
        for (const auto& entry : *attributes)
            if (entry.record.boundByName)
                wanted.bindings.emplace_back(entry.key, entry.record.name.CStr());

    SLinkedWith& last = m_linkedWith[mode - 1];
    if (!(wanted == last)) {
        GLsizei count = 0;
        GLuint shaders[2] = {};
        XQF_HOST(gl, glGetAttachedShaders)(P, 2, &count, shaders);
        for (GLsizei i = 0; i < count && i < 2; ++i)
            if (ShaderType(gl, shaders[i]) == GL_VERTEX_SHADER)
                XQF_HOST(gl, glDetachShader)(P, shaders[i]);
        XQF_HOST(gl, glGetError)();
        if (V != 0)
            XQF_HOST(gl, glAttachShader)(P, V);
        XQF_HOST(gl, glGetError)();
        XQF_HOST(gl, glGetError)();
        for (const auto& [index, name] : wanted.bindings)
            XQF_HOST(gl, glBindAttribLocation)(P, index, name.c_str());
        XQF_HOST(gl, glLinkProgram)(P);
        XQF_HOST(gl, glGetError)();
        XQF_HOST(gl, glGetError)();
        last = std::move(wanted);
    }
    XQF_HOST(gl, glUseProgram)(P);
    XQF_HOST(gl, glGetError)();

    const GLint increment = XQF_HOST(gl, glGetUniformLocation)(P, "DeepComplexIncrementValue");
    if (increment != -1)
        XQF_HOST(gl, glUniform1f)(increment, float(m_increment) / 255.0f);

    if (const CObjectTable<SEs2Uniform>* uniforms = state.uniforms.Get(R)) {
        for (const auto& entry : *uniforms) {
            const SEs2Uniform& u = entry.record;
            const GLint L = XQF_HOST(gl, glGetUniformLocation)(P, u.name.CStr());
            if (L < 0 || u.components == 0)
                continue;
            SendUniform(gl, L, u);
        }
    }
    if (attributes) {
        for (const auto& entry : *attributes) {
            const SEs2Attribute& a = entry.record;
            const std::vector<float>& v = a.values;
            if (v.size() < a.components)
                continue;
            switch (a.components) {
            case 1: XQF_HOST(gl, glVertexAttrib1f)(entry.key, v[0]); break;
            case 2: XQF_HOST(gl, glVertexAttrib2f)(entry.key, v[0], v[1]); break;
            case 3: XQF_HOST(gl, glVertexAttrib3f)(entry.key, v[0], v[1], v[2]); break;
            case 4: XQF_HOST(gl, glVertexAttrib4f)(entry.key, v[0], v[1], v[2], v[3]); break;
            default: break;
            }
        }
    }
}

#include "StateProbe.h"

#include "Es2StateQueries.h"
#include "host/HostTables.h"

// The ES 3.1 header declares every ES 2.0 prototype and the ES 3.x ones resolved by name below.
#include <GLES3/gl31.h>

#include "ProbeBase.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

std::string Digest(const void* bytes, size_t size)
{
    uint64_t h = 0xCBF29CE484222325ull;
    const auto* b = static_cast<const uint8_t*>(bytes);
    for (size_t i = 0; i < size; ++i)
        h = (h ^ b[i]) * 0x100000001B3ull;
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(h));
    return text;
}

namespace {

using probe::Hex;
using probe::Number;

// Names probed for each kind of object: far more than a replayed frame's host makes.
constexpr GLuint kMaxName = 1024;

std::string Join(const std::vector<std::string>& parts, const char* separator)
{
    std::string out;
    for (size_t i = 0; i < parts.size(); ++i)
        out += (i ? separator : "") + parts[i];
    return out;
}

// Components and integer-ness of a uniform type.
struct SUniformShape
{
    int components;
    bool integer;
};
SUniformShape ShapeOf(GLenum type)
{
    switch (type) {
    case GL_FLOAT: return {1, false};
    case GL_FLOAT_VEC2: return {2, false};
    case GL_FLOAT_VEC3: return {3, false};
    case GL_FLOAT_VEC4: return {4, false};
    case GL_FLOAT_MAT2: return {4, false};
    case GL_FLOAT_MAT3: return {9, false};
    case GL_FLOAT_MAT4: return {16, false};
    case GL_INT: case GL_BOOL: case GL_SAMPLER_2D: case GL_SAMPLER_CUBE: return {1, true};
    case GL_INT_VEC2: case GL_BOOL_VEC2: return {2, true};
    case GL_INT_VEC3: case GL_BOOL_VEC3: return {3, true};
    case GL_INT_VEC4: case GL_BOOL_VEC4: return {4, true};
    default: return {0, false};
    }
}

class CProbe : probe::CProbeBase<kEs2HostNames>
{
public:
    explicit CProbe(const SProbeGl& gl) : CProbeBase(gl.es2, gl.resolve) {}

    std::string Run()
    {
        SaveBindings();
        Scalars();
        Shaders();
        Programs();
        Buffers();
        Renderbuffers();
        Textures();
        Framebuffers();
        RestoreBindings();
        Bindings();
        Attributes();
        return Finish();
    }

private:

    void SaveBindings()
    {
        m_readFramebuffer = Int(GL_READ_FRAMEBUFFER_BINDING);
        m_drawFramebuffer = Int(GL_DRAW_FRAMEBUFFER_BINDING);
        m_renderbuffer = Int(GL_RENDERBUFFER_BINDING);
        m_texture2D = Int(GL_TEXTURE_BINDING_2D);
        m_textureCube = Int(GL_TEXTURE_BINDING_CUBE_MAP);
        m_copyRead = Int(GL_COPY_READ_BUFFER_BINDING);
    }

    void RestoreBindings()
    {
        XQF_HOST(t, glBindFramebuffer)(GL_READ_FRAMEBUFFER, GLuint(m_readFramebuffer));
        XQF_HOST(t, glBindFramebuffer)(GL_DRAW_FRAMEBUFFER, GLuint(m_drawFramebuffer));
        XQF_HOST(t, glBindRenderbuffer)(GL_RENDERBUFFER, GLuint(m_renderbuffer));
        XQF_HOST(t, glBindTexture)(GL_TEXTURE_2D, GLuint(m_texture2D));
        XQF_HOST(t, glBindTexture)(GL_TEXTURE_CUBE_MAP, GLuint(m_textureCube));
        XQF_HOST(t, glBindBuffer)(GL_COPY_READ_BUFFER, GLuint(m_copyRead));
        if (m_scratchFramebuffer)
            XQF_HOST(t, glDeleteFramebuffers)(1, &m_scratchFramebuffer);
    }

    void Scalars()
    {
        for (const SStateQuery& q : Es2StateQueries()) {
            std::vector<std::string> values;
            if (q.kind == EQueryKind::Enabled) {
                values.push_back(std::to_string(int(XQF_HOST(t, glIsEnabled)(q.pname))));
            } else if (q.kind == EQueryKind::Float) {
                GLfloat v[4] = {};
                XQF_HOST(t, glGetFloatv)(q.pname, v);
                for (int i = 0; i < q.count; ++i)
                    values.push_back(Number(v[i]));
            } else if (q.kind == EQueryKind::Boolean) {
                GLboolean v[4] = {};
                XQF_HOST(t, glGetBooleanv)(q.pname, v);
                for (int i = 0; i < q.count; ++i)
                    values.push_back(std::to_string(int(v[i])));
            } else {
                GLint v[4] = {};
                XQF_HOST(t, glGetIntegerv)(q.pname, v);
                for (int i = 0; i < q.count; ++i)
                    values.push_back(std::to_string(v[i]));
            }
            m_state.push_back(std::string("state ") + q.label + "=" + Join(values, ","));
        }
    }

    void Shaders()
    {
        for (GLuint name = 1; name <= kMaxName; ++name) {
            if (!XQF_HOST(t, glIsShader)(name))
                continue;
            GLint type = 0, compiled = 0, deleted = 0, length = 0;
            XQF_HOST(t, glGetShaderiv)(name, GL_SHADER_TYPE, &type);
            XQF_HOST(t, glGetShaderiv)(name, GL_COMPILE_STATUS, &compiled);
            XQF_HOST(t, glGetShaderiv)(name, GL_DELETE_STATUS, &deleted);
            XQF_HOST(t, glGetShaderiv)(name, GL_SHADER_SOURCE_LENGTH, &length);
            std::string source(size_t(std::max(length, 1)), '\0');
            GLsizei written = 0;
            XQF_HOST(t, glGetShaderSource)(name, GLsizei(source.size()), &written, source.data());
            source.resize(size_t(std::max(written, 0)));
            m_shaders[name] = Object("shader", "type=" + Hex(GLuint(type)) + " compiled=" + std::to_string(compiled) +
                                                   " delete=" + std::to_string(deleted) +
                                                   " source=" + Digest(source.data(), source.size()));
        }
    }

    void Programs()
    {
        for (GLuint name = 1; name <= kMaxName; ++name) {
            if (!XQF_HOST(t, glIsProgram)(name))
                continue;
            GLint linked = 0, attributes = 0, uniforms = 0;
            XQF_HOST(t, glGetProgramiv)(name, GL_LINK_STATUS, &linked);
            GLuint attached[8] = {};
            GLsizei count = 0;
            XQF_HOST(t, glGetAttachedShaders)(name, 8, &count, attached);
            std::vector<std::string> shaders;
            for (GLsizei i = 0; i < count; ++i)
                shaders.push_back(IdOf(m_shaders, attached[i]));
            std::sort(shaders.begin(), shaders.end());
            std::string d = "linked=" + std::to_string(linked) + " shaders=" + Join(shaders, ",");
            if (linked) {
                XQF_HOST(t, glGetProgramiv)(name, GL_ACTIVE_ATTRIBUTES, &attributes);
                XQF_HOST(t, glGetProgramiv)(name, GL_ACTIVE_UNIFORMS, &uniforms);
                std::vector<std::string> parts;
                for (GLint i = 0; i < attributes; ++i) {
                    char text[256] = {};
                    GLint size = 0;
                    GLenum type = 0;
                    XQF_HOST(t, glGetActiveAttrib)(name, GLuint(i), sizeof text, nullptr, &size, &type, text);
                    parts.push_back(std::string(text) + ":" + Hex(type) + "@" +
                                    std::to_string(XQF_HOST(t, glGetAttribLocation)(name, text)));
                }
                std::sort(parts.begin(), parts.end());
                d += " attributes=" + Join(parts, ",");
                parts.clear();
                for (GLint i = 0; i < uniforms; ++i)
                    parts.push_back(Uniform(name, GLuint(i)));
                std::sort(parts.begin(), parts.end());
                d += " uniforms=" + Join(parts, ";");
            }
            m_programs[name] = Object("program", d);
        }
    }

    std::string Uniform(GLuint program, GLuint index)
    {
        char text[256] = {};
        GLint size = 0;
        GLenum type = 0;
        XQF_HOST(t, glGetActiveUniform)(program, index, sizeof text, nullptr, &size, &type, text);
        std::string base = text;
        if (base.size() > 3 && base.compare(base.size() - 3, 3, "[0]") == 0)
            base.resize(base.size() - 3);
        const SUniformShape shape = ShapeOf(type);
        std::vector<std::string> values;
        for (GLint k = 0; k < size && shape.components > 0; ++k) {
            const std::string element = size > 1 ? base + "[" + std::to_string(k) + "]" : base;
            const GLint location = XQF_HOST(t, glGetUniformLocation)(program, element.c_str());
            if (shape.integer) {
                GLint v[16] = {};
                XQF_HOST(t, glGetUniformiv)(program, location, v);
                for (int c = 0; c < shape.components; ++c)
                    values.push_back(std::to_string(v[c]));
            } else {
                GLfloat v[16] = {};
                XQF_HOST(t, glGetUniformfv)(program, location, v);
                for (int c = 0; c < shape.components; ++c)
                    values.push_back(Number(v[c]));
            }
        }
        return base + ":" + Hex(type) + "x" + std::to_string(size) + "=" + Join(values, ",");
    }

    void Buffers()
    {
        auto map = Resolved<decltype(&::glMapBufferRange)>("glMapBufferRange");
        auto unmap = Resolved<decltype(&::glUnmapBuffer)>("glUnmapBuffer");
        for (GLuint name = 1; name <= kMaxName; ++name) {
            if (!XQF_HOST(t, glIsBuffer)(name))
                continue;
            XQF_HOST(t, glBindBuffer)(GL_COPY_READ_BUFFER, name);
            GLint size = 0, usage = 0;
            XQF_HOST(t, glGetBufferParameteriv)(GL_COPY_READ_BUFFER, GL_BUFFER_SIZE, &size);
            XQF_HOST(t, glGetBufferParameteriv)(GL_COPY_READ_BUFFER, GL_BUFFER_USAGE, &usage);
            std::string data = "none";
            if (size > 0 && map && unmap) {
                if (const void* bytes = map(GL_COPY_READ_BUFFER, 0, size, GL_MAP_READ_BIT)) {
                    data = Digest(bytes, size_t(size));
                    unmap(GL_COPY_READ_BUFFER);
                } else {
                    data = "unreadable";
                }
            }
            m_buffers[name] = Object("buffer", "size=" + std::to_string(size) + " usage=" + Hex(GLuint(usage)) +
                                                   " data=" + data);
        }
    }

    void Renderbuffers()
    {
        for (GLuint name = 1; name <= kMaxName; ++name) {
            if (!XQF_HOST(t, glIsRenderbuffer)(name))
                continue;
            XQF_HOST(t, glBindRenderbuffer)(GL_RENDERBUFFER, name);
            GLint w = 0, h = 0, format = 0;
            XQF_HOST(t, glGetRenderbufferParameteriv)(GL_RENDERBUFFER, GL_RENDERBUFFER_WIDTH, &w);
            XQF_HOST(t, glGetRenderbufferParameteriv)(GL_RENDERBUFFER, GL_RENDERBUFFER_HEIGHT, &h);
            XQF_HOST(t, glGetRenderbufferParameteriv)(GL_RENDERBUFFER, GL_RENDERBUFFER_INTERNAL_FORMAT, &format);
            m_renderbuffers[name] = Object("renderbuffer", std::to_string(w) + "x" + std::to_string(h) +
                                                               " format=" + Hex(GLuint(format)));
        }
    }

    // The image of one level of one face, read through a framebuffer; "unreadable" for formats
    // that cannot be rendered to.
    std::string LevelData(GLenum face, GLuint name, GLint level, GLint w, GLint h)
    {
        if (!m_scratchFramebuffer)
            XQF_HOST(t, glGenFramebuffers)(1, &m_scratchFramebuffer);
        XQF_HOST(t, glBindFramebuffer)(GL_FRAMEBUFFER, m_scratchFramebuffer);
        XQF_HOST(t, glFramebufferTexture2D)(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, face, name, level);
        std::string data = "unreadable";
        if (XQF_HOST(t, glCheckFramebufferStatus)(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE) {
            std::vector<uint8_t> pixels(size_t(w) * size_t(h) * 4);
            XQF_HOST(t, glReadPixels)(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
            data = Digest(pixels.data(), pixels.size());
        }
        XQF_HOST(t, glFramebufferTexture2D)(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, 0, 0);
        return data;
    }

    void Textures()
    {
        auto levelParameter = Resolved<decltype(&::glGetTexLevelParameteriv)>("glGetTexLevelParameteriv");
        for (GLuint name = 1; name <= kMaxName; ++name) {
            if (!XQF_HOST(t, glIsTexture)(name))
                continue;
            while (XQF_HOST(t, glGetError)() != GL_NO_ERROR) {
            }
            GLenum target = GL_TEXTURE_2D;
            XQF_HOST(t, glBindTexture)(GL_TEXTURE_2D, name);
            if (XQF_HOST(t, glGetError)() != GL_NO_ERROR) {
                target = GL_TEXTURE_CUBE_MAP;
                XQF_HOST(t, glBindTexture)(GL_TEXTURE_CUBE_MAP, name);
            }
            GLint filter[4] = {};
            const GLenum pnames[4] = {GL_TEXTURE_MIN_FILTER, GL_TEXTURE_MAG_FILTER, GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T};
            for (int i = 0; i < 4; ++i)
                XQF_HOST(t, glGetTexParameteriv)(target, pnames[i], &filter[i]);
            std::string d = std::string(target == GL_TEXTURE_2D ? "2d" : "cube") + " min=" + Hex(GLuint(filter[0])) +
                            " mag=" + Hex(GLuint(filter[1])) + " wrap=" + Hex(GLuint(filter[2])) + "," +
                            Hex(GLuint(filter[3])) + " levels=";
            std::vector<std::string> levels;
            const int faces = target == GL_TEXTURE_2D ? 1 : 6;
            for (int f = 0; f < faces && levelParameter; ++f) {
                const GLenum face = target == GL_TEXTURE_2D ? GL_TEXTURE_2D : GLenum(GL_TEXTURE_CUBE_MAP_POSITIVE_X + f);
                for (GLint level = 0; level < 15; ++level) {
                    GLint w = 0, h = 0, format = 0, compressed = 0;
                    levelParameter(face, level, GL_TEXTURE_WIDTH, &w);
                    if (w == 0)
                        continue;
                    levelParameter(face, level, GL_TEXTURE_HEIGHT, &h);
                    levelParameter(face, level, GL_TEXTURE_INTERNAL_FORMAT, &format);
                    levelParameter(face, level, GL_TEXTURE_COMPRESSED, &compressed);
                    levels.push_back(std::to_string(f) + "." + std::to_string(level) + ":" + std::to_string(w) + "x" +
                                     std::to_string(h) + " format=" + Hex(GLuint(format)) +
                                     (compressed ? " compressed" : "") + " data=" + LevelData(face, name, level, w, h));
                }
            }
            m_textures[name] = Object("texture", d + Join(levels, ";"));
        }
        XQF_HOST(t, glBindFramebuffer)(GL_FRAMEBUFFER, GLuint(m_drawFramebuffer));
    }

    void Framebuffers()
    {
        for (GLuint name = 1; name <= kMaxName; ++name) {
            if (name == m_scratchFramebuffer || !XQF_HOST(t, glIsFramebuffer)(name))
                continue;
            XQF_HOST(t, glBindFramebuffer)(GL_FRAMEBUFFER, name);
            std::string d = "status=" + Hex(XQF_HOST(t, glCheckFramebufferStatus)(GL_FRAMEBUFFER));
            for (auto [label, attachment] : {std::pair{"color", GL_COLOR_ATTACHMENT0}, std::pair{"depth", GL_DEPTH_ATTACHMENT},
                                             std::pair{"stencil", GL_STENCIL_ATTACHMENT}}) {
                GLint type = 0, object = 0, level = 0, face = 0;
                auto get = [&](GLenum pname, GLint* v) {
                    XQF_HOST(t, glGetFramebufferAttachmentParameteriv)(GL_FRAMEBUFFER, attachment, pname, v);
                };
                get(GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE, &type);
                d += std::string(" ") + label + "=";
                if (type == GL_TEXTURE) {
                    get(GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME, &object);
                    get(GL_FRAMEBUFFER_ATTACHMENT_TEXTURE_LEVEL, &level);
                    get(GL_FRAMEBUFFER_ATTACHMENT_TEXTURE_CUBE_MAP_FACE, &face);
                    d += "texture:" + IdOf(m_textures, GLuint(object)) + ":" + std::to_string(level) + ":" + Hex(GLuint(face));
                } else if (type == GL_RENDERBUFFER) {
                    get(GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME, &object);
                    d += "renderbuffer:" + IdOf(m_renderbuffers, GLuint(object));
                } else {
                    d += "none";
                }
            }
            m_framebuffers[name] = Object("framebuffer", d);
        }
    }

    void Bindings()
    {
        m_state.push_back("binding array_buffer=" + IdOf(m_buffers, GLuint(Int(GL_ARRAY_BUFFER_BINDING))));
        m_state.push_back("binding element_array_buffer=" + IdOf(m_buffers, GLuint(Int(GL_ELEMENT_ARRAY_BUFFER_BINDING))));
        m_state.push_back("binding framebuffer=" + (m_drawFramebuffer ? IdOf(m_framebuffers, GLuint(m_drawFramebuffer)) : "default"));
        m_state.push_back("binding renderbuffer=" + IdOf(m_renderbuffers, GLuint(Int(GL_RENDERBUFFER_BINDING))));
        m_state.push_back("binding program=" + IdOf(m_programs, GLuint(Int(GL_CURRENT_PROGRAM))));
        const GLint active = Int(GL_ACTIVE_TEXTURE);
        const GLint units = std::min(Int(GL_MAX_COMBINED_TEXTURE_IMAGE_UNITS), 32);
        for (GLint u = 0; u < units; ++u) {
            XQF_HOST(t, glActiveTexture)(GL_TEXTURE0 + GLenum(u));
            const GLint t2d = Int(GL_TEXTURE_BINDING_2D), cube = Int(GL_TEXTURE_BINDING_CUBE_MAP);
            if (t2d || cube)
                m_state.push_back("binding unit" + std::to_string(u) + " 2d=" + IdOf(m_textures, GLuint(t2d)) +
                                  " cube=" + IdOf(m_textures, GLuint(cube)));
        }
        XQF_HOST(t, glActiveTexture)(GLenum(active));
    }

    void Attributes()
    {
        const GLint count = std::min(Int(GL_MAX_VERTEX_ATTRIBS), 16);
        for (GLint i = 0; i < count; ++i) {
            GLint v[8] = {};
            const GLenum pnames[] = {GL_VERTEX_ATTRIB_ARRAY_ENABLED, GL_VERTEX_ATTRIB_ARRAY_SIZE, GL_VERTEX_ATTRIB_ARRAY_TYPE,
                                     GL_VERTEX_ATTRIB_ARRAY_NORMALIZED, GL_VERTEX_ATTRIB_ARRAY_STRIDE,
                                     GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING};
            for (int k = 0; k < 6; ++k)
                XQF_HOST(t, glGetVertexAttribiv)(GLuint(i), pnames[k], &v[k]);
            void* pointer = nullptr;
            XQF_HOST(t, glGetVertexAttribPointerv)(GLuint(i), GL_VERTEX_ATTRIB_ARRAY_POINTER, &pointer);
            GLfloat current[4] = {};
            XQF_HOST(t, glGetVertexAttribfv)(GLuint(i), GL_CURRENT_VERTEX_ATTRIB, current);
            const std::string prefix = "attrib" + std::to_string(i) + " ";
            m_state.push_back(prefix + "array enabled=" + std::to_string(v[0]) + " size=" + std::to_string(v[1]) +
                              " type=" + Hex(GLuint(v[2])) + " normalized=" + std::to_string(v[3]) +
                              " stride=" + std::to_string(v[4]) + " buffer=" + IdOf(m_buffers, GLuint(v[5])));
            // A client array's pointer is an address of the process that set it.
            m_state.push_back(prefix + "pointer=" + (v[5] ? std::to_string(reinterpret_cast<uintptr_t>(pointer))
                                                          : std::string(pointer ? "client" : "0")));
            m_state.push_back(prefix + "current=" + Number(current[0]) + "," + Number(current[1]) + "," +
                              Number(current[2]) + "," + Number(current[3]));
        }
    }

    std::map<GLuint, std::string> m_shaders, m_programs, m_buffers, m_renderbuffers, m_textures, m_framebuffers;
    GLint m_readFramebuffer = 0, m_drawFramebuffer = 0, m_renderbuffer = 0, m_texture2D = 0, m_textureCube = 0,
          m_copyRead = 0;
    GLuint m_scratchFramebuffer = 0;
};

} // namespace

std::string ProbeEs2State(const SProbeGl& gl) { return CProbe(gl).Run(); }

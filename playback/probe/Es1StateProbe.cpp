// The ES 1.1 side of the state probe: what GL answers for every part of the fixed-function state,
// the client arrays, the bindings, and the textures and buffers the context holds, described by
// what they hold. Texture levels are read through a framebuffer object; ES 1.1 has no level-size
// query, so the size of level 0 is found by reading single pixels (a read outside the framebuffer
// writes nothing).
#include "StateProbe.h"

#include "Es1StateQueries.h"
#include "host/HostTables.h"

#include <GLES/gl.h>
#include <GLES/glext.h>

#include "ProbeBase.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

namespace {

using probe::Hex;
using probe::Number;

// Names probed for textures and buffers: the restore keeps recorded names, which a trace writer may
// have numbered from 2001 on.
constexpr GLuint kMaxName = 65535;

template <class T>
std::string List(const T* v, int n)
{
    std::string out;
    for (int i = 0; i < n; ++i) {
        if (i)
            out += ',';
        out += Number(double(v[i]));
    }
    return out;
}

// A matrix's numbers, a zero of either sign as 0: GL implementations differ in the sign of the
// zeros their products leave, which no drawing sees.
std::string Matrix(const GLfloat* v)
{
    GLfloat m[16];
    for (int i = 0; i < 16; ++i)
        m[i] = v[i] == 0.0f ? 0.0f : v[i];
    return List(m, 16);
}

const std::pair<const char*, GLenum> kLightParams[] = {
    {"ambient", GL_AMBIENT}, {"diffuse", GL_DIFFUSE}, {"specular", GL_SPECULAR}, {"position", GL_POSITION},
    {"spot_direction", GL_SPOT_DIRECTION}, {"spot_exponent", GL_SPOT_EXPONENT}, {"spot_cutoff", GL_SPOT_CUTOFF},
    {"constant_attenuation", GL_CONSTANT_ATTENUATION}, {"linear_attenuation", GL_LINEAR_ATTENUATION},
    {"quadratic_attenuation", GL_QUADRATIC_ATTENUATION}};

class CProbe1 : probe::CProbeBase<kEs1HostNames>
{
public:
    CProbe1(void* const* es1, void* (*resolve)(const char*)) : CProbeBase(es1, resolve) {}

    std::string Run()
    {
        // First the error the context holds: none after a restore, as none in a direct run.
        State("error", Hex(XQF_HOST(t, glGetError)()));
        m_activeTexture = Int(GL_ACTIVE_TEXTURE);
        m_clientActiveTexture = Int(GL_CLIENT_ACTIVE_TEXTURE);
        m_arrayBuffer = Int(GL_ARRAY_BUFFER_BINDING);
        m_units = std::clamp(Int(GL_MAX_TEXTURE_UNITS), 1, 32);
        Buffers();
        Textures();
        Scalars();
        Lighting();
        Units();
        Arrays();
        return Finish();
    }

private:
    void State(const std::string& key, const std::string& value) { m_state.push_back("state " + key + "=" + value); }

    void Scalars()
    {
        for (const SEs1StateQuery& q : Es1StateQueries()) {
            if (q.kind == EQueryKind::Enabled) {
                State(q.label, std::to_string(int(XQF_HOST(t, glIsEnabled)(q.pname))));
            } else if (q.kind == EQueryKind::Float) {
                GLfloat v[16] = {};
                XQF_HOST(t, glGetFloatv)(q.pname, v);
                State(q.label, q.count == 16 ? Matrix(v) : List(v, q.count));
            } else if (q.kind == EQueryKind::Boolean) {
                GLboolean v[4] = {};
                XQF_HOST(t, glGetBooleanv)(q.pname, v);
                State(q.label, List(v, q.count));
            } else {
                GLint v[4] = {};
                XQF_HOST(t, glGetIntegerv)(q.pname, v);
                State(q.label, List(v, q.count));
            }
        }
        m_state.push_back("binding array_buffer=" + IdOf(m_buffers, GLuint(m_arrayBuffer)));
        m_state.push_back("binding element_array_buffer=" + IdOf(m_buffers, GLuint(Int(GL_ELEMENT_ARRAY_BUFFER_BINDING))));
    }

    void Lighting()
    {
        const GLint lights = std::min(Int(GL_MAX_LIGHTS), 8);
        for (GLint l = 0; l < lights; ++l)
            for (const auto& [label, pname] : kLightParams) {
                GLfloat v[4] = {};
                XQF_HOST(t, glGetLightfv)(GL_LIGHT0 + GLenum(l), pname, v);
                m_state.push_back("light" + std::to_string(l) + " " + label + "=" +
                                  List(v, pname == GL_SPOT_DIRECTION ? 3 : pname <= GL_POSITION ? 4 : 1));
            }
        for (auto [label, pname, n] : {std::tuple{"ambient", GLenum(GL_AMBIENT), 4}, std::tuple{"diffuse", GLenum(GL_DIFFUSE), 4},
                                       std::tuple{"specular", GLenum(GL_SPECULAR), 4}, std::tuple{"emission", GLenum(GL_EMISSION), 4},
                                       std::tuple{"shininess", GLenum(GL_SHININESS), 1}}) {
            GLfloat v[4] = {};
            XQF_HOST(t, glGetMaterialfv)(GL_FRONT, pname, v);
            m_state.push_back(std::string("material ") + label + "=" + List(v, n));
        }
        const GLint planes = std::min(Int(GL_MAX_CLIP_PLANES), 6);
        for (GLint p = 0; p < planes; ++p) {
            GLfloat v[4] = {};
            XQF_HOST(t, glGetClipPlanef)(GL_CLIP_PLANE0 + GLenum(p), v);
            m_state.push_back("clip_plane" + std::to_string(p) + "=" + List(v, 4));
        }
    }

    void Units()
    {
        for (GLint u = 0; u < m_units; ++u) {
            XQF_HOST(t, glActiveTexture)(GL_TEXTURE0 + GLenum(u));
            const std::string unit = "unit" + std::to_string(u) + " ";
            m_state.push_back(unit + "texture=" + IdOf(m_textures, GLuint(Int(GL_TEXTURE_BINDING_2D))));
            m_state.push_back(unit + "texture_2d=" + std::to_string(int(XQF_HOST(t, glIsEnabled)(GL_TEXTURE_2D))));
            GLfloat v[16] = {};
            XQF_HOST(t, glGetFloatv)(GL_CURRENT_TEXTURE_COORDS, v);
            m_state.push_back(unit + "texcoord=" + List(v, 4));
            XQF_HOST(t, glGetFloatv)(GL_TEXTURE_MATRIX, v);
            m_state.push_back(unit + "texture_matrix=" + Matrix(v) + " depth=" + std::to_string(Int(GL_TEXTURE_STACK_DEPTH)));
            std::vector<GLint> env;
            for (GLenum pname : {GL_TEXTURE_ENV_MODE, GL_COMBINE_RGB, GL_COMBINE_ALPHA, GL_SRC0_RGB, GL_SRC1_RGB, GL_SRC2_RGB,
                                 GL_SRC0_ALPHA, GL_SRC1_ALPHA, GL_SRC2_ALPHA, GL_OPERAND0_RGB, GL_OPERAND1_RGB, GL_OPERAND2_RGB,
                                 GL_OPERAND0_ALPHA, GL_OPERAND1_ALPHA, GL_OPERAND2_ALPHA}) {
                GLint e = 0;
                XQF_HOST(t, glGetTexEnviv)(GL_TEXTURE_ENV, pname, &e);
                env.push_back(e);
            }
            GLfloat scale[2] = {}, colour[4] = {};
            XQF_HOST(t, glGetTexEnvfv)(GL_TEXTURE_ENV, GL_RGB_SCALE, &scale[0]);
            XQF_HOST(t, glGetTexEnvfv)(GL_TEXTURE_ENV, GL_ALPHA_SCALE, &scale[1]);
            XQF_HOST(t, glGetTexEnvfv)(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, colour);
            GLint replace = 0;
            XQF_HOST(t, glGetTexEnviv)(GL_POINT_SPRITE_OES, GL_COORD_REPLACE_OES, &replace);
            m_state.push_back(unit + "texture_env=" + List(env.data(), 15) + " scale=" + List(scale, 2) +
                              " color=" + List(colour, 4) + " coord_replace=" + std::to_string(replace));
        }
        XQF_HOST(t, glActiveTexture)(GLenum(m_activeTexture));
    }

    // One client array: enabled, size, type, stride, buffer and where it points.
    void Array(const std::string& label, GLenum array, GLenum size, GLenum type, GLenum stride, GLenum binding,
               GLenum pointer)
    {
        void* p = nullptr;
        XQF_HOST(t, glGetPointerv)(pointer, &p);
        const GLint buffer = Int(binding);
        // A client array's pointer is an address of the process that set it.
        m_state.push_back("array " + label + " enabled=" + std::to_string(int(XQF_HOST(t, glIsEnabled)(array))) +
                          " size=" + (size ? std::to_string(Int(size)) : "-") + " type=" + Hex(GLuint(Int(type))) +
                          " stride=" + std::to_string(Int(stride)) + " buffer=" + IdOf(m_buffers, GLuint(buffer)) +
                          " pointer=" + (buffer ? std::to_string(reinterpret_cast<uintptr_t>(p)) : p ? "client" : "0"));
    }

    void Arrays()
    {
        Array("vertex", GL_VERTEX_ARRAY, GL_VERTEX_ARRAY_SIZE, GL_VERTEX_ARRAY_TYPE, GL_VERTEX_ARRAY_STRIDE,
              GL_VERTEX_ARRAY_BUFFER_BINDING, GL_VERTEX_ARRAY_POINTER);
        Array("normal", GL_NORMAL_ARRAY, 0, GL_NORMAL_ARRAY_TYPE, GL_NORMAL_ARRAY_STRIDE, GL_NORMAL_ARRAY_BUFFER_BINDING,
              GL_NORMAL_ARRAY_POINTER);
        Array("color", GL_COLOR_ARRAY, GL_COLOR_ARRAY_SIZE, GL_COLOR_ARRAY_TYPE, GL_COLOR_ARRAY_STRIDE,
              GL_COLOR_ARRAY_BUFFER_BINDING, GL_COLOR_ARRAY_POINTER);
        Array("point_size", GL_POINT_SIZE_ARRAY_OES, 0, GL_POINT_SIZE_ARRAY_TYPE_OES, GL_POINT_SIZE_ARRAY_STRIDE_OES,
              GL_POINT_SIZE_ARRAY_BUFFER_BINDING_OES, GL_POINT_SIZE_ARRAY_POINTER_OES);
        for (GLint u = 0; u < m_units; ++u) {
            XQF_HOST(t, glClientActiveTexture)(GL_TEXTURE0 + GLenum(u));
            Array("texcoord" + std::to_string(u), GL_TEXTURE_COORD_ARRAY, GL_TEXTURE_COORD_ARRAY_SIZE,
                  GL_TEXTURE_COORD_ARRAY_TYPE, GL_TEXTURE_COORD_ARRAY_STRIDE, GL_TEXTURE_COORD_ARRAY_BUFFER_BINDING,
                  GL_TEXTURE_COORD_ARRAY_POINTER);
        }
        XQF_HOST(t, glClientActiveTexture)(GLenum(m_clientActiveTexture));
    }

    void Buffers()
    {
        auto map = Resolved<void* (*)(GLenum, GLintptr, GLsizeiptr, GLbitfield)>("glMapBufferRangeEXT");
        auto unmap = Resolved<GLboolean (*)(GLenum)>("glUnmapBufferOES");
        for (GLuint name = 1; name <= kMaxName; ++name) {
            if (!XQF_HOST(t, glIsBuffer)(name))
                continue;
            XQF_HOST(t, glBindBuffer)(GL_ARRAY_BUFFER, name);
            GLint size = 0, usage = 0;
            XQF_HOST(t, glGetBufferParameteriv)(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &size);
            XQF_HOST(t, glGetBufferParameteriv)(GL_ARRAY_BUFFER, GL_BUFFER_USAGE, &usage);
            std::string data = "none";
            if (size > 0 && map && unmap) {
                if (const void* bytes = map(GL_ARRAY_BUFFER, 0, size, GL_MAP_READ_BIT_EXT)) {
                    data = Digest(bytes, size_t(size));
                    unmap(GL_ARRAY_BUFFER);
                } else {
                    data = "unreadable";
                }
            }
            m_buffers[name] = Object("buffer", "size=" + std::to_string(size) + " usage=" + Hex(GLuint(usage)) +
                                                   " data=" + data);
        }
        XQF_HOST(t, glBindBuffer)(GL_ARRAY_BUFFER, GLuint(m_arrayBuffer));
    }

    // Whether pixel (x, y) of the read framebuffer exists: a read outside it writes nothing, so two
    // different fillers both left in place mean no pixel.
    bool PixelExists(GLint x, GLint y)
    {
        for (uint8_t filler : {0x5Au, 0xA5u}) {
            uint8_t p[4] = {filler, filler, filler, filler};
            XQF_HOST(t, glReadPixels)(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
            if (p[0] != filler || p[1] != filler || p[2] != filler || p[3] != filler)
                return true;
        }
        return false;
    }
    // The count of pixels along one axis: the first position without a pixel.
    GLint Extent(bool vertical, GLint max)
    {
        GLint lo = 0, hi = max;  // pixel lo - 1 exists (or lo is 0), pixel hi does not
        if (!PixelExists(0, 0))
            return 0;
        lo = 1;
        while (lo < hi) {
            const GLint mid = lo + (hi - lo) / 2;
            if (PixelExists(vertical ? 0 : mid, vertical ? mid : 0))
                lo = mid + 1;
            else
                hi = mid;
        }
        return lo;
    }

    std::string Level0(GLuint name)
    {
        auto gen = Resolved<void (*)(GLsizei, GLuint*)>("glGenFramebuffersOES");
        auto bind = Resolved<void (*)(GLenum, GLuint)>("glBindFramebufferOES");
        auto attach = Resolved<void (*)(GLenum, GLenum, GLenum, GLuint, GLint)>("glFramebufferTexture2DOES");
        auto status = Resolved<GLenum (*)(GLenum)>("glCheckFramebufferStatusOES");
        auto remove = Resolved<void (*)(GLsizei, const GLuint*)>("glDeleteFramebuffersOES");
        if (!gen || !bind || !attach || !status || !remove)
            return "unreadable";
        const GLint previous = Int(GL_FRAMEBUFFER_BINDING_OES);
        GLuint fbo = 0;
        gen(1, &fbo);
        bind(GL_FRAMEBUFFER_OES, fbo);
        attach(GL_FRAMEBUFFER_OES, GL_COLOR_ATTACHMENT0_OES, GL_TEXTURE_2D, name, 0);
        std::string d = "unreadable";
        if (status(GL_FRAMEBUFFER_OES) == GL_FRAMEBUFFER_COMPLETE_OES) {
            const GLint max = std::max(Int(GL_MAX_TEXTURE_SIZE), 1);
            const GLint w = Extent(false, max), h = Extent(true, max);
            std::vector<uint8_t> pixels(size_t(w) * size_t(h) * 4);
            if (!pixels.empty())
                XQF_HOST(t, glReadPixels)(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
            d = std::to_string(w) + "x" + std::to_string(h) + " data=" + Digest(pixels.data(), pixels.size());
        }
        bind(GL_FRAMEBUFFER_OES, GLuint(previous));
        remove(1, &fbo);
        return d;
    }

    void Textures()
    {
        const GLint previous = Int(GL_TEXTURE_BINDING_2D);
        for (GLuint name = 1; name <= kMaxName; ++name) {
            if (!XQF_HOST(t, glIsTexture)(name))
                continue;
            XQF_HOST(t, glBindTexture)(GL_TEXTURE_2D, name);
            GLint p[5] = {};
            const GLenum pnames[5] = {GL_TEXTURE_MIN_FILTER, GL_TEXTURE_MAG_FILTER, GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T,
                                      GL_GENERATE_MIPMAP};
            for (int i = 0; i < 5; ++i)
                XQF_HOST(t, glGetTexParameteriv)(GL_TEXTURE_2D, pnames[i], &p[i]);
            m_textures[name] = Object("texture", "min=" + Hex(GLuint(p[0])) + " mag=" + Hex(GLuint(p[1])) + " wrap=" +
                                                     Hex(GLuint(p[2])) + "," + Hex(GLuint(p[3])) +
                                                     " generate_mipmap=" + std::to_string(p[4]) + " level0=" + Level0(name));
        }
        XQF_HOST(t, glBindTexture)(GL_TEXTURE_2D, GLuint(previous));
    }

    std::map<GLuint, std::string> m_buffers, m_textures;
    GLint m_activeTexture = GL_TEXTURE0, m_clientActiveTexture = GL_TEXTURE0, m_arrayBuffer = 0, m_units = 1;
};

} // namespace

std::string ProbeEs1State(void* const* es1, void* (*resolve)(const char* name)) { return CProbe1(es1, resolve).Run(); }

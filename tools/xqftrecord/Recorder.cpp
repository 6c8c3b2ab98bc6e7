#include "Recorder.h"

#include "CallQueries.h"
#include "analysis/ComplexityRamp.h"
#include "analysis/FixedAnalysisDraw.h"
#include "analysis/WireframeLines.h"
#include "probe/StateProbe.h"
#include "state/PixelSize.h"

#include <GLES3/gl3.h>

#include <algorithm>
#include <cstring>
#include <tuple>

// The entry point fn of the scene's API (ES 1.1 and ES 2.0 share the prototypes of the functions
// both have).
#define HOST_GL(fn) (m_api == kEsVersion1 ? XQF_HOST(m_mesa.gl1, fn) : XQF_HOST(m_mesa.gl, fn))
// The call id of function fn of the scene's API.
#define API_ID(fn) (m_api == kEsVersion1 ? CallIdOf(ECallFamily::Es1, #fn) : CallIdOf(ECallFamily::Es2, #fn))
#define EGL_ID(fn) CallIdOf(ECallFamily::Egl, #fn)

namespace {


std::string Escaped(const char* s, size_t n)
{
    std::string out;
    for (size_t i = 0; i < n; ++i) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20) {
            char u[8];
            std::snprintf(u, sizeof u, "\\u%04x", c);
            out += u;
        } else {
            out += char(c);
        }
    }
    return out;
}

std::string Hex(const void* p, size_t n)
{
    static const char digits[] = "0123456789abcdef";
    std::string out(2 * n, '0');
    const auto* b = static_cast<const uint8_t*>(p);
    for (size_t i = 0; i < n; ++i) {
        out[2 * i] = digits[b[i] >> 4];
        out[2 * i + 1] = digits[b[i] & 15];
    }
    return out;
}

size_t TypeSize(GLenum type)
{
    switch (type) {
    case GL_BYTE: case GL_UNSIGNED_BYTE: return 1;
    case GL_SHORT: case GL_UNSIGNED_SHORT: case GL_HALF_FLOAT: return 2;
    default: return 4;
    }
}

std::string List(const std::vector<EGLint>& values)
{
    std::string out = "[";
    for (size_t i = 0; i < values.size(); ++i) {
        if (i)
            out += ',';
        out += std::to_string(values[i]);
    }
    return out + "]";
}

} // namespace

CRecorder::CRecorder(CDirectMesa& mesa, std::string dir, std::string scene, SVariants variants, int api)
    : m_mesa(mesa), m_dir(std::move(dir)), m_scene(std::move(scene)), m_variants(std::move(variants)), m_api(api)
{
    // The normal and point-size arrays have fixed sizes.
    m_es1Arrays[1].size = 3;
    m_es1Arrays[3].size = 1;
    if (!m_variants.Any()) {
        m_log = std::fopen((m_dir + "/" + m_scene + ".log").c_str(), "w");
        m_ok = m_log != nullptr;
    }
}

CRecorder::~CRecorder()
{
    if (m_log)
        std::fclose(m_log);
}

std::string CRecorder::Pointer(const void* p)
{
    if (!p)
        return "0";
    for (const auto& [host, device] : m_pointers)
        if (host == p)
            return std::to_string(device);
    const uint32_t device = 0x10000000u + 0x10000u * uint32_t(m_pointers.size());
    m_pointers.emplace_back(p, device);
    return std::to_string(device);
}

std::string CRecorder::Json(const Name& a) const
{
    return std::string("{\"o\":\"") + a.kind + "\",\"v\":" + std::to_string(a.v) + "}";
}

std::string CRecorder::Json(const Loc& a) const { return "{\"o\":\"location\",\"v\":" + std::to_string(a.v) + "}"; }

std::string CRecorder::Json(const Bytes& a)
{
    return "{\"p\":" + Pointer(a.p) + ",\"hex\":\"" + (a.p ? Hex(a.p, a.n) : "") + "\"}";
}

std::string CRecorder::Json(const Text& a)
{
    return "{\"p\":" + Pointer(a.s) + ",\"s\":\"" + (a.s ? Escaped(a.s, std::strlen(a.s)) : "") + "\"}";
}

std::string CRecorder::Handle(const char* kind, const void* handle) const
{
    return std::string("{\"o\":\"") + kind + "\",\"v\":" + std::to_string(reinterpret_cast<uintptr_t>(handle)) + "}";
}

void CRecorder::Log(const std::string& line)
{
    if (m_log) {
        std::fputs(line.c_str(), m_log);
        std::fputc('\n', m_log);
    }
}

bool CRecorder::Begin(const char* name, bool isDraw)
{
    if (m_probeDue) {
        m_probeDue = false;
        WriteProbe();
    }
    ++m_callNumber;
    if (m_variants.skipCalls.count(m_callNumber))
        return false;
    if (Counting() && std::strcmp(name, "glClear") == 0) {
        HOST_GL(glGetFloatv)(GL_COLOR_CLEAR_VALUE, m_savedClearColor);
        HOST_GL(glClearColor)(0, 0, 0, 0);
        m_clearColorSaved = true;
    }
    return !(VariantFrame() && m_variants.skipFunctions.count(name));
}

GLenum CRecorder::GlError() { return HOST_GL(glGetError)(); }

void CRecorder::End(uint16_t id, const char* name, const std::string& values)
{
    if (m_clearColorSaved) {
        const float* c = m_savedClearColor;
        HOST_GL(glClearColor)(c[0], c[1], c[2], c[3]);
        m_clearColorSaved = false;
    }
    if (Quiet())
        return;
    const GLenum error = GlError();
    const std::string selector =
        CallFamilyOfId(id) == ECallFamily::Ext ? ",\"sel\":" + std::to_string(m_api) : std::string();
    Log("{\"id\":" + std::to_string(id) + ",\"f\":\"" + name + "\",\"err\":" + std::to_string(error) + selector +
        ",\"v\":[" + values + "]}");
}

void CRecorder::UnmapBuffer(GLenum target, const std::vector<uint8_t>& written)
{
    using Unmap = GLboolean (*)(GLenum);
    static const Unmap unmap = reinterpret_cast<Unmap>(CDirectMesa::Resolve("glUnmapBufferOES"));
    const bool play = Begin("glUnmapBufferOES");
    // The bytes are logged before the mapping goes; the result is not recorded.
    const std::string values = Json(target) + "," + Json(Bytes{written.data(), written.size()});
    if (play)
        unmap(target);
    End(CallIdOf(ECallFamily::Ext, "glUnmapBufferOES"), "glUnmapBufferOES", values);
}

void CRecorder::LogEgl(uint16_t id, const char* name, const std::string& values, const std::string& extra)
{
    const EGLint error = XQF_HOST(m_mesa.egl, eglGetError)();
    Log("{\"id\":" + std::to_string(id) + ",\"f\":\"" + name + "\",\"err\":" + std::to_string(error) + ",\"v\":{" +
        values + "}" + extra + "}");
}

// The chosen config's attributes as a device's capture records them: its surfaces are windows, and
// its config id is the device's, not the host's.
std::string CRecorder::ConfigList()
{
    static const EGLint attributes[] = {
        EGL_BUFFER_SIZE, EGL_RED_SIZE, EGL_GREEN_SIZE, EGL_BLUE_SIZE, EGL_ALPHA_SIZE, EGL_DEPTH_SIZE,
        EGL_STENCIL_SIZE, EGL_CONFIG_CAVEAT, EGL_CONFIG_ID, EGL_LEVEL, EGL_SAMPLES, EGL_SAMPLE_BUFFERS,
        EGL_SURFACE_TYPE, EGL_TRANSPARENT_TYPE, EGL_LUMINANCE_SIZE, EGL_ALPHA_MASK_SIZE, EGL_COLOR_BUFFER_TYPE,
        EGL_RENDERABLE_TYPE, EGL_CONFORMANT};
    std::vector<EGLint> list;
    for (EGLint a : attributes) {
        EGLint v = 0;
        XQF_HOST(m_mesa.egl, eglGetConfigAttrib)(m_mesa.display, m_mesa.config, a, &v);
        if (a == EGL_CONFIG_ID)
            v += 1000;
        if (a == EGL_SURFACE_TYPE)
            v |= EGL_WINDOW_BIT;
        list.insert(list.end(), {a, v});
    }
    list.push_back(EGL_NONE);
    return List(list);
}

void CRecorder::Initialize(bool logDisplay)
{
    SDirectEgl& egl = m_mesa.egl;
    if (logDisplay) {
        Begin("eglGetDisplay");
        LogEgl(EGL_ID(eglGetDisplay), "eglGetDisplay", "\"return\":" + Handle("display", m_mesa.display) + ",\"NativeDisplayType\":0");
    }
    Begin("eglInitialize");
    LogEgl(EGL_ID(eglInitialize), "eglInitialize", "\"return\":1,\"dpy\":" + Handle("display", m_mesa.display) +
                                      ",\"major_v\":[1],\"minor_v\":[5]");
    Begin("eglBindAPI");
    XQF_HOST(egl, eglBindAPI)(EGL_OPENGL_ES_API);
    LogEgl(EGL_ID(eglBindAPI), "eglBindAPI", "\"return\":1,\"api\":" + std::to_string(EGL_OPENGL_ES_API));
    Begin("eglChooseConfig");
    const std::vector<EGLint> asked = {EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8, EGL_ALPHA_SIZE, 8,
                                       EGL_DEPTH_SIZE, 24, EGL_STENCIL_SIZE, 8, EGL_SURFACE_TYPE, EGL_WINDOW_BIT,
                                       EGL_RENDERABLE_TYPE, m_api == kEsVersion1 ? EGL_OPENGL_ES_BIT : EGL_OPENGL_ES2_BIT,
                                       EGL_NONE};
    LogEgl(EGL_ID(eglChooseConfig), "eglChooseConfig", "\"return\":1,\"dpy\":" + Handle("display", m_mesa.display) +
                                        ",\"attrib_list\":" + List(asked) + ",\"configs\":[" +
                                        Handle("config", m_mesa.config) + "],\"config_size\":1,\"num_config\":[1]");
    // What the direct run chose, for the replay's config match to be checked against.
    if (FILE* f = m_log ? std::fopen((m_dir + "/" + m_scene + ".egl").c_str(), "w") : nullptr) {
        std::fprintf(f, "config");
        for (auto [name, a] : {std::pair{"red", EGL_RED_SIZE}, std::pair{"green", EGL_GREEN_SIZE},
                               std::pair{"blue", EGL_BLUE_SIZE}, std::pair{"alpha", EGL_ALPHA_SIZE},
                               std::pair{"depth", EGL_DEPTH_SIZE}, std::pair{"stencil", EGL_STENCIL_SIZE},
                               std::pair{"samples", EGL_SAMPLES}, std::pair{"id", EGL_CONFIG_ID}}) {
            EGLint v = 0;
            XQF_HOST(egl, eglGetConfigAttrib)(m_mesa.display, m_mesa.config, a, &v);
            std::fprintf(f, " %s=%d", name, v);
        }
        std::fprintf(f, "\n");
        std::fclose(f);
    }
}

EGLContext CRecorder::CreateContext(bool withConfig)
{
    Begin("eglCreateContext");
    const EGLint attribs[] = {EGL_CONTEXT_CLIENT_VERSION, m_api, EGL_NONE};
    const EGLConfig config = withConfig ? m_mesa.config : EGLConfig(nullptr);
    EGLContext context = XQF_HOST(m_mesa.egl, eglCreateContext)(m_mesa.display, config, EGL_NO_CONTEXT, attribs);
    LogEgl(EGL_ID(eglCreateContext), "eglCreateContext", "\"return\":" + Handle("context", context) + ",\"dpy\":" +
                                         Handle("display", m_mesa.display) + ",\"config\":" +
                                         Handle("config", config) + ",\"share_context\":0,\"attrib_list\":" +
                                         List({EGL_CONTEXT_CLIENT_VERSION, m_api, EGL_NONE}) +
                                         ",\"attrib_list_config\":" + (withConfig ? ConfigList() : "null"));
    return context;
}

void CRecorder::DestroyContext(EGLContext context)
{
    Begin("eglDestroyContext");
    const EGLBoolean result = XQF_HOST(m_mesa.egl, eglDestroyContext)(m_mesa.display, context);
    LogEgl(EGL_ID(eglDestroyContext), "eglDestroyContext", "\"return\":" + std::to_string(result) + ",\"dpy\":" +
                                          Handle("display", m_mesa.display) + ",\"ctx\":" + Handle("context", context));
}

EGLSurface CRecorder::CreateWindowSurface(uint32_t handle, uint32_t width, uint32_t height)
{
    Begin("eglCreateWindowSurface");
    const EGLint attribs[] = {EGL_WIDTH, EGLint(width), EGL_HEIGHT, EGLint(height), EGL_NONE};
    EGLSurface surface = XQF_HOST(m_mesa.egl, eglCreatePbufferSurface)(m_mesa.display, m_mesa.config, attribs);
    m_surfaceSizes.push_back({surface, {width, height}});
    LogEgl(EGL_ID(eglCreateWindowSurface), "eglCreateWindowSurface",
           "\"return\":" + Handle("surface", surface) + ",\"dpy\":" + Handle("display", m_mesa.display) +
               ",\"config\":" + Handle("config", m_mesa.config) + ",\"win\":[{\"o\":\"window\",\"v\":" +
               std::to_string(handle) + "}," + std::to_string(width) + "," + std::to_string(height) +
               "],\"attrib_list\":null,\"surface_attribs\":" + ConfigList());
    return surface;
}

EGLSurface CRecorder::CreatePbufferSurface(uint32_t width, uint32_t height)
{
    Begin("eglCreatePbufferSurface");
    const std::vector<EGLint> attribs = {EGL_WIDTH, EGLint(width), EGL_HEIGHT, EGLint(height), EGL_NONE};
    EGLSurface surface = XQF_HOST(m_mesa.egl, eglCreatePbufferSurface)(m_mesa.display, m_mesa.config, attribs.data());
    m_surfaceSizes.push_back({surface, {width, height}});
    LogEgl(EGL_ID(eglCreatePbufferSurface), "eglCreatePbufferSurface",
           "\"return\":" + Handle("surface", surface) + ",\"dpy\":" + Handle("display", m_mesa.display) +
               ",\"config\":" + Handle("config", m_mesa.config) + ",\"attrib_list\":" + List(attribs) +
               ",\"SurfaceDesc\":" + ConfigList());
    return surface;
}

void CRecorder::MakeCurrent(EGLSurface surface, EGLContext context)
{
    Begin("eglMakeCurrent");
    XQF_HOST(m_mesa.egl, eglMakeCurrent)(m_mesa.display, surface, surface, context);
    m_current = surface;
    LogEgl(EGL_ID(eglMakeCurrent), "eglMakeCurrent", "\"return\":1,\"dpy\":" + Handle("display", m_mesa.display) + ",\"draw\":" +
                                       Handle("surface", surface) + ",\"read\":" + Handle("surface", surface) +
                                       ",\"ctx\":" + Handle("context", context) + ",\"config\":" +
                                       Handle("config", m_mesa.config) + ",\"attribs\":" + ConfigList());
}

void CRecorder::SwapBuffers(EGLSurface surface)
{
    Begin("eglSwapBuffers");
    uint32_t width = 0, height = 0;
    for (const auto& [s, size] : m_surfaceSizes)
        if (s == surface)
            std::tie(width, height) = size;
    if (!m_frameRead && !Quiet())
        ReadBack(width, height);
    if (Quiet() && m_variants.quietReadBack) {
        std::vector<uint8_t> rgba(size_t(width) * height * 4);
        HOST_GL(glReadPixels)(0, 0, GLsizei(width), GLsizei(height), GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    }
    XQF_HOST(m_mesa.egl, eglSwapBuffers)(m_mesa.display, surface);
    const std::string image = m_scene + ".f" + std::to_string(m_frame) + ".ppm";
    LogEgl(EGL_ID(eglSwapBuffers), "eglSwapBuffers",
           "\"return\":1,\"dpy\":" + Handle("display", m_mesa.display) + ",\"surface\":" + Handle("surface", surface) +
               ",\"frame\":" + std::to_string(m_frame) + ",\"width\":" + std::to_string(width) +
               ",\"height\":" + std::to_string(height),
           ",\"image\":\"" + image + "\"");
    ++m_frame;
    m_draws = 0;
    m_frameRead = false;
    m_probeDue = !m_variants.Any();
}

void CRecorder::ReadBack(uint32_t width, uint32_t height)
{
    std::vector<uint8_t> rgba(size_t(width) * height * 4);
    HOST_GL(glReadPixels)(0, 0, GLsizei(width), GLsizei(height), GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    GlError();
    if (Counting())
        MapComplexityCounts(rgba.data(), size_t(width) * height, 4, uint8_t(m_variants.complexity));
    const std::string path = m_dir + "/" + m_scene + ".f" + std::to_string(m_frame) + ".ppm";
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        m_ok = false;
        return;
    }
    std::fprintf(f, "P6\n%u %u\n255\n", width, height);
    std::vector<uint8_t> row(size_t(width) * 3);
    for (uint32_t y = height; y-- > 0;) {  // read bottom-up, written top row first
        for (uint32_t x = 0; x < width; ++x)
            std::memcpy(&row[3 * x], &rgba[(size_t(y) * width + x) * 4], 3);
        std::fwrite(row.data(), 1, row.size(), f);
    }
    std::fclose(f);
}

void CRecorder::WriteProbe()
{
    const std::string text = m_api == kEsVersion1 ? ProbeEs1State(m_mesa.gl1.entries, &CDirectMesa::Resolve)
                                        : ProbeEs2State(SProbeGl{m_mesa.gl.entries, &CDirectMesa::Resolve});
    const std::string path = m_dir + "/" + m_scene + ".f" + std::to_string(m_frame) + ".state";
    if (FILE* f = std::fopen(path.c_str(), "w")) {
        std::fputs(text.c_str(), f);
        std::fclose(f);
    } else {
        m_ok = false;
    }
}

void CRecorder::SwapVertexArray(GLuint array)
{
    if (array == m_vertexArray)
        return;
    SVertexArrayState& left = m_vertexArrays[m_vertexArray];
    std::copy(std::begin(m_attributes), std::end(m_attributes), left.attributes);
    left.elementBuffer = m_elementBuffer;
    const SVertexArrayState bound = m_vertexArrays[array];  // a new object holds the defaults
    std::copy(std::begin(bound.attributes), std::end(bound.attributes), m_attributes);
    m_elementBuffer = bound.elementBuffer;
    m_vertexArray = array;
}

// Mesa's ES 1.1 contexts refuse the functions: there nothing is bound or deleted.
void CRecorder::BindVertexArray(GLuint array)
{
    using BindName = void (*)(GLuint);
    REC_EXT(*this, glBindVertexArrayOES, BindName)(Name{"vertexarray", array});
    if (m_api == kEsVersion2)
        SwapVertexArray(array);
}

void CRecorder::DeleteVertexArray(GLuint array)
{
    using ConstNames = void (*)(GLsizei, const GLuint*);
    REC_EXT(*this, glDeleteVertexArraysOES, ConstNames)(1, Array<GLuint>{&array, 1, "vertexarray"});
    if (m_api != kEsVersion2 || array == 0)
        return;
    if (array == m_vertexArray)
        SwapVertexArray(0);        // deleting the bound object binds the default one
    m_vertexArrays.erase(array);  // GL may give the name out again
}

std::string CRecorder::GetString(GLenum name)
{
    const bool play = Begin("glGetString");
    const GLubyte* answer = nullptr;
    if (play)
        answer = m_api == kEsVersion1 ? XQF_HOST(m_mesa.gl1, glGetString)(name) : XQF_HOST(m_mesa.gl, glGetString)(name);
    const char* text = reinterpret_cast<const char*>(answer);
    const uint16_t id = m_api == kEsVersion1 ? uint16_t(kEs1HostFirstId + HostSlot(kEs1HostNames, "glGetString"))
                                             : uint16_t(kEs2HostFirstId + HostSlot(kEs2HostNames, "glGetString"));
    End(id, "glGetString", Json(Text{text}) + "," + Json(name));
    return text ? text : "";
}

void CRecorder::BindBuffer(GLenum target, GLuint buffer)
{
    if (m_api == kEsVersion1)
        REC_GL1(*this, glBindBuffer)(target, Name{"buffer", buffer});
    else
        REC_GL(*this, glBindBuffer)(target, Name{"buffer", buffer});
    if (target == GL_ARRAY_BUFFER)
        m_arrayBuffer = buffer;
    else if (target == GL_ELEMENT_ARRAY_BUFFER)
        m_elementBuffer = buffer;
}

void CRecorder::PixelStorei(GLenum pname, GLint value)
{
    if (m_api == kEsVersion1)
        REC_GL1(*this, glPixelStorei)(pname, value);
    else
        REC_GL(*this, glPixelStorei)(pname, value);
    if (pname == GL_UNPACK_ALIGNMENT)
        m_unpackAlignment = value;
    else if (m_api != kEsVersion1)  // the host's ES 1.1 takes no row length or skips
        StoreUnpackRows(m_unpackRows, pname, value);
}

int64_t CRecorder::CapturedImageSize(GLenum format, GLenum type, GLsizei width, GLsizei height) const
{
    // A capture keeps the bytes from the pointer through the last one the upload reads.
    const SUnpackRows rows{m_unpackAlignment, m_unpackRows.rowLength, m_unpackRows.skipRows, m_unpackRows.skipPixels};
    if (rows.Packed(width))
        return GetImageSize(format, type, width, height, m_unpackAlignment, 0);
    return UnpackReach(format, type, width, height, rows);
}

void CRecorder::VertexAttribPointer(GLuint index, GLint size, GLenum type, GLboolean normalized, GLsizei stride,
                                    const void* pointer)
{
    const bool play = Begin("glVertexAttribPointer");
    if (play)
        XQF_HOST(m_mesa.gl, glVertexAttribPointer)(index, size, type, normalized, stride, pointer);
    if (index < 16)
        m_attributes[index] = {m_attributes[index].enabled, size, type, normalized, stride, pointer, m_arrayBuffer};
    // With a buffer bound the pointer is an offset into it; else the array's device address.
    const std::string ptr = m_arrayBuffer ? std::to_string(reinterpret_cast<uintptr_t>(pointer)) : Pointer(pointer);
    End(CallIdOf(ECallFamily::Es2, "glVertexAttribPointer"), "glVertexAttribPointer",
        Json(index) + "," + Json(size) + "," + Json(type) + "," + Json(normalized) + "," + Json(stride) + "," + ptr);
}

void CRecorder::EnableVertexAttribArray(GLuint index)
{
    REC_GL(*this, glEnableVertexAttribArray)(index);
    if (index < 16)
        m_attributes[index].enabled = true;
}

void CRecorder::DisableVertexAttribArray(GLuint index)
{
    REC_GL(*this, glDisableVertexAttribArray)(index);
    if (index < 16)
        m_attributes[index].enabled = false;
}

void CRecorder::TexImage2D(GLenum target, GLint level, GLenum format, GLsizei width, GLsizei height, GLenum type,
                           const void* pixels)
{
    const bool play = Begin("glTexImage2D");
    if (play)
        HOST_GL(glTexImage2D)(target, level, GLint(format), width, height, 0, format, type, pixels);
    const int64_t size = pixels ? CapturedImageSize(format, type, width, height) : 0;
    End(API_ID(glTexImage2D), "glTexImage2D", Json(target) + "," + Json(level) + "," + Json(format) + "," + Json(width) + "," +
                                  Json(height) + ",0," + Json(format) + "," + Json(type) + "," +
                                  Json(Bytes{pixels, size_t(std::max<int64_t>(size, 0))}) + "," + Json(m_unpackAlignment));
}

void CRecorder::TexSubImage2D(GLenum target, GLint level, GLint x, GLint y, GLsizei width, GLsizei height,
                              GLenum format, GLenum type, const void* pixels)
{
    const bool play = Begin("glTexSubImage2D");
    if (play)
        HOST_GL(glTexSubImage2D)(target, level, x, y, width, height, format, type, pixels);
    const int64_t size = pixels ? CapturedImageSize(format, type, width, height) : 0;
    End(API_ID(glTexSubImage2D), "glTexSubImage2D", Json(target) + "," + Json(level) + "," + Json(x) + "," + Json(y) + "," +
                                     Json(width) + "," + Json(height) + "," + Json(format) + "," + Json(type) + "," +
                                     Json(Bytes{pixels, size_t(std::max<int64_t>(size, 0))}) + "," +
                                     Json(m_unpackAlignment));
}

void CRecorder::ShaderSource(GLuint shader, const std::vector<std::string>& parts, const std::vector<GLint>& given)
{
    const bool play = Begin("glShaderSource");
    std::vector<const char*> strings;
    std::vector<GLint> lengths;
    for (size_t i = 0; i < parts.size(); ++i) {
        strings.push_back(parts[i].c_str());
        lengths.push_back(i < given.size() ? given[i] : GLint(parts[i].size()));
    }
    if (play)
        XQF_HOST(m_mesa.gl, glShaderSource)(shader, GLsizei(parts.size()), strings.data(), lengths.data());
    std::vector<std::string> logged = parts;
    for (std::string& p : logged) {
        const size_t at = p.find("gl_FragColor");
        if (m_variants.rejectedShader && !m_shaderRejected && at != std::string::npos) {
            p = p.substr(0, at) + "gl_FragColour" + p.substr(at + 12);
            m_shaderRejected = true;
        }
    }
    std::vector<GLint> loggedLengths;
    std::string texts = "{\"p\":" + Pointer(strings.data()) + ",\"a\":[";
    for (size_t i = 0; i < logged.size(); ++i) {
        if (i)
            texts += ',';
        texts += "{\"p\":" + Pointer(strings[i]) + ",\"s\":\"" + Escaped(logged[i].data(), logged[i].size()) + "\"}";
        loggedLengths.push_back(i < given.size() ? given[i] : GLint(logged[i].size()));
    }
    texts += "]}";
    End(CallIdOf(ECallFamily::Es2, "glShaderSource"), "glShaderSource",
        Json(Name{"shader", shader}) + "," + Json(GLsizei(parts.size())) + "," + texts + "," +
            Json(Array<GLint>{loggedLengths.data(), loggedLengths.size()}));
}

std::string CRecorder::PackedBlock(const void* pointer, size_t element, GLsizei stride, uint32_t vertices)
{
    const size_t step = stride ? size_t(stride) : element;
    std::vector<uint8_t> packed(element * vertices);
    for (uint32_t v = 0; v < vertices && pointer; ++v)
        std::memcpy(&packed[v * element], static_cast<const uint8_t*>(pointer) + v * step, element);
    return "{\"p\":" + Pointer(pointer) + ",\"hex\":\"" + Hex(packed.data(), packed.size()) + "\"}";
}

// The client-side arrays a draw reads, as a capture keeps them: per enabled array without a buffer,
// in attribute order (ES 1.1: in the order of its arrays), vertices 0 to `vertices` - 1 packed
// without stride.
std::string CRecorder::ClientBlocks(uint32_t vertices)
{
    if (m_api == kEsVersion1)
        return Es1ClientBlocks(vertices);
    std::string out;
    for (const SAttribute& a : m_attributes) {
        if (!a.enabled || a.buffer != 0)
            continue;
        if (!out.empty())
            out += ',';
        out += PackedBlock(a.pointer, size_t(a.size) * TypeSize(a.type), a.stride, vertices);
    }
    return "[" + out + "]";
}

std::string CRecorder::Es1ClientBlocks(uint32_t vertices)
{
    std::string out;
    for (const SClientArray& a : m_es1Arrays) {
        if (!a.enabled || a.buffer != 0 || !a.pointer)
            continue;
        if (!out.empty())
            out += ',';
        out += PackedBlock(a.pointer, size_t(a.size) * TypeSize(a.type), a.stride, vertices);
    }
    return "[" + out + "]";
}

// The array a client state names (GL_TEXTURE_COORD_ARRAY: of the client active unit); null for
// others.
CRecorder::SClientArray* CRecorder::Es1Array(GLenum array)
{
    switch (array) {
    case GL_COLOR_ARRAY: return &m_es1Arrays[0];
    case GL_NORMAL_ARRAY: return &m_es1Arrays[1];
    case GL_VERTEX_ARRAY: return &m_es1Arrays[2];
    case GL_POINT_SIZE_ARRAY_OES: return &m_es1Arrays[3];
    case GL_TEXTURE_COORD_ARRAY: {
        const GLenum unit = m_clientActiveTexture - GL_TEXTURE0;
        return unit < 8 ? &m_es1Arrays[4 + unit] : nullptr;
    }
    default: return nullptr;
    }
}

void CRecorder::ClientActiveTexture(GLenum texture)
{
    REC_GL1(*this, glClientActiveTexture)(texture);
    m_clientActiveTexture = texture;
}

void CRecorder::EnableClientState(GLenum array)
{
    REC_GL1(*this, glEnableClientState)(array);
    if (SClientArray* a = Es1Array(array))
        a->enabled = true;
}

void CRecorder::DisableClientState(GLenum array)
{
    REC_GL1(*this, glDisableClientState)(array);
    if (SClientArray* a = Es1Array(array))
        a->enabled = false;
}

// A pointer call: with a buffer bound the pointer is an offset into it, else the array's device
// address; recorded once, whatever the data flag.
void CRecorder::Es1Pointer(uint16_t id, const char* name, int slot, GLint size, GLenum type, GLsizei stride,
                           const void* pointer, bool sized)
{
    const bool play = Begin(name);
    auto& gl = m_mesa.gl1;
    if (play) {
        switch (slot) {
        case 0: XQF_HOST(gl, glColorPointer)(size, type, stride, pointer); break;
        case 1: XQF_HOST(gl, glNormalPointer)(type, stride, pointer); break;
        case 2: XQF_HOST(gl, glVertexPointer)(size, type, stride, pointer); break;
        case 3: XQF_HOST(gl, glPointSizePointerOES)(type, stride, pointer); break;
        default: XQF_HOST(gl, glTexCoordPointer)(size, type, stride, pointer); break;
        }
    }
    SClientArray& a = m_es1Arrays[slot];
    a.size = sized ? size : a.size;
    a.type = type;
    a.stride = stride;
    a.pointer = pointer;
    a.buffer = m_arrayBuffer;
    if (Quiet())
        return;
    const std::string ptr = m_arrayBuffer ? std::to_string(reinterpret_cast<uintptr_t>(pointer)) : Pointer(pointer);
    End(id, name, (sized ? Json(size) + "," : std::string()) + Json(type) + "," + Json(stride) + "," + ptr);
}

// The pointer call fn of an ES 1.1 client array.
#define ES1_POINTER(fn, ...) Es1Pointer(CallIdOf(ECallFamily::Es1, #fn), #fn, __VA_ARGS__)

void CRecorder::ColorPointer(GLint size, GLenum type, GLsizei stride, const void* pointer)
{
    ES1_POINTER(glColorPointer, 0, size, type, stride, pointer, true);
}

void CRecorder::NormalPointer(GLenum type, GLsizei stride, const void* pointer)
{
    ES1_POINTER(glNormalPointer, 1, 3, type, stride, pointer, false);
}

void CRecorder::VertexPointer(GLint size, GLenum type, GLsizei stride, const void* pointer)
{
    ES1_POINTER(glVertexPointer, 2, size, type, stride, pointer, true);
}

void CRecorder::PointSizePointer(GLenum type, GLsizei stride, const void* pointer)
{
    ES1_POINTER(glPointSizePointerOES, 3, 1, type, stride, pointer, false);
}

void CRecorder::TexCoordPointer(GLint size, GLenum type, GLsizei stride, const void* pointer)
{
    const GLenum unit = m_clientActiveTexture - GL_TEXTURE0;
    const int slot = unit < 8 ? 4 + int(unit) : 4;
    ES1_POINTER(glTexCoordPointer, slot, size, type, stride, pointer, true);
}

// The pixels read are what the capture keeps (the host writes them under the pack alignment).
void CRecorder::ReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type)
{
    const bool play = Begin("glReadPixels");
    GLint alignment = 4;
    HOST_GL(glGetIntegerv)(GL_PACK_ALIGNMENT, &alignment);
    const int64_t size = std::max<int64_t>(GetImageSize(format, type, width, height, alignment, 0), 0);
    std::vector<uint8_t> pixels(static_cast<size_t>(size));
    if (play)
        HOST_GL(glReadPixels)(x, y, width, height, format, type, pixels.data());
    End(API_ID(glReadPixels), "glReadPixels",
        Json(x) + "," + Json(y) + "," + Json(width) + "," + Json(height) + "," + Json(format) + "," + Json(type) +
            "," + Json(Bytes{pixels.data(), pixels.size()}) + "," + Json(alignment));
}

void CRecorder::DrawArrays(GLenum mode, GLint first, GLsizei count) { Draw(mode, count, 0, nullptr, first); }

void CRecorder::DrawElements(GLenum mode, GLsizei count, GLenum type, const void* indices)
{
    Draw(mode, count, type, indices, -1);
}

void CRecorder::Draw(GLenum mode, GLsizei count, GLenum type, const void* indices, GLint first)
{
    const bool elements = first < 0;
    bool play = Begin(elements ? "glDrawElements" : "glDrawArrays", true);
    ++m_draws;
    if (VariantFrame() && m_variants.skipFirst && m_draws >= m_variants.skipFirst && m_draws <= m_variants.skipLast)
        play = false;
    if (Quiet()) {
        if (play && elements)
            HOST_GL(glDrawElements)(mode, count, type, indices);
        else if (play)
            HOST_GL(glDrawArrays)(mode, first, count);
        return;
    }
    // The vertex numbers the draw reads.
    std::vector<uint32_t> vertices;
    std::vector<uint8_t> indexBytes;
    if (elements) {
        const size_t size = TypeSize(type) * size_t(std::max(count, 0));
        if (m_elementBuffer) {
            // An ES 1.1 context reads its buffers through GL_EXT_map_buffer_range and GL_OES_mapbuffer.
            auto map = reinterpret_cast<decltype(&::glMapBufferRange)>(
                CDirectMesa::Resolve(m_api == kEsVersion1 ? "glMapBufferRangeEXT" : "glMapBufferRange"));
            auto unmap = reinterpret_cast<decltype(&::glUnmapBuffer)>(
                CDirectMesa::Resolve(m_api == kEsVersion1 ? "glUnmapBufferOES" : "glUnmapBuffer"));
            if (const void* mapped = map(GL_ELEMENT_ARRAY_BUFFER, reinterpret_cast<GLintptr>(indices), GLsizeiptr(size),
                                         GL_MAP_READ_BIT)) {
                indexBytes.assign(static_cast<const uint8_t*>(mapped), static_cast<const uint8_t*>(mapped) + size);
                unmap(GL_ELEMENT_ARRAY_BUFFER);
            }
        } else if (indices) {
            indexBytes.assign(static_cast<const uint8_t*>(indices), static_cast<const uint8_t*>(indices) + size);
        }
        for (GLsizei i = 0; i < count && size_t(i + 1) * TypeSize(type) <= indexBytes.size(); ++i) {
            uint32_t v = 0;
            std::memcpy(&v, &indexBytes[size_t(i) * TypeSize(type)], TypeSize(type));
            vertices.push_back(v);
        }
    } else {
        for (GLsizei i = 0; i < count; ++i)
            vertices.push_back(uint32_t(first + i));
    }
    uint32_t used = 0;
    for (uint32_t v : vertices)
        used = std::max(used, v + 1);
    const std::string blocks = ClientBlocks(used);
    int analysisMode = 0;
    if (Counting())
        analysisMode = 1;
    else if (m_api == kEsVersion1 && VariantFrame() && m_variants.highlightFirst && m_draws >= m_variants.highlightFirst &&
             m_draws <= m_variants.highlightLast)
        analysisMode = 2;
    SFixedDrawSaved saved;
    if (play && analysisMode)
        SetUpFixedAnalysisDraw(m_mesa.gl1, analysisMode, saved);
    if (play && m_variants.wireframe && VariantFrame() && IsTriangleMode(mode)) {
        std::vector<uint32_t> lines;
        TriangleLines(mode, vertices.data(), vertices.size(), lines);
        GLuint buffer = 0;
        HOST_GL(glGenBuffers)(1, &buffer);
        HOST_GL(glBindBuffer)(GL_ELEMENT_ARRAY_BUFFER, buffer);
        // GL_DYNAMIC_DRAW: an ES 1.1 context refuses GL_STREAM_DRAW and would draw from an empty buffer.
        HOST_GL(glBufferData)(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(lines.size() * 4), lines.data(), GL_DYNAMIC_DRAW);
        HOST_GL(glDrawElements)(GL_LINES, GLsizei(lines.size()), GL_UNSIGNED_INT, nullptr);
        HOST_GL(glBindBuffer)(GL_ELEMENT_ARRAY_BUFFER, m_elementBuffer);
        HOST_GL(glDeleteBuffers)(1, &buffer);
    } else if (play && elements) {
        HOST_GL(glDrawElements)(mode, count, type, indices);
    } else if (play) {
        HOST_GL(glDrawArrays)(mode, first, count);
    }
    if (play && analysisMode)
        RestoreFixedAnalysisDraw(m_mesa.gl1, saved);
    const GLenum error = GlError();
    const uint16_t id = elements ? API_ID(glDrawElements) : API_ID(glDrawArrays);
    std::string line = "{\"id\":" + std::to_string(id) + ",\"f\":\"" +
                       (elements ? "glDrawElements" : "glDrawArrays") + "\",\"err\":" + std::to_string(error) +
                       ",\"mode\":" + std::to_string(mode) + ",\"count\":" + std::to_string(count);
    if (elements) {
        // With an element buffer the pointer is an offset into it, and no index bytes are kept.
        const std::string offset =
            m_elementBuffer ? std::to_string(reinterpret_cast<uintptr_t>(indices)) : Pointer(indices);
        line += ",\"type\":" + std::to_string(type) + ",\"indices\":{\"p\":" + offset + ",\"hex\":\"" +
                (m_elementBuffer ? "" : Hex(indexBytes.data(), indexBytes.size())) + "\"},\"offset\":" + offset;
    } else {
        line += ",\"first\":" + std::to_string(first);
    }
    Log(line + ",\"blocks\":" + blocks + "}");
    if (VariantFrame() && m_variants.stopAfterDraw == m_draws) {
        uint32_t width = 0, height = 0;
        for (const auto& [s, size] : m_surfaceSizes)
            if (s == m_current)
                std::tie(width, height) = size;
        ReadBack(width, height);
        m_frameRead = true;
    }
}

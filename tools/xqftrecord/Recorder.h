#pragma once
// Plays a scene's calls straight on Mesa and logs each as a device's capture layer records it: one
// JSON line per EGL, ES 1.1 and ES 2.0 call with its arguments in the order of its record layout,
// its return value, the error read after it and the bytes a capture keeps (client-array blocks from
// vertex 0, index bytes, texture and buffer data, parameter arrays, matrices, shader sources).
// Object names and EGL handles are tagged with their kind ({"o": kind, "v": value}) so that the
// trace writer can rename them. Before each eglSwapBuffers the frame is read back into NAME.fN.ppm
// (top row first); at the start of each later frame the state probe's text goes to NAME.fN.state.
//
// Reference variants change what is played (never what is logged) and write only the images.
#include "CallQueries.h"
#include "apicall/EsVersion.h"
#include "Direct.h"
#include "state/UnpackRows.h"

#include <GLES/gl.h>
#include <GLES2/gl2.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

struct SVariants
{
    uint32_t frame = 0;          // the frame the variants apply to; 0: every frame
    uint32_t stopAfterDraw = 0;  // the image is read back right after this draw of the frame
    uint32_t skipFirst = 0;      // draws skipFirst..skipLast of the frame are not played
    uint32_t skipLast = 0;
    std::set<uint32_t> skipCalls;          // call numbers (1-based, over the whole log)
    std::set<std::string> skipFunctions;
    bool wireframe = false;      // draws are played as the lines of their triangles
    // ES 1.1 scenes: draws highlightFirst..highlightLast of the frame highlighted, or every draw
    // counted (complexity: the ramp's increment, clears to black), as the analysis draws them on
    // an ES 1.1 context (playback/analysis/FixedAnalysisDraw.h)
    uint32_t highlightFirst = 0;
    uint32_t highlightLast = 0;
    int complexity = -1;
    bool quiet = false;          // nothing is written or read back: the scene is only played (timings)
    bool quietReadBack = false;  // quiet, but each frame is read back into memory before its swap
    // The log's first source writing gl_FragColor misspells it, as from a device whose compiler took
    // a shader the host's refuses: the scene runs as ever, its trace's program fails on the host.
    // Not a reference variant: the log and everything else are written.
    bool rejectedShader = false;
    bool Any() const
    {
        return stopAfterDraw || skipFirst || !skipCalls.empty() || !skipFunctions.empty() || wireframe || quiet ||
               highlightFirst || complexity >= 0;
    }
};

// Arguments of logged calls that are more than a number.
struct Name  // an object name of a kind: texture, buffer, framebuffer, renderbuffer, program, shader
{
    const char* kind;
    GLuint v;
};
struct Loc  // a uniform location
{
    GLint v;
};
struct Bytes  // a data or image block
{
    const void* p;
    size_t n;
};
struct Text  // a string block
{
    const char* s;
};
template <class E>
struct Array  // a counted array; `kind` tags its elements as object names
{
    const E* p;
    size_t n;
    const char* kind = nullptr;
};
template <class E>
struct Fixed  // a fixed number of values (glVertexAttrib*fv)
{
    const E* p;
    size_t n;
};

class CRecorder
{
public:
    // api: kEsVersion1 for an ES 1.1 scene, kEsVersion2 for an ES 2.0 one.
    CRecorder(CDirectMesa& mesa, std::string dir, std::string scene, SVariants variants, int api = kEsVersion2);
    ~CRecorder();
    bool Ok() const { return m_ok; }
    CDirectMesa& Mesa() { return m_mesa; }
    int Api() const { return m_api; }
    // Whether the calls are only played: no log, no images, no errors read.
    bool Quiet() const { return m_variants.quiet; }

    // EGL, as the application on the device makes its calls (pbuffers stand in for windows). With
    // logDisplay false the display is got as through eglGetPlatformDisplayEXT, which a capture does
    // not record: the log starts at eglInitialize.
    void Initialize(bool logDisplay = true);
    // withConfig false: made without a config (EGL_KHR_no_config_context), which the log records as
    // config 0 without the config's attribute list.
    EGLContext CreateContext(bool withConfig = true);
    // Destroys a context; one still current stays current until it is released, as EGL has it.
    void DestroyContext(EGLContext context);
    EGLSurface CreateWindowSurface(uint32_t handle, uint32_t width, uint32_t height);
    EGLSurface CreatePbufferSurface(uint32_t width, uint32_t height);
    // EGL_NO_SURFACE makes the context current without surfaces (EGL_KHR_surfaceless_context).
    void MakeCurrent(EGLSurface surface, EGLContext context);
    void SwapBuffers(EGLSurface surface);

    // An ES 1.1 or ES 2.0 call played and logged; see REC_GL and REC_GL1.
    template <class F>
    struct TCall;
    template <class F>
    TCall<F> Gl(uint16_t id, const char* name, F fn, const char* returnKind = nullptr)
    {
        return {*this, id, name, fn, returnKind};
    }
    // Extension calls are logged the same way, with the scene's API as their selector ("sel"); see
    // REC_EXT. glUnmapBufferOES logs the bytes the scene wrote through the mapping.
    void UnmapBuffer(GLenum target, const std::vector<uint8_t>& written);
    // The vertex-array-object functions whose capture needs more: on ES 2.0 the attribute arrays
    // and the element buffer the draws' blocks are captured from are the bound object's.
    void BindVertexArray(GLuint array);
    void DeleteVertexArray(GLuint array);

    // Calls whose capture needs more than their arguments (of the scene's API).
    void BindBuffer(GLenum target, GLuint buffer);
    void PixelStorei(GLenum pname, GLint value);
    void VertexAttribPointer(GLuint index, GLint size, GLenum type, GLboolean normalized, GLsizei stride,
                             const void* pointer);
    void EnableVertexAttribArray(GLuint index);
    void DisableVertexAttribArray(GLuint index);
    void TexImage2D(GLenum target, GLint level, GLenum format, GLsizei width, GLsizei height, GLenum type,
                    const void* pixels);
    void TexSubImage2D(GLenum target, GLint level, GLint x, GLint y, GLsizei width, GLsizei height, GLenum format,
                       GLenum type, const void* pixels);
    // Each part whole, or as far as its length in `lengths` where one is given (a negative length:
    // to its NUL); the log keeps the parts whole with those lengths, as a capture keeps them.
    void ShaderSource(GLuint shader, const std::vector<std::string>& parts, const std::vector<GLint>& lengths = {});
    // glGetString of the scene's API, its answer logged as the string it returned.
    std::string GetString(GLenum name);
    void DrawArrays(GLenum mode, GLint first, GLsizei count);
    void DrawElements(GLenum mode, GLsizei count, GLenum type, const void* indices);
    // ES 1.1 only: the client arrays, and a read-back whose pixels the capture keeps.
    void ClientActiveTexture(GLenum texture);
    void EnableClientState(GLenum array);
    void DisableClientState(GLenum array);
    void ColorPointer(GLint size, GLenum type, GLsizei stride, const void* pointer);
    void NormalPointer(GLenum type, GLsizei stride, const void* pointer);
    void VertexPointer(GLint size, GLenum type, GLsizei stride, const void* pointer);
    void TexCoordPointer(GLint size, GLenum type, GLsizei stride, const void* pointer);
    void PointSizePointer(GLenum type, GLsizei stride, const void* pointer);
    void ReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type);

    // JSON of one argument (public for TCall).
    std::string Json(const Name& a) const;
    std::string Json(const Loc& a) const;
    std::string Json(const Bytes& a);
    std::string Json(const Text& a);
    template <class E>
    std::string Json(const Array<E>& a);
    template <class E>
    std::string Json(const Fixed<E>& a);
    template <class T>
        requires std::is_arithmetic_v<T>
    std::string Json(T v) const;

    // Starts a call: the frame's probe when due; false when a variant skips it.
    bool Begin(const char* name, bool isDraw = false);
    // Ends a call: reads the GL error, logs {"id", "f", "err", "v": [values]}.
    void End(uint16_t id, const char* name, const std::string& values);
    std::string Pointer(const void* p);  // a device-like 32-bit address for a host pointer

private:
    struct SAttribute
    {
        bool enabled = false;
        GLint size = 4;
        GLenum type = GL_FLOAT;
        GLboolean normalized = 0;
        GLsizei stride = 0;
        const void* pointer = nullptr;
        GLuint buffer = 0;
    };
    // An ES 1.1 client array, in the order the draws' blocks are captured in: colour, normal,
    // vertex, point size, then the texture coordinates of units 0 to 7.
    struct SClientArray
    {
        bool enabled = false;
        GLint size = 4;  // components
        GLenum type = GL_FLOAT;
        GLsizei stride = 0;
        const void* pointer = nullptr;
        GLuint buffer = 0;
    };
    static constexpr int kEs1Arrays = 4 + 8;
    bool VariantFrame() const { return m_variants.frame == 0 || m_variants.frame == m_frame; }
    bool Counting() const { return m_api == kEsVersion1 && m_variants.complexity >= 0 && VariantFrame(); }
    GLenum GlError();
    SClientArray* Es1Array(GLenum array);
    void Es1Pointer(uint16_t id, const char* name, int slot, GLint size, GLenum type, GLsizei stride,
                    const void* pointer, bool sized);
    // A captured client array: vertices 0 to vertices - 1 of `element` bytes each, packed.
    std::string PackedBlock(const void* pointer, size_t element, GLsizei stride, uint32_t vertices);
    std::string Es1ClientBlocks(uint32_t vertices);
    void Log(const std::string& line);
    void LogEgl(uint16_t id, const char* name, const std::string& values, const std::string& extra = "");
    std::string Handle(const char* kind, const void* handle) const;
    std::string ConfigList();
    std::string ClientBlocks(uint32_t vertices);
    void Draw(GLenum mode, GLsizei count, GLenum type, const void* indices, GLint first);
    void ReadBack(uint32_t width, uint32_t height);
    int64_t CapturedImageSize(GLenum format, GLenum type, GLsizei width, GLsizei height) const;
    void WriteProbe();
    // Keeps the attribute arrays and element buffer of the object bound so far, takes those of `array`.
    void SwapVertexArray(GLuint array);

    CDirectMesa& m_mesa;
    std::string m_dir, m_scene;
    SVariants m_variants;
    int m_api = kEsVersion2;
    FILE* m_log = nullptr;
    bool m_ok = true;
    uint32_t m_frame = 1;
    bool m_shaderRejected = false;  // the rejected-shader variant has misspelt its source
    uint32_t m_callNumber = 0;
    uint32_t m_draws = 0;        // draws of the frame so far
    bool m_frameRead = false;    // the frame's image was read back already (stop-after-draw)
    bool m_probeDue = false;
    bool m_clearColorSaved = false;  // a clear clearing to black while counting
    float m_savedClearColor[4] = {};
    GLint m_unpackAlignment = 4;
    SUnpackRows m_unpackRows;  // the row length and skips (its alignment unused)
    GLuint m_arrayBuffer = 0;
    GLuint m_elementBuffer = 0;
    SAttribute m_attributes[16];
    // What the vertex-array objects not bound hold (by name), and the one bound.
    struct SVertexArrayState
    {
        SAttribute attributes[16];
        GLuint elementBuffer = 0;
    };
    std::map<GLuint, SVertexArrayState> m_vertexArrays;
    GLuint m_vertexArray = 0;
    SClientArray m_es1Arrays[kEs1Arrays];
    GLenum m_clientActiveTexture = GL_TEXTURE0;
    std::vector<std::pair<const void*, uint32_t>> m_pointers;
    std::vector<std::pair<EGLSurface, std::pair<uint32_t, uint32_t>>> m_surfaceSizes;
    EGLSurface m_current = EGL_NO_SURFACE;
};

// Plays and logs the ES 2.0 function fn on the recorder `rec`.
#define REC_GL(rec, fn) (rec).Gl(uint16_t(kEs2HostFirstId + HostSlot(kEs2HostNames, #fn)), #fn, XQF_HOST((rec).Mesa().gl, fn))
// Plays and logs the ES 1.1 function fn on the recorder `rec`.
#define REC_GL1(rec, fn) (rec).Gl(uint16_t(kEs1HostFirstId + HostSlot(kEs1HostNames, #fn)), #fn, XQF_HOST((rec).Mesa().gl1, fn))
// Plays and logs the extension function fn (of prototype Proto, fetched through eglGetProcAddress)
// on the recorder `rec`, for the scene's API.
#define REC_EXT(rec, fn, Proto)                                                                           \
    (rec).Gl(CallIdOf(ECallFamily::Ext, #fn), #fn, [] {                                                   \
        static const Proto entry = reinterpret_cast<Proto>(CDirectMesa::Resolve(#fn));                    \
        return entry;                                                                                     \
    }())
// The same for a function whose result is an object name of a kind ("shader", "program") or a
// uniform location ("location").
#define REC_GL_NAMED(rec, fn, kind)                                                                       \
    (rec).Gl(uint16_t(kEs2HostFirstId + HostSlot(kEs2HostNames, #fn)), #fn, XQF_HOST((rec).Mesa().gl, fn), kind)

template <class T>
    requires std::is_arithmetic_v<T>
std::string CRecorder::Json(T v) const
{
    char text[32];
    if constexpr (std::is_floating_point_v<T>)
        std::snprintf(text, sizeof text, "%.9g", double(v));
    else if constexpr (std::is_signed_v<T>)
        std::snprintf(text, sizeof text, "%lld", static_cast<long long>(v));
    else
        std::snprintf(text, sizeof text, "%llu", static_cast<unsigned long long>(v));
    return text;
}

template <class E>
std::string CRecorder::Json(const Array<E>& a)
{
    std::string out = "{\"p\":" + Pointer(a.p);
    if (a.kind)
        out += std::string(",\"o\":\"") + a.kind + "\"";
    out += ",\"a\":[";
    for (size_t i = 0; a.p && i < a.n; ++i) {
        if (i)
            out += ',';
        out += Json(a.p[i]);
    }
    return out + "]}";
}

template <class E>
std::string CRecorder::Json(const Fixed<E>& a)
{
    std::string out = "{\"p\":" + Pointer(a.p) + ",\"a\":[";
    for (size_t i = 0; a.p && i < a.n; ++i) {
        if (i)
            out += ',';
        out += Json(a.p[i]);
    }
    return out + "]}";
}

template <class F>
struct CRecorder::TCall
{
    CRecorder& r;
    uint16_t id;
    const char* name;
    F fn;
    const char* returnKind;

    template <class T>
    static auto Host(const T& a)
    {
        if constexpr (std::is_same_v<T, Name>)
            return a.v;
        else if constexpr (std::is_same_v<T, Loc>)
            return a.v;
        else if constexpr (std::is_same_v<T, Bytes>)
            return a.p;
        else if constexpr (std::is_same_v<T, Text>)
            return a.s;
        else if constexpr (requires { a.p; })
            return const_cast<std::remove_const_t<std::remove_pointer_t<decltype(a.p)>>*>(a.p);  // glGen* fill it
        else
            return a;
    }

    template <class... A>
    auto operator()(A... a)
    {
        if (r.Quiet()) {
            using R = decltype(fn(Host(a)...));
            if (!r.Begin(name))
                return R();
            return fn(Host(a)...);
        }
        const bool play = r.Begin(name);
        using R = decltype(fn(Host(a)...));
        std::string values;
        auto append = [&](const std::string& v) {
            if (!values.empty())
                values += ',';
            values += v;
        };
        if constexpr (std::is_void_v<R>) {
            if (play)
                fn(Host(a)...);
            (append(r.Json(a)), ...);
            r.End(id, name, values);
        } else {
            R result{};
            if (play)
                result = fn(Host(a)...);
            if (returnKind && std::string(returnKind) == "location")
                append(r.Json(Loc{GLint(result)}));
            else if (returnKind)
                append(r.Json(Name{returnKind, GLuint(result)}));
            else
                append(r.Json(result));
            (append(r.Json(a)), ...);
            r.End(id, name, values);
            return result;
        }
    }
};

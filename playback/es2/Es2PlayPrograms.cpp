// The ES 2.0 shader and program calls played by hand: host objects paired with the recorded names
// (a shader deleted while attached lives on until detached), sources joined into one string, and the
// host's compile and link failures said where they happen.
#include "Es2Play.h"
#include "host/ShaderSourceCheck.h"
#include "values/DataHolders.h"

#include <string>

namespace es2play {

namespace {

// The host's log of a shader or program, on one line and bounded (a log may run to pages).
template <class InfoLog>
std::string HostLog(InfoLog infoLog, GLuint object)
{
    char text[512] = {};
    GLsizei length = 0;
    infoLog(object, GLsizei(sizeof text), &length, text);
    std::string log(text, size_t(std::clamp<GLsizei>(length, 0, GLsizei(sizeof text) - 1)));
    std::string line;
    for (char c : log)
        if (c == '\n' || c == '\r')
            line += "; ";
        else
            line += c;
    while (!line.empty() && (line.back() == ' ' || line.back() == ';'))
        line.pop_back();
    return line.empty() ? "no log" : line;
}

// A compile or link the host refused is said where it happens, with the host's log: the calls that
// use the shader or program later fail for this reason (the device took them: the trace records no
// error). A link failure is an ERROR, as in the restore; a compile failure a warning, since the
// shader may never be linked. Nothing is asked about a name the host does not know.
template <class Call>
void ReportCompile(Call& p, GLuint shader)
{
    if (!XQF_HOST(p.gl, glIsShader)(shader))
        return;
    GLint compiled = 1;
    XQF_HOST(p.gl, glGetShaderiv)(shader, GL_COMPILE_STATUS, &compiled);
    if (!compiled)
        PlaybackWarning("%s: shader %u did not compile on the host: %s\n", p.call.GetName(),
                        p.template Item<"shader">(), HostLog(XQF_HOST(p.gl, glGetShaderInfoLog), shader).c_str());
}

template <class Call>
void ReportLink(Call& p, GLuint program)
{
    if (!XQF_HOST(p.gl, glIsProgram)(program))
        return;
    GLint linked = 1;
    XQF_HOST(p.gl, glGetProgramiv)(program, GL_LINK_STATUS, &linked);
    if (!linked)
        PlaybackError("%s: program %u did not link on the host: %s\n", p.call.GetName(), p.template Item<"program">(),
                      HostLog(XQF_HOST(p.gl, glGetProgramInfoLog), program).c_str());
}

} // namespace

XQF_CASE(glCreateShader)
{
    const uint32_t recorded = p.a.ReturnU32();
    if (!ShaderCreated(recorded)) {
        PlaybackWarning("%s: it returned 0 (the create failed on the device); the call is not played\n",
                        p.call.GetName());
        return EEnd::Done;
    }
    if (ShaderNameMap::Get(recorded).host != 0)
        return LiveName(p, nullptr, recorded);
    ShaderNameMap::Set(recorded, XQF_HOST(p.gl, glCreateShader)(p.Item<"type">()), 0, 0);
    return EEnd::Common;
}

XQF_CASE(glShaderSource)
{
    const GLsizei count = p.Item<"count">();
    auto* strings = p.Item<"string">().data;
    const size_t held = strings ? strings->ElementCount() : 0;
    if (count < 0 || size_t(count) > held)
        return RefuseShort(p, "string", held, uint64_t(std::max(count, 0)), "strings");
    // The text the tracked state keeps for the shader, which a restore compiles: each string cut to
    // its length, handed over as the restore hands it.
    auto* call = dynamic_cast<xqft::es2::CEs2_glShaderSource_v1*>(&p.call);
    const char* source = call ? call->Source().CStr() : nullptr;
    if (!source)
        source = "";
    if (!ShaderSourceAllowed(p.call.GetName(), p.Item<"shader">(), source))
        return EEnd::Fail;
    XQF_HOST(p.gl, glShaderSource)(ShaderNameMap::Get(p.Item<"shader">()).host, 1, &source, nullptr);
    return EEnd::Common;
}

XQF_CASE(glShaderBinary)
{
    const GLsizei count = p.Item<"count">();
    auto* names = p.Item<"shaders">().data;
    const size_t held = names ? names->ElementCount() : 0;
    if (count < 0 || size_t(count) > held)
        return RefuseShort(p, "shaders", held, uint64_t(std::max(count, 0)), "names");
    const auto* binary = p.Item<"binary">().data;
    const GLsizei length = p.Item<"length">();
    const uint8_t* bytes = binary ? binary->GetData() : nullptr;
    if (length > 0 && (bytes ? binary->size : 0) < uint64_t(length))
        return RefuseShort(p, "binary", bytes ? binary->size : 0, uint64_t(length));
    std::vector<GLuint> hosts(static_cast<size_t>(count));
    for (GLsizei i = 0; i < count; ++i)
        hosts[size_t(i)] = ShaderNameMap::Get((*names)[size_t(i)].value).host;
    XQF_HOST(p.gl, glShaderBinary)(count, hosts.data(), p.Item<"binaryformat">(), bytes, length);
    return EEnd::Common;
}

XQF_CASE(glCompileShader)
{
    const GLuint host = ShaderNameMap::Get(p.Item<"shader">()).host;
    XQF_HOST(p.gl, glCompileShader)(host);
    ReportCompile(p, host);
    return EEnd::Common;
}

XQF_CASE(glDeleteShader)
{
    SHostShader e = ShaderNameMap::Get(p.Item<"shader">());
    if (e.attached == 0) {
        ShaderNameMap::Erase(p.Item<"shader">());
    } else {
        e.deletePending = 1;
        ShaderNameMap::SetEntry(p.Item<"shader">(), e);
    }
    XQF_HOST(p.gl, glDeleteShader)(e.host);
    return EEnd::Common;
}

XQF_CASE(glCreateProgram)
{
    const uint32_t recorded = p.a.ReturnU32();
    if (ProgramNameMap::Get(recorded) != 0)
        return LiveName(p, nullptr, recorded);
    ProgramNameMap::Set(recorded, XQF_HOST(p.gl, glCreateProgram)());
    return EEnd::Common;
}

XQF_CASE(glAttachShader)
{
    SHostShader e = ShaderNameMap::Get(p.Item<"shader">());
    e.attached = 1;
    ShaderNameMap::SetEntry(p.Item<"shader">(), e);
    XQF_HOST(p.gl, glAttachShader)(ProgramNameMap::Get(p.Item<"program">()), e.host);
    return EEnd::Common;
}

XQF_CASE(glDetachShader)
{
    const SHostShader e = ShaderNameMap::Get(p.Item<"shader">());
    XQF_HOST(p.gl, glDetachShader)(ProgramNameMap::Get(p.Item<"program">()), e.host);
    if (e.deletePending == 1)
        ShaderNameMap::Erase(p.Item<"shader">());
    return EEnd::Common;
}

XQF_CASE(glBindAttribLocation)
{
    const auto* name = p.Item<"name">().data;
    if (!name || !name->Text())
        return Refuse(p, "name", "was recorded without its text");
    XQF_HOST(p.gl, glBindAttribLocation)(ProgramNameMap::Get(p.Item<"program">()), p.Item<"index">(), name->Text());
    return EEnd::Common;
}

XQF_CASE(glLinkProgram)
{
    const GLuint host = ProgramNameMap::Get(p.Item<"program">());
    XQF_HOST(p.gl, glLinkProgram)(host);
    ReportLink(p, host);
    return EEnd::Common;
}

XQF_CASE(glUseProgram)
{
    const GLuint host = ProgramNameMap::Get(p.Item<"program">());
    XQF_HOST(p.gl, glUseProgram)(host);
    UniformLocationMap::SetCurrentProgram(host);
    return EEnd::Common;
}

XQF_CASE(glDeleteProgram)
{
    XQF_HOST(p.gl, glDeleteProgram)(ProgramNameMap::Get(p.Item<"program">()));
    ProgramNameMap::Erase(p.Item<"program">());
    return EEnd::Common;
}

XQF_CASE(glGetProgramiv)
{
    GLint ignored = 0;
    XQF_HOST(p.gl, glGetProgramiv)(ProgramNameMap::Get(p.Item<"program">()), p.Item<"pname">(), &ignored);
    return EEnd::Common;
}

XQF_CASE(glGetUniformLocation)
{
    const GLuint program = ProgramNameMap::Get(p.Item<"program">());
    const auto* name = p.Item<"name">().data;
    if (!name || !name->Text())
        return Refuse(p, "name", "was recorded without its text");
    // A program the host could not link has no uniforms, and some host libraries fault on the
    // lookup; the lookup would find nothing, so the pass goes on without it.
    GLint linked = 1;
    if (XQF_HOST(p.gl, glIsProgram)(program))
        XQF_HOST(p.gl, glGetProgramiv)(program, GL_LINK_STATUS, &linked);
    if (!linked) {
        PlaybackWarning("%s: program %u did not link on the host; the call is not played\n", p.call.GetName(),
                        p.Item<"program">());
        return EEnd::Done;
    }
    p.playback.CheckEs2Error();
    const GLint location = XQF_HOST(p.gl, glGetUniformLocation)(program, name->Text());
    const GLboolean isProgram = XQF_HOST(p.gl, glIsProgram)(program);
    p.playback.CheckEs2Error();
    if (isProgram == GL_TRUE)
        UniformLocationMap::Set(program, p.a.ReturnU32(), location);
    return EEnd::Common;
}

} // namespace es2play

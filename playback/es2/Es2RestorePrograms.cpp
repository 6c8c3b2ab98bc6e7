// The last two steps of the ES 2.0 restore: shaders paired by their recorded source, programs by
// name and shaders; uniforms and generic attribute values sent again.
#include "Diagnostics.h"
#include "Es2Restore.h"

#include "host/HostTables.h"
#include "host/ShaderSourceCheck.h"
#include "maps/NameMaps.h"

#include <GLES2/gl2.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <vector>

namespace {

// Sets a uniform's recorded values at a host location: vectors of n = 1..4 components (integer or
// float), 2x2, 3x3 and 4x4 matrices. Only whole elements are sent.
void SendUniform(SEs2Host& gl, GLint location, const SEs2Uniform& u)
{
    const uint32_t n = u.components;
    if (n == 0)
        return;
    if (u.kind == 0) {
        const GLsizei count = GLsizei(u.ints.size() / n);
        const GLint* v = u.ints.data();
        if (count == 0)
            return;
        if (count > 1) {
            switch (n) {
            case 1: XQF_HOST(gl, glUniform1iv)(location, count, v); break;
            case 2: XQF_HOST(gl, glUniform2iv)(location, count, v); break;
            case 3: XQF_HOST(gl, glUniform3iv)(location, count, v); break;
            case 4: XQF_HOST(gl, glUniform4iv)(location, count, v); break;
            }
        } else {
            switch (n) {
            case 1: XQF_HOST(gl, glUniform1i)(location, v[0]); break;
            case 2: XQF_HOST(gl, glUniform2i)(location, v[0], v[1]); break;
            case 3: XQF_HOST(gl, glUniform3i)(location, v[0], v[1], v[2]); break;
            case 4: XQF_HOST(gl, glUniform4i)(location, v[0], v[1], v[2], v[3]); break;
            }
        }
        return;
    }
    const GLsizei count = GLsizei(u.floats.size() / n);
    const GLfloat* v = u.floats.data();
    if (count == 0)
        return;
    if (u.kind == 2) {
        switch (n) {
        case 4: XQF_HOST(gl, glUniformMatrix2fv)(location, count, GL_FALSE, v); break;
        case 9: XQF_HOST(gl, glUniformMatrix3fv)(location, count, GL_FALSE, v); break;
        case 16: XQF_HOST(gl, glUniformMatrix4fv)(location, count, GL_FALSE, v); break;
        }
        return;
    }
    if (u.kind != 1)
        return;
    if (count > 1) {
        switch (n) {
        case 1: XQF_HOST(gl, glUniform1fv)(location, count, v); break;
        case 2: XQF_HOST(gl, glUniform2fv)(location, count, v); break;
        case 3: XQF_HOST(gl, glUniform3fv)(location, count, v); break;
        case 4: XQF_HOST(gl, glUniform4fv)(location, count, v); break;
        }
    } else {
        switch (n) {
        case 1: XQF_HOST(gl, glUniform1f)(location, v[0]); break;
        case 2: XQF_HOST(gl, glUniform2f)(location, v[0], v[1]); break;
        case 3: XQF_HOST(gl, glUniform3f)(location, v[0], v[1], v[2]); break;
        case 4: XQF_HOST(gl, glUniform4f)(location, v[0], v[1], v[2], v[3]); break;
        }
    }
}

void GenericValue(SEs2Host& gl, const SEs2Attribute& a)
{
    const std::vector<float>& v = a.values;
    if (a.components < 1 || a.components > 4 || v.size() < a.components)
        return;
    switch (a.components) {
    case 1: XQF_HOST(gl, glVertexAttrib1f)(a.index, v[0]); break;
    case 2: XQF_HOST(gl, glVertexAttrib2f)(a.index, v[0], v[1]); break;
    case 3: XQF_HOST(gl, glVertexAttrib3f)(a.index, v[0], v[1], v[2]); break;
    case 4: XQF_HOST(gl, glVertexAttrib4f)(a.index, v[0], v[1], v[2], v[3]); break;
    }
}

void BindAttributes(SEs2Host& gl, GLuint host, const CObjectTable<SEs2Attribute>* table)
{
    if (!table)
        return;
    for (const auto& entry : *table)
        if (entry.record.boundByName)
            XQF_HOST(gl, glBindAttribLocation)(host, entry.record.index, entry.record.name.CStr());
}

// Whether the host program holds what a link needs: one vertex and one fragment shader, each
// compiled. Else an ERROR line: a program whose shaders no trace could pair is not linked, as some
// host libraries fault on linking it.
bool LinkReady(SEs2Host& gl, GLuint host, uint32_t recorded)
{
    GLuint shaders[8] = {};
    GLsizei count = 0;
    XQF_HOST(gl, glGetAttachedShaders)(host, GLsizei(std::size(shaders)), &count, shaders);
    int vertex = 0, fragment = 0, uncompiled = 0;
    for (GLsizei i = 0; i < std::clamp<GLsizei>(count, 0, GLsizei(std::size(shaders))); ++i) {
        GLint type = 0, compiled = GL_FALSE;
        XQF_HOST(gl, glGetShaderiv)(shaders[i], GL_SHADER_TYPE, &type);
        XQF_HOST(gl, glGetShaderiv)(shaders[i], GL_COMPILE_STATUS, &compiled);
        vertex += type == GL_VERTEX_SHADER;
        fragment += type == GL_FRAGMENT_SHADER;
        uncompiled += compiled != GL_TRUE;
    }
    if (vertex == 1 && fragment == 1 && uncompiled == 0)
        return true;
    PlaybackError("Restore of glLinkProgram: program %u has %d vertex and %d fragment shaders attached, %d of them not "
                  "compiled; a link needs one of each, compiled: it is not linked\n",
                  recorded, vertex, fragment, uncompiled);
    return false;
}

void Compile(SEs2Host& gl, GLuint host, uint32_t recorded, const char* source)
{
    if (!ShaderSourceAllowed("Restore of glShaderSource", recorded, source))
        return;
    XQF_HOST(gl, glShaderSource)(host, 1, &source, nullptr);
    XQF_HOST(gl, glCompileShader)(host);
}

} // namespace

void RestoreEs2Shaders(SEs2State& snapshot, SEs2State& current)
{
    SEs2Host& gl = *SEs2Host::Instance();
    const auto& held = std::as_const(current.shaders);
    std::vector<bool> paired(size_t(held.Count()), false);
    for (const auto& entry : std::as_const(snapshot.shaders)) {
        const SEs2Shader& s = entry.record;
        // The host's shader of the same recorded source; shaders without source pair by name.
        int32_t found = -1;
        for (int32_t i = 0; i < held.Count() && found < 0; ++i) {
            const SEs2Shader& c = held.At(i);
            if (s.source ? c.source == s.source : (c.source == nullptr && held.KeyAt(i) == entry.key))
                found = i;
        }
        if (found >= 0) {
            if (held.KeyAt(found) != entry.key || paired[size_t(found)])
                return;
            paired[size_t(found)] = true;
            const GLuint host = ShaderNameMap::Get(entry.key).host;
            // A shader the last pass deleted is gone from the host once its programs let it go: it is
            // made again below rather than asked about (an error the next call would be charged).
            if (XQF_HOST(gl, glIsShader)(host)) {
                GLint compiled = 0;
                XQF_HOST(gl, glGetShaderiv)(host, GL_COMPILE_STATUS, &compiled);
                if (s.compiled == 1 && compiled == 0 && s.source)
                    Compile(gl, host, entry.key, s.source);
                continue;
            }
            ShaderNameMap::Erase(entry.key);
        }
        // A new shader under a name the host's copy still has: the old one goes first (afterwards it
        // could only be reached through the new entry).
        for (int32_t i = 0; i < held.Count(); ++i)
            if (held.KeyAt(i) == entry.key && !paired[size_t(i)]) {
                paired[size_t(i)] = true;
                XQF_HOST(gl, glDeleteShader)(ShaderNameMap::Get(entry.key).host);
                ShaderNameMap::Erase(entry.key);
            }
        const GLuint host = XQF_HOST(gl, glCreateShader)(s.type);
        ShaderNameMap::Set(entry.key, host, 0, s.deletePending);
        if (s.source)
            Compile(gl, host, entry.key, s.source);
    }
    for (int32_t i = 0; i < held.Count(); ++i)
        if (!paired[size_t(i)]) {
            XQF_HOST(gl, glDeleteShader)(ShaderNameMap::Get(held.KeyAt(i)).host);
            ShaderNameMap::Erase(held.KeyAt(i));
        }
}

namespace {

// The shader has the same recorded source in both states: RestoreEs2Shaders kept its host shader. A
// shader sourced again in between was made anew there, and a program it is attached to on the host
// still holds (and was linked with) the old one.
bool SameSource(const SEs2State& snapshot, const SEs2State& current, uint32_t shader)
{
    if (shader == 0)
        return true;
    const SEs2Shader* now = std::as_const(snapshot.shaders).Get(shader);
    const SEs2Shader* held = std::as_const(current.shaders).Get(shader);
    return now && held ? now->source == held->source : now == held;
}

} // namespace

void RestoreEs2Programs(SEs2State& snapshot, SEs2State& current)
{
    SEs2Host& gl = *SEs2Host::Instance();
    const auto& programs = std::as_const(snapshot.programs);
    const auto& held = std::as_const(current.programs);
    std::vector<bool> kept(size_t(programs.Count()), false), paired(size_t(held.Count()), false);
    auto remove = [&](uint32_t recorded, const char* message) {
        XQF_HOST(gl, glUseProgram)(0);
        const GLuint host = ProgramNameMap::Get(recorded);
        if (host == 0)
            return false;
        if (XQF_HOST(gl, glIsProgram)(host))
            XQF_HOST(gl, glDeleteProgram)(host);
        ProgramNameMap::Erase(recorded);
        PlaybackLine(message, host);
        return true;
    };
    // A record of name 0 stands for "no program" (the tracked state's glUseProgram(0) makes one): it
    // has no host program, and recorded 0 stays mapped to host 0.
    for (int32_t i = 0; i < programs.Count(); ++i) {
        if (programs.KeyAt(i) == 0)
            continue;
        const int32_t c = held.Find(programs.KeyAt(i));
        if (c >= held.Count())
            continue;
        const SEs2Program& p = programs.At(i);
        const SEs2Program& h = held.At(c);
        if (p.vertexShader == h.vertexShader && p.fragmentShader == h.fragmentShader &&
            SameSource(snapshot, current, p.vertexShader) && SameSource(snapshot, current, p.fragmentShader)) {
            if (paired[size_t(c)])
                return;
            paired[size_t(c)] = kept[size_t(i)] = true;
        } else if (!remove(held.KeyAt(c), "Deleting Old Program (shader Dif):%d")) {
            return;
        }
    }
    for (int32_t c = 0; c < held.Count(); ++c)
        if (!paired[size_t(c)] && held.KeyAt(c) != 0 && ProgramNameMap::Get(held.KeyAt(c)) != 0)
            remove(held.KeyAt(c), "Deleting Old Program:%d");

    // The programs the host did not link, each reported once (the program in use is restored twice:
    // as a program of the table and as the one in use).
    std::vector<uint32_t> unlinked;
    auto restore = [&](const SEs2Program& p, uint32_t name, bool inTable, bool wasKept) {
        GLuint host = 0;
        if (inTable && !wasKept) {
            host = XQF_HOST(gl, glCreateProgram)();
            ProgramNameMap::Set(name, host);
            for (uint32_t shader : {p.fragmentShader, p.vertexShader}) {
                if (shader == 0)
                    continue;
                const GLuint s = ShaderNameMap::Get(shader).host;
                if (s == 0)
                    return false;
                XQF_HOST(gl, glAttachShader)(host, s);
            }
        } else {
            host = ProgramNameMap::Get(name);
            if (host == 0)
                return false;
        }
        if (inTable) {
            BindAttributes(gl, host, std::as_const(snapshot.linkedAttributes).Get(name));
            if (!wasKept && p.linked) {
                if (!LinkReady(gl, host, name)) {
                    unlinked.push_back(name);  // reported: no uniforms to send, not to be made current
                    return true;
                }
                XQF_HOST(gl, glLinkProgram)(host);
                XQF_HOST(gl, glGetError)();
            }
        }
        BindAttributes(gl, host, std::as_const(snapshot.boundAttributes).Get(name));
        if (!p.linked)
            return true;
        // A program the host could not link (its shaders not what the trace says: a corrupt trace)
        // has no uniforms to look up, and some host libraries fault on the lookups.
        GLint linked = 0;
        XQF_HOST(gl, glGetProgramiv)(host, GL_LINK_STATUS, &linked);
        if (!linked) {
            if (std::find(unlinked.begin(), unlinked.end(), name) == unlinked.end()) {
                unlinked.push_back(name);
                PlaybackError("Restore of glLinkProgram: program %u did not link on the host; it is not made current, "
                              "and its uniforms and attribute values are not restored\n",
                              name);
            }
            return true;
        }
        XQF_HOST(gl, glUseProgram)(host);
        UniformLocationMap::ResetProgram(host);
        for (const auto& entry : std::as_const(snapshot.uniforms[name])) {
            const SEs2Uniform& u = entry.record;
            UniformLocationMap::SetCurrentProgram(host);
            const GLint location = XQF_HOST(gl, glGetUniformLocation)(host, u.name.CStr());
            if (location == -1)
                continue;
            UniformLocationMap::Set(host, uint32_t(u.location), location);
            XQF_HOST(gl, glUseProgram)(host);
            SendUniform(gl, location, u);
        }
        if (const auto* attributes = std::as_const(snapshot.linkedAttributes).Get(name))
            for (const auto& entry : *attributes)
                GenericValue(gl, entry.record);
        return true;
    };
    for (int32_t i = 0; i < programs.Count(); ++i)
        if (programs.KeyAt(i) != 0 && !restore(programs.At(i), programs.KeyAt(i), true, kept[size_t(i)]))
            return;
    if (!restore(snapshot.currentProgram, snapshot.currentProgram.name, false, true) &&
        snapshot.currentProgram.name != 0)
        return;
    // The frame starts with its own program in use (also none), and uniforms are looked up in it. A
    // program the host did not link cannot be used (the host refuses it with an error the frame's
    // first call would be charged): none is in use.
    const bool usable = std::find(unlinked.begin(), unlinked.end(), snapshot.currentProgram.name) == unlinked.end();
    const GLuint inUse = usable ? ProgramNameMap::Get(snapshot.currentProgram.name) : 0;
    XQF_HOST(gl, glUseProgram)(inUse);
    UniformLocationMap::SetCurrentProgram(inUse);
}

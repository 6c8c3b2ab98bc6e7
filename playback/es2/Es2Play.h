#pragma once
// What the files of the ES 2.0 player share: the call being replayed and its arguments read by name,
// the list of the calls played by hand (each defined in the file of its topic), and the helpers more
// than one topic uses.
#include "Diagnostics.h"
#include "PlayItems.h"
#include "PlayRows.h"
#include "Playback.h"
#include "Refusal.h"
#include "host/HostTables.h"
#include "maps/NameMaps.h"

#include "Es2DrawItems.h"
#include "Es2Records.h"
#include "values/ArrayHolders.h"

#include <GLES2/gl2.h>

#include <algorithm>
#include <cstdint>
#include <vector>

// glDrawElements' indices from format version 7 (playrows::SIndicesListed).
template <>
struct playrows::TListedItem<xqft::es2::SDrawIndicesV7> : playrows::SIndicesListed
{
};
template <bool Second>
struct playrows::TItemRead<xqft::es2::SDrawIndicesV7, Second> : playrows::TIndicesRead<Second>
{
};

namespace es2play {

using SPlay = TPlay<SEs2Host>;

// The record classes of every row.
using SRecords = playrows::TRecordList<playrows::SNoRecord
#define XQF_PLAY_FAMILY xqft::es2
#define XQF_TABLE "Es2Calls.def"
#include "PlayRecords.inc"
                                       >;

// The call of a case's function as its case reads it: p.Item<"name">().
template <uint16_t Slot>
using TCall = playrows::TCallOfFunction<SPlay, uint16_t(kEs2HostFirstId + Slot), SRecords>;

#define XQF_SLOT(fn) HostSlot(kEs2HostNames, #fn)
// A hand-written case: XQF_CASE(glFoo) { ... return EEnd::...; }
#define XQF_CASE(fn) EEnd Play_##fn(TCall<XQF_SLOT(fn)>& p)

// The calls played by hand, by topic; every other row is played as recorded or not replayed
// (Es2Player.cpp checks that each is played one way).
#define XQF_ES2_CASES(X)                                                                                               \
    /* buffers, framebuffers and renderbuffers (Es2PlayBuffers.cpp) */                                                 \
    X(glBindBuffer)                                                                                                    \
    X(glBindFramebuffer)                                                                                               \
    X(glBindRenderbuffer) X(glFramebufferTexture2D) X(glFramebufferRenderbuffer)                                       \
        X(glGenBuffers) X(glGenFramebuffers) X(glGenRenderbuffers) X(glDeleteBuffers)                                  \
        X(glDeleteFramebuffers) X(glDeleteRenderbuffers) X(glBufferData) X(glBufferSubData)                            \
            X(glRenderbufferStorage) /* textures (Es2PlayTextures.cpp) */                                              \
        X(glBindTexture) X(glGenTextures) X(glDeleteTextures) X(glTexImage2D) X(glTexSubImage2D) X(glCopyTexImage2D)   \
            X(glCopyTexSubImage2D) X(glCompressedTexImage2D)                                                           \
                X(glCompressedTexSubImage2D) /* shaders and programs (Es2PlayPrograms.cpp) */                          \
        X(glCreateShader) X(glShaderSource) X(glShaderBinary) X(glCompileShader) X(glDeleteShader) X(glCreateProgram)  \
            X(glAttachShader) X(glDetachShader) X(glBindAttribLocation) X(glLinkProgram) X(glUseProgram)               \
                X(glDeleteProgram) X(glGetProgramiv)                                                                   \
                    X(glGetUniformLocation) /* vertex arrays and draws (Es2PlayDraws.cpp) */                           \
        X(glVertexAttribPointer) X(glDrawArrays) X(glDrawElements) X(glViewport)

#define XQF_DECLARE_CASE(fn) XQF_CASE(fn);
XQF_ES2_CASES(XQF_DECLARE_CASE)
#undef XQF_DECLARE_CASE

// The first integer the host answers for `pname`.
GLint HostInt(SEs2Host& gl, GLenum pname);

// The recorded names of a glGen* or glDelete* (the array of the call's "n" names: "buffers" ...),
// n of them (null when n is 0: a trace without data holds a bare pointer there). False, with the
// call refused, when they are fewer.
template <xqft::FixedString Array, class Call>
bool RecordedNames(Call& p, GLsizei n, const uint32_t*& recorded, EEnd& refused)
{
    auto* names = p.template Item<Array>().data;
    const size_t held = names ? names->ElementCount() : 0;
    if (n < 0 || size_t(n) > held) {
        refused = n < 0 ? Refuse(p, "n", "is %d", n) : RefuseShort(p, Array.c_str(), held, uint64_t(n), "names");
        return false;
    }
    recorded = names ? p.a.Values(*names) : nullptr;
    return true;
}

// A create or gen call whose recorded result is a name already live: no driver hands one out twice,
// so the trace is corrupt, and the host must not see objects paired in ways no trace can make.
// `argument` is the array of names, null for the returned one.
inline EEnd LiveName(SPlay& p, const char* argument, uint32_t name)
{
    return argument ? Refuse(p, argument, "holds name %u, which is live already", name)
                    : Refuse(p, nullptr, "it returned name %u, which is live already", name);
}

// glGen* of buffers, framebuffers, renderbuffers, textures: n host names, paired with the recorded
// ones (the call's array `Array`).
template <class Map, xqft::FixedString Array, class Call, class Gen>
EEnd Generate(Call& p, Gen gen, bool keepMappedTextures = false)
{
    const GLsizei n = p.template Item<"n">();
    const uint32_t* recorded = nullptr;
    if (EEnd refused; !RecordedNames<Array>(p, n, recorded, refused))
        return refused;
    if (keepMappedTextures && n > 0 && Map::Get(recorded[0]) != 0)
        return EEnd::Common; // the first name is known on the host already
    if (!keepMappedTextures)
        for (GLsizei i = 0; i < n; ++i)
            if (Map::Get(recorded[i]) != Map::kAbsent)
                return LiveName(p, Array.c_str(), recorded[i]);
    std::vector<GLuint> host(static_cast<size_t>(n));
    if (n > 0)
        gen(n, host.data());
    for (GLsizei i = 0; i < n; ++i)
        Map::Set(recorded[i], host[size_t(i)]);
    return EEnd::Common;
}

// glDelete* of buffers, framebuffers, renderbuffers, textures: the host names of the recorded ones
// (the map's absent value when unknown), each erased from the map.
template <class Map, xqft::FixedString Array, class Call, class Delete>
EEnd Remove(Call& p, Delete del)
{
    const GLsizei n = p.template Item<"n">();
    const uint32_t* recorded = nullptr;
    if (EEnd refused; !RecordedNames<Array>(p, n, recorded, refused))
        return refused;
    std::vector<GLuint> host(static_cast<size_t>(n));
    for (GLsizei i = 0; i < n; ++i) {
        host[size_t(i)] = Map::Get(recorded[i]);
        Map::Erase(recorded[i]);
    }
    if (n > 0)
        del(n, host.data());
    return EEnd::Common;
}

// The host name of a recorded buffer, framebuffer or renderbuffer, generated when unknown.
template <class Map, class Gen>
GLuint HostObject(uint32_t recorded, Gen gen)
{
    GLuint host = Map::Get(recorded);
    if (host == kNoHostName) {
        gen(1, &host);
        Map::Set(recorded, host);
    }
    return host;
}

} // namespace es2play

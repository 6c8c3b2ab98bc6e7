#pragma once
// Call builders for the state tests: ids and the payloads of the calls those tests use.
#include "CallQueries.h"
#include "Es2Records.h"
#include "Es2TestSupport.h"

#include <algorithm>

namespace es2calls {

using es2test::SCall;
using es2test::SPayload;

// Ids of the calls the state tests use, by name from the table.
inline constexpr uint16_t kActiveTexture = CallIdOf(ECallFamily::Es2, "glActiveTexture");
inline constexpr uint16_t kAttachShader = CallIdOf(ECallFamily::Es2, "glAttachShader");
inline constexpr uint16_t kBindAttribLocation = CallIdOf(ECallFamily::Es2, "glBindAttribLocation");
inline constexpr uint16_t kBindBuffer = CallIdOf(ECallFamily::Es2, "glBindBuffer");
inline constexpr uint16_t kBindFramebuffer = CallIdOf(ECallFamily::Es2, "glBindFramebuffer");
inline constexpr uint16_t kBindRenderbuffer = CallIdOf(ECallFamily::Es2, "glBindRenderbuffer");
inline constexpr uint16_t kBindTexture = CallIdOf(ECallFamily::Es2, "glBindTexture");
inline constexpr uint16_t kBlendEquationSeparate = CallIdOf(ECallFamily::Es2, "glBlendEquationSeparate");
inline constexpr uint16_t kBlendFunc = CallIdOf(ECallFamily::Es2, "glBlendFunc");
inline constexpr uint16_t kBufferData = CallIdOf(ECallFamily::Es2, "glBufferData");
inline constexpr uint16_t kBufferSubData = CallIdOf(ECallFamily::Es2, "glBufferSubData");
inline constexpr uint16_t kClearColor = CallIdOf(ECallFamily::Es2, "glClearColor");
inline constexpr uint16_t kColorMask = CallIdOf(ECallFamily::Es2, "glColorMask");
inline constexpr uint16_t kCompileShader = CallIdOf(ECallFamily::Es2, "glCompileShader");
inline constexpr uint16_t kCompressedTexImage2D = CallIdOf(ECallFamily::Es2, "glCompressedTexImage2D");
inline constexpr uint16_t kCreateShader = CallIdOf(ECallFamily::Es2, "glCreateShader");
inline constexpr uint16_t kDeleteBuffers = CallIdOf(ECallFamily::Es2, "glDeleteBuffers");
inline constexpr uint16_t kDeleteProgram = CallIdOf(ECallFamily::Es2, "glDeleteProgram");
inline constexpr uint16_t kDeleteRenderbuffers = CallIdOf(ECallFamily::Es2, "glDeleteRenderbuffers");
inline constexpr uint16_t kDeleteShader = CallIdOf(ECallFamily::Es2, "glDeleteShader");
inline constexpr uint16_t kDeleteTextures = CallIdOf(ECallFamily::Es2, "glDeleteTextures");
inline constexpr uint16_t kDetachShader = CallIdOf(ECallFamily::Es2, "glDetachShader");
inline constexpr uint16_t kDepthFunc = CallIdOf(ECallFamily::Es2, "glDepthFunc");
inline constexpr uint16_t kDepthMask = CallIdOf(ECallFamily::Es2, "glDepthMask");
inline constexpr uint16_t kDisable = CallIdOf(ECallFamily::Es2, "glDisable");
inline constexpr uint16_t kEnable = CallIdOf(ECallFamily::Es2, "glEnable");
inline constexpr uint16_t kEnableVertexAttribArray = CallIdOf(ECallFamily::Es2, "glEnableVertexAttribArray");
inline constexpr uint16_t kFramebufferRenderbuffer = CallIdOf(ECallFamily::Es2, "glFramebufferRenderbuffer");
inline constexpr uint16_t kFramebufferTexture2D = CallIdOf(ECallFamily::Es2, "glFramebufferTexture2D");
inline constexpr uint16_t kGenFramebuffers = CallIdOf(ECallFamily::Es2, "glGenFramebuffers");
inline constexpr uint16_t kGenRenderbuffers = CallIdOf(ECallFamily::Es2, "glGenRenderbuffers");
inline constexpr uint16_t kGetUniformLocation = CallIdOf(ECallFamily::Es2, "glGetUniformLocation");
inline constexpr uint16_t kHint = CallIdOf(ECallFamily::Es2, "glHint");
inline constexpr uint16_t kLinkProgram = CallIdOf(ECallFamily::Es2, "glLinkProgram");
inline constexpr uint16_t kPixelStorei = CallIdOf(ECallFamily::Es2, "glPixelStorei");
inline constexpr uint16_t kRenderbufferStorage = CallIdOf(ECallFamily::Es2, "glRenderbufferStorage");
inline constexpr uint16_t kScissor = CallIdOf(ECallFamily::Es2, "glScissor");
inline constexpr uint16_t kShaderSource = CallIdOf(ECallFamily::Es2, "glShaderSource");
inline constexpr uint16_t kStencilFunc = CallIdOf(ECallFamily::Es2, "glStencilFunc");
inline constexpr uint16_t kStencilFuncSeparate = CallIdOf(ECallFamily::Es2, "glStencilFuncSeparate");
inline constexpr uint16_t kStencilMask = CallIdOf(ECallFamily::Es2, "glStencilMask");
inline constexpr uint16_t kStencilMaskSeparate = CallIdOf(ECallFamily::Es2, "glStencilMaskSeparate");
inline constexpr uint16_t kStencilOpSeparate = CallIdOf(ECallFamily::Es2, "glStencilOpSeparate");
inline constexpr uint16_t kTexImage2D = CallIdOf(ECallFamily::Es2, "glTexImage2D");
inline constexpr uint16_t kClear = CallIdOf(ECallFamily::Es2, "glClear");
inline constexpr uint16_t kCopyTexImage2D = CallIdOf(ECallFamily::Es2, "glCopyTexImage2D");
inline constexpr uint16_t kCopyTexSubImage2D = CallIdOf(ECallFamily::Es2, "glCopyTexSubImage2D");
inline constexpr uint16_t kGenerateMipmap = CallIdOf(ECallFamily::Es2, "glGenerateMipmap");
inline constexpr uint16_t kTexParameterf = CallIdOf(ECallFamily::Es2, "glTexParameterf");
inline constexpr uint16_t kTexParameteri = CallIdOf(ECallFamily::Es2, "glTexParameteri");
inline constexpr uint16_t kTexSubImage2D = CallIdOf(ECallFamily::Es2, "glTexSubImage2D");
inline constexpr uint16_t kUniform1i = CallIdOf(ECallFamily::Es2, "glUniform1i");
inline constexpr uint16_t kUniform2f = CallIdOf(ECallFamily::Es2, "glUniform2f");
inline constexpr uint16_t kUniform3fv = CallIdOf(ECallFamily::Es2, "glUniform3fv");
inline constexpr uint16_t kUniform4f = CallIdOf(ECallFamily::Es2, "glUniform4f");
inline constexpr uint16_t kUniformMatrix2fv = CallIdOf(ECallFamily::Es2, "glUniformMatrix2fv");
inline constexpr uint16_t kUniformMatrix4fv = CallIdOf(ECallFamily::Es2, "glUniformMatrix4fv");
inline constexpr uint16_t kUseProgram = CallIdOf(ECallFamily::Es2, "glUseProgram");
inline constexpr uint16_t kVertexAttrib2fv = CallIdOf(ECallFamily::Es2, "glVertexAttrib2fv");
inline constexpr uint16_t kVertexAttrib4f = CallIdOf(ECallFamily::Es2, "glVertexAttrib4f");
inline constexpr uint16_t kVertexAttribPointer = CallIdOf(ECallFamily::Es2, "glVertexAttribPointer");
inline constexpr uint16_t kViewport = CallIdOf(ECallFamily::Es2, "glViewport");
inline constexpr uint16_t kDeleteFramebuffers = CallIdOf(ECallFamily::Es2, "glDeleteFramebuffers");

inline constexpr uint32_t kTex0 = 0x84C0, kTexture2D = 0x0DE1, kRgba = 0x1908, kRgb = 0x1907, kUbyte = 0x1401;

// A call whose payload is 32-bit words.
inline SCall W(uint16_t id, std::initializer_list<uint32_t> words) { return {id, SPayload().Words(words)}; }

// A call with a 32-bit return value before its word arguments.
inline SCall Ret(uint16_t id, uint32_t result, std::initializer_list<uint32_t> words)
{
    return {id, SPayload().U32(result).Words(words)};
}

inline SCall TexImage(uint32_t target, int32_t level, uint32_t format, int32_t w, int32_t h, uint32_t type,
                      const std::vector<uint8_t>& pixels, int32_t alignment = 4)
{
    SPayload p;
    p.Words({target, uint32_t(level), format, uint32_t(w), uint32_t(h), 0, format, type});
    p.Ptr(pixels.empty() ? 0 : 0x1000).U32(uint32_t(pixels.size())).Raw(pixels).U32(uint32_t(alignment));
    return {kTexImage2D, p};
}

inline SCall TexSubImage(uint32_t target, int32_t level, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t format,
                         uint32_t type, const std::vector<uint8_t>& pixels, int32_t alignment = 4)
{
    SPayload p;
    p.Words({target, uint32_t(level), uint32_t(x), uint32_t(y), uint32_t(w), uint32_t(h), format, type});
    p.Ptr(0x2000).U32(uint32_t(pixels.size())).Raw(pixels).U32(uint32_t(alignment));
    return {kTexSubImage2D, p};
}

} // namespace es2calls

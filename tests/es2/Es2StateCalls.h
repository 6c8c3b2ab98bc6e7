#pragma once
// Call builders for the state tests: ids and the payloads of the calls those tests use.
#include "Es2Records.h"
#include "Es2TestSupport.h"

#include <algorithm>

namespace es2calls {

using es2test::SCall;
using es2test::SPayload;

enum : uint16_t {
    kActiveTexture = 2001, kAttachShader = 2002, kBindAttribLocation = 2003, kBindBuffer = 2004,
    kBindFramebuffer = 2005, kBindRenderbuffer = 2006, kBindTexture = 2007, kBlendEquationSeparate = 2010,
    kBlendFunc = 2011, kBufferData = 2013, kBufferSubData = 2014, kClearColor = 2017, kColorMask = 2020,
    kCompileShader = 2021, kCompressedTexImage2D = 2022, kCreateShader = 2027, kDeleteProgram = 2032,
    kDeleteRenderbuffers = 2033, kDeleteShader = 2034, kDeleteTextures = 2031, kDetachShader = 2035,
    kDepthFunc = 2036, kDepthMask = 2037, kDisable = 2039, kEnable = 2043, kEnableVertexAttribArray = 2044,
    kFramebufferRenderbuffer = 2047, kFramebufferTexture2D = 2048, kGenFramebuffers = 2052,
    kGenRenderbuffers = 2053, kGetUniformLocation = 2077, kHint = 2081, kLinkProgram = 2090,
    kPixelStorei = 2091, kRenderbufferStorage = 2095, kScissor = 2097, kShaderSource = 2099,
    kStencilFunc = 2100, kStencilFuncSeparate = 2101, kStencilMask = 2102, kStencilMaskSeparate = 2103,
    kStencilOpSeparate = 2105, kTexImage2D = 2106, kTexParameterf = 2107, kTexParameteri = 2109,
    kTexSubImage2D = 2111, kUniform1i = 2114, kUniform2f = 2116, kUniform3fv = 2121, kUniform4f = 2124,
    kUniformMatrix2fv = 2128, kUniformMatrix4fv = 2130, kUseProgram = 2131, kVertexAttrib2fv = 2136,
    kVertexAttrib4f = 2139, kVertexAttribPointer = 2141, kViewport = 2142,
};

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

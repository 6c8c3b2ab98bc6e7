#pragma once
// Call builders for the ES 1.1 state tests: ids, payloads, and a runner that applies a sequence
// of calls to a state, each with its position in the sequence as the frame number (so a change
// stamp names the call that wrote it).
#include "CallQueries.h"
#include "Es1Records.h"
#include "Es2TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

namespace es1calls {

using es2test::SCall;
using es2test::SPayload;
using es2test::SReadCall;

enum : uint16_t {
    kActiveTexture = CallIdOf(ECallFamily::Es1, "glActiveTexture"),
    kBindBuffer = CallIdOf(ECallFamily::Es1, "glBindBuffer"),
    kBindTexture = CallIdOf(ECallFamily::Es1, "glBindTexture"),
    kBufferData = CallIdOf(ECallFamily::Es1, "glBufferData"),
    kBufferSubData = CallIdOf(ECallFamily::Es1, "glBufferSubData"),
    kDeleteBuffers = CallIdOf(ECallFamily::Es1, "glDeleteBuffers"),
    kClientActiveTexture = CallIdOf(ECallFamily::Es1, "glClientActiveTexture"),
    kColorPointer = CallIdOf(ECallFamily::Es1, "glColorPointer"),
    kCompressedTexImage2D = CallIdOf(ECallFamily::Es1, "glCompressedTexImage2D"),
    kDisableClientState = CallIdOf(ECallFamily::Es1, "glDisableClientState"),
    kEnableClientState = CallIdOf(ECallFamily::Es1, "glEnableClientState"),
    kNormalPointer = CallIdOf(ECallFamily::Es1, "glNormalPointer"),
    kPixelStorei = CallIdOf(ECallFamily::Es1, "glPixelStorei"),
    kTexCoordPointer = CallIdOf(ECallFamily::Es1, "glTexCoordPointer"),
    kTexEnvf = CallIdOf(ECallFamily::Es1, "glTexEnvf"),
    kTexEnvi = CallIdOf(ECallFamily::Es1, "glTexEnvi"),
    kTexEnvx = CallIdOf(ECallFamily::Es1, "glTexEnvx"),
    kTexImage2D = CallIdOf(ECallFamily::Es1, "glTexImage2D"),
    kVertexPointer = CallIdOf(ECallFamily::Es1, "glVertexPointer"),
    kPointSizePointer = CallIdOf(ECallFamily::Es1, "glPointSizePointerOES"),
    kTexParameterf = CallIdOf(ECallFamily::Es1, "glTexParameterf"),
    kTexParameterfv = CallIdOf(ECallFamily::Es1, "glTexParameterfv"),
    kTexParameteri = CallIdOf(ECallFamily::Es1, "glTexParameteri"),
    kTexParameteriv = CallIdOf(ECallFamily::Es1, "glTexParameteriv"),
    kTexParameterx = CallIdOf(ECallFamily::Es1, "glTexParameterx"),
    kTexParameterxv = CallIdOf(ECallFamily::Es1, "glTexParameterxv"),
    kTexSubImage2D = CallIdOf(ECallFamily::Es1, "glTexSubImage2D"),
    kClear = CallIdOf(ECallFamily::Es1, "glClear"),
    kCopyTexImage2D = CallIdOf(ECallFamily::Es1, "glCopyTexImage2D"),
    kCopyTexSubImage2D = CallIdOf(ECallFamily::Es1, "glCopyTexSubImage2D"),
    kBindFramebufferOES = CallIdOf(ECallFamily::Ext, "glBindFramebufferOES"),
    kFramebufferTexture2DOES = CallIdOf(ECallFamily::Ext, "glFramebufferTexture2DOES"),
    kGenerateMipmapOES = CallIdOf(ECallFamily::Ext, "glGenerateMipmapOES"),
};

inline constexpr uint32_t kTex0 = 0x84C0, kTexture2D = 0x0DE1, kRgba = 0x1908, kUbyte = 0x1401, kFloat = 0x1406;
inline constexpr uint32_t kArrayBuffer = 0x8892, kElementArrayBuffer = 0x8893, kStaticDraw = 0x88E4;
inline constexpr uint32_t kTextureEnv = 0x2300;

// A call whose payload is 32-bit words.
inline SCall W(uint16_t id, std::initializer_list<uint32_t> words) { return {id, SPayload().Words(words)}; }

// An extension call made on ES 1.1: its selector (1), then its 32-bit words.
inline SCall Es1Ext(uint16_t id, std::initializer_list<uint32_t> words)
{
    return {id, SPayload().U32(1).Words(words)};
}

inline uint32_t F(float v)
{
    uint32_t w;
    std::memcpy(&w, &v, 4);
    return w;
}

inline std::vector<uint8_t> Bytes(uint32_t n, uint8_t first)
{
    std::vector<uint8_t> b(n);
    for (uint32_t i = 0; i < n; ++i)
        b[i] = uint8_t(first + i);
    return b;
}

// glBufferData(target, size, data, usage); with data the block, else its pointer.
inline SCall BufferData(uint32_t target, int32_t size, const std::vector<uint8_t>& data, bool withData = true)
{
    SPayload p;
    p.Words({target, uint32_t(size)});
    if (withData)
        p.Ptr(0x100).U32(uint32_t(data.size())).Raw(data);
    else
        p.Ptr(0x100);
    p.U32(kStaticDraw);
    return {kBufferData, p};
}

inline SCall BufferSubData(uint32_t target, int32_t offset, int32_t size, const std::vector<uint8_t>& data)
{
    SPayload p;
    p.Words({target, uint32_t(offset), uint32_t(size)}).Ptr(0x200).U32(uint32_t(data.size())).Raw(data);
    return {kBufferSubData, p};
}

// The size of a pointer call without a size argument (glNormalPointer, glPointSizePointerOES).
inline constexpr int32_t kNoSize = INT32_MIN;

// A pointer call, recorded with 8-byte pointers.
inline SCall Pointer(uint16_t id, int32_t size, uint32_t type, int32_t stride, uint64_t pointer)
{
    SPayload p(8);
    if (size != kNoSize)
        p.U32(uint32_t(size));
    p.U32(type).U32(uint32_t(stride)).Ptr(pointer);
    return {id, p};
}

inline SCall TexImage(int32_t level, uint32_t format, int32_t w, int32_t h, uint32_t type,
                      const std::vector<uint8_t>& pixels, int32_t alignment = 4, bool withData = true)
{
    SPayload p;
    p.Words({kTexture2D, uint32_t(level), format, uint32_t(w), uint32_t(h), 0, format, type});
    if (withData)
        p.Ptr(pixels.empty() ? 0 : 0x1000).U32(uint32_t(pixels.size())).Raw(pixels);
    else
        p.Ptr(0x1000);
    p.U32(uint32_t(alignment));
    return {kTexImage2D, p};
}

inline SCall CompressedTexImage(int32_t level, uint32_t format, int32_t w, int32_t h, int32_t imageSize,
                                const std::vector<uint8_t>& data)
{
    SPayload p;
    p.Words({kTexture2D, uint32_t(level), format, uint32_t(w), uint32_t(h), 0, uint32_t(imageSize)});
    p.Ptr(0x3000).U32(uint32_t(data.size())).Raw(data);
    return {kCompressedTexImage2D, p};
}

// The calls of a sequence applied to one state: each call's frame number is its 1-based position.
struct SRun
{
    std::vector<SReadCall> calls;
    std::vector<bool> results;
};

inline SRun ApplyAll(const std::vector<SCall>& sequence, SEs1State& state, bool dataIncluded = true)
{
    SRun out;
    uint32_t frame = 0;
    for (const SCall& c : sequence) {
        SPayload p(c.payload.pointerWidth);
        p.U32(0);
        p.Raw(c.payload.bytes);
        SReadCall r = es2test::BuildCall(c.id, p.bytes, dataIncluded, c.payload.pointerWidth);
        EXPECT_NE(r.call, nullptr) << c.id;
        out.results.push_back(r.call && r.call->ApplyEffect(&state, ++frame));
        out.calls.push_back(std::move(r));
    }
    return out;
}

// A table case of the state tests: the calls, whether the trace carries data, and the check of
// the state they leave (and of each call's result); `prepare` sets up the state first when given.
struct SStateCase
{
    const char* what;
    std::vector<SCall> calls;
    bool data;
    void (*check)(const SEs1State& s, const SRun& run);
    void (*prepare)(SEs1State& s) = nullptr;
};

inline void RunCase(const SStateCase& c)
{
    SEs1State s;
    if (c.prepare)
        c.prepare(s);
    const SRun run = ApplyAll(c.calls, s, c.data);
    c.check(s, run);
}

// A vector call's values recorded with data: pointer, count, the 32-bit words.
inline SPayload Values(SPayload head, std::initializer_list<uint32_t> words)
{
    return head.Array(0x400, words);
}

} // namespace es1calls

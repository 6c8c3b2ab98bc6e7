// The ES 1.1 state effects of buffers, client arrays, texture units, texture images and
// environments, and pixel storage, as a table of (call sequence, expected fields); the decisions
// every ES 1.1 effect keeps (units outside the 32 tracked ones change nothing, an effect that
// writes a stamp returns true, captured bytes are shared and never written) and the mended
// faults (sub-data copies only the held bytes, image sizes computed in 64 bits).
#include "CallQueries.h"
#include "Es1StateCalls.h"

#include "data/TraceData.h"

#include <gtest/gtest.h>

using namespace es1calls;

namespace {

std::vector<uint8_t> Held(const SharedBytes& data, uint32_t n)
{
    return data ? std::vector<uint8_t>(data.get(), data.get() + n) : std::vector<uint8_t>();
}

const SEs1Buffer* Buffer(const SEs1State& s, uint32_t name) { return s.buffers.Get(name); }

const STexImage* Level(const SEs1State& s, uint32_t texture, uint32_t level)
{
    const auto* levels = s.textures.Get(texture);
    return levels ? levels->Get(level) : nullptr;
}

const SEs1VertexArray& Arrays(const SEs1State& s)
{
    static const SEs1VertexArray kDefaults;
    const SEs1VertexArray* v = s.vertexArrays.Get(s.vertexArrayBinding);
    return v ? *v : kDefaults;
}

// The bytes a call recorded in its data or pixels argument.
const uint8_t* CallBytes(const SRun& run, size_t call)
{
    CGenCallInfo info;
    run.calls[call].call->ListArguments(&info, 1);
    for (SApiTypeBase* holder : *info.GetArguments()) {
        if (const auto* data = dynamic_cast<const SDataPtr*>(holder))
            return data->GetData();
        if (const auto* image = dynamic_cast<const SImage2D*>(holder))
            return image->GetData();
    }
    return nullptr;
}

const SStateCase kCases[] = {
    // ---- buffers
    {"binding the element buffer adds the vertex-array record with its defaults",
     {W(kBindBuffer, {kElementArrayBuffer, 7}), W(kBindBuffer, {kArrayBuffer, 3}), W(kBindBuffer, {0x1234, 9})}, true,
     [](const SEs1State& s, const SRun& run) {
         ASSERT_EQ(s.vertexArrays.Count(), 1);
         EXPECT_EQ(Arrays(s).elementArrayBuffer, 7u);
         EXPECT_EQ(Arrays(s).color.size, 4);
         EXPECT_EQ(Arrays(s).matrixIndex.type, kUbyte);
         EXPECT_EQ(s.arrayBufferBinding, 3u);
         EXPECT_EQ(run.results, (std::vector<bool>{true, true, true}));
     }},
    {"buffer data with nothing bound makes the record of name 0, pointing at the call's bytes",
     {BufferData(kArrayBuffer, 16, Bytes(16, 1))}, true,
     [](const SEs1State& s, const SRun& run) {
         const SEs1Buffer* b = Buffer(s, 0);
         ASSERT_NE(b, nullptr);
         EXPECT_EQ(b->target, kArrayBuffer);
         EXPECT_EQ(b->size, 16u);
         EXPECT_EQ(b->capturedSize, 16u);
         EXPECT_EQ(b->usage, kStaticDraw);
         EXPECT_EQ(b->data.get(), CallBytes(run, 0));
         EXPECT_EQ(s.bufferStamp, 1u);
     }},
    {"a second buffer data leaves the record on the second call's bytes",
     {W(kBindBuffer, {kArrayBuffer, 2}), BufferData(kArrayBuffer, 8, Bytes(8, 1)), BufferData(kArrayBuffer, 4, Bytes(4, 9))},
     true,
     [](const SEs1State& s, const SRun& run) {
         const SEs1Buffer* b = Buffer(s, 2);
         ASSERT_NE(b, nullptr);
         EXPECT_EQ(b->size, 4u);
         EXPECT_EQ(b->data.get(), CallBytes(run, 2));
         EXPECT_EQ(s.bufferStamp, 3u);
     }},
    {"sub-data changes bytes from the offset on; the data call still shows what it recorded",
     {W(kBindBuffer, {kArrayBuffer, 5}), BufferData(kArrayBuffer, 16, Bytes(16, 0)),
      BufferSubData(kArrayBuffer, 4, 4, {0xA0, 0xA1, 0xA2, 0xA3})},
     true,
     [](const SEs1State& s, const SRun& run) {
         const SEs1Buffer* b = Buffer(s, 5);
         ASSERT_NE(b, nullptr);
         EXPECT_EQ(Held(b->data, 16), (std::vector<uint8_t>{0, 1, 2, 3, 0xA0, 0xA1, 0xA2, 0xA3, 8, 9, 10, 11, 12,
                                                            13, 14, 15}));
         EXPECT_EQ(std::vector<uint8_t>(CallBytes(run, 1), CallBytes(run, 1) + 16), Bytes(16, 0));
         EXPECT_EQ(s.bufferStamp, 3u);
     }},
    {"deleting a buffer drops its bytes and every binding of it the bound vertex-array object holds",
     {W(kBindBuffer, {kArrayBuffer, 5}), BufferData(kArrayBuffer, 4, Bytes(4, 0)),
      Pointer(kVertexPointer, 3, kFloat, 12, 0x40), W(kBindBuffer, {kElementArrayBuffer, 5}),
      {kDeleteBuffers, SPayload().U32(2).Array(0x10, {9, 5})}, {kDeleteBuffers, SPayload().U32(1).Array(0x10, {5})}},
     true,
     [](const SEs1State& s, const SRun& run) {
         EXPECT_EQ(Buffer(s, 5), nullptr);
         EXPECT_EQ(s.arrayBufferBinding, 0u);
         EXPECT_EQ(Arrays(s).vertex.buffer, 0u);
         EXPECT_EQ(Arrays(s).elementArrayBuffer, 0u);
         EXPECT_EQ(run.results, (std::vector<bool>{true, true, true, true, true, false}));
         EXPECT_EQ(s.bufferStamp, 5u);
     }},
    {"sub-data past the declared size is clipped there, and from it writes nothing",
     {BufferData(kArrayBuffer, 8, Bytes(8, 0)), BufferSubData(kArrayBuffer, 6, 4, {0xB0, 0xB1, 0xB2, 0xB3}),
      BufferSubData(kArrayBuffer, 8, 2, {0xC0, 0xC1}), BufferSubData(kArrayBuffer, -2, 4, {0xD0, 0xD1, 0xD2, 0xD3})},
     true,
     [](const SEs1State& s, const SRun& run) {
         const SEs1Buffer* b = Buffer(s, 0);
         ASSERT_NE(b, nullptr);
         EXPECT_EQ(b->size, 8u);
         EXPECT_EQ(b->capturedSize, 8u);
         EXPECT_EQ(Held(b->data, 8), (std::vector<uint8_t>{0, 1, 2, 3, 4, 5, 0xB0, 0xB1}));
         EXPECT_EQ(run.results, (std::vector<bool>{true, true, true, true}));
         EXPECT_EQ(s.bufferStamp, 4u);
     }},
    {"sub-data holds only what the data call captured, growing it as far as it writes",
     {BufferData(kArrayBuffer, 16, Bytes(4, 1)), BufferSubData(kArrayBuffer, 8, 100, {0xE0, 0xE1})}, true,
     [](const SEs1State& s, const SRun&) {
         const SEs1Buffer* b = Buffer(s, 0);
         ASSERT_NE(b, nullptr);
         EXPECT_EQ(b->size, 16u);
         EXPECT_EQ(b->capturedSize, 10u);
         EXPECT_EQ(Held(b->data, 10), (std::vector<uint8_t>{1, 2, 3, 4, 0, 0, 0, 0, 0xE0, 0xE1}));
     }},
    {"sub-data on a buffer never defined adds it empty and writes nothing",
     {W(kBindBuffer, {kArrayBuffer, 9}), BufferSubData(kArrayBuffer, 0, 4, {1, 2, 3, 4})}, true,
     [](const SEs1State& s, const SRun& run) {
         const SEs1Buffer* b = Buffer(s, 9);
         ASSERT_NE(b, nullptr);
         EXPECT_EQ(b->size, 0u);
         EXPECT_EQ(b->capturedSize, 0u);
         EXPECT_EQ(b->data, nullptr);
         EXPECT_TRUE(run.results[1]);
     }},
    {"buffer data on another target writes the stamp alone and returns true",
     {BufferData(0x1234, 8, Bytes(8, 0)), BufferSubData(0x1234, 0, 2, {1, 2})}, true,
     [](const SEs1State& s, const SRun& run) {
         EXPECT_TRUE(s.buffers.IsEmpty());
         EXPECT_EQ(s.bufferStamp, 2u);
         EXPECT_EQ(run.results, (std::vector<bool>{true, true}));
     }},
    {"element buffer data reaches the current vertex-array record's binding",
     {W(kBindBuffer, {kElementArrayBuffer, 4}), BufferData(kElementArrayBuffer, 6, Bytes(6, 0))}, true,
     [](const SEs1State& s, const SRun&) {
         ASSERT_NE(Buffer(s, 4), nullptr);
         EXPECT_EQ(Buffer(s, 4)->target, kElementArrayBuffer);
     }},
    {"a trace without data gives buffers their size and usage and no bytes",
     {BufferData(kArrayBuffer, 32, {}, false)}, false,
     [](const SEs1State& s, const SRun&) {
         ASSERT_NE(Buffer(s, 0), nullptr);
         EXPECT_EQ(Buffer(s, 0)->size, 32u);
         EXPECT_EQ(Buffer(s, 0)->usage, kStaticDraw);
         EXPECT_EQ(Buffer(s, 0)->data, nullptr);
         EXPECT_EQ(Buffer(s, 0)->capturedSize, 0u);
     }},
    // ---- client arrays
    {"pointer calls take the array buffer binding and the whole 64-bit pointer",
     {W(kBindBuffer, {kArrayBuffer, 5}), Pointer(kVertexPointer, 3, kFloat, 12, 0x123456789ABCull),
      Pointer(kColorPointer, 4, kUbyte, 4, 0x40), Pointer(kNormalPointer, kNoSize, kFloat, 0, 0x80),
      Pointer(kPointSizePointer, kNoSize, kFloat, 4, 0xC0)},
     true,
     [](const SEs1State& s, const SRun& run) {
         const SEs1VertexArray& a = Arrays(s);
         EXPECT_EQ(a.vertex.buffer, 5u);
         EXPECT_EQ(a.vertex.size, 3);
         EXPECT_EQ(a.vertex.stride, 12);
         EXPECT_EQ(a.vertex.pointer, 0x123456789ABCull);
         EXPECT_EQ(a.color.type, kUbyte);
         EXPECT_EQ(a.normal.size, 0);
         EXPECT_EQ(a.normal.buffer, 5u);
         EXPECT_EQ(a.pointSize.buffer, 0u);
         EXPECT_EQ(a.pointSize.pointer, 0xC0u);
         EXPECT_EQ(run.results, (std::vector<bool>(5, true)));
     }},
    {"texture coordinates go to the client active unit, whatever the active unit",
     {W(kClientActiveTexture, {kTex0 + 1}), W(kActiveTexture, {kTex0 + 3}),
      Pointer(kTexCoordPointer, 2, kFloat, 8, 0x500)},
     true,
     [](const SEs1State& s, const SRun&) {
         EXPECT_EQ(Arrays(s).texCoord[1].size, 2);
         EXPECT_EQ(Arrays(s).texCoord[1].pointer, 0x500u);
         EXPECT_EQ(Arrays(s).texCoord[3].pointer, 0u);
         EXPECT_EQ(Arrays(s).texCoord[0].pointer, 0u);
     }},
    {"enabling a client state outside the six arrays writes the stamp alone",
     {W(kEnableClientState, {0x8078}), W(kEnableClientState, {0x8074}), W(kEnableClientState, {0x8076}),
      W(kDisableClientState, {0x8076})},
     true,
     [](const SEs1State& s, const SRun& run) {
         EXPECT_EQ(Arrays(s).enabled[2], 1);
         EXPECT_EQ(Arrays(s).enabled[0], 0);
         EXPECT_EQ(std::count(Arrays(s).enabled, Arrays(s).enabled + 6, 1), 1);
         EXPECT_EQ(s.capabilityStamp, 4u);
         EXPECT_EQ(run.results, (std::vector<bool>(4, true)));
     }},
    // ---- texture units and images
    {"active texture widens the unit count and never narrows it",
     {W(kActiveTexture, {kTex0}), W(kActiveTexture, {kTex0 + 5}), W(kActiveTexture, {kTex0 + 3})}, true,
     [](const SEs1State& s, const SRun&) {
         EXPECT_EQ(s.textureUnitCount, 6u);
         EXPECT_EQ(s.activeTexture, kTex0 + 3);
     }},
    {"binding a texture with any target binds the active unit's texture",
     {W(kActiveTexture, {kTex0 + 2}), W(kBindTexture, {0x8513, 11})}, true,
     [](const SEs1State& s, const SRun&) {
         EXPECT_EQ(s.texture2DBinding[2], 11u);
         EXPECT_EQ(s.textureBindStamp, 2u);
     }},
    {"an image points at the call's pixels with the computed size",
     {W(kBindTexture, {kTexture2D, 3}), TexImage(1, kRgba, 3, 2, kUbyte, Bytes(24, 0))}, true,
     [](const SEs1State& s, const SRun& run) {
         const STexImage* l = Level(s, 3, 1);
         ASSERT_NE(l, nullptr);
         EXPECT_EQ(l->texture, 3u);
         EXPECT_EQ(l->width, 3);
         EXPECT_EQ(l->format, kRgba);
         EXPECT_EQ(l->internalFormat, kRgba);
         EXPECT_EQ(l->unpackAlignment, 4);
         EXPECT_EQ(l->size, 24u);
         EXPECT_EQ(l->capturedSize, 24u);
         EXPECT_EQ(l->data.get(), CallBytes(run, 1));
         EXPECT_EQ(l->compressed, 0);
         EXPECT_EQ(s.textureImageStamp, 2u);
     }},
    {"rows are padded to the recorded alignment",
     {TexImage(0, 0x1907, 3, 3, kUbyte, Bytes(36, 0), 4)}, true,
     [](const SEs1State& s, const SRun&) { EXPECT_EQ(Level(s, 0, 0)->size, 36u); }},
    {"a second image of the same level replaces the first",
     {TexImage(0, kRgba, 1, 1, kUbyte, Bytes(4, 1)), TexImage(0, kRgba, 1, 1, kUbyte, Bytes(4, 9))}, true,
     [](const SEs1State& s, const SRun& run) {
         ASSERT_EQ(s.textures.Get(0)->Count(), 1);
         EXPECT_EQ(Level(s, 0, 0)->data.get(), CallBytes(run, 1));
     }},
    {"an image of type 0 has size 0; negative and huge sizes give 0",
     {TexImage(0, kRgba, 4, 4, 0, Bytes(64, 0)), TexImage(1, kRgba, -4, 4, kUbyte, Bytes(8, 0)),
      TexImage(2, kRgba, 0x40000000, 0x40000000, kUbyte, Bytes(8, 0))},
     true,
     [](const SEs1State& s, const SRun&) {
         for (uint32_t level : {0u, 1u, 2u}) {
             ASSERT_NE(Level(s, 0, level), nullptr) << level;
             EXPECT_EQ(Level(s, 0, level)->size, 0u) << level;
             EXPECT_EQ(Level(s, 0, level)->capturedSize, 0u) << level;
             EXPECT_EQ(Level(s, 0, level)->data, nullptr) << level;
         }
     }},
    {"an image with fewer bytes than its size holds only those",
     {TexImage(0, kRgba, 4, 4, kUbyte, Bytes(10, 0))}, true,
     [](const SEs1State& s, const SRun&) {
         EXPECT_EQ(Level(s, 0, 0)->size, 64u);
         EXPECT_EQ(Level(s, 0, 0)->capturedSize, 10u);
     }},
    {"a trace without data gives levels the computed size and no pixels",
     {TexImage(0, kRgba, 2, 2, kUbyte, {}, 4, false)}, false,
     [](const SEs1State& s, const SRun&) {
         EXPECT_EQ(Level(s, 0, 0)->size, 16u);
         EXPECT_EQ(Level(s, 0, 0)->data, nullptr);
     }},
    {"a compressed image keeps its recorded size, format twice, no type or alignment",
     {W(kBindTexture, {kTexture2D, 8}), CompressedTexImage(0, 0x8D64, 4, 4, 8, Bytes(8, 3))}, true,
     [](const SEs1State& s, const SRun& run) {
         const STexImage* l = Level(s, 8, 0);
         ASSERT_NE(l, nullptr);
         EXPECT_EQ(l->format, 0x8D64u);
         EXPECT_EQ(l->internalFormat, 0x8D64u);
         EXPECT_EQ(l->type, 0u);
         EXPECT_EQ(l->unpackAlignment, 0);
         EXPECT_EQ(l->size, 8u);
         EXPECT_EQ(l->compressed, 1);
         EXPECT_EQ(l->data.get(), CallBytes(run, 1));
     }},
    {"texture environments of the active unit: integers, scales, coordinate replacement",
     {W(kActiveTexture, {kTex0 + 1}), W(kTexEnvf, {kTextureEnv, 0x2200, F(8448.0f)}),
      W(kTexEnvi, {kTextureEnv, 0x8573, 2}), W(kTexEnvx, {kTextureEnv, 0x0D1C, 0x28000}),
      W(kTexEnvi, {kTextureEnv, 0x8571, 0x8575}), W(kTexEnvf, {0x8861, 0x8862, F(1.9f)}),
      W(kTexEnvf, {kTextureEnv, 0x1234, F(3.0f)}), W(kTexEnvi, {0x1234, 0x2200, 7})},
     true,
     [](const SEs1State& s, const SRun& run) {
         EXPECT_EQ(s.texEnv[1][0], 8448u);
         EXPECT_EQ(s.texEnvScale[1][0], 2.0f);
         EXPECT_EQ(s.texEnvScale[1][1], 2.5f);
         EXPECT_EQ(s.texEnv[1][1], 0x8575u);
         EXPECT_EQ(s.coordReplace[1], 1u);
         EXPECT_EQ(s.texEnv[0][0], 0u);
         EXPECT_EQ(run.results, (std::vector<bool>(8, true)));
     }},
    {"pixel storage sets the two alignments and nothing else",
     {W(kPixelStorei, {0x0CF5, 1}), W(kPixelStorei, {0x0D05, 8}), W(kPixelStorei, {0x0CF2, 3})}, true,
     [](const SEs1State& s, const SRun& run) {
         EXPECT_EQ(s.unpackAlignment, 1);
         EXPECT_EQ(s.packAlignment, 8);
         EXPECT_EQ(run.results, (std::vector<bool>(3, true)));
     }},
    {"a sub-image writes a new block over the level's rows; a level never specified takes nothing",
     {W(kBindTexture, {kTexture2D, 3}), TexImage(0, kRgba, 2, 2, kUbyte, Bytes(16, 0)),
      {kTexSubImage2D, SPayload().Words({kTexture2D, 0, 1, 1, 1, 1, kRgba, kUbyte}).Ptr(0x10).U32(4).Raw(Bytes(4, 0xF0)).U32(4)},
      {kTexSubImage2D, SPayload().Words({kTexture2D, 2, 0, 0, 1, 1, kRgba, kUbyte}).Ptr(0x10).U32(4).Raw(Bytes(4, 0xF0)).U32(4)}},
     true,
     [](const SEs1State& s, const SRun& run) {
         const STexImage* l = Level(s, 3, 0);
         ASSERT_NE(l, nullptr);
         std::vector<uint8_t> expected = Bytes(16, 0);
         for (int i = 0; i < 4; ++i)
             expected[12 + i] = uint8_t(0xF0 + i);
         EXPECT_EQ(Held(l->data, l->capturedSize), expected);
         EXPECT_NE(l->data.get(), CallBytes(run, 1)) << "the upload's bytes stay as recorded";
         EXPECT_EQ(CallBytes(run, 1)[12], 12);
         EXPECT_EQ(Level(s, 3, 2), nullptr);
         EXPECT_EQ(run.results, (std::vector<bool>{true, true, true, false}));
     }},
    // ---- what the GPU writes into textures is marked on the level; an upload takes the mark off
    {"a clear into an OES framebuffer's colour texture marks that level only; a clear of the window marks nothing",
     {W(kBindTexture, {kTexture2D, 5}), TexImage(1, kRgba, 1, 1, kUbyte, {}), W(kClear, {0x4000}),
      Es1Ext(kBindFramebufferOES, {0x8D40, 4}), Es1Ext(kFramebufferTexture2DOES, {0x8D40, 0x8CE0, kTexture2D, 5, 1}),
      W(kClear, {0x4000}), W(kClear, {0x4000})},
     true,
     [](const SEs1State& s, const SRun& run) {
         EXPECT_EQ(run.results, (std::vector<bool>{true, true, false, true, true, true, false}));
         EXPECT_EQ(Level(s, 5, 1)->gpuMade, 1u);
         EXPECT_EQ(s.textureImageStamp, 6u);
         const STexImage* base = Level(s, 5, 0);
         EXPECT_TRUE(!base || !base->gpuMade);
     }},
    {"a copy makes a marked level of its size; a copy into part of a level marks it; an upload unmarks",
     {W(kBindTexture, {kTexture2D, 5}), W(kCopyTexImage2D, {kTexture2D, 0, 0x1907, 0, 0, 8, 4, 0}),
      W(kBindTexture, {kTexture2D, 6}), TexImage(0, kRgba, 1, 1, kUbyte, {1, 2, 3, 4}),
      W(kCopyTexSubImage2D, {kTexture2D, 0, 0, 0, 0, 0, 1, 1}), W(kBindTexture, {kTexture2D, 7}),
      W(kCopyTexImage2D, {kTexture2D, 0, 0x1907, 0, 0, 2, 2, 0}), TexImage(0, kRgba, 1, 1, kUbyte, {1, 2, 3, 4})},
     true,
     [](const SEs1State& s, const SRun&) {
         EXPECT_EQ(Level(s, 5, 0)->gpuMade, 1u);
         EXPECT_EQ(Level(s, 5, 0)->width, 8);
         EXPECT_EQ(Level(s, 6, 0)->gpuMade, 1u);
         EXPECT_EQ(Level(s, 7, 0)->gpuMade, 0u);
         EXPECT_EQ(Level(s, 7, 0)->width, 1);
     }},
    {"generated levels follow the base until a sub-image changes it; generating again makes them follow",
     {W(kBindTexture, {kTexture2D, 5}), TexImage(0, kRgba, 1, 1, kUbyte, {1, 2, 3, 4}), Es1Ext(kGenerateMipmapOES, {kTexture2D}),
      W(kBindTexture, {kTexture2D, 6}), TexImage(0, kRgba, 1, 1, kUbyte, {1, 2, 3, 4}), Es1Ext(kGenerateMipmapOES, {kTexture2D}),
      {kTexSubImage2D, SPayload().Words({kTexture2D, 0, 0, 0, 1, 1, kRgba, kUbyte}).Ptr(0x10).U32(4).Raw(Bytes(4, 9)).U32(4)},
      W(kBindTexture, {kTexture2D, 7}), TexImage(0, kRgba, 1, 1, kUbyte, {1, 2, 3, 4}), Es1Ext(kGenerateMipmapOES, {kTexture2D}),
      {kTexSubImage2D, SPayload().Words({kTexture2D, 0, 0, 0, 1, 1, kRgba, kUbyte}).Ptr(0x10).U32(4).Raw(Bytes(4, 9)).U32(4)},
      Es1Ext(kGenerateMipmapOES, {kTexture2D}), W(kBindTexture, {kTexture2D, 8}), TexImage(0, kRgba, 1, 1, kUbyte, {1, 2, 3, 4})},
     true,
     [](const SEs1State& s, const SRun&) {
         EXPECT_EQ(Level(s, 5, 0)->mipmapsGenerated, kMipmapsGenerated);
         EXPECT_EQ(Level(s, 6, 0)->mipmapsGenerated, kMipmapsStale);
         EXPECT_TRUE(HoldsGpuMadePixels(*Level(s, 6, 0)));
         EXPECT_EQ(Level(s, 7, 0)->mipmapsGenerated, kMipmapsGenerated);
         EXPECT_EQ(Level(s, 8, 0)->mipmapsGenerated, 0u);
     }},
    // ---- texture parameters, kept on level 0 of the active unit's 2D texture
    {"texture parameters of every form land on level 0, which keeps them when specified again",
     {W(kActiveTexture, {kTex0 + 1}), W(kBindTexture, {kTexture2D, 5}),
      W(kTexParameteri, {kTexture2D, 0x2801, 0x2601}), W(kTexParameterf, {kTexture2D, 0x2800, F(9728.9f)}),
      W(kTexParameterx, {kTexture2D, 0x2802, 0x812F}), {kTexParameteriv, SPayload().Words({kTexture2D, 0x2803}).Ptr(0x10).U32(1).U32(0x8370)},
      {kTexParameterfv, SPayload().Words({kTexture2D, 0x8191}).Ptr(0x10).U32(1).F(1.0f)},
      TexImage(0, kRgba, 1, 1, kUbyte, Bytes(4, 0)), TexImage(1, kRgba, 1, 1, kUbyte, Bytes(4, 0)),
      {kTexParameterxv, SPayload().Words({kTexture2D, 0x2801}).Ptr(0x10).U32(1).U32(0x2703)}},
     true,
     [](const SEs1State& s, const SRun& run) {
         const STexImage* l = Level(s, 5, 0);
         ASSERT_NE(l, nullptr);
         EXPECT_EQ(l->width, 1);
         EXPECT_EQ(l->minFilter, 0x2703u);
         EXPECT_EQ(l->magFilter, 0x2600u) << "a float parameter is truncated";
         EXPECT_EQ(l->wrapS, 0x812Fu) << "a fixed-point parameter is the enumerated value";
         EXPECT_EQ(l->wrapT, 0x8370u);
         EXPECT_EQ(l->generateMipmap, 1u);
         EXPECT_EQ(Level(s, 5, 1)->minFilter, 0x2702u) << "higher levels keep the defaults";
         EXPECT_EQ(s.textureImageStamp, 10u);
         EXPECT_EQ(run.results, (std::vector<bool>(10, true)));
     }},
    {"a texture given parameters but no image has an empty level 0; other targets and names change nothing",
     {W(kBindTexture, {kTexture2D, 4}), W(kTexParameteri, {0x8513, 0x2801, 0x2600}),
      W(kTexParameteri, {kTexture2D, 0x1234, 0x2600}), {kTexParameteriv, SPayload().Words({kTexture2D, 0x2801}).Ptr(0).U32(0)},
      W(kTexParameteri, {kTexture2D, 0x2800, 0x2600})},
     true,
     [](const SEs1State& s, const SRun&) {
         const STexImage* l = Level(s, 4, 0);
         ASSERT_NE(l, nullptr);
         EXPECT_EQ(l->texture, 4u);
         EXPECT_EQ(l->format, 0u);
         EXPECT_EQ(l->data, nullptr);
         EXPECT_EQ(l->minFilter, 0x2702u);
         EXPECT_EQ(l->magFilter, 0x2600u);
         EXPECT_EQ(l->wrapS, 0x2901u);
         EXPECT_EQ(l->generateMipmap, 0u);
     }},
    // ---- units outside the tracked 32
    {"active texture below unit 0 or at unit 40 is ignored, and the unit calls act on unit 0",
     {W(kActiveTexture, {kTex0 - 1}), W(kActiveTexture, {kTex0 + 40}), W(kBindTexture, {kTexture2D, 6}),
      W(kTexEnvi, {kTextureEnv, 0x2200, 0x2101}), TexImage(0, kRgba, 1, 1, kUbyte, Bytes(4, 0))},
     true,
     [](const SEs1State& s, const SRun& run) {
         EXPECT_EQ(s.activeTexture, kTex0);
         EXPECT_EQ(s.textureUnitCount, 1u);
         EXPECT_EQ(s.texture2DBinding[0], 6u);
         EXPECT_EQ(s.texEnv[0][0], 0x2101u);
         EXPECT_NE(Level(s, 6, 0), nullptr);
         EXPECT_EQ(run.results, (std::vector<bool>{false, false, true, true, true}));
     }},
    {"client active texture at unit 40 is ignored; texture coordinates go to unit 0",
     {W(kClientActiveTexture, {kTex0 + 40}), Pointer(kTexCoordPointer, 2, kFloat, 0, 0x99)}, true,
     [](const SEs1State& s, const SRun& run) {
         EXPECT_EQ(s.clientActiveTexture, kTex0);
         EXPECT_EQ(Arrays(s).texCoord[0].pointer, 0x99u);
         EXPECT_FALSE(run.results[0]);
     }},
};

class Es1State : public testing::TestWithParam<SStateCase> {};

TEST_P(Es1State, AppliesTheSequence)
{
    RunCase(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Cases, Es1State, testing::ValuesIn(kCases),
                         [](const auto& info) { return es2test::CaseName(info.param.what); });

// States out of the effects are indexed per unit by the active unit, which an effect can find
// outside the tracked units only in a state it did not make; it then changes nothing.
TEST(Es1State, UnitEffectsCheckTheUnitThemselves)
{
    SEs1State s;
    s.activeTexture = kTex0 + 40;
    s.clientActiveTexture = kTex0 - 1;
    const SEs1State before = s;
    SRun run = ApplyAll({W(kBindTexture, {kTexture2D, 6}), W(kTexEnvi, {kTextureEnv, 0x2200, 1}),
                    TexImage(0, kRgba, 1, 1, kUbyte, Bytes(4, 0)), CompressedTexImage(0, 0x8D64, 4, 4, 8, Bytes(8, 0)),
                    Pointer(kTexCoordPointer, 2, kFloat, 0, 0x99)},
                   s);
    EXPECT_EQ(run.results, std::vector<bool>(5, false));
    EXPECT_EQ(memcmp(s.texture2DBinding, before.texture2DBinding, sizeof s.texture2DBinding), 0);
    EXPECT_EQ(s.textureImageStamp, 0u);
    EXPECT_TRUE(s.textures.IsEmpty());
    EXPECT_TRUE(s.vertexArrays.IsEmpty());
}

// A frame cut copies a state only after an effect returned true: an effect that wrote only a
// stamp must still reach the next frame's snapshot.
class CSwap : public CApiCall
{
public:
    CSwap() : CApiCall(nullptr) { m_apiKind = kApiEgl, m_callId = CallIdOf(ECallFamily::Egl, "eglSwapBuffers"); }
    const char* GetName() const override { return "eglSwapBuffers"; }
    int GetId() const override { return CallIdOf(ECallFamily::Egl, "eglSwapBuffers"); }
    const char* GetCategory() const override { return ""; }
    bool RecordedSuccess() const override { return true; }
};

TEST(Es1State, AStampOnlyEffectReachesTheNextSnapshot)
{
    CTraceData trace;
    trace.Init(0, 1, 0);
    SReadCall call = es2test::BuildCall(kBufferData, SPayload().U32(0).Raw(BufferData(0x1234, 4, Bytes(4, 0)).payload.bytes).bytes, true);
    ASSERT_NE(call.call, nullptr);
    trace.AddCall(new CSwap, 0, 0);
    trace.AddCall(call.call.release(), 0, 0);
    trace.AddCall(new CSwap, 0, 0);
    SEs1State second;
    ASSERT_TRUE(trace.GetFrameEs1State(3, &second));
    EXPECT_EQ(second.bufferStamp, 2u);
}

} // namespace

// The ES 2.0 state effects as a table of (call sequence, expected fields): the edge cases of
// fixed state, units, buffers, framebuffers, shaders, programs, attributes, uniforms and textures,
// and the mended faults (units past 32, sub-images beyond their image or with row alignment,
// images with fewer captured bytes than their size, buffer ranges past their buffer, uniform
// arrays). Bad inputs of the same kind are in Es2StateHostileTest.
#include "Es2StateCalls.h"

#include <gtest/gtest.h>

using namespace es2test;
using namespace es2calls;

namespace {

struct SStateCase
{
    const char* what;
    std::vector<SCall> calls;
    bool data;
    void (*check)(const SEs2State& s, const std::vector<bool>& results);
};

const STexImage* Image(const SEs2State& s, uint32_t texture, uint32_t level, uint32_t face)
{
    const auto* levels = s.textures.Get(texture);
    const auto* faces = levels ? levels->Get(level) : nullptr;
    return faces ? faces->Get(face) : nullptr;
}

std::vector<uint8_t> Bytes(const STexImage& image)
{
    return image.data ? std::vector<uint8_t>(image.data.get(), image.data.get() + image.capturedSize)
                      : std::vector<uint8_t>();
}

const SStateCase kCases[] = {
    {"capabilities: a cap outside the table changes nothing",
     {W(kEnable, {0x0BE2}), W(kEnable, {0x1234}), W(kDisable, {0x0BD0})}, true,
     [](const SEs2State& s, const auto&) {
         EXPECT_EQ(s.capabilities[0], 1);
         EXPECT_EQ(s.capabilities[3], 0);
         EXPECT_EQ(std::count(s.capabilities, s.capabilities + 9, 1), 1);
     }},
    {"blend, depth, stencil, masks and boxes",
     {W(kBlendFunc, {0x302, 0x303}), W(kBlendEquationSeparate, {0x800A, 0x800B}), W(kDepthFunc, {0x203}),
      W(kDepthMask, {0}), W(kColorMask, {1, 0, 1, 0}), W(kViewport, {1, 2, 3, 4}), W(kScissor, {5, 6, 7, 8}),
      W(kStencilFunc, {0x202, 7, 0xFF}), W(kStencilMask, {0x0F}), W(kPixelStorei, {0x0CF5, 1}),
      W(kHint, {0x8192, 0x1102}), W(kHint, {0x8B8B, 0x1101}), {kClearColor, SPayload().F(0.25f).F(0.5f).F(0.75f).F(1)}},
     true,
     [](const SEs2State& s, const auto&) {
         EXPECT_EQ(s.blendSrcRgb, 0x302u);
         EXPECT_EQ(s.blendSrcAlpha, 0x302u);
         EXPECT_EQ(s.blendDstAlpha, 0x303u);
         EXPECT_EQ(s.blendEquationAlpha, 0x800Bu);
         EXPECT_EQ(s.depthFunc, 0x203u);
         EXPECT_EQ(s.depthMask, 0);
         EXPECT_EQ(s.colorMask[1], 0);
         EXPECT_EQ(s.viewport[3], 4);
         EXPECT_EQ(s.scissorBox[0], 5);
         EXPECT_EQ(s.stencilRef[1], 7);
         EXPECT_EQ(s.stencilWriteMask[0], 0x0Fu);
         EXPECT_EQ(s.unpackAlignment, 1);
         EXPECT_EQ(s.generateMipmapHint, 0x1102u);
         EXPECT_EQ(s.clearColor[2], 0.75f);
     }},
    {"separate stencil: front and back, back only, front only",
     {W(kStencilOpSeparate, {0x408, 0x1E01, 0x1E02, 0x1E03}), W(kStencilOpSeparate, {0x405, 0x150A, 0x1E00, 0x1E00}),
      W(kStencilFuncSeparate, {0x404, 0x201, 3, 1}), W(kStencilMaskSeparate, {0x999, 5})},
     true,
     [](const SEs2State& s, const auto&) {
         EXPECT_EQ(s.stencilFail[0], 0x1E01u);
         EXPECT_EQ(s.stencilFail[1], 0x150Au);
         EXPECT_EQ(s.stencilPassDepthPass[0], 0x1E03u);
         EXPECT_EQ(s.stencilFunc[0], 0x201u);
         EXPECT_EQ(s.stencilFunc[1], 0x207u);
         EXPECT_EQ(s.stencilWriteMask[0], 0xFFFFFFFFu);
     }},
    {"active texture widens the unit count to the highest unit",
     {W(kActiveTexture, {kTex0 + 2}), W(kActiveTexture, {kTex0 + 1})}, true,
     [](const SEs2State& s, const auto&) { EXPECT_EQ(s.textureUnitCount, 3u); }},
    {"deleting a texture bound on unit 2 clears that binding and drops its images",
     {W(kActiveTexture, {kTex0 + 2}), W(kBindTexture, {kTexture2D, 7}), {kDeleteTextures, SPayload().U32(1).Array(0x10, {7})}},
     true,
     [](const SEs2State& s, const auto& r) {
         EXPECT_EQ(s.texture2DBinding[2], 0u);
         EXPECT_FALSE(s.textures.Contains(7));
         EXPECT_TRUE(r[2]);
     }},
    {"units from 32 on: no binding, no wider unit count, deletes stay inside the slots",
     {W(kActiveTexture, {kTex0 + 1000}), W(kBindTexture, {kTexture2D, 7}), {kDeleteTextures, SPayload().U32(1).Array(0x10, {7})}},
     true,
     [](const SEs2State& s, const auto& r) {
         EXPECT_EQ(s.activeTexture, kTex0 + 1000);
         EXPECT_EQ(s.textureUnitCount, 1u);
         EXPECT_FALSE(r[1]);
         EXPECT_FALSE(s.textures.Contains(7));
     }},
    {"framebuffer 0: binding or an untracked attachment point adds no entry, an attachment creates it",
     {W(kBindFramebuffer, {0x8D40, 0}), W(kFramebufferRenderbuffer, {0x8D40, 0x8CE1, 0x8D41, 2}), W(kFramebufferTexture2D, {0x8D40, 0x8D00, kTexture2D, 9, 3})}, true,
     [](const SEs2State& s, const auto&) {
         ASSERT_EQ(s.framebuffers.Count(), 1);
         const SEs2Framebuffer& f = *s.framebuffers.Get(0);
         EXPECT_EQ(f.depth.level, 3u);
         EXPECT_EQ(f.depth.name, 9u);
         EXPECT_EQ(f.color.level, 0u);
     }},
    {"a cube face attachment keeps its face under a later 2D attachment",
     {W(kBindFramebuffer, {0x8D40, 4}), W(kFramebufferTexture2D, {0x8D40, 0x8CE0, 0x8515, 9, 0}),
      W(kFramebufferTexture2D, {0x8D40, 0x8CE0, kTexture2D, 10, 1}), W(kFramebufferRenderbuffer, {0x8D40, 0x8D20, 0x8D41, 3})},
     true,
     [](const SEs2State& s, const auto&) {
         const SEs2Framebuffer& f = *s.framebuffers.Get(4);
         EXPECT_EQ(f.bound, 1u);
         EXPECT_EQ(f.color.target, 0x8515u);
         EXPECT_EQ(f.color.name, 10u);
         EXPECT_EQ(f.stencil.type, 0x8D41u);
     }},
    {"deleting the bound framebuffer unbinds it; deleting another keeps the binding",
     {W(kBindFramebuffer, {0x8D40, 4}), W(kFramebufferRenderbuffer, {0x8D40, 0x8CE0, 0x8D41, 2}),
      {kDeleteFramebuffers, SPayload().U32(1).Array(0x10, {7})}, W(kBindFramebuffer, {0x8D40, 5}),
      W(kFramebufferRenderbuffer, {0x8D40, 0x8CE0, 0x8D41, 3}), {kDeleteFramebuffers, SPayload().U32(1).Array(0x10, {5})}},
     true,
     [](const SEs2State& s, const auto&) {
         EXPECT_EQ(s.framebufferBinding, 0u);
         EXPECT_FALSE(s.framebuffers.Contains(5));
         EXPECT_TRUE(s.framebuffers.Contains(4));
     }},
    {"deleting a framebuffer that is not bound keeps the binding",
     {W(kBindFramebuffer, {0x8D40, 4}), {kDeleteFramebuffers, SPayload().U32(2).Array(0x10, {7, 8})}},
     true,
     [](const SEs2State& s, const auto&) { EXPECT_EQ(s.framebufferBinding, 4u); }},
    {"renderbuffers: generated, bound, stored, deleted with their binding",
     {{kGenRenderbuffers, SPayload().U32(2).Array(0x10, {5, 6})}, W(kBindRenderbuffer, {0x8D41, 5}),
      W(kRenderbufferStorage, {0x8D41, 0x81A5, 64, 32}), {kDeleteRenderbuffers, SPayload().U32(1).Array(0x10, {6})}},
     true,
     [](const SEs2State& s, const auto&) {
         EXPECT_EQ(s.renderbuffers.Count(), 1);
         EXPECT_EQ(s.renderbuffers.Get(5)->width, 64u);
         EXPECT_EQ(s.renderbuffers.Get(5)->internalFormat, 0x81A5u);
         EXPECT_EQ(s.renderbufferBinding, 5u);
     }},
    {"an attached shader deleted is kept pending until detached",
     {Ret(kCreateShader, 3, {0x8B31}), W(kAttachShader, {1, 3}), W(kDeleteShader, {3})}, true,
     [](const SEs2State& s, const auto&) {
         ASSERT_TRUE(s.shaders.Contains(3));
         EXPECT_EQ(s.shaders.Get(3)->deletePending, 1);
         EXPECT_EQ(s.programs.Get(1)->vertexShader, 3u);
     }},
    {"detaching a delete-pending shader removes it",
     {Ret(kCreateShader, 3, {0x8B30}), W(kAttachShader, {1, 3}), W(kDeleteShader, {3}), W(kDetachShader, {1, 3})}, true,
     [](const SEs2State& s, const auto&) {
         EXPECT_FALSE(s.shaders.Contains(3));
         EXPECT_EQ(s.programs.Get(1)->fragmentShader, 0u);
     }},
    {"shader source joins the recorded strings; compile marks the shader",
     {Ret(kCreateShader, 3, {0x8B31}),
      {kShaderSource, SPayload().U32(3).U32(2).Ptr(0x10).U32(2).String(0x20, "void ").String(0x30, "main(){}").Array(0, {})},
      W(kCompileShader, {3}),
      {kShaderSource, SPayload().U32(4).U32(0).Ptr(0x10).U32(1).String(0x20, "x").Array(0, {})}},
     true,
     [](const SEs2State& s, const auto&) {
         EXPECT_TRUE(s.shaders.Contains(4)) << "a count of 0 still reaches the shader, with no text";
         ASSERT_NE(s.shaders.Get(3)->source, nullptr);
         EXPECT_STREQ(s.shaders.Get(3)->source, "void main(){}");
         EXPECT_EQ(s.shaders.Get(3)->compiled, 1);
         EXPECT_EQ(s.shaderCompilerReleased, 0);
     }},
    {"element-array data goes to the buffer named by vertex-array object 0 (0 when none is bound)",
     {{kBufferData, SPayload().U32(0x8893).U32(4).Ptr(0x10).U32(4).Words({0x04030201}).U32(0x88E4)}}, true,
     [](const SEs2State& s, const auto&) {
         ASSERT_TRUE(s.buffers.Contains(0));
         EXPECT_EQ(s.buffers.Get(0)->size, 4u);
         EXPECT_EQ(s.buffers.Get(0)->data[3], 4);
     }},
    {"buffer sub-data: an unknown buffer is skipped, a range past the end is clipped",
     {W(kBindBuffer, {0x8892, 2}), {kBufferSubData, SPayload().U32(0x8892).U32(0).U32(4).Ptr(0x10).U32(4).Words({1})},
      {kBufferData, SPayload().U32(0x8892).U32(6).Ptr(0x10).U32(6).Raw({0, 0, 0, 0, 0, 0}).U32(0x88E4)},
      {kBufferSubData, SPayload().U32(0x8892).U32(4).U32(8).Ptr(0x10).U32(8).Words({0x44332211, 0x88776655})}},
     true,
     [](const SEs2State& s, const auto& r) {
         EXPECT_FALSE(r[1]);
         const SEs2Buffer& b = *s.buffers.Get(2);
         ASSERT_EQ(b.size, 6u);
         EXPECT_EQ(b.data[3], 0);
         EXPECT_EQ(b.data[4], 0x11);
         EXPECT_EQ(b.data[5], 0x22);
         EXPECT_EQ(b.capturedSize, 6u) << "the 8 bytes at offset 4 are clipped to the buffer's 6";
     }},
    {"deleting a buffer drops its bytes and every binding of it the bound vertex-array object holds",
     {W(kBindBuffer, {0x8892, 4}), {kBufferData, SPayload().U32(0x8892).U32(2).Ptr(0x10).U32(2).Raw({1, 2}).U32(0x88E4)},
      {kVertexAttribPointer, SPayload().Words({2, 3, 0x1406, 0, 12}).Ptr(0x40)}, W(kBindBuffer, {0x8893, 4}),
      {kDeleteBuffers, SPayload().U32(2).Array(0x10, {9, 4})}, {kDeleteBuffers, SPayload().U32(1).Array(0x10, {4})}},
     true,
     [](const SEs2State& s, const auto& r) {
         EXPECT_FALSE(s.buffers.Contains(4));
         EXPECT_EQ(s.arrayBufferBinding, 0u);
         EXPECT_EQ(s.vertexArrays.Get(0)->elementArrayBuffer, 0u);
         EXPECT_EQ(s.vertexArrays.Get(0)->pointers.Get(2)->buffer, 0u);
         EXPECT_EQ(s.vertexArrays.Get(0)->pointers.Get(2)->pointer, 0x40u) << "the offset stays, as GL keeps it";
         EXPECT_TRUE(r[4]);
         EXPECT_FALSE(r[5]) << "a name deleted already changes nothing";
     }},
    {"without data: generated names, deletes and sub-data change nothing",
     {{kGenFramebuffers, SPayload().U32(1).Ptr(0x10)}, {kGenRenderbuffers, SPayload().U32(1).Ptr(0x10)},
      {kDeleteTextures, SPayload().U32(1).Ptr(0x10)}, {kBufferSubData, SPayload().U32(0x8892).U32(0).U32(4).Ptr(0x10)},
      {kBufferSubData, SPayload().U32(0x8893).U32(0).U32(4).Ptr(0x10)}},
     false,
     [](const SEs2State& s, const auto& r) {
         EXPECT_EQ(r, std::vector<bool>({false, false, false, false, false}));
         EXPECT_EQ(s.framebuffers.Count(), 0);
         EXPECT_EQ(s.renderbuffers.Count(), 0);
         EXPECT_EQ(s.vertexArrays.Count(), 0) << "an element-array sub-data without bytes reaches no vertex-array object";
     }},
    {"uniform location -1: a vector setter applies nothing, a matrix setter reports it did not apply",
     {{kUniform4f, SPayload().U32(uint32_t(-1)).F(1).F(2).F(3).F(4)},
      {kUniformMatrix4fv, SPayload().U32(uint32_t(-1)).U32(1).U32(0).Ptr(0x10).U32(1).Raw(std::vector<uint8_t>(64, 0))}},
     true,
     [](const SEs2State& s, const auto& r) {
         EXPECT_EQ(r, std::vector<bool>({true, false}));
         EXPECT_EQ(s.uniforms.Count(), 0);
     }},
    {"vector and matrix uniforms keep count x N values, matrices in recorded order",
     {{kUniform3fv, SPayload().U32(2).U32(2).Ptr(0x10).U32(2).F(1).F(2).F(3).F(4).F(5).F(6)},
      {kUniformMatrix2fv, SPayload().U32(3).U32(1).U32(1).Ptr(0x10).U32(1).F(1).F(2).F(3).F(4)}},
     true,
     [](const SEs2State& s, const auto&) {
         const SEs2Uniform& v = *s.uniforms.Get(0)->Get(2);
         EXPECT_EQ(v.components, 3u);
         EXPECT_EQ(v.floats, std::vector<float>({1, 2, 3, 4, 5, 6}));
         const SEs2Uniform& m = *s.uniforms.Get(0)->Get(3);
         EXPECT_EQ(m.kind, 2u);
         EXPECT_EQ(m.floats, std::vector<float>({1, 2, 3, 4}));
     }},
    {"an integer setter after a float one keeps the float words",
     {{kUniform2f, SPayload().U32(1).F(1.5f).F(2.5f)}, W(kUniform1i, {1, 9})}, true,
     [](const SEs2State& s, const auto&) {
         const SEs2Uniform& u = *s.uniforms.Get(0)->Get(1);
         EXPECT_EQ(u.kind, 0u);
         EXPECT_EQ(u.components, 1u);
         EXPECT_EQ(u.ints, std::vector<int32_t>({9}));
         EXPECT_EQ(u.floats, std::vector<float>({1.5f, 2.5f}));
     }},
    {"uniform locations name the uniform of their program",
     {{kGetUniformLocation, SPayload().U32(4).U32(7).String(0x10, "u_color")}, W(kUseProgram, {7}),
      {kUniform4f, SPayload().U32(4).F(1).F(0).F(0).F(1)}},
     true,
     [](const SEs2State& s, const auto&) {
         const SEs2Uniform& u = *s.uniforms.Get(7)->Get(4);
         EXPECT_EQ(u.name, "u_color");
         EXPECT_EQ(u.program, 7u);
         EXPECT_EQ(u.floats.size(), 4u);
     }},
    {"linking copies the bound attributes; generic values go to the current program; relinking drops them",
     {{kBindAttribLocation, SPayload().U32(5).U32(3).String(0x10, "a_pos")}, W(kLinkProgram, {5}), W(kUseProgram, {5}),
      {kVertexAttrib4f, SPayload().U32(3).F(1).F(2).F(3).F(4)}},
     true,
     [](const SEs2State& s, const auto&) {
         const SEs2Attribute& a = *s.linkedAttributes.Get(5)->Get(3);
         EXPECT_EQ(a.name, "a_pos");
         EXPECT_EQ(a.boundByName, 1);
         EXPECT_EQ(a.values, std::vector<float>({1, 2, 3, 4}));
         EXPECT_EQ(s.currentProgram.name, 5u);
         EXPECT_EQ(s.currentProgram.linked, 1);
     }},
    {"a vector attribute without data stores zeros",
     {{kVertexAttrib2fv, SPayload().U32(1).Ptr(0x10)}}, false,
     [](const SEs2State& s, const auto&) {
         EXPECT_EQ(s.linkedAttributes.Get(0)->Get(1)->values, std::vector<float>({0, 0}));
     }},
    {"attribute pointers take the array-buffer binding of the moment",
     {W(kBindBuffer, {0x8892, 4}), {kVertexAttribPointer, SPayload().Words({2, 3, 0x1406, 0, 12}).Ptr(0x40)},
      W(kEnableVertexAttribArray, {2})},
     true,
     [](const SEs2State& s, const auto&) {
         const SEs2VertexAttribPointer& p = *s.vertexArrays.Get(0)->pointers.Get(2);
         EXPECT_EQ(p.buffer, 4u);
         EXPECT_EQ(p.pointer, 0x40u);
         EXPECT_EQ(p.stride, 12);
         EXPECT_EQ(*s.vertexAttribArrayEnabled.Get(2), 1u);
     }},
    {"deleting the program in use",
     {{kBindAttribLocation, SPayload().U32(5).U32(3).String(0x10, "a")}, W(kLinkProgram, {5}), W(kUseProgram, {5}),
      W(kDeleteProgram, {5})},
     true,
     [](const SEs2State& s, const auto&) {
         EXPECT_EQ(s.deleteUsedProgram, 1);
         EXPECT_FALSE(s.programs.Contains(5));
         EXPECT_FALSE(s.linkedAttributes.Contains(5));
         EXPECT_TRUE(s.boundAttributes.Contains(5));
         EXPECT_EQ(s.currentProgram.name, 5u);
     }},
    {"binding a texture creates its default level-0 image once",
     {W(kBindTexture, {kTexture2D, 5}), W(kBindTexture, {kTexture2D, 5})}, true,
     [](const SEs2State& s, const auto&) {
         const STexImage* i = Image(s, 5, 0, 0);
         ASSERT_NE(i, nullptr);
         EXPECT_EQ(i->minFilter, 0x2702u);
         EXPECT_EQ(i->wrapT, 0x2901u);
         EXPECT_EQ(i->size, 0u);
         EXPECT_EQ(s.textures.Get(5)->Get(0)->Count(), 1);
     }},
    {"parameters need an image: none with nothing bound, set on the bound texture's level 0",
     {W(kTexParameteri, {kTexture2D, 0x2800, 0x2600}), W(kBindTexture, {kTexture2D, 5}), W(kTexParameteri, {kTexture2D, 0x2800, 0x2600}),
      {kTexParameterf, SPayload().U32(kTexture2D).U32(0x2802).F(33071.9f)}},
     true,
     [](const SEs2State& s, const auto&) {
         EXPECT_EQ(Image(s, 0, 0, 0), nullptr);
         EXPECT_EQ(Image(s, 5, 0, 0)->magFilter, 0x2600u);
         EXPECT_EQ(Image(s, 5, 0, 0)->wrapS, 33071u);
     }},
    // What the GPU writes into a texture is marked on its image; specifying the image with pixels
    // again takes the mark off.
    {"a clear into a framebuffer's colour texture marks that image only; a clear of the window marks nothing",
     {W(kBindTexture, {kTexture2D, 5}), TexImage(kTexture2D, 1, kRgba, 1, 1, kUbyte, {}), W(kClear, {0x4000}),
      W(kBindFramebuffer, {0x8D40, 4}), W(kFramebufferTexture2D, {0x8D40, 0x8CE0, kTexture2D, 5, 1}), W(kClear, {0x4000}),
      W(kClear, {0x4000})},
     true,
     [](const SEs2State& s, const auto& r) {
         EXPECT_EQ(r, (std::vector<bool>{true, true, false, true, true, true, false}));
         EXPECT_EQ(Image(s, 5, 0, 0)->gpuMade, 0u);
         EXPECT_EQ(Image(s, 5, 1, 0)->gpuMade, 1u);
     }},
    {"a copy makes a marked image of its size; a copy into part of one marks it; an upload unmarks",
     {W(kBindTexture, {kTexture2D, 5}), W(kCopyTexImage2D, {kTexture2D, 0, kRgb, 0, 0, 8, 4, 0}),
      W(kBindTexture, {kTexture2D, 6}), TexImage(kTexture2D, 0, kRgba, 1, 1, kUbyte, {1, 2, 3, 4}),
      W(kCopyTexSubImage2D, {kTexture2D, 0, 0, 0, 0, 0, 1, 1}), W(kBindTexture, {kTexture2D, 5}),
      TexImage(kTexture2D, 0, kRgba, 1, 1, kUbyte, {1, 2, 3, 4})},
     true,
     [](const SEs2State& s, const auto&) {
         EXPECT_EQ(Image(s, 6, 0, 0)->gpuMade, 1u);
         EXPECT_EQ(Image(s, 5, 0, 0)->gpuMade, 0u);
         EXPECT_EQ(Image(s, 5, 0, 0)->width, 1);
     }},
    {"generating mipmaps marks the base image until it is specified again",
     {W(kBindTexture, {kTexture2D, 5}), TexImage(kTexture2D, 0, kRgba, 1, 1, kUbyte, {1, 2, 3, 4}),
      W(kGenerateMipmap, {kTexture2D}), W(kBindTexture, {kTexture2D, 6}), TexImage(kTexture2D, 0, kRgba, 1, 1, kUbyte, {1, 2, 3, 4}),
      W(kGenerateMipmap, {kTexture2D}), TexImage(kTexture2D, 0, kRgba, 1, 1, kUbyte, {5, 6, 7, 8})},
     true,
     [](const SEs2State& s, const auto&) {
         EXPECT_EQ(Image(s, 5, 0, 0)->mipmapsGenerated, 1u);
         EXPECT_EQ(Image(s, 6, 0, 0)->mipmapsGenerated, 0u);
     }},
    {"a sub-image of a generated base leaves the levels stale until they are generated again",
     {W(kBindTexture, {kTexture2D, 5}), TexImage(kTexture2D, 0, kRgba, 1, 1, kUbyte, {1, 2, 3, 4}),
      W(kGenerateMipmap, {kTexture2D}), TexSubImage(kTexture2D, 0, 0, 0, 1, 1, kRgba, kUbyte, {9, 9, 9, 9}),
      W(kBindTexture, {kTexture2D, 6}), TexImage(kTexture2D, 0, kRgba, 1, 1, kUbyte, {1, 2, 3, 4}),
      W(kGenerateMipmap, {kTexture2D}), TexSubImage(kTexture2D, 0, 0, 0, 1, 1, kRgba, kUbyte, {9, 9, 9, 9}),
      W(kGenerateMipmap, {kTexture2D})},
     true,
     [](const SEs2State& s, const auto& r) {
         EXPECT_EQ(Image(s, 5, 0, 0)->mipmapsGenerated, kMipmapsStale);
         EXPECT_TRUE(HoldsGpuMadePixels(*Image(s, 5, 0, 0)));
         EXPECT_EQ(Image(s, 6, 0, 0)->mipmapsGenerated, kMipmapsGenerated);
         EXPECT_TRUE(r.back()) << "generating again changes the state";
     }},
    {"re-specifying an image keeps its parameters and replaces size, format and data",
     {W(kBindTexture, {kTexture2D, 5}), W(kTexParameteri, {kTexture2D, 0x2801, 0x2600}),
      TexImage(kTexture2D, 0, kRgba, 1, 1, kUbyte, {1, 2, 3, 4}), TexImage(kTexture2D, 0, kRgb, 2, 1, kUbyte, {1, 2, 3, 4, 5, 6, 0, 0})},
     true,
     [](const SEs2State& s, const auto&) {
         const STexImage& i = *Image(s, 5, 0, 0);
         EXPECT_EQ(i.minFilter, 0x2600u);
         EXPECT_EQ(i.format, kRgb);
         EXPECT_EQ(i.size, 8u);
         EXPECT_EQ(Bytes(i)[4], 5);
     }},
    {"a cube face image goes to the cube binding's face",
     {W(kBindTexture, {0x8513, 6}), TexImage(0x8518, 0, kRgba, 1, 1, kUbyte, {1, 2, 3, 4})}, true,
     [](const SEs2State& s, const auto&) {
         const STexImage* i = Image(s, 6, 0, 3);
         ASSERT_NE(i, nullptr);
         EXPECT_EQ(i->normalizedTarget, 0x8513u);
         EXPECT_EQ(i->target, 0x8518u);
     }},
    {"a sub-image reaches its own level",
     {W(kBindTexture, {kTexture2D, 5}), TexImage(kTexture2D, 2, kRgba, 1, 1, kUbyte, {0, 0, 0, 0}),
      TexSubImage(kTexture2D, 2, 0, 0, 1, 1, kRgba, kUbyte, {9, 9, 9, 9})},
     true,
     [](const SEs2State& s, const auto&) {
         EXPECT_EQ(Bytes(*Image(s, 5, 2, 0)), std::vector<uint8_t>({9, 9, 9, 9}));
         EXPECT_EQ(Image(s, 5, 0, 0)->size, 0u);
     }},
    {"a sub-image onto a compressed image is refused",
     {W(kBindTexture, {kTexture2D, 5}), {kCompressedTexImage2D, SPayload().Words({kTexture2D, 0, 0x8D64, 4, 4, 0, 8}).Ptr(0x10).U32(8).Raw({1, 2, 3, 4, 5, 6, 7, 8})},
      TexSubImage(kTexture2D, 0, 0, 0, 1, 1, kRgba, kUbyte, {9, 9, 9, 9})},
     true,
     [](const SEs2State& s, const auto& r) {
         EXPECT_FALSE(r[2]);
         EXPECT_EQ(Image(s, 5, 0, 0)->compressed, 1);
         EXPECT_EQ(Bytes(*Image(s, 5, 0, 0)), std::vector<uint8_t>({1, 2, 3, 4, 5, 6, 7, 8}));
     }},
    {"a 2x2 sub-image at (1,1) of a 4x4 RGBA image writes bytes 20-27 and 36-43",
     {W(kBindTexture, {kTexture2D, 5}), TexImage(kTexture2D, 0, kRgba, 4, 4, kUbyte, std::vector<uint8_t>(64, 0)),
      TexSubImage(kTexture2D, 0, 1, 1, 2, 2, kRgba, kUbyte, std::vector<uint8_t>(16, 7))},
     true,
     [](const SEs2State& s, const auto&) {
         const auto b = Bytes(*Image(s, 5, 0, 0));
         for (size_t i = 0; i < b.size(); ++i)
             EXPECT_EQ(b[i], (i >= 20 && i < 28) || (i >= 36 && i < 44) ? 7 : 0) << i;
     }},
    {"sub-image rows use the unpack alignment on both sides",
     // 3x2 RGB image with alignment 4: rows of 9 bytes padded to 12; a 1x2 sub-image at (1,0)
     // with alignment 4 reads its second row at byte 4.
     {W(kBindTexture, {kTexture2D, 5}), TexImage(kTexture2D, 0, kRgb, 3, 2, kUbyte, std::vector<uint8_t>(24, 0)),
      TexSubImage(kTexture2D, 0, 1, 0, 1, 2, kRgb, kUbyte, {1, 2, 3, 0, 4, 5, 6, 0})},
     true,
     [](const SEs2State& s, const auto&) {
         const auto b = Bytes(*Image(s, 5, 0, 0));
         ASSERT_EQ(b.size(), 24u);
         EXPECT_EQ(std::vector<uint8_t>(b.begin() + 3, b.begin() + 6), std::vector<uint8_t>({1, 2, 3}));
         EXPECT_EQ(std::vector<uint8_t>(b.begin() + 15, b.begin() + 18), std::vector<uint8_t>({4, 5, 6}));
     }},
    {"a sub-image beyond the image is clipped to it",
     {W(kBindTexture, {kTexture2D, 5}), TexImage(kTexture2D, 0, kRgba, 2, 2, kUbyte, std::vector<uint8_t>(16, 0)),
      TexSubImage(kTexture2D, 0, 1, 1, 4, 4, kRgba, kUbyte, std::vector<uint8_t>(64, 7))},
     true,
     [](const SEs2State& s, const auto&) {
         const auto b = Bytes(*Image(s, 5, 0, 0));
         EXPECT_EQ(std::count(b.begin(), b.end(), 7), 4);
         EXPECT_EQ(b[12], 7);
     }},
    {"an image with fewer captured bytes than its size keeps both sizes; a sub-image grows the held bytes to "
     "its last row, the gap reading zero",
     {W(kBindTexture, {kTexture2D, 5}), TexImage(kTexture2D, 0, kRgba, 2, 2, kUbyte, {1, 2, 3, 4}),
      TexImage(kTexture2D, 1, kRgba, 2, 2, kUbyte, {1, 2, 3, 4}),
      TexSubImage(kTexture2D, 1, 0, 1, 1, 1, kRgba, kUbyte, {9, 9, 9, 9})},
     true,
     [](const SEs2State& s, const auto& r) {
         const STexImage& short0 = *Image(s, 5, 0, 0);
         EXPECT_EQ(short0.size, 16u);
         EXPECT_EQ(short0.capturedSize, 4u);
         EXPECT_EQ(Bytes(short0), std::vector<uint8_t>({1, 2, 3, 4}));
         EXPECT_TRUE(r[3]);
         const STexImage& grown = *Image(s, 5, 1, 0);
         EXPECT_EQ(grown.size, 16u);
         EXPECT_EQ(Bytes(grown), std::vector<uint8_t>({1, 2, 3, 4, 0, 0, 0, 0, 9, 9, 9, 9}));
     }},
    {"a sub-image onto a level never specified adds its default image and writes nothing into it",
     {W(kBindTexture, {kTexture2D, 5}), TexSubImage(kTexture2D, 3, 0, 0, 1, 1, kRgba, kUbyte, {9, 9, 9, 9}),
      TexSubImage(kTexture2D, 0, 0, 0, 1, 1, kRgba, kUbyte, {9, 9, 9, 9})},
     true,
     [](const SEs2State& s, const auto& r) {
         EXPECT_FALSE(r[1]);
         EXPECT_FALSE(r[2]); // level 0 exists from the bind but has no size
         const STexImage* level3 = Image(s, 5, 3, 0);
         ASSERT_NE(level3, nullptr);
         EXPECT_EQ(level3->size, 0u);
         EXPECT_EQ(level3->data, nullptr);
         EXPECT_EQ(level3->minFilter, 0x2702u);
         EXPECT_EQ(level3->wrapS, 0x2901u);
         EXPECT_EQ(Image(s, 5, 0, 0)->data, nullptr);
     }},
    {"a buffer with fewer captured bytes keeps both sizes; sub-data past them grows the held bytes",
     {W(kBindBuffer, {0x8892, 3}), {kBufferData, SPayload().U32(0x8892).U32(8).Ptr(0x10).U32(2).Raw({1, 2}).U32(0x88E4)},
      {kBufferData, SPayload().U32(0x8893).U32(8).Ptr(0x10).U32(2).Raw({1, 2}).U32(0x88E4)},
      {kBufferSubData, SPayload().U32(0x8893).U32(5).U32(2).Ptr(0x10).U32(2).Raw({7, 8})}},
     true,
     [](const SEs2State& s, const auto&) {
         const SEs2Buffer& b = *s.buffers.Get(3);
         EXPECT_EQ(b.size, 8u);
         EXPECT_EQ(b.capturedSize, 2u);
         EXPECT_EQ(b.data[1], 2);
         const SEs2Buffer& e = *s.buffers.Get(0);
         ASSERT_EQ(e.capturedSize, 7u);
         EXPECT_EQ(std::vector<uint8_t>(e.data.get(), e.data.get() + 7), std::vector<uint8_t>({1, 2, 0, 0, 0, 7, 8}));
     }},
    {"RGB 565 pixels onto an RGBA image are converted; RGB bytes onto it are refused",
     {W(kBindTexture, {kTexture2D, 5}), TexImage(kTexture2D, 0, kRgba, 1, 1, kUbyte, {0, 0, 0, 0}),
      TexSubImage(kTexture2D, 0, 0, 0, 1, 1, kRgb, kUbyte, {1, 2, 3, 0}),
      TexSubImage(kTexture2D, 0, 0, 0, 1, 1, kRgb, 0x8363, {0xFF, 0xFF, 0, 0})},
     true,
     [](const SEs2State& s, const auto& r) {
         EXPECT_FALSE(r[2]);
         EXPECT_EQ(Bytes(*Image(s, 5, 0, 0))[3], 255);
     }},
};

class Es2State : public testing::TestWithParam<SStateCase> {};

TEST_P(Es2State, SequenceGivesFields)
{
    SEs2State state;
    const SApplied applied = Apply(GetParam().calls, &state, GetParam().data);
    GetParam().check(state, applied.results);
}

INSTANTIATE_TEST_SUITE_P(Cases, Es2State, testing::ValuesIn(kCases),
                         [](const auto& info) { return CaseName(info.param.what); });

} // namespace

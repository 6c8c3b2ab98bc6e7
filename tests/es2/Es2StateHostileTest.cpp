// State effects over bad input (run under ASan/UBSan): units past the binding slots, buffer and
// image writes outside their objects, images claiming more than was captured or than any device
// holds. Each must stay inside what the state and the call records own.
#include "Es2StateCalls.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace es2test;
using namespace es2calls;

namespace {

TEST(Es2StateHostile, WritesStayInsideTheirObjects)
{
    const std::vector<SCall> sequence = {
        W(kActiveTexture, {kTex0 + 1000}),
        {kDeleteTextures, SPayload().U32(4).Array(0x10, {1, 2, 3, 4})},
        W(kActiveTexture, {0xFFFFFFFF}),
        W(kBindTexture, {kTexture2D, 1}),
        W(kActiveTexture, {kTex0}),
        W(kBindTexture, {kTexture2D, 1}),
        {kBufferSubData, SPayload().U32(0x8892).U32(0).U32(64).Ptr(0x10).U32(4).Words({1})},           // unknown buffer
        W(kBindBuffer, {0x8892, 3}),
        {kBufferData, SPayload().U32(0x8892).U32(8).Ptr(0x10).U32(2).Raw({1, 2}).U32(0x88E4)},            // fewer bytes
        {kBufferSubData, SPayload().U32(0x8892).U32(6).U32(64).Ptr(0x10).U32(8).Raw(std::vector<uint8_t>(8, 9))},
        {kBufferSubData, SPayload().U32(0x8892).U32(uint32_t(-4)).U32(4).Ptr(0x10).U32(4).Words({1})},   // negative offset
        {kBufferData, SPayload().U32(0x8892).U32(0x7FFFFFFF).Ptr(0x10).U32(4).Words({1}).U32(0x88E4)},   // huge size
        TexImage(kTexture2D, 0, kRgba, 100000, 100000, kUbyte, {1, 2, 3, 4}),                            // huge image
        TexSubImage(kTexture2D, 0, 99990, 99990, 20, 20, kRgba, kUbyte, std::vector<uint8_t>(16, 1)),
        TexImage(kTexture2D, 0, kRgba, 4096, 4096, kUbyte, {1, 2, 3, 4}),                                // 64 MiB claimed
        TexImage(kTexture2D, 1, kRgba, 4, 4, kUbyte, {1, 2, 3, 4}),                                      // 64 bytes claimed
        TexSubImage(kTexture2D, 1, -2, -2, 8, 8, kRgba, kUbyte, std::vector<uint8_t>(256, 5)),           // around the image
        TexSubImage(kTexture2D, 1, 0, 0, 4, 4, kRgba, kUbyte, std::vector<uint8_t>(40, 8)),              // short
        TexSubImage(kTexture2D, 1, 3, 3, 0x7FFFFFFF, 0x7FFFFFFF, kRgba, kUbyte, std::vector<uint8_t>(16, 6)),
        TexSubImage(kTexture2D, 1, 0, -0x60000000, 0x7FFFFFFF, 0x7FFFFFFF, kRgba, kUbyte, std::vector<uint8_t>(16, 4)),
        TexSubImage(kTexture2D, 1, 0, 0, 4, 4, kRgb, 0x8363, std::vector<uint8_t>(8, 7)),                // too few to convert
        {kUniform3fv, SPayload().U32(uint32_t(-1)).U32(1000).Ptr(0x10).U32(1).Raw(std::vector<uint8_t>(12, 0))},
        {kUniform3fv, SPayload().U32(0).U32(0x7FFFFFFF).Ptr(0x10).U32(1).Raw(std::vector<uint8_t>(12, 0))},
        W(kUseProgram, {4}),
        W(kDeleteProgram, {4}),
        {kUniform4f, SPayload().U32(0).F(1).F(2).F(3).F(4)},
        W(kUseProgram, {0}),
        {kTexParameterf, SPayload().U32(kTexture2D).U32(0x2800).F(1e30f)},                             // no GLint holds it
        {kTexParameterf, SPayload().U32(kTexture2D).U32(0x2801).F(std::nanf(""))},
    };
    SEs2State state;
    const SApplied applied = Apply(sequence, &state);
    EXPECT_EQ(state.textureUnitCount, 1u);
    const SEs2Buffer& b = *state.buffers.Get(3);
    EXPECT_EQ(b.size, 0x7FFFFFFFu);
    EXPECT_EQ(b.capturedSize, 4u) << "a claimed size beyond the capture holds only the captured bytes";
    const auto& level0 = *state.textures.Get(1)->Get(0)->Get(0);
    EXPECT_EQ(level0.size, 64u << 20);
    EXPECT_EQ(level0.capturedSize, 4u);
    EXPECT_FALSE(applied.results[13]) << "a sub-image onto an image no device could hold writes nothing";
    const auto& level1 = *state.textures.Get(1)->Get(1)->Get(0);
    ASSERT_NE(level1.data, nullptr);
    EXPECT_EQ(level1.capturedSize, 64u);
    EXPECT_EQ(level1.data[0], 8);  // the rows the short sub-image carried
    EXPECT_EQ(level1.data[47], 5); // the rest from the sub-image around the image
    EXPECT_EQ(level1.data[63], 6); // the one pixel of the huge sub-image inside the image
    EXPECT_FALSE(applied.results[19]) << "rows far past 64-bit offsets into the update hold no bytes";
    EXPECT_EQ(state.uniforms.Get(0)->Get(0)->floats.size(), 3u);
    EXPECT_EQ(state.deleteUsedProgram, 0);
    EXPECT_EQ(level0.magFilter, uint32_t(INT32_MAX)) << "an out-of-range float parameter is clamped";
    EXPECT_EQ(level0.minFilter, 0u);
}

} // namespace

// Initial values of the three state records, and what copying shares and what it duplicates.
#include <gtest/gtest.h>

#include "state/EglState.h"
#include "state/Es1State.h"
#include "state/Es2State.h"

TEST(Es2State, InitialValues)
{
    const SEs2State s;
    EXPECT_EQ(s.textureUnitCount, 1u);
    EXPECT_EQ(s.activeTexture, 0x84C0u);
    EXPECT_EQ(s.blendEquationRgb, 0x8006u);
    EXPECT_EQ(s.blendEquationAlpha, 0x8006u);
    EXPECT_EQ(s.blendSrcRgb, 1u);
    EXPECT_EQ(s.blendDstAlpha, 0u);
    EXPECT_EQ(s.cullFaceMode, 0x0405u);
    EXPECT_EQ(s.depthFunc, 0x0201u);
    EXPECT_EQ(s.frontFace, 0x0901u);
    EXPECT_EQ(s.generateMipmapHint, 0x1100u);
    EXPECT_EQ(s.packAlignment, 4);
    EXPECT_EQ(s.unpackAlignment, 4);
    EXPECT_EQ(s.depthRangeNear, 0.0f);
    EXPECT_EQ(s.depthRangeFar, 1.0f);
    EXPECT_EQ(s.clearDepth, 1.0f);
    EXPECT_EQ(s.sampleCoverageValue, 1.0f);
    EXPECT_EQ(s.sampleCoverageInvert, 0);
    EXPECT_EQ(s.depthMask, 1);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(s.colorMask[i], 1);
    for (int f = 0; f < 2; ++f) {
        EXPECT_EQ(s.stencilValueMask[f], 0xFFFFFFFFu);
        EXPECT_EQ(s.stencilWriteMask[f], 0xFFFFFFFFu);
        EXPECT_EQ(s.stencilFunc[f], 0x0207u);
        EXPECT_EQ(s.stencilRef[f], 0);
        EXPECT_EQ(s.stencilFail[f], 0x1E00u);
        EXPECT_EQ(s.stencilPassDepthFail[f], 0x1E00u);
        EXPECT_EQ(s.stencilPassDepthPass[f], 0x1E00u);
    }
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(s.capabilities[i], kEs2Capabilities[i] == 0x0BD0 ? 1 : 0) << i;
    EXPECT_EQ(s.shaderCompilerReleased, 1);
    EXPECT_EQ(s.buffers.Capacity(), 10);
    EXPECT_EQ(s.textures.Count(), 0);
    SEs2State fresh;
    EXPECT_EQ(fresh.textures[3][0][0].minFilter, 0x2702u);  // new image records carry the GL filter defaults
    EXPECT_EQ(fresh.textures[3][0][0].wrapT, 0x2901u);
}

namespace {
SEs2State StateWithCapturedBytes(SharedBytes buffer, SharedBytes image)
{
    SEs2State s;
    SEs2Buffer& b = s.buffers[4];
    b.name = 4;
    b.data = std::move(buffer);
    b.size = 16;
    STexImage& img = s.textures[7][0][0];
    img.texture = 7;
    img.data = std::move(image);
    img.size = 64;
    SEs2Uniform& u = s.uniforms[2][0];
    u.name = "u_color";
    u.floats = {1, 2, 3, 4};
    s.blendSrcRgb = 0x0302;
    return s;
}
}  // namespace

TEST(Es2State, CopySharesCapturedBytesAndDuplicatesTheRest)
{
    const uint8_t raw[64] = {1, 2, 3};
    SharedBytes buffer = CopyBytes(raw, 16), image = CopyBytes(raw, 64);
    const uint8_t* bufferBytes = buffer.get();
    auto running = std::make_unique<SEs2State>(StateWithCapturedBytes(buffer, image));
    {
        SEs2State snapshot;
        snapshot.programs[1].linked = 1;  // leaves with the assignment
        snapshot = *running;
        EXPECT_EQ(snapshot.programs.Count(), 0);
        EXPECT_EQ(snapshot.blendSrcRgb, 0x0302u);
        EXPECT_EQ(snapshot.buffers[4].data.get(), bufferBytes);  // same bytes, not a copy
        EXPECT_EQ(buffer.use_count(), 3);                          // ours, running's, snapshot's
        EXPECT_EQ(snapshot.textures[7][0][0].data.get(), image.get());
        running->uniforms[2][0].name = "changed";
        running->uniforms[2][0].floats[0] = 9;
        EXPECT_STREQ(snapshot.uniforms[2][0].name.CStr(), "u_color");
        EXPECT_EQ(snapshot.uniforms[2][0].floats[0], 1.0f);
        // The owner going first leaves the snapshot's bytes alive.
        running.reset();
        EXPECT_EQ(snapshot.buffers[4].data[2], 3);
        EXPECT_EQ(buffer.use_count(), 2);
    }
    EXPECT_EQ(buffer.use_count(), 1);  // destroying the copy released its share, nothing leaked
}

TEST(Es2State, SelfAssignmentChangesNothing)
{
    const uint8_t raw[16] = {5};
    SEs2State s = StateWithCapturedBytes(CopyBytes(raw, 16), nullptr);
    SEs2State& alias = s;
    s = alias;
    EXPECT_EQ(s.buffers.Count(), 1);
    EXPECT_EQ(s.buffers[4].data[0], 5);
    EXPECT_STREQ(s.uniforms[2][0].name.CStr(), "u_color");
}

TEST(Es2State, PartialUpdateCopiesBeforeWriting)
{
    const uint8_t raw[4] = {1, 2, 3, 4};
    SEs2State running;
    running.buffers[1].data = CopyBytes(raw, 4);
    running.buffers[1].size = 4;
    SEs2State snapshot = running;
    // What a sub-data update does: a new block for the running state only.
    SEs2Buffer& b = running.buffers[1];
    auto block = MutableCopy(b.data, b.size, b.size);
    block[0] = 9;
    b.data = std::move(block);
    EXPECT_EQ(snapshot.buffers[1].data[0], 1);
    EXPECT_EQ(running.buffers[1].data[0], 9);
    EXPECT_EQ(running.buffers[1].data[3], 4);
}

TEST(Es1State, InitialValues)
{
    const SEs1State s;
    for (uint8_t c : s.capabilities)
        EXPECT_EQ(c, 0);
    EXPECT_EQ(s.textureUnitCount, 1u);
    EXPECT_EQ(s.activeTexture, 0x84C0u);
    EXPECT_EQ(s.clientActiveTexture, 0x84C0u);
    EXPECT_EQ(s.alphaFunc, 0x0207u);
    EXPECT_EQ(s.alphaRef, 0.0f);
    EXPECT_EQ(s.matrixMode, 0x1700u);
    for (uint32_t d : s.matrixStackDepth)
        EXPECT_EQ(d, 1u);
    EXPECT_EQ(s.fogParams[0], 2048.0f);
    EXPECT_EQ(s.fogParams[1], 1.0f);
    EXPECT_EQ(s.fogParams[3], 1.0f);
    EXPECT_EQ(s.stencilValueMask, 0x0FFFFFFFu);
    EXPECT_EQ(s.stencilWriteMask, 0x0FFFFFFFu);
    EXPECT_EQ(s.stencilFail, 0u);
    EXPECT_EQ(s.pointParams[1][0], 63.77f);
    EXPECT_EQ(s.material[2][3], 1.1f);
    EXPECT_EQ(s.material[1][0], 0.8f);
    // Light 0 has the GL defaults, light 1 is all zero.
    EXPECT_EQ(s.lights[0][1][0], 1.0f);  // diffuse
    EXPECT_EQ(s.lights[0][6][0], 180.0f);  // spot cutoff
    EXPECT_EQ(s.lights[0][7][0], 1.0f);  // constant attenuation
    EXPECT_EQ(s.lights[1][1][0], 0.0f);
    EXPECT_EQ(s.lights[1][7][0], 0.0f);
    EXPECT_EQ(s.paletteStackBase, 1u);
    SEs1State fresh;
    const SEs1VertexArray& vao = fresh.vertexArrays[0];
    EXPECT_EQ(vao.color.size, 4);
    EXPECT_EQ(vao.matrixIndex.type, 0x1401u);
    EXPECT_EQ(vao.texCoord[0].size, 0);
}

TEST(Es1State, CopiedLevelsShareBytesAndStampsTravel)
{
    const uint8_t raw[8] = {};
    SEs1State s;
    s.textureImageStamp = 70000;  // frame numbers are not cut to 16 bits
    for (uint32_t level = 0; level < 3; ++level) {
        s.textures[5][level].data = CopyBytes(raw, 8);
        s.textures[5][level].size = 8;
    }
    SEs1State copy;
    copy = s;
    EXPECT_EQ(copy.textureImageStamp, 70000u);
    ASSERT_EQ(copy.textures[5].Count(), 3);
    for (uint32_t level = 0; level < 3; ++level)
        EXPECT_EQ(copy.textures[5][level].data.get(), s.textures[5][level].data.get());
}

TEST(EglState, AttributeListCopyStopsAtAnEvenTerminator)
{
    struct Case { std::vector<uint32_t> list; uint32_t count; };
    const Case cases[] = {
        {{0x3098, 2, 0x3038}, 3},
        {{0x3098, 0x3038, 0x3038}, 3},       // a value equal to EGL_NONE does not end the list
        {{0x3038, 1, 2}, 1},
        {{0x3098, 2, 0x3099, 3}, 4},         // no terminator: kept as recorded, never read past the end
        {{}, 0},
    };
    for (const Case& c : cases) {
        const SEglAttribArray a(c.list.empty() ? nullptr : c.list.data(), c.list.size());
        EXPECT_EQ(a.Count(), c.count);
        EXPECT_EQ(a.Values() == nullptr, c.count == 0);
    }
}

TEST(EglState, CopyIsIndependentAndDisplaysStartWithSwapInterval1)
{
    const uint32_t attribs[] = {0x3098, 2, 0x3099, 1, 0x3038};
    auto src = std::make_unique<SEglState>();
    SEglContext& ctx = src->contexts[0x10];
    ctx.context = 0x10;
    ctx.attributes = SEglAttribArray(attribs, 5);
    src->surfaces[0x20].window = {0x30, 640, 480};
    src->currentContext = 0x10;
    src->currentApi = 0x30A0;
    EXPECT_EQ(src->displays[1].swapInterval, 1u);
    EXPECT_EQ(src->displays[1].initialized, 0);

    SEglState copy;
    copy = *src;
    src.reset();
    ASSERT_EQ(copy.contexts.Count(), 1);
    EXPECT_EQ(copy.contexts[0x10].attributes.Count(), 5u);
    EXPECT_EQ(copy.contexts[0x10].attributes[2], 0x3099u);
    EXPECT_EQ(copy.surfaces[0x20].window.width, 640u);
    EXPECT_EQ(copy.currentContext, 0x10u);
    EXPECT_EQ(copy.currentApi, 0x30A0u);
    SEglState& alias = copy;
    copy = alias;
    EXPECT_EQ(copy.contexts[0x10].attributes.Count(), 5u);
    EXPECT_EQ(copy.displays.Count(), 1);
}

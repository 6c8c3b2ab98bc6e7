#pragma once
// The tracked OpenGL ES 1.1 state of one context. Initial values follow what the recorder's
// reference state used, not all of them the GL defaults (stencil masks 0x0FFFFFFF, stencil
// actions 0, dither off, point size maximum 63.77, specular/emission alpha 1.1).
#include <array>
#include <cstdint>
#include <vector>

#include "state/FramebufferObjects.h"
#include "state/ObjectTable.h"
#include "state/SharedBytes.h"
#include "state/TexImage.h"

struct SEs1Buffer
{
    uint32_t name = 0;
    uint32_t target = 0;
    SharedBytes data;           // null, or valid for `capturedSize` bytes
    uint32_t size = 0;          // as the call declared it
    uint32_t capturedSize = 0;  // bytes held in data (<= size): readers never go past it
    uint32_t usage = 0;
};

struct SEs1ClientArray
{
    uint32_t buffer = 0;  // GL_ARRAY_BUFFER binding at the pointer call
    int32_t size = 0;
    uint32_t type = 0;
    int32_t stride = 0;
    uint64_t pointer = 0;
};

inline constexpr int kEs1Units = 32;
inline constexpr int kEs1MatrixStacks = 43;
// Entries a stack keeps below its top: GL stacks hold far fewer, so only a trace that records
// overflowing pushes as successful goes past it, and its deeper entries then keep no contents.
inline constexpr size_t kEs1MatrixStackLimit = 64;

using SEs1Matrix = std::array<float, 16>;  // column-major, as GL takes and gives it
inline constexpr SEs1Matrix kEs1Identity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

// One matrix stack: its top, and the entries pushed below it, bottom first. The top lives apart
// so that a state with only top matrices copies without allocating.
struct SEs1MatrixStack
{
    SEs1Matrix top = kEs1Identity;
    std::vector<SEs1Matrix> below;
};

// Client arrays of one vertex-array object.
struct SEs1VertexArray
{
    SEs1ClientArray color{0, 4, 0x1406, 0, 0};   // GL_FLOAT
    SEs1ClientArray vertex{0, 4, 0x1406, 0, 0};
    SEs1ClientArray normal{0, 0, 0x1406, 0, 0};
    SEs1ClientArray pointSize{0, 0, 0x1406, 0, 0};
    SEs1ClientArray matrixIndex{0, 1, 0x1401, 0, 0};  // GL_UNSIGNED_BYTE
    SEs1ClientArray weight{0, 1, 0x1406, 0, 0};
    SEs1ClientArray texCoord[kEs1Units] = {};
    uint8_t enabled[6] = {};  // in the order of kEs1ClientStates
    uint32_t elementArrayBuffer = 0;
};

inline constexpr uint32_t kEs1Capabilities[35] = {
    0x0BC0, 0x0BE2, 0x3000, 0x3001, 0x3002, 0x3003, 0x3004, 0x3005, 0x0BF2, 0x0B57, 0x0B44, 0x0B71,
    0x0BD0, 0x0B60, 0x4000, 0x4001, 0x4002, 0x4003, 0x4004, 0x4005, 0x4006, 0x4007, 0x0B50, 0x0B20,
    0x809D, 0x0BA1, 0x0B10, 0x8861, 0x8037, 0x803A, 0x809E, 0x809F, 0x0C11, 0x0B90, 0x8840,
};
inline constexpr uint32_t kEs1Hints[5] = {0x0C54, 0x8192, 0x0C52, 0x0C50, 0x0C51};
inline constexpr uint32_t kEs1LightParams[10] = {0x1200, 0x1201, 0x1202, 0x1203, 0x1204,
                                                 0x1205, 0x1206, 0x1207, 0x1208, 0x1209};
inline constexpr uint32_t kEs1MaterialParams[5] = {0x1200, 0x1201, 0x1202, 0x1600, 0x1601};
inline constexpr uint32_t kEs1TexEnvParams[15] = {0x2200, 0x8571, 0x8572, 0x8580, 0x8581,
                                                  0x8582, 0x8588, 0x8589, 0x858A, 0x8590,
                                                  0x8591, 0x8592, 0x8598, 0x8599, 0x859A};
inline constexpr uint32_t kEs1FogParams[4] = {0x0B65, 0x0B62, 0x0B63, 0x0B64};
inline constexpr uint32_t kEs1PointParams[4] = {0x8126, 0x8127, 0x8128, 0x8129};
inline constexpr uint32_t kEs1ClientStates[6] = {0x8076, 0x8075, 0x8074, 0x8B9C, 0x8844, 0x86AD};

// Index of value in one of the tables above, or -1.
template <size_t N>
constexpr int Es1TableIndex(const uint32_t (&table)[N], uint32_t value)
{
    for (size_t i = 0; i < N; ++i)
        if (table[i] == value)
            return static_cast<int>(i);
    return -1;
}

struct SEs1State
{
    SEs1State();
    SEs1State(const SEs1State&) = default;
    SEs1State& operator=(const SEs1State&) = default;

    // Change stamps: the frame number of the last update of each group.
    uint32_t textureImageStamp = 0;
    uint32_t textureBindStamp = 0;
    uint32_t capabilityStamp = 0;
    uint32_t bufferStamp = 0;
    uint32_t lightingStamp = 0;

    uint32_t textureUnitCount = 1;
    uint32_t activeTexture = 0x84C0;  // GL_TEXTURE0
    uint32_t alphaFunc = 0x0207;      // GL_ALWAYS
    float alphaRef = 0.0f;
    uint32_t arrayBufferBinding = 0;
    uint32_t texture2DBinding[kEs1Units] = {};
    uint32_t blendSrc = 1;  // GL_ONE
    uint32_t blendDst = 0;  // GL_ZERO
    CObjectTable<SEs1Buffer> buffers;
    float clearColor[4] = {0, 0, 0, 0};
    float clearDepth = 1.0f;
    int32_t clearStencil = 0;
    uint32_t clientActiveTexture = 0x84C0;
    uint32_t clipPlane = 0;
    float clipPlaneEquations[6][4] = {};
    float currentColor[4] = {1, 1, 1, 1};
    uint8_t colorMask[4] = {1, 1, 1, 1};
    uint32_t cullFaceMode = 0x0405;  // GL_BACK
    uint32_t depthFunc = 0x0201;     // GL_LESS
    uint8_t depthMask = 1;
    float depthRangeNear = 0.0f;
    float depthRangeFar = 1.0f;
    uint8_t capabilities[35] = {};
    uint8_t texture2DEnabled[kEs1Units] = {};
    float fogParams[4] = {2048.0f, 1.0f, 0.0f, 1.0f};  // mode GL_EXP, density, start, end
    float fogColor[4] = {0, 0, 0, 0};
    uint32_t frontFace = 0x0901;  // GL_CCW
    uint32_t hints[5] = {0x1100, 0x1100, 0x1100, 0x1100, 0x1100};
    float lights[8][10][4] = {};
    uint8_t lightModelTwoSide = 0;
    float lightModelAmbient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
    float lineWidth = 1.0f;
    uint32_t logicOp = 0x1503;  // GL_COPY
    float material[5][4] = {{0.2f, 0.2f, 0.2f, 1.0f},
                            {0.8f, 0.8f, 0.8f, 1.0f},
                            {0.0f, 0.0f, 0.0f, 1.1f},
                            {0.0f, 0.0f, 0.0f, 1.1f},
                            {0.0f, 0.0f, 0.0f, 0.0f}};
    uint32_t matrixMode = 0x1700;  // GL_MODELVIEW
    // 0 modelview, 1 projection, 2 + palette matrix, 2 + paletteStackBase + texture unit.
    uint32_t matrixStackDepth[kEs1MatrixStacks];
    SEs1MatrixStack matrixStacks[kEs1MatrixStacks];  // the same order
    float currentTexCoord[kEs1Units][4];
    float currentNormal[3] = {0, 0, 1};
    int32_t packAlignment = 4;
    int32_t unpackAlignment = 4;
    float pointParams[4][3] = {{0.0f, 0, 0}, {63.77f, 0, 0}, {1.0f, 0, 0}, {0.0f, 0, 0}};
    float pointSize = 1.0f;
    float polygonOffsetFactor = 0.0f;
    float polygonOffsetUnits = 0.0f;
    float sampleCoverageValue = 1.0f;
    uint8_t sampleCoverageInvert = 0;
    int32_t scissorBox[4] = {0, 0, 0, 0};
    uint32_t shadeModel = 0x1D01;  // GL_SMOOTH
    uint32_t stencilFunc = 0x0207;
    int32_t stencilRef = 0;
    uint32_t stencilValueMask = 0x0FFFFFFF;
    uint32_t stencilWriteMask = 0x0FFFFFFF;
    uint32_t stencilFail = 0;
    uint32_t stencilPassDepthFail = 0;
    uint32_t stencilPassDepthPass = 0;
    uint32_t texEnv[kEs1Units][15] = {};
    float texEnvScale[kEs1Units][2] = {};
    float texEnvColor[kEs1Units][4] = {};
    uint32_t coordReplace[kEs1Units] = {};
    CObjectTable<CObjectTable<STexImage>> textures;  // texture name -> mip level
    int32_t viewport[4] = {0, 0, 0, 0};
    uint32_t vertexArrayBinding = 0;
    CObjectTable<SEs1VertexArray> vertexArrays;
    // Objects of the framebuffer-object extension, kept as the ES 2.0 state keeps its own.
    CObjectTable<SEs2Framebuffer> framebuffers;
    uint32_t framebufferBinding = 0;
    CObjectTable<SEs2Renderbuffer> renderbuffers;
    uint32_t renderbufferBinding = 0;
    uint32_t paletteStackBase = 1;
    uint32_t currentPaletteMatrix = 0;
};

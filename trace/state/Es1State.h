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
#include "values/GlTokens.h"

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
    SEs1ClientArray color{0, 4, gltoken::FLOAT, 0, 0};
    SEs1ClientArray vertex{0, 4, gltoken::FLOAT, 0, 0};
    SEs1ClientArray normal{0, 0, gltoken::FLOAT, 0, 0};
    SEs1ClientArray pointSize{0, 0, gltoken::FLOAT, 0, 0};
    SEs1ClientArray matrixIndex{0, 1, gltoken::UNSIGNED_BYTE, 0, 0};
    SEs1ClientArray weight{0, 1, gltoken::FLOAT, 0, 0};
    SEs1ClientArray texCoord[kEs1Units] = {};
    uint8_t enabled[6] = {};  // in the order of kEs1ClientStates
    uint32_t elementArrayBuffer = 0;
};

inline constexpr uint32_t kEs1Capabilities[35] = {
    gltoken::ALPHA_TEST, gltoken::BLEND, gltoken::CLIP_PLANE0, gltoken::CLIP_PLANE1, gltoken::CLIP_PLANE2,
    gltoken::CLIP_PLANE3, gltoken::CLIP_PLANE4, gltoken::CLIP_PLANE5, gltoken::COLOR_LOGIC_OP,
    gltoken::COLOR_MATERIAL, gltoken::CULL_FACE, gltoken::DEPTH_TEST, gltoken::DITHER, gltoken::FOG,
    gltoken::LIGHT0, gltoken::LIGHT1, gltoken::LIGHT2, gltoken::LIGHT3, gltoken::LIGHT4, gltoken::LIGHT5,
    gltoken::LIGHT6, gltoken::LIGHT7, gltoken::LIGHTING, gltoken::LINE_SMOOTH, gltoken::MULTISAMPLE,
    gltoken::NORMALIZE, gltoken::POINT_SMOOTH, gltoken::POINT_SPRITE_OES, gltoken::POLYGON_OFFSET_FILL,
    gltoken::RESCALE_NORMAL, gltoken::SAMPLE_ALPHA_TO_COVERAGE, gltoken::SAMPLE_ALPHA_TO_ONE,
    gltoken::SCISSOR_TEST, gltoken::STENCIL_TEST,
    0x8840,  // GL_MATRIX_PALETTE_OES: listings print the matrix palette's values as numbers, so no name row
};
inline constexpr uint32_t kEs1Hints[5] = {gltoken::FOG_HINT, gltoken::GENERATE_MIPMAP_HINT, gltoken::LINE_SMOOTH_HINT,
                                          gltoken::PERSPECTIVE_CORRECTION_HINT, gltoken::POINT_SMOOTH_HINT};
inline constexpr uint32_t kEs1LightParams[10] = {
    gltoken::AMBIENT, gltoken::DIFFUSE, gltoken::SPECULAR, gltoken::POSITION, gltoken::SPOT_DIRECTION,
    gltoken::SPOT_EXPONENT, gltoken::SPOT_CUTOFF, gltoken::CONSTANT_ATTENUATION, gltoken::LINEAR_ATTENUATION,
    gltoken::QUADRATIC_ATTENUATION};
inline constexpr uint32_t kEs1MaterialParams[5] = {gltoken::AMBIENT, gltoken::DIFFUSE, gltoken::SPECULAR,
                                                   gltoken::EMISSION, gltoken::SHININESS};
inline constexpr uint32_t kEs1TexEnvParams[15] = {
    gltoken::TEXTURE_ENV_MODE, gltoken::COMBINE_RGB, gltoken::COMBINE_ALPHA, gltoken::SRC0_RGB, gltoken::SRC1_RGB,
    gltoken::SRC2_RGB, gltoken::SRC0_ALPHA, gltoken::SRC1_ALPHA, gltoken::SRC2_ALPHA, gltoken::OPERAND0_RGB,
    gltoken::OPERAND1_RGB, gltoken::OPERAND2_RGB, gltoken::OPERAND0_ALPHA, gltoken::OPERAND1_ALPHA,
    gltoken::OPERAND2_ALPHA};
inline constexpr uint32_t kEs1FogParams[4] = {gltoken::FOG_MODE, gltoken::FOG_DENSITY, gltoken::FOG_START,
                                              gltoken::FOG_END};
inline constexpr uint32_t kEs1PointParams[4] = {gltoken::POINT_SIZE_MIN, gltoken::POINT_SIZE_MAX,
                                                gltoken::POINT_FADE_THRESHOLD_SIZE,
                                                gltoken::POINT_DISTANCE_ATTENUATION};
// The matrix index and weight arrays (GL_MATRIX_INDEX_ARRAY_OES, GL_WEIGHT_ARRAY_OES) have no name row either.
inline constexpr uint32_t kEs1ClientStates[6] = {gltoken::COLOR_ARRAY, gltoken::NORMAL_ARRAY, gltoken::VERTEX_ARRAY,
                                                 gltoken::POINT_SIZE_ARRAY_OES, 0x8844, 0x86AD};

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
    uint32_t activeTexture = gltoken::TEXTURE0;
    uint32_t alphaFunc = gltoken::ALWAYS;
    float alphaRef = 0.0f;
    uint32_t arrayBufferBinding = 0;
    uint32_t texture2DBinding[kEs1Units] = {};
    uint32_t blendSrc = 1;  // GL_ONE
    uint32_t blendDst = 0;  // GL_ZERO
    CObjectTable<SEs1Buffer> buffers;
    float clearColor[4] = {0, 0, 0, 0};
    float clearDepth = 1.0f;
    int32_t clearStencil = 0;
    uint32_t clientActiveTexture = gltoken::TEXTURE0;
    uint32_t clipPlane = 0;
    float clipPlaneEquations[6][4] = {};
    float currentColor[4] = {1, 1, 1, 1};
    uint8_t colorMask[4] = {1, 1, 1, 1};
    uint32_t cullFaceMode = gltoken::BACK;
    uint32_t depthFunc = gltoken::LESS;
    uint8_t depthMask = 1;
    float depthRangeNear = 0.0f;
    float depthRangeFar = 1.0f;
    uint8_t capabilities[35] = {};
    uint8_t texture2DEnabled[kEs1Units] = {};
    float fogParams[4] = {2048.0f, 1.0f, 0.0f, 1.0f};  // mode GL_EXP, density, start, end
    float fogColor[4] = {0, 0, 0, 0};
    uint32_t frontFace = gltoken::CCW;
    uint32_t hints[5] = {gltoken::DONT_CARE, gltoken::DONT_CARE, gltoken::DONT_CARE, gltoken::DONT_CARE,
                         gltoken::DONT_CARE};
    float lights[8][10][4] = {};
    uint8_t lightModelTwoSide = 0;
    float lightModelAmbient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
    float lineWidth = 1.0f;
    uint32_t logicOp = gltoken::COPY;
    float material[5][4] = {{0.2f, 0.2f, 0.2f, 1.0f},
                            {0.8f, 0.8f, 0.8f, 1.0f},
                            {0.0f, 0.0f, 0.0f, 1.1f},
                            {0.0f, 0.0f, 0.0f, 1.1f},
                            {0.0f, 0.0f, 0.0f, 0.0f}};
    uint32_t matrixMode = gltoken::MODELVIEW;
    // 0 modelview, 1 projection, 2 + palette matrix, 2 + paletteStackBase + texture unit.
    uint32_t matrixStackDepth[kEs1MatrixStacks];
    SEs1MatrixStack matrixStacks[kEs1MatrixStacks];  // the same order
    float currentTexCoord[kEs1Units][4];
    float currentNormal[3] = {0, 0, 1};
    int32_t packAlignment = 4;
    int32_t unpackAlignment = 4;
    // GL_UNPACK_ROW_LENGTH_EXT, GL_UNPACK_SKIP_ROWS_EXT, GL_UNPACK_SKIP_PIXELS_EXT, where a trace records them
    int32_t unpackRowLength = 0;
    int32_t unpackSkipRows = 0;
    int32_t unpackSkipPixels = 0;
    float pointParams[4][3] = {{0.0f, 0, 0}, {63.77f, 0, 0}, {1.0f, 0, 0}, {0.0f, 0, 0}};
    float pointSize = 1.0f;
    float polygonOffsetFactor = 0.0f;
    float polygonOffsetUnits = 0.0f;
    float sampleCoverageValue = 1.0f;
    uint8_t sampleCoverageInvert = 0;
    int32_t scissorBox[4] = {0, 0, 0, 0};
    uint32_t shadeModel = gltoken::SMOOTH;
    uint32_t stencilFunc = gltoken::ALWAYS;
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

#pragma once
// The tracked OpenGL ES 2.0 state of one context: fixed-function state plus the object tables
// of what the traced application created. The trace keeps one running state and copies it at
// every frame cut; a copy shares the object tables until one side changes them (ObjectTable.h)
// and shares captured bytes always.
#include <cstdint>
#include <vector>

#include "XQFTString.h"
#include "state/FramebufferObjects.h"
#include "state/ObjectTable.h"
#include "state/SharedBytes.h"
#include "state/TexImage.h"
#include "values/GlTokens.h"

struct SEs2Buffer
{
    uint32_t name = 0;
    uint32_t target = 0;  // GL_ARRAY_BUFFER or GL_ELEMENT_ARRAY_BUFFER at glBufferData
    SharedBytes data;     // null, or valid for `capturedSize` bytes
    uint32_t size = 0;    // as the call declared it
    uint32_t capturedSize = 0;  // bytes held in data (<= size): a short capture keeps only what it carried
    uint32_t usage = 0;
};

struct SEs2Shader
{
    uint32_t name = 0;
    uint32_t type = 0;             // GL_VERTEX_SHADER or GL_FRAGMENT_SHADER
    const char* source = nullptr;  // joined text owned by the glShaderSource call, which lives as long as the trace
    uint8_t compiled = 0;
    uint8_t deletePending = 0;
    uint8_t attached = 0;
};

// Whether a glCreateShader made a shader: one that returned 0 failed on the device (with or without
// an error to read), and the tracked state and the replay both pass it over.
inline bool ShaderCreated(uint32_t returned)
{
    return returned != 0;
}

struct SEs2Program
{
    uint32_t name = 0;
    uint32_t vertexShader = 0;
    uint32_t fragmentShader = 0;
    uint8_t linked = 0;
};

struct SEs2Uniform
{
    uint32_t program = 0;
    int32_t location = 0;
    CXQFTString name;
    uint32_t components = 0;  // 1-4 for vectors; 4, 9, 16 for matrices
    uint32_t kind = 0;        // 0 integer, 1 float, 2 float matrix
    std::vector<float> floats;
    std::vector<int32_t> ints;
};

struct SEs2Attribute
{
    uint32_t index = 0;
    uint8_t boundByName = 0;  // set by glBindAttribLocation
    CXQFTString name;
    uint32_t components = 0;
    std::vector<float> values;
};

struct SEs2VertexAttribPointer
{
    uint32_t normalized = 0;
    uint32_t buffer = 0;   // GL_ARRAY_BUFFER binding at the glVertexAttribPointer call
    int32_t size = 0;
    uint32_t type = 0;
    int32_t stride = 0;
    uint64_t pointer = 0;  // recorded client pointer or buffer offset
};

struct SEs2VertexArray
{
    CObjectTable<SEs2VertexAttribPointer> pointers;  // key = attribute index
    uint32_t elementArrayBuffer = 0;
    // Objects other than the default one: attribute index -> enabled (only the first byte is used).
    // The default object's are SEs2State::vertexAttribArrayEnabled.
    CObjectTable<unsigned int> enabled;
};

// glEnable/glDisable capabilities, in the order of SEs2State::capabilities.
inline constexpr uint32_t kEs2Capabilities[9] = {
    gltoken::BLEND,
    gltoken::CULL_FACE,
    gltoken::DEPTH_TEST,
    gltoken::DITHER,
    gltoken::POLYGON_OFFSET_FILL,
    gltoken::SAMPLE_ALPHA_TO_COVERAGE,
    gltoken::SAMPLE_COVERAGE,
    gltoken::SCISSOR_TEST,
    gltoken::STENCIL_TEST,
};
// Index of a capability in kEs2Capabilities, or -1.
int Es2CapabilityIndex(uint32_t cap);

struct SEs2State
{
    SEs2State();
    SEs2State(const SEs2State&) = default;
    SEs2State& operator=(const SEs2State&) = default;

    uint32_t textureUnitCount = 1;
    uint32_t activeTexture = gltoken::TEXTURE0;
    uint32_t arrayBufferBinding = 0;
    uint32_t texture2DBinding[32] = {};
    uint32_t textureCubeBinding[32] = {};
    uint32_t blendEquationAlpha = gltoken::FUNC_ADD;
    uint32_t blendEquationRgb = gltoken::FUNC_ADD;
    float blendColor[4] = {0, 0, 0, 0};
    uint32_t blendSrcRgb = 1;  // GL_ONE
    uint32_t blendDstRgb = 0;  // GL_ZERO
    uint32_t blendSrcAlpha = 1;
    uint32_t blendDstAlpha = 0;
    CObjectTable<SEs2Buffer> buffers;
    float clearColor[4] = {0, 0, 0, 0};
    float clearDepth = 1.0f;
    int32_t clearStencil = 0;
    uint8_t colorMask[4] = {1, 1, 1, 1};
    uint32_t cullFaceMode = gltoken::BACK;
    uint32_t depthFunc = gltoken::LESS;
    uint8_t depthMask = 1;
    float depthRangeNear = 0.0f;
    float depthRangeFar = 1.0f;
    uint8_t capabilities[9] = {};
    CObjectTable<unsigned int> vertexAttribArrayEnabled;  // only the value's first byte is used
    CObjectTable<SEs2Framebuffer> framebuffers;
    uint32_t framebufferBinding = 0;
    uint32_t frontFace = gltoken::CCW;
    uint32_t generateMipmapHint = gltoken::DONT_CARE;
    int32_t packAlignment = 4;
    int32_t unpackAlignment = 4;
    // GL_UNPACK_ROW_LENGTH_EXT, GL_UNPACK_SKIP_ROWS_EXT, GL_UNPACK_SKIP_PIXELS_EXT
    int32_t unpackRowLength = 0;
    int32_t unpackSkipRows = 0;
    int32_t unpackSkipPixels = 0;
    float polygonOffsetFactor = 0.0f;
    float polygonOffsetUnits = 0.0f;
    CObjectTable<SEs2Program> programs;
    SEs2Program currentProgram;
    uint8_t deleteUsedProgram = 0;
    uint8_t shaderCompilerReleased = 1;
    CObjectTable<SEs2Renderbuffer> renderbuffers;
    uint32_t renderbufferBinding = 0;
    float sampleCoverageValue = 1.0f;
    uint8_t sampleCoverageInvert = 0;
    int32_t scissorBox[4] = {0, 0, 0, 0};
    CObjectTable<SEs2Shader> shaders;
    // Pairs: front face first, then back face.
    uint32_t stencilFunc[2] = {gltoken::ALWAYS, gltoken::ALWAYS};
    int32_t stencilRef[2] = {0, 0};
    uint32_t stencilValueMask[2] = {0xFFFFFFFFu, 0xFFFFFFFFu};
    uint32_t stencilWriteMask[2] = {0xFFFFFFFFu, 0xFFFFFFFFu};
    uint32_t stencilFail[2] = {gltoken::KEEP, gltoken::KEEP};
    uint32_t stencilPassDepthFail[2] = {gltoken::KEEP, gltoken::KEEP};
    uint32_t stencilPassDepthPass[2] = {gltoken::KEEP, gltoken::KEEP};
    // texture name -> mip level -> cube face index (0 for 2D images)
    CObjectTable<CObjectTable<CObjectTable<STexImage>>> textures;
    // program name -> uniform location
    CObjectTable<CObjectTable<SEs2Uniform>> uniforms;
    // program name -> attribute index: glBindAttribLocation bindings
    CObjectTable<CObjectTable<SEs2Attribute>> boundAttributes;
    // program name -> attribute index: bindings in force since the last link, with generic values
    CObjectTable<CObjectTable<SEs2Attribute>> linkedAttributes;
    int32_t viewport[4] = {0, 0, 0, 0};
    uint32_t vertexArrayBinding = 0;
    CObjectTable<SEs2VertexArray> vertexArrays;
};

// The attribute-array switches in force: the bound vertex-array object's (the default object's are
// the state's own table); an object without a record has none switched.
inline const CObjectTable<unsigned int>& EnabledAttribArrays(const SEs2State& s)
{
    static const CObjectTable<unsigned int> kNone;
    if (s.vertexArrayBinding == 0)
        return s.vertexAttribArrayEnabled;
    const SEs2VertexArray* bound = s.vertexArrays.Get(s.vertexArrayBinding);
    return bound ? bound->enabled : kNone;
}

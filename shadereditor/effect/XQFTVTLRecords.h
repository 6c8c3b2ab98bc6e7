#pragma once
// The records an effect file parses into: textures, shaders, effects with their semantics, and
// the render passes. Names are text plus FNV-1 hash and compare by hash.
#include "XQFTArray.h"
#include "XQFTString.h"
#include "XQFTStringHash.h"

#include <cstdint>

inline constexpr uint32_t kVTLUnsetSize = 0xAAAA;          // the document gives no RESOLUTION
inline constexpr uint32_t kVTLSurfaceColour = 0x40000000u;
inline constexpr uint32_t kVTLSurfaceDepth = 0x80000000u;
inline constexpr uint32_t kVTLNoDefaultValue = 16;          // semantic type id: no default value

struct SXQFTVTLParserTexture
{
    CXQFTStringHash Name;
    CXQFTStringHash FileName;          // the path; the texture's own name for views and targets
    bool RenderToTexture = false;
    uint32_t MinFilter = 0, MagFilter = 0, MipFilter = 2;   // 0 NEAREST, 1 LINEAR, 2 NONE
    uint32_t WrapS = 1, WrapT = 1, WrapR = 1;              // 0 CLAMP, 1 REPEAT
    uint32_t Width = kVTLUnsetSize, Height = kVTLUnsetSize;
    uint32_t Flags = 0;                                      // format code | kind bit
};

// One [VERTEXSHADER] or [FRAGMENTSHADER]. Owns its four buffers (malloc'd); copies duplicate
// them, the binary by its byte count since it may hold zero bytes.
struct SXQFTVTLParserShader
{
    SXQFTVTLParserShader() = default;
    SXQFTVTLParserShader(const SXQFTVTLParserShader& other);
    SXQFTVTLParserShader& operator=(const SXQFTVTLParserShader& other);
    ~SXQFTVTLParserShader();

    CXQFTStringHash Name;
    bool UseFileName = false;
    char* GLSLFile = nullptr;
    char* GLSLBinaryFile = nullptr;
    char* GLSLCode = nullptr;
    unsigned char* GLSLBinary = nullptr;
    uint32_t GLSLBinarySize = 0;
    uint32_t FirstLineNumber = 0;

private:
    void Release();
};

// One UNIFORM or ATTRIBUTE line of an effect.
struct SXQFTVTLParserSemantic
{
    SXQFTVTLParserSemantic() = default;
    SXQFTVTLParserSemantic(const SXQFTVTLParserSemantic& other);
    SXQFTVTLParserSemantic& operator=(const SXQFTVTLParserSemantic& other);
    ~SXQFTVTLParserSemantic();

    char* Name = nullptr;    // the shader variable
    char* Value = nullptr;   // the semantic without its trailing digits
    uint32_t Index = 0;      // the trailing digits
    float Floats[16] = {};
    int32_t Ints[4] = {};
    unsigned char Bools[4] = {};
    uint32_t Type = kVTLNoDefaultValue;
};

struct SXQFTVTLParserEffectTexture
{
    CXQFTStringHash Name;
    uint32_t Number = 0;     // texture unit
};

struct SXQFTTargetPair
{
    CXQFTString BufferType;
    CXQFTString TargetName;
};

struct SXQFTVTLParserEffect
{
    SXQFTVTLParserEffect() : Uniforms(100), Attributes(100), Textures(100), Targets(16) {}

    CXQFTStringHash Name;
    CXQFTString Annotation;
    CXQFTStringHash VertexShaderName;
    CXQFTStringHash FragmentShaderName;
    CXQFTArray<SXQFTVTLParserSemantic> Uniforms;
    CXQFTArray<SXQFTVTLParserSemantic> Attributes;
    CXQFTArray<SXQFTVTLParserEffectTexture> Textures;
    CXQFTArray<SXQFTTargetPair> Targets;
};

struct SXQFTVTLRenderPass
{
    enum : uint32_t { kTypeNone = 0, kTypeCamera = 1, kTypeTarget = 2 };
    enum : uint32_t { kViewCurrent = 0, kViewNode = 1, kViewNone = 2 };

    uint32_t RenderPassType = kTypeNone;
    uint32_t ViewType = kViewNone;
    uint32_t FormatFlags = 0;
    SXQFTVTLParserEffect* Effect = nullptr;     // the effect rendering into this pass
    SXQFTVTLParserTexture* Texture = nullptr;   // the texture the pass produces
    CXQFTString NodeName;
    CXQFTString SemanticName;
};

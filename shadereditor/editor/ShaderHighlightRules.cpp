#include "ShaderHighlightRules.h"

#include "ShaderHighlightController.h"
#include "ShaderRegex.h"

#include <string>
#include <vector>

namespace {

// Document-type masks of the languages.
constexpr uint32_t kGlslEs = 0x3, kGlsl = 0xC, kEffect = 0x30, kHlsl = 0x3C0, kOpenCl = 0x400;

// Rule type 16, "GLSL:ES/Keyword".
constexpr const char* kGlslEsKeywords[] = {
    "attribute", "const", "uniform", "varying", "break", "continue", "do", "for", "while", "if", "else",
    "in", "out", "inout", "true", "false", "lowp", "mediump", "highp", "precision", "invariant", "discard",
    "return", "struct", "asm", "class", "union", "enum", "typedef", "template", "this", "packed", "goto",
    "switch", "default", "inline", "noinline", "volatile", "public", "static", "extern", "external",
    "interface", "flat", "superp", "input", "output", "sizeof", "cast", "namespace", "using", "#extension",
    "#version", "#pragma", "#line", "#ifdef", "#endif", "#else", "layout", "centroid", "smooth", "case",
    "coherent", "restrict", "readonly", "writeonly", "resource", "atomic_uint", "noperspective", "patch",
    "sample", "subroutine", "common", "partition", "active", "long", "short", "double", "half", "fixed",
    "unsigned", "hvec2", "hvec3", "hvec4", "dvec2", "dvec3", "dvec4", "fvec2", "fvec3", "fvec4",
    "sampler3DRect", "filter", "image1D", "image2D", "image3D", "imageCube", "iimage1D", "iimage2D",
    "iimage3D", "iimageCube", "uimage1D", "uimage2D", "uimage3D", "uimageCube", "image1DArray",
    "image2DArray", "iimage1DArray", "iimage2DArray", "uimage1DArray", "uimage2DArray", "image1DShadow",
    "image2DShadow", "image1DArrayShadow", "image2DArrayShadow", "imageBuffer", "iimageBuffer",
    "uimageBuffer", "sampler1D", "sampler1DShadow", "sampler1DArray", "sampler1DArrayShadow", "isampler1D",
    "isampler1DArray", "usampler1D", "usampler1DArray", "sampler2DRect", "sampler2DRectShadow",
    "isampler2DRect", "usampler2DRect", "samplerBuffer", "isamplerBuffer", "usamplerBuffer", "sampler2DMS",
    "isampler2DMS", "usampler2DMS", "sampler2DMSArray", "isampler2DMSArray", "usampler2DMSArray",
};
// Rule type 17, "GLSL:ES/Built-in Function".
constexpr const char* kGlslEsFunctions[] = {
    "gl_Position", "gl_PointSize", "gl_FragColor", "gl_FragData", "gl_PointCoord", "gl_FragCoord",
    "gl_FrontFacing", "gl_MaxVertexAttribs", "gl_MaxVertexUniformVectors", "gl_MaxVaryingVectors",
    "gl_MaxVertexTextureImageUnits", "gl_MaxCombinedTextureImageUnits", "gl_MaxTextureImageUnits",
    "gl_MaxFragmentUniformVectors", "gl_MaxDrawBuffers", "gl_DepthRange", "main", "radians", "degrees",
    "sin", "cos", "tan", "asin", "acos", "atan", "pow", "exp", "log", "exp2", "log2", "sqrt", "inversesqrt",
    "abs", "sign", "floor", "ceil", "fract", "mod", "min", "max", "clamp", "mix", "step", "smoothstep",
    "length", "distance", "dot", "cross", "normalize", "faceforward", "reflect", "refract", "matrixCompMult",
    "lessThan", "lessThanEqual", "greaterThan", "greaterThanEqual", "equal", "notEqual", "any", "all", "not",
    "texture2D", "texture2DProj", "texture2DLod", "texture2DProjLod", "textureCube", "textureCubeLod",
    "dFdx", "dFdy", "fwidth",
};
// Rule type 18, "GLSL:ES/Built-in Type".
constexpr const char* kGlslEsTypes[] = {
    "float", "int", "void", "bool", "mat2", "mat3", "mat4", "vec2", "vec3", "vec4", "ivec2", "ivec3",
    "ivec4", "bvec2", "bvec3", "bvec4", "sampler2D", "sampler3D", "samplerCube", "long", "short", "double",
    "half", "fixed", "unsigned", "hvec2", "hvec3", "hvec4", "dvec2", "dvec3", "dvec4", "fvec2", "fvec3",
    "fvec4", "sampler1D", "sampler1DShadow", "sampler2DShadow", "sampler2DRect", "sampler3DRect",
    "sampler2DRectShadow", "mat2x2", "mat3x2", "mat4x2", "mat2x3", "mat3x3", "mat4x3", "mat2x4", "mat3x4",
    "mat4x4", "samplerCubeShadow", "sampler2DArray", "sampler2DArrayShadow", "isampler2D", "isampler3D",
    "isamplerCube", "isampler2DArray", "usampler2D", "usampler3D", "usamplerCube", "usampler2DArray",
};
// Rule type 9, "GLSL/Keyword".
constexpr const char* kGlslKeywords[] = {
    "attribute", "const", "uniform", "varying", "coherent", "volatile", "restrict", "readonly", "writeonly",
    "atomic_uint", "layout", "centroid", "flat", "smooth", "noperspective", "patch", "sample", "break",
    "continue", "do", "for", "while", "switch", "case", "default", "if", "else", "subroutine", "in", "out",
    "inout", "true", "false", "invariant", "discard", "return", "lowp", "mediump", "highp", "precision",
    "struct", "common", "partition", "active", "asm", "class", "union", "enum", "typedef", "template",
    "this", "packed", "resource", "goto", "inline", "noinline", "public", "static", "extern", "external",
    "interface", "superp", "input", "output", "filter", "sizeof", "cast", "namespace", "using", "row_major",
};
// Rule type 10, "GLSL/Built-in Function".
constexpr const char* kGlslFunctions[] = {
    "gl_Position", "gl_PointSize", "gl_ClipVertex", "gl_FragColor", "gl_FragData", "gl_FragDepth",
    "gl_FragCoord", "gl_FrontFacing", "gl_Color", "gl_SecondaryColor", "gl_Normal", "gl_Vertex",
    "gl_FogCoord", "gl_MultiTexCoord0", "gl_MultiTexCoord1", "gl_MultiTexCoord2", "gl_MultiTexCoord3",
    "gl_MultiTexCoord4", "gl_MultiTexCoord5", "gl_MultiTexCoord6", "gl_MultiTexCoord7", "gl_MaxLights",
    "gl_MaxClipPlanes", "gl_MaxTextureUnits", "gl_MaxTextureCoords", "gl_MaxVertexAttribs",
    "gl_MaxVertexUniformComponents", "gl_MaxVaryingFloats", "gl_MaxVertexTextureImageUnits",
    "gl_MaxCombinedTextureImageUnits", "gl_MaxTextureImageUnits", "gl_MaxFragmentUniformComponents",
    "gl_MaxDrawBuffers", "gl_MaxVertexUniformVectors", "gl_MaxVaryingVectors",
    "gl_MaxFragmentUniformVectors", "gl_ModelViewMatrix", "gl_ProjectionMatrix",
    "gl_ModelViewProjectionMatrix", "gl_TextureMatrix", "gl_NormalMatrix", "gl_ModelViewMatrixInverse",
    "gl_ProjectionMatrixInverse", "gl_ModelViewProjectionMatrixInverse", "gl_TextureMatrixInverse",
    "gl_ModelViewMatrixTranspose", "gl_ProjectionMatrixTranspose", "gl_ModelViewProjectionMatrixTranspose",
    "gl_TextureMatrixTranspose", "gl_ModelViewMatrixInverseTranspose", "gl_ProjectionMatrixInverseTranspose",
    "gl_TextureMatrixInverseTranspose", "gl_NormalScale", "gl_DepthRange", "gl_ClipPlane", "gl_Point",
    "gl_FrontMaterial", "gl_BackMaterial", "gl_LightSource", "gl_LightModel", "gl_FrontLightModelProduct",
    "gl_BackLightModelProduct", "gl_FrontLightProduct", "gl_BackLightProduct", "gl_TextureEnvColor",
    "gl_EyePlaneS", "gl_EyePlaneT", "gl_EyePlaneR", "gl_EyePlaneQ", "gl_ObjectPlaneS", "gl_ObjectPlaneT",
    "gl_ObjectPlaneR", "gl_ObjectPlaneQ", "gl_Fog", "gl_FrontColor", "gl_BackColor",
    "gl_FrontSecondaryColor", "gl_BackSecondaryColor", "gl_TexCoord", "gl_FogFragCoord", "main", "radians",
    "degrees", "sin", "cos", "tan", "asin", "acos", "atan", "pow", "exp", "log", "exp2", "log2", "sqrt",
    "inversesqrt", "abs", "sign", "floor", "ceil", "fract", "mod", "min", "max", "clamp", "mix", "step",
    "smoothstep", "length", "distance", "dot", "cross", "normalize", "ftransform", "faceforward", "reflect",
    "refract", "matrixCompMult", "outerProduct", "transpose", "lessThan", "lessThanEqual", "greaterThan",
    "greaterThanEqual", "equal", "notEqual", "any", "all", "not", "texture1D", "texture1DProj",
    "texture1DLod", "texture1DProjLod", "texture2D", "texture2DProj", "texture2DLod", "texture2DProjLod",
    "texture3D", "texture3DProj", "texture3DLod", "texture3DProjLod", "textureCube", "textureCubeLod",
    "shadow1D", "shadow2D", "shadow1DProj", "shadow2DProj", "shadow1DLod", "shadow2DLod", "shadow1DProjLod",
    "shadow2DProjLod", "dFdx", "dFdy", "fwidth", "noise1", "noise2", "noise3", "noise4",
};
// Rule type 11, "GLSL/Built-in Type".
constexpr const char* kGlslTypes[] = {
    "float", "int", "void", "bool", "mat2", "mat3", "mat4", "vec2", "vec3", "vec4", "ivec2", "ivec3",
    "ivec4", "bvec2", "bvec3", "bvec4", "sampler2D", "sampler3D", "samplerCube", "long", "short", "double",
    "half", "fixed", "hvec2", "hvec3", "hvec4", "dvec2", "dvec3", "dvec4", "fvec2", "fvec3", "fvec4",
    "sampler1D", "sampler1DShadow", "sampler2DShadow", "sampler2DRect", "sampler3DRect",
    "sampler2DRectShadow", "mat2x2", "mat2x3", "mat2x4", "mat3x2", "mat3x3", "mat3x4", "mat4x2", "mat4x3",
    "mat4x4",
};
// Rule type 23, "HLSL/Keyword".
constexpr const char* kHlslKeywords[] = {
    "blendstate", "break", "cbuffer", "column_major", "compile", "const", "continue", "depthstencilstate",
    "depthstencilview", "discard", "do", "else", "extern", "false", "for", "geometryshader", "if", "in",
    "inline", "inout", "namespace", "nointerpolation", "out", "pass", "pixelshader", "rasterizerstate",
    "rendertargetview", "return", "register", "row_major", "shared", "stateblock", "stateblock_state",
    "static", "stop", "struct", "switch", "tbuffer", "technique", "technique10", "true", "typedef",
    "uniform", "vertexshader", "volatile", "while", "auto", "case", "catch", "char", "class", "const_cast",
    "default", "delete", "dynamic_cast", "enum", "explicit", "friend", "goto", "long", "mutable", "new",
    "operator", "private", "protected", "public", "reinterpret_cast", "short", "signed", "sizeof",
    "static_cast", "template", "this", "throw", "try", "typename", "union", "unsigned", "using", "virtual",
};
// Rule type 24, "HLSL/Built-in Function".
constexpr const char* kHlslFunctions[] = {
    "abs", "acos", "all", "any", "asfloat", "asin", "asint", "asuint", "atan", "atan2", "ceil", "clamp",
    "clip", "cos", "cosh", "cross", "D3DCOLORtoUBYTE", "ddx", "ddy", "degrees", "determinant", "distance",
    "dot", "exp", "exp2", "faceforward", "floor", "fmod", "frac", "frexp", "fwidth",
    "GetRenderTargetSamplePosition", "GetRenderTargetSampleCount", "CompileShader", "SetBlendState",
    "SetDepthStencilState", "SetRasterizerState", "ShaderFunction", "SetVertexShader", "SetGeometryShader",
    "SetPixelShader", "isfinite", "isinf", "isnan", "ldexp", "length", "lerp", "lit", "log", "log2", "log10",
    "max", "min", "modf", "mul", "noise", "normalize", "pow", "radians", "reflect", "refract", "round",
    "rsqrt", "saturate", "sign", "sin", "sincos", "sinh", "smoothstep", "sqrt", "step", "tan", "tanh",
    "tex1D", "tex1Dbias", "tex1Dlod", "tex1Dgrad", "tex1Dproj", "tex2D", "tex2Dbias", "tex2Dlod",
    "tex2Dgrad", "tex2Dproj", "tex3D", "tex3Dbias", "tex3Dlod", "tex3Dgrad", "tex3Dproj", "texCUBE",
    "texCUBEbias", "texCUBElod", "texCUBEgrad", "texCUBEproj", "transpose", "trunc", "sampler2D",
};
// Rule type 25, "HLSL/Built-in Type".
constexpr const char* kHlslTypes[] = {
    "void", "bool", "bool1", "bool2", "bool3", "bool4", "bool1x1", "bool1x2", "bool1x3", "bool1x4",
    "bool2x1", "bool2x2", "bool2x3", "bool2x4", "bool3x1", "bool3x2", "bool3x3", "bool3x4", "bool4x1",
    "bool4x2", "bool4x3", "bool4x4", "int", "int1", "int2", "int3", "int4", "int1x1", "int1x2", "int1x3",
    "int1x4", "int2x1", "int2x2", "int2x3", "int2x4", "int3x1", "int3x2", "int3x3", "int3x4", "int4x1",
    "int4x2", "int4x3", "int4x4", "uint", "uint1", "uint2", "uint3", "uint4", "uint1x1", "uint1x2",
    "uint1x3", "uint1x4", "uint2x1", "uint2x2", "uint2x3", "uint2x4", "uint3x1", "uint3x2", "uint3x3",
    "uint3x4", "uint4x1", "uint4x2", "uint4x3", "uint4x4", "half", "half1", "half2", "half3", "half4",
    "half1x1", "half1x2", "half1x3", "half1x4", "half2x1", "half2x2", "half2x3", "half2x4", "half3x1",
    "half3x2", "half3x3", "half3x4", "half4x1", "half4x2", "half4x3", "half4x4", "float", "float1", "float2",
    "float3", "float4", "float1x1", "float1x2", "float1x3", "float1x4", "float2x1", "float2x2", "float2x3",
    "float2x4", "float3x1", "float3x2", "float3x3", "float3x4", "float4x1", "float4x2", "float4x3",
    "float4x4", "double", "double1", "double2", "double3", "double4", "double1x1", "double1x2", "double1x3",
    "double1x4", "double2x1", "double2x2", "double2x3", "double2x4", "double3x1", "double3x2", "double3x3",
    "double3x4", "double4x1", "double4x2", "double4x3", "double4x4", "vector", "matrix", "sampler",
    "sampler1d", "sampler2d", "sampler3d", "samplercube", "sampler_state", "samplerstate",
    "samplercomparisonstate", "texture", "texture1d", "texture1darray", "texture2d", "texture2darray",
    "texture2dms", "texture2dmsarray", "texture3d", "texturecube", "texturecubearray", "buffer", "string",
    "snorm", "unorm", "vs_4_0", "ps_4_0", "vs_2_0", "ps_2_0",
};
// Rule type 30, "OpenCL/Keyword".
constexpr const char* kOpenClKeywords[] = {
    "auto", "break", "case", "char", "const", "continue", "default", "do", "double", "else", "enum",
    "extern", "float", "for", "goto", "if", "int", "long", "register", "return", "short", "signed", "sizeof",
    "static", "struct", "switch", "typedef", "union", "unsigned", "void", "volatile", "while", "_Bool",
    "_Complex", "_Imaginary", "inline", "__global", "global", "__local", "local", "__constant", "constant",
    "__private", "private", "__kernel", "kernel", "__read_only", "read_only", "__write_only", "write_only",
    "__read_write", "read_write", "__attribute__", "work_group_size_hint", "reqd_work_group_size",
};
// Rule type 31, "OpenCL/Built-in Function".
constexpr const char* kOpenClFunctions[] = {
    "as_", "get_work_dim", "get_global_size", "get_global_id", "get_local_size", "get_local_id",
    "get_num_groups", "get_group_id", "get_global_offset", "acos", "acosh", "acospi", "asin", "asinh",
    "asinpi", "atan", "atan2", "atanh", "atanpi", "atan2pi", "cbrt", "ceil", "copysign", "cos", "cosh",
    "cospi", "erfc", "erf", "exp", "exp2", "exp10", "expm1", "fabs", "fdim", "floor", "fma", "fmax", "fmin",
    "fmod", "fract", "frexp", "hypot", "ilogb", "ldexp", "lgamma", "lgamma_r", "log", "log2", "log10",
    "log1p", "logb", "mad", "maxmag", "minmag", "modf", "nan", "nextafter", "pow", "pown", "powr",
    "remainder", "remquo", "rint", "rootn", "round", "sin", "sincos", "sinh", "sinpi", "sqrt", "tan", "tanh",
    "tanpi", "tgamma", "trunc", "half_", "native_", "MAXFLOAT", "HUGE_VALF", "INFINITY", "NAN", "abs",
    "abs_diff", "add_sat", "hadd", "rhadd", "clamp", "clz", "mad_hi", "mad_sat", "max", "min", "mul_hi",
    "rotate", "sub_sat", "upsample", "mad24", "mul24", "degrees", "mix", "radians", "step", "smoothstep",
    "sign", "cross", "dot", "distance", "length", "normalize", "fast_", "isequal", "isnotequal", "isgreater",
    "isgreaterequal", "isless", "islessequal", "islessgreater", "isfinite", "isinf", "isnan", "isnormal",
    "isordered", "isunordered", "signbit", "any", "all", "bitselect", "select", "vload2", "vload3", "vload4",
    "vload8", "vload16", "vstore2", "vstore3", "vstore4", "vstore8", "vstore16", "vload_half", "vload_half2",
    "vload_half3", "vload_half4", "vload_half8", "vload_half16", "vstore_half", "vstore_half2",
    "vstore_half3", "vstore_half4", "vstore_half8", "vstore_half16", "vloada_half", "vloada_half2",
    "vloada_half3", "vloada_half4", "vloada_half8", "vloada_half16", "vstorea_half", "vstorea_half2",
    "vstorea_half3", "vstorea_half4", "vstorea_half8", "vstorea_half16", "_rte", "_rtz", "_rtp", "_rtn",
    "barrier", "mem_fence", "read_mem_fence", "write_mem_fence", "async_work_group_copy",
    "async_work_group_strided_copy", "wait_group_events", "prefetch", "atomic_add", "atomic_sub",
    "atomic_xchg", "atomic_inc", "atomic_dec", "atomic_cmpxchg", "atomic_min", "atomic_max", "atomic_and",
    "atomic_or", "atomic_xor", "vec_step", "shuffle", "read_imagef", "read_imagei", "read_imageui",
    "write_imagef", "write_imagei", "write_imageui", "get_image_width", "get_image_height",
    "get_image_depth", "get_image_channel_data_type", "get_image_channel_order", "get_image_dim",
};
// Rule type 32, "OpenCL/Built-in Type".
constexpr const char* kOpenClTypes[] = {
    "bool", "unsigned", "void", "char", "uchar", "short", "ushort", "int", "uint", "long", "ulong", "float",
    "half", "size_t", "ptrdiff_t", "intptr_t", "uintptr_t", "float2", "char2", "uchar2", "short2", "ushort2",
    "int2", "uint2", "long2", "ulong2", "float3", "char3", "uchar3", "short3", "ushort3", "int3", "uint3",
    "long3", "ulong3", "float4", "char4", "uchar4", "short4", "ushort4", "int4", "uint4", "long4", "ulong4",
    "float8", "char8", "uchar8", "short8", "ushort8", "int8", "uint8", "long8", "ulong8", "float16",
    "char16", "uchar16", "short16", "ushort16", "int16", "uint16", "long16", "ulong16", "image2d_t",
    "image3d_t", "sampler_t", "event_t", "quad", "complex", "imaginary", "bool2", "half2", "quad2", "bool3",
    "half3", "quad3", "bool4", "half4", "quad4", "bool8", "half8", "quad8", "bool16", "half16", "quad16",
    "float2x2", "float2x3", "float2x4", "float2x8", "float2x16", "float3x2", "float3x3", "float3x4",
    "float3x8", "float3x16", "float4x2", "float4x3", "float4x4", "float4x8", "float4x16", "float8x2",
    "float8x3", "float8x4", "float8x8", "float8x16", "float16x2", "float16x3", "float16x4", "float16x8",
    "float16x16", "double2x2", "double2x3", "double2x4", "double2x8", "double2x16", "double3x2", "double3x3",
    "double3x4", "double3x8", "double3x16", "double4x2", "double4x3", "double4x4", "double4x8", "double4x16",
    "double8x2", "double8x3", "double8x4", "double8x8", "double8x16", "double16x2", "double16x3",
    "double16x4", "double16x8", "double16x16",
};
// Rule type 3, "VTL/Keyword".
constexpr const char* kVtlKeywords[] = {
    "VERSION", "DESCRIPTION", "COPYRIGHT", "FILE", "NAME", "UNIFORM", "ATTRIBUTE", "VERTEXSHADER",
    "FRAGMENTSHADER", "PATH", "RESOLUTION", "SURFACETYPE", "FILTER",
    "WRAP", "TARGET", "SOURCE", "VIEW", "MINIFICATION", "MAGNIFICATION", "MIPMAP", "WRAP_S", "WRAP_T",
    "WRAP_R", "CAMERA",
};
// Rule type 4, "VTL/Value".
constexpr const char* kVtlValues[] = {
    "LINEAR", "NEAREST", "NONE", "CLAMP", "REPEAT", "RGBA8888", "RGBA4444", "RGB888", "RGB565", "INTENSITY8",
    "DEPTH24", "DEPTH16", "DEPTH8", "DEPTH", "VTL_CURRENTVIEW",
};
constexpr const char* kVtlKeywordPatterns[] = {"\\bTEXTURE[^\\[\\]]\\b"};
constexpr const char* kVtlValuePatterns[] = {"\\bCOLOR[0-9]+\\b"};
// A whole line holding one block tag of an effect file, opening or closing.
constexpr const char* kVtlTags[] = {
    "^\\s*\\[/*HEADER\\]\\s*$",    "^\\s*\\[/*TEXTURES\\]\\s*$",   "^\\s*\\[/*VERTEXSHADER\\]\\s*$",
    "^\\s*\\[/*FRAGMENTSHADER\\]\\s*$", "^\\s*\\[/*EFFECT\\]\\s*$",  "^\\s*\\[/*GLSL_CODE\\]\\s*$",
    "^\\s*\\[/*ANNOTATION\\]\\s*$", "^\\s*\\[/*TEXTURE\\]\\s*$",    "^\\s*\\[/*TARGET\\]\\s*$",
};

// Columns: rule type, document mask, whole words, patterns.
const SHighlightRuleList kLists[] = {
    {eRuleVTLKeyword, kEffect, kVtlKeywords, kVtlKeywordPatterns},
    {eRuleVTLValue, kEffect, kVtlValues, kVtlValuePatterns},
    {eRuleVTLTag, kEffect, {}, kVtlTags},
    {eRuleGLSL + eBlockKeyword, kGlsl, kGlslKeywords, {}},
    {eRuleGLSL + eBlockFunction, kGlsl, kGlslFunctions, {}},
    {eRuleGLSL + eBlockType, kGlsl, kGlslTypes, {}},
    {eRuleGLSLES + eBlockKeyword, kGlslEs, kGlslEsKeywords, {}},
    {eRuleGLSLES + eBlockFunction, kGlslEs, kGlslEsFunctions, {}},
    {eRuleGLSLES + eBlockType, kGlslEs, kGlslEsTypes, {}},
    {eRuleHLSL + eBlockKeyword, kHlsl, kHlslKeywords, {}},
    {eRuleHLSL + eBlockFunction, kHlsl, kHlslFunctions, {}},
    {eRuleHLSL + eBlockType, kHlsl, kHlslTypes, {}},
    {eRuleOpenCL + eBlockKeyword, kOpenCl, kOpenClKeywords, {}},
    {eRuleOpenCL + eBlockFunction, kOpenCl, kOpenClFunctions, {}},
    {eRuleOpenCL + eBlockType, kOpenCl, kOpenClTypes, {}},
};

std::string WholeWord(const std::string& word)
{
    return "\\b" + word + "\\b";
}

} // namespace

std::span<const SHighlightRuleList> HighlightRuleLists()
{
    return kLists;
}

void AddHighlightRule(THighlightRuleTable& table, int ruleType, const char* const* patterns, uint32_t count,
                      uint32_t mask)
{
    SHighlightRule& rule = table[ruleType];
    rule.mask = mask;
    for (uint32_t i = 0; i < count; ++i)
        rule.patterns.append(MakeShaderRegex(QString::fromLatin1(patterns[i])));
}

THighlightRuleTable BuildHighlightRuleTable(bool joinWords)
{
    THighlightRuleTable table;
    for (const SHighlightRuleList& list : kLists) {
        std::vector<std::string> texts;
        if (joinWords && !list.words.empty()) {
            // The words are letters, digits, '_' and a leading '#': nothing to escape.
            std::string alternation;
            for (const char* word : list.words) {
                if (!alternation.empty())
                    alternation += '|';
                alternation += word;
            }
            texts.push_back(WholeWord("(?:" + alternation + ")"));
        } else {
            for (const char* word : list.words)
                texts.push_back(WholeWord(word));
        }
        for (const char* pattern : list.patterns)
            texts.emplace_back(pattern);
        std::vector<const char*> pointers;
        for (const std::string& text : texts)
            pointers.push_back(text.c_str());
        AddHighlightRule(table, list.ruleType, pointers.data(), uint32_t(pointers.size()), list.mask);
    }
    return table;
}

const THighlightRuleTable& DefaultHighlightRuleTable()
{
    static const THighlightRuleTable table = BuildHighlightRuleTable(true);
    return table;
}

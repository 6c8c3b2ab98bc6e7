#pragma once
// Keyword tables of the effect-file parser. Tags and keywords are recognised by the FNV-1 hash
// of the whole token; the hashes of the literals are computed at compile time.
#include <cstddef>
#include <cstdint>

namespace vtl {

constexpr uint32_t Fnv1(const char* s)
{
    if (!*s)
        return 0;   // as XQFTHashFnv1: the empty text hashes to 0
    uint32_t hash = 0x811C9DC5u;
    for (; *s; ++s)
        hash = (hash * 16777619u) ^ static_cast<unsigned char>(*s);
    return hash;
}

// Filter names by value; wrap names by value.
inline constexpr const char* kFilterNames[] = {"NEAREST", "LINEAR", "NONE"};
inline constexpr const char* kWrapNames[] = {"CLAMP", "REPEAT"};

// Columns: keyword, format code, kind bit. The stored flags are code | kind.
struct SSurfaceType
{
    const char* keyword;
    uint32_t code;
    uint32_t kind;
};
inline constexpr SSurfaceType kSurfaceTypes[] = {
    {"RGBA8888", 18, 0x40000000u}, {"RGBA4444", 16, 0x40000000u}, {"RGB888", 21, 0x40000000u},
    {"RGB565", 19, 0x40000000u},   {"INTENSITY8", 22, 0x40000000u}, {"DEPTH24", 21, 0x80000000u},
    {"DEPTH16", 19, 0x80000000u},  {"DEPTH8", 22, 0x80000000u},
};

enum class EComponent { Float, Int, Bool };
// Columns: type id (the row's index), keyword, components, component kind. Tried in this order.
struct SValueType
{
    const char* keyword;
    uint32_t components;
    EComponent kind;
};
inline constexpr SValueType kValueTypes[] = {
    {"mat2", 4, EComponent::Float},  {"mat3", 9, EComponent::Float},  {"mat4", 16, EComponent::Float},
    {"vec2", 2, EComponent::Float},  {"vec3", 3, EComponent::Float},  {"vec4", 4, EComponent::Float},
    {"ivec2", 2, EComponent::Int},   {"ivec3", 3, EComponent::Int},   {"ivec4", 4, EComponent::Int},
    {"bvec2", 2, EComponent::Bool},  {"bvec3", 3, EComponent::Bool},  {"bvec4", 4, EComponent::Bool},
    {"float", 1, EComponent::Float}, {"int", 1, EComponent::Int},     {"bool", 1, EComponent::Bool},
};

// Block tags and keywords, as hashes.
namespace kw {
#define XQF_VTL_KEYWORD(name, text) inline constexpr uint32_t name = Fnv1(text);
XQF_VTL_KEYWORD(Header, "[HEADER]")
XQF_VTL_KEYWORD(Textures, "[TEXTURES]")
XQF_VTL_KEYWORD(Texture, "[TEXTURE]")
XQF_VTL_KEYWORD(Target, "[TARGET]")
XQF_VTL_KEYWORD(VertexShaderTag, "[VERTEXSHADER]")
XQF_VTL_KEYWORD(FragmentShaderTag, "[FRAGMENTSHADER]")
XQF_VTL_KEYWORD(Effect, "[EFFECT]")
XQF_VTL_KEYWORD(GlslCode, "[GLSL_CODE]")
XQF_VTL_KEYWORD(Annotation, "[ANNOTATION]")
XQF_VTL_KEYWORD(Version, "VERSION")
XQF_VTL_KEYWORD(Description, "DESCRIPTION")
XQF_VTL_KEYWORD(Copyright, "COPYRIGHT")
XQF_VTL_KEYWORD(File, "FILE")
XQF_VTL_KEYWORD(BinaryFile, "BINARYFILE")
XQF_VTL_KEYWORD(Render, "RENDER")
XQF_VTL_KEYWORD(Filter, "FILTER")
XQF_VTL_KEYWORD(Wrap, "WRAP")
XQF_VTL_KEYWORD(Minification, "MINIFICATION")
XQF_VTL_KEYWORD(Magnification, "MAGNIFICATION")
XQF_VTL_KEYWORD(Mipmap, "MIPMAP")
XQF_VTL_KEYWORD(WrapS, "WRAP_S")
XQF_VTL_KEYWORD(WrapT, "WRAP_T")
XQF_VTL_KEYWORD(WrapR, "WRAP_R")
XQF_VTL_KEYWORD(Resolution, "RESOLUTION")
XQF_VTL_KEYWORD(SurfaceType, "SURFACETYPE")
XQF_VTL_KEYWORD(Name, "NAME")
XQF_VTL_KEYWORD(Path, "PATH")
XQF_VTL_KEYWORD(View, "VIEW")
XQF_VTL_KEYWORD(Camera, "CAMERA")
XQF_VTL_KEYWORD(VertexShader, "VERTEXSHADER")
XQF_VTL_KEYWORD(FragmentShader, "FRAGMENTSHADER")
XQF_VTL_KEYWORD(TextureKw, "TEXTURE")
XQF_VTL_KEYWORD(Uniform, "UNIFORM")
XQF_VTL_KEYWORD(Attribute, "ATTRIBUTE")
XQF_VTL_KEYWORD(TargetKw, "TARGET")
#undef XQF_VTL_KEYWORD
} // namespace kw

} // namespace vtl

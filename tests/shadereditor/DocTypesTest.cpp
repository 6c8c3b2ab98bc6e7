// Document types: detection, the file-format filters, the language groups and the string table.
#include "ShaderDocType.h"
#include "ShaderEditorStrings.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(ShaderDocTypes, DetectionFromExtensionAndText)
{
    struct SCase
    {
        const char* what;
        const char* text;
        const char* extension;
        uint32_t expected;
    };
    const SCase cases[] = {
        {"frag with precision and gl_FragColor", "precision mediump float; void main(){ gl_FragColor = vec4(1); }", "frag", 2},
        {"frag without precision takes the extension", "void main(){ gl_FragColor = vec4(1); }", "frag", 2},
        {"vert without precision takes the extension", "void main(){}", "vert", 1},
        {"glsl counts as a vertex shader", "void main(){}", "glsl", 1},
        {"vtl with highp is a GLSL ES effect", "uniform highp float x;", "vtl", 16},
        {"vtl without qualifiers is a GLSL effect", "uniform float x;", "vtl", 32},
        {"txt with gl_Position but no precision", "gl_Position = p;", "txt", 0},
        {"upper-case HLSL is not recognised", "", "HLSL", 0},
        {"hlsl", "", "hlsl", 64},
        {"ps without looking at the text", "precision highp float; gl_Position", "ps", 128},
        {"vs", "", "vs", 64},
        {"gs", "", "gs", 256},
        {"fx", "", "fx", 512},
        {"cl", "", "cl", 1024},
        {"empty extension, precision and gl_Position", "mediump float a; gl_Position = v;", "", 1},
        {"empty extension, no precision", "gl_Position = v;", "", 0},
        {"vertex wins over fragment", "lowp vec4 c; gl_Position = p; gl_FragColor = c;", "fsh", 1},
        {"layout in over lines", "highp\nlayout(location = 0)\n in vec4 p;", "txt", 1},
        {"layout out", "highp float f; layout(location=0) out vec4 c;", "", 2},
        {"precision word inside a name does not count", "mediumpx gl_Position", "", 0},
        {"Unicode letter ends no word", "\xc3\xa9highp gl_Position", "", 0},
        {"fsh without precision", "gl_Position", "fsh", 2},
    };
    for (const SCase& c : cases)
        EXPECT_EQ(uint32_t(DetectShaderDocType(QString::fromUtf8(c.text), QString::fromUtf8(c.extension))), c.expected)
            << c.what;
}

TEST(ShaderDocTypes, FiltersAndLanguageGroups)
{
    CXQFTArray<SFileFormatSpecifier> formats = BuildFileFormatSpecifiers();
    ASSERT_EQ(formats.size, 11u);
    EXPECT_EQ(formats[5].type, 48u);
    EXPECT_EQ(formats[5].filter, QStringLiteral("Tarnvex Effect File (GLSL) (*.vtl)"));
    const QString perFormat =
        "Plain Text (*.txt);;GLSL:ES Vertex Shader (*.vsh);;GLSL:ES Fragment Shader (*.fsh);;"
        "GLSL Vertex Shader (*.vert);;GLSL Fragment Shader (*.frag);;Tarnvex Effect File (GLSL) (*.vtl);;"
        "HLSL Vertex Shader (*.vs);;HLSL Fragment Shader (*.ps);;HLSL Geometry Shader (*.gs);;"
        "HLSL FX File (*.fx);;OpenCL Kernel (*.cl)";
    EXPECT_EQ(BuildPerFormatFilter(formats), perFormat);
    EXPECT_EQ(BuildFullFilter(formats),
              "All supported formats (*.txt *.vsh *.fsh *.vert *.frag *.vtl *.vs *.ps *.gs *.fx *.cl );;" +
                  perFormat + ";;All files (*.*)");

    TShaderLanguageGroups groups = BuildShaderLanguageGroups();
    std::map<uint32_t, std::vector<uint32_t>> members;
    for (const auto& [mask, types] : groups)
        for (const auto& [type, name] : types)
            members[mask].push_back(type);
    const std::map<uint32_t, std::vector<uint32_t>> expected = {
        {0, {0}}, {3, {1, 2, 16}}, {12, {4, 8, 32}}, {960, {64, 128, 256, 512}}, {1024, {1024}}};
    EXPECT_EQ(members, expected);
    EXPECT_EQ(groups[3][eShaderDocEffectGLSLES], QStringLiteral("Tarnvex Effect File (GLSL:ES)"));
}

TEST(ShaderEditorStrings, ThreeFormsAgreeAndSampleEntriesStand)
{
    for (uint32_t i = 0; i < kShaderEditorStringCount; ++i) {
        const QString q = GetShaderEditorString<QString>(i);
        EXPECT_FALSE(q.isEmpty()) << i;
        EXPECT_EQ(q.toUtf8(), QByteArray(GetShaderEditorString<const char*>(i))) << i;
        EXPECT_STREQ(GetShaderEditorString<CXQFTString>(i).CStr(), GetShaderEditorString<const char*>(i)) << i;
    }
    EXPECT_STREQ(GetShaderEditorString<const char*>(18), "Cursor Matcing");
    EXPECT_STREQ(GetShaderEditorString<const char*>(67), "Reason: %s");
    EXPECT_STREQ(GetShaderEditorString<const char*>(78), "Warning colour");
    EXPECT_EQ(GetShaderEditorString<QString>(31),
              "A blank fragment shader for use with OpenGL:ES 2.0 and OpenGL:ES 3.0.\n\n"
              "Background compiling is enabled for this type.");
    EXPECT_STREQ(GetShaderEditorString<const char*>(79), "");   // past the table
    for (uint32_t type : {0u, 1u, 2u, 4u, 8u, 16u, 32u, 64u, 128u, 256u, 512u, 1024u})
        EXPECT_GE(ShaderDocTypeNameEntry(type), 43) << type;
    EXPECT_EQ(ShaderDocTypeNameEntry(48), -1);
}

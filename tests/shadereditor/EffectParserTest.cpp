// The effect-file parser: one complete document checked record by record, a table of documents
// and the one message each gives, and the documents that try to break it.
#include "RunCommand.h"
#include "ShaderTestSupport.h"
#include "XQFTResourceFile.h"
#include "XQFTVTLParser.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>
#include "TestPaths.h"

namespace {

const std::string kDataDir = SourceDir() + "/tests/shadereditor/data/";

// Shaders and an effect that make any document complete; appended after a case's own blocks,
// so the case's lines are numbered from 1.
const std::string kRest =
    "[VERTEXSHADER]\nNAME V\n[GLSL_CODE]\nvoid main(){}\n[/GLSL_CODE]\n[/VERTEXSHADER]\n"
    "[FRAGMENTSHADER]\nNAME F\n[GLSL_CODE]\nvoid main(){}\n[/GLSL_CODE]\n[/FRAGMENTSHADER]\n"
    "[EFFECT]\nNAME E\nVERTEXSHADER V\nFRAGMENTSHADER F\n[/EFFECT]\n";

struct SParsed
{
    uint32_t result;
    std::string error;
};

SParsed Parse(CXQFTVTLParser& parser, const std::string& text)
{
    CXQFTString error;
    uint32_t result = parser.ParseFromMemory(text.c_str(), &error);
    return {result, error.CStr()};
}

SParsed Parse(const std::string& text)
{
    CXQFTVTLParser parser;
    return Parse(parser, text);
}

class EffectParser : public ::testing::Test
{
protected:
    void SetUp() override { CXQFTResourceFile::ReadPath = kDataDir.c_str(); }
    void TearDown() override { CXQFTResourceFile::ReadPath = ""; }
};

const SXQFTVTLRenderPass* PassNamed(const CXQFTVTLParser& p, const char* name)
{
    for (uint32_t i = 0; i < p.renderPasses.size; ++i)
        if (p.renderPasses[i].SemanticName == name)
            return &p.renderPasses[i];
    return nullptr;
}

std::vector<std::string> Names(const CXQFTArray<CXQFTSkipGraphNode<SXQFTVTLRenderPass*>*>& nodes)
{
    std::vector<std::string> names;
    for (uint32_t i = 0; i < nodes.size; ++i)
        names.push_back(nodes[i]->Data->SemanticName.CStr());
    return names;
}

} // namespace

TEST_F(EffectParser, CompleteDocumentRecordByRecord)
{
    CXQFTVTLParser p;
    SParsed r = Parse(p, ReadWhole(kDataDir + "complete.vtl"));
    ASSERT_EQ(r.result, 0u) << r.error;
    EXPECT_STREQ(p.version.CStr(), "01.00.00.00");
    EXPECT_STREQ(p.description.CStr(), "Bloom with a shadow pass");
    EXPECT_STREQ(p.copyright.CStr(), "Orvistaline Technologies");

    struct STex
    {
        const char* name;
        const char* file;
        bool render;
        uint32_t minF, magF, mipF, ws, wt, wr, w, h, flags;
    };
    const STex textures[] = {
        {"base", "textures/base.png", false, 1, 1, 0, 0, 1, 1, 0xAAAA, 0xAAAA, 0},
        {"plain", "textures/plain.png", false, 0, 0, 2, 1, 1, 1, 0xAAAA, 0xAAAA, 0},
        {"glow", "textures/glow map.png", false, 1, 0, 1, 0, 0, 1, 0xAAAA, 0xAAAA, 0x40000012},
        {"mirror", "mirror", true, 1, 0, 2, 0, 1, 0, 256, 128, 0x40000012},
        {"probe", "probe", true, 0, 0, 2, 1, 1, 1, 0xAAAA, 0xAAAA, 0x40000013},
        {"shadow", "shadow", true, 0, 0, 2, 1, 1, 1, 512, 512, 0x80000013},
        {"scene", "scene", true, 1, 1, 2, 1, 1, 1, 0xAAAA, 0xAAAA, 0x40000012},
        {"unused", "unused", true, 0, 0, 2, 1, 1, 1, 0xAAAA, 0xAAAA, 0x40000012},
    };
    ASSERT_EQ(p.textures.size, std::size(textures));
    for (uint32_t i = 0; i < p.textures.size; ++i) {
        const SXQFTVTLParserTexture& t = *p.textures[i];
        const STex& e = textures[i];
        EXPECT_TRUE(t.Name == e.name) << e.name;
        EXPECT_TRUE(t.FileName == e.file) << e.name;
        EXPECT_EQ(t.RenderToTexture, e.render) << e.name;
        EXPECT_EQ(std::vector<uint32_t>({t.MinFilter, t.MagFilter, t.MipFilter, t.WrapS, t.WrapT, t.WrapR}),
                  std::vector<uint32_t>({e.minF, e.magF, e.mipF, e.ws, e.wt, e.wr}))
            << e.name;
        EXPECT_EQ(t.Width, e.w) << e.name;
        EXPECT_EQ(t.Height, e.h) << e.name;
        EXPECT_EQ(t.Flags, e.flags) << e.name;
    }

    ASSERT_EQ(p.GetNumberVertexShaders(), 2u);
    ASSERT_EQ(p.GetNumberFragmentShaders(), 2u);
    const SXQFTVTLParserShader& mainVertex = p.GetVertexShader(0);
    EXPECT_TRUE(mainVertex.Name == "MainVertex");
    EXPECT_EQ(mainVertex.FirstLineNumber, 55u);
    EXPECT_FALSE(mainVertex.UseFileName);
    EXPECT_STREQ(mainVertex.GLSLCode, "attribute highp vec4 inVertex;\nuniform highp mat4 MVP;\nvoid main()\n{\n"
                                      "gl_Position = MVP * inVertex;\n}\n");
    const SXQFTVTLParserShader& shadowVertex = p.GetVertexShader(1);
    EXPECT_TRUE(shadowVertex.Name == "ShadowVertex");
    EXPECT_TRUE(shadowVertex.UseFileName);
    EXPECT_STREQ(shadowVertex.GLSLFile, "shaders/shadow.vsh");
    EXPECT_EQ(shadowVertex.FirstLineNumber, 67u);
    EXPECT_EQ(std::string(shadowVertex.GLSLCode), ReadWhole(kDataDir + "shaders/shadow.vsh"));
    EXPECT_EQ(p.GetFragmentShader(0).FirstLineNumber, 72u);
    const SXQFTVTLParserShader& binary = p.GetFragmentShader(1);
    EXPECT_STREQ(binary.GLSLBinaryFile, "shaders/binary.bin");
    EXPECT_EQ(binary.GLSLCode, nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(binary.GLSLBinary), binary.GLSLBinarySize),
              ReadWhole(kDataDir + "shaders/binary.bin"));

    ASSERT_EQ(p.effects.size, 2u);
    const SXQFTVTLParserEffect& scene = p.effects[0];
    EXPECT_TRUE(scene.Name == "Scene");
    EXPECT_STREQ(scene.Annotation.CStr(), "Draws the scene\ninto the scene target.\n");
    EXPECT_TRUE(scene.VertexShaderName == "MainVertex");
    EXPECT_TRUE(scene.FragmentShaderName == "MainFragment");
    ASSERT_EQ(scene.Attributes.size, 1u);
    EXPECT_STREQ(scene.Attributes[0].Value, "POSITION");
    EXPECT_EQ(scene.Attributes[0].Type, 16u);
    ASSERT_EQ(scene.Uniforms.size, 9u);
    const SXQFTVTLParserSemantic& mvp = scene.Uniforms[0];
    EXPECT_STREQ(mvp.Name, "MVP");
    EXPECT_STREQ(mvp.Value, "WORLDVIEWPROJECTION");
    EXPECT_EQ(mvp.Type, 2u);
    EXPECT_EQ(std::vector<float>(mvp.Floats, mvp.Floats + 16),
              std::vector<float>({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}));
    EXPECT_STREQ(scene.Uniforms[2].Value, "TEXTURE");
    EXPECT_EQ(scene.Uniforms[2].Index, 1u);
    const SXQFTVTLParserSemantic& tint = scene.Uniforms[3];
    EXPECT_STREQ(tint.Value, "COLOR");
    EXPECT_EQ(tint.Index, 2u);
    EXPECT_EQ(tint.Type, 5u);
    EXPECT_EQ(std::vector<float>(tint.Floats, tint.Floats + 4), std::vector<float>({0.5f, 0.25f, 1.0f, 1.0f}));
    EXPECT_EQ(scene.Uniforms[4].Type, 6u);
    EXPECT_EQ(scene.Uniforms[4].Ints[1], -4);
    EXPECT_EQ(scene.Uniforms[5].Type, 9u);
    EXPECT_EQ(scene.Uniforms[5].Bools[0], 1);
    EXPECT_EQ(scene.Uniforms[5].Bools[1], 0);
    EXPECT_EQ(scene.Uniforms[6].Type, 12u);
    EXPECT_EQ(scene.Uniforms[6].Floats[0], 2.5f);
    EXPECT_EQ(scene.Uniforms[7].Type, 13u);
    EXPECT_EQ(scene.Uniforms[7].Ints[0], 7);
    EXPECT_EQ(scene.Uniforms[8].Type, 14u);
    ASSERT_EQ(scene.Textures.size, 2u);
    EXPECT_TRUE(scene.Textures[1].Name == "shadow");
    EXPECT_EQ(scene.Textures[1].Number, 1u);
    ASSERT_EQ(scene.Targets.size, 1u);
    EXPECT_STREQ(scene.Targets[0].BufferType.CStr(), "COLOR");
    EXPECT_STREQ(scene.Targets[0].TargetName.CStr(), "scene");

    // Passes: mirror and probe (views), shadow, scene and unused (targets), in document order.
    ASSERT_EQ(p.renderPasses.size, 5u);
    const SXQFTVTLRenderPass* mirror = PassNamed(p, "mirror");
    ASSERT_NE(mirror, nullptr);
    EXPECT_EQ(mirror->RenderPassType, 1u);
    EXPECT_EQ(mirror->ViewType, 0u);
    EXPECT_STREQ(mirror->NodeName.CStr(), "");
    const SXQFTVTLRenderPass* probe = PassNamed(p, "probe");
    EXPECT_EQ(probe->ViewType, 1u);
    EXPECT_STREQ(probe->NodeName.CStr(), "camera1");
    EXPECT_EQ(probe->FormatFlags, 0x40000013u);
    const SXQFTVTLRenderPass* shadow = PassNamed(p, "shadow");
    EXPECT_EQ(shadow->RenderPassType, 2u);
    EXPECT_EQ(shadow->Effect, &p.effects[1]);
    EXPECT_EQ(shadow->Texture, p.textures[5]);
    EXPECT_EQ(PassNamed(p, "scene")->Effect, &p.effects[0]);
    const SXQFTVTLRenderPass* unused = PassNamed(p, "unused");
    EXPECT_EQ(unused->RenderPassType, 2u);
    EXPECT_EQ(unused->ViewType, 2u);
    EXPECT_EQ(unused->Effect, nullptr);
    ASSERT_EQ(p.targetNames.size, 2u);
    EXPECT_STREQ(p.targetNames[0].CStr(), "shadow");
    EXPECT_STREQ(p.targetNames[1].CStr(), "scene");

    // The scene samples the shadow, the shadow samples the probe.
    ASSERT_EQ(p.renderPassGraph.Count(), 5u);
    auto* sceneNode = p.renderPassGraph.Find(const_cast<SXQFTVTLRenderPass*>(PassNamed(p, "scene")));
    auto* shadowNode = p.renderPassGraph.Find(const_cast<SXQFTVTLRenderPass*>(shadow));
    auto* probeNode = p.renderPassGraph.Find(const_cast<SXQFTVTLRenderPass*>(probe));
    EXPECT_EQ(Names(sceneNode->Dependencies), std::vector<std::string>({"shadow"}));
    EXPECT_EQ(Names(sceneNode->Dependents), std::vector<std::string>());
    EXPECT_EQ(Names(shadowNode->Dependencies), std::vector<std::string>({"probe"}));
    EXPECT_EQ(Names(shadowNode->Dependents), std::vector<std::string>({"scene"}));
    EXPECT_EQ(Names(probeNode->Dependents), std::vector<std::string>({"shadow"}));
    auto* unusedNode = p.renderPassGraph.Find(const_cast<SXQFTVTLRenderPass*>(unused));
    EXPECT_EQ(unusedNode->Dependencies.size + unusedNode->Dependents.size, 0u);
}

TEST_F(EffectParser, EachFailureGivesItsOneMessage)
{
    struct SCase
    {
        std::string doc;
        bool withRest;   // followed by kRest
        std::string message;
    };
    const std::string longLine(600, 'x');
    std::string tooMany, exactly;
    for (int i = 0; i < 5000; ++i)
        tooMany += "\n";   // 5001 lines: the empty one after the last line feed counts
    const SCase cases[] = {
        // Dispatch and the document-wide checks.
        {"bogus\n", true, "'bogus' unexpected on line 1\n"},
        {"[HEADER]\n[/HEADER]\n[HEADER]\n[/HEADER]\n", true, "[HEADER] redefined on line 3\n"},
        {"[TEXTURES]\n[/TEXTURES]\n[TEXTURES]\n[/TEXTURES]\n", true, "[TEXTURES] redefined on line 3\n"},
        {"\n[HEADER]\n", false, "Missing [/HEADER] tag after [HEADER] on line 2\n"},
        {"[TEXTURES]\n", false, "Missing [/TEXTURES] tag after [TEXTURES] on line 1\n"},
        {"[TEXTURE]\n", false, "Missing [/TEXTURE] tag after [TEXTURE] on line 1\n"},
        {"[TARGET]\n", false, "Missing [/TARGET] tag after [TARGET] on line 1\n"},
        {"[VERTEXSHADER]\n", false, "Missing [/VERTEXSHADER] tag after [VERTEXSHADER] on line 1\n"},
        {"[FRAGMENTSHADER]\n", false, "Missing [/FRAGMENTSHADER] tag after [FRAGMENTSHADER] on line 1\n"},
        {"[EFFECT]\n", false, "Missing [/EFFECT] tag after [EFFECT] on line 1\n"},
        {tooMany, false, "Too many lines of text in file (maximum is 5000)\n"},
        {"[HEADER]\nVERSION " + longLine + "\n[/HEADER]\n", true, "Line 2 is longer than 511 characters\n"},
        {"", false, "No [EFFECT] found. VTL file must have at least one defined.\n"},
        {"[EFFECT]\nNAME E\nVERTEXSHADER V\nFRAGMENTSHADER F\n[/EFFECT]\n", false,
         "No [FRAGMENTSHADER] found. VTL file must have at least one defined.\n"},
        {"[EFFECT]\nNAME E\nVERTEXSHADER V\nFRAGMENTSHADER F\n[/EFFECT]\n"
         "[FRAGMENTSHADER]\nNAME F\nFILE shaders/shadow.vsh\n[/FRAGMENTSHADER]\n",
         false, "No [VERTEXSHADER] found. VTL file must have at least one defined.\n"},
        {"[EFFECT]\nNAME X\nUNIFORM s TEXTURE\nTEXTURE 0 nowhere\nVERTEXSHADER V\nFRAGMENTSHADER F\n[/EFFECT]\n", true,
         "Error: TEXTURE 'nowhere' is not defined in [TEXTURES].\n"},
        {"[TARGET]\nNAME t\nSURFACETYPE RGBA8888\n[/TARGET]\n"
         "[EFFECT]\nNAME X\nTARGET DEPTH t\nVERTEXSHADER V\nFRAGMENTSHADER F\n[/EFFECT]\n",
         true, "Surface type mismatch in [EFFECT]. \"t\" has different type than \"t\"\n"},
        {"[TARGET]\nNAME t\nSURFACETYPE DEPTH16\n[/TARGET]\n"
         "[EFFECT]\nNAME X\nTARGET COLOR t\nVERTEXSHADER V\nFRAGMENTSHADER F\n[/EFFECT]\n",
         true, "Surface type mismatch in [EFFECT]. \"t\" has different type than \"t\"\n"},
        // [HEADER] and [TEXTURES].
        {"[HEADER]\nAUTHOR me\n[/HEADER]\n", true, "Unknown keyword 'AUTHOR' in [HEADER] on line 2\n"},
        {"[TEXTURES]\nRENDER x y\n[/TEXTURES]\n", true,
         "RENDER tag no longer supported in [TEXTURES] block. Use new [TARGET] block instead\n"},
        {"[TEXTURES]\nLOAD x y\n[/TEXTURES]\n", true, "Unknown keyword 'LOAD' in [TEXTURES] on line 2\n"},
        {"[TEXTURES]\nFILE\n[/TEXTURES]\n", true, "Texture name missing in [TEXTURES] on line 2: FILE\n"},
        {"[TEXTURES]\nFILE t\n[/TEXTURES]\n", true, "Incomplete definition in [TEXTURES] on line 2: FILE t\n"},
        {"[TEXTURES]\nFILE t a.png FOO-LINEAR\n[/TEXTURES]\n", true,
         "Unknown keyword 'FOO' in [TEXTURES] on line 2: FILE t a.png FOO-LINEAR\n"},
        {"[TEXTURES]\nFILE t a.png LINEAR-BAD\n[/TEXTURES]\n", true,
         "Unknown keyword 'BAD' in [TEXTURES] on line 2: FILE t a.png LINEAR-BAD\n"},
        // Keywords shared by [TEXTURE] and [TARGET].
        {"[TEXTURE]\nNAME t\nPATH p\nFILTER\n[/TEXTURE]\n", true, "Missing FILTER arguments in [TEXTURE] on line 4: FILTER\n"},
        {"[TARGET]\nNAME t\nWRAP\n[/TARGET]\n", true, "Missing WRAP arguments in [TARGET] on line 3: WRAP\n"},
        {"[TEXTURE]\nMIPMAP\n[/TEXTURE]\n", true, "Missing arguments in [TEXTURE] on line 2: MIPMAP\n"},
        {"[TEXTURE]\nWRAP_S NEAREST\n[/TEXTURE]\n", true,
         "Unknown keyword 'NEAREST' in [TEXTURE] on line 2: WRAP_S NEAREST\n"},
        {"[TARGET]\nFILTER LINEAR-LINEAR-LINEAR-LINEAR\n[/TARGET]\n", true,
         "Unexpected keyword '-LINEAR' in [TARGET] on line 2: FILTER LINEAR-LINEAR-LINEAR-LINEAR\n"},
        {"[TARGET]\nRESOLUTION 12\n[/TARGET]\n", true,
         "Missing RESOLUTION argument(s) (requires width AND height) in [TARGET] on line 2\n"},
        {"[TARGET]\nRESOLUTION a 12\n[/TARGET]\n", true, "Invalid RESOLUTION argument \"a\" in [TEXTURE] on line 2\n"},
        {"[TARGET]\nRESOLUTION 12 -1\n[/TARGET]\n", true, "Invalid RESOLUTION argument \"-1\" in [TEXTURE] on line 2\n"},
        {"[TARGET]\nRESOLUTION 99999999999 1\n[/TARGET]\n", true,
         "Invalid RESOLUTION argument \"99999999999\" in [TEXTURE] on line 2\n"},
        {"[TARGET]\nSURFACETYPE\n[/TARGET]\n", true, "Missing SURFACETYPE arguments in [TARGET] on line 2\n"},
        {"[TEXTURE]\nMINIFICATION LINEAR NEAREST\n[/TEXTURE]\n", true,
         "Unexpected keyword 'NEAREST' in [TEXTURE] on line 2: MINIFICATION LINEAR NEAREST\n"},
        // [TEXTURE] and [TARGET] lines of their own.
        {"[TEXTURE]\n \r \n[/TEXTURE]\n", true, "Missing arguments in [TEXTURE] on line 2: \r\n"},
        {"[TEXTURE]\nNAME\n[/TEXTURE]\n", true, "Missing NAME arguments in [TEXTURE] on line 2: NAME\n"},
        {"[TEXTURE]\nNAME a b\n[/TEXTURE]\n", true, "Unexpected keyword 'b' in [TEXTURE] on line 2: NAME a b\n"},
        {"[TEXTURE]\nPATH\n[/TEXTURE]\n", true, "Missing PATH arguments in [TEXTURE] on line 2: PATH\n"},
        {"[TEXTURE]\nCAMERA\n[/TEXTURE]\n", true, "Missing VIEW argument in [TEXTURE] on line 2: CAMERA\n"},
        {"[TEXTURE]\nCOLOUR red\n[/TEXTURE]\n", true, "Unknown keyword 'COLOUR' in [TEXTURE] on line 2: COLOUR red\n"},
        {"[TEXTURE]\nPATH \"a b\n[/TEXTURE]\n", true, "Incomplete argument in [TEXTURE] on line 2: PATH \"a b\n"},
        {"[TEXTURE]\nPATH \"a b\" c\n[/TEXTURE]\n", true, "Unknown keyword 'c' in [TEXTURE] on line 2: PATH \"a b\" c\n"},
        {"\n[TEXTURE]\nPATH p\n[/TEXTURE]\n", true, "No NAME tag specified in [TEXTURE] on line 2\n"},
        {"[TEXTURE]\nNAME t\nPATH p\nVIEW v\n[/TEXTURE]\n", true, "Both PATH and VIEW tags specified in [TEXTURE] on line 1\n"},
        {"[TEXTURE]\nNAME t\n[/TEXTURE]\n", true, "No PATH or VIEW tag specified in [TEXTURE] on line 1\n"},
        {"[TARGET]\n \r \n[/TARGET]\n", true, "Missing arguments in [TARGET] on line 2\n"},
        {"[TARGET]\nNAME\n[/TARGET]\n", true, "Missing NAME arguments in [TARGET] on line 2\n"},
        {"[TARGET]\nNAME a b\n[/TARGET]\n", true, "Unexpected keyword 'b' in [TARGET] on line 2\n"},
        {"[TARGET]\nPATH p\n[/TARGET]\n", true, "Unknown keyword 'PATH' in [TARGET] on line 2\n"},
        // Shader blocks.
        {"[VERTEXSHADER]\nNAME a\nNAME b\n[/VERTEXSHADER]\n", true, "NAME redefined in [VERTEXSHADER] on line 3\n"},
        {"[FRAGMENTSHADER]\nNAME\n[/FRAGMENTSHADER]\n", true, "NAME missing value in [FRAGMENTSHADER] on line 2\n"},
        {"[VERTEXSHADER]\nNAME a\rb\n[/VERTEXSHADER]\n", true, "Unexpected data in [VERTEXSHADER] on line 2: 'b'\n"},
        {"[VERTEXSHADER]\nFILE shaders/shadow.vsh\nFILE shaders/shadow.vsh\n[/VERTEXSHADER]\n", true,
         "FILE redefined in [VERTEXSHADER] on line 3\n"},
        {"[VERTEXSHADER]\nBINARYFILE shaders/binary.bin\nFILE shaders/shadow.vsh\n[/VERTEXSHADER]\n", true,
         "FILE redefined in [VERTEXSHADER] on line 3\n"},
        {"[VERTEXSHADER]\n[GLSL_CODE]\n[/GLSL_CODE]\nFILE shaders/shadow.vsh\n[/VERTEXSHADER]\n", true,
         "FILE not allowed with [GLSL_CODE] in [VERTEXSHADER] on line 4\n"},
        {"[VERTEXSHADER]\nFILE shaders/shadow.vsh\n[GLSL_CODE]\n[/GLSL_CODE]\n[/VERTEXSHADER]\n", true,
         "[GLSL_CODE] not allowed with FILE in [VERTEXSHADER] on line 3\n"},
        {"[VERTEXSHADER]\nFILE\n[/VERTEXSHADER]\n", true, "FILE missing value in [VERTEXSHADER] on line 2\n"},
        {"[VERTEXSHADER]\nBINARYFILE\n[/VERTEXSHADER]\n", true, "BINARYFILE missing value in [VERTEXSHADER] on line 2\n"},
        {"[VERTEXSHADER]\nFILE shaders/none.vsh\n[/VERTEXSHADER]\n", true,
         "Error loading file 'shaders/none.vsh' in [VERTEXSHADER] on line 2\n"},
        {"[VERTEXSHADER]\n[GLSL_CODE]\n[/GLSL_CODE]\n[GLSL_CODE]\n[/GLSL_CODE]\n[/VERTEXSHADER]\n", true,
         "[GLSL_CODE] redefined in [VERTEXSHADER] on line 4\n"},
        {"[VERTEXSHADER]\n[GLSL_CODE]\n[/VERTEXSHADER]\n", false, "Missing [/GLSL_CODE] tag after [GLSL_CODE] on line 2\n"},
        {"[VERTEXSHADER]\nSOURCE x\n[/VERTEXSHADER]\n", true, "Unknown keyword 'SOURCE' in [VERTEXSHADER] on line 2\n"},
        {"\n[VERTEXSHADER]\nFILE shaders/shadow.vsh\n[/VERTEXSHADER]\n", true, "NAME not found in [VERTEXSHADER] on line 2.\n"},
        {"[FRAGMENTSHADER]\nNAME f\n[/FRAGMENTSHADER]\n", true,
         "No Shader File or Shader Code specified in [FRAGMENTSHADER] on line 1\n"},
        // [EFFECT].
        {"[EFFECT]\nNAME a\nNAME b\n[/EFFECT]\n", true, "NAME redefined in [EFFECT] on line 1\n"},
        {"[EFFECT]\n\nNAME\n[/EFFECT]\n", true, "NAME missing value in [EFFECT] on line 1\n"},
        {"[EFFECT]\n[ANNOTATION]\nx\n[/ANNOTATION]\n[ANNOTATION]\n[/ANNOTATION]\n[/EFFECT]\n", true,
         "ANNOTATION redefined in [EFFECT] on line 5: \n"},
        {"[EFFECT]\n[ANNOTATION]\n[/EFFECT]\n", false, "Missing [/ANNOTATION] tag after [ANNOTATION] on line 2\n"},
        {"[EFFECT]\nVERTEXSHADER a\nVERTEXSHADER b\n[/EFFECT]\n", true, "VERTEXSHADER redefined in [EFFECT] on line 3: \n"},
        {"[EFFECT]\nFRAGMENTSHADER a\nFRAGMENTSHADER b\n[/EFFECT]\n", true,
         "FRAGMENTSHADER redefined in [EFFECT] on line 3: \n"},
        {"[EFFECT]\nVERTEXSHADER\n[/EFFECT]\n", true, "VERTEXSHADER missing value in [EFFECT] on line 2\n"},
        {"[EFFECT]\nFRAGMENTSHADER\n[/EFFECT]\n", true, "FRAGMENTSHADER missing value in [EFFECT] on line 2\n"},
        {"[EFFECT]\nTEXTURE 0\n[/EFFECT]\n", true, "TEXTURE missing value in [EFFECT] on line 2\n"},
        {"[EFFECT]\n\nTARGET COLOR\n[/EFFECT]\n", true, "TARGET missing value(s) in [EFFECT] on line 1\n"},
        {"[EFFECT]\nPASS x\n[/EFFECT]\n", true, "Unknown keyword 'PASS' in [EFFECT] on line 2\n"},
        {"[EFFECT]\nNAME X\nTEXTURE 0 t\nUNIFORM s TEXTURE1\n[/EFFECT]\n", true,
         "TEXTURE t missing matching UNIFORM in [EFFECT] on line 1\n"},
        {"[EFFECT]\nVERTEXSHADER V\n[/EFFECT]\n", true, "No 'NAME' found in [EFFECT] on line 1\n"},
        {"[EFFECT]\nNAME X\nFRAGMENTSHADER F\n[/EFFECT]\n", true,
         "No 'VERTEXSHADER' defined in [EFFECT] starting on line 1: \n"},
        {"[EFFECT]\nNAME X\nVERTEXSHADER V\n[/EFFECT]\n", true,
         "No 'FRAGMENTSHADER' defined in [EFFECT] starting on line 1: \n"},
        // UNIFORM and ATTRIBUTE lines.
        {"[EFFECT]\nUNIFORM\n[/EFFECT]\n", true, "UNIFORM missing name in [EFFECT] on line 2\n"},
        {"[EFFECT]\nATTRIBUTE a\n[/EFFECT]\n", true, "UNIFORM missing value in [EFFECT] on line 2\n"},
        {"[EFFECT]\nUNIFORM a 123\n[/EFFECT]\n", true, "Semantic contains only numbers in [EFFECT] on line 2\n"},
        {"[EFFECT]\nUNIFORM a B vector(1)\n[/EFFECT]\n", true, "'vector(1) ' unknown on line 2.\n"},
        {"[EFFECT]\nUNIFORM a B vec2 1, 2\n[/EFFECT]\n", true, "Missing '(' after vec2 on line 2.\n"},
        {"[EFFECT]\nUNIFORM a B vec2(\n[/EFFECT]\n", true, "vec2 missing arguments on line 2.\n"},
        {"[EFFECT]\nUNIFORM a B vec4(1\n[/EFFECT]\n", true, "vec4 missing arguments on line 2.\n"},
        {"[EFFECT]\nUNIFORM a B vec3(1, 2)\n[/EFFECT]\n", true, "')' unexpected for vec3 on line 2.\n"},
        {"[EFFECT]\nUNIFORM a B vec2(1, x)\n[/EFFECT]\n", true, "'x)' unexpected for vec2 on line 2.\n"},
        {"[EFFECT]\nUNIFORM a B bvec2(true; false)\n[/EFFECT]\n", true, "';' unexpected for bvec2 on line 2.\n"},
        {"[EFFECT]\nUNIFORM a B vec2(1,2,3)\n[/EFFECT]\n", true, "',3' found when expecting ')' for vec2 on line 2.\n"},
        {"[EFFECT]\nUNIFORM a B vec4(1,2,3,4\n[/EFFECT]\n", true, "'' found when expecting ')' for vec4 on line 2.\n"},
        {"[EFFECT]\nUNIFORM a B vec2(1,2) z\n[/EFFECT]\n", true, "'z' unexpected after ')' on line 2.\n"},
        {"[EFFECT]\nUNIFORM a B float(1e999)\n[/EFFECT]\n", true, "'1e999)' unexpected for float on line 2.\n"},
        {"[EFFECT]\nUNIFORM a B float(nan)\n[/EFFECT]\n", true, "'nan)' unexpected for float on line 2.\n"},
        {"[EFFECT]\nUNIFORM a B int(2147483648)\n[/EFFECT]\n", true, "'2147483648)' unexpected for int on line 2.\n"},
    };
    for (const SCase& c : cases) {
        SParsed r = Parse(c.withRest ? c.doc + kRest : c.doc);
        EXPECT_EQ(r.result, 1u) << c.doc.substr(0, 200);
        EXPECT_EQ(r.error, c.message) << c.doc.substr(0, 200);
    }
    CXQFTString error("stale");
    EXPECT_EQ(CXQFTVTLParser().ParseFromMemory(nullptr, &error), 1u);
}

TEST_F(EffectParser, AcceptedEdgesOfTheFormat)
{
    std::string exactly = kRest;   // 17 lines and the empty last one
    for (int i = 18; i < 5000; ++i)
        exactly += "\n";
    EXPECT_EQ(Parse(exactly).result, 0u) << Parse(exactly).error;
    EXPECT_EQ(Parse(exactly + "\n").error, "Too many lines of text in file (maximum is 5000)\n");

    CXQFTVTLParser code;
    ASSERT_EQ(Parse(code, "[VERTEXSHADER]\nNAME V\n[GLSL_CODE]\n\t  gl_Position  =\tp;   // comment\n\n  x\n[/GLSL_CODE]\n"
                          "[/VERTEXSHADER]\n" + kRest).result, 0u);
    EXPECT_STREQ(code.GetVertexShader(0).GLSLCode, "gl_Position = p;\n\nx\n");

    CXQFTVTLParser edges;
    SParsed r = Parse(edges,
                      "\xEF\xBB\xBF[TEXTURE]\nNAME v\nVIEW \"VTL_CURRENTVIEW\"\nRESOLUTION 0 256\n[/TEXTURE]\n"
                      "[TEXTURES]\nFILE huge x.png\n[/TEXTURES]\n"
                      "[EFFECT]\nNAME X\nUNIFORM s TEXTURE99999999999\nUNIFORM m A3\nTEXTURE 99999999999 huge\n"
                      "VERTEXSHADER V\nFRAGMENTSHADER F\n[/EFFECT]\n" + kRest);
    ASSERT_EQ(r.result, 0u) << r.error;
    EXPECT_EQ(edges.renderPasses[0].ViewType, 0u);
    EXPECT_EQ(edges.textures[0]->Width, 0u);
    EXPECT_EQ(edges.textures[0]->Height, 256u);
    const SXQFTVTLParserEffect& x = edges.effects[0];
    EXPECT_STREQ(x.Uniforms[0].Value, "TEXTURE");
    EXPECT_EQ(x.Uniforms[0].Index, 4294967295u);
    EXPECT_EQ(x.Textures[0].Number, 4294967295u);
    EXPECT_STREQ(x.Uniforms[1].Value, "A");
    EXPECT_EQ(x.Uniforms[1].Index, 3u);

    // CRLF line ends read as LF; a NUL ends the text.
    std::string crlf = kRest;
    for (size_t at = 0; (at = crlf.find('\n', at)) != std::string::npos; at += 2)
        crlf.insert(at, "\r");
    EXPECT_EQ(Parse(crlf).result, 0u) << Parse(crlf).error;
    EXPECT_EQ(Parse(kRest + std::string("\0bogus\n", 7)).result, 0u);
    std::string crOnly = kRest;
    for (char& ch : crOnly)
        if (ch == '\n')
            ch = '\r';
    EXPECT_EQ(Parse(crOnly).error, "'[VERTEXSHADER]\rNAME V\r[GLSL_CODE]\rvoid main(){}\r[/GLSL_CODE]\r[/VERTEXSHADER]\r"
                                   "[FRAGMENTSHADER]\rNAME F\r[GLSL_CODE]\rvoid main(){}\r[/GLSL_CODE]\r[/FRAGMENTSHADER]\r"
                                   "[EFFECT]\rNAME E\rVERTEXSHADER V\rFRAGMENTSHADER F\r[/EFFECT]' unexpected on line 1\n");
    EXPECT_EQ(Parse(std::string(100000, 'a')).error, "Line 1 is longer than 511 characters\n");
    std::string values = "1", rest;
    for (int i = 1; i < 100; ++i)
        values += ",1", rest += i >= 4 ? ",1" : "";
    EXPECT_EQ(Parse("[EFFECT]\nUNIFORM a B vec4(" + values + ")\n[/EFFECT]\n" + kRest).error,
              "'" + rest + "' found when expecting ')' for vec4 on line 2.\n");
}

TEST_F(EffectParser, RenderPassGraphCyclesSelfSamplingAndHashTwins)
{
    const std::string passes =
        "[TARGET]\nNAME a\n[/TARGET]\n[TARGET]\nNAME b\n[/TARGET]\n"
        "[EFFECT]\nNAME A\nUNIFORM s TEXTURE\nTEXTURE 0 b\nTARGET COLOR a\nVERTEXSHADER V\nFRAGMENTSHADER F\n[/EFFECT]\n"
        "[EFFECT]\nNAME B\nUNIFORM s TEXTURE\nUNIFORM t TEXTURE1\nTEXTURE 0 a\nTEXTURE 1 b\nTARGET COLOR b\n"
        "VERTEXSHADER V\nFRAGMENTSHADER F\n[/EFFECT]\n";
    CXQFTVTLParser p;
    ASSERT_EQ(Parse(p, passes + kRest).result, 0u);
    auto* a = p.renderPassGraph.Find(&p.renderPasses[0]);
    auto* b = p.renderPassGraph.Find(&p.renderPasses[1]);
    EXPECT_EQ(Names(a->Dependencies), std::vector<std::string>({"b"}));
    EXPECT_EQ(Names(a->Dependents), std::vector<std::string>({"b"}));
    EXPECT_EQ(Names(b->Dependencies), std::vector<std::string>({"a"}));   // b sampling itself adds nothing
    EXPECT_EQ(Names(b->Dependents), std::vector<std::string>({"a"}));
    EXPECT_FALSE(p.renderPassGraph.AddDependency(a, a));
    EXPECT_FALSE(p.renderPassGraph.AddDependency(a, nullptr));
    EXPECT_TRUE(p.renderPassGraph.AddDependency(a, b));   // already there: unchanged
    EXPECT_EQ(a->Dependencies.size, 1u);

    // "t4598b" and "t868b8" share one FNV-1 hash: names compare by hash, so the second texture
    // name resolves to the first texture.
    CXQFTVTLParser twins;
    SParsed r = Parse(twins, "[TEXTURES]\nFILE t4598b a.png\n[/TEXTURES]\n"
                             "[EFFECT]\nNAME X\nUNIFORM s TEXTURE\nTEXTURE 0 t868b8\nVERTEXSHADER V\nFRAGMENTSHADER F\n[/EFFECT]\n" +
                                 kRest);
    EXPECT_EQ(r.result, 0u) << r.error;
    EXPECT_EQ(CXQFTStringHash("t4598b").Hash, CXQFTStringHash("t868b8").Hash);
    EXPECT_FALSE(CXQFTStringHash("t4598b") == "t868b8");
}

TEST_F(EffectParser, ShaderRecordsCopyTheirBuffers)
{
    CXQFTVTLParser p;
    ASSERT_EQ(Parse(p, ReadWhole(kDataDir + "complete.vtl")).result, 0u);
    SXQFTVTLParserShader copy = p.GetFragmentShader(1);
    SXQFTVTLParserShader assigned;
    assigned = copy;
    assigned = assigned;
    for (const SXQFTVTLParserShader* s : {&copy, &assigned}) {
        ASSERT_EQ(s->GLSLBinarySize, 15u);
        EXPECT_NE(s->GLSLBinary, p.GetFragmentShader(1).GLSLBinary);
        EXPECT_EQ(memcmp(s->GLSLBinary, "XQFB\0\1\2\0binary\0", 15), 0);
        EXPECT_STREQ(s->GLSLBinaryFile, "shaders/binary.bin");
    }
}

TEST_F(EffectParser, HostileFilesAndVolumes)
{
    CTempFolder dir;
    ASSERT_EQ(mkfifo(dir.File("fifo").c_str(), 0600), 0);
    ASSERT_EQ(truncate(dir.Write("big", "").c_str(), off_t(300) << 20), 0);
    dir.Write("empty", "");
    CXQFTResourceFile::ReadPath = "";
    for (const std::string& path : {dir.File("missing"), dir.File("empty"), dir.Path(), dir.File("fifo"), dir.File("big")}) {
        SParsed r = Parse("[VERTEXSHADER]\nNAME v\nFILE " + path + "\n[/VERTEXSHADER]\n" + kRest);
        EXPECT_EQ(r.error, "Error loading file '" + path + "' in [VERTEXSHADER] on line 3\n");
    }

    std::string many;
    for (int i = 0; i < 500; ++i)
        many += "[EFFECT]\nNAME E" + std::to_string(i) + "\nVERTEXSHADER V\nFRAGMENTSHADER F\n[/EFFECT]\n";
    CXQFTVTLParser p;
    ASSERT_EQ(Parse(p, many + kRest).result, 0u);
    EXPECT_EQ(p.effects.size, 501u);
    EXPECT_TRUE(p.effects[499].Name == "E499");

    // Failed parses leave what they read to the destructor (the sanitizer build checks both).
    for (const char* doc : {"[VERTEXSHADER]\nNAME a\n[GLSL_CODE]\nx\n[/GLSL_CODE]\n[/VERTEXSHADER]\n[EFFECT]\n",
                            "[TEXTURE]\nNAME t\nVIEW v\n[/TEXTURE]\n[TARGET]\nNAME u\n[/TARGET]\nbogus\n"}) {
        CXQFTVTLParser failed;
        EXPECT_EQ(Parse(failed, doc).result, 1u);
    }
}

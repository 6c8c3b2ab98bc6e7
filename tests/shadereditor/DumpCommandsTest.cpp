// xqft-dump's shader-editor commands: vtl and doctype, run as a user would.
#include "RunCommand.h"
#include "ShaderTestSupport.h"

#include <gtest/gtest.h>
#include "TestPaths.h"

namespace {

const std::string kDump = BinaryDir() + "/bin/xqft-dump";
const std::string kData = SourceDir() + "/tests/shadereditor/data";

} // namespace

TEST(DumpShaderCommands, VtlListsShadersOrTheParserMessage)
{
    SRunResult ok = RunCommand("cd '" + kData + "' && '" + kDump + "' vtl complete.vtl");
    EXPECT_EQ(ok.status, 0) << ok.err;
    EXPECT_EQ(ok.out, "ok\n"
                      "vertex name=MainVertex first-line=55 code-bytes=101 file=0\n"
                      "vertex name=ShadowVertex first-line=67 code-bytes=72 file=1\n"
                      "fragment name=MainFragment first-line=72 code-bytes=85 file=0\n"
                      "fragment name=PrecompiledFragment first-line=83 code-bytes=15 file=1\n");

    CTempFolder dir;
    SRunResult bad = RunCommand("'" + kDump + "' vtl '" + dir.Write("bad.vtl", "[HEADER]\nVERSION 1\n") + "'");
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(bad.out, "error=Missing [/HEADER] tag after [HEADER] on line 1\n");
    EXPECT_EQ(RunCommand("'" + kDump + "' vtl '" + dir.Path() + "'").status, 1);
}

TEST(DumpShaderCommands, DoctypeFromTextAndExtension)
{
    CTempFolder dir;
    struct SCase
    {
        const char* name;
        const char* text;
        const char* expected;
    };
    const SCase cases[] = {
        {"a.frag", "precision mediump float;\nvoid main() { gl_FragColor = vec4(1.0); }\n", "2 GLSL:ES Fragment Shader\n"},
        {"a.vtl", "uniform float f;\n", "32 Tarnvex Effect File (GLSL)\n"},
        {"kernel.cl", "", "1024 OpenCL Kernel\n"},
        {"notes", "gl_Position\n", "0 Plain Text\n"},
    };
    for (const SCase& c : cases) {
        SRunResult r = RunCommand("'" + kDump + "' doctype '" + dir.Write(c.name, c.text) + "'");
        EXPECT_EQ(r.status, 0) << c.name;
        EXPECT_EQ(r.out, c.expected) << c.name;
    }
}

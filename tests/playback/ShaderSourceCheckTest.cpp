// The check of shader sources before a compiler sees them: what applications write passes, what
// would take the host compiler's stack, memory or minutes is refused with its reason. Each refused
// case runs in well under a second here (a hang or a runaway expansion fails the test's time limit).
#include "host/ShaderPreprocess.h"
#include "host/ShaderSourceCheck.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Repeat(const std::string& text, size_t n)
{
    std::string out;
    out.reserve(text.size() * n);
    for (size_t i = 0; i < n; ++i)
        out += text;
    return out;
}

std::string Main(const std::string& declarations, const std::string& body)
{
    return "precision mediump float;\nuniform float a;\nuniform int k;\n" + declarations + "\nvoid main()\n{\n" +
           body + "\n}\n";
}

// "v = a + a + ... + a;" with n operands.
std::string Chain(size_t n)
{
    return Main("", "float v = a" + Repeat(" + a", n - 1) + ";\ngl_FragColor = vec4(v);");
}

// A0 = first; An = A(n-1) <between> A(n-1): An stands for 2^n copies of `first`.
std::string DoublingMacros(int levels, const std::string& first, const std::string& between)
{
    std::string defines = "#define A0 " + first + "\n";
    for (int i = 1; i <= levels; ++i)
        defines += "#define A" + std::to_string(i) + " A" + std::to_string(i - 1) + between + "A" +
                   std::to_string(i - 1) + "\n";
    return defines;
}

std::string Doubling(int levels)
{
    return Main(DoublingMacros(levels, "a", " + "), "gl_FragColor = vec4(A" + std::to_string(levels) + ");");
}

// f0 .. fN, each calling the one before twice: fN inlined holds 2^N copies of f0. With prototypes
// first, defined from the last to the first.
std::string CallingTwice(int levels, bool lastFirst)
{
    std::string prototypes, functions;
    for (int i = 0; i <= levels; ++i) {
        const std::string n = std::to_string(i), before = std::to_string(i - 1);
        prototypes += "float f" + n + "(float x);\n";
        const std::string f = i == 0 ? "float f0(float x) { return x * a; }\n"
                                     : "float f" + n + "(float x) { return f" + before + "(x) + f" + before +
                                           "(x + 1.0); }\n";
        functions = lastFirst ? f + functions : functions + f;
    }
    return Main((lastFirst ? prototypes : "") + functions, "gl_FragColor = vec4(f" + std::to_string(levels) + "(a));");
}

struct SCase
{
    const char* name;
    std::string source;
    const char* reason;  // a part of the refusal; null: the source passes
};

std::vector<SCase> Cases()
{
    const std::string light =
        "#version 100\n#ifdef GL_ES\nprecision highp float;\n#endif\n#define LIGHTS 8\n#define SQ(x) ((x) * (x))\n"
        "#define CAT(a, b) a##b\nconst int kTaps = LIGHTS * 2;\nuniform vec4 lights[LIGHTS * 4];\n"
        "uniform mat4 bones[64];\nvarying vec2 uv;\nuniform sampler2D tex;\n"
        "#if defined(GL_ES) && LIGHTS > 4 \\\n  && 1\nuniform float weights[kTaps];\n#else\n#error no\n#endif\n"
        "/* a comment\n over lines */\nvoid main() {\n  vec4 CAT(sum, 0) = vec4(0.0); // line comment\n"
        "  for (int i = 0; i < kTaps; i++) sum0 += texture2D(tex, uv + vec2(float(i) * 0.01)) * weights[i];\n"
        "  gl_FragColor = sum0 * SQ(lights[0].x) + lights[int(3.0)] + bones[2][0] + vec4(1e-3, .5, 2.E+1, 0x1F);\n}\n";
    return {
        {"a shader with macros, conditionals, pastes and arrays", light, nullptr},
        {"an expression of 2,000 operands", Chain(2000), nullptr},
        {"a local array of 4,096 floats indexed by a variable",
         Main("", "float t[4096]; t[k] = a; gl_FragColor = vec4(t[k]);"), nullptr},
        {"a macro doubling 10 levels", Doubling(10), nullptr},
        {"helpers called a few times, overloads calling one another, a prototype",
         Main("float luma(vec3 c) { return dot(c, vec3(0.3, 0.6, 0.1)); }\n"
              "float luma(vec4 c) { return luma(c.rgb) * c.a; }\nvec3 tone(vec3 c);\n"
              "float hash(float x) { return fract(sin(x) * 43758.5); }\n"
              "float noise(float x) { return mix(hash(floor(x)), hash(floor(x) + 1.0), fract(x)); }\n"
              "float fbm(float x) { return noise(x) + 0.5 * noise(x * 2.0) + 0.25 * noise(x * 4.0); }\n"
              "vec3 tone(vec3 c) { return c / (c + vec3(1.0)); }",
              "gl_FragColor = vec4(tone(vec3(fbm(a))), luma(vec4(a)));"),
         nullptr},
        {"functions calling the one before twice, 10 levels", CallingTwice(10, false), nullptr},
        {"functions calling the one before twice, 30 levels", CallingTwice(30, false),
         "a function whose calls add more than 32768 tokens once inlined"},
        {"the same defined last first after their prototypes", CallingTwice(30, true), "once inlined"},
        {"an expression of 5,000 operands", Chain(5000), "a statement of more than 4096 tokens at line 7"},
        {"an expression of 15,000 operands", Chain(15000), "a statement of more than 4096 tokens"},
        {"an expression of 100,000 operands", Chain(100000), "a statement of more than 4096 tokens"},
        {"parentheses nested 10,000 deep", Main("", "float v = " + Repeat("(", 10000) + "a" + Repeat(")", 10000) + ";"),
         "brackets nested more than 256 deep"},
        {"blocks nested 300 deep", Main("", Repeat("{", 300) + Repeat("}", 300)), "brackets nested more than 256 deep"},
        {"parentheses nested 300 deep by a macro",
         Main("#define P(x) ((((((((((x))))))))))\n", "float v = " + Repeat("P(", 30) + "a" + Repeat(")", 30) + ";"),
         "brackets nested more than 256 deep once its macros are expanded"},
        {"a macro doubling 24 levels", Doubling(24), "a statement of more than 4096 tokens"},
        {"a macro doubling 30 levels", Doubling(30), "a statement of more than 4096 tokens"},
        {"a macro of statements doubling 20 levels",
         Main(DoublingMacros(20, "v = a;", " "), "float v; A20"),
         "expand to more than"},
        {"a function-like macro nested 30 deep",
         Main("#define D(x) x + x\n", "float v = " + Repeat("D(", 30) + "a" + Repeat(")", 30) + ";"),
         "expand to more than"},
        {"a macro whose name comes from a paste",
         DoublingMacros(21, "a", " ") + "#define CAT(x, y) x##y\nCAT(A, 21);\n",
         "a statement of more than 4096 tokens"},
        {"a doubling macro defined in the branch that is kept",
         "#ifndef NEVER\n#define A0 a a\n#define A1 A0 A0\n#define A2 A1 A1\n#define A3 A2 A2\n#define A4 A3 A3\n"
         "#define A5 A4 A4\n#define A6 A5 A5\n#define A7 A6 A6\n#define A8 A7 A7\n#define A9 A8 A8\n#define A10 A9 A9\n"
         "#define A11 A10 A10\n#define A12 A11 A11\n#define A13 A12 A12\n#define A14 A13 A13\n#define A15 A14 A14\n"
         "#define A16 A15 A15\n#define A17 A16 A16\n#define A18 A17 A17\n#define A19 A18 A18\n#define A20 A19 A19\n"
         "#else\n#define A20 a\n#endif\nA20\n",
         "a statement of more than 4096 tokens"},
        {"#if nested 300 deep", Repeat("#if 1\n", 300) + Repeat("#endif\n", 300), "#if nested more than 256 deep"},
        {"a 16 MB source", Main(Repeat("// " + std::string(97, 'x') + "\n", 168 * 1024), ""),
         "bytes long, more than 1048576"},
        {"a local array of 100,000 floats", Main("", "float t[100000]; t[k] = a; gl_FragColor = vec4(t[k]);"),
         "an array of 100000 elements, more than 65536 at line 7"},
        {"a uniform array of 2^31-1 vectors", Main("uniform vec4 u[2147483647];", "gl_FragColor = u[k];"),
         "an array of 2147483647 elements"},
        {"an array sized by constants and macros",
         Main("#define N 1000\nconst int M = N * int(2.5);\nuniform float u[N][M];", "gl_FragColor = vec4(u[0][k]);"),
         "an array of 2000000 elements"},
    };
}

TEST(ShaderSourceCheck, PassesWhatApplicationsWriteAndRefusesWhatWouldRunAway)
{
    for (const SCase& c : Cases()) {
        const std::string why = ShaderSourceRefusal(c.source);
        if (!c.reason)
            EXPECT_EQ(why, "") << c.name;
        else
            EXPECT_NE(why.find(c.reason), std::string::npos) << c.name << ": " << why;
    }
}

// The expansion is that of the host's preprocessor where sources from applications lean on it.
TEST(ShaderSourceCheck, ExpandsMacrosAsTheHostPreprocessorDoes)
{
    const struct
    {
        const char* source;
        const char* tokens;
    } cases[] = {
        {"#define F(x, y) (x) * y\nF(a + 1, F(b, c))", "( a + 1 ) * ( b ) * c"},
        {"#define F(x) x\n#define G F\nG(1) F", "1 F"},
        {"#define A B\n#define B A\nA", "A"},
        {"#define CAT(a, b) a##b\n#define xy 5\nCAT(x, y) CAT(x, 1)", "5 x1"},
        {"#if 0\nno\n#elif defined ( A ) || 2 > 1\nyes\n#else\nno\n#endif", "yes"},
        {"#define A\n#ifndef A\nno\n#endif\n#undef A\n#ifdef A\nno\n#endif\nend", "end"},
        {"#define LONG 1 + \\\n 2\nLONG", "1 + 2"},
    };
    for (const auto& c : cases) {
        CShaderPreprocessor preprocessor({1000, 1000, 16, 16, 1000});
        ASSERT_TRUE(preprocessor.Run(c.source)) << c.source << ": " << preprocessor.Why();
        std::string text;
        for (const SShaderToken& t : preprocessor.Tokens())
            text += (text.empty() ? "" : " ") + std::string(t.text);
        EXPECT_EQ(text, c.tokens) << c.source;
    }
}

} // namespace

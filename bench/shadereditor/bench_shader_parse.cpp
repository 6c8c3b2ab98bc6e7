// Parsing speed of the shader editor's readers, against the time to merely split the same texts
// into lines in the same run:
//   - the largest legal effect document (5000 lines, about 400 KB, every block kind);
//   - a 1 MB compile log with 10,000 messages (offset 10) plus a 5,000-entry profile file.
// Goals: each parse under 13 ms; the effect parse within 4x of its line split.
#include "BenchSupport.h"
#include "CompileOutputParser.h"
#include "XQFTVTLParser.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

using namespace xqft::bench;

namespace {

std::string LargestEffect()
{
    std::string doc = "[HEADER]\nVERSION 1\nDESCRIPTION the largest document\n[/HEADER]\n[TEXTURES]\n";
    for (int i = 0; i < 40; ++i)
        doc += "FILE tex" + std::to_string(i) + " textures/texture" + std::to_string(i) + ".png LINEAR-LINEAR-NEAREST CLAMP-REPEAT\n";
    doc += "[/TEXTURES]\n";
    const std::string code = "\t\tgl_Position = uModelViewProjection * vec4(inVertex.xyz, 1.0) + vec4(offset, 0.0); // moves it\n";
    int lines = int(std::count(doc.begin(), doc.end(), '\n'));
    for (int g = 0; lines < 4900; ++g) {
        const std::string n = std::to_string(g);
        std::string block =
            "[TEXTURE]\nNAME view" + n + "\nVIEW camera" + n + "\nRESOLUTION 256 256\nFILTER LINEAR-LINEAR-NONE\n[/TEXTURE]\n"
            "[TARGET]\nNAME target" + n + "\nRESOLUTION 512 512\nSURFACETYPE RGBA8888\nWRAP CLAMP-CLAMP\n[/TARGET]\n"
            "[VERTEXSHADER]\nNAME V" + n + "\n[GLSL_CODE]\n";
        for (int k = 0; k < 30; ++k)
            block += code;
        block += "[/GLSL_CODE]\n[/VERTEXSHADER]\n[FRAGMENTSHADER]\nNAME F" + n + "\n[GLSL_CODE]\n";
        for (int k = 0; k < 30; ++k)
            block += code;
        block += "[/GLSL_CODE]\n[/FRAGMENTSHADER]\n[EFFECT]\nNAME E" + n + "\n[ANNOTATION]\nAn effect\n[/ANNOTATION]\n"
                 "ATTRIBUTE inVertex POSITION\nUNIFORM uModelViewProjection WORLDVIEWPROJECTION\n"
                 "UNIFORM sTexture TEXTURE0\nUNIFORM offset OFFSET vec3(1.0, 2.0, 3.0)\nTEXTURE 0 view" + n + "\n"
                 "TARGET COLOR target" + n + "\nVERTEXSHADER V" + n + "\nFRAGMENTSHADER F" + n + "\n[/EFFECT]\n";
        lines += int(std::count(block.begin(), block.end(), '\n'));
        doc += block;
    }
    while (lines < 4999) {
        doc += "// padding\n";
        ++lines;
    }
    return doc;
}

// The cheapest reading of the text: every line copied out once.
size_t SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0, total = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        lines.emplace_back(text, start, end - start);
        total += lines.back().size();
        start = end + 1;
    }
    return total + lines.size();
}

template <typename F>
double BestMs(F&& f, int runs = 30)
{
    double best = 1e9;
    for (int i = 0; i < runs; ++i) {
        auto t0 = Clock::now();
        f();
        best = std::min(best, Seconds(t0, Clock::now()) * 1000.0);
    }
    return best;
}

void Report(const char* what, size_t bytes, double parseMs, double splitMs)
{
    printf("%-34s %8.1f KB  parse %7.3f ms  %7.1f MB/s   line split %6.3f ms  ratio %.1fx\n", what, bytes / 1024.0,
           parseMs, bytes / 1e6 / (parseMs / 1000.0), splitMs, parseMs / splitMs);
}

} // namespace

int main()
{
    const std::string effect = LargestEffect();
    {
        CXQFTVTLParser check;
        CXQFTString error;
        if (check.ParseFromMemory(effect.c_str(), &error) != 0) {
            fprintf(stderr, "bench_shader_parse: the effect document does not parse: %s", error.CStr());
            return 1;
        }
        printf("effect document: %zu lines, %u effects, %u vertex shaders\n",
               size_t(std::count(effect.begin(), effect.end(), '\n')) + 1, check.effects.size,
               check.GetNumberVertexShaders());
    }
    size_t sink = 0;
    double effectMs = BestMs([&] {
        CXQFTVTLParser parser;
        CXQFTString error;
        sink += parser.ParseFromMemory(effect.c_str(), &error);
    });
    double effectSplit = BestMs([&] { sink += SplitLines(effect); });
    Report("effect document (5000 lines)", effect.size(), effectMs, effectSplit);

    std::string log = "Compile failed.\n";
    for (int i = 0; log.size() < (1u << 20) - 120; ++i)
        log += (i % 3 ? "WARNING: 0:" : "ERROR: 0:") + std::to_string(i % 5000 + 1) +
               ": 'identifier' : undeclared identifier in an expression of this shader, line text\n";
    int messages = int(std::count(log.begin(), log.end(), '\n')) - 1;
    std::string profile;
    for (int i = 1; i <= 5000; ++i)
        profile += "line: " + std::to_string(i) + ", count: " + std::to_string(i % 17) + "\n";
    profile += "USC generated instructions = 1234\n";
    const CXQFTString logText(log.data(), log.size());
    double logMs = BestMs([&] {
        SCompileResult result;
        TCompileProfileMap profiles;
        ParseCompileMessages(result, "Compile failed.\n", 10, logText);
        ParseProfileText(result, profiles, profile.data(), profile.size(), 10, 0, 5000);
        sink += result.output.Length() + result.lineCycles.size;
    });
    double logSplit = BestMs([&] { sink += SplitLines(log) + SplitLines(profile); });
    printf("compile log: %d messages; profile: 5000 entries\n", messages);
    Report("compile log + profile file", log.size() + profile.size(), logMs, logSplit);
    return sink == 0 ? 1 : 0;
}

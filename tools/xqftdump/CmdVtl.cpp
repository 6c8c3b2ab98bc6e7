// xqft-dump vtl FILE: parses an effect file as the shader editor does. Prints "ok" and one line
// per shader (kind, name, first line, code bytes, file flag), or "error=" and the parser's
// message with exit status 2.
#include "DumpCommand.h"

#include "XQFTVTLParser.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void PrintShader(const char* kind, const SXQFTVTLParserShader& s)
{
    size_t bytes = s.GLSLBinary ? s.GLSLBinarySize : (s.GLSLCode ? strlen(s.GLSLCode) : 0);
    printf("%s name=%s first-line=%u code-bytes=%zu file=%d\n", kind, s.Name.CStr(), s.FirstLineNumber,
           bytes, s.UseFileName ? 1 : 0);
}

int RunVtl(const std::vector<std::string>& args)
{
    if (args.size() != 1) {
        fputs("usage: xqft-dump vtl FILE\n", stderr);
        return kDumpUsage;
    }
    std::string text;
    if (!ReadCommandFile(args[0], text))
        return kDumpUsage;
    CXQFTVTLParser parser;
    CXQFTString message;
    uint32_t result = parser.ParseFromMemory(text.c_str(), &message);
    if (result != 0) {
        printf("error=%s", message.CStr());
        if (message.IsEmpty() || message.CStr()[message.Length() - 1] != '\n')
            putchar('\n');
        return 2;
    }
    puts("ok");
    for (uint32_t i = 0; i < parser.GetNumberVertexShaders(); ++i)
        PrintShader("vertex", parser.GetVertexShader(i));
    for (uint32_t i = 0; i < parser.GetNumberFragmentShaders(); ++i)
        PrintShader("fragment", parser.GetFragmentShader(i));
    return kDumpOk;
}

} // namespace

XQFT_DUMP_COMMAND("vtl", "FILE", RunVtl);

// xqft-dump vtl FILE: parses an effect file as the shader editor does. Prints "ok" and one line
// per shader (kind, name, first line, code bytes, file flag), or "error=" and the parser's
// message with exit status 2.
#include "DumpCommand.h"

#include "XQFTFile.h"
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
    char* text = nullptr;
    size_t size = 0;
    int error = 0;
    if (XQFTReadRegularFile(args[0].c_str(), kXQFTMaxWholeFileSize, &text, &size, &error) !=
        EXQFTReadFile::Ok) {
        fprintf(stderr, "ERROR: cannot read %s: %s\n", args[0].c_str(),
                error ? strerror(error) : "too large or unreadable");
        return kDumpUsage;
    }
    CXQFTVTLParser parser;
    CXQFTString message;
    uint32_t result = parser.ParseFromMemory(text, &message);
    free(text);
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

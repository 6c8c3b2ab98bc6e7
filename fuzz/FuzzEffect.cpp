// One input = one effect document for the effect-file parser. Any result is fine; a crash, a
// sanitizer report or a leak is a finding. FILE and BINARYFILE lines read from a stand-in loader
// (names starting with 'm' exist), never from the disk.
#include "XQFTResourceFile.h"
#include "XQFTVTLParser.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void* FakeLoad(const char* path, void** data, size_t* size)
{
    *size = 0;
    if (path[0] != 'm')
        return nullptr;
    static const char kSource[] = "void main()\n{\n}\n\0tail";
    char* copy = static_cast<char*>(malloc(sizeof kSource));
    memcpy(copy, kSource, sizeof kSource);
    *data = copy;
    *size = sizeof kSource;
    return copy;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CXQFTResourceFile::LoadFileFunc = &FakeLoad;
    const std::string text(reinterpret_cast<const char*>(data), size);
    CXQFTVTLParser parser;
    CXQFTString error;
    uint32_t result = parser.ParseFromMemory(text.c_str(), &error);
    if (result > 1)
        abort();
    if (result == 0) {
        for (uint32_t i = 0; i < parser.GetNumberVertexShaders(); ++i)
            if (!parser.GetVertexShader(i).GLSLCode && !parser.GetVertexShader(i).GLSLBinary)
                abort();
        SXQFTVTLParserShader copy;
        for (uint32_t i = 0; i < parser.GetNumberFragmentShaders(); ++i)
            copy = parser.GetFragmentShader(i);
    } else if (error.IsEmpty()) {
        abort();   // every failure explains itself
    }
    return 0;
}

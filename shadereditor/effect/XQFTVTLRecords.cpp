#include "XQFTVTLRecords.h"

#include <cstdlib>
#include <cstring>

namespace {

char* Duplicate(const char* s)
{
    return s ? strdup(s) : nullptr;
}

unsigned char* DuplicateBytes(const unsigned char* bytes, uint32_t count)
{
    if (!bytes)
        return nullptr;
    auto* copy = static_cast<unsigned char*>(malloc(count ? count : 1));
    if (copy && count)
        memcpy(copy, bytes, count);
    return copy;
}

} // namespace

SXQFTVTLParserShader::SXQFTVTLParserShader(const SXQFTVTLParserShader& other)
{
    *this = other;
}

SXQFTVTLParserShader& SXQFTVTLParserShader::operator=(const SXQFTVTLParserShader& other)
{
    if (&other == this)
        return *this;
    Release();
    Name = other.Name;
    UseFileName = other.UseFileName;
    GLSLFile = Duplicate(other.GLSLFile);
    GLSLBinaryFile = Duplicate(other.GLSLBinaryFile);
    GLSLCode = Duplicate(other.GLSLCode);
    GLSLBinary = DuplicateBytes(other.GLSLBinary, other.GLSLBinarySize);
    GLSLBinarySize = GLSLBinary ? other.GLSLBinarySize : 0;
    FirstLineNumber = other.FirstLineNumber;
    return *this;
}

SXQFTVTLParserShader::~SXQFTVTLParserShader()
{
    Release();
}

void SXQFTVTLParserShader::Release()
{
    free(GLSLFile);
    free(GLSLBinaryFile);
    free(GLSLCode);
    free(GLSLBinary);
    GLSLFile = GLSLBinaryFile = GLSLCode = nullptr;
    GLSLBinary = nullptr;
    GLSLBinarySize = 0;
}

SXQFTVTLParserSemantic::SXQFTVTLParserSemantic(const SXQFTVTLParserSemantic& other)
{
    *this = other;
}

SXQFTVTLParserSemantic& SXQFTVTLParserSemantic::operator=(const SXQFTVTLParserSemantic& other)
{
    if (&other == this)
        return *this;
    free(Name);
    free(Value);
    Name = Duplicate(other.Name);
    Value = Duplicate(other.Value);
    Index = other.Index;
    memcpy(Floats, other.Floats, sizeof Floats);
    memcpy(Ints, other.Ints, sizeof Ints);
    memcpy(Bools, other.Bools, sizeof Bools);
    Type = other.Type;
    return *this;
}

SXQFTVTLParserSemantic::~SXQFTVTLParserSemantic()
{
    free(Name);
    free(Value);
}

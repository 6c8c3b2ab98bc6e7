#pragma once
// Parser of effect files (.vtl): a line-oriented text of blocks ([HEADER], [TEXTURES],
// [TEXTURE], [TARGET], [VERTEXSHADER], [FRAGMENTSHADER], [EFFECT]) that bundles GLSL ES shaders
// with the textures, targets and effects that use them. The document is cut into normalised
// lines first, then walked block by block; the first error stops the parse with one message.
#include "XQFTArray.h"
#include "XQFTArrayManagedPointers.h"
#include "XQFTSkipGraph.h"
#include "XQFTString.h"
#include "XQFTVTLRecords.h"

#include <cstdint>
#include <vector>

class CXQFTVTLParser
{
public:
    static constexpr uint32_t kMaxLines = 5000;
    static constexpr uint32_t kMaxLineLength = 511;

    CXQFTVTLParser();
    ~CXQFTVTLParser();
    CXQFTVTLParser(const CXQFTVTLParser&) = delete;
    CXQFTVTLParser& operator=(const CXQFTVTLParser&) = delete;

    // 0 on success, 1 on failure with the message in *error (none for a null text). Use a new
    // parser for each document.
    uint32_t ParseFromMemory(const char* text, CXQFTString* error);

    uint32_t GetNumberVertexShaders() const { return vertexShaders.size; }
    uint32_t GetNumberFragmentShaders() const { return fragmentShaders.size; }
    // The caller keeps index below the count.
    const SXQFTVTLParserShader& GetVertexShader(uint32_t index) const { return vertexShaders[index]; }
    const SXQFTVTLParserShader& GetFragmentShader(uint32_t index) const { return fragmentShaders[index]; }

    CXQFTString version, description, copyright;
    CXQFTArrayManagedPointers<SXQFTVTLParserTexture> textures;
    CXQFTArray<SXQFTVTLParserShader> fragmentShaders;
    CXQFTArray<SXQFTVTLParserShader> vertexShaders;
    CXQFTArray<SXQFTVTLParserEffect> effects;
    CXQFTArray<SXQFTVTLRenderPass> renderPasses;
    CXQFTString fileName;
    CXQFTArray<CXQFTString> targetNames;   // passes some effect renders into, in pass order
    uint32_t viewWidth = 640, viewHeight = 480;
    CXQFTSkipGraphRoot<SXQFTVTLRenderPass*> renderPassGraph;

    bool SetUpRenderPasses(CXQFTString* error);

private:
    // The document cut into normalised lines; lives while ParseFromMemory runs.
    struct SLineTable
    {
        std::vector<const char*> lines;
        std::vector<uint32_t> lineNumbers;
        std::vector<char> text;   // every line, each NUL-terminated
        uint32_t count = 0;
        uint32_t max = kMaxLines;
    };

    bool Parse(CXQFTString* error);
    // Index of the first line from `from` on that is exactly tag, or count when there is none.
    uint32_t GetEndTag(const char* tag, uint32_t from) const;
    const char* Line(uint32_t i) const { return m_lines->lines[i]; }
    uint32_t LineNumber(uint32_t i) const { return m_lines->lineNumbers[i]; }
    // Bytes of lines [from, to), each with a line feed.
    size_t LinesLength(uint32_t from, uint32_t to) const;

    // Block parsers: lines strictly between begin (the opening tag) and end (the closing tag).
    bool ParseHeader(uint32_t begin, uint32_t end, CXQFTString* error);
    bool ParseTextures(uint32_t begin, uint32_t end, CXQFTString* error);
    bool ParseTexture(uint32_t begin, uint32_t end, CXQFTString* error);
    bool ParseTarget(uint32_t begin, uint32_t end, CXQFTString* error);
    bool ParseShader(uint32_t begin, uint32_t end, bool vertex, CXQFTString* error);
    bool ParseEffect(uint32_t begin, uint32_t end, CXQFTString* error);
    bool ParseSemantic(uint32_t line, const char* rest, SXQFTVTLParserSemantic& out,
                       CXQFTString* error);

    struct SSurfaceKeywords;
    bool ParseGenericSurface(uint32_t begin, uint32_t end, const char* block,
                             SXQFTVTLParserTexture& texture, SSurfaceKeywords& handled,
                             CXQFTString* error);
    bool ParseArgument(const char* rest, const char* block, uint32_t line, CXQFTString& out,
                       CXQFTString* error);

    const SLineTable* m_lines = nullptr;
};

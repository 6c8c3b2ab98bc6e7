#pragma once
// Document types of the shader editor, their detection from a file's extension and text, the
// file-format table behind the open and save filters, and the grouping of types by language.
#include "XQFTArray.h"

#include <QString>

#include <cstdint>
#include <map>

// Bit values; a document has one of them. 48 (both effect bits) marks an effect file in the
// file-format table.
enum EShaderDocType : uint32_t
{
    eShaderDocPlainText = 0,
    eShaderDocGLSLESVertex = 1,
    eShaderDocGLSLESFragment = 2,
    eShaderDocGLSLVertex = 4,
    eShaderDocGLSLFragment = 8,
    eShaderDocEffectGLSLES = 16,
    eShaderDocEffectGLSL = 32,
    eShaderDocHLSLVertex = 64,
    eShaderDocHLSLFragment = 128,
    eShaderDocHLSLGeometry = 256,
    eShaderDocHLSLFX = 512,
    eShaderDocOpenCLKernel = 1024,
    // Not a type: asks the edit panel to detect the type from the contents.
    eShaderDocDetect = 2048,
};

inline constexpr uint32_t kShaderDocEffectBits = 48;
inline bool IsEffectDocType(uint32_t type) { return (type & kShaderDocEffectBits) != 0; }

// extension: without the dot, compared case-sensitively; empty when only the text decides.
EShaderDocType DetectShaderDocType(const QString& text, const QString& extension);

struct SFileFormatSpecifier
{
    EShaderDocType type = eShaderDocPlainText;
    QString description;
    QString extension;   // without the dot
    QString filter;      // description + " (*." + extension + ")"
};

// The file-format table, in menu order.
CXQFTArray<SFileFormatSpecifier> BuildFileFormatSpecifiers();
// Every format's filter, joined by ";;".
QString BuildPerFormatFilter(const CXQFTArray<SFileFormatSpecifier>& formats);
// "All supported formats (*.txt ... *.cl );;" + the per-format list + ";;All files (*.*)".
QString BuildFullFilter(const CXQFTArray<SFileFormatSpecifier>& formats);

// Group mask (the OR of the language's shader types) -> type -> display name.
using TShaderLanguageGroups = std::map<uint32_t, std::map<EShaderDocType, QString>>;
TShaderLanguageGroups BuildShaderLanguageGroups();

// The string-table entry that names a type; -1 for a value that is no document type.
int ShaderDocTypeNameEntry(uint32_t type);

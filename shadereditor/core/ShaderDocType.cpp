#include "ShaderDocType.h"

#include "ShaderEditorStrings.h"
#include "ShaderRegex.h"

namespace {

// Columns: type, string entry of its display name, language group mask.
struct STypeRow
{
    EShaderDocType type;
    uint32_t nameEntry;
    uint32_t group;
};
constexpr STypeRow kTypes[] = {
    {eShaderDocPlainText, 54, 0},         {eShaderDocGLSLESVertex, 45, 3},
    {eShaderDocGLSLESFragment, 43, 3},    {eShaderDocGLSLVertex, 48, 12},
    {eShaderDocGLSLFragment, 46, 12},     {eShaderDocEffectGLSLES, 44, 3},
    {eShaderDocEffectGLSL, 47, 12},       {eShaderDocHLSLVertex, 52, 960},
    {eShaderDocHLSLFragment, 49, 960},    {eShaderDocHLSLGeometry, 51, 960},
    {eShaderDocHLSLFX, 50, 960},          {eShaderDocOpenCLKernel, 53, 1024},
};

// Columns: extension, type, string entry of the description. The effect row carries both bits.
struct SFormatRow
{
    const char* extension;
    uint32_t type;
    uint32_t nameEntry;
};
constexpr SFormatRow kFormats[] = {
    {"txt", 0, 54},   {"vsh", 1, 45},    {"fsh", 2, 43},   {"vert", 4, 48},
    {"frag", 8, 46},  {"vtl", 48, 47},   {"vs", 64, 52},   {"ps", 128, 49},
    {"gs", 256, 51},  {"fx", 512, 50},   {"cl", 1024, 53},
};

bool Found(const QRegularExpression& re, const QString& text)
{
    return re.match(text).hasMatch();
}

} // namespace

int ShaderDocTypeNameEntry(uint32_t type)
{
    for (const STypeRow& row : kTypes)
        if (row.type == type)
            return int(row.nameEntry);
    return -1;
}

EShaderDocType DetectShaderDocType(const QString& text, const QString& extension)
{
    static const struct
    {
        const char* ext;
        EShaderDocType type;
    } kByExtension[] = {{"hlsl", eShaderDocHLSLVertex}, {"ps", eShaderDocHLSLFragment},
                        {"vs", eShaderDocHLSLVertex},   {"gs", eShaderDocHLSLGeometry},
                        {"fx", eShaderDocHLSLFX},       {"cl", eShaderDocOpenCLKernel}};
    for (const auto& row : kByExtension)
        if (extension == QLatin1String(row.ext))
            return row.type;

    static const QRegularExpression lowp = MakeShaderRegex(QStringLiteral("\\blowp\\b"));
    static const QRegularExpression mediump = MakeShaderRegex(QStringLiteral("\\bmediump\\b"));
    static const QRegularExpression highp = MakeShaderRegex(QStringLiteral("\\bhighp\\b"));
    static const QRegularExpression position = MakeShaderRegex(QStringLiteral("\\bgl_Position\\b"));
    static const QRegularExpression layoutIn = MakeShaderRegex(QStringLiteral("\\blayout(.*) in\\b"));
    static const QRegularExpression fragColor = MakeShaderRegex(QStringLiteral("\\bgl_FragColor\\b"));
    static const QRegularExpression layoutOut = MakeShaderRegex(QStringLiteral("\\blayout(.*) out\\b"));

    bool precision = Found(lowp, text) || Found(mediump, text) || Found(highp, text);
    enum { Undecided, Vertex, Fragment } stage = Undecided;
    if (Found(position, text) || Found(layoutIn, text))
        stage = Vertex;
    else if (Found(fragColor, text) || Found(layoutOut, text))
        stage = Fragment;

    if (extension == QLatin1String("vtl"))
        return precision ? eShaderDocEffectGLSLES : eShaderDocEffectGLSL;
    if (precision && stage == Vertex)
        return eShaderDocGLSLESVertex;
    if (precision && stage == Fragment)
        return eShaderDocGLSLESFragment;
    if (extension == QLatin1String("vsh") || extension == QLatin1String("vert") ||
        extension == QLatin1String("glsl"))
        return eShaderDocGLSLESVertex;
    if (extension == QLatin1String("fsh") || extension == QLatin1String("frag"))
        return eShaderDocGLSLESFragment;
    return eShaderDocPlainText;
}

CXQFTArray<SFileFormatSpecifier> BuildFileFormatSpecifiers()
{
    CXQFTArray<SFileFormatSpecifier> formats;
    for (const SFormatRow& row : kFormats) {
        SFileFormatSpecifier spec;
        spec.type = EShaderDocType(row.type);
        spec.description = GetShaderEditorString<QString>(row.nameEntry);
        spec.extension = QString::fromLatin1(row.extension);
        spec.filter = spec.description + QStringLiteral(" (*.") + spec.extension + QStringLiteral(")");
        formats.Append(spec);
    }
    return formats;
}

QString BuildPerFormatFilter(const CXQFTArray<SFileFormatSpecifier>& formats)
{
    QString list;
    for (uint32_t i = 0; i < formats.size; ++i) {
        if (i)
            list += QStringLiteral(";;");
        list += formats[i].filter;
    }
    return list;
}

QString BuildFullFilter(const CXQFTArray<SFileFormatSpecifier>& formats)
{
    QString full = GetShaderEditorString<QString>(1) + QStringLiteral(" (");
    for (uint32_t i = 0; i < formats.size; ++i)
        full += QStringLiteral("*.") + formats[i].extension + QLatin1Char(' ');
    full += QStringLiteral(");;") + BuildPerFormatFilter(formats) + QStringLiteral(";;") +
            GetShaderEditorString<QString>(0) + QStringLiteral(" (*.*)");
    return full;
}

TShaderLanguageGroups BuildShaderLanguageGroups()
{
    TShaderLanguageGroups groups;
    for (const STypeRow& row : kTypes)
        groups[row.group][row.type] = GetShaderEditorString<QString>(row.nameEntry);
    return groups;
}

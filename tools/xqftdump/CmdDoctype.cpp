// xqft-dump doctype FILE: the document type the shader editor detects from the file's text and
// extension, as "VALUE NAME".
#include "DumpCommand.h"

#include "ShaderDocType.h"
#include "ShaderEditorStrings.h"

#include <QFileInfo>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int RunDoctype(const std::vector<std::string>& args)
{
    if (args.size() != 1) {
        fputs("usage: xqft-dump doctype FILE\n", stderr);
        return kDumpUsage;
    }
    std::string text;
    if (!ReadCommandFile(args[0], text))
        return kDumpUsage;
    QString contents = QString::fromUtf8(text.data(), qsizetype(text.size()));
    QString extension = QFileInfo(QString::fromLocal8Bit(args[0].c_str())).suffix();
    EShaderDocType type = DetectShaderDocType(contents, extension);
    printf("%u %s\n", uint32_t(type), GetShaderEditorString<const char*>(uint32_t(ShaderDocTypeNameEntry(type))));
    return kDumpOk;
}

} // namespace

XQFT_DUMP_COMMAND("doctype", "FILE", RunDoctype);

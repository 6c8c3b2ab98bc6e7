// xqft-dump doctype FILE: the document type the shader editor detects from the file's text and
// extension, as "VALUE NAME".
#include "DumpCommand.h"

#include "ShaderDocType.h"
#include "ShaderEditorStrings.h"
#include "XQFTFile.h"

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
    char* text = nullptr;
    size_t size = 0;
    int error = 0;
    if (XQFTReadRegularFile(args[0].c_str(), kXQFTMaxWholeFileSize, &text, &size, &error) !=
        EXQFTReadFile::Ok) {
        fprintf(stderr, "ERROR: cannot read %s: %s\n", args[0].c_str(),
                error ? strerror(error) : "too large or unreadable");
        return kDumpUsage;
    }
    QString contents = QString::fromUtf8(text, qsizetype(size));
    free(text);
    QString extension = QFileInfo(QString::fromLocal8Bit(args[0].c_str())).suffix();
    EShaderDocType type = DetectShaderDocType(contents, extension);
    printf("%u %s\n", uint32_t(type), GetShaderEditorString<const char*>(uint32_t(ShaderDocTypeNameEntry(type))));
    return kDumpOk;
}

} // namespace

XQFT_DUMP_COMMAND("doctype", "FILE", RunDoctype);

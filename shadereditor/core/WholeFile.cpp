#include "WholeFile.h"

#include "ShaderEditorStrings.h"
#include "XQFTFile.h"

#include <cstring>
#include <fcntl.h>

namespace {

CXQFTString OpenFailure(uint32_t entry, const char* path, int error)
{
    return GetShaderEditorString<CXQFTString>(entry) + " " + path + "\n" +
           StringFromFormat(GetShaderEditorString<const char*>(67), strerror(error));
}

} // namespace

bool ReadWholeFile(const char* path, char** buffer, size_t* size, CXQFTString* error)
{
    *size = 0;
    int reason = 0;
    switch (XQFTReadRegularFile(path, kXQFTMaxWholeFileSize, buffer, size, &reason)) {
    case EXQFTReadFile::Ok:
        return true;
    case EXQFTReadFile::OpenFailed:
        *error = OpenFailure(28, path, reason);
        return false;
    case EXQFTReadFile::TooLarge:
    case EXQFTReadFile::NoMemory:
        *error = GetShaderEditorString<CXQFTString>(65);
        return false;
    case EXQFTReadFile::ShortRead:
        *error = GetShaderEditorString<CXQFTString>(23) + path;
        return false;
    }
    return false;
}

bool WriteWholeFile(const char* path, const void* buffer, size_t size, CXQFTString* error)
{
    int reason = 0;
    FILE* f = XQFTOpenRegularFile(path, O_WRONLY | O_CREAT | O_TRUNC, "wb", &reason);
    if (!f) {
        *error = OpenFailure(30, path, reason);
        return false;
    }
    bool ok = size == 0 || fwrite(buffer, 1, size, f) == size;
    ok = fclose(f) == 0 && ok;
    if (!ok)
        *error = GetShaderEditorString<CXQFTString>(24) + path;
    return ok;
}

#include "TestPaths.h"

const std::string& SourceDir()
{
    static const std::string dir = XQFT_SOURCE_DIR;
    return dir;
}

const std::string& BinaryDir()
{
    static const std::string dir = XQFT_BINARY_DIR;
    return dir;
}

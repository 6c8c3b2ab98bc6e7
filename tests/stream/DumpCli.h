#pragma once
// Runs xqftgen.py and xqft-dump as a user would, for tests of the two together.
#include "RunCommand.h"

#include <string>

inline SRunResult Gen(const std::string& args)
{
    return RunCommand("python3 " XQFT_SOURCE_DIR "/tools/xqftgen.py " + args);
}

inline SRunResult Dump(const std::string& command, const std::string& file)
{
    return RunCommand(XQFT_BINARY_DIR "/bin/xqft-dump " + command + " '" + file + "'");
}

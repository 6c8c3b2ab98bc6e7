#pragma once
// Runs xqftgen.py and xqft-dump as a user would, for tests of the two together.
#include "RunCommand.h"

#include <string>
#include "TestPaths.h"

inline SRunResult Gen(const std::string& args)
{
    return RunCommand("python3 " + SourceDir() + "/tools/xqftgen.py " + args);
}

inline SRunResult Dump(const std::string& command, const std::string& file)
{
    return RunCommand(BinaryDir() + "/bin/xqft-dump " + command + " '" + file + "'");
}

#pragma once
// Where the tests find the source tree (scripts, test data) and the build tree (bin/ with the
// tools). Only TestPaths.cpp is compiled with the two paths, so that the test sources' compiled
// objects do not depend on where the checkout lies and a clone elsewhere reuses them from ccache.
#include <string>

const std::string& SourceDir();
const std::string& BinaryDir();

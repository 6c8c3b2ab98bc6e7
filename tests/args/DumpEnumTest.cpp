// xqft-dump enum / egl print what TGLenum and the EGL namer give.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/wait.h>
#include "TestPaths.h"

namespace {

// Runs xqft-dump with args; returns its standard output and sets the exit status.
std::string Dump(const std::string& args, int& status)
{
    const std::string command = BinaryDir() + "/bin/xqft-dump " + args + " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    std::string out;
    char buffer[256];
    while (pipe && fgets(buffer, sizeof buffer, pipe))
        out += buffer;
    const int raw = pipe ? pclose(pipe) : -1;
    status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return out;
}

TEST(DumpEnum, PrintsTheHolderNames)
{
    struct { const char* args; const char* out; } cases[] = {
        {"enum 0x8D62", "GL_RGB565\n"}, {"enum 4660", "4660\n"}, {"enum 0", "GL_NONE\n"},
        {"enum 0x9250", "GL_SHADER_BINARY_DMP\n"}, {"egl 0x3038", "EGL_NONE\n"}, {"egl 12288", "EGL_SUCCESS\n"},
        {"egl -1", "18446744073709551615\n"}, {"egl 0x30D1", "12497\n"},
    };
    for (const auto& c : cases) {
        int status = -1;
        EXPECT_EQ(c.out, Dump(c.args, status)) << c.args;
        EXPECT_EQ(0, status) << c.args;
    }
    for (const char* bad : {"enum", "enum x12", "enum 0x100000000", "egl 1 2"}) {
        int status = -1;
        Dump(bad, status);
        EXPECT_EQ(1, status) << bad;
    }
}

} // namespace

// Every name of the GL and EGL tables is a token of its value in the installed Khronos headers.
#include "values/ApiValueFormat.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>

namespace {

// token -> values it is defined as, from "#define TOKEN value" lines.
std::map<std::string, std::set<uint64_t>> ParseHeaders(std::initializer_list<const char*> paths)
{
    std::map<std::string, std::set<uint64_t>> tokens;
    const std::regex define(R"(^\s*#define\s+((?:GL|EGL)_\w+)\s+(0x[0-9A-Fa-f]+|\d+)[uUlL]*\s*$)");
    for (const char* path : paths) {
        std::ifstream in(path);
        EXPECT_TRUE(in.good()) << path << " is missing (libgles-dev / libegl-dev)";
        std::string line;
        std::smatch m;
        while (std::getline(in, line))
            if (std::regex_match(line, m, define))
                tokens[m[1]].insert(std::stoull(m[2], nullptr, 0));
    }
    return tokens;
}

// Names fixed by the product that the Khronos headers do not define: its own vendor tokens
// (suffix _WZQ), GL_BGRA (defined only by desktop GL headers) and EGL_PRESERVED_RESOURCES (an
// EGL 1.0 token dropped from the current header).
bool Excepted(const std::string& name)
{
    return (name.size() > 4 && name.compare(name.size() - 4, 4, "_WZQ") == 0) || name == "GL_BGRA" ||
           name == "EGL_PRESERVED_RESOURCES";
}

TEST(EnumNames, GlNamesAreHeaderTokensOfTheirValues)
{
    const auto tokens = ParseHeaders({"/usr/include/GLES2/gl2.h", "/usr/include/GLES2/gl2ext.h",
                                      "/usr/include/GLES/gl.h", "/usr/include/GLES/glext.h",
                                      // GL_STENCIL_INDEX is core only from ES 3.1 on.
                                      "/usr/include/GLES3/gl32.h"});
    int count = 0;
    const SEnumName* table = GlEnumTable(count);
    EXPECT_EQ(560, count);
    int excepted = 0;
    for (int i = 0; i < count; ++i) {
        const std::string name = table[i].name;
        EXPECT_STREQ(table[i].name, GlEnumName(table[i].value));
        if (i > 0) {
            EXPECT_LT(table[i - 1].value, table[i].value);
        }
        if (Excepted(name)) {
            ++excepted;
            continue;
        }
        auto it = tokens.find(name);
        ASSERT_NE(tokens.end(), it) << name << " is not in the GLES headers";
        EXPECT_TRUE(it->second.count(table[i].value)) << name << " is not 0x" << std::hex << table[i].value;
    }
    EXPECT_EQ(19, excepted); // 18 vendor tokens and GL_BGRA
    // Values the specialised holders name stay out of the table.
    for (uint32_t v : {1u, 6u, 0x300u, 0x308u, 0x500u, 0x505u, 0x1234u})
        EXPECT_EQ(nullptr, GlEnumName(v)) << v;
}

TEST(EnumNames, EglNamesAreHeaderTokensOfTheirValues)
{
    const auto tokens = ParseHeaders({"/usr/include/EGL/egl.h", "/usr/include/EGL/eglext.h"});
    int named = 0;
    for (uint64_t v = 0; v < 0x3100; ++v) {
        const char* name = EglEnumName(v);
        if (!name)
            continue;
        ++named;
        if (Excepted(name))
            continue;
        auto it = tokens.find(name);
        ASSERT_NE(tokens.end(), it) << name << " is not in the EGL headers";
        EXPECT_TRUE(it->second.count(v)) << name << " is not 0x" << std::hex << v;
    }
    EXPECT_EQ(117, named);
    EXPECT_EQ(nullptr, EglEnumName(0));
    EXPECT_EQ(nullptr, EglEnumName(0x100000001ull)); // compared as 64-bit, not truncated
}

} // namespace

// xqft-dump enum VALUE / egl VALUE: the name a GL enum or an EGL value prints as, for checks
// from the shell. VALUE is decimal, 0x-hexadecimal or octal.
#include "DumpCommand.h"

#include "values/ApiTypes.h"
#include "values/ApiValueFormat.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace {

bool ParseValue(const std::vector<std::string>& args, uint64_t& value)
{
    if (args.size() != 1 || args[0].empty())
        return false;
    char* end = nullptr;
    errno = 0;
    // A leading minus sign gives the two's complement, as a recorded EGLint would be widened.
    if (args[0][0] == '-')
        value = static_cast<uint64_t>(strtoll(args[0].c_str(), &end, 0));
    else
        value = strtoull(args[0].c_str(), &end, 0);
    return errno == 0 && *end == '\0';
}

int RunEnum(const std::vector<std::string>& args)
{
    uint64_t value = 0;
    if (!ParseValue(args, value) || value > 0xFFFFFFFFu) {
        fputs("usage: xqft-dump enum VALUE (a 32-bit GL enum value)\n", stderr);
        return kDumpUsage;
    }
    TGLenum e;
    e.value = static_cast<uint32_t>(value);
    CXQFTString text, raw;
    e.ToString(text, &raw);
    printf("%s\n", text.CStr());
    return kDumpOk;
}

int RunEgl(const std::vector<std::string>& args)
{
    uint64_t value = 0;
    if (!ParseValue(args, value)) {
        fputs("usage: xqft-dump egl VALUE\n", stderr);
        return kDumpUsage;
    }
    printf("%s\n", FormatApiValue(kFormatEglName, value).CStr());
    return kDumpOk;
}

} // namespace

XQFT_DUMP_COMMAND("enum", "VALUE", RunEnum);
XQFT_DUMP_COMMAND("egl", "VALUE", RunEgl);

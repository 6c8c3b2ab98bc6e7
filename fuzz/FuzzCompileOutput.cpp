// One input = what a compiler printed and wrote: the bytes up to the first 0x1E are the compile
// log, up to the second the profile file, the rest the banner of its bare run. Every parser of
// compiler output runs on them; a crash, a sanitizer report, a leak or a line-cycle array longer
// than the text is a finding.
#include "CompileOutputParser.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const char* bytes = reinterpret_cast<const char*>(data);
    const char* end = bytes + size;
    const char* logEnd = static_cast<const char*>(memchr(bytes, 0x1E, size));
    if (!logEnd)
        logEnd = end;
    const char* profile = logEnd < end ? logEnd + 1 : end;
    const char* profileEnd = static_cast<const char*>(memchr(profile, 0x1E, size_t(end - profile)));
    if (!profileEnd)
        profileEnd = end;
    const char* banner = profileEnd < end ? profileEnd + 1 : end;

    const CXQFTString log(bytes, size_t(logEnd - bytes));
    const uint32_t offset = size ? uint32_t(data[0] % 64) : 0;
    const uint32_t textLines = 200;
    SCompileResult result;
    TCompileProfileMap profiles;
    ParseCompileMessages(result, "Success.\n", offset, log);
    ParseCompileMessages(result, "Compile failed.\n", offset, log);
    ParseProfileText(result, profiles, profile, size_t(profileEnd - profile), offset, 0, textLines);
    ParsePerformanceEstimate(profiles, log, 1);
    if (result.lineCycles.size > offset + textLines)
        abort();

    CXQFTString name, version;
    CXQFTArray<QString> options;
    ParseCompilerHelp(CXQFTString(banner, size_t(end - banner)), &name, &version, &options);
    if (name.IsEmpty() && version.IsEmpty())
        abort();
    return 0;
}

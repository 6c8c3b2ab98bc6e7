// xqft-dump COMMAND ARGS...: one registered command per Cmd*.cpp file.
#include "DumpCommand.h"
#include "DumpTraceArgs.h"

#include "XQFTFile.h"
#include "data/MemoryGuard.h"
#include "data/TraceReader.h"
#include "stream/IOManager.h"
#include "stream/TraceHeader.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

std::vector<SDumpCommand>& DumpCommands()
{
    static std::vector<SDumpCommand> commands;
    return commands;
}

int OpenTrace(const std::string& path, STraceHeader& header)
{
    IOManager& io = IOManager::Instance();
    if (!io.Open(CXQFTString(path.c_str()))) {
        fprintf(stderr, "ERROR: cannot open %s: %s\n", path.c_str(), io.LastError());
        return kDumpUsage;
    }
    EHeaderStatus status = ReadTraceHeader(io, header);
    if (status != kHeaderOk) {
        fprintf(stderr, "ERROR: %s: %s", path.c_str(), HeaderStatusText(status));
        io.Close();
        return kDumpBadHeader;
    }
    return kDumpOk;
}

bool ReadCommandFile(const std::string& path, std::string& text)
{
    char* data = nullptr;
    size_t size = 0;
    int error = 0;
    if (XQFTReadRegularFile(path.c_str(), kXQFTMaxWholeFileSize, &data, &size, &error) != EXQFTReadFile::Ok) {
        fprintf(stderr, "ERROR: cannot read %s: %s\n", path.c_str(), error ? strerror(error) : "too large or unreadable");
        return false;
    }
    text.assign(data, size);
    free(data);
    return true;
}

// For tests: XQFT_DUMP_CUT_AFTER_LOAD=N cuts the file a load has just read to N bytes, as a writer
// may while a trace is open, so that the commands meet a trace whose captured bytes are gone.
// XQFT_DUMP_CUT_DURING_LOAD=N cuts it at the walk's first progress report instead (a trace long
// enough to report progress midway), so that the load itself meets the cut.
namespace {
class CCutAfterLoad : public CBasicEvent
{
public:
    CCutAfterLoad(long long bytes, bool duringLoad) : m_bytes(bytes), m_duringLoad(duringLoad) {}
    void OnEvent(uint32_t, void* argument) override
    {
        const CXQFTString& status = static_cast<CTraceReader*>(argument)->GetStatusText();
        const bool walking = std::strncmp(status.CStr(), "Frame:", 6) == 0;
        const bool ended = status == "Trace Processed" || status == "Trace Error";
        if (m_done || !(m_duringLoad ? walking : ended))
            return;
        m_done = m_duringLoad;
        const char* path = MemoryManager::Instance().Path().CStr();
        if (truncate(path, off_t(m_bytes)) != 0)
            fprintf(stderr, "ERROR: cannot cut %s: %s\n", path, strerror(errno));
    }

private:
    long long m_bytes;
    bool m_duringLoad;
    bool m_done = false;
};
} // namespace

// For tests: XQFT_DUMP_MEMORY_LIMIT_KIB=N makes the loader's guard stop at N KiB committed instead of
// its own limit, so that a small trace meets it.
static void LowerMemoryLimit(const char* kib)
{
    const int64_t limit = std::atoll(kib);
    CTraceReader::Instance().SetMemoryProbe([limit] { return CommittedMemoryKiB() - limit + kMemoryLimitKiB; });
}

// A loaded trace is hundreds of thousands of call objects: freeing them one by one at exit took
// longer than a command's own work. A command's files are closed when it returns, so the process
// leaves at once with its streams flushed. Sanitizer builds take the long way, for the leak check.
#if defined(__SANITIZE_ADDRESS__)
#define XQFT_DUMP_LEAK_CHECK 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define XQFT_DUMP_LEAK_CHECK 1
#endif
#endif
[[noreturn]] static void Leave(int status)
{
#ifdef XQFT_DUMP_LEAK_CHECK
    std::exit(status);
#else
    std::fflush(nullptr);
    std::_Exit(status);
#endif
}

static void Usage()
{
    auto commands = DumpCommands();
    std::sort(commands.begin(), commands.end(),
              [](const SDumpCommand& a, const SDumpCommand& b) { return strcmp(a.name, b.name) < 0; });
    fputs("usage: xqft-dump COMMAND ARGS...\n", stderr);
    for (const auto& c : commands)
        fprintf(stderr, "  xqft-dump %s %s\n", c.name, c.usage);
}

int main(int argc, char** argv)
{
    if (argc < 2) {
        Usage();
        return kDumpUsage;
    }
    static std::unique_ptr<CCutAfterLoad> cut;
    const char* cutAfter = std::getenv("XQFT_DUMP_CUT_AFTER_LOAD");
    const char* cutDuring = std::getenv("XQFT_DUMP_CUT_DURING_LOAD");
    if (cutAfter || cutDuring) {
        cut = std::make_unique<CCutAfterLoad>(std::atoll(cutDuring ? cutDuring : cutAfter), cutDuring != nullptr);
        CTraceReader::Instance().AddListener(CTraceReader::kProgressEvent, cut.get());
    }
    if (const char* kib = std::getenv("XQFT_DUMP_MEMORY_LIMIT_KIB"))
        LowerMemoryLimit(kib);
    for (const auto& c : DumpCommands()) {
        if (strcmp(c.name, argv[1]) != 0)
            continue;
        std::vector<std::string> args(argv + 2, argv + argc);
        int status = kDumpUsage;
        try {
            status = CommandExitStatus(c.run(args));
        } catch (const IOManagerException& e) {
            fprintf(stderr, "ERROR: %s\n", StreamErrorText(e.Code()));
        } catch (const MemoryManagerException& e) {
            fprintf(stderr, "ERROR: %s\n", StreamErrorText(e.Code()));
        } catch (const std::exception& e) {
            fprintf(stderr, "ERROR: %s\n", e.what());
        }
        Leave(status);
    }
    fprintf(stderr, "xqft-dump: unknown command '%s'\n", argv[1]);
    Usage();
    return kDumpUsage;
}

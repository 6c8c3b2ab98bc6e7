// xqft-dump COMMAND ARGS...: one registered command per Cmd*.cpp file.
#include "DumpCommand.h"

#include "XQFTFile.h"
#include "stream/IOManager.h"
#include "stream/TraceHeader.h"

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
    for (const auto& c : DumpCommands()) {
        if (strcmp(c.name, argv[1]) != 0)
            continue;
        std::vector<std::string> args(argv + 2, argv + argc);
        try {
            return c.run(args);
        } catch (const IOManagerException& e) {
            fprintf(stderr, "ERROR: %s\n", StreamErrorText(e.Code()));
        } catch (const MemoryManagerException& e) {
            fprintf(stderr, "ERROR: %s\n", StreamErrorText(e.Code()));
        } catch (const std::exception& e) {
            fprintf(stderr, "ERROR: %s\n", e.what());
        } catch (const char* text) {
            fprintf(stderr, "ERROR: %s\n", text);
        }
        return kDumpUsage;
    }
    fprintf(stderr, "xqft-dump: unknown command '%s'\n", argv[1]);
    Usage();
    return kDumpUsage;
}

#pragma once
// Command registry of xqft-dump. A command is one Cmd*.cpp file in this folder holding
//     static int Run(const std::vector<std::string>& args) { ... }
//     XQFT_DUMP_COMMAND("name", "ARGS", Run);
// args are the words after the command name; the result is the exit status.
#include <string>
#include <vector>

using DumpCommandFn = int (*)(const std::vector<std::string>& args);

struct SDumpCommand
{
    const char* name;
    const char* usage;
    DumpCommandFn run;
};

std::vector<SDumpCommand>& DumpCommands();

struct CDumpCommandRegistrar
{
    CDumpCommandRegistrar(const char* name, const char* usage, DumpCommandFn run)
    {
        DumpCommands().push_back({name, usage, run});
    }
};

#define XQFT_DUMP_CONCAT2(a, b) a##b
#define XQFT_DUMP_CONCAT(a, b) XQFT_DUMP_CONCAT2(a, b)
#define XQFT_DUMP_COMMAND(name, usage, fn) \
    static CDumpCommandRegistrar XQFT_DUMP_CONCAT(s_dumpCommand, __LINE__)(name, usage, fn)

// Exit statuses shared by the commands.
enum EDumpExit
{
    kDumpOk = 0,
    kDumpUsage = 1,       // bad arguments, or the file cannot be opened
    kDumpBadHeader = 2,   // the header is rejected
    kDumpTruncated = 3,   // a record runs past the end of the file
    kDumpMalformed = 4,   // a fixed-size record with another size
    kDumpPassFailed = 5,  // a playback pass failed: a call refused or failed, or an ERROR line
    kDumpMemoryLimit = 6, // the load stopped at the memory limit (or ran out of memory)
};

struct STraceHeader;

// Opens path on the record stream and checks its header; prints the diagnostic on failure.
// Returns kDumpOk (the stream stays open at the first record) or the exit status.
int OpenTrace(const std::string& path, STraceHeader& header);

// Reads a whole regular file (at most 256 MiB) for a command; prints the diagnostic and returns
// false when it cannot.
bool ReadCommandFile(const std::string& path, std::string& text);

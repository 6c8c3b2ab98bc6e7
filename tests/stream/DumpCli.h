#pragma once
// Runs xqftgen.py and xqft-dump as a user would, for tests of the two together.
#include <cstdio>
#include <string>
#include <sys/wait.h>

struct SRunResult
{
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string ReadWhole(const std::string& path)
{
    std::string text;
    if (FILE* f = fopen(path.c_str(), "rb")) {
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, f)) > 0)
            text.append(buf, n);
        fclose(f);
    }
    return text;
}

inline SRunResult RunCommand(const std::string& command)
{
    SRunResult r;
    char errPath[] = "/tmp/xqft-stderr-XXXXXX";
    int fd = mkstemp(errPath);
    if (fd >= 0)
        close(fd);
    std::string full = command + " 2>" + errPath;
    if (FILE* p = popen(full.c_str(), "r")) {
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, p)) > 0)
            r.out.append(buf, n);
        int st = pclose(p);
        r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    }
    r.err = ReadWhole(errPath);
    unlink(errPath);
    return r;
}

inline SRunResult Gen(const std::string& args)
{
    return RunCommand("python3 " XQFT_SOURCE_DIR "/tools/xqftgen.py " + args);
}

inline SRunResult Dump(const std::string& command, const std::string& file)
{
    return RunCommand(XQFT_BINARY_DIR "/bin/xqft-dump " + command + " '" + file + "'");
}

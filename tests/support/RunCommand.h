#pragma once
// Runs a command line through the shell as a user would and collects its exit status, standard
// output and standard error, for the tests of the command-line tools.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

struct SRunResult
{
    int status = -1; // the exit status, -1 when the command did not exit normally
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

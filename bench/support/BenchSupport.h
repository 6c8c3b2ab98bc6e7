#pragma once
// Timing, process memory and the temporary folder, as every benchmark measures them.
#include <fcntl.h>
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace xqft::bench {

using Clock = std::chrono::steady_clock;

inline double Seconds(Clock::time_point a, Clock::time_point b)
{
    return std::chrono::duration<double>(b - a).count();
}

// CPU time of the whole process so far (every thread, user and system), in seconds. On a shared
// machine the wall clock of a threaded run says little; its CPU time says what the work cost.
inline double ProcessCpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + 1e-6 * double(u.ru_utime.tv_usec + u.ru_stime.tv_usec);
}

// A line of /proc/self/status in KiB (VmRSS: now, VmHWM: peak since the last reset).
inline long long StatusKiB(const char* key)
{
    FILE* f = std::fopen("/proc/self/status", "r");
    char line[256];
    long long kib = -1;
    while (f && std::fgets(line, sizeof line, f))
        if (std::strncmp(line, key, std::strlen(key)) == 0)
            kib = std::atoll(line + std::strlen(key));
    if (f)
        std::fclose(f);
    return kib;
}

// Starts VmHWM again from the present resident size.
inline void ResetPeak()
{
    if (FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", f);
        std::fclose(f);
    }
}

// Bytes the allocator hands out at the moment (small blocks and mapped large ones).
inline long long HeapInUse()
{
    const struct mallinfo2 mi = mallinfo2();
    return static_cast<long long>(mi.uordblks + mi.hblkhd);
}

// A benchmark that cannot run says why on standard output; 1, its exit status.
inline int Fail(const char* what)
{
    std::printf("%s\n", what);
    return 1;
}

// $TMPDIR, or /tmp when it is unset or empty.
inline std::string TempDir()
{
    const char* tmp = std::getenv("TMPDIR");
    return tmp && *tmp ? tmp : "/tmp";
}

// The folder of the running benchmark (where the other built programs are).
inline std::string BinDir()
{
    char path[4096] = {};
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    std::string p(path, n > 0 ? size_t(n) : 0);
    return p.substr(0, p.rfind('/'));
}

// Records the harness's `scene` with xqft-record (built beside the benchmark) into `dir` (made when
// missing) and writes it as dir/scene.xqft; false when either step fails.
inline bool RecordSceneTrace(const std::string& dir, const std::string& scene)
{
    const std::string command = "mkdir -p '" + dir + "' && '" + BinDir() + "/xqft-record' --scene " + scene +
                                " --out '" + dir + "' >/dev/null && python3 " XQFT_SOURCE_DIR
                                "/tools/xqftgen.py from-log '" + dir + "/" + scene + ".log' '" + dir + "/" + scene +
                                ".xqft' >/dev/null";
    return std::system(command.c_str()) == 0;
}

// Standard output and error sent to /dev/null while it lives (a playback's diagnostics while timed).
class CQuiet
{
public:
    CQuiet()
    {
        std::fflush(stdout);
        std::fflush(stderr);
        m_out = dup(1);
        m_err = dup(2);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        close(null);
    }
    ~CQuiet()
    {
        std::fflush(stdout);
        std::fflush(stderr);
        dup2(m_out, 1);
        dup2(m_err, 2);
        close(m_out);
        close(m_err);
    }
    CQuiet(const CQuiet&) = delete;
    CQuiet& operator=(const CQuiet&) = delete;

private:
    int m_out, m_err;
};

} // namespace xqft::bench

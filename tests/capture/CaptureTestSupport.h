#pragma once
// Shared by the capture tests: a scratch folder per test, the traces a device peer streams
// (written once per program by tools/xqftgen.py), whole-file reads and waits on a condition.
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>

#include <gtest/gtest.h>
#include "TestPaths.h"

namespace capturetest {

// How long a test waits for what comes by itself (a peer's start, a link, a status line): only a
// hang runs out of it. A busy machine may take many seconds over what takes milliseconds here, and
// a wait that ends when its condition holds costs nothing the longer its limit is.
inline constexpr int kReadyMs = 120000;

inline std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline std::string MakeScratch(const char* what)
{
    std::string pattern = std::filesystem::temp_directory_path().string() + "/xqft-" + what + "-XXXXXX";
    if (!mkdtemp(pattern.data()))
        ADD_FAILURE() << "cannot make a scratch folder";
    return pattern;
}

// A folder removed when the program that made it ends (not when a forked child of it does).
struct SProgramFolder {
    std::string path;
    pid_t owner = getpid();
    ~SProgramFolder()
    {
        std::error_code ignored;
        if (getpid() == owner)
            std::filesystem::remove_all(path, ignored);
    }
};

// sample: the viewer's sample (about 300 KB); frames: three small frames; session: an EGL session.
inline std::string Trace(const char* name)
{
    static const SProgramFolder folder{[] {
        const std::string d = MakeScratch("capture-traces");
        const std::string gen = std::string("python3 '") + SourceDir() + "/tools/xqftgen.py' ";
        const bool ok = std::system((gen + "sample '" + d + "/sample.xqft'").c_str()) == 0 &&
                        std::system((gen + "egl-frames '" + d + "/frames.xqft' --frames 3").c_str()) == 0 &&
                        std::system((gen + "egl-session '" + d + "/session.xqft' --frames 2").c_str()) == 0;
        if (!ok)
            ADD_FAILURE() << "xqftgen.py failed";
        return d;
    }()};
    return folder.path + "/" + name + ".xqft";
}

inline bool WaitUntil(const std::function<bool()>& done, int milliseconds = kReadyMs)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Seconds on the monotonic clock, the one the device peer stamps its log with.
inline double Monotonic()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

} // namespace capturetest

#pragma once
// Runs tools/xqft-device.py, the stand-in for the device's capture layer, for one test: on a free
// port of 127.0.0.1, with its event log in a folder of its own. Stopped when the object goes.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include "CaptureTestSupport.h"
#include "TestPaths.h"

extern char** environ;

class CDevicePeer
{
public:
    // options: the peer's command-line options (--serve FILE, --fault NAME ...). Waits until the peer
    // has written its port (an interpreter started through a version shim on a busy machine may take
    // many seconds); fails the test when the peer exits first or is not up within kReadyMs.
    CDevicePeer(const std::string& folder, const std::vector<std::string>& options) : m_folder(folder)
    {
        const std::string portFile = folder + "/peer.port";
        std::remove(portFile.c_str());
        std::vector<std::string> args = {"python3", SourceDir() + "/tools/xqft-device.py",
                                         "--port-file", portFile, "--log", LogPath()};
        args.insert(args.end(), options.begin(), options.end());
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawnp(&m_pid, "python3", nullptr, nullptr, argv.data(), environ) != 0) {
            ADD_FAILURE() << "cannot start python3";
            m_pid = -1;
            return;
        }
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(capturetest::kReadyMs);
        int status = 0;
        while (!m_port && std::chrono::steady_clock::now() < end) {
            std::ifstream in(portFile);
            in >> m_port;
            if (m_port)
                break;
            if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (!m_port)
            ADD_FAILURE() << "the device peer did not start" << (m_pid < 0 ? " (it exited)" : "") << ": " << Log();
    }
    ~CDevicePeer()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
    }
    CDevicePeer(const CDevicePeer&) = delete;
    CDevicePeer& operator=(const CDevicePeer&) = delete;

    unsigned Port() const { return m_port; }
    std::string LogPath() const { return m_folder + "/peer.log"; }
    std::string Log() const
    {
        std::ifstream in(LogPath());
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    // Log lines that contain text (without their time stamps).
    std::vector<std::string> Lines(const std::string& text) const
    {
        std::vector<std::string> found;
        std::istringstream in(Log());
        for (std::string line; std::getline(in, line);) {
            const size_t space = line.find(' ');
            if (space != std::string::npos && line.find(text) != std::string::npos)
                found.push_back(line.substr(space + 1));
        }
        return found;
    }
    // The monotonic time stamp of the first line holding text, or -1.
    double TimeOf(const std::string& text) const
    {
        std::istringstream in(Log());
        for (std::string line; std::getline(in, line);)
            if (line.find(text) != std::string::npos && line.rfind("t=", 0) == 0)
                return std::stod(line.substr(2));
        return -1;
    }
    // Waits up to the time given for a log line holding text.
    bool WaitFor(const std::string& text, int milliseconds = capturetest::kReadyMs) const
    {
        for (int i = 0; i < milliseconds / 5; ++i) {
            if (Log().find(text) != std::string::npos)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return false;
    }

private:
    std::string m_folder;
    pid_t m_pid = -1;
    unsigned m_port = 0;
};

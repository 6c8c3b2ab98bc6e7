// Live capture over loopback from tools/xqft-device.py: 65535-byte data messages streamed as fast
// as the peer can for a bounded time, the rate at which the capture thread writes them to its file,
// whether the file equals what was sent, the CPU an idle connected capture takes, how soon a command
// reaches the device and how soon a stop ends the thread.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "BenchSupport.h"
#include "NetworkProcess.h"

extern char** environ;

namespace {

using namespace xqft::bench;

constexpr size_t kSourceBytes = size_t(256) << 20;
constexpr double kMaxSeconds = 20;

class CPeer
{
public:
    CPeer(const std::string& dir, std::vector<std::string> options)
    {
        const std::string portFile = dir + "/peer.port";
        std::remove(portFile.c_str());
        std::vector<std::string> args = {"python3", XQFT_SOURCE_DIR "/tools/xqft-device.py", "--port-file", portFile,
                                         "--log", dir + "/peer.log"};
        args.insert(args.end(), options.begin(), options.end());
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawnp(&m_pid, "python3", nullptr, nullptr, argv.data(), environ) != 0)
            m_pid = -1;
        for (int i = 0; i < 1000 && m_pid > 0 && !port; ++i) {
            std::ifstream(portFile) >> port;
            if (!port)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    ~CPeer()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
    }
    unsigned port = 0;

private:
    pid_t m_pid = -1;
};

bool WaitFor(CNetworkProcess& capture, int32_t link, double seconds)
{
    const Clock::time_point end = Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    while (capture.GetLinkStatus() != link && Clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return capture.GetLinkStatus() == link;
}

bool SameFiles(const std::string& a, const std::string& b)
{
    std::ifstream fa(a, std::ios::binary), fb(b, std::ios::binary);
    std::vector<char> ba(1 << 20), bb(1 << 20);
    while (fa && fb) {
        fa.read(ba.data(), std::streamsize(ba.size()));
        fb.read(bb.data(), std::streamsize(bb.size()));
        if (fa.gcount() != fb.gcount() || !std::equal(ba.begin(), ba.begin() + fa.gcount(), bb.begin()))
            return false;
    }
    return fa.eof() && fb.eof();
}

void Throughput(const std::string& dir)
{
    const std::string source = dir + "/source.bin", out = dir + "/cap.xqft";
    {
        std::vector<char> bytes(kSourceBytes);
        std::mt19937_64 random(1);
        for (size_t i = 0; i + 8 <= bytes.size(); i += 8) {
            const uint64_t v = random();
            std::memcpy(bytes.data() + i, &v, 8);
        }
        std::ofstream(source, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
    }
    CPeer peer(dir, {"--serve", source, "--message-size", "65535", "--write-size", "1048576", "--keepalive-ms", "0"});
    if (!peer.port) {
        std::printf("capture: the device peer did not start\n");
        return;
    }
    CNetworkProcess capture;
    capture.SetConnectInterval(10);
    capture.Setup(CXQFTString("127.0.0.1"), peer.port, 1, CXQFTString(out.c_str()));

    // The thread prints a diagnostic line per data message that leaves bytes behind it.
    std::fflush(stdout);
    const int saved = dup(1);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    capture.start();
    const bool up = WaitFor(capture, kLinkUp, 5);
    const Clock::time_point start = Clock::now();
    const double cpuStart = ProcessCpuSeconds();
    capture.StartRecording();
    while (up && capture.GetBytesWritten() < kSourceBytes && capture.GetLinkStatus() == kLinkUp &&
           Seconds(start, Clock::now()) < kMaxSeconds)
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    const double seconds = Seconds(start, Clock::now());
    const double cpu = ProcessCpuSeconds() - cpuStart;
    const uint64_t written = capture.GetBytesWritten();
    capture.RequestStop();
    capture.wait();
    std::fflush(stdout);
    dup2(saved, 1);
    close(saved);
    close(null);

    std::printf("capture: %.1f MiB in 65535-byte messages over loopback in %.2f s: %.0f MB/s, file equal to what "
                "was sent: %s, capture process CPU %.0f%% of a core\n",
                double(written) / (1 << 20), seconds, double(written) / seconds / 1e6,
                written == kSourceBytes && SameFiles(out, source) ? "yes" : "no", 100 * cpu / seconds);
    std::remove(source.c_str());
    std::remove(out.c_str());
}

void Idle(const std::string& dir)
{
    std::remove((dir + "/peer.log").c_str());   // the throughput run's commands are not these
    CPeer peer(dir, {"--fault", "silent"});
    if (!peer.port)
        return;
    CNetworkProcess capture;
    capture.SetConnectInterval(10);
    capture.Setup(CXQFTString("127.0.0.1"), peer.port, 1, CXQFTString((dir + "/idle.xqft").c_str()));
    capture.start();
    if (!WaitFor(capture, kLinkUp, 5)) {
        std::printf("capture: no link to the idle peer\n");
        return;
    }
    const double wall = 3;
    const double cpuStart = ProcessCpuSeconds();
    std::this_thread::sleep_for(std::chrono::duration<double>(wall));
    const double cpu = ProcessCpuSeconds() - cpuStart;
    std::printf("capture: an idle connected capture takes %.2f%% of a core (%.0f s measured)\n", 100 * cpu / wall, wall);

    // Commands to the silent peer (it logs them on the monotonic clock and answers none), asked at
    // random moments of the receive wait.
    std::vector<double> asked, delays;
    std::mt19937 random(7);
    for (int i = 0; i < 40; ++i) {
        std::this_thread::sleep_for(std::chrono::microseconds(20000 + random() % 10000));
        timespec t{};
        clock_gettime(CLOCK_MONOTONIC, &t);
        asked.push_back(double(t.tv_sec) + double(t.tv_nsec) * 1e-9);
        capture.Pause();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    std::ifstream log(dir + "/peer.log");
    for (std::string line; std::getline(log, line) && delays.size() < asked.size();)
        if (line.rfind("t=", 0) == 0 && line.find(" command ") != std::string::npos)
            delays.push_back(1000 * (std::stod(line.substr(2)) - asked[delays.size()]));
    std::sort(delays.begin(), delays.end());
    if (delays.size() == asked.size())
        std::printf("capture: a command reaches the device %.1f ms after it is asked (median of %zu, longest %.1f ms)\n",
                    delays[delays.size() / 2], delays.size(), delays.back());
    else
        std::printf("capture: the device logged %zu of %zu commands\n", delays.size(), asked.size());

    const Clock::time_point stopAsked = Clock::now();
    capture.RequestStop();
    capture.wait();
    std::printf("capture: a stop ends the capture thread in %.1f ms\n", 1000 * Seconds(stopAsked, Clock::now()));
    std::remove((dir + "/idle.xqft").c_str());
}

} // namespace

int main()
{
    std::string dir = TempDir() + "/xqft-bench-capture-XXXXXX";
    if (!mkdtemp(dir.data())) {
        std::printf("capture: no temporary folder\n");
        return 1;
    }
    Throughput(dir);
    Idle(dir);
    std::system(("rm -rf '" + dir + "'").c_str());
    return 0;
}

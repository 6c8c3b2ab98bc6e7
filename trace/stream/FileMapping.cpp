#include "FileMapping.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The guard's view of the live mappings: plain atomics, so the fault handler reads them without a
// lock. A slot with begin 0 is free.
struct SGuardSlot
{
    std::atomic<uintptr_t> begin{0};
    std::atomic<uintptr_t> end{0};
    std::atomic<bool> damaged{false};
};
constexpr int kSlots = 64;
std::array<SGuardSlot, kSlots> g_slots;
// The mapping objects of the slots, for CapturedBytesIntact (normal code only, under the lock).
std::array<CFileMapping*, kSlots> g_owners{};
// Also serialises Check(), which any thread holding captured bytes may call; recursive
// because CapturedBytesIntact checks the owner it found under the lock.
std::recursive_mutex g_lock;
struct sigaction g_previous;
uintptr_t g_pageMask = 0;
bool g_installed = false;

// Zeros in place of a mapping's pages: a later read returns 0 instead of faulting or showing the
// bytes of a rewritten file.
bool ZeroFill(uintptr_t begin, uintptr_t end)
{
    void* at = mmap(reinterpret_cast<void*>(begin), end - begin, PROT_READ,
                    MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0);
    return at != MAP_FAILED;
}

void OnBusError(int signal, siginfo_t* info, void* context)
{
    const uintptr_t address = reinterpret_cast<uintptr_t>(info->si_addr);
    for (SGuardSlot& slot : g_slots) {
        const uintptr_t begin = slot.begin.load(std::memory_order_acquire);
        const uintptr_t end = slot.end.load(std::memory_order_acquire);
        if (begin != 0 && address >= begin && address < end) {
            slot.damaged.store(true, std::memory_order_release);
            // The faulting read runs again on return and finds zeros.
            if (ZeroFill(begin & ~g_pageMask, end))
                return;
            break;
        }
    }
    // Not a trace mapping: what the process had before the guard.
    if ((g_previous.sa_flags & SA_SIGINFO) && g_previous.sa_sigaction) {
        g_previous.sa_sigaction(signal, info, context);
        return;
    }
    if (g_previous.sa_handler != SIG_DFL && g_previous.sa_handler != SIG_IGN && g_previous.sa_handler) {
        g_previous.sa_handler(signal);
        return;
    }
    // The default action: the faulting read runs again and ends the process as it would have.
    struct sigaction fallback = {};
    fallback.sa_handler = SIG_DFL;
    sigaction(SIGBUS, &fallback, nullptr);
}

void InstallGuard()
{
    if (g_installed)
        return;
    g_pageMask = uintptr_t(sysconf(_SC_PAGESIZE)) - 1;
    struct sigaction action = {};
    action.sa_sigaction = OnBusError;
    action.sa_flags = SA_SIGINFO | SA_NODEFER;
    sigemptyset(&action.sa_mask);
    if (sigaction(SIGBUS, &action, &g_previous) == 0)
        g_installed = true;
}

int FindSlot(const void* p)
{
    const uintptr_t address = reinterpret_cast<uintptr_t>(p);
    for (int i = 0; i < kSlots; ++i) {
        const uintptr_t begin = g_slots[i].begin.load(std::memory_order_acquire);
        if (begin != 0 && address >= begin && address < g_slots[i].end.load(std::memory_order_acquire))
            return i;
    }
    return -1;
}

} // namespace

std::shared_ptr<CFileMapping> CFileMapping::Map(int fd, uint64_t size, CXQFTString& error)
{
    if (size == 0 || size > uint64_t(SIZE_MAX)) {
        error = "nothing to map";
        return nullptr;
    }
    std::shared_ptr<CFileMapping> m(new CFileMapping);
    m->m_fd = fcntl(fd, F_DUPFD_CLOEXEC, 0);
    struct stat st;
    if (m->m_fd < 0 || fstat(m->m_fd, &st) != 0) {
        error.Assign(strerror(errno));
        return nullptr;
    }
    void* at = mmap(nullptr, size_t(size), PROT_READ, MAP_PRIVATE, m->m_fd, 0);
    if (at == MAP_FAILED) {
        error.Assign(strerror(errno));
        return nullptr;
    }
    m->m_data = static_cast<const uint8_t*>(at);
    m->m_size = size;
    m->m_fileSize = uint64_t(st.st_size);
    m->m_modifiedSeconds = st.st_mtim.tv_sec;
    m->m_modifiedNanoseconds = st.st_mtim.tv_nsec;
    const std::lock_guard<std::recursive_mutex> lock(g_lock);
    InstallGuard();
    for (int i = 0; i < kSlots; ++i) {
        if (g_slots[i].begin.load() == 0) {
            g_slots[i].damaged.store(false);
            g_slots[i].end.store(reinterpret_cast<uintptr_t>(at) + size, std::memory_order_release);
            g_slots[i].begin.store(reinterpret_cast<uintptr_t>(at), std::memory_order_release);
            g_owners[size_t(i)] = m.get();
            m->m_slot = i;
            return m;
        }
    }
    // Every slot taken (64 traces open at once): without the guard a cut file could kill the
    // process, so the caller copies instead.
    error = "too many mapped traces";
    return nullptr;
}

CFileMapping::~CFileMapping()
{
    if (m_slot >= 0) {
        const std::lock_guard<std::recursive_mutex> lock(g_lock);
        g_slots[size_t(m_slot)].begin.store(0, std::memory_order_release);
        g_slots[size_t(m_slot)].end.store(0, std::memory_order_release);
        g_owners[size_t(m_slot)] = nullptr;
    }
    if (m_data)
        munmap(const_cast<uint8_t*>(m_data), size_t(m_size));
    if (m_fd >= 0)
        close(m_fd);
}

void CFileMapping::SetSparseReads(bool sparse)
{
    madvise(const_cast<uint8_t*>(m_data), size_t(m_size), sparse ? MADV_RANDOM : MADV_NORMAL);
}

int CFileMapping::OpenReader() const
{
    // Through /proc, not dup(): a duplicate would share the loader's file description and its
    // read-around settings.
    const std::string path = "/proc/self/fd/" + std::to_string(m_fd);
    return m_fd < 0 ? -1 : open(path.c_str(), O_RDONLY | O_CLOEXEC);
}

void CFileMapping::AddSample(uint64_t offset, const uint8_t* bytes, uint32_t n)
{
    // Every stride-th offer is kept; at 256 samples every other one goes and the stride doubles,
    // so the samples stay spread over the whole file however long it is.
    constexpr size_t kMostSamples = 256;
    if (m_offers++ % m_stride != 0)
        return;
    if (m_samples.size() == kMostSamples) {
        for (size_t i = 0; i < kMostSamples / 2; ++i)
            m_samples[i] = m_samples[2 * i];
        m_samples.resize(kMostSamples / 2);
        m_stride *= 2;
    }
    SSample s{offset, {}, n < 8 ? n : 8};
    std::memcpy(s.bytes, bytes, s.n);
    m_samples.push_back(s);
}

bool CFileMapping::Damaged() const
{
    return m_slot < 0 || g_slots[size_t(m_slot)].damaged.load(std::memory_order_acquire);
}

bool CFileMapping::Check()
{
    const std::lock_guard<std::recursive_mutex> lock(g_lock);
    if (Damaged())
        return false;
    struct stat st;
    bool intact = fstat(m_fd, &st) == 0 && uint64_t(st.st_size) >= m_size;
    if (intact && (uint64_t(st.st_size) != m_fileSize || st.st_mtim.tv_sec != m_modifiedSeconds ||
                   st.st_mtim.tv_nsec != m_modifiedNanoseconds)) {
        // Written since the last look: grown by a capture that goes on (the bytes read stay), or
        // rewritten. The sampled bytes tell which.
        for (const SSample& s : m_samples) {
            uint8_t now[8];
            if (pread(m_fd, now, s.n, off_t(s.offset)) != ssize_t(s.n) || std::memcmp(now, s.bytes, s.n) != 0) {
                intact = false;
                break;
            }
        }
        // Only growth is taken as settled: an append leaves the bytes read alone, and a write over
        // them and past the end moves the size only once it is past them. A write in place keeps the
        // size and sets the time as it starts, so one long write() may still be going on under the
        // time just seen: the samples are compared again at every look until the size grows.
        if (intact && uint64_t(st.st_size) > m_fileSize) {
            m_fileSize = uint64_t(st.st_size);
            m_modifiedSeconds = st.st_mtim.tv_sec;
            m_modifiedNanoseconds = st.st_mtim.tv_nsec;
        }
    }
    if (!intact) {
        g_slots[size_t(m_slot)].damaged.store(true, std::memory_order_release);
        // Whoever reads without asking reads zeros, not the bytes of another file.
        ZeroFill(reinterpret_cast<uintptr_t>(m_data), reinterpret_cast<uintptr_t>(m_data) + m_size);
    }
    return intact;
}

bool CapturedBytesIntact(const void* p)
{
    if (!p)
        return true;
    const std::lock_guard<std::recursive_mutex> lock(g_lock);
    const int slot = FindSlot(p);
    if (slot < 0)
        return true;
    CFileMapping* owner = g_owners[size_t(slot)];
    return owner ? owner->Check() : !g_slots[size_t(slot)].damaged.load();
}

// RunWorkers: threads started for one run, or kept by a team, items handed out through one atomic
// counter.
#include "XQFTextureThreads.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace xqftexture {

namespace {

std::atomic<u32> g_limit{0}; // 0: the machine's cores
std::atomic<ThreadStartHook> g_startHook{nullptr};

u32 DefaultLimit()
{
    static const u32 cores = std::max(1u, std::thread::hardware_concurrency());
    return std::min(cores, kMaxThreadLimit);
}

// One run's items, handed out in increasing order until they run out or one fails.
struct SItems {
    u32 count;
    const WorkerTask& task;
    std::atomic<u64> next{0}; // 64 bits: every thread draws once past count before it stops
    std::atomic<bool> failed{false};

    void Work(u32 slot) noexcept
    {
        while (!failed.load(std::memory_order_relaxed)) {
            const u64 item = next.fetch_add(1, std::memory_order_relaxed);
            if (item >= count)
                return;
            bool ok = false;
            try {
                ok = task(u32(item), slot);
            } catch (...) {
                ok = false;
            }
            if (!ok)
                failed.store(true, std::memory_order_relaxed);
        }
    }
};

// Waits a little while for ready() to turn true without sleeping: an encoder's passes follow each
// other within microseconds, and a thread put to sleep between them takes longer than that to wake.
template <class Ready>
void SpinFor(Ready ready)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(50);
    for (u32 i = 1; !ready(); ++i) {
        if (i % 64 == 0 && std::chrono::steady_clock::now() > until)
            return;
#if defined(__x86_64__) || defined(__i386__)
        __builtin_ia32_pause();
#endif
    }
}

} // namespace

// A team's threads sleep until a run is published (a new generation), work it, and the last one to
// finish wakes the owner; a run is published only after every thread finished the one before. Both
// the threads and the owner look a little while (SpinFor) before they sleep.
struct CWorkerTeam::SState {
    std::mutex mutex;
    std::condition_variable wake, done;
    u64 generation = 0;
    std::atomic<u64> published{0}; // generation, for a look without the lock
    bool stop = false;
    std::atomic<bool> stopping{false}; // stop, likewise
    SItems* items = nullptr;
    u32 slots = 0; // of the current run: threads of higher slots sit it out
    std::atomic<u32> pending{0}; // threads still in the current run (changed under the lock)
    bool busy = false; // a run is under way (read and written by the owner alone)
    std::vector<std::thread> threads;

    void Serve(u32 slot)
    {
        u64 seen = 0;
        std::unique_lock<std::mutex> lock(mutex);
        for (;;) {
            if (!stop && generation == seen) {
                lock.unlock();
                SpinFor([&] {
                    return published.load(std::memory_order_relaxed) != seen ||
                           stopping.load(std::memory_order_relaxed);
                });
                lock.lock();
            }
            wake.wait(lock, [&] { return stop || generation != seen; });
            if (stop)
                return;
            seen = generation;
            SItems* run = slot < slots ? items : nullptr;
            lock.unlock();
            if (run != nullptr)
                run->Work(slot);
            lock.lock();
            if (--pending == 0)
                done.notify_one();
        }
    }

    bool Run(u32 count, const WorkerTask& task, u32 runSlots)
    {
        SItems run{count, task};
        {
            const std::lock_guard<std::mutex> hold(mutex);
            items = &run, slots = runSlots, pending = u32(threads.size());
            published.store(++generation, std::memory_order_relaxed);
        }
        busy = true;
        wake.notify_all();
        run.Work(0);
        SpinFor([&] { return pending.load(std::memory_order_relaxed) == 0; });
        std::unique_lock<std::mutex> lock(mutex);
        done.wait(lock, [&] { return pending == 0; });
        busy = false;
        return !run.failed.load();
    }
};

namespace {
thread_local CWorkerTeam::SState* t_team = nullptr; // the team serving this thread's runs
} // namespace

CWorkerTeam::CWorkerTeam()
{
    const u32 limit = GetThreadLimit();
    if (t_team != nullptr || limit < 2)
        return;
    try {
        m_state = std::make_unique<SState>();
        m_state->threads.reserve(limit - 1);
    } catch (...) {
        m_state.reset();
        return;
    }
    const ThreadStartHook hook = g_startHook.load();
    for (u32 slot = 1; slot < limit; ++slot) {
        if (hook != nullptr && !hook(slot))
            continue;
        try {
            m_state->threads.emplace_back(&SState::Serve, m_state.get(), slot);
        } catch (...) {
            // The system refused the thread: the runs go to the threads that run.
        }
    }
    if (m_state->threads.empty())
        m_state.reset();
    else
        t_team = m_state.get();
}

CWorkerTeam::~CWorkerTeam()
{
    if (!m_state)
        return;
    t_team = nullptr;
    {
        const std::lock_guard<std::mutex> hold(m_state->mutex);
        m_state->stop = true;
        m_state->stopping = true;
    }
    m_state->wake.notify_all();
    for (std::thread& t : m_state->threads)
        t.join();
}

void SetThreadLimit(u32 limit) { g_limit.store(std::min(limit, kMaxThreadLimit)); }

u32 GetThreadLimit()
{
    const u32 limit = g_limit.load();
    return limit == 0 ? DefaultLimit() : limit;
}

u32 WorkerSlots(u32 count) { return std::max(1u, std::min(GetThreadLimit(), count)); }

void SetThreadStartHook(ThreadStartHook hook) { g_startHook.store(hook); }

bool RunWorkers(u32 count, const WorkerTask& task, u32 maxSlots)
{
    if (count == 0)
        return true;
    const u32 slots = maxSlots == 0 ? WorkerSlots(count) : std::min(WorkerSlots(count), maxSlots);
    if (slots > 1 && t_team != nullptr && !t_team->busy)
        return t_team->Run(count, task, slots);
    SItems items{count, task};

    std::vector<std::thread> threads;
    try {
        threads.reserve(slots - 1);
    } catch (...) {
        items.Work(0); // no room to hold threads: the calling thread does it all
        return !items.failed.load();
    }
    const ThreadStartHook hook = g_startHook.load();
    for (u32 slot = 1; slot < slots; ++slot) {
        if (hook != nullptr && !hook(slot))
            continue;
        try {
            threads.emplace_back(&SItems::Work, &items, slot);
        } catch (...) {
            // The system refused the thread: its items go to the threads that run.
        }
    }
    items.Work(0);
    for (std::thread& t : threads)
        t.join();
    return !items.failed.load();
}

} // namespace xqftexture

// RunWorkers: threads started for one run, items handed out through one atomic counter.
#include "XQFTextureThreads.h"

#include <algorithm>
#include <atomic>
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

} // namespace

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
    std::atomic<u64> next{0}; // 64 bits: every thread draws once past count before it stops
    std::atomic<bool> failed{false};
    auto work = [&](u32 slot) noexcept {
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
    };

    std::vector<std::thread> threads;
    try {
        threads.reserve(slots - 1);
    } catch (...) {
        work(0); // no room to hold threads: the calling thread does it all
        return !failed.load();
    }
    const ThreadStartHook hook = g_startHook.load();
    for (u32 slot = 1; slot < slots; ++slot) {
        if (hook != nullptr && !hook(slot))
            continue;
        try {
            threads.emplace_back(work, slot);
        } catch (...) {
            // The system refused the thread: its items go to the threads that run.
        }
    }
    work(0);
    for (std::thread& t : threads)
        t.join();
    return !failed.load();
}

} // namespace xqftexture

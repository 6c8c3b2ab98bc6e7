#pragma once
// The texture library's worker threads. An encoder splits its work into a fixed set of independent
// items (rows of blocks, regions, logical workers) and hands them to RunWorkers, which runs them on
// at most the library's thread limit of threads, the calling thread included. How the work is split
// never depends on the limit, so every limit gives the same bytes.
//
//   std::vector<Scratch> perSlot(WorkerSlots(rows));
//   const bool done = RunWorkers(rows, [&](u32 row, u32 slot) { return EncodeRow(row, perSlot[slot]); },
//                                u32(perSlot.size()));
//
// Threads are started for one run and joined before RunWorkers returns, unless a CWorkerTeam on the
// calling thread keeps them for its runs (see there).
#include "XQFTextureTypes.h"

#include <functional>
#include <memory>

namespace xqftexture {

// The most threads one run uses, the calling thread included; 1 runs everything on the calling
// thread. 0 restores the default, the machine's cores. Values above kMaxThreadLimit are taken as it.
// A process-wide setting: a run reads it once when it starts.
inline constexpr u32 kMaxThreadLimit = 256;
void SetThreadLimit(u32 limit);
u32 GetThreadLimit();

// Threads a run of count items may use: min(limit, count), at least 1. Slots handed to the task are
// below this number.
u32 WorkerSlots(u32 count);

// Runs task(item, slot) once for every item 0 .. count-1 and returns when all have finished. Items are
// taken in increasing order by whichever thread is free; slot names that thread (0 is the calling
// thread), so a task may keep scratch per slot without locks.
//
// A task that returns false or throws stops the handing out of further items (those already running
// finish); RunWorkers then returns false. A thread that cannot be started leaves its share to the
// threads that run, the calling thread at least, and the result is the same. Never throws.
//
// slots, when not 0, caps the threads (and so the slot numbers) at what the caller sized its per-slot
// scratch for, so that a limit changed by another thread in between cannot hand out a larger slot.
using WorkerTask = std::function<bool(u32 item, u32 slot)>;
bool RunWorkers(u32 count, const WorkerTask& task, u32 slots = 0);

// Keeps threads, as many as the limit allows when it is made, for the runs the thread that made it
// starts while it lives: an encoder's short passes then do not each start and join threads. Runs
// started by a run's items, or on other threads, start their own threads as before; a team made
// while another serves the same thread leaves the runs to that one. Never throws; without threads it
// changes nothing.
class CWorkerTeam {
public:
    CWorkerTeam();
    ~CWorkerTeam();
    CWorkerTeam(const CWorkerTeam&) = delete;
    CWorkerTeam& operator=(const CWorkerTeam&) = delete;

    struct SState;

private:
    std::unique_ptr<SState> m_state; // null when it serves no runs
};

// Test hook: asked before each thread is started, with its slot; false makes that start fail as a
// refused thread creation does. nullptr removes the hook.
using ThreadStartHook = bool (*)(u32 slot);
void SetThreadStartHook(ThreadStartHook hook);

} // namespace xqftexture

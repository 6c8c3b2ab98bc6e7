#pragma once
// The amtc compressor's worker threads: a sweep starts its logical workers and joins them all
// before the next sweep. They run on the texture library's worker threads under its thread limit;
// the workers of one sweep touch disjoint block records, so any order of running them gives the
// same bytes.
#include "XQFTextureTypes.h"

#include <vector>

namespace xqftexture::amtc {

// A worker: returns false when it failed (memory ran out); the sweep then hands out no more work.
using WorkerRoutine = bool (*)(void* context, u32 worker);

// The workers of one sweep, started and not yet joined.
struct SWorkerSet {
    struct SWorker {
        WorkerRoutine routine;
        void* context;
    };
    std::vector<SWorker> workers;
    bool lost = false; // a worker could not be recorded: the sweep cannot be complete
};

// Adds a worker to the set and returns its handle (its index). It runs when the set is joined: a
// worker the system gives no thread runs on the calling thread instead. Never throws.
u32 StartWorkerThread(SWorkerSet& set, WorkerRoutine routine, void* context);

// Runs every worker of the set and waits for all of them; an empty set returns at once. The set is
// empty afterwards. Returns false when a worker failed or the set could not be recorded.
bool JoinWorkerThreads(SWorkerSet& set);

} // namespace xqftexture::amtc

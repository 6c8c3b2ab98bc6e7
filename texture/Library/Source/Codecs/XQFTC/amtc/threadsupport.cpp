// The amtc workers on the texture library's worker threads.
#include "threadsupport.h"

#include "XQFTextureThreads.h"

namespace xqftexture::amtc {

u32 StartWorkerThread(SWorkerSet& set, WorkerRoutine routine, void* context)
{
    try {
        set.workers.push_back({routine, context});
    } catch (...) {
        set.lost = true;
    }
    return u32(set.workers.size() - 1);
}

bool JoinWorkerThreads(SWorkerSet& set)
{
    const std::vector<SWorkerSet::SWorker> workers = std::move(set.workers);
    const bool lost = set.lost;
    set.workers.clear();
    set.lost = false;
    if (lost)
        return false;
    return RunWorkers(u32(workers.size()), [&](u32 item, u32) { return workers[item].routine(workers[item].context, item); });
}

} // namespace xqftexture::amtc

#pragma once
// What a walk over the records of a mapped trace reads from disk. Captured blocks (frame images,
// textures, arrays) stay in the file and the walk steps over them, so the kernel's read-around,
// which would read them whole on the first touch of their pages, is switched off for the walk.
// In its place a thread of its own frames the records ahead of the walk, from their headers alone,
// and reads the runs of small records between the blocks into the page cache: where the next run
// begins is known only once the run before it is read, so each run costs a wait on the disk, and
// those waits now overlap the walk's own work instead of adding to it.
// - A run that begins is read as long as the run before it (recordings repeat themselves frame
//   after frame); one that outgrows that gets as much again as it has so far.
// - The thread stays at most kAheadBytes of reads ahead of the walk (a load that stops early, at a
//   call or a frame, reads little past it) and stops with the walk: the read-ahead owns it, tells
//   it to stop and joins it when it ends (the thread then waits for no disk read but the one it
//   may be in, and its file is closed).
// A wrong guess reads at most about as much again as the run it was made for.
// The walk takes its record bytes from copies of those runs (CopyRun), read from the page cache
// into one buffer it reuses, not from the mapping: on a virtual machine the first touch of each
// page of a mapping costs a fault of the host's as well as the kernel's, several times what the
// copy costs, and a run of records is spread over pages the walk would touch once only.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class CFileMapping;

class CRecordReadAhead
{
public:
    // Records of this many payload bytes and more are taken for blocks the walk steps over.
    static constexpr uint32_t kBlockRecordBytes = 64 * 1024;
    // The smallest and largest read at once, and how far the reads may run ahead of the walk.
    static constexpr uint64_t kLeastRead = 4 * 1024;
    static constexpr uint64_t kMostRead = 1024 * 1024;
    static constexpr uint64_t kAheadBytes = 2 * 1024 * 1024;
    // A block's own fields lie beside its header: read with the run before it.
    static constexpr uint64_t kBlockFieldBytes = 512;

    // Null mapping: does nothing (a trace read through a window, or copied whole). Otherwise reads
    // ahead from the record at firstRecord.
    CRecordReadAhead(CFileMapping* mapping, uint64_t firstRecord);
    // Stops the reads, joins the thread and gives the mapping back its read-around (views read
    // frame images and textures in full later).
    ~CRecordReadAhead();
    CRecordReadAhead(const CRecordReadAhead&) = delete;
    CRecordReadAhead& operator=(const CRecordReadAhead&) = delete;

    // The walk is about to frame the record at offset.
    void Before(uint64_t offset)
    {
        if (!m_shared)
            return;
        m_shared->walked.store(offset, std::memory_order_relaxed);
        if (offset >= m_shared->wakeAt.load(std::memory_order_relaxed))
            Wake();
    }

    // Whether a thread reads ahead, and the walk may ask for copies of what it read.
    bool Active() const { return m_shared && m_copyFd >= 0; }
    // Copies the bytes from at to the end of the runs read ahead that hold [at, at + need) into out
    // (grown as needed, never shrunk), at most kMostCopy of them unless need is more; the count
    // copied. 0 when those bytes are not read ahead (they lie in a block, or the thread stopped,
    // or waits for the walk): the walk reads them from the mapping then. Waits while the thread
    // has yet to get there.
    uint64_t CopyRun(uint64_t at, uint64_t need, std::vector<uint8_t>& out);
    static constexpr uint64_t kMostCopy = 256 * 1024;

private:
    // What the walk and the thread share.
    struct SShared
    {
        std::mutex lock;
        std::condition_variable room;
        std::condition_variable published;  // a read was added, or the thread waits or ends
        bool stop = false;
        bool waiting = false;    // the thread waits for the walk
        bool done = false;       // the thread reads no more
        uint64_t frontier = 0;   // where the last read ends
        std::atomic<uint64_t> walked{0};
        std::atomic<uint64_t> wakeAt{UINT64_MAX};  // the walk wakes the thread once it gets here
        std::deque<std::pair<uint64_t, uint64_t>> reads;  // [begin, end) read ahead, not yet walked over
    };
    static void Run(SShared& shared, int fd, uint64_t first, uint64_t size);
    // Waits while the reads not yet walked over come to kAheadBytes; false once stopped.
    static bool WaitForRoom(SShared& shared);
    // Adds [begin, end) to the reads and tells a walk waiting in CopyRun.
    static void Publish(SShared& shared, uint64_t begin, uint64_t end);
    void Wake();

    CFileMapping* m_mapping;
    // Null when no thread reads ahead; the thread is joined before it goes.
    std::unique_ptr<SShared> m_shared;
    std::thread m_thread;
    int m_copyFd = -1;  // the walk's own reads of the runs (no read-around)
};

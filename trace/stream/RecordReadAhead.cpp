#include "RecordReadAhead.h"

#include "FileMapping.h"
#include "RecordStream.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <functional>
#include <system_error>
#include <vector>

namespace {

// Reads up to length bytes at offset; the count read, 0 at the end of the file or on an error.
size_t ReadAt(int fd, uint8_t* out, uint64_t length, uint64_t offset)
{
    for (;;) {
        const ssize_t n = pread(fd, out, size_t(length), off_t(offset));
        if (n >= 0)
            return size_t(n);
        if (errno != EINTR)
            return 0;
    }
}

} // namespace

CRecordReadAhead::CRecordReadAhead(CFileMapping* mapping, uint64_t firstRecord) : m_mapping(mapping)
{
    if (!m_mapping)
        return;
    m_mapping->SetSparseReads(true);
    // A file description of its own: its reads are told not to read around either.
    const int fd = m_mapping->OpenReader();
    if (fd < 0)
        return;
    posix_fadvise(fd, 0, 0, POSIX_FADV_RANDOM);
    try {
        m_shared = std::make_unique<SShared>();
        m_shared->frontier = firstRecord;
        m_thread = std::thread(&CRecordReadAhead::Run, std::ref(*m_shared), fd, firstRecord, m_mapping->Size());
    } catch (const std::system_error&) {
        m_shared.reset();
        close(fd);  // no thread to spare: the walk reads its pages as it goes
        return;
    }
    m_copyFd = m_mapping->OpenReader();
    if (m_copyFd >= 0)
        posix_fadvise(m_copyFd, 0, 0, POSIX_FADV_RANDOM);
}

CRecordReadAhead::~CRecordReadAhead()
{
    if (m_thread.joinable()) {
        {
            const std::lock_guard<std::mutex> lock(m_shared->lock);
            m_shared->stop = true;
        }
        m_shared->room.notify_one();
        m_thread.join();
    }
    if (m_copyFd >= 0)
        close(m_copyFd);
    if (m_mapping)
        m_mapping->SetSparseReads(false);
}

void CRecordReadAhead::Wake()
{
    m_shared->wakeAt.store(UINT64_MAX, std::memory_order_relaxed);
    const std::lock_guard<std::mutex> lock(m_shared->lock);
    m_shared->room.notify_one();
}

uint64_t CRecordReadAhead::CopyRun(uint64_t at, uint64_t need, std::vector<uint8_t>& out)
{
    if (!m_shared || m_copyFd < 0)
        return 0;
    uint64_t end;
    {
        std::unique_lock<std::mutex> lock(m_shared->lock);
        for (;;) {
            // The reads are in file order: one pass follows the reads that join up from at.
            end = at;
            for (const auto& [begin, readEnd] : m_shared->reads)
                if (begin <= end && readEnd > end)
                    end = readEnd;
            if (end - at >= need)
                break;
            // Past the last read the thread has yet to get there, unless it waits for the walk or
            // is done; before it, the bytes lie between the runs.
            if (end < m_shared->frontier || m_shared->waiting || m_shared->done)
                return 0;
            m_shared->published.wait(lock);
        }
    }
    const uint64_t length = std::max(need, std::min(end - at, kMostCopy));
    if (out.size() < length)
        out.resize(size_t(length));
    const size_t n = ReadAt(m_copyFd, out.data(), length, at);
    return n >= need ? n : 0;
}

void CRecordReadAhead::Publish(SShared& shared, uint64_t begin, uint64_t end)
{
    {
        const std::lock_guard<std::mutex> lock(shared.lock);
        shared.reads.emplace_back(begin, end);
        shared.frontier = end;
    }
    shared.published.notify_one();
}

bool CRecordReadAhead::WaitForRoom(SShared& shared)
{
    std::unique_lock<std::mutex> lock(shared.lock);
    for (;;) {
        if (shared.stop)
            return false;
        const uint64_t walked = shared.walked.load(std::memory_order_relaxed);
        while (!shared.reads.empty() && shared.reads.front().second <= walked)
            shared.reads.pop_front();
        uint64_t ahead = 0;
        for (const auto& [begin, end] : shared.reads)
            ahead += end - std::max(begin, walked);
        if (ahead < kAheadBytes) {
            shared.wakeAt.store(UINT64_MAX, std::memory_order_relaxed);
            shared.waiting = false;
            return true;
        }
        shared.wakeAt.store(shared.reads.front().second, std::memory_order_relaxed);
        if (!shared.waiting) {
            shared.waiting = true;
            shared.published.notify_one();
        }
        // The walk wakes the thread when it passes the first read; the timeout covers a wake that
        // came between the check above and the wait.
        shared.room.wait_for(lock, std::chrono::milliseconds(1));
    }
}

void CRecordReadAhead::Run(SShared& shared, int fd, uint64_t at, uint64_t size)
{
    std::vector<uint8_t> buffer;
    uint64_t bufferBegin = 0, bufferEnd = 0;
    uint64_t runStart = at, lastRun = 0;
    constexpr uint64_t kHeader = CRecordStream::kHeaderBytes;
    while (at <= size && size - at >= kHeader) {
        if (at < bufferBegin || at + kHeader > bufferEnd) {
            // A run that just began is guessed as long as the one before; one that outgrew what
            // was read gets as much again as it has so far.
            const uint64_t guess = at == runStart && lastRun ? lastRun + lastRun / 32 + 64 : at - runStart;
            const uint64_t length = std::min(std::clamp(guess, kLeastRead, kMostRead), size - at);
            if (!WaitForRoom(shared))
                break;
            buffer.resize(size_t(length));
            const size_t n = ReadAt(fd, buffer.data(), length, at);
            if (n < kHeader)
                break;  // the file was cut, or cannot be read: the walk finds out for itself
            bufferBegin = at;
            bufferEnd = at + n;
            Publish(shared, bufferBegin, bufferEnd);
        }
        const uint8_t* h = buffer.data() + (at - bufferBegin);
        const uint32_t payload = uint32_t(h[0]) | uint32_t(h[1]) << 8 | uint32_t(h[2]) << 16 | uint32_t(h[3]) << 24;
        if (payload >= kBlockRecordBytes) {
            // The run ends with the block's header and fields; the next begins after the block.
            const uint64_t fieldsEnd = std::min(at + kHeader + kBlockFieldBytes, size);
            if (fieldsEnd > bufferEnd) {
                uint8_t fields[kBlockFieldBytes + kHeader];
                if (ReadAt(fd, fields, fieldsEnd - bufferEnd, bufferEnd) == fieldsEnd - bufferEnd)
                    Publish(shared, bufferEnd, fieldsEnd);
            }
            lastRun = fieldsEnd - runStart;
            runStart = at + kHeader + payload;
        }
        at += kHeader + payload;
    }
    close(fd);
    {
        const std::lock_guard<std::mutex> lock(shared.lock);
        shared.done = true;
    }
    shared.published.notify_one();
}

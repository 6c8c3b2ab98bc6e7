#include "MemoryManager.h"

#include "RecordReadAhead.h"

#include <cerrno>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

const char* StreamErrorText(uint32_t code)
{
    switch (code) {
    case kStreamOutOfMemory: return "out of memory for the read window";
    case kStreamNotOpen: return "no file is open";
    case kStreamIoError: return "read error";
    case kStreamPastEnd: return "read past the end of the file";
    case kStreamEmptyFile: return "empty file";
    case kStreamSeekRange: return "seek outside the file";
    default: return "unknown stream error";
    }
}

MemoryManager& MemoryManager::Instance()
{
    static MemoryManager instance;
    return instance;
}

MemoryManager::~MemoryManager()
{
    Close();
}

void MemoryManager::Fail(uint32_t code, const char* detail)
{
    m_lastError.Assign(StreamErrorText(code));
    if (detail)
        m_lastError.Append(": ").Append(detail);
    throw MemoryManagerException(code);
}

bool MemoryManager::Open(const CXQFTString& path)
{
    if (m_fd >= 0) {
        close(m_fd);
        m_fd = -1;
    }
    m_fileSize = m_position = m_windowStart = m_fill = 0;
    m_runs = nullptr;
    m_lastError.Clear();

    int fd = open(path.CStr(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        m_lastError.Assign(strerror(errno));
        return false;
    }
    struct stat st;
    if (fstat(fd, &st) != 0) {
        m_lastError.Assign(strerror(errno));
        close(fd);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        m_lastError.Assign(S_ISDIR(st.st_mode) ? "is a directory" : "not a regular file");
        close(fd);
        return false;
    }
    m_fd = fd;
    m_path.Assign(path);
    m_fileSize = static_cast<uint64_t>(st.st_size);
    m_mapping.reset();
    if (m_fileSize == 0)
        Fail(kStreamEmptyFile);
    if (m_capacity == kDefaultCapacity) {
        CXQFTString refused;
        m_mapping = CFileMapping::Map(fd, m_fileSize, refused);
        if (m_mapping) {
            // The whole file is the window: every read in range is one copy out of the mapping.
            m_window = const_cast<unsigned char*>(m_mapping->Data());
            m_windowStart = 0;
            m_fill = m_fileSize;
            ++m_loads;
            return true;
        }
    }
    if (!m_buffer) {
        m_buffer = new (std::nothrow) unsigned char[m_capacity];
        if (!m_buffer)
            Fail(kStreamOutOfMemory);
    }
    m_window = m_buffer;
    return LoadWindow(0);
}

void MemoryManager::Close()
{
    if (m_fd >= 0)
        close(m_fd);
    m_fd = -1;
    m_runs = nullptr;
    m_runCopy = {};
    m_mapping.reset();
    delete[] m_buffer;
    m_buffer = nullptr;
    m_window = nullptr;
    m_windowStart = m_fill = m_position = 0;
}

void MemoryManager::SetCapacity(uint64_t bytes)
{
    if (bytes == 0 || bytes == m_capacity)
        return;
    // From here on the reads go through a window of this size, mapped file or not.
    m_runs = nullptr;
    delete[] m_buffer;
    m_buffer = nullptr;
    m_window = nullptr;
    m_capacity = bytes;
    m_fill = 0;
    m_windowStart = m_position;
    if (m_fd >= 0) {
        m_buffer = new (std::nothrow) unsigned char[m_capacity];
        if (!m_buffer)
            Fail(kStreamOutOfMemory);
        m_window = m_buffer;
    }
}

void MemoryManager::ReadRunsFrom(CRecordReadAhead* runs)
{
    if (!m_mapping || m_window == m_buffer)
        return;
    m_runs = runs;
    // Back to the whole mapping; with runs the next read loads the window of its run.
    m_window = const_cast<unsigned char*>(m_mapping->Data());
    m_windowStart = 0;
    m_fill = runs ? 0 : m_fileSize;
    if (!runs)
        m_runCopy = {};
}

void MemoryManager::LoadRunWindow(uint64_t n)
{
    const uint64_t copied = m_runs->CopyRun(m_position, n, m_runCopy);
    ++m_loads;
    m_windowStart = m_position;
    if (copied >= n) {
        m_window = m_runCopy.data();
        m_fill = copied;
    } else {
        // Bytes between the runs (a block's fields past those read with its header): only those.
        m_window = const_cast<unsigned char*>(m_mapping->Data()) + m_position;
        m_fill = n;
    }
}

bool MemoryManager::ReadFile(void* destination, uint64_t n, uint64_t offset)
{
    auto* out = static_cast<unsigned char*>(destination);
    while (n > 0) {
        ssize_t got = pread(m_fd, out, n > (1u << 30) ? (1u << 30) : n, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        out += got;
        n -= static_cast<uint64_t>(got);
        offset += static_cast<uint64_t>(got);
    }
    return true;
}

bool MemoryManager::LoadWindow(uint64_t offset)
{
    if (m_fd < 0 || !m_window)
        Fail(kStreamNotOpen);
    if (offset > m_fileSize)
        Fail(kStreamSeekRange);
    if (m_mapping && m_window != m_buffer) {
        // The mapping is the whole file: only the position moves.
        m_position = offset;
        return true;
    }
    uint64_t fill = m_fileSize - offset < m_capacity ? m_fileSize - offset : m_capacity;
    ++m_loads;
    errno = 0;
    if (!ReadFile(m_window, fill, offset)) {
        m_fill = 0; // nothing of the window can be trusted now
        Fail(kStreamIoError, errno ? strerror(errno) : "the file is shorter than its size");
    }
    m_windowStart = offset;
    m_fill = fill;
    m_position = offset;
    return true;
}

bool MemoryManager::ReadSlow(void* destination, uint64_t n)
{
    if (m_fd < 0)
        Fail(kStreamNotOpen);
    if (m_position > m_fileSize || n > m_fileSize - m_position)
        Fail(kStreamPastEnd);
    if (m_runs) {
        LoadRunWindow(n);
        memcpy(destination, m_window, n);
        m_position += n;
        return true;
    }
    if (n > m_capacity) {
        // A block larger than the window (a big texture, a frame image) goes straight to the
        // caller; the window stays where it is.
        errno = 0;
        if (!ReadFile(destination, n, m_position))
            Fail(kStreamIoError, errno ? strerror(errno) : "the file is shorter than its size");
        m_position += n;
        return true;
    }
    LoadWindow(m_position);
    memcpy(destination, m_window, n);
    m_position += n;
    return true;
}

uint64_t MemoryManager::Seek(int64_t offset, int origin)
{
    if (m_fd < 0)
        Fail(kStreamNotOpen);
    // Signed 128-bit sum: no offset can wrap the target back into range.
    __int128 target;
    switch (origin) {
    case 1: target = static_cast<__int128>(m_position) + offset; break;
    case 2: target = static_cast<__int128>(m_fileSize) - offset; break;
    default: target = offset; break;
    }
    if (target < 0 || target > static_cast<__int128>(m_fileSize))
        Fail(kStreamSeekRange);
    // Only the position moves; the next read reloads the window if the target lies outside it.
    m_position = static_cast<uint64_t>(target);
    return m_position;
}

#include "RecordReadAhead.h"

#include "FileMapping.h"

#include <algorithm>

CRecordReadAhead::CRecordReadAhead(CFileMapping* mapping) : m_mapping(mapping)
{
    if (m_mapping)
        m_mapping->SetSparseReads(true);
}

CRecordReadAhead::~CRecordReadAhead()
{
    if (m_mapping)
        m_mapping->SetSparseReads(false);
}

uint64_t CRecordReadAhead::RunWindow() const
{
    return std::clamp(m_lastRun + m_lastRun / 32 + 64, kLeastWindow, kMostWindow);
}

void CRecordReadAhead::Before(uint64_t offset)
{
    if (!m_mapping || offset < m_end)
        return;
    // A run that just began is guessed as long as the one before; one that outgrew what was asked
    // for gets as much again as it has so far.
    const uint64_t window = offset == m_runStart && m_lastRun ? RunWindow() : offset - m_runStart;
    Request(offset, std::clamp(window, kLeastWindow, kMostWindow));
}

void CRecordReadAhead::Framed(uint64_t offset, uint32_t headerBytes, uint32_t size)
{
    if (!m_mapping || size < kBlockRecordBytes)
        return;
    // The block's own fields lie at its start, beside its header: the run ends there.
    m_lastRun = offset + headerBytes - std::min(m_runStart, offset);
    RunBegins(offset + headerBytes + size);
}

void CRecordReadAhead::RunBegins(uint64_t start)
{
    const uint64_t distance = start - m_runStart;
    m_runStart = start;
    std::rotate(m_distances.rbegin(), m_distances.rbegin() + 1, m_distances.rend());
    m_distances[0] = distance;
    m_distanceCount = std::min<int>(m_distanceCount + 1, int(m_distances.size()));
    if (m_distanceCount < int(m_distances.size()))
        return;
    const auto [low, high] = std::minmax_element(m_distances.begin(), m_distances.end());
    const uint64_t window = RunWindow();
    const uint64_t spread = *high - *low;
    // Irregular (a texture between two frames, runs of very different lengths): no guess ahead.
    if (spread > window / 2) {
        m_aheadUntil = 0;
        return;
    }
    uint64_t sum = 0;
    for (const uint64_t d : m_distances)
        sum += d;
    const uint64_t mean = sum / m_distances.size();
    for (uint64_t k = 1; k <= uint64_t(kRunsAhead); ++k) {
        const uint64_t guess = start + k * mean;
        if (guess <= m_aheadUntil + k * spread)
            continue;
        const uint64_t from = guess > k * spread ? guess - k * spread : 0;
        Request(from, window + 2 * k * spread);
        m_aheadUntil = guess;
    }
    // Requests ahead do not cover the run that begins now.
    m_end = std::min(m_end, start);
}

void CRecordReadAhead::Request(uint64_t offset, uint64_t length)
{
    const uint64_t size = m_mapping->Size();
    if (offset >= size)
        return;
    length = std::min(length, size - offset);
    m_mapping->WillNeed(offset, length);
    m_requested += length;
    m_end = offset + length;
}

#pragma once
// Small numbers handed out and given back, the ones given back handed out again first: the call
// arena's block numbers and the call handles' side entries. Giving a number back never fails
// (room for every number handed out is kept), so it may run in destructors. Not locked: each user
// guards its pool with its own lock.
#include <cstdint>
#include <optional>
#include <vector>

class CNumberPool
{
public:
    // Numbers from first up to (not including) limit.
    CNumberPool(uint32_t first, uint32_t limit) : m_first(first), m_next(first), m_limit(limit) {}

    // A number; none when every number is out. Throws bad_alloc, with nothing taken, when the room
    // for giving it back cannot be made.
    std::optional<uint32_t> Take()
    {
        if (!m_free.empty()) {
            const uint32_t n = m_free.back();
            m_free.pop_back();
            return n;
        }
        if (m_next >= m_limit)
            return std::nullopt;
        m_free.reserve(m_next - m_first + 1);
        return m_next++;
    }
    // n must have come from Take and not been given back since.
    void Give(uint32_t n) noexcept { m_free.push_back(n); }

private:
    const uint32_t m_first;
    uint32_t m_next;
    const uint32_t m_limit;
    std::vector<uint32_t> m_free;
};

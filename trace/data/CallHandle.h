#pragma once
// Owns a trace entry's call object and, once the call has been described, its description, in
// one pointer's room: most calls are never described, so the description does not get a slot
// of its own. A described call moves into a pair, marked by the pointer's low bit (call
// objects and pairs come from new, so that bit is always clear in their addresses).
#include <cstdint>
#include <memory>
#include <utility>

class CApiCall;
class CGenCallInfo;

class CCallHandle
{
public:
    CCallHandle() = default;
    explicit CCallHandle(std::unique_ptr<CApiCall> call) : m_bits(reinterpret_cast<uintptr_t>(call.release())) {}
    CCallHandle(CCallHandle&& o) noexcept : m_bits(std::exchange(o.m_bits, 0)) {}
    CCallHandle& operator=(CCallHandle&& o) noexcept
    {
        if (this != &o) {
            Free();
            m_bits = std::exchange(o.m_bits, 0);
        }
        return *this;
    }
    CCallHandle(const CCallHandle&) = delete;
    CCallHandle& operator=(const CCallHandle&) = delete;
    ~CCallHandle() { Free(); }

    // The smart-pointer face the views use.
    CApiCall* get() const { return (m_bits & kDescribed) ? Pair()->call : reinterpret_cast<CApiCall*>(m_bits); }
    CApiCall* operator->() const { return get(); }
    CApiCall& operator*() const { return *get(); }
    explicit operator bool() const { return get() != nullptr; }
    // Replaces the call (and drops its description).
    void reset(CApiCall* call = nullptr);

    CGenCallInfo* Info() const { return (m_bits & kDescribed) ? Pair()->info : nullptr; }
    // Takes the description of the held call; the handle is unchanged when this throws.
    void SetInfo(std::unique_ptr<CGenCallInfo> info);

private:
    static constexpr uintptr_t kDescribed = 1;
    struct SDescribed
    {
        CApiCall* call;
        CGenCallInfo* info;
    };
    SDescribed* Pair() const { return reinterpret_cast<SDescribed*>(m_bits & ~kDescribed); }
    void Free();

    uintptr_t m_bits = 0;
};

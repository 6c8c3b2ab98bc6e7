#pragma once
// Owns a trace entry's call object and, once the call has been described, its description, in 32
// bits: a call object in a call arena is named by its place there (apicall/CallArena.h); a call
// made on the heap, or one that has been described, by an entry of a process-wide side table that
// holds its pointer and its description (most calls of a trace are never described, and nearly
// all live in the arena).
#include <cstdint>
#include <memory>
#include <utility>

#include "apicall/CallArena.h"

class CApiCall;
class CGenCallInfo;

class CCallHandle
{
public:
    CCallHandle() = default;
    // The arena, when given, is searched first (the loader's calls lie in its last block).
    explicit CCallHandle(std::unique_ptr<CApiCall> call, const CCallArena* arena = nullptr);
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
    CApiCall* get() const
    {
        if (m_bits & kSide)
            return Side(m_bits).call;
        return m_bits ? static_cast<CApiCall*>(CCallArena::AtPlace(m_bits)) : nullptr;
    }
    CApiCall* operator->() const { return get(); }
    CApiCall& operator*() const { return *get(); }
    explicit operator bool() const { return m_bits != 0 && get() != nullptr; }
    // Replaces the call (and drops its description).
    void reset(CApiCall* call = nullptr);

    CGenCallInfo* Info() const { return (m_bits & kSide) ? Side(m_bits).info : nullptr; }
    // Takes the description of the held call; the handle is unchanged when this throws.
    void SetInfo(std::unique_ptr<CGenCallInfo> info);

    struct SSide
    {
        CApiCall* call;
        CGenCallInfo* info;
    };

private:
    static constexpr uint32_t kSide = 1u << CCallArena::kPlaceBits;
    static SSide& Side(uint32_t bits);
    // A side entry for call and info (throws bad_alloc when none can be made).
    static uint32_t NewSide(CApiCall* call, CGenCallInfo* info);
    static void FreeSide(uint32_t bits);
    void Free();

    uint32_t m_bits = 0;
};

#pragma once
// The arguments of one recorded call as the players read them: by position, from a description of
// that call with its hidden arguments (the verbose listing), made for this one replay and dropped with
// it (the call entry's own description would keep one per call for the trace's life).
#include "apicall/ApiCall.h"
#include "apicall/CallInfo.h"
#include "record/XqftError.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <type_traits>
#include <vector>

class CPlayArgs final : public CCallInfo
{
public:
    explicit CPlayArgs(CApiCall& call) { call.ListArguments(this, 1); }

    size_t Count() const { return m_count; }
    // The holder at a position; a position the description lacks throws CXqftError.
    SApiTypeBase* Arg(size_t i) const
    {
        if (i >= m_count)
            throw CXqftError(kSubscriptError);
        return m_args[i];
    }
    // The holder at a position as a composite holder type; null when it is another kind (a bare
    // pointer in a trace without data).
    template <class Holder>
    Holder* As(size_t i) const
    {
        return dynamic_cast<Holder*>(Arg(i));
    }
    // A scalar argument's low 32 bits (0 for a composite holder).
    uint32_t U32(size_t i) const { return uint32_t(Bits(Arg(i))); }
    int32_t I32(size_t i) const { return int32_t(U32(i)); }
    float F32(size_t i) const
    {
        const uint32_t bits = U32(i);
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return f;
    }
    // The 32-bit values of an array holder (floats bit for bit) as one aligned block for the host,
    // valid as long as these arguments: the elements themselves when they are held in memory, else
    // a copy (elements kept in the trace file may lie at any byte offset there); null without any.
    template <class Array>
    const uint32_t* Values(const Array& array) const
    {
        if (const uint32_t* held = array.HeldValues())
            return held;
        const size_t n = array.ElementCount();
        if (n == 0)
            return nullptr;
        uint32_t* copy = m_copies.emplace_back(std::make_unique_for_overwrite<uint32_t[]>(n)).get();
        array.CopyValues(copy);
        return copy;
    }
    // A scalar argument's recorded 64 bits (pointers keep all of them).
    uint64_t U64(size_t i) const { return Bits(Arg(i)); }
    // A scalar argument as its holder's value type.
    template <class T>
    T Scalar(size_t i) const
    {
        if constexpr (std::is_same_v<T, float>)
            return F32(i);
        else if constexpr (std::is_same_v<T, int32_t>)
            return I32(i);
        else if constexpr (std::is_same_v<T, uint32_t>)
            return U32(i);
        else {
            static_assert(std::is_same_v<T, uint64_t>, "a scalar type no holder has");
            return U64(i);
        }
    }
    // The return value's low 32 bits; 0 when the call lists none.
    uint32_t ReturnU32() const { return m_return ? uint32_t(Bits(m_return)) : 0; }
    SApiTypeBase* Return() const { return m_return; }

    void Clear() override { m_count = 0; }
    void SetCall(CApiCall*) override {}
    void SetApi(const char*) override {}
    using CCallInfo::SetError;
    void SetError(SApiTypeBase*) override {}
    void AddArgument(const char*, SApiTypeBase* value, uint8_t) override
    {
        if (m_count < m_args.size())
            m_args[m_count++] = value;
    }
    void SetReturnValue(SApiTypeBase* value) override { m_return = value; }

private:
    static uint64_t Bits(const SApiTypeBase* holder)
    {
        uint64_t bits = 0;
        return holder && holder->ScalarBits(bits) ? bits : 0;
    }

    std::array<SApiTypeBase*, 24> m_args{};  // the longest listing has a dozen arguments
    size_t m_count = 0;
    SApiTypeBase* m_return = nullptr;
    mutable std::vector<std::unique_ptr<uint32_t[]>> m_copies;  // Values() copied out of the trace file
};

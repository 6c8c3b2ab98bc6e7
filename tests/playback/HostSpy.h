#pragma once
// Wraps chosen slots of a process-wide host table for a test: each call through a wrapped slot is
// recorded (name and arguments as 64-bit values) and passed on to the entry point that was there, or
// answered by a fake. The slots are put back when the spy goes.
#include "host/HostTables.h"

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <type_traits>
#include <vector>

struct SHostCall
{
    std::string name;
    std::vector<uint64_t> args;
};

class CHostSpy
{
public:
    CHostSpy() = default;
    CHostSpy(const CHostSpy&) = delete;
    CHostSpy& operator=(const CHostSpy&) = delete;
    ~CHostSpy()
    {
        for (auto it = m_restore.rbegin(); it != m_restore.rend(); ++it)
            (*it)();
    }

    std::vector<SHostCall> calls;

    int Count(const std::string& name) const
    {
        int n = 0;
        for (const SHostCall& c : calls)
            n += c.name == name;
        return n;
    }
    // The names of the calls, in order.
    std::vector<std::string> Names() const
    {
        std::vector<std::string> out;
        for (const SHostCall& c : calls)
            out.push_back(c.name);
        return out;
    }
    // The calls of one function, in order.
    std::vector<SHostCall> Of(const std::string& name) const
    {
        std::vector<SHostCall> out;
        for (const SHostCall& c : calls)
            if (c.name == name)
                out.push_back(c);
        return out;
    }

    template <class Table, uint16_t Slot, class F>
    void Wrap(Table& table, const char* name, F fake = nullptr);

private:
    std::vector<std::function<void()>> m_restore;
};

namespace hostspy {
template <class T>
uint64_t Bits(T v)
{
    if constexpr (std::is_pointer_v<T>)
        return reinterpret_cast<uintptr_t>(v);
    else if constexpr (std::is_floating_point_v<T>) {
        uint32_t bits;
        float f = float(v);
        std::memcpy(&bits, &f, 4);
        return bits;
    } else
        return uint64_t(v);
}

template <class Table, uint16_t Slot, class F>
struct TTrampoline;
template <class Table, uint16_t Slot, class R, class... A>
struct TTrampoline<Table, Slot, R (*)(A...)>
{
    static inline void* next = nullptr;
    static inline R (*fake)(A...) = nullptr;
    static inline const char* name = nullptr;
    static inline CHostSpy* spy = nullptr;
    static R Call(A... a)
    {
        spy->calls.push_back({name, {Bits(a)...}});
        auto target = fake ? fake : reinterpret_cast<R (*)(A...)>(next);
        if constexpr (std::is_void_v<R>)
            target(a...);
        else
            return target(a...);
    }
};
} // namespace hostspy

template <class Table, uint16_t Slot, class F>
void CHostSpy::Wrap(Table& table, const char* name, F fake)
{
    using T = hostspy::TTrampoline<Table, Slot, F>;
    void* before = table.entries[Slot];
    if (before == reinterpret_cast<void*>(&T::Call)) {
        // Wrapped by another spy already: this one records, the other's fake (if any) still answers.
        CHostSpy* previousSpy = T::spy;
        auto previousFake = T::fake;
        T::spy = this;
        if (fake)
            T::fake = fake;
        m_restore.push_back([previousSpy, previousFake] {
            T::spy = previousSpy;
            T::fake = previousFake;
        });
        return;
    }
    T::next = before;
    T::fake = fake;
    T::name = name;
    T::spy = this;
    table.entries[Slot] = reinterpret_cast<void*>(&T::Call);
    m_restore.push_back([&table, before] { table.entries[Slot] = before; });
}

// Wraps `fn` of `table` (a table object); an optional fake answers in place of the host.
#define XQF_SPY(spy, table, fn, ...)                                                                      \
    (spy).Wrap<std::remove_cvref_t<decltype(table)>, HostSlot(std::remove_cvref_t<decltype(table)>::kNames, #fn), \
               decltype(&::fn)>((table), #fn __VA_OPT__(, ) __VA_ARGS__)

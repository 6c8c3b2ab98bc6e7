#pragma once
// The entry-point names of the three host tables in call-id order, expanded from the call tables'
// rows (no second list): EGL from EglCalls.def (the first row of each EGL 1.4 id, up to
// eglWaitClient; later rows are newer record layouts of the same function, and the ids after it are
// extensions the host tables do not hold), ES 1.1 from Es1Calls.def, ES 2.0 from Es2Calls.def, through calls/CallQueries.h. HostSlot turns a name into its slot at compile time, so a player naming a
// function the table lacks does not build.
#include "CallQueries.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace hostnames {

using SRow = SCallRow;
inline constexpr const auto& kEglRows = callrows::kEgl;
inline constexpr const auto& kEs1Rows = callrows::kEs1;
inline constexpr const auto& kEs2Rows = callrows::kEs2;

// The name of every id from First to First + N - 1, from the first row of each id; every id must
// have a row (checked below). (Names are not compared with null: under the sanitizers the compiler
// does not fold the address of a class's name string.)
template <size_t N, size_t R>
consteval std::array<const char*, N> FirstRowPerId(const SRow (&rows)[R], uint16_t first)
{
    std::array<const char*, N> names{};
    std::array<bool, N> named{};
    for (const SRow& row : rows)
        if (row.id >= first && row.id < first + N && !named[row.id - first]) {
            names[row.id - first] = row.function;
            named[row.id - first] = true;
        }
    return names;
}

template <size_t N, size_t R>
consteval bool EveryIdNamed(const SRow (&rows)[R], uint16_t first)
{
    std::array<bool, N> named{};
    for (const SRow& row : rows)
        if (row.id >= first && row.id < first + N)
            named[row.id - first] = true;
    for (bool n : named)
        if (!n)
            return false;
    return true;
}

// Rows of one family in increasing id order, each id in [first, last] at least once.
template <size_t R>
consteval bool InIdOrder(const SRow (&rows)[R])
{
    for (size_t i = 1; i < R; ++i)
        if (rows[i].id < rows[i - 1].id)
            return false;
    return true;
}

} // namespace hostnames

inline constexpr uint16_t kEglHostFirstId = CallFamilyRange(ECallFamily::Egl).first;
inline constexpr uint16_t kEglHostCount = CallIdOf(ECallFamily::Egl, "eglWaitClient") - kEglHostFirstId + 1;
inline constexpr uint16_t kEs1HostFirstId = CallFamilyRange(ECallFamily::Es1).first;
inline constexpr uint16_t kEs1HostCount = CallFamilyRange(ECallFamily::Es1).last - kEs1HostFirstId + 1;
inline constexpr uint16_t kEs2HostFirstId = CallFamilyRange(ECallFamily::Es2).first;
inline constexpr uint16_t kEs2HostCount = CallFamilyRange(ECallFamily::Es2).last - kEs2HostFirstId + 1;

inline constexpr auto kEglHostNames = hostnames::FirstRowPerId<kEglHostCount>(hostnames::kEglRows, kEglHostFirstId);
inline constexpr auto kEs1HostNames = hostnames::FirstRowPerId<kEs1HostCount>(hostnames::kEs1Rows, kEs1HostFirstId);
inline constexpr auto kEs2HostNames = hostnames::FirstRowPerId<kEs2HostCount>(hostnames::kEs2Rows, kEs2HostFirstId);

static_assert(hostnames::InIdOrder(hostnames::kEglRows) &&
                  hostnames::EveryIdNamed<kEglHostCount>(hostnames::kEglRows, kEglHostFirstId),
              "EglCalls.def: a row for every EGL 1.4 id, in id order");
static_assert(hostnames::InIdOrder(hostnames::kEs1Rows) && std::size(hostnames::kEs1Rows) == kEs1HostCount &&
                  hostnames::EveryIdNamed<kEs1HostCount>(hostnames::kEs1Rows, kEs1HostFirstId),
              "Es1Calls.def: one row for every id of its range, in id order");
static_assert(hostnames::InIdOrder(hostnames::kEs2Rows) &&
                  hostnames::EveryIdNamed<kEs2HostCount>(hostnames::kEs2Rows, kEs2HostFirstId),
              "Es2Calls.def: a row for every id of its range, in id order");

// The slot of the entry point called name in a table's name list; does not build for a name the
// list lacks.
template <size_t N>
consteval uint16_t HostSlot(const std::array<const char*, N>& names, std::string_view name)
{
    for (size_t i = 0; i < N; ++i)
        if (std::string_view(names[i]) == name)
            return uint16_t(i);
    throw "no host entry point of that name";
}

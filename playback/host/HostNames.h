#pragma once
// The entry-point names of the three host tables in call-id order, expanded from the call tables'
// rows (no second list): EGL from EglCalls.def (the first row of each id 1001-1034; later rows are
// newer record layouts of the same function, and 1100-1105 are extensions the host tables do not
// hold), ES 1.1 from Es1Calls.def, ES 2.0 from Es2Calls.def (hand-written rows name their function
// through their class). HostSlot turns a name into its slot at compile time, so a player naming a
// function the table lacks does not build.
#include "CEs2_glCompressedTexImage2D_v1.h"
#include "CEs2_glShaderSource_v1.h"
#include "Es2DrawCalls.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace hostnames {

struct SRow
{
    uint16_t id;
    const char* name;
};

inline constexpr SRow kEglRows[] = {
#define XQF_EGL(Class, Id, FirstVersion, Function, ...) {Id, Function},
#define XQF_EGL_EFFECT XQF_EGL
#include "EglCalls.def"
#undef XQF_EGL
#undef XQF_EGL_EFFECT
};

inline constexpr SRow kEs1Rows[] = {
#define XQF_ES1_NAMED(Class, Id, FirstVersion, Function, Category) {Id, Function},
#include "Es1Calls.def"
#undef XQF_ES1_NAMED
};

inline constexpr SRow kEs2Rows[] = {
#define XQF_RECORD(Class, Id, Function, ...) {Id, Function},
#define XQF_EFFECT XQF_RECORD
#define XQF_CUSTOM(Class, Id) {Id, xqft_es2::Class::kFunction.c_str()},
#define XQF_VERSIONED(OldClass, NewClass, Id, FirstNewVersion) {Id, xqft_es2::NewClass::kFunction.c_str()},
#include "Es2Calls.def"
#undef XQF_RECORD
#undef XQF_EFFECT
#undef XQF_CUSTOM
#undef XQF_VERSIONED
};

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
            names[row.id - first] = row.name;
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

inline constexpr uint16_t kEglHostFirstId = 1001, kEglHostCount = 34;
inline constexpr uint16_t kEs1HostFirstId = 3001, kEs1HostCount = 145;
inline constexpr uint16_t kEs2HostFirstId = 2001, kEs2HostCount = 142;

inline constexpr auto kEglHostNames = hostnames::FirstRowPerId<kEglHostCount>(hostnames::kEglRows, kEglHostFirstId);
inline constexpr auto kEs1HostNames = hostnames::FirstRowPerId<kEs1HostCount>(hostnames::kEs1Rows, kEs1HostFirstId);
inline constexpr auto kEs2HostNames = hostnames::FirstRowPerId<kEs2HostCount>(hostnames::kEs2Rows, kEs2HostFirstId);

static_assert(hostnames::InIdOrder(hostnames::kEglRows) &&
                  hostnames::EveryIdNamed<kEglHostCount>(hostnames::kEglRows, kEglHostFirstId),
              "EglCalls.def: a row for every id from 1001 to 1034, in id order");
static_assert(hostnames::InIdOrder(hostnames::kEs1Rows) && std::size(hostnames::kEs1Rows) == kEs1HostCount &&
                  hostnames::EveryIdNamed<kEs1HostCount>(hostnames::kEs1Rows, kEs1HostFirstId),
              "Es1Calls.def: one row for every id from 3001 to 3145, in id order");
static_assert(hostnames::InIdOrder(hostnames::kEs2Rows) && std::size(hostnames::kEs2Rows) == kEs2HostCount &&
                  hostnames::EveryIdNamed<kEs2HostCount>(hostnames::kEs2Rows, kEs2HostFirstId),
              "Es2Calls.def: one row for every id from 2001 to 2142, in id order");

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

#pragma once
// What readers outside the call tables ask of a call id, answered at compile time from the rows
// of the tables (one more expansion of each): its traits (IsDrawCall, IsTextureUpload ...), its
// family and the family's id range, its function name, and the id of a function by name. The
// statistics, the views, the exports, the benchmarks and the test fixtures ask here; no file
// outside calls/ and the tests writes a call id.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "apicall/CallFactory.h"

namespace callrows {
inline constexpr SCallRow kEgl[] = {
#define XQF_TABLE "EglCalls.def"
#include "apicall/TableRows.inc"
};
inline constexpr SCallRow kEs1[] = {
#define XQF_TABLE "Es1Calls.def"
#include "apicall/TableRows.inc"
};
inline constexpr SCallRow kEs2[] = {
#define XQF_TABLE "Es2Calls.def"
#include "apicall/TableRows.inc"
};
inline constexpr SCallRow kExt[] = {
#define XQF_TABLE "ExtCalls.def"
#include "apicall/TableRows.inc"
};

struct SFamilyRows
{
    ECallFamily family;
    std::span<const SCallRow> rows;
};
// Every family's table.
inline constexpr std::array<SFamilyRows, 4> kFamilies{{
    {ECallFamily::Egl, kEgl},
    {ECallFamily::Es1, kEs1},
    {ECallFamily::Es2, kEs2},
    {ECallFamily::Ext, kExt},
}};

consteval uint16_t IdLimit()
{
    uint16_t limit = 0;
    for (const SFamilyRows& f : kFamilies)
        for (const SCallRow& r : f.rows)
            limit = std::max<uint16_t>(limit, uint16_t(r.id + 1));
    return limit;
}

consteval bool FamiliesApart()
{
    for (std::size_t i = 0; i < kFamilies.size(); ++i)
        for (std::size_t j = 0; j < kFamilies.size(); ++j) {
            const auto &a = kFamilies[i].rows, &b = kFamilies[j].rows;
            if (i != j && !a.empty() && !b.empty() && a.front().id <= b.back().id && b.front().id <= a.back().id)
                return false;
        }
    return true;
}
static_assert(FamiliesApart(), "two call tables' id ranges overlap");
} // namespace callrows

// One past the highest call id of any table.
inline constexpr uint16_t kCallIdLimit = callrows::IdLimit();

namespace callrows {
// The traits of every id below kCallIdLimit (0 where no row is).
inline constexpr auto kTraits = [] {
    std::array<uint16_t, kCallIdLimit> traits{};
    for (const SFamilyRows& f : kFamilies)
        for (const SCallRow& r : f.rows)
            traits[r.id] = r.traits;
    return traits;
}();
} // namespace callrows

struct SCallIdRange
{
    uint16_t first = 0;
    uint16_t last = 0;  // first > last: the family has no row
    constexpr bool Contains(uint16_t id) const { return id >= first && id <= last; }
};

// The first and last id of a family's rows.
constexpr SCallIdRange CallFamilyRange(ECallFamily family)
{
    for (const callrows::SFamilyRows& f : callrows::kFamilies)
        if (f.family == family && !f.rows.empty())
            return {f.rows.front().id, f.rows.back().id};
    return {1, 0};
}

// The family whose range holds id; None outside every range.
constexpr ECallFamily CallFamilyOfId(uint16_t id)
{
    for (const callrows::SFamilyRows& f : callrows::kFamilies)
        if (CallFamilyRange(f.family).Contains(id))
            return f.family;
    return ECallFamily::None;
}

constexpr uint16_t CallTraits(uint16_t id) { return id < kCallIdLimit ? callrows::kTraits[id] : 0; }
constexpr bool IsDrawCall(uint16_t id) { return CallTraits(id) & trait::Draw; }
constexpr bool IsFrameEnd(uint16_t id) { return CallTraits(id) & trait::FrameEnd; }
constexpr bool IsTextureUpload(uint16_t id) { return CallTraits(id) & trait::TextureUpload; }
constexpr bool IsTextureBind(uint16_t id) { return CallTraits(id) & trait::TextureBind; }
constexpr bool IsShaderSource(uint16_t id) { return CallTraits(id) & trait::ShaderSource; }
constexpr bool CreatesShader(uint16_t id) { return CallTraits(id) & trait::CreatesShader; }
constexpr bool AttachesShader(uint16_t id) { return CallTraits(id) & trait::AttachesShader; }
constexpr bool IsImageUpload(uint16_t id) { return CallTraits(id) & trait::ImageUpload; }
constexpr bool IsClear(uint16_t id) { return CallTraits(id) & trait::Clear; }
constexpr bool CopiesImage(uint16_t id) { return CallTraits(id) & trait::CopiesImage; }
constexpr bool CopiesSubImage(uint16_t id) { return CallTraits(id) & trait::CopiesSubImage; }
constexpr bool MakesMipmaps(uint16_t id) { return CallTraits(id) & trait::MakesMipmaps; }
constexpr bool MakesCurrent(uint16_t id) { return CallTraits(id) & trait::MakesCurrent; }

// The function name of an id (from its first row); null for an id without a row.
constexpr const char* CallFunctionName(uint16_t id)
{
    for (const callrows::SFamilyRows& f : callrows::kFamilies)
        for (const SCallRow& r : f.rows)
            if (r.id == id)
                return r.function;
    return nullptr;
}

// The category of an id (from its first row, as the statistics group it); "" for an id without a row.
constexpr const char* CallCategory(uint16_t id)
{
    for (const callrows::SFamilyRows& f : callrows::kFamilies)
        for (const SCallRow& r : f.rows)
            if (r.id == id)
                return r.category;
    return "";
}

// The id of a family's function; does not build for a name the family's table lacks.
consteval uint16_t CallIdOf(ECallFamily family, std::string_view function)
{
    for (const callrows::SFamilyRows& f : callrows::kFamilies)
        if (f.family == family)
            for (const SCallRow& r : f.rows)
                if (function == r.function)
                    return r.id;
    throw "no call of that name in the family's table";
}

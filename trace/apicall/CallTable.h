#pragma once
// The shape every call table shares (calls/egl/EglCalls.def, calls/es1/Es1Calls.def,
// calls/es2/Es2Calls.def, calls/ext/ExtCalls.def). A table is a list of rows
//
//   XQF_RECORD(Class, Id, FirstVersion, Function, Category, Traits, Items...)
//   XQF_EFFECT(Class, Id, FirstVersion, Function, Category, Traits, Items...)
//   XQF_CUSTOM(Class, Id, FirstVersion, Function, Category, Traits, Items...)
//   XQF_NAMED (Class, Id, FirstVersion, Function, Category, Traits)
//
// one per recorded function and record layout, in id order (layouts of one id by increasing first
// version). RECORD rows are built entirely from their items (record/RecordItems.h); EFFECT rows
// also change the tracked state through the family's effect overload; CUSTOM rows are
// hand-written classes that derive from the record their row describes (RowBase<Class>); NAMED
// rows name a function whose record is not read yet (the factory makes no call for it). Traits
// is 0 or trait:: values joined with |; every layout of one id carries the same traits.
//
// A table is expanded five times: the record classes (<Family>Records.h with
// record/RecordClasses.inc and record/RecordUsings.inc), the factory rows (<Family>Factory.cpp
// with apicall/TableRows.inc and XQF_TABLE_CLASSES), the id queries (calls/CallQueries.h with
// apicall/TableRows.inc), the players' rows (playback/<family>/<Family>Player.cpp with
// playback/PlayRows.h) and the rows the trait readers check (playback/TraitItems.h with
// playback/TraitRows.inc). Nothing else names a call id.
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string_view>

class CApiCall;
class CTrace;

// What readers outside the tables need to know of a function.
namespace trait {
inline constexpr uint16_t Draw = 1 << 0;            // a draw call (statistics, the call list's groups)
inline constexpr uint16_t FrameEnd = 1 << 1;        // ends the frame it belongs to
inline constexpr uint16_t TextureUpload = 1 << 2;   // uploads an image to the bound texture
inline constexpr uint16_t TextureBind = 1 << 3;     // binds a texture by name ("texture" argument)
inline constexpr uint16_t ShaderSource = 1 << 4;    // sets a shader's source ("shader", "string")
inline constexpr uint16_t CreatesShader = 1 << 5;   // returns a new shader of the "type" argument
inline constexpr uint16_t AttachesShader = 1 << 6;  // attaches "shader" to "program"
inline constexpr uint16_t ImageUpload = 1 << 7;     // uploads a whole image level (not a part of one)
inline constexpr uint16_t ClientArray = 1 << 8;     // points a client array ("pointer"): XXXYYYPointer
inline constexpr uint16_t NotReplayed = 1 << 9;     // a query, or names the host hands out itself: no player sends it
inline constexpr uint16_t ListsNothing = 1 << 10;   // described by its name alone: no API, error or argument
// What a call does to the pixels of images: the replay asks whether a frame reads images the GPU
// made before it rewrites them.
inline constexpr uint16_t Clear = 1 << 11;          // clears the bound framebuffer ("mask")
inline constexpr uint16_t CopiesImage = 1 << 12;    // copies the read framebuffer into a whole level ("target", "level")
inline constexpr uint16_t CopiesSubImage = 1 << 13; // copies the read framebuffer into part of a level ("target", "level")
inline constexpr uint16_t MakesMipmaps = 1 << 14;   // makes the levels above 0 of the bound texture from level 0 ("target")
inline constexpr uint16_t MakesCurrent = 1 << 15;   // makes a context current ("ctx")

// The items a trait promises its readers, who read them by name: every row that carries the trait
// lists each of them as a value of the type given, at one position, the same in every such row and
// every trace. The rows are checked against these at compile time (playback/TraitItems.h): a row
// that loses, moves or retypes a promised item, or gains the trait without it, fails the build.
enum class EItemValue : uint8_t { U32, I32 };
struct SPromisedItem
{
    uint16_t trait;
    std::string_view name;
    EItemValue value;
};
inline constexpr SPromisedItem kPromisedItems[] = {
    {Clear, "mask", EItemValue::U32},
    {TextureUpload, "target", EItemValue::U32},
    {TextureUpload, "level", EItemValue::I32},
    {ImageUpload, "target", EItemValue::U32},
    {ImageUpload, "level", EItemValue::I32},
    {CopiesImage, "target", EItemValue::U32},
    {CopiesImage, "level", EItemValue::I32},
    {CopiesSubImage, "target", EItemValue::U32},
    {CopiesSubImage, "level", EItemValue::I32},
    {MakesMipmaps, "target", EItemValue::U32},
    {MakesCurrent, "ctx", EItemValue::U32},
};
} // namespace trait

// One row as the factory and the queries see it.
struct SCallRow
{
    uint16_t id = 0;
    uint16_t traits = 0;
    uint32_t firstVersion = 0;
    const char* function = "";
    const char* category = "";
    CApiCall* (*make)(CTrace& trace) = nullptr;  // null for a NAMED row
};

template <class Record>
CApiCall* MakeRecord(CTrace& trace)
{
    return new Record(trace);
}

// A factory row of a RECORD, EFFECT or CUSTOM row (its class must be visible).
#define XQF_FACTORY_ROW(Class, Id, FirstVersion, Function, Category, Traits, ...)                          \
    {Id, Traits, FirstVersion, Function, Category, &MakeRecord<Class>},
// A row without its record class (the queries, and the factory's NAMED rows).
#define XQF_NAME_ROW(Class, Id, FirstVersion, Function, Category, Traits, ...)                             \
    {Id, Traits, FirstVersion, Function, Category, nullptr},

// Checks every table passes at compile time.
namespace calltable {

// Ids increase; the layouts of one id come in increasing first version (from 1) and share their
// function name and traits.
template <std::size_t N>
consteval bool RowsInOrder(const SCallRow (&rows)[N])
{
    for (std::size_t i = 0; i < N; ++i) {
        if (rows[i].firstVersion == 0)
            return false;
        if (i == 0)
            continue;
        const SCallRow &a = rows[i - 1], &b = rows[i];
        if (b.id < a.id)
            return false;
        if (b.id == a.id && (b.firstVersion <= a.firstVersion || b.traits != a.traits ||
                             std::string_view(a.function) != std::string_view(b.function)))
            return false;
    }
    return true;
}

// Every id lies in [first, last], the block the file format gives the family.
template <std::size_t N>
consteval bool RowsWithin(const SCallRow (&rows)[N], uint16_t first, uint16_t last)
{
    for (const SCallRow& r : rows)
        if (r.id < first || r.id > last)
            return false;
    return true;
}

// The ids are each id of the runs [first, last] once, in order, and nothing else: for families whose
// players and host tables index their rows by id.
struct SIdRun
{
    uint16_t first, last;
};
template <std::size_t N>
consteval bool EveryIdOnce(const SCallRow (&rows)[N], std::initializer_list<SIdRun> runs)
{
    std::size_t i = 0;
    for (const SIdRun& run : runs)
        for (uint32_t id = run.first; id <= run.last; ++id, ++i)
            if (i >= N || rows[i].id != id)
                return false;
    return i == N;
}

} // namespace calltable

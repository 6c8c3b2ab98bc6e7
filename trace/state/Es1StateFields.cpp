#include "Es1StateFields.h"

#include "state/FieldOrder.h"

namespace {

constexpr const char* kStamp = "a change stamp: the frame of the group's last change, no GL state";
constexpr const char* kNoRow = "the page has no row for it";
constexpr const char* kUnitLines = "the unit lines";
constexpr const char* kNoFramebufferObjects = "the ES 1.1 probe reads no framebuffer objects";
constexpr const char* kNoEs1Query = "the host's ES 1.1 has no query of it";

// ---- the table, from the field rows (Es1Fields.def) ----------------------------------------------

// Light l: the four vectors (the spot direction has three values), then the five scalars.
void ChangeLight(SEs1State& s, int i)
{
    const int l = i / 24, r = i % 24;
    const int p = r < 16 ? r / 4 : r < 19 ? 4 : 5 + (r - 19);
    const int k = r < 16 ? r % 4 : r < 19 ? r - 16 : 0;
    statefields::Change(s.lights[l][p][k]);
}

} // namespace

// The parts' places in their listing lines, page groups and probe, checked here as the rows build
// (FieldOrder.h): the number of the first misplaced part shows when one is.
constexpr SFieldOrder kEs1Orders[] = {
#include "state/FieldOrderParts.h"
#include "state/Es1Fields.def"
};
static_assert(FirstMisplacedOrder(kEs1Orders) == -1, "a part of Es1Fields.def repeats or skips a place");

std::span<const SEs1StateField> Es1StateFields()
{
    // Built on first use: listings may be asked for while other statics are being made.
    using State = SEs1State;
    static const SEs1StateField kFields[] = {
#include "state/FieldTableRows.h"
#include "state/Es1Fields.def"
    };
    return kFields;
}

SEs1State Es1StateShowingAll()
{
    SEs1State s;
    s.textureUnitCount = kEs1Units;
    s.paletteStackBase = uint32_t(kEs1MatrixStacks - 2 - kEs1Units);
    return s;
}

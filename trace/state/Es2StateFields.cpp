#include "Es2StateFields.h"

#include "state/FieldOrder.h"

namespace {

constexpr const char* kNoRow = "the page has no row for it";
constexpr const char* kNoQuery = "no GL query answers it";
constexpr const char* kBindingLines = "the binding lines, by the bound object's description";
constexpr const char* kObjects = "the object lines";

void ChangeProgram(SEs2State& s, int i)
{
    SEs2Program& p = s.currentProgram;
    switch (i) {
    case 0: statefields::Change(p.name); break;
    case 1: statefields::Change(p.vertexShader); break;
    case 2: statefields::Change(p.fragmentShader); break;
    default: statefields::Change(p.linked); break;
    }
}

} // namespace

// The parts' places in their listing lines, page groups and probe, checked here as the rows build
// (FieldOrder.h): the number of the first misplaced part shows when one is.
constexpr SFieldOrder kEs2Orders[] = {
#include "state/FieldOrderParts.h"
#include "state/Es2Fields.def"
};
static_assert(FirstMisplacedOrder(kEs2Orders) == -1, "a part of Es2Fields.def repeats or skips a place");

std::span<const SEs2StateField> Es2StateFields()
{
    // Built on first use: listings may be asked for while other statics are being made.
    using State = SEs2State;
    static const SEs2StateField kFields[] = {
#include "state/FieldTableRows.h"
#include "state/Es2Fields.def"
    };
    return kFields;
}

SEs2State Es2StateShowingAll()
{
    SEs2State s;
    s.textureUnitCount = 32;
    for (uint32_t u = 0; u < 32; ++u) {
        s.texture2DBinding[u] = 1 + u;
        s.textureCubeBinding[u] = 33 + u;
    }
    for (uint32_t shader : {1u, 2u})
        s.shaders[shader].name = shader;
    return s;
}

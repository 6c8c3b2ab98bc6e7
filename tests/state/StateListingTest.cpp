// The listing both state families build from their field rows (TStateListing, TextParts.h): a few
// rows in the one row form, their parts given out of place order, must list place by place, each
// line's fragments by their order after its head, whole lines after them in row order.
#include <gtest/gtest.h>

#include "state/StateLines.h"

namespace {

struct SToyState
{
    unsigned mode = 0x1E00;
    int box[2] = {3, 4};
    float scale = 0.5f;
    unsigned objects = 2;
};

enum class EPlace
{
    Raster,
    Values,
    Objects,
};

const char* Head(int place) { return EPlace(place) == EPlace::Raster ? "raster:" : ""; }

void ObjectLines(CStateLines& out, const SToyState& s)
{
    for (unsigned i = 0; i < s.objects; ++i)
        out("object %u", i);
}

std::string Describe(const SToyState& state)
{
    using State = SToyState;
    static const TStateListing<State> listing({
#include "state/TextParts.h"
#include "state/FieldRows.h"
        XQF_FIELD(objects, nullptr, nullptr, nullptr, XQF_TEXT_LINES(Objects, ObjectLines))
        XQF_FIELD(mode, nullptr, nullptr, nullptr,
            XQF_TEXT_LINE(Values, "mode=0x%X", s.mode)
            XQF_TEXT(Raster, 2, " mode=0x%X", s.mode))
        XQF_FIELD(box, nullptr, nullptr, nullptr,
            XQF_TEXT_LINE(Values, "box=%d %d", s.box[0], s.box[1])
            XQF_TEXT_LINE(Raster, "  box[0]=%d", s.box[0])
            XQF_TEXT(Raster, 3, " box=%d", s.box[1]))
        XQF_FIELD(scale, nullptr, nullptr, nullptr, XQF_TEXT(Raster, 1, " scale=%g", double(s.scale)))
#include "state/FieldRowsEnd.h"
        }, Head);
    return listing.Describe(state);
}

} // namespace

TEST(StateListing, ListsPlacesInOrderFragmentsByNumberAndWholeLinesByRow)
{
    EXPECT_EQ(Describe(SToyState{}), "raster: scale=0.5 mode=0x1E00 box=4\n"
                                     "  box[0]=3\n"
                                     "mode=0x1E00\n"
                                     "box=3 4\n"
                                     "object 0\n"
                                     "object 1\n");
    SToyState none;
    none.objects = 0;
    EXPECT_EQ(Describe(none), "raster: scale=0.5 mode=0x1E00 box=4\n  box[0]=3\nmode=0x1E00\nbox=3 4\n");
}

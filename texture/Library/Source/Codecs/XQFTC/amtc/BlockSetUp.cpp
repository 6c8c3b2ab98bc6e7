// The set-up of one block in either sweep.
#include "BlockSetUp.h"

namespace xqftexture::amtc {

void SetUpBlock(const CAmtcLevel& level, u32 sweep, u32 by, u32 bx, SRgba* window)
{
    const AmtcParams& p = level.Params();
    const SAmtcTables& t = level.Tables();
    AmtcBlockRecord& block = level.Block(by, bx);
    level.CopyWindow(by, bx, window);
    if (sweep == 0) {
        WindowStatistics(window, p, t, block);
        block.lastChanged = block.lastVisited = 0;
        return;
    }
    AmtcBlockRecord* nb[9];
    level.Neighbourhood(by, bx, nb);
    SRgba means[9];
    for (int k = 0; k < 9; ++k)
        means[k] = nb[k]->boxes[kBoxWindow].mean;
    ResidualStatistics(window, p, t, means, block);
    u8 labels[kMaxWindowPixels], order[kMaxWindowPixels];
    const int pixels = p.windowWidth * p.windowHeight;
    block.smooth = SegmentWindow(window, p, labels, order) < pixels / 4;
    SetUpStandardRepStarts(block, p, window, t.sharp);
}

} // namespace xqftexture::amtc

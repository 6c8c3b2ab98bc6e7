#pragma once
// Colours of the call list and its rows.
#include <QColor>

namespace calllistcolours {
inline const QColor kEvenRow{247, 252, 255};
inline const QColor kOddRow{255, 255, 255};
inline const QColor kDrawCall{153, 167, 162};
inline const QColor kDrawInRange{180, 194, 181};
inline const QColor kHighlighted{250, 250, 140};
inline const QColor kSelected{201, 224, 252};
inline const QColor kShownCall{126, 185, 137};   // the call a show-call request scrolled to
inline const QColor kRangeStartMark{207, 254, 208};
inline const QColor kRangeEndMark{255, 151, 157};
inline const QColor kHoverFrame{220, 220, 140};
inline const QColor kText{0, 0, 0};
inline const QColor kFilteredText{165, 162, 189};
inline const QColor kDisabledText{144, 144, 144};
inline const QColor kSymbolColumn{180, 180, 180};
inline const QColor kToolBar{240, 240, 240};
}  // namespace calllistcolours

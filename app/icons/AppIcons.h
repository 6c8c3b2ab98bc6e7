#pragma once
// The viewer's icons are drawn here at run time with QPainter, so the program ships no image
// files. All icons share one grid (32 units), one stroke width and one palette.
#include <QIcon>

enum class EAppIcon {
    Application,
    Open,
    Export,
    Exit,
    Help,
    About,
    Feedback,
    Update,
    Remote,
    Preferences,
    // The remote-control dialog's buttons.
    Connect,
    Diskette,
    Record,       // Record button, released
    RecordHot,    // Record button, pressed in: recording
    Play,
    Pause,
    File,
    // The image-analysis dock's tool buttons: the scrubber switch and its options.
    Bulb,
    Config
};

QIcon AppIcon(EAppIcon which);
// The application icon as an image of the given edge length (the window icon uses 128).
QPixmap AppIconPixmap(EAppIcon which, int size);

#pragma once
// The About box's background, drawn at run time with QPainter (the program ships no image
// files): a dark field with the program's mark and name in its upper part, room for the white
// texts of the box below.
#include <QImage>

QImage AboutSplashImage();

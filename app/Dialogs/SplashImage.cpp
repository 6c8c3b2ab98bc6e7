#include "SplashImage.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {
const QColor kTop(0x1d, 0x2e, 0x4b);
const QColor kBottom(0x0b, 0x13, 0x22);
const QColor kAccent(0xe8, 0x7a, 0x1e);
const QColor kSky(0x4f, 0x8f, 0xd8);
const QColor kPaper(0xf4, 0xf6, 0xfa);
} // namespace

QImage AboutSplashImage()
{
    QImage image(480, 300, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient field(0, 0, 0, image.height());
    field.setColorAt(0, kTop);
    field.setColorAt(1, kBottom);
    p.fillRect(image.rect(), field);

    // A band of call rows, as the call list shows a frame, faded towards the right.
    for (int i = 0; i < 6; ++i) {
        QLinearGradient row(200, 0, 470, 0);
        QColor c = i == 3 ? kAccent : kSky;
        c.setAlpha(i == 3 ? 200 : 70);
        row.setColorAt(0, c);
        c.setAlpha(0);
        row.setColorAt(1, c);
        p.fillRect(QRectF(200, 28 + 16 * i, 270, 9), row);
    }

    // The program's mark: a recorded frame with a shaded triangle and a trace line under it.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x23, 0x3a, 0x5e));
    p.drawRoundedRect(QRectF(24, 24, 112, 112), 20, 20);
    QLinearGradient tri(52, 52, 116, 108);
    tri.setColorAt(0, kAccent);
    tri.setColorAt(1, kSky);
    p.setBrush(tri);
    p.drawPolygon(QPolygonF() << QPointF(80, 42) << QPointF(120, 102) << QPointF(40, 102));
    QPainterPath wave;
    wave.moveTo(40, 120);
    for (int i = 0; i < 5; ++i)
        wave.lineTo(48 + 16 * i, (i % 2) ? 112 : 124);
    wave.lineTo(120, 120);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kPaper, 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(wave);

    QFont name;
    name.setPixelSize(40);
    name.setBold(true);
    p.setFont(name);
    p.setPen(kPaper);
    p.drawText(QRectF(160, 120, 300, 48), Qt::AlignLeft | Qt::AlignVCenter, "XQFTrace");
    p.setPen(QPen(kAccent, 3));
    p.drawLine(QPointF(162, 170), QPointF(300, 170));
    return image;
}

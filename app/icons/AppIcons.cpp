#include "AppIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

const QColor kInk(0x23, 0x3a, 0x5e);      // outlines
const QColor kAccent(0xe8, 0x7a, 0x1e);   // the one warm colour per icon
const QColor kFill(0xf4, 0xf6, 0xfa);     // paper
const QColor kSky(0x4f, 0x8f, 0xd8);      // secondary fill
const QColor kRecordOff(0x9a, 0x86, 0x86);   // a record lamp that is off
const QColor kRecordOn(0xe8, 0x1c, 0x1c);    // ... and lit

// A sheet of paper with an arrow from tail to tip, its head's two barbs at barb1 and barb2.
void SheetAndArrow(QPainter& p, const QRectF& sheet, QPointF tail, QPointF tip, QPointF barb1, QPointF barb2)
{
    p.setBrush(kFill);
    p.drawRoundedRect(sheet, 2, 2);
    p.setPen(QPen(kAccent, 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(tail, tip);
    p.drawPolyline(QPolygonF() << barb1 << tip << barb2);
}

// Every icon is drawn on a 32 x 32 grid; the painter is scaled to the requested size.
void DrawOn32(QPainter& p, EAppIcon which)
{
    QPen ink(kInk, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(ink);
    switch (which) {
    case EAppIcon::Application: {
        // A frame (the recorded image) with a shaded triangle and a trace line under it.
        p.setBrush(kInk);
        p.drawRoundedRect(QRectF(2, 2, 28, 28), 6, 6);
        QLinearGradient g(8, 8, 24, 22);
        g.setColorAt(0, kAccent);
        g.setColorAt(1, kSky);
        p.setBrush(g);
        p.setPen(Qt::NoPen);
        QPolygonF tri;
        tri << QPointF(16, 6) << QPointF(26, 21) << QPointF(6, 21);
        p.drawPolygon(tri);
        p.setPen(QPen(kFill, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        QPainterPath wave;
        wave.moveTo(6, 26);
        for (int i = 0; i < 5; ++i)
            wave.lineTo(8 + 4 * i, (i % 2) ? 24 : 27);
        wave.lineTo(26, 26);
        p.setBrush(Qt::NoBrush);
        p.drawPath(wave);
        break;
    }
    case EAppIcon::Open:
        p.setBrush(kAccent);
        p.drawRoundedRect(QRectF(4, 9, 24, 18), 2, 2);
        p.setBrush(kFill);
        p.drawPolygon(QPolygonF() << QPointF(4, 9) << QPointF(12, 9) << QPointF(14, 6) << QPointF(4, 6));
        break;
    case EAppIcon::Export:
        SheetAndArrow(p, QRectF(5, 4, 22, 24), QPointF(16, 9), QPointF(16, 22), QPointF(11, 17), QPointF(21, 17));
        break;
    case EAppIcon::Exit:
        SheetAndArrow(p, QRectF(5, 4, 14, 24), QPointF(13, 16), QPointF(28, 16), QPointF(23, 11), QPointF(23, 21));
        break;
    case EAppIcon::Help:
    case EAppIcon::About: {
        p.setBrush(kSky);
        p.drawEllipse(QRectF(3, 3, 26, 26));
        QFont f;
        f.setPixelSize(20);
        f.setBold(true);
        p.setFont(f);
        p.setPen(kFill);
        p.drawText(QRectF(3, 3, 26, 26), Qt::AlignCenter, which == EAppIcon::Help ? "?" : "i");
        break;
    }
    case EAppIcon::Feedback:
        p.setBrush(kFill);
        p.drawPolygon(QPolygonF() << QPointF(4, 5) << QPointF(28, 5) << QPointF(28, 21) << QPointF(14, 21)
                                  << QPointF(8, 27) << QPointF(9, 21) << QPointF(4, 21));
        p.setBrush(kAccent);
        p.setPen(Qt::NoPen);
        for (int i = 0; i < 3; ++i)
            p.drawEllipse(QPointF(10 + 6 * i, 13), 1.8, 1.8);
        break;
    case EAppIcon::Update:
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(kSky, 3, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(QRectF(6, 6, 20, 20), 30 * 16, 280 * 16);
        p.setPen(Qt::NoPen);
        p.setBrush(kAccent);
        p.drawPolygon(QPolygonF() << QPointF(22, 4) << QPointF(29, 11) << QPointF(20, 13));
        break;
    case EAppIcon::Remote:
        p.setBrush(kFill);
        p.drawRoundedRect(QRectF(10, 14, 12, 15), 2, 2);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(kAccent, 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(QRectF(8, 3, 16, 16), 45 * 16, 90 * 16);
        p.drawArc(QRectF(4, -1, 24, 24), 50 * 16, 80 * 16);
        break;
    case EAppIcon::Preferences: {
        p.setBrush(kSky);
        QPainterPath gear;
        for (int i = 0; i < 8; ++i) {
            p.save();
            p.translate(16, 16);
            p.rotate(45 * i);
            p.drawRect(QRectF(-2.5, -14, 5, 6));
            p.restore();
        }
        p.drawEllipse(QPointF(16, 16), 9, 9);
        p.setBrush(kFill);
        p.drawEllipse(QPointF(16, 16), 3.5, 3.5);
        break;
    }
    case EAppIcon::Connect:
        // A plug: body, two prongs, and its cable.
        p.setBrush(kSky);
        p.drawRoundedRect(QRectF(9, 11, 14, 11), 2, 2);
        p.drawLine(QPointF(13, 11), QPointF(13, 4));
        p.drawLine(QPointF(19, 11), QPointF(19, 4));
        p.setPen(QPen(kAccent, 2.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(16, 22), QPointF(16, 29));
        break;
    case EAppIcon::Diskette:
        p.setBrush(kSky);
        p.drawPolygon(QPolygonF() << QPointF(4, 4) << QPointF(24, 4) << QPointF(28, 8) << QPointF(28, 28)
                                  << QPointF(4, 28));
        p.setBrush(kFill);
        p.drawRect(QRectF(9, 4, 12, 8));
        p.drawRect(QRectF(8, 17, 16, 11));
        break;
    case EAppIcon::Record:
    case EAppIcon::RecordHot: {
        const bool lit = which == EAppIcon::RecordHot;
        if (lit) {
            // A halo round the lit lamp.
            QRadialGradient glow(16, 16, 15);
            glow.setColorAt(0.6, QColor(0xe8, 0x1c, 0x1c, 0x90));
            glow.setColorAt(1, QColor(0xe8, 0x1c, 0x1c, 0));
            p.setPen(Qt::NoPen);
            p.setBrush(glow);
            p.drawEllipse(QRectF(1, 1, 30, 30));
            p.setPen(ink);
        }
        p.setBrush(lit ? kRecordOn : kRecordOff);
        p.drawEllipse(QRectF(6, 6, 20, 20));
        break;
    }
    case EAppIcon::Play:
        p.setBrush(kSky);
        p.drawPolygon(QPolygonF() << QPointF(9, 5) << QPointF(27, 16) << QPointF(9, 27));
        break;
    case EAppIcon::Pause:
        p.setBrush(kSky);
        p.drawRoundedRect(QRectF(7, 5, 7, 22), 1.5, 1.5);
        p.drawRoundedRect(QRectF(18, 5, 7, 22), 1.5, 1.5);
        break;
    case EAppIcon::File:
        p.setBrush(kFill);
        p.drawPolygon(QPolygonF() << QPointF(6, 3) << QPointF(20, 3) << QPointF(26, 9) << QPointF(26, 29)
                                  << QPointF(6, 29));
        p.drawPolyline(QPolygonF() << QPointF(20, 3) << QPointF(20, 9) << QPointF(26, 9));
        p.setPen(QPen(kAccent, 2, Qt::SolidLine, Qt::RoundCap));
        for (int i = 0; i < 3; ++i)
            p.drawLine(QPointF(10, 15 + 4 * i), QPointF(22, 15 + 4 * i));
        break;
    case EAppIcon::Bulb:
        // A light bulb: the glass, its screw base and a filament.
        p.setBrush(kAccent);
        p.drawEllipse(QRectF(7, 3, 18, 18));
        p.setBrush(kFill);
        p.drawRoundedRect(QRectF(11, 20, 10, 8), 1.5, 1.5);
        p.drawLine(QPointF(11, 24), QPointF(21, 24));
        p.setPen(QPen(kFill, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF() << QPointF(13, 16) << QPointF(14.5, 10) << QPointF(16, 14) << QPointF(17.5, 10)
                                   << QPointF(19, 16));
        break;
    case EAppIcon::Config:
        // Three sliders, each knob at a different place.
        for (int i = 0; i < 3; ++i) {
            const qreal y = 8 + 8 * i, knob = i == 1 ? 20 : (i == 0 ? 11 : 15);
            p.setPen(QPen(kInk, 2.2, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(4, y), QPointF(28, y));
            p.setBrush(i == 1 ? kAccent : kSky);
            p.drawRoundedRect(QRectF(knob - 3, y - 4, 6, 8), 1.5, 1.5);
        }
        break;
    }
}

} // namespace

QPixmap AppIconPixmap(EAppIcon which, int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(size / 32.0, size / 32.0);
    DrawOn32(p, which);
    return pm;
}

QIcon AppIcon(EAppIcon which)
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 128})
        icon.addPixmap(AppIconPixmap(which, size));
    return icon;
}

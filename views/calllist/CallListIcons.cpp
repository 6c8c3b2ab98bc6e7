#include "calllist/CallListIcons.h"

#include <QFile>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {
const char* ResourcePath(ECallListIcon which, int size)
{
    const bool big = size > 12;
    switch (which) {
    case ECallListIcon::Expand:
        return big ? ":/XQFTraceGui_Qt/maximise_b_24.png" : ":/XQFTraceGui_Qt/maximise_b_12.png";
    case ECallListIcon::Collapse:
        return big ? ":/XQFTraceGui_Qt/minimise_b_24.png" : ":/XQFTraceGui_Qt/minimise_b_12.png";
    case ECallListIcon::Filter:
        return ":/XQFTraceGui_Qt/filter_24.png";
    case ECallListIcon::FilterConfig:
        return ":/XQFTraceGui_Qt/filter_config_24.png";
    case ECallListIcon::Search:
        return ":/XQFTraceGui_Qt/binoculars_24.png";
    }
    return "";
}

void DrawFunnel(QPainter& p, qreal s)
{
    QPainterPath funnel;
    funnel.moveTo(0.12 * s, 0.18 * s);
    funnel.lineTo(0.88 * s, 0.18 * s);
    funnel.lineTo(0.58 * s, 0.52 * s);
    funnel.lineTo(0.58 * s, 0.85 * s);
    funnel.lineTo(0.42 * s, 0.75 * s);
    funnel.lineTo(0.42 * s, 0.52 * s);
    funnel.closeSubpath();
    p.drawPath(funnel);
}

QPixmap Draw(ECallListIcon which, int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    const QColor ink(40, 70, 120);
    p.setPen(QPen(ink, std::max(1.0, s / 12)));
    switch (which) {
    case ECallListIcon::Expand:
    case ECallListIcon::Collapse: {
        // A boxed plus (collapsed group: expand it) or minus (expanded group).
        p.setBrush(QColor(250, 250, 250));
        p.drawRect(QRectF(0.1 * s, 0.1 * s, 0.8 * s, 0.8 * s));
        p.drawLine(QPointF(0.28 * s, 0.5 * s), QPointF(0.72 * s, 0.5 * s));
        if (which == ECallListIcon::Expand)
            p.drawLine(QPointF(0.5 * s, 0.28 * s), QPointF(0.5 * s, 0.72 * s));
        break;
    }
    case ECallListIcon::Filter:
        p.setBrush(QColor(120, 160, 220));
        DrawFunnel(p, s);
        break;
    case ECallListIcon::FilterConfig:
        p.setBrush(QColor(200, 200, 200));
        DrawFunnel(p, s);
        p.setBrush(ink);
        p.drawEllipse(QPointF(0.78 * s, 0.78 * s), 0.12 * s, 0.12 * s);
        break;
    case ECallListIcon::Search:
        p.setBrush(QColor(200, 220, 250));
        p.drawEllipse(QPointF(0.3 * s, 0.6 * s), 0.2 * s, 0.2 * s);
        p.drawEllipse(QPointF(0.7 * s, 0.6 * s), 0.2 * s, 0.2 * s);
        p.drawLine(QPointF(0.45 * s, 0.45 * s), QPointF(0.55 * s, 0.45 * s));
        break;
    }
    return pixmap;
}
}  // namespace

QIcon CallListIcon(ECallListIcon which, int size)
{
    const QString path = QString::fromLatin1(ResourcePath(which, size));
    if (QFile::exists(path))
        return QIcon(path);
    return QIcon(Draw(which, size));
}

#include "calllist/CallLineLabel.h"

#include <QPainter>

CCallLineLabel::CCallLineLabel(QWidget* parent) : QLabel(parent)
{
    m_bold = font();
    m_bold.setBold(true);
    m_italic = font();
    m_italic.setItalic(true);
}

const QFont& CCallLineLabel::FontOf(EStyle style) const
{
    return style == kBold ? m_bold : style == kItalic ? m_italic : font();
}

void CCallLineLabel::SetLine(std::vector<SPart> parts, const QColor* lineColour)
{
    m_parts = std::move(parts);
    m_hasLineColour = lineColour != nullptr;
    if (lineColour)
        m_lineColour = *lineColour;
    m_measured = false;
    update();
}

void CCallLineLabel::ClearLine()
{
    m_parts.clear();
    m_measured = false;
    update();
}

void CCallLineLabel::Measure()
{
    if (m_measured)
        return;
    const QFontMetrics plain(font()), bold(m_bold), italic(m_italic);
    m_x.clear();
    m_spans.clear();
    int x = 0;
    for (const SPart& part : m_parts) {
        const QFontMetrics& fm = part.style == kBold ? bold : part.style == kItalic ? italic : plain;
        const int w = fm.horizontalAdvance(part.text);
        m_x.push_back(x);
        if (part.spanned)
            m_spans.push_back({x, x + w});
        x += w;
    }
    m_width = x;
    m_measured = true;
}

const std::vector<CCallLineLabel::SSpan>& CCallLineLabel::Spans()
{
    Measure();
    return m_spans;
}

int CCallLineLabel::LineWidth()
{
    Measure();
    return m_width;
}

QSize CCallLineLabel::sizeHint() const
{
    const_cast<CCallLineLabel*>(this)->Measure();
    return {m_width, fontMetrics().height()};
}

void CCallLineLabel::paintEvent(QPaintEvent*)
{
    Measure();
    QPainter painter(this);
    const QColor lineColour = m_hasLineColour ? m_lineColour : palette().color(QPalette::WindowText);
    const int baseline = fontMetrics().ascent();
    const int right = width();
    for (size_t i = 0; i < m_parts.size() && m_x[i] < right; ++i) {
        const SPart& part = m_parts[i];
        painter.setFont(FontOf(part.style));
        painter.setPen(part.hasColour ? part.colour : lineColour);
        painter.drawText(m_x[i], baseline, part.text);
    }
}

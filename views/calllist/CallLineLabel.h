#pragma once
// The text of a call row, painted part by part (bold name, arguments, italic return value,
// error in its own colour) instead of laid out as rich text: binding a page of rows on every
// scroll step must stay in the low milliseconds, and the same measured parts give the tool-tip
// spans, so what is hit is exactly what is drawn.
#include <QColor>
#include <QLabel>

#include <vector>

class CCallLineLabel : public QLabel
{
    Q_OBJECT
public:
    enum EStyle { kPlain, kBold, kItalic };
    struct SPart
    {
        QString text;
        EStyle style = kPlain;
        bool hasColour = false;  // else the line's colour
        QColor colour;
        bool spanned = false;    // a clickable part with a tool tip
    };
    struct SSpan
    {
        int start;  // label x, inclusive; int: a long line is wider than 16 bits
        int end;
    };

    explicit CCallLineLabel(QWidget* parent = nullptr);

    // lineColour null: the palette's text colour.
    void SetLine(std::vector<SPart> parts, const QColor* lineColour);
    void ClearLine();
    // One span per part marked spanned, in order; measured on first request after SetLine.
    const std::vector<SSpan>& Spans();
    int LineWidth();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    void Measure();
    const QFont& FontOf(EStyle style) const;

    std::vector<SPart> m_parts;
    std::vector<int> m_x;  // start of each part
    std::vector<SSpan> m_spans;
    bool m_measured = false;
    int m_width = 0;
    bool m_hasLineColour = false;
    QColor m_lineColour;
    QFont m_bold;
    QFont m_italic;
};

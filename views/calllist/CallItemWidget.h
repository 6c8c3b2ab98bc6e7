#pragma once
// One line of the call list: a recorded call as one rich-text line, coloured by its role
// (ordinary, draw call, first or last draw of the analysis range, highlighted, filtered,
// disabled, selected, hovered), with per-part tool tips and the call's context menu. The list
// owns a pool of rows and rebinds them as it scrolls; a row never owns the call it shows.
#include <QColor>
#include <QWidget>

#include <cstdint>
#include <vector>

#include "calllist/CallRowText.h"

class QLabel;
class CCallLineLabel;
class QMenu;
class CTraceController;
struct STraceCall;

using u32 = unsigned int;
using u8 = unsigned char;

// Row kinds.
enum : u32 { kRowOrdinary = 0, kRowDraw = 1, kRowRangeStart = 2, kRowRangeEnd = 3 };

class CCallItemWidget : public QWidget
{
    Q_OBJECT
public:
    explicit CCallItemWidget(QWidget* parent = nullptr);

    // Font line height plus 10 pixels.
    int RowHeight() const;

    void SetCall(STraceCall* entry, u32 callNumber, u8 alternate, u32 kind, u8 filtered, u8 highlighted);
    void SetSelected(bool selected);
    void SetInAnalysisRange(bool inRange);
    // Paints the row in place of its stored colour until the next bind (the shown call).
    void SetBackground(const QColor& colour);

    STraceCall* Call() const { return m_call; }
    u32 CallNumber() const { return m_callNumber; }
    u32 Kind() const { return m_kind; }
    QColor Background() const;
    // The line as rich text (escaped), as it is painted.
    QString Text() const { return m_richText; }
    bool IsMarkerShown() const;

    // The context menu's entries for the bound call, each acting when triggered. Exposed so
    // that tests can drive the menu without opening it.
    void FillContextMenu(QMenu& menu);
    // The tool tip at x (row coordinates); empty outside every part of the line.
    QString ToolTipAt(int x);
    // What choosing the row asks of the data viewer, by click or by key: a shader source's text, or
    // the texture as it stands at a texture call.
    void RequestViews();

Q_SIGNALS:
    void SIGRequestUpdateItemList();
    void SIGUpdateListIgnores();
    void SIGRequestShowText(int callNumber);
    void SIGRequestShowImage(int callNumber);
    void SIGRequestImageAnalysRange(int callNumber, bool last);
    void SIGRequestTemporalSelection(int callNumber);

public Q_SLOTS:
    void SLTclickLabel();
    void SLTShowContextMenu(const QPoint& pos);

protected:
    bool event(QEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void SetRowColour(const QColor& colour);
    void LayoutLabels();

    CTraceController* m_controller;
    CCallLineLabel* m_text;
    QLabel* m_marker;
    STraceCall* m_call = nullptr;
    u32 m_callNumber = 0;
    u32 m_kind = kRowOrdinary;
    u8 m_alternate = 0;
    u8 m_filtered = 0;
    u8 m_highlighted = 0;
    u8 m_hover = 0;
    QColor m_stored;
    SCallRowParts m_parts;
    QString m_richText;
};

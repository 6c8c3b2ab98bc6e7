#pragma once
// The call list's widgets, built in code under their object names: tool bar (expand-all,
// filter on/off, filter dialog, search), the group-button column, the row space and the
// scroll bar.
class QFrame;
class QHBoxLayout;
class QScrollArea;
class QScrollBar;
class QToolButton;
class QVBoxLayout;
class QWidget;

struct SCallListForm
{
    QVBoxLayout* verticalLayout = nullptr;
    QFrame* toolBar = nullptr;  // "frame"
    QToolButton* tbExpandDrawCall = nullptr;
    QToolButton* tbFilterOn = nullptr;
    QToolButton* tbFilterDialog = nullptr;
    QToolButton* tbSearch = nullptr;
    QHBoxLayout* callViewComp = nullptr;
    QFrame* symbolsFrame = nullptr;  // "simbolsFrame": the group buttons
    QVBoxLayout* viewCallLayout = nullptr;
    QScrollArea* scrollArea = nullptr;
    QWidget* viewCallsSpace = nullptr;  // parent of the rows
    QScrollBar* verticalScrollBar = nullptr;

    void Setup(QFrame* owner);
};

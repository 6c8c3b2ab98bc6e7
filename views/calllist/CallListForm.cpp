#include "calllist/CallListForm.h"

#include <QCoreApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "calllist/CallListColours.h"
#include "calllist/CallListIcons.h"

namespace {
QFrame* Line(QWidget* parent, const char* name, QFrame::Shape shape)
{
    auto* line = new QFrame(parent);
    line->setObjectName(QString::fromLatin1(name));
    line->setFrameShape(shape);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

QToolButton* ToolButton(QWidget* parent, const char* name)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(QStringLiteral("..."));
    button->setIconSize(QSize(24, 24));
    return button;
}

void SetWindowColour(QWidget* w, const QColor& colour)
{
    QPalette p = w->palette();
    p.setColor(QPalette::All, QPalette::Window, colour);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}
}  // namespace

void SCallListForm::Setup(QFrame* owner)
{
    owner->setObjectName(QStringLiteral("ViewCallsFrame"));
    owner->resize(814, 550);
    owner->setFrameShape(QFrame::StyledPanel);
    owner->setFrameShadow(QFrame::Sunken);
    owner->setLineWidth(2);
    owner->setMidLineWidth(2);
    owner->setWindowTitle(QStringLiteral("ViewCallFrame"));

    verticalLayout = new QVBoxLayout(owner);
    verticalLayout->setObjectName(QStringLiteral("verticalLayout"));
    verticalLayout->setSpacing(0);
    verticalLayout->setContentsMargins(0, 0, 0, 0);

    toolBar = new QFrame(owner);
    toolBar->setObjectName(QStringLiteral("frame"));
    toolBar->setFrameShape(QFrame::Panel);
    toolBar->setFrameShadow(QFrame::Plain);
    toolBar->setLineWidth(0);
    SetWindowColour(toolBar, calllistcolours::kToolBar);
    auto* toolBarLayout = new QVBoxLayout(toolBar);
    toolBarLayout->setObjectName(QStringLiteral("verticalLayout_3"));
    toolBarLayout->setContentsMargins(1, 1, 1, 0);
    auto* buttons = new QHBoxLayout();
    buttons->setObjectName(QStringLiteral("horizontalLayout_2"));
    buttons->setSpacing(2);
    buttons->setContentsMargins(2, 5, 2, 5);
    tbExpandDrawCall = ToolButton(toolBar, "tb_ExpandDrawCall");
    tbExpandDrawCall->setAutoRaise(true);
    tbFilterOn = ToolButton(toolBar, "tb_filterOn");
    tbFilterOn->setIcon(CallListIcon(ECallListIcon::Filter, 24));
    tbFilterOn->setCheckable(true);
    tbFilterDialog = ToolButton(toolBar, "tb_FilterDialog");
    tbFilterDialog->setIcon(CallListIcon(ECallListIcon::FilterConfig, 24));
    tbSearch = ToolButton(toolBar, "tb_search");
    tbSearch->setIcon(CallListIcon(ECallListIcon::Search, 24));
    tbSearch->setShortcut(QKeySequence(QCoreApplication::translate("Calls", "Ctrl+F", "Calls|Search")));
    buttons->addWidget(tbExpandDrawCall);
    buttons->addWidget(Line(toolBar, "line", QFrame::VLine));
    buttons->addWidget(tbFilterOn);
    buttons->addWidget(tbFilterDialog);
    buttons->addWidget(Line(toolBar, "line_3", QFrame::VLine));
    buttons->addWidget(tbSearch);
    buttons->addStretch(1);
    toolBarLayout->addLayout(buttons);
    toolBarLayout->addWidget(Line(toolBar, "line_2", QFrame::HLine));
    verticalLayout->addWidget(toolBar);

    callViewComp = new QHBoxLayout();
    callViewComp->setObjectName(QStringLiteral("callViewComp"));
    callViewComp->setSpacing(0);
    auto* symbolsLayout = new QVBoxLayout();
    symbolsLayout->setObjectName(QStringLiteral("simbolosPreLayout"));
    symbolsFrame = new QFrame(owner);
    symbolsFrame->setObjectName(QStringLiteral("simbolsFrame"));
    symbolsFrame->setMinimumWidth(19);
    SetWindowColour(symbolsFrame, calllistcolours::kSymbolColumn);
    symbolsLayout->addWidget(symbolsFrame);
    callViewComp->addLayout(symbolsLayout);

    viewCallLayout = new QVBoxLayout();
    viewCallLayout->setObjectName(QStringLiteral("viewCallLayout"));
    scrollArea = new QScrollArea(owner);
    scrollArea->setObjectName(QStringLiteral("scrollArea"));
    scrollArea->setFrameShape(QFrame::NoFrame);
    scrollArea->setWidgetResizable(true);
    // The list scrolls by its own scroll bar; the area only clips the rows.
    scrollArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrollArea->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // A dock may be lower than a row: let the rows' space shrink to nothing.
    scrollArea->setMinimumSize(1, 1);
    viewCallsSpace = new QWidget();
    viewCallsSpace->setObjectName(QStringLiteral("viewCallsSpace"));
    scrollArea->setWidget(viewCallsSpace);
    viewCallLayout->addWidget(scrollArea);
    callViewComp->addLayout(viewCallLayout, 1);

    verticalScrollBar = new QScrollBar(Qt::Vertical, owner);
    verticalScrollBar->setObjectName(QStringLiteral("verticalScrollBar"));
    verticalScrollBar->setPageStep(1);
    verticalScrollBar->setTracking(true);
    verticalScrollBar->setMinimumHeight(1);
    callViewComp->addWidget(verticalScrollBar);
    verticalLayout->addLayout(callViewComp, 1);
}

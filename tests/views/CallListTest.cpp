// The call list over the controller: a pool of only the rows that fit, scrolling, groups,
// selection by click and by the arrow keys, show-call, the analysis range and odd frames.
#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QScrollArea>
#include <QWheelEvent>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <QToolButton>

#include "CallListFixture.h"
#include "calllist/CallListColours.h"

using namespace calllistcolours;

namespace {
// Triggers a context-menu entry of a row (submenus included) as the user would choose it.
bool ChooseFromMenu(CCallItemWidget* row, const QString& text)
{
    QMenu menu;
    row->FillContextMenu(menu);
    QList<QAction*> actions = menu.actions();
    for (int i = 0; i < actions.size(); ++i) {
        if (actions[i]->menu())
            actions += actions[i]->menu()->actions();
        else if (actions[i]->text() == text) {
            actions[i]->trigger();
            return true;
        }
    }
    return false;
}

QToolButton* GroupButtonAt(const CViewCallsFrame& list, int location)
{
    for (QToolButton* button : list.Form().symbolsFrame->findChildren<QToolButton*>())
        if (button->isVisible() && button->property("CallLocation").toInt() == location)
            return button;
    return nullptr;
}
}  // namespace

TEST_F(CallList, HundredThousandCallsUseOnlyTheRowsThatFitAndScrollToTheEnd)
{
    Open(BigFrame(100000));
    const int rowHeight = m_list->Rows().front()->RowHeight();
    const int space = m_list->Form().viewCallLayout->geometry().height();
    EXPECT_EQ(int(m_list->Rows().size()), (space - rowHeight / 2 - 1) / rowHeight);
    EXPECT_EQ(m_list->PageRows(), int(m_list->Rows().size()));
    EXPECT_EQ(RowWidgets(), int(m_list->Rows().size()));
    EXPECT_LT(RowWidgets(), 60);
    EXPECT_EQ(VisibleRows(), RowWidgets());
    ASSERT_NE(RowShowing(1), nullptr);

    // The wheel over the rows (a row ignores it, so it reaches the rows' viewport) scrolls the list.
    QWheelEvent wheel(QPointF(50, 5), QPointF(50, 5), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(m_list->Form().scrollArea->viewport(), &wheel);
    EXPECT_GT(m_list->FirstVisible(), 1);

    Scroll()->setValue(Scroll()->maximum());
    m_list->repaint();
    Settle();
    EXPECT_NE(RowShowing(100000), nullptr) << "the last call shows at the end";
    EXPECT_EQ(RowShowing(1), nullptr);
    EXPECT_EQ(RowWidgets(), int(m_list->Rows().size())) << "scrolling creates no rows";
    EXPECT_EQ(m_list->Rows().back()->CallNumber(), 100000u);
}

TEST_F(CallList, SelectionAndShowCallOnACollapsedGroup)
{
    CTraceBuilder b;
    b.Calls(3).Draw().Calls(5).Draw().Calls(4).Frame();  // draws at 4 and 10
    Open(b.Take());
    ASSERT_EQ(m_list->Layout().Count(), 15u);
    QSignalSpy state(m_list.get(), &CViewCallsFrame::SIGRequestUpdateRenderState);

    // Pressing a row selects it and asks for the render state at that call.
    PressLeft(RowShowing(6), QPointF(30, 5));
    ASSERT_EQ(state.count(), 1);
    EXPECT_EQ(state[0][0].toInt(), 6);
    EXPECT_EQ(RowShowing(6)->Background(), kSelected);

    // Collapse every group: the selected member leaves the list, the keys stay.
    m_list->SLTExpandContracDrawCalls();
    EXPECT_EQ(m_list->Layout().Count(), 3u);
    EXPECT_EQ(m_list->SelectedEntry(), -1);

    // Show-call on a member of the collapsed group of draw 4 expands exactly that group, and makes
    // the call current: selected, and the render state asked for.
    m_controller->SLTRequestedShowCall(7);
    EXPECT_EQ(m_list->Layout().Count(), 8u);  // keys 1, 4, 10 and the members 5-9 of draw 4
    ASSERT_NE(RowShowing(7), nullptr);
    EXPECT_EQ(RowShowing(7)->Background(), kShownCall);
    EXPECT_EQ(m_list->MarkedCall(), 7);
    EXPECT_EQ(RowShowing(11), nullptr) << "the group of draw 10 stays collapsed";
    EXPECT_EQ(m_list->SelectedEntry(), 4);  // after 1, 4, 5 and 6
    ASSERT_EQ(state.count(), 2);
    EXPECT_EQ(state[1][0].toInt(), 7);

    // Scrolling clears the shown call's colour; the selection's shows.
    m_list->SLTScrollUpdated(1);
    m_list->repaint();
    EXPECT_EQ(m_list->MarkedCall(), -1);
    ASSERT_NE(RowShowing(7), nullptr);
    EXPECT_EQ(RowShowing(7)->Background(), kSelected);

    // A number naming no call is ignored; selecting a call not listed selects nothing.
    m_controller->SLTRequestedShowCall(999);
    m_list->SLTRequestedShowCall(-3);
    m_list->SLTRequestedSelectCall(12);
    EXPECT_EQ(m_list->SelectedEntry(), -1);
    EXPECT_EQ(state.count(), 2);
}

TEST_F(CallList, GroupButtonsToggleTheirGroup)
{
    CTraceBuilder b;
    b.Calls(2).Draw().Calls(3).Frame();
    Open(b.Take());
    ASSERT_EQ(m_list->Layout().Count(), 7u);
    // The button beside the draw row (entry 2) carries its entry index and sits on the line
    // below that row; button 0 stands for the frame's head group.
    const int rowHeight = m_list->Rows().front()->RowHeight();
    QToolButton* drawButton = GroupButtonAt(*m_list, 2);
    ASSERT_NE(drawButton, nullptr);
    EXPECT_EQ(drawButton->geometry(), QRect(0, 2 * rowHeight + rowHeight / 2, rowHeight, rowHeight));
    QToolButton* headButton = GroupButtonAt(*m_list, 0);
    ASSERT_NE(headButton, nullptr);
    EXPECT_EQ(headButton->y(), rowHeight / 2);
    headButton->click();
    EXPECT_EQ(m_list->Layout().Count(), 6u) << "the head group's member 2 is hidden";
    headButton->click();
    drawButton->click();
    EXPECT_EQ(m_list->Layout().Count(), 3u);
    drawButton->click();
    EXPECT_EQ(m_list->Layout().Count(), 7u);
}

TEST_F(CallList, FilterHidesMembersWhileOnAndGreysThemWhileOff)
{
    CTraceBuilder b;
    b.Calls(2).Add(kIdUniform);
    b.Draw().Calls(2).Frame();
    Open(b.Take());
    m_controller->SetFunctionFiltered(kIdClear, true);
    m_controller->SetFunctionFiltered(kIdDrawArrays, true);
    m_list->SLTRebuildView();
    EXPECT_EQ(m_list->Layout().Count(), 7u) << "filter off: listed";
    ASSERT_NE(RowShowing(2), nullptr);
    EXPECT_TRUE(RowShowing(2)->Text().startsWith("<font color=\"#a5a2bd\">"));

    m_list->Form().tbFilterOn->click();
    EXPECT_TRUE(m_list->FilterOn());
    EXPECT_TRUE(m_list->Form().tbFilterOn->isChecked());
    // 1 heads the frame, 3 is a uniform, 4 a draw, 7 the swap: they stay.
    EXPECT_EQ(m_list->Layout().Count(), 4u);
    EXPECT_NE(RowShowing(4), nullptr);

    // Showing a hidden filtered call tells the user why it cannot; a filtered draw call is
    // listed, so it is simply shown.
    QString title, text;
    auto closeBox = [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            title = box->windowTitle();
            text = box->text();
            box->accept();
        }
    };
    QTimer::singleShot(0, closeBox);
    m_controller->SLTRequestedShowCall(5);
    EXPECT_EQ(title, "Search Operation");
    EXPECT_EQ(text, "The call is currently filtered. Please disable filters.");
    EXPECT_EQ(m_list->MarkedCall(), -1);
    title.clear();
    QTimer::singleShot(0, closeBox);
    m_controller->SLTRequestedShowCall(4);
    Settle();
    EXPECT_TRUE(title.isEmpty());
    EXPECT_EQ(m_list->MarkedCall(), 4);
}

TEST_F(CallList, FramesOfOneCallAndAFirstDrawButNoEmptyOne)
{
    CTraceBuilder b;
    b.Draw().Calls(2).Draw().Calls(1).Frame();  // frame 1 starts with a draw
    b.Frame();                                   // frame 2: a single call
    // frame 3: opened by that swap, no call yet
    Open(b.Take());
    ASSERT_EQ(m_list->Layout().Count(), 6u);
    EXPECT_EQ(RowShowing(1)->Kind(), u32(kRowDraw));
    EXPECT_EQ(RowShowing(1)->Background(), kDrawCall);
    m_list->SLTExpandContracDrawCalls();
    EXPECT_EQ(m_list->Layout().Count(), 2u) << "calls before the second draw belong to the first";

    m_controller->SLTRequestUpdateFrame(2);
    Settle();
    EXPECT_EQ(m_list->Layout().Count(), 1u);
    EXPECT_EQ(VisibleRows(), 1);
    EXPECT_EQ(Scroll()->maximum(), 1);

    // Frame 3, opened by the last swap, holds no call: it never becomes current.
    m_controller->SLTRequestUpdateFrame(3);
    Settle();
    EXPECT_EQ(m_controller->GetTrace()->GetCurrentFrameNumber(), 2);
    EXPECT_EQ(m_controller->GetCurrentFrame(), 2u);
    EXPECT_EQ(m_list->Layout().Count(), 1u);
    EXPECT_EQ(VisibleRows(), 1);
}

TEST_F(CallList, AnalysisRangeColoursAndMarks)
{
    CTraceBuilder b;
    b.Calls(1).Draw().Draw().Draw().Calls(1).Frame();  // draws 2, 3, 4
    Open(b.Take());
    m_list->SLTUpdateRangeImageAnalysis(3, 2);  // high end first
    m_list->repaint();
    EXPECT_EQ(RowShowing(2)->Background(), kDrawCall) << "before the range";
    EXPECT_EQ(RowShowing(3)->Kind(), u32(kRowRangeStart));
    EXPECT_TRUE(RowShowing(3)->IsMarkerShown());
    EXPECT_EQ(RowShowing(3)->Background(), kDrawInRange);
    EXPECT_EQ(RowShowing(4)->Kind(), u32(kRowRangeEnd));
    EXPECT_EQ(RowShowing(4)->Background(), kDrawInRange);
    EXPECT_EQ(RowShowing(1)->Background(), kEvenRow);

    m_list->SLTUpdateRangeImageAnalysis(9, 1);  // out of range: 1..1
    m_list->repaint();
    EXPECT_EQ(RowShowing(3)->Kind(), u32(kRowDraw));
    EXPECT_EQ(RowShowing(3)->Background(), kDrawCall);
}

// Binds and uploads ask for the texture as it stands at their own call (the viewer looks it up).
// Up and Down move the selection from the clicked row as clicks on the next rows would: the render
// state and the data viewer follow, the page scrolls to keep the selection in view, and the ends
// of the list stop it.
TEST_F(CallList, ArrowKeysMoveTheSelectionAsClicksWould)
{
    CTraceBuilder b;
    b.Add(kIdClear);
    b.Add(kIdBindTexture).ArgU32("target", 0x0DE1).ArgU32("texture", 5);
    b.Add(kIdShaderSource).Arg("shader", "3");
    for (int i = 0; i < 200; ++i)
        b.Add(kIdClear);
    b.Frame();
    Open(b.Take());
    QSignalSpy state(m_list.get(), &CViewCallsFrame::SIGRequestUpdateRenderState);
    QSignalSpy image(m_list.get(), &CViewCallsFrame::SIGRequestShowImage);
    QSignalSpy shader(m_list.get(), &CViewCallsFrame::SIGViewShaderRequest);

    m_list->activateWindow();
    QTest::mouseClick(RowShowing(1), Qt::LeftButton, {}, QPoint(30, 5));
    EXPECT_EQ(QApplication::focusWidget(), m_list.get()) << "a click on a row gives the list the keys";
    ASSERT_EQ(m_list->SelectedEntry(), 0);
    QTest::keyClick(m_list.get(), Qt::Key_Up);
    EXPECT_EQ(m_list->SelectedEntry(), 0) << "the first call stays";
    QTest::keyClick(m_list.get(), Qt::Key_Down);
    QTest::keyClick(m_list.get(), Qt::Key_Down);
    EXPECT_EQ(m_list->SelectedEntry(), 2);
    ASSERT_EQ(state.count(), 3);
    EXPECT_EQ(state[2][0].toInt(), 3);
    EXPECT_EQ(RowShowing(3)->Background(), calllistcolours::kSelected);
    EXPECT_NE(RowShowing(2)->Background(), calllistcolours::kSelected);
    ASSERT_EQ(image.count(), 1);
    EXPECT_EQ(image[0][0].toInt(), 2);
    ASSERT_EQ(shader.count(), 1);
    EXPECT_EQ(shader[0][0].toInt(), 3);

    // Past the page's last row the page follows; at the list's end the selection stays.
    const int page = m_list->PageRows();
    for (int i = 0; i < page; ++i)
        QTest::keyClick(m_list.get(), Qt::Key_Down);
    EXPECT_EQ(m_list->SelectedEntry(), 2 + page);
    EXPECT_GT(m_list->FirstVisible(), 1);
    ASSERT_NE(RowShowing(u32(3 + page)), nullptr);
    EXPECT_EQ(RowShowing(u32(3 + page))->Background(), calllistcolours::kSelected);
    const int last = int(m_list->Layout().Count()) - 1;
    for (int i = 0; i < last; ++i)
        QTest::keyClick(m_list.get(), Qt::Key_Down);
    EXPECT_EQ(m_list->SelectedEntry(), last);
    ASSERT_NE(RowShowing(m_list->Layout().At(u32(last)).callNumber), nullptr);
    for (int i = 0; i <= last; ++i)
        QTest::keyClick(m_list.get(), Qt::Key_Up);
    EXPECT_EQ(m_list->SelectedEntry(), 0);
    EXPECT_EQ(m_list->FirstVisible(), 1);
}

TEST_F(CallList, TextureCallsAskForTheirOwnCall)
{
    CTraceBuilder b;
    b.Add(kIdBindTexture).ArgU32("target", 0x0DE1).ArgU32("texture", 5);
    b.Add(kIdTexImage).ArgU32("target", 0x0DE1);
    b.Add(kIdBindTexture).ArgU32("target", 0x0DE1).ArgU32("texture", 9);
    b.Add(kIdShaderSource).Arg("shader", "3");
    b.Frame();
    Open(b.Take());
    QSignalSpy image(m_list.get(), &CViewCallsFrame::SIGRequestShowImage);
    QSignalSpy shader(m_list.get(), &CViewCallsFrame::SIGViewShaderRequest);
    for (int row : {1, 3, 2})
        PressLeft(RowShowing(row), QPointF(30, 5));
    ASSERT_EQ(image.count(), 3);
    EXPECT_EQ(image[0][0].toInt(), 1);
    EXPECT_EQ(image[1][0].toInt(), 3);
    EXPECT_EQ(image[2][0].toInt(), 2);
    PressLeft(RowShowing(4), QPointF(30, 5));
    EXPECT_EQ(image.count(), 3);
    ASSERT_EQ(shader.count(), 1);
    EXPECT_EQ(shader[0][0].toInt(), 4);

    // A call shown from elsewhere (a search result) asks as a click does.
    m_controller->SLTRequestedShowCall(3);
    ASSERT_EQ(image.count(), 4);
    EXPECT_EQ(image[3][0].toInt(), 3);
}

TEST_F(CallList, ControllerSetsChosenFromARowMenuRecolourAndRelist)
{
    CTraceBuilder b;
    b.Calls(2).Add(kIdUniform);
    b.Draw().Calls(2).Frame();  // 1-2 clear, 3 uniform, 4 draw, 5-6 clear, 7 swap
    Open(b.Take());
    QSignalSpy redraw(m_controller, &CTraceController::SIGRedrawImageAnalsys);

    ASSERT_TRUE(ChooseFromMenu(RowShowing(3), "Add HighLight"));
    EXPECT_EQ(RowShowing(3)->Background(), kHighlighted);
    EXPECT_TRUE(RowShowing(3)->Text().startsWith("<b>")) << "a highlighted line has no text colour";

    ASSERT_TRUE(ChooseFromMenu(RowShowing(2), "Disable Call"));
    EXPECT_TRUE(RowShowing(2)->Text().startsWith("<font color=\"#909090\">"));
    EXPECT_EQ(redraw.count(), 1) << "the analysis image is rendered again without the call";
    ASSERT_TRUE(ChooseFromMenu(RowShowing(2), "Enable Call"));
    EXPECT_TRUE(RowShowing(2)->Text().startsWith("<font color=\"#000000\">"));
    EXPECT_EQ(redraw.count(), 2);

    // A filter added while the filter is on hides the function's calls at once; the head stays.
    m_list->Form().tbFilterOn->click();
    ASSERT_TRUE(ChooseFromMenu(RowShowing(5), "Add Filter"));
    EXPECT_EQ(m_list->Layout().Count(), 4u);
    EXPECT_EQ(RowShowing(5), nullptr);
    ASSERT_NE(RowShowing(1), nullptr);
    ASSERT_TRUE(ChooseFromMenu(RowShowing(1), "Remove Filter"));
    EXPECT_EQ(m_list->Layout().Count(), 7u);
}

TEST_F(CallList, ToolBarRelaysSearchAndFilterDialog)
{
    CTraceBuilder b;
    b.Calls(3).Frame();
    Open(b.Take());
    const SCallListForm& form = m_list->Form();
    EXPECT_EQ(m_list->windowTitle(), "ViewCallFrame");
    for (const char* name : {"tb_ExpandDrawCall", "tb_filterOn", "tb_FilterDialog", "tb_search"})
        EXPECT_NE(m_list->findChild<QToolButton*>(name), nullptr) << name;
    EXPECT_EQ(form.tbSearch->shortcut(), QKeySequence(QStringLiteral("Ctrl+F")));

    QSignalSpy search(m_list.get(), &CViewCallsFrame::SIGRequestSearch);
    QSignalSpy dialog(m_controller, &CTraceController::SIGRequestedOpenFilterDialog);
    form.tbSearch->click();
    form.tbFilterDialog->click();
    EXPECT_EQ(search.count(), 1);
    EXPECT_EQ(dialog.count(), 1);
    EXPECT_FALSE(form.tbFilterOn->isChecked());
    form.tbFilterOn->click();
    form.tbFilterOn->click();
    EXPECT_FALSE(m_list->FilterOn());
    EXPECT_FALSE(form.tbFilterOn->isChecked()) << "the check state follows the filter flag";
}


// The call list against hostile input: markup and 10 KB arrays in arguments, a window lower
// than a row, a trace replaced while a row is selected and shown.
#include <QVBoxLayout>

#include "CallListFixture.h"
#include "calllist/CallListColours.h"

using namespace calllistcolours;

TEST_F(CallList, HostileWindowLowerThanARowAndLongArguments)
{
    CTraceBuilder b;
    b.Add(kIdShaderSource).Arg("string", "if (a < b && c) x = \"</font><b>\";").Arg("data", std::string(10240, '9'));
    b.Calls(30).Frame();
    Open(b.Take());
    EXPECT_TRUE(RowShowing(1)->Text().contains("a &lt; b &amp;&amp; c"));

    m_list->resize(200, 20);
    Settle();
    m_list->repaint();
    EXPECT_GE(VisibleRows(), 1);
    // A child widget, so that no window minimum size holds it up.
    QWidget holder;
    holder.resize(400, 400);
    m_list->setParent(&holder);
    m_list->move(0, 0);
    m_list->resize(20, 3);
    holder.show();
    Settle();
    m_list->repaint();
    const int rowHeight = m_list->Rows().front()->RowHeight();
    EXPECT_LT(m_list->Form().viewCallLayout->geometry().height(), rowHeight);
    EXPECT_EQ(m_list->PageRows(), 1);
    Scroll()->setValue(Scroll()->maximum());
    m_list->repaint();
    EXPECT_GE(VisibleRows(), 1);
    EXPECT_EQ(Scroll()->maximum(), 32) << "one row per page: every call reachable";
    m_list->setParent(nullptr);
}

TEST_F(CallList, HostileTraceReplacedWhileARowIsSelected)
{
    Open(BigFrame(500));
    m_list->SLTRequestedSelectCall(3);
    ASSERT_EQ(m_list->SelectedEntry(), 2);
    m_list->SLTRequestedShowCall(200);
    ASSERT_EQ(m_list->MarkedCall(), 200);

    // The controller drops the old trace (SIGTraceUpdate(true)) before it loads the new one.
    CTraceBuilder b;
    b.Calls(4).Frame();
    auto replacement = b.Take();
    CTraceData* old = m_controller->GetTrace();
    OpenInController(replacement.get());
    m_traces.push_back(std::move(replacement));
    // The old trace may go now: nothing may still point into it.
    for (auto& t : m_traces)
        if (t.get() == old)
            t.reset();
    m_list->repaint();
    Settle();
    EXPECT_EQ(m_list->SelectedEntry(), -1);
    EXPECT_EQ(m_list->MarkedCall(), -1);
    EXPECT_EQ(m_list->Layout().Count(), 5u);
    EXPECT_EQ(VisibleRows(), 5);
    for (CCallItemWidget* row : m_list->Rows()) {
        if (row->isVisible()) {
            EXPECT_NE(row->Background(), kSelected) << row->CallNumber();
        }
    }

    // Closing with nothing open afterwards leaves an empty, disabled list.
    m_list->SLTUpdatedTrace(true);
    m_list->repaint();
    EXPECT_FALSE(m_list->isEnabled());
    EXPECT_EQ(RowWidgets(), 0);
}

// The call list against hostile input: markup and 10 KB arrays in arguments, a window lower
// than a row, a trace replaced while a row is selected and shown.
#include "CallListFixture.h"
#include "calllist/CallListColours.h"

using namespace CallListColours;

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
    m_list->resize(20, 3);
    Settle();
    m_list->repaint();
    Scroll()->setValue(Scroll()->maximum());
    m_list->repaint();
    EXPECT_GE(VisibleRows(), 1);
    EXPECT_GE(Scroll()->maximum(), 30) << "one row per page: every call reachable";
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
    for (CCallItemWidget* row : m_list->Rows())
        if (row->isVisible())
            EXPECT_EQ(row->Background() == kSelected, false);

    // Closing with nothing open afterwards leaves an empty, disabled list.
    m_list->SLTUpdatedTrace(true);
    m_list->repaint();
    EXPECT_FALSE(m_list->isEnabled());
    EXPECT_EQ(RowWidgets(), 0);
}

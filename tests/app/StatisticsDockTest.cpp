// The statistics dock in the viewer's window, offscreen: the frame summary's counters, and the
// call summary's plain, selected and watched functions driven through clicks, menu entries, frame
// changes and a closed trace, with the menu entries offered in each state.
#include <QAction>
#include <QMenu>
#include <QTableWidget>

#include "CallQueries.h"
#include "Es2StateCalls.h"
#include "WindowTestSupport.h"
#include "statistics/CallSummaryFrame.h"
#include "statistics/FrameSummaryFrame.h"
#include "statistics/StatisticViewerWidget.h"

using namespace es2test;
using namespace es2calls;

namespace {

SCall Clear() { return W(CallIdOf(ECallFamily::Es2, "glClear"), {0x4000}); }
SCall Enable() { return W(kEnable, {0x0BE2}); }
SCall Depth() { return W(kDepthFunc, {0x0203}); }
SCall Lines()
{
    return {CallIdOf(ECallFamily::Es2, "glDrawArrays"), SPayload().Words({1, 0, 4})};
} // glDrawArrays(GL_LINES, 0, 4)

// Frame 1: glClear x3, glEnable x2, glDepthFunc, a line draw; frame 2: glClear, glDepthFunc x2;
// frame 3: glEnable.
std::vector<SCall> Frames()
{
    return {Clear(), Clear(), Clear(), Enable(), Enable(), Depth(), Lines(), SwapBuffers(1),
            Clear(), Depth(), Depth(), SwapBuffers(2), Enable(), SwapBuffers(3)};
}

class StatisticsDockTest : public CWindowTest
{
public:  // the steps below act on the fixture through a reference
    using CWindowTest::c;
    using CWindowTest::Write;

    void SetUp() override
    {
        CWindowTest::SetUp();
        calls = Find<CCallSummaryFrame>();
        frames = Find<CFrameSummaryFrame>();
        ASSERT_TRUE(calls && frames);
        calls->resize(300, 500);
        calls->Table()->resize(300, 500);
    }

    // The table as "name count" lines, "*" before watched and "+" before selected rows, checking
    // each row's colours on the way.
    std::string Rows()
    {
        std::string out;
        QTableWidget* t = calls->Table();
        const QColor plain = calls->palette().color(QPalette::Window);
        for (int r = 0; r < t->rowCount(); ++r) {
            const QColor bg = t->item(r, 0)->background().color();
            EXPECT_EQ(t->item(r, 1)->background().color(), bg);
            const char* mark = bg == CCallSummaryFrame::kWatched ? "*" : bg == CCallSummaryFrame::kSelected ? "+" : "";
            EXPECT_TRUE(*mark || bg == plain) << bg.name().toStdString();
            EXPECT_EQ(t->item(r, 0)->flags(), Qt::ItemIsEnabled);
            if (!out.empty())
                out += ", ";
            out += mark;
            out += t->item(r, 0)->text().toStdString();
            out += ' ';
            out += t->item(r, 1)->text().toStdString();
        }
        return out;
    }

    QTableWidgetItem* RowOf(const std::string& name)
    {
        for (int r = 0; r < calls->Table()->rowCount(); ++r)
            if (calls->Table()->item(r, 0)->text().toStdString() == name)
                return calls->Table()->item(r, 1);  // the count's cell: a click there names the row too
        return nullptr;
    }

    // The menu at a function's row (empty name: below the rows) as its entries joined by "|".
    std::unique_ptr<QMenu> MenuAt(const std::string& name)
    {
        QTableWidget* t = calls->Table();
        QPoint pos(5, t->viewport()->height() - 3);
        if (!name.empty()) {
            QTableWidgetItem* row = RowOf(name);
            EXPECT_NE(row, nullptr) << name;
            if (row)
                pos = t->visualItemRect(row).center();
        }
        return std::unique_ptr<QMenu>(calls->ContextMenuAt(pos));
    }
    static std::string Entries(QMenu& menu)
    {
        std::string out;
        for (QAction* a : menu.actions()) {
            if (!out.empty())
                out += '|';
            out += a->text().toStdString();
        }
        return out;
    }

    CCallSummaryFrame* calls = nullptr;
    CFrameSummaryFrame* frames = nullptr;
};

TEST_F(StatisticsDockTest, FrameSummaryShowsTheFramesCounters)
{
    auto* dock = Find<CStatisticViewerWidget>("StatisticViewerDock");
    EXPECT_FALSE(dock->isEnabled()) << "no trace open";
    EXPECT_FALSE(frames->isEnabled());
    c->SLTOpenTrace(Write("frames.xqft", Frames()));
    EXPECT_TRUE(dock->isEnabled());
    EXPECT_TRUE(frames->isEnabled());
    QTableWidget* t = frames->Table();
    ASSERT_EQ(t->rowCount(), 6);
    std::string got;
    for (int r = 0; r < 6; ++r) {
        got += t->item(r, 0)->text().toStdString();
        got += '=';
        got += t->item(r, 1)->text().toStdString();
        got += ' ';
        EXPECT_EQ(t->item(r, 1)->background().color(), QColor(230, 230, 230));
        EXPECT_EQ(t->rowHeight(r), frames->fontMetrics().height() / 2 + frames->fontMetrics().height());
    }
    EXPECT_EQ(got, "Function calls=8 Draw calls=1 Triangles=0 Lines=1 Texture Loads=0 Shader Loads=0 ");
    c->SLTRequestUpdateFrame(2);
    EXPECT_EQ(t->item(0, 1)->text(), "4");

    prompts->answer = QMessageBox::Ok;
    c->SLTOpenTrace(TracePath("badmagic.xqft"));
    EXPECT_FALSE(dock->isEnabled());
    EXPECT_FALSE(frames->isEnabled());
    EXPECT_EQ(t->rowCount(), 0);
}

TEST_F(StatisticsDockTest, MarksFollowClicksMenusFramesAndTheTrace)
{
    c->SLTOpenTrace(Write("frames.xqft", Frames()));
    struct SStep {
        const char* what;
        std::function<void(StatisticsDockTest&)> act;
        std::string rows;
        std::string menuAtClear;  // entries offered on glClear's row ("" when it is not listed)
        std::string menuBelow;    // entries offered below the rows
    } steps[] = {
        {"the first frame, busiest first", [](auto&) {},
         "glClear 3, glEnable 2, eglSwapBuffers 1, glDepthFunc 1, glDrawArrays 1", "Add Watch", ""},
        {"a click selects", [](auto& t) { Q_EMIT t.calls->Table()->itemClicked(t.RowOf("glEnable")); },
         "glClear 3, +glEnable 2, eglSwapBuffers 1, glDepthFunc 1, glDrawArrays 1", "Add Watch|Add Watches (Selected)",
         "Add Watches (Selected)"},
        {"a watch goes to the top",
         [](auto& t) { t.MenuAt("glDepthFunc")->actions().at(0)->trigger(); },
         "*glDepthFunc 1, glClear 3, +glEnable 2, eglSwapBuffers 1, glDrawArrays 1",
         "Add Watch|Add Watches (Selected)|Remove All Watches", "Add Watches (Selected)|Remove All Watches"},
        {"the selected become watched", [](auto& t) { t.MenuAt("")->actions().at(0)->trigger(); },
         "*glEnable 2, *glDepthFunc 1, glClear 3, eglSwapBuffers 1, glDrawArrays 1", "Add Watch|Remove All Watches",
         "Remove All Watches"},
        {"a click on a watched row changes nothing",
         [](auto& t) { Q_EMIT t.calls->Table()->itemClicked(t.RowOf("glEnable")); },
         "*glEnable 2, *glDepthFunc 1, glClear 3, eglSwapBuffers 1, glDrawArrays 1", "Add Watch|Remove All Watches",
         "Remove All Watches"},
        {"marks survive a frame without glEnable", [](auto& t) { t.c->SLTRequestUpdateFrame(2); },
         "*glDepthFunc 2, eglSwapBuffers 1, glClear 1", "Add Watch|Remove All Watches", "Remove All Watches"},
        {"select glClear there", [](auto& t) { Q_EMIT t.calls->Table()->itemClicked(t.RowOf("glClear")); },
         "*glDepthFunc 2, eglSwapBuffers 1, +glClear 1", "Add Watch|Add Watches (Selected)|Remove All Watches",
         "Add Watches (Selected)|Remove All Watches"},
        {"and unselect it", [](auto& t) { Q_EMIT t.calls->Table()->itemClicked(t.RowOf("glClear")); },
         "*glDepthFunc 2, eglSwapBuffers 1, glClear 1", "Add Watch|Remove All Watches", "Remove All Watches"},
        {"glEnable comes back watched", [](auto& t) { t.c->SLTRequestUpdateFrame(3); },
         "*glEnable 1, eglSwapBuffers 1", "", "Remove All Watches"},
        {"remove one watch", [](auto& t) { t.MenuAt("glEnable")->actions().at(0)->trigger(); },
         "eglSwapBuffers 1, glEnable 1", "", "Remove All Watches"},
        {"remove all the others", [](auto& t) { t.MenuAt("")->actions().at(0)->trigger(); },
         "eglSwapBuffers 1, glEnable 1", "", ""},
        {"watch again, then the trace closes: every name plain",
         [](auto& t) {
             t.MenuAt("glEnable")->actions().at(0)->trigger();
             Q_EMIT t.calls->Table()->itemClicked(t.RowOf("eglSwapBuffers"));
             t.c->SLTOpenTrace(t.Write("frames.xqft", Frames()));
             t.c->SLTRequestUpdateFrame(3);
         },
         "eglSwapBuffers 1, glEnable 1", "", ""},
    };
    for (SStep& step : steps) {
        SCOPED_TRACE(step.what);
        step.act(*this);
        EXPECT_EQ(Rows(), step.rows);
        EXPECT_EQ(RowOf("glClear") ? Entries(*MenuAt("glClear")) : "", step.menuAtClear);
        EXPECT_EQ(Entries(*MenuAt("")), step.menuBelow);
    }
}

} // namespace

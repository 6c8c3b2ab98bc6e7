// The call search through the controller (its texts, boxes, limit, cancel, ranges and guards),
// the Find dialog and the result list, offscreen, on fixture traces built from call objects.
#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "CallFixture.h"
#include "CallQueries.h"
#include "CallSearch.h"
#include "ShaderEditController.h"
#include "calllist/ViewCallsFrame.h"
#include "search/SearchDialog.h"
#include "search/SearchViewerWidget.h"
#include "XQFTraceGui_Qt.h"

namespace {

const char kLimitText[] =
    "Maximum number of items (10) reached. This value can be increased in the Tools->Preferences menu.";

// A fresh program with a fixture trace open; the controller's list and status texts are recorded.
class Search : public CFreshControllerTest
{
protected:
    void SetUp() override
    {
        CFreshControllerTest::SetUp();
        QObject::connect(c, &CTraceController::SIGRequestOutputSearchViewer, &receiver,
                         [this](CTraceController::TSEARCHCALLS* calls) { lists.push_back(*calls); });
        QObject::connect(c, &CTraceController::SIGUpdateTemporalStatusBar, &receiver,
                         [this](QString text) { status << text; });
    }
    void TearDown() override
    {
        c->Shutdown();
        trace.reset();
        CFreshControllerTest::TearDown();
    }
    void Open(CTraceBuilder& builder)
    {
        trace = builder.Take();
        OpenInController(trace.get());
        ASSERT_EQ(c->GetTrace(), trace.get());
    }
    void Run(const char* pattern, bool whole = true, bool caseSensitive = false)
    {
        lists.clear();
        status.clear();
        shown.clear();
        c->SLTRequestedSearch({pattern, whole, caseSensitive});
    }
    std::vector<u32> Last() const { return lists.empty() ? std::vector<u32>() : lists.back(); }
    static std::vector<u32> Range(u32 first, u32 last)
    {
        std::vector<u32> out;
        for (u32 n = first; n <= last; ++n)
            out.push_back(n);
        return out;
    }

    std::unique_ptr<CTraceData> trace;
    std::vector<std::vector<u32>> lists;
    QStringList status;
    QObject receiver;
};

TEST_F(Search, LimitEndsTheSearchWithItsBoxAndNoSummary)
{
    CTraceBuilder b;
    b.Calls(15, kIdClear).Frame();
    Open(b);
    c->Options().SetMaxSearchItems(10);
    Run("glclear");
    EXPECT_EQ(Last(), Range(1, 10));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].title, "Search Results");
    EXPECT_EQ(shown[0].text, kLimitText);
    EXPECT_EQ(status.back(), "Search has found: 10 elements.");
    EXPECT_TRUE(c->IsSearchStarted());
}

TEST_F(Search, ResultTextsFollowTheNumberFound)
{
    CTraceBuilder b;
    b.Add(kIdClear, "glClear").Arg("mask", "GL_COLOR_BUFFER_BIT");
    b.Add(kIdBindTexture, "glBindTexture").Arg("target", "GL_TEXTURE_2D").Arg("texture", "texture_77");
    b.Add(kIdBindTexture, "glBindTexture").Arg("target", "GL_TEXTURE_2D").Arg("texture", "4");
    b.Add(kIdUniform, "glGetUniformLocation").Arg("program", "3").Return("LOCATION_5");
    b.Frame();
    Open(b);
    struct SRow { const char* pattern; bool caseSensitive; std::vector<u32> found; const char* text; };
    const SRow rows[] = {
        {"texture_77", false, {2}, "Search has found: 1 element."},   // an argument's text
        {"glBindTexture", false, {2, 3}, "Search has found: 2 elements."},
        {"GLBINDTEXTURE", false, {2, 3}, "Search has found: 2 elements."},
        {"GLBINDTEXTURE", true, {}, "No elements found."},
        {"location_\\d", false, {4}, "Search has found: 1 element."},  // the return value's text
        {"^ES2$", true, {1, 2, 3, 4}, "Search has found: 4 elements."},
        {"nothing like it", false, {}, "No elements found."},
    };
    for (const SRow& row : rows) {
        SCOPED_TRACE(row.pattern);
        Run(row.pattern, true, row.caseSensitive);
        EXPECT_EQ(Last(), row.found);
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].title, "Search Results");
        EXPECT_EQ(shown[0].text, row.text);
        EXPECT_EQ(status.back(), row.text);
    }
}

TEST_F(Search, InvalidExpressionIsReportedAsSuch)
{
    CTraceBuilder b;
    b.Calls(3).Frame();
    Open(b);
    for (const char* pattern : {"(", "[a", "a{2,1}"}) {
        SCOPED_TRACE(pattern);
        Run(pattern);
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].title, "Search");
        EXPECT_TRUE(shown[0].text.startsWith("The search text is not a valid regular expression: ")) << shown[0].text.toStdString();
        EXPECT_TRUE(lists.empty());
    }
}

TEST_F(Search, CancelDuringACallStopsBeforeTheNextAndIsClearedForTheNextSearch)
{
    CTraceBuilder b;
    b.Calls(60).Frame();
    Open(b);
    QMetaObject::Connection cancel =
        QObject::connect(c, &CTraceController::SIGRequestOutputSearchViewer, &receiver,
                         [this](CTraceController::TSEARCHCALLS* calls) {
                             if (!calls->empty() && calls->back() == 30)
                                 c->SLTRequestCancelSearch();
                         });
    Run("glClear");
    QObject::disconnect(cancel);
    EXPECT_EQ(Last(), Range(1, 30));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].title, "Search");
    EXPECT_EQ(shown[0].text, "Search canceled.");
    EXPECT_EQ(status.back(), "Search canceled.");

    // A cancel before the first call of the next search does not carry over.
    c->SLTRequestCancelSearch();
    Run("glClear");
    EXPECT_EQ(Last(), Range(1, 60));
    EXPECT_EQ(status.back(), "Search has found: 60 elements.");
}

TEST_F(Search, CurrentFrameSearchesItsOwnCallsAndReportsProgressAgainstThem)
{
    CTraceBuilder b;
    b.Calls(99).Frame();       // frame 1: calls 1-100
    b.Calls(49).Frame();       // frame 2: calls 101-150
    b.Calls(20);               // frame 3, cut off: calls 151-170, no eglSwapBuffers
    Open(b);
    c->Options().SetMaxSearchItems(1000);
    c->SLTRequestUpdateFrame(2);
    Run("glClear|eglSwapBuffers", false);
    EXPECT_EQ(Last(), Range(101, 150));
    ASSERT_GE(status.size(), 3);
    EXPECT_EQ(status.front(), "Searching: glClear|eglSwapBuffers 2%");   // 1 of 50
    EXPECT_TRUE(status.contains("Searching: glClear|eglSwapBuffers 100%"));

    c->SLTRequestUpdateFrame(3);
    Run("glClear", false);
    EXPECT_EQ(Last(), Range(151, 170));
}

TEST(CallSearchCore, RangesOfAFrameWithoutCallsAndOfAnEmptyTraceAreEmpty)
{
    CTraceData empty;
    EXPECT_EQ(CurrentFrameRange(empty).Count(), 0u);
    EXPECT_EQ(WholeTraceRange(empty).Count(), 0u);
    std::vector<uint32_t> found;
    int asked = 0;
    SCallSearchHooks hooks;
    hooks.cancelRequested = [&] { return ++asked, false; };
    const SCallSearchOutcome outcome =
        SearchCalls(empty, CurrentFrameRange(empty), QRegularExpression("."), 0, found, hooks);
    EXPECT_EQ(outcome.visited, 0u);
    EXPECT_EQ(asked, 0);
    EXPECT_TRUE(found.empty());

    // An argument text of 64 KiB with markup characters is matched like any other.
    CTraceBuilder b;
    b.Add(kIdShaderSource, "glShaderSource").Arg("string", std::string(65536, '<') + "&needle&");
    b.Frame();
    EXPECT_EQ(SearchResultText(0), "No elements found.");
    SearchCalls(b.Trace(), WholeTraceRange(b.Trace()), QRegularExpression("<&needle&$"), 0, found);
    EXPECT_EQ(found, std::vector<uint32_t>{1});
}

TEST_F(Search, OpenAndSecondSearchDuringASearchAreRefusedAndTheTraceStays)
{
    CTraceBuilder b;
    b.Calls(40).Frame();
    Open(b);
    CTraceBuilder other;
    other.Calls(2).Frame();
    std::unique_ptr<CTraceData> otherTrace = other.Take();
    bool tried = false;
    QObject::connect(c, &CTraceController::SIGRequestOutputSearchViewer, &receiver,
                     [&](CTraceController::TSEARCHCALLS* calls) {
                         if (calls->size() != 5 || tried)
                             return;
                         tried = true;
                         // As a drop or a recent file would, inside the search's own events.
                         c->SetLoader(std::make_unique<CFixtureLoader>(otherTrace.get()));
                         c->SLTOpenTrace("other.xqft");
                         c->SLTRequestedSearch({"glClear", true, false});
                     });
    Run("glClear");
    EXPECT_TRUE(tried);
    EXPECT_EQ(c->GetTrace(), trace.get());
    EXPECT_EQ(Last(), Range(1, 40));
    EXPECT_TRUE(status.contains("Search refused: the trace is busy with another search or an export."));
    EXPECT_EQ(status.back(), "Search has found: 40 elements.");
    c->SetLoader(nullptr);
}

// The Find dialog and the result list, as the main window holds them.
class FindDialog : public Search
{
protected:
    void SetUp() override
    {
        Search::SetUp();
        c->Shutdown();
        window = std::make_unique<XQFTraceGui_Qt>();
        prompts = ScriptPrompts(&shown);
        dialog = window->SearchDialog();
        results = window->SearchResults();
        findWhat = dialog->findChild<QComboBox*>("cb_findWhat");
        ASSERT_TRUE(dialog && results && findWhat);
    }
    void TearDown() override
    {
        window.reset();
        // The window's shader editor started the editor controller's worker: it ends here, while
        // the application runs.
        CShaderEditController::Shutdown();
        Search::TearDown();
    }
    QStringList Lines() const
    {
        QStringList out;
        for (int i = 0; i < results->List()->count(); ++i)
            out << results->List()->item(i)->text();
        return out;
    }

    std::unique_ptr<XQFTraceGui_Qt> window;
    CSearchDialog* dialog = nullptr;
    CSearchViewerWidget* results = nullptr;
    QComboBox* findWhat = nullptr;
};

TEST_F(FindDialog, ShortTextIsRefusedReturnSearchesAndCancelFollowsTheSearchFlag)
{
    CTraceBuilder b;
    b.Calls(3).Frame();
    Open(b);
    QSignalSpy asked(dialog, &CSearchDialog::SIGRequestedSearch);
    dialog->show();
    EXPECT_FALSE(dialog->findChild<QPushButton*>("pb_cancelSearch")->isEnabled()) << "no search yet";
    findWhat->setEditText("ab");
    dialog->findChild<QPushButton*>("pb_accept")->click();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].title, "Search text too short.");
    EXPECT_EQ(shown[0].text, "Please use 3 or more characters.");
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(asked.count(), 0);

    shown.clear();
    findWhat->setEditText("abc");
    dialog->findChild<QComboBox*>("cb_lookIn")->setCurrentIndex(1);
    dialog->findChild<QCheckBox*>("cb_mathExact")->setChecked(true);
    QTest::keyClick(findWhat, Qt::Key_Return);
    ASSERT_EQ(asked.count(), 1);
    const auto param = asked[0][0].value<CTraceController::SSearchParam>();
    EXPECT_EQ(param.pattern, "abc");
    EXPECT_TRUE(param.wholeTrace);
    EXPECT_TRUE(param.caseSensitive);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(shown.size(), 1u) << "the search ran: its summary box";

    dialog->show();
    EXPECT_TRUE(dialog->findChild<QPushButton*>("pb_cancelSearch")->isEnabled());
}

TEST_F(FindDialog, ResultLinesAndClicks)
{
    CTraceBuilder b;
    b.Calls(55).Frame();   // frame 1: calls 1-56
    b.Add(kIdClear, "glFlush");                                          // 57, no arguments
    b.Add(CallIdOf(ECallFamily::Es2, "glBindBuffer"), "glBindBuffer")
        .Arg("target", "GL_ARRAY_BUFFER")
        .Arg("buffer", "3");                                              // 58
    b.Add(kIdUniform, "glCreateProgram").Return("7");                     // 59
    b.Frame();
    Open(b);
    CTraceController::TSEARCHCALLS calls = {57, 58, 59, 999};
    results->SLTSearchOutput(&calls);
    EXPECT_EQ(Lines(), (QStringList{"F(2) C(57)   glFlush  ", "F(2) C(58)   glBindBuffer  (GL_ARRAY_BUFFER, 3, ) ",
                                    "F(2) C(59)   glCreateProgram  7"}))
        << "a number without a call is skipped";
    EXPECT_EQ(results->List()->item(1)->data(CSearchViewerWidget::kCallRole).toInt(), 58);

    // A longer list from the same search appends; another list replaces.
    calls = {57, 58, 59, 999, 1};
    results->SLTSearchOutput(&calls);
    EXPECT_EQ(Lines().size(), 4);
    EXPECT_TRUE(Lines().last().startsWith("F(1) C(1)   glClear"));
    calls = {2};
    results->SLTSearchOutput(&calls);
    EXPECT_EQ(Lines().size(), 1);

    // A click shows the call: its frame becomes current.
    QSignalSpy shownCalls(c, &CTraceController::SIGRequestedShowCall);
    calls = {58};
    results->SLTSearchOutput(&calls);
    results->SLTItemClick(results->List()->item(0));
    EXPECT_EQ(c->GetCurrentFrame(), 2u);
    ASSERT_EQ(shownCalls.count(), 1);
    EXPECT_EQ(shownCalls[0][0].toInt(), 58);

    // A filtered call explains itself in the call list's message.
    c->SetFunctionFiltered(2004, true);
    window->findChild<CViewCallsFrame*>()->SLTEnableDisableFilter();
    shown.clear();
    results->SLTItemClick(results->List()->item(0));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].title, "Search Operation");

    // Another trace empties the list: its lines stood for calls of the old one.
    CTraceBuilder next;
    next.Calls(3).Frame();
    std::unique_ptr<CTraceData> kept = std::move(trace);
    Open(next);
    EXPECT_EQ(results->List()->count(), 0);
}

} // namespace

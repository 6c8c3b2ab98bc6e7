// One call row: its rich text (escaped, coloured by role), colours, tool tips, menu entries and
// the requests a press sends, and the quick-help page names.
#include <QDesktopServices>
#include <QImage>
#include <QMenu>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <QUrl>

#include <gtest/gtest.h>

#include "CallFixture.h"
#include "TraceController.h"
#include "ViewsTestApp.h"
#include "calllist/CallItemWidget.h"
#include "calllist/CallListColours.h"
#include "calllist/CallRowText.h"

using namespace calllistcolours;

namespace {
QStringList MenuTexts(QMenu& menu)
{
    QStringList texts;
    for (QAction* a : menu.actions()) {
        if (a->menu())
            for (QAction* sub : a->menu()->actions())
                texts << a->text() + "/" + sub->text();
        else if (!a->isSeparator())
            texts << a->text();
    }
    return texts;
}

QAction* FindAction(QMenu& menu, const QString& text)
{
    for (QAction* a : menu.actions()) {
        if (a->text() == text)
            return a;
        if (a->menu())
            if (QAction* sub = FindAction(*a->menu(), text))
                return sub;
    }
    return nullptr;
}

class CallRow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TestApp();
        ResetCallFilters();
        CTraceController::Instance()->SetRangeMode(false);
    }
    CTraceBuilder builder;
};
}  // namespace

TEST(CallRowText, EscapesMarkupAndCutsLongArguments)
{
    CFakeCall call(kIdShaderSource, "glShaderSource");
    const std::string longArray(10 * 1024, '7');
    call.Arg("string", "a<b && c</font><script>").Arg("data", longArray).Return("<ret>").Error(0x502);
    const SCallRowParts parts = DescribeCallRow(call);
    ASSERT_EQ(parts.arguments.size(), 2);
    EXPECT_EQ(parts.arguments[0], "a<b && c</font><script>");
    EXPECT_EQ(parts.arguments[1].size(), kRowArgumentChars + 4);
    ASSERT_TRUE(parts.error);
    EXPECT_EQ(*parts.error, "GL_INVALID_OPERATION");

    const QString html = CallRowRichText(parts, &kFilteredText);
    EXPECT_TRUE(html.startsWith("<font color=\"#a5a2bd\"><b>glShaderSource</b> (a&lt;b &amp;&amp; c&lt;/font&gt;"))
        << html.left(120).toStdString();
    EXPECT_TRUE(html.endsWith("<i> : &lt;ret&gt;</i><font color=\"#ff6600\"> ! GL_INVALID_OPERATION</font></font>"))
        << html.right(120).toStdString();
    EXPECT_FALSE(html.contains("<script>"));

    // The tool tip shows far more of it, and still stops.
    EXPECT_EQ(CallArgumentTip(call, 1).size(), QString("data: ").size() + kTipChars + 4);
    EXPECT_EQ(CallSignatureTip(call, 42), "42 glShaderSource(string,data)");
    EXPECT_EQ(CallResultTip(call), "Return Value: <ret>");
    EXPECT_EQ(CallErrorTip(call), "Error: GL_INVALID_OPERATION");
    EXPECT_TRUE(CallArgumentTip(call, 2).isEmpty());
}

TEST(CallRowText, NoErrorAndNoArgumentsLeaveTheirPartsOut)
{
    CFakeCall call(kIdClear, "glFinish");
    const SCallRowParts parts = DescribeCallRow(call);
    EXPECT_FALSE(parts.error) << "GL_NO_ERROR is not shown";
    EXPECT_EQ(CallRowRichText(parts, nullptr), "<b>glFinish</b> ( )</font>");
    EXPECT_TRUE(CallErrorTip(call).isEmpty());
}

TEST(CallRowText, QuickHelpPageNames)
{
    const std::pair<const char*, const char*> cases[] = {
        {"glUniformMatrix4fv", "glUniform"}, {"glTexParameteriv", "glTexParameter"},
        {"glMultMatrixx", "glMult"},         {"glLoadMatrixf", "glLoadMatr"},
        {"glDrawArrays", "glDrawArrays"},    {"glVertexAttrib3f", "glVertexAttrib"},
        {"eglSwapBuffers", "eglSwapBuffers"}, {"", ""}};
    for (const auto& [name, page] : cases)
        EXPECT_EQ(QuickHelpPageName(name), page) << name;
    EXPECT_TRUE(QuickHelpUrl("eglGetDisplay").toString().contains("/EGL/"));
    EXPECT_TRUE(QuickHelpUrl("glUniform1i").toString().endsWith("/glUniform.xml"));
}

TEST_F(CallRow, ColoursByRoleAndSelection)
{
    builder.Calls(1);
    STraceCall* call = builder.Trace().GetCall(1);
    CCallItemWidget row;
    struct SCase
    {
        u8 alternate;
        u32 kind;
        u8 highlighted;
        QColor background;
        bool marker;
    } cases[] = {
        {1, kRowOrdinary, 0, kEvenRow, false},     {0, kRowOrdinary, 0, kOddRow, false},
        {0, kRowDraw, 0, kDrawCall, false},        {0, kRowRangeStart, 0, kDrawCall, true},
        {1, kRowRangeEnd, 0, kDrawCall, true},     {1, kRowOrdinary, 1, kHighlighted, false},
        {0, kRowDraw, 1, kHighlighted, false},
    };
    for (const SCase& c : cases) {
        row.SetCall(call, 1, c.alternate, c.kind, 0, c.highlighted);
        EXPECT_EQ(row.Background(), c.background) << c.kind << " " << int(c.alternate);
        EXPECT_EQ(row.IsMarkerShown(), c.marker) << c.kind;
        row.SetSelected(true);
        EXPECT_EQ(row.Background(), kSelected);
        row.SetSelected(false);
        EXPECT_EQ(row.Background(), c.background);
    }
    // A highlighted draw call inside the range shows the in-range colour.
    row.SetCall(call, 1, 0, kRowDraw, 0, 1);
    row.SetInAnalysisRange(true);
    EXPECT_EQ(row.Background(), kDrawInRange);
    row.SetSelected(true);
    row.SetSelected(false);
    EXPECT_EQ(row.Background(), kDrawInRange);

    // Text colours: filtered wins, highlighted has none, disabled is grey.
    CTraceController::Instance()->SetCallDisabled(1, true);
    row.SetCall(call, 1, 0, kRowOrdinary, 0, 0);
    EXPECT_TRUE(row.Text().startsWith("<font color=\"#909090\">"));
    row.SetCall(call, 1, 0, kRowOrdinary, 1, 0);
    EXPECT_TRUE(row.Text().startsWith("<font color=\"#a5a2bd\">"));
    row.SetCall(call, 1, 0, kRowOrdinary, 0, 1);
    EXPECT_TRUE(row.Text().startsWith("<b>"));
}

// What the row paints: hover lines, the range marker, the background and the text colours.
TEST_F(CallRow, PaintsHoverMarkerBackgroundAndTextColours)
{
    builder.Add(kIdDrawArrays).Arg("mode", "GL_TRIANGLES").Arg("first", "0").Error(0x500);
    CCallItemWidget row;
    row.resize(600, row.RowHeight());
    row.SetCall(builder.Trace().GetCall(1), 1, 0, kRowRangeStart, 1, 0);
    QEvent enter(QEvent::Enter);
    QCoreApplication::sendEvent(&row, &enter);
    const QImage image = row.grab().toImage();
    const int w = row.width(), h = row.height();
    EXPECT_EQ(image.pixelColor(0, h - 1), kHoverFrame);
    EXPECT_EQ(image.pixelColor(w / 2, h - 1), kHoverFrame);
    EXPECT_EQ(image.pixelColor(0, h / 2), kHoverFrame);
    EXPECT_EQ(image.pixelColor(w - 13, h / 2), kRangeStartMark);
    EXPECT_EQ(image.pixelColor(w - 40, 2), kDrawCall);
    bool filteredText = false, errorText = false;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w - 20; ++x) {
            const QColor c = image.pixelColor(x, y);
            filteredText |= c == kFilteredText;
            errorText |= c == QColor(0xff, 0x66, 0x00);
        }
    EXPECT_TRUE(filteredText);
    EXPECT_TRUE(errorText);

    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&row, &leave);
    row.SetCall(builder.Trace().GetCall(1), 1, 0, kRowRangeEnd, 0, 0);
    const QImage plain = row.grab().toImage();
    EXPECT_EQ(plain.pixelColor(0, h - 1), kDrawCall) << "no hover lines after leaving";
    EXPECT_EQ(plain.pixelColor(w - 13, h / 2), kRangeEndMark);
}

TEST_F(CallRow, ToolTipsFollowThePartsOfTheLine)
{
    builder.Add(kIdUniform).Arg("location", "3").Arg("v", "{1, 2}").Return("7").Error(0x500);
    CCallItemWidget row;
    row.resize(800, row.RowHeight());
    row.SetCall(builder.Trace().GetCall(1), 1, 0, kRowOrdinary, 0, 0);
    const QFontMetrics plain(row.font());
    QFont boldFont = row.font();
    boldFont.setBold(true);
    const int nameEnd = 5 + QFontMetrics(boldFont).horizontalAdvance("glUniform4fv");
    EXPECT_TRUE(row.ToolTipAt(2).isEmpty()) << "left of the name";
    EXPECT_EQ(row.ToolTipAt(6), "1 glUniform4fv(location,v)");
    const int firstArgument = nameEnd + plain.horizontalAdvance(" (") + 1;
    EXPECT_EQ(row.ToolTipAt(firstArgument), "location: 3");
    const int second = firstArgument - 1 + plain.horizontalAdvance("3 , ") + 1;
    EXPECT_EQ(row.ToolTipAt(second), "v: {1, 2}");
    EXPECT_TRUE(row.ToolTipAt(790).isEmpty()) << "right of the line";
}

// A row describes its call for itself: scrolling through a long trace leaves no description
// behind in the trace (the trace keeps them only for the few calls asked with GetCallInfo).
TEST_F(CallRow, ListingACallLeavesItUndescribed)
{
    builder.Add(kIdUniform).Arg("location", "3").Arg("v", "{1, 2}").Return("7").Error(0x500);
    CCallItemWidget row;
    row.resize(800, row.RowHeight());
    row.SetCall(builder.Trace().GetCall(1), 1, 0, kRowOrdinary, 0, 0);
    row.grab();
    EXPECT_EQ(row.ToolTipAt(6), "1 glUniform4fv(location,v)");
    EXPECT_EQ(builder.Trace().GetCall(1)->call.Info(), nullptr);
}

TEST_F(CallRow, MenuEntriesByRole)
{
    builder.Calls(1).Draw();
    CCallItemWidget row;
    const std::set<u32>* filters;
    const std::set<u32>* highlights;
    CTraceController::Instance()->GetFilterSets(&filters, &highlights);

    row.SetCall(builder.Trace().GetCall(1), 1, 0, kRowOrdinary, 0, 0);
    {
        QMenu menu;
        row.FillContextMenu(menu);
        EXPECT_EQ(MenuTexts(menu), QStringList({"Add Filter", "Add HighLight", "Trace/Disable Call",
                                                "Function Quick Help"}));
        QSignalSpy update(&row, &CCallItemWidget::SIGRequestUpdateItemList);
        FindAction(menu, "Add Filter")->trigger();
        FindAction(menu, "Add HighLight")->trigger();
        EXPECT_EQ(update.count(), 2);
        EXPECT_EQ(*filters, std::set<u32>{kIdClear});
        QSignalSpy ignores(&row, &CCallItemWidget::SIGUpdateListIgnores);
        FindAction(menu, "Disable Call")->trigger();
        EXPECT_EQ(ignores.count(), 1);
        EXPECT_EQ(CTraceController::Instance()->GetDisabledCalls(), std::set<u32>{1});
    }
    // A filtered row offers no highlight entries.
    row.SetCall(builder.Trace().GetCall(1), 1, 0, kRowOrdinary, 1, 0);
    {
        QMenu menu;
        row.FillContextMenu(menu);
        EXPECT_EQ(MenuTexts(menu), QStringList({"Remove Filter", "Remove All Filters", "Trace/Enable Call",
                                                "Trace/Clear Disabled Calls", "Function Quick Help"}));
    }
    // A draw row: no filter add/remove, keeps "Remove All Filters"; range entries by the range flag.
    CTraceController::Instance()->SetRangeMode(true);
    row.SetCall(builder.Trace().GetCall(2), 2, 0, kRowDraw, 0, 0);
    {
        QMenu menu;
        row.FillContextMenu(menu);
        EXPECT_EQ(MenuTexts(menu),
                  QStringList({"Remove All Filters", "Add HighLight", "Remove All HighLights", "Trace/Disable Call",
                               "Trace/Clear Disabled Calls", "Select First Draw Call", "Select Last Draw Call",
                               "Function Quick Help"}));
        QSignalSpy range(&row, &CCallItemWidget::SIGRequestImageAnalysRange);
        FindAction(menu, "Select Last Draw Call")->trigger();
        ASSERT_EQ(range.count(), 1);
        EXPECT_EQ(range[0][0].toInt(), 2);
        EXPECT_EQ(range[0][1].toBool(), true);
    }
}

// Receives the quick-help address instead of a browser.
class CUrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public Q_SLOTS:
    void Open(const QUrl& url) { urls << url; }
};

TEST_F(CallRow, QuickHelpOpensTheReferencePage)
{
    builder.Add(kIdUniform, "glUniformMatrix4fv");
    CCallItemWidget row;
    row.SetCall(builder.Trace().GetCall(1), 1, 0, kRowOrdinary, 0, 0);
    CUrlCatcher catcher;
    QDesktopServices::setUrlHandler("https", &catcher, "Open");
    QMenu menu;
    row.FillContextMenu(menu);
    FindAction(menu, "Function Quick Help")->trigger();
    QDesktopServices::unsetUrlHandler("https");
    ASSERT_EQ(catcher.urls.size(), 1);
    EXPECT_TRUE(catcher.urls[0].toString().endsWith("/glUniform.xml"));
}

TEST_F(CallRow, PressRequestsSelectionShaderAndImages)
{
    builder.Add(kIdShaderSource).Arg("shader", "1");
    builder.Add(kIdTexImage).Arg("target", "GL_TEXTURE_2D");
    // A texture call that shows no texture asks too: the viewer then shows nothing, not the
    // texture of the call asked for before it.
    builder.Add(CallIdOf(ECallFamily::Es2, "glTexParameteri")).Arg("target", "GL_TEXTURE_2D");
    builder.Add(kIdClear);
    CCallItemWidget row;
    row.resize(400, row.RowHeight());
    QSignalSpy select(&row, &CCallItemWidget::SIGRequestTemporalSelection);
    QSignalSpy text(&row, &CCallItemWidget::SIGRequestShowText);
    QSignalSpy image(&row, &CCallItemWidget::SIGRequestShowImage);
    auto press = [&] { PressLeft(&row, QPointF(10, 5)); };
    row.SetCall(builder.Trace().GetCall(1), 1, 0, kRowOrdinary, 0, 0);
    press();
    row.SetCall(builder.Trace().GetCall(2), 2, 0, kRowOrdinary, 0, 0);
    press();
    row.SetCall(builder.Trace().GetCall(3), 3, 0, kRowOrdinary, 0, 0);
    press();
    row.SetCall(builder.Trace().GetCall(4), 4, 0, kRowOrdinary, 0, 0);
    press();
    ASSERT_EQ(select.count(), 4);
    EXPECT_EQ(select[1][0].toInt(), 2);
    ASSERT_EQ(text.count(), 1);
    EXPECT_EQ(text[0][0].toInt(), 1);
    ASSERT_EQ(image.count(), 2) << "the upload and the parameter call; not the clear";
    EXPECT_EQ(image[0][0].toInt(), 2);
    EXPECT_EQ(image[1][0].toInt(), 3);
}

#include "CallRowTest.moc"

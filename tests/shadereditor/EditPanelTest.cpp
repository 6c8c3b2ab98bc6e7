// The edit panel offscreen: gutter widths and what the gutters paint, the Tab, Home and Return
// keys, which changes of the document request a compile, and text that is no proper shader.
#include "ShaderEditPanel.h"
#include "ShaderHighlighter.h"
#include "WidgetsTestSupport.h"

#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

std::unique_ptr<CShaderEditPanel> ShownPanel(const char* text, uint32_t type = eShaderDocGLSLESVertex)
{
    WidgetsApp();
    auto panel = std::make_unique<CShaderEditPanel>(nullptr, CXQFTString(), nullptr, type);
    panel->SetContents(text, false);
    panel->resize(400, 300);
    panel->show();
    QCoreApplication::processEvents();
    return panel;
}

void SetCursor(CShaderEditPanel& panel, int anchor, int position)
{
    QTextCursor cursor = panel.textCursor();
    cursor.setPosition(anchor);
    cursor.setPosition(position, QTextCursor::KeepAnchor);
    panel.setTextCursor(cursor);
}

std::string Text(const CShaderEditPanel& panel)
{
    return panel.toPlainText().toStdString();
}

// Whether the gutter paints a dark pixel on the row of the line.
bool DarkOnLine(CShaderEditPanel& panel, uint32_t kind, int line)
{
    CLineNumberArea* gutter = panel.Gutter(kind);
    const QImage image = gutter->grab().toImage();
    const QRect rows = panel.cursorRect(QTextCursor(panel.document()->findBlockByNumber(line)));
    for (int y = std::max(0, rows.top()); y <= rows.bottom() && y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() < 100 && c.green() < 100 && c.blue() < 100)
                return true;
        }
    return false;
}

TEST(EditPanel, GutterWidthsFollowLinesAndCountsInView)
{
    auto panel = ShownPanel("1\n2\n3\n4\n5\n6\n7\n8\n9");
    const double w9 = panel->fontMetrics().horizontalAdvance(QLatin1Char('9'));
    EXPECT_EQ(panel->GutterWidth(0), int(std::ceil(w9 * 2.3)));
    EXPECT_EQ(panel->GutterWidth(1), int(std::ceil(w9 * 2.5))) << "no counts";
    QTest::keyClick(panel.get(), Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(panel.get(), Qt::Key_Return);
    EXPECT_EQ(panel->GutterWidth(0), int(std::ceil(w9 * 3.3)));

    CXQFTArray<int> counts;
    counts.Append(12345);   // the first line's count is shown and counted
    counts.Append(7);
    panel->OnCompileCycleCountChanged(panel->GetPanelId(), counts);
    EXPECT_EQ(panel->GutterWidth(1), int(std::ceil(w9 * 6.5)));
    // The two gutters side by side left of the text, which starts after both.
    const QRect lines = panel->Gutter(0)->geometry(), cycles = panel->Gutter(1)->geometry();
    EXPECT_EQ(lines.width(), panel->GutterWidth(0));
    EXPECT_EQ(cycles.left(), lines.right() + 1);
    EXPECT_EQ(cycles.width(), panel->GutterWidth(1));
    EXPECT_EQ(panel->viewport()->geometry().left(), cycles.right() + 1);
}

TEST(EditPanel, CycleGutterShowsOwnNonNegativeCountsOnly)
{
    auto panel = ShownPanel("a\nb\nc\nd");
    CXQFTArray<int> counts;
    for (int c : {5, -1, 9})
        counts.Append(c);
    panel->OnCompileCycleCountChanged(CXQFTHash(panel->GetPanelId().Value() + 1), counts);
    EXPECT_EQ(panel->GetCycleCounts().size, 0u) << "another panel's result";
    EXPECT_FALSE(DarkOnLine(*panel, 1, 0));

    panel->OnCompileCycleCountChanged(panel->GetPanelId(), counts);
    EXPECT_TRUE(DarkOnLine(*panel, 1, 0));
    EXPECT_FALSE(DarkOnLine(*panel, 1, 1)) << "a negative entry";
    EXPECT_TRUE(DarkOnLine(*panel, 1, 2));
    EXPECT_FALSE(DarkOnLine(*panel, 1, 3)) << "past the last entry";
    EXPECT_TRUE(DarkOnLine(*panel, 0, 3)) << "every line has its number";

    const QImage lines = panel->Gutter(0)->grab().toImage(), cycles = panel->Gutter(1)->grab().toImage();
    EXPECT_EQ(lines.pixelColor(1, lines.height() - 2), QColor(192, 192, 192));
    EXPECT_EQ(cycles.pixelColor(1, cycles.height() - 2), QColor(191, 215, 215));

    panel->SetContents("other text", false);
    EXPECT_EQ(panel->GetCycleCounts().size, 0u) << "the counts of the old text go with it";
}

TEST(EditPanel, TabInsertsSpacesOrATabOrIndentsLines)
{
    auto panel = ShownPanel("abcd\nefgh");
    ChangeEditorSettings(Settings::eEditorTreatTabAsSpace | Settings::eEditorTabSpaceSize, [](Settings::SEditor& s) {
        s.TreatTabAsSpace = true;
        s.TabSpaceSize = 4;
    });
    SetCursor(*panel, 1, 3);
    QTest::keyClick(panel.get(), Qt::Key_Tab);
    EXPECT_EQ(Text(*panel), "a    d\nefgh");

    ChangeEditorSettings(Settings::eEditorTreatTabAsSpace, [](Settings::SEditor& s) { s.TreatTabAsSpace = false; });
    SetCursor(*panel, 1, 5);
    QTest::keyClick(panel.get(), Qt::Key_Tab);
    EXPECT_EQ(Text(*panel), "a\td\nefgh");

    QSignalSpy outdent(panel.get(), &CShaderEditPanel::OutdentSelection);
    SetCursor(*panel, 1, 6);
    QTest::keyClick(panel.get(), Qt::Key_Tab);
    EXPECT_EQ(outdent.count(), 1);
    EXPECT_EQ(Text(*panel), "a\td\nefgh") << "the editor indents the lines";

    // A damaged setting inserts at most 64 blanks; the stored value stays as written.
    ChangeEditorSettings(Settings::eEditorTreatTabAsSpace | Settings::eEditorTabSpaceSize, [](Settings::SEditor& s) {
        s.TreatTabAsSpace = true;
        s.TabSpaceSize = 4000000000u;
    });
    panel->SetContents("", false);
    QTest::keyClick(panel.get(), Qt::Key_Tab);
    EXPECT_EQ(Text(*panel), std::string(64, ' '));
    EXPECT_EQ(CShaderEditController::Instance()->GetEditorSettings().TabSpaceSize, 4000000000u);

    panel->SetContents("x", false);
    panel->setReadOnly(true);
    QTest::keyClick(panel.get(), Qt::Key_Tab);
    EXPECT_EQ(Text(*panel), "x");
    ChangeEditorSettings(Settings::eEditorTreatTabAsSpace | Settings::eEditorTabSpaceSize, [](Settings::SEditor& s) {
        s.TreatTabAsSpace = false;
        s.TabSpaceSize = 4;
    });
}

TEST(EditPanel, ReturnKeepsTheIndentationInOneUndoStep)
{
    auto panel = ShownPanel("\t  x");
    QTest::keyClick(panel.get(), Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(panel.get(), Qt::Key_Return);
    EXPECT_EQ(Text(*panel), "\t  x\n\t  ");
    EXPECT_EQ(panel->textCursor().position(), 8);
    panel->undo();
    EXPECT_EQ(Text(*panel), "\t  x");
    SetCursor(*panel, 4, 4);
    QTest::keyClick(panel.get(), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(Text(*panel), "\t  x\n\t  ");
}

TEST(EditPanel, HomeTogglesBetweenTextStartAndLineStart)
{
    auto panel = ShownPanel("x\n  ab");
    QTest::keyClick(panel.get(), Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(panel.get(), Qt::Key_Home);
    EXPECT_EQ(panel->textCursor().positionInBlock(), 2);
    QTest::keyClick(panel.get(), Qt::Key_Home);
    EXPECT_EQ(panel->textCursor().positionInBlock(), 0);
    QTest::keyClick(panel.get(), Qt::Key_Home);
    EXPECT_EQ(panel->textCursor().positionInBlock(), 2);

    QTest::keyClick(panel.get(), Qt::Key_End);
    QTest::keyClick(panel.get(), Qt::Key_Home, Qt::ShiftModifier);
    EXPECT_EQ(panel->textCursor().selectedText().toStdString(), "ab");
    QTest::keyClick(panel.get(), Qt::Key_Home, Qt::ShiftModifier);
    EXPECT_EQ(panel->textCursor().selectedText().toStdString(), "  ab") << "the base editor goes on from there";

    panel->SetContents("   ", false);   // a line of blanks only: to its end
    SetCursor(*panel, 0, 0);
    QTest::keyClick(panel.get(), Qt::Key_Home);
    EXPECT_EQ(panel->textCursor().positionInBlock(), 3);
}

TEST(EditPanel, OnlyRealTextChangesRequestACompile)
{
    auto panel = ShownPanel("void main() {}");
    auto* highlighter = panel->findChild<CShaderHighlighter*>();
    ASSERT_NE(highlighter, nullptr);
    QSignalSpy recompile(panel.get(), &CShaderEditPanel::RecompileContents);
    QSignalSpy cancel(panel.get(), &CShaderEditPanel::CancelCompile);
    QSignalSpy highlighted(highlighter, &CShaderHighlighter::RequestDocumentType);

    panel->SetDocType(eShaderDocGLSLESVertex);
    EXPECT_EQ(highlighted.count(), 0) << "same type: no rehighlight";
    EXPECT_EQ(recompile.count(), 0) << "same type: no compile";

    highlighter->rehighlight();
    QTextCursor format(panel->document());
    format.setPosition(0);
    format.setPosition(4, QTextCursor::KeepAnchor);
    QTextCharFormat italic;
    italic.setFontItalic(true);
    format.mergeCharFormat(italic);
    Q_EMIT panel->document()->contentsChange(0, 5, 5);   // what a re-layout reports
    EXPECT_EQ(recompile.count(), 0) << "re-layouts and format changes are no edits";

    SetCursor(*panel, 0, 1);
    QTest::keyClicks(panel.get(), "V");   // same length, other text
    QTest::keyClicks(panel.get(), "x");
    ASSERT_EQ(recompile.count(), 2);
    EXPECT_EQ(cancel.count(), 2);
    EXPECT_EQ(recompile.at(1).at(1).toString().toStdString(), "Vxoid main() {}");
    EXPECT_EQ(recompile.at(1).at(0).value<CXQFTHash>(), panel->GetPanelId());
    EXPECT_EQ(recompile.at(1).at(3).value<ECompileInvocationType>(), eCompileBackground);

    highlighted.clear();
    panel->SetDocType(eShaderDocGLSLESFragment);
    EXPECT_GT(highlighted.count(), 0);
    EXPECT_EQ(recompile.count(), 3);
    EXPECT_EQ(recompile.at(2).at(2).value<EShaderDocType>(), eShaderDocGLSLESFragment);

    panel->SetContents("void main() { }", false);
    EXPECT_EQ(recompile.count(), 4) << "new contents: one compile";
    panel->SetDocType(eShaderDocHLSLVertex);
    panel->OnCompilerSettingsChanged(Settings::SCompiler(), Settings::eCompilerCustomPath);
    EXPECT_EQ(recompile.count(), 4) << "no background compile for HLSL";
    panel->SetDocType(eShaderDocOpenCLKernel);
    panel->OnCompilerSettingsChanged(Settings::SCompiler(), Settings::eCompilerCustomPath);
    EXPECT_EQ(recompile.count(), 6) << "type change, then the new compiler path";
}

TEST(EditPanel, ContentsAreUtf8OrLatin1AndEndAtANul)
{
    WidgetsApp();
    CShaderEditPanel panel(nullptr, CXQFTString("shader.vsh"), "attribute vec4 p; void main() { gl_Position = p; }",
                           CShaderEditPanel::kUndeterminedType);
    EXPECT_EQ(panel.GetDocType(), eShaderDocGLSLESVertex) << "detected from the contents and extension";

    const struct
    {
        const char* bytes;
        const char* text;
        EShaderTextEncoding encoding;
    } kCases[] = {
        {"caf\xc3\xa9", "caf\u00e9", EShaderTextEncoding::Utf8},
        {"caf\xe9", "caf\u00e9", EShaderTextEncoding::Latin1},
        {"\xff\xfe\x80", "\u00ff\u00fe\u0080", EShaderTextEncoding::Latin1},
        {"\xed\xb0\x80", "\u00ed\u00b0\u0080", EShaderTextEncoding::Latin1},   // an encoded surrogate
        {"abc\0def", "abc", EShaderTextEncoding::Utf8},
    };
    for (const auto& c : kCases) {
        panel.SetContents(c.bytes, false);
        EXPECT_EQ(panel.toPlainText(), QString::fromUtf8(c.text)) << c.bytes;
        EXPECT_EQ(panel.GetEncoding(), c.encoding) << c.bytes;
        EXPECT_EQ(panel.EncodedText(), QByteArray(c.bytes)) << c.bytes;
        EXPECT_FALSE(panel.IsModified());
    }
    panel.SetContents(nullptr, true);
    EXPECT_EQ(panel.toPlainText(), QString());
    EXPECT_EQ(panel.GetDocType(), eShaderDocPlainText);
}

TEST(EditPanel, LargeDocumentsAndNarrowWindows)
{
    std::string text;
    for (int i = 0; i < 10000; ++i)
        text += "vec4 v" + std::to_string(i) + " = vec4(1.0); /* c */\n";
    text += std::string(100000, 'a') + "\n/* never closed";
    auto panel = ShownPanel(text.c_str());
    EXPECT_EQ(panel->document()->blockCount(), 10002);
    const double w9 = panel->fontMetrics().horizontalAdvance(QLatin1Char('9'));
    EXPECT_EQ(panel->GutterWidth(0), int(std::ceil(w9 * 6.3)));
    EXPECT_EQ(panel->document()->lastBlock().userState() & CShaderHighlighter::kStateOpenComment,
              CShaderHighlighter::kStateOpenComment);
    panel->resize(12, 40);   // narrower than the gutters
    QCoreApplication::processEvents();
    EXPECT_FALSE(panel->grab().isNull());
    panel->verticalScrollBar()->setValue(panel->verticalScrollBar()->maximum());
    QCoreApplication::processEvents();
    EXPECT_FALSE(panel->Gutter(1)->grab().isNull());
}

} // namespace

// The shader view end to end, offscreen: the viewer's compiler option names a test-double
// compiler, the sample trace opens, and the shaders chosen in the shader list show read-only,
// highlighted, with the double's count beside each line; a hung compiler leaves the window
// responsive and the next choice cancels it. A source recorded as several strings shows as the
// device compiled it, and the shipped GLSL ES check passes it; a broken one shows its messages.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <csignal>
#include <memory>

#include "AppTestSupport.h"
#include "Common/XQFPreferences/XQFPreferences.h"
#include "CompileTestSupport.h"
#include "ShaderEditPanel.h"
#include "ShaderEditor.h"
#include "XQFTraceGui_Qt.h"
#include "dataviewer/ShaderViewerWidget.h"
#include "states/ShaderListWidget.h"
#include "TestPaths.h"

namespace {

CFakeCompilers& Fakes()
{
    static CFakeCompilers fakes;
    return fakes;
}

class ShaderViewTest : public ::testing::Test
{
protected:
    // Compiles run on the editor controller's worker for the whole program; it ends once, here,
    // while the application still runs.
    static void TearDownTestSuite() { CShaderEditController::Shutdown(); }

    void SetUp() override
    {
        FreshConfigHome();
        CCompiler::ProbeLimit().milliseconds = 10000;   // the probes must not fail on a loaded machine
        {
            CXQFPreferences store(CXQFTString("XQFTraceGuiQT"), CXQFPreferences::kScopeUser);
            CXQFTString errors;
            ASSERT_TRUE(store.Load(errors, false));
            store.SetString("OptGen_shaderCompilerPath", Fakes().Path("ok").c_str());
            ASSERT_TRUE(store.Save(true));
        }
        c = CTraceController::Instance();
        c->Shutdown();
        c->SetLoader(nullptr);
        ScriptPrompts(&shown);
        c->Init(nullptr, nullptr);
        window = std::make_unique<XQFTraceGui_Qt>();
        window->show();
        viewer = window->findChild<CShaderViewerWidget*>();
        list = window->findChild<CShaderListWidget*>();
        ASSERT_TRUE(viewer && list);
        panel = viewer->Editor()->GetCurrentPanel();
        c->SLTOpenTrace(TracePath("good.xqft"));
    }
    void TearDown() override
    {
        window.reset();
        c->Shutdown();
    }

    // The shader rows of the list (their glShaderSource call numbers), in list order.
    std::vector<QTreeWidgetItem*> ShaderRows() const
    {
        std::vector<QTreeWidgetItem*> rows;
        QTreeWidget* tree = list->Tree();
        for (int i = 0; i < tree->topLevelItemCount(); ++i)
            for (int j = 0; j < tree->topLevelItem(i)->childCount(); ++j)
                rows.push_back(tree->topLevelItem(i)->child(j));
        return rows;
    }
    void Choose(QTreeWidgetItem* row) { Q_EMIT list->Tree()->itemClicked(row, 0); }
    std::vector<int> Counts() const
    {
        const CXQFTArray<int>& counts = panel->GetCycleCounts();
        return std::vector<int>(counts.data, counts.data + counts.size);
    }
    // Whether some character of the text has the keyword colour, read from the line layouts.
    bool HasKeywordColour() const
    {
        for (QTextBlock b = panel->document()->begin(); b.isValid(); b = b.next())
            for (const QTextLayout::FormatRange& r : b.layout()->formats())
                if (r.format.foreground().color() == QColor(0, 0, 255))
                    return true;
        return false;
    }

    CTraceController* c = nullptr;
    std::vector<SShown> shown;
    std::unique_ptr<XQFTraceGui_Qt> window;
    CShaderViewerWidget* viewer = nullptr;
    CShaderListWidget* list = nullptr;
    CShaderEditPanel* panel = nullptr;
};

TEST_F(ShaderViewTest, ChosenShadersShowHighlightedWithTheCompilersCounts)
{
    EXPECT_EQ(c->Options().ShaderCompilerPath().toStdString(), Fakes().Path("ok"));
    const std::vector<QTreeWidgetItem*> rows = ShaderRows();
    ASSERT_EQ(rows.size(), 2u);
    QString previous;
    for (QTreeWidgetItem* row : rows) {
        Choose(row);
        const QString text = panel->toPlainText();
        EXPECT_NE(text, previous) << "the text is replaced";
        EXPECT_TRUE(text.contains("void main()"));
        EXPECT_TRUE(panel->isReadOnly());
        EXPECT_TRUE(CShaderEditController::SupportsBackgroundCompile(panel->GetDocType())) << panel->GetDocType();
        ASSERT_TRUE(WaitFor([&] { return Counts() == OkCounts(text); }))
            << "counts " << Counts().size() << " for " << text.toStdString();
        EXPECT_TRUE(HasKeywordColour());
        previous = text;
    }
}

TEST_F(ShaderViewTest, AHungCompilerKeepsTheWindowResponsiveAndTheNextChoiceCancelsIt)
{
    c->Options().SetShaderCompilerPath(QString::fromStdString(Fakes().Path("hang")));
    viewer->SLTUpdateCompiler();   // as the preferences dialog's accept does
    const std::vector<QTreeWidgetItem*> rows = ShaderRows();
    ASSERT_EQ(rows.size(), 2u);
    const size_t before = Fakes().Pids().size();
    QElapsedTimer stall;
    stall.start();
    Choose(rows[0]);
    EXPECT_LT(stall.elapsed(), 20000) << "the compile runs on the worker (a hung one here, for a minute)";
    ASSERT_TRUE(WaitFor([&] { return Fakes().Pids().size() > before; }));
    const pid_t hung = Fakes().Pids().back();
    bool ticked = false;
    QTimer::singleShot(50, [&] { ticked = true; });
    EXPECT_TRUE(WaitFor([&] { return ticked; }, 5000)) << "the event loop runs while the compiler hangs";

    Choose(rows[1]);
    EXPECT_TRUE(WaitFor([&] { return kill(hung, 0) != 0; })) << "the first compile's child is killed";
    EXPECT_TRUE(Counts().empty());

    // The second hung compile would hold the one worker into the next test: a good compiler's
    // run cancels it.
    c->Options().SetShaderCompilerPath(QString::fromStdString(Fakes().Path("ok")));
    viewer->SLTUpdateCompiler();
    Choose(rows[0]);
    EXPECT_TRUE(WaitFor([&] { return !Counts().empty(); }));
}

TEST_F(ShaderViewTest, AMultiStringSourceShowsAsGivenAndTheCompileRoadPassesIt)
{
    if (system("command -v glslangValidator >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "glslangValidator is not installed (Debian package glslang-tools)";
    c->Options().SetShaderCompilerPath(QString::fromStdString(BinaryDir() + "/bin/xqf-glsl-check"));
    viewer->SLTUpdateCompiler();
    c->SLTOpenTrace(TracePath("multistring.xqft"));
    // make_traces.py's strings joined as glShaderSource takes them: lengths cut the second
    // fragment string short, the third ends at its NUL, the vertex strings have no lengths.
    const QString vertex = "attribute vec4 p;\nvarying vec2 uv;\nvoid main()\n{\n    uv = p.xy;\n"
                           "    gl_Position = p;\n}\n";
    const QString fragment = "precision mediump float;\nuniform vec4 tint;\nvarying vec2 uv;\nvoid main()\n{\n"
                             "    gl_FragColor = tint * vec4(uv, 1.0, 1.0);\n}\n";
    const std::vector<QTreeWidgetItem*> rows = ShaderRows();
    ASSERT_EQ(rows.size(), 3u) << "shader 22, attached twice, is listed once with its two sources";
    const QStringList texts = {vertex, fragment, fragment};
    std::vector<SCompileResult> results;
    const QMetaObject::Connection reports =
        QObject::connect(CShaderEditController::Instance(), &CShaderEditController::CompileProfileChanged,
                         [&](const SCompileResult& r) { results.push_back(r); });
    for (size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(rows[i]->text(0).toStdString());
        results.clear();
        Choose(rows[i]);
        EXPECT_EQ(panel->toPlainText(), texts[int(i)]);
        // The stage is the shader's own: the vertex source has no precision qualifier to tell it by.
        EXPECT_EQ(panel->GetDocType(), uint32_t(i == 0 ? eShaderDocGLSLESVertex : eShaderDocGLSLESFragment));
        ASSERT_TRUE(WaitFor([&] { return !results.empty(); })) << "the background compile reports";
        EXPECT_EQ(results.back().status, uint32_t(SCompileResult::kSuccess)) << results.back().output.CStr();
    }
    QObject::disconnect(reports);
}

// The viewer with no compiler of its own compiles with the shipped checker: a fragment shader
// broken at line 14 shows its errors on that line and its warning on line 1, the messages under
// the text (a click goes to the line) and "2 errors, 1 warning" in the caption; the shader that
// compiles then shows "Compiled" with no mark left.
TEST_F(ShaderViewTest, ABrokenShaderShowsItsMessagesOnTheirLinesAndTheResult)
{
    if (system("command -v glslangValidator >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "glslangValidator is not installed (Debian package glslang-tools)";
    c->Options().SetShaderCompilerPath(QString());
    EXPECT_EQ(c->Options().ShaderCompilerPath(), QCoreApplication::applicationDirPath() + "/xqf-glsl-check");
    viewer->SLTUpdateCompiler();
    c->SLTOpenTrace(TracePath("brokenshader.xqft"));
    const std::vector<QTreeWidgetItem*> rows = ShaderRows();
    ASSERT_EQ(rows.size(), 2u);
    QLabel* result = viewer->CompileResultLabel();
    QListWidget* messages = viewer->Messages();
    // Marked lines (1-based) as the extra selections give them.
    auto marked = [&] {
        std::vector<int> lines;
        for (const QTextEdit::ExtraSelection& s : panel->extraSelections())
            if (s.format.property(QTextFormat::FullWidthSelection).toBool())
                lines.push_back(s.cursor.blockNumber() + 1);
        return lines;
    };

    Choose(rows[1]);
    ASSERT_EQ(panel->GetDocType(), uint32_t(eShaderDocGLSLESFragment));
    ASSERT_TRUE(WaitFor([&] { return result->text() != "Compiling..."; })) << result->text().toStdString();
    EXPECT_EQ(result->text(), "2 errors, 1 warning");
    EXPECT_EQ(marked(), (std::vector<int>{1, 14}));
    ASSERT_EQ(panel->MessagesOfLine(14).size(), 2);
    EXPECT_TRUE(panel->MessagesOfLine(14)[0].contains("'brightness' : undeclared identifier"));
    EXPECT_TRUE(panel->MessagesOfLine(1)[0].startsWith("WARNING: 0:1:"));
    EXPECT_TRUE(panel->MessagesOfLine(13).isEmpty());
    EXPECT_FALSE(messages->isHidden());
    ASSERT_EQ(messages->count(), 3);
    EXPECT_EQ(messages->item(1)->text(), panel->MessagesOfLine(14)[0]);
    Q_EMIT messages->itemClicked(messages->item(1));
    EXPECT_EQ(panel->textCursor().blockNumber() + 1, 14);

    Choose(rows[0]);
    ASSERT_TRUE(WaitFor([&] { return result->text() != "Compiling..."; }));
    EXPECT_EQ(result->text(), "Compiled");
    EXPECT_TRUE(marked().empty());
    EXPECT_TRUE(messages->isHidden());
}

} // namespace

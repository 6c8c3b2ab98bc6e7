// The shader editor through a scripted host: new-file numbering, comment and indentation
// commands, opening, saving and closing tabs, cursor matches, printing, and the meta-object
// interface of the editor's four classes.
#include "ShaderEditPanel.h"
#include "ShaderEditor.h"
#include "ShaderHighlighter.h"
#include "WidgetsTestSupport.h"

#include <QFile>
#include <QMetaMethod>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

// These tests run no compiler: a selection that names none makes every compile end at once.
class CNoCompiler : public ::testing::Environment
{
public:
    void SetUp() override
    {
        WidgetsApp();
        Settings::SCompiler s = CShaderEditController::Instance()->GetCompilerSettings();
        s.CompilerSelection = 99;
        CShaderEditController::Instance()->SetCompilerSettings(s, Settings::eCompilerSelection);
    }
};
const auto* const kNoCompiler = ::testing::AddGlobalTestEnvironment(new CNoCompiler);

std::string ReadBytes(const std::string& path)
{
    QFile f(QString::fromStdString(path));
    return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string("<unreadable>");
}

class CEditorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        WidgetsApp();
        editor = std::make_unique<CShaderEditor>();
        editor->resize(600, 400);
    }
    // The tabbed form with the fake host.
    void Tabbed()
    {
        tabs = new QTabWidget;
        editor->SetTabWidget(tabs);
        editor->SetHost(&host);
        editor->show();
        QCoreApplication::processEvents();
    }
    CShaderEditPanel* Panel(int index) const { return editor->PanelOfTab(index); }
    void Type(CShaderEditPanel* panel, const char* text) { QTest::keyClicks(panel, text); }
    std::vector<std::string> TabTexts() const
    {
        std::vector<std::string> texts;
        for (int i = 0; i < tabs->count(); ++i)
            texts.push_back(tabs->tabText(i).toStdString());
        return texts;
    }

    CFakeHost host;
    CTempFolder dir;
    std::unique_ptr<CShaderEditor> editor;
    QTabWidget* tabs = nullptr;
};

TEST_F(CEditorTest, NewFilesAreNumberedAfterTheLastNewTab)
{
    Tabbed();
    QSignalSpy state(editor.get(), &CShaderEditor::StateChanged);
    const struct
    {
        std::vector<const char*> before;
        const char* next;
    } kCases[] = {
        {{}, "New File"},
        {{"New File"}, "New File (1)"},
        {{"New File", "New File (4)"}, "New File (5)"},
        {{"New File (4)", "New File"}, "New File (1)"},
        {{"My New File.vsh"}, "New File (1)"},
        {{"shader.vsh"}, "New File"},
        {{"New File (99999999999999999999)"}, "New File (1)"},
    };
    for (const auto& c : kCases) {
        while (tabs->count())
            delete tabs->widget(0);
        for (const char* text : c.before)
            editor->AddTab(text, nullptr, CXQFTString(), eShaderDocGLSLESVertex);
        editor->OnNewFile(eShaderDocGLSLESFragment);
        EXPECT_EQ(TabTexts().back(), c.next) << (c.before.empty() ? "" : c.before.back());
        EXPECT_EQ(Panel(tabs->count() - 1)->GetDocType(), eShaderDocGLSLESFragment);
    }
    // The modified mark does not hide the number.
    while (tabs->count())
        delete tabs->widget(0);
    for (int i = 0; i < 3; ++i)
        editor->OnNewFile(eShaderDocGLSLESVertex);
    Type(Panel(tabs->count() - 1), "x");
    EXPECT_EQ(TabTexts().back(), "New File (2) *");
    editor->OnNewFile(eShaderDocGLSLESVertex);
    EXPECT_EQ(TabTexts().back(), "New File (3)");
    EXPECT_EQ(tabs->currentIndex(), tabs->count() - 1);
    Panel(tabs->count() - 2)->ClearModified();
    EXPECT_EQ(TabTexts()[size_t(tabs->count() - 2)], "New File (2)");
    EXPECT_GE(state.count(), 1);
    EXPECT_EQ(state.at(0).at(0).toInt(), 2);
}

struct SEditCase
{
    const char* what;
    void (CShaderEditor::*command)();
    bool spaces;              // "Editor/TreatTabAsSpace" on, unit of 4
    const char* before;       // two '|' mark the selection
    const char* after;
};

const SEditCase kEditCases[] = {
    {"comment within a line", &CShaderEditor::OnCommentSelection, false, "a|bc|d", "a/*bc*/d"},
    {"comment lines, the fourth only touched at its start", &CShaderEditor::OnCommentSelection, false,
     "|l1\nl2\nl3\n|l4", "//l1\n//l2\n//l3\nl4"},
    {"comment partly selected lines", &CShaderEditor::OnCommentSelection, false, "x|1\n2|y", "//x1\n//2y"},
    {"no selection: nothing", &CShaderEditor::OnCommentSelection, false, "a||b", "ab"},
    {"uncomment a block comment selected with its markers", &CShaderEditor::OnUncommentSelection, false,
     "a|/*bc*/|d", "abcd"},
    {"uncomment the text between the markers", &CShaderEditor::OnUncommentSelection, false, "a/*|bc|*/d", "abcd"},
    {"uncomment without markers: nothing", &CShaderEditor::OnUncommentSelection, false, "a|bc|d", "abcd"},
    {"uncomment overlapping markers: nothing", &CShaderEditor::OnUncommentSelection, false, "|/*/|", "/*/"},
    {"uncomment lines that begin with //", &CShaderEditor::OnUncommentSelection, false, "|//a\n  //b\n//c|",
     "a\n  //b\nc"},
    {"indent every line, empty ones too", &CShaderEditor::OnOutdentSelection, false, "|a\n\nb|", "\ta\n\t\n\tb"},
    {"indent with spaces", &CShaderEditor::OnOutdentSelection, true, "x\n|a|", "x\n    a"},
    {"outdent tabs, skipping empty lines and leaving blanks", &CShaderEditor::OnIndentSelection, false,
     "|\ta\n\n  b\n\t\tc|", "a\n\n  b\n\tc"},
    {"outdent spaces: a short run stays", &CShaderEditor::OnIndentSelection, true, "|    a\n  b\n\tc|",
     "a\n  b\nc"},
};

TEST_F(CEditorTest, CommentAndIndentationCommands)
{
    CShaderEditPanel* panel = editor->GetCurrentPanel();
    ASSERT_EQ(panel, editor->GetEmbeddedPanel());
    for (const SEditCase& c : kEditCases) {
        ChangeEditorSettings(Settings::eEditorTreatTabAsSpace | Settings::eEditorTabSpaceSize,
                             [&](Settings::SEditor& s) {
                                 s.TreatTabAsSpace = c.spaces;
                                 s.TabSpaceSize = 4;
                             });
        QString text = QString::fromUtf8(c.before);
        const int s = int(text.indexOf('|'));
        const int e = int(text.indexOf('|', s + 1)) - 1;
        text.remove('|');
        editor->SetContents(text.toUtf8().constData(), false);
        QTextCursor cursor = panel->textCursor();
        cursor.setPosition(s);
        cursor.setPosition(e, QTextCursor::KeepAnchor);
        panel->setTextCursor(cursor);
        (editor.get()->*c.command)();
        EXPECT_EQ(panel->toPlainText().toStdString(), c.after) << c.what;
        if (panel->document()->availableUndoSteps() > 0) {
            panel->undo();
            EXPECT_EQ(panel->toPlainText(), text) << c.what << ": one undo step";
        }
    }
    editor->SetContents("a\nb", true);
    editor->OnSelectAll();
    editor->OnCommentSelection();
    editor->OnOutdentSelection();
    editor->OnDelete();
    EXPECT_EQ(panel->toPlainText().toStdString(), "a\nb") << "a read-only panel is not edited";
    ChangeEditorSettings(Settings::eEditorTreatTabAsSpace, [](Settings::SEditor& s) { s.TreatTabAsSpace = false; });
}

TEST_F(CEditorTest, EmbeddedContentsAreReadOnlyAndDetected)
{
    editor->SetContents("precision mediump float;\nvoid main() { gl_FragColor = vec4(1.0); }", true);
    CShaderEditPanel* panel = editor->GetCurrentPanel();
    EXPECT_TRUE(panel->isReadOnly());
    EXPECT_EQ(panel->GetDocType(), eShaderDocGLSLESFragment);
    editor->SetContents("attribute highp vec4 p;\nvoid main() { gl_Position = p; }", false);
    EXPECT_FALSE(panel->isReadOnly());
    EXPECT_EQ(panel->GetDocType(), eShaderDocGLSLESVertex);
    EXPECT_EQ(editor->objectName(), "ShaderEditor");
    EXPECT_EQ(panel->objectName(), "EditPanel");
}

TEST_F(CEditorTest, CursorMatchesAreWholeWordsOfLetters)
{
    editor->SetContents("vec4 a; vec4x b;\nvec4 c = 123;", false);
    CShaderEditPanel* panel = editor->GetCurrentPanel();
    auto moveTo = [&](int position) {
        QTextCursor cursor = panel->textCursor();
        cursor.setPosition(position);
        panel->setTextCursor(cursor);
    };
    moveTo(2);
    QMetaObject::invokeMethod(editor.get(), "OnHighlightCursorMatches");
    const QList<QTextEdit::ExtraSelection>& matches = panel->GetHighlights(0);
    ASSERT_EQ(matches.size(), 2);
    EXPECT_EQ(matches[0].cursor.selectionStart(), 0);
    EXPECT_EQ(matches[1].cursor.selectionStart(), 17);
    EXPECT_EQ(matches[0].format.background().color(),
              CShaderEditController::Instance()->GetEditorSettings().CursorMatchColour);

    moveTo(27);   // inside 123
    QMetaObject::invokeMethod(editor.get(), "OnHighlightCursorMatches");
    EXPECT_TRUE(panel->GetHighlights(0).isEmpty()) << "a number clears the matches";

    moveTo(10);   // in vec4x, through the 100 ms timer
    for (int i = 0; i < 100 && panel->GetHighlights(0).size() != 1; ++i)
        QTest::qWait(50);
    EXPECT_EQ(panel->GetHighlights(0).size(), 1);
}

TEST_F(CEditorTest, OpeningAFileTwiceGivesOneTab)
{
    Tabbed();
    const std::string path = dir.Write("a.fsh", "void main() { gl_FragColor = vec4(1.0); }\n");
    QSignalSpy opened(editor.get(), &CShaderEditor::FileOpened);
    EXPECT_TRUE(editor->OnOpenFile(QString::fromStdString(path)));
    editor->OnNewFile(eShaderDocGLSLESVertex);
    EXPECT_TRUE(editor->OnOpenFile(QString::fromStdString(path)));
    EXPECT_EQ(tabs->count(), 2);
    EXPECT_EQ(tabs->currentIndex(), 0);
    EXPECT_EQ(opened.count(), 1);
    EXPECT_EQ(TabTexts()[0], "a.fsh");
    EXPECT_EQ(tabs->tabToolTip(0).toStdString(), path);
    EXPECT_EQ(Panel(0)->GetDocType(), eShaderDocGLSLESFragment);
    EXPECT_FALSE(Panel(0)->IsModified());
    EXPECT_EQ(Panel(0)->textCursor().position(), 0);

    host.openPath = path;
    EXPECT_TRUE(editor->OnOpenFile());
    host.openPath.clear();
    EXPECT_TRUE(editor->OnOpenFile()) << "cancelled";
    EXPECT_EQ(tabs->count(), 2);
}

TEST_F(CEditorTest, FilesKeepTheirBytesWhenSavedUnchanged)
{
    Tabbed();
    const struct
    {
        const char* name;
        std::string bytes;
    } kFiles[] = {
        {"utf8.vsh", "// caf\xc3\xa9 \xe2\x82\xac\nvoid main() {}\n"},
        {"latin1.vsh", "// caf\xe9 \xa0 \xff\nvoid main() {}\n"},
        {"invalid.vsh", std::string("// \xc3\x28 \xed\xa0\x80 \xf8\x88\x80\x80\x80\nvoid main() {}\n")},
        {"bom-crlf.vsh", "\xef\xbb\xbf// x\r\nvoid main() {}\r\n"},
        {"no-newline.vsh", "void main() {}"},
    };
    for (const auto& f : kFiles) {
        const std::string path = dir.Write(f.name, f.bytes);
        ASSERT_TRUE(editor->OnOpenFile(QString::fromStdString(path)));
        ASSERT_TRUE(editor->OnSaveCurrentTab());
        EXPECT_EQ(ReadBytes(path), f.bytes) << f.name;
    }
    // A Latin-1 document that gains a character beyond Latin-1 is saved as UTF-8, not as '?'.
    tabs->setCurrentIndex(1);
    QTextCursor cursor(Panel(1)->document());
    cursor.insertText(QString::fromUtf8("\xe2\x82\xac"));
    ASSERT_TRUE(editor->OnSaveCurrentTab());
    EXPECT_EQ(ReadBytes(dir.File("latin1.vsh")), "\xe2\x82\xac// caf\xc3\xa9 \xc2\xa0 \xc3\xbf\nvoid main() {}\n");
    EXPECT_TRUE(host.errors.empty());
}

TEST_F(CEditorTest, DirectoriesAndFifosAreReportedNotRead)
{
    Tabbed();
    const std::string fifo = dir.File("pipe.vsh");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(editor->OnOpenFile(QString::fromStdString(dir.Path())));
    EXPECT_FALSE(editor->OnOpenFile(QString::fromStdString(fifo)));
    EXPECT_FALSE(editor->OnOpenFile(QString::fromStdString(dir.File("missing.vsh"))));
    ASSERT_EQ(host.errors.size(), 3u);
    for (const std::string& e : host.errors)
        EXPECT_NE(e.find("Failed to open file:"), std::string::npos) << e;
    EXPECT_EQ(tabs->count(), 0);
}

TEST_F(CEditorTest, ClosingAModifiedTabAsksAndKeepsWhatIsNotSaved)
{
    Tabbed();
    QSignalSpy state(editor.get(), &CShaderEditor::StateChanged);
    const std::string path = dir.Write("s.vsh", "void main() {}\n");
    ASSERT_TRUE(editor->OnOpenFile(QString::fromStdString(path)));
    Type(Panel(0), "x");

    host.answer = QMessageBox::Cancel;
    editor->OnCloseCurrentTab();
    EXPECT_EQ(tabs->count(), 1);

    host.answer = QMessageBox::Save;   // the save fails: the tab and its edits stay
    ASSERT_TRUE(QFile::remove(QString::fromStdString(path)));
    ASSERT_EQ(mkdir(path.c_str(), 0700), 0);
    editor->OnCloseCurrentTab();
    EXPECT_EQ(tabs->count(), 1);
    EXPECT_EQ(host.errors.size(), 1u);
    ASSERT_EQ(rmdir(path.c_str()), 0);
    editor->OnCloseCurrentTab();   // now it saves and closes
    EXPECT_EQ(tabs->count(), 0);
    EXPECT_EQ(ReadBytes(path), "xvoid main() {}\n");
    EXPECT_EQ(host.asked, 3);
    ASSERT_EQ(state.count(), 2);
    EXPECT_EQ(state.at(1).at(0).toInt(), 1);

    editor->OnNewFile(eShaderDocGLSLESVertex);   // Save on a new file: Save As, cancelled
    Type(Panel(0), "y");
    editor->OnCloseCurrentTab();
    EXPECT_EQ(tabs->count(), 1);

    host.answer = QMessageBox::Discard;
    editor->OnCloseCurrentTab();
    EXPECT_EQ(tabs->count(), 0);
    EXPECT_TRUE(editor->OnCloseAllTabs());
}

TEST_F(CEditorTest, CloseAllStopsAtTheFirstCancel)
{
    Tabbed();
    for (int i = 0; i < 3; ++i)
        editor->OnNewFile(eShaderDocGLSLESVertex);
    Type(Panel(1), "x");
    host.answer = QMessageBox::Cancel;
    EXPECT_FALSE(editor->OnCloseAllTabs());
    EXPECT_EQ(TabTexts(), std::vector<std::string>({"New File (1) *", "New File (2)"}));
    host.answer = QMessageBox::Discard;
    EXPECT_TRUE(editor->OnCloseAllTabs());
    EXPECT_EQ(tabs->count(), 0);
}

TEST_F(CEditorTest, MiddleClickClosesAndAsksAboutModifiedTabs)
{
    Tabbed();
    auto middleClose = [](bool on) {
        ChangeEditorSettings(Settings::eEditorCloseTabsMiddleMouse, [&](Settings::SEditor& s) { s.CloseTabsMiddleMouse = on; });
    };
    middleClose(true);
    editor->OnNewFile(eShaderDocGLSLESVertex);
    editor->OnNewFile(eShaderDocGLSLESVertex);
    Type(Panel(0), "x");
    QTabBar* bar = tabs->tabBar();
    host.answer = QMessageBox::Cancel;
    QTest::mouseClick(bar, Qt::MiddleButton, {}, bar->tabRect(0).center());
    EXPECT_EQ(host.asked, 1);
    EXPECT_EQ(tabs->count(), 2);
    QTest::mouseClick(bar, Qt::MiddleButton, {}, bar->tabRect(1).center());
    EXPECT_EQ(host.asked, 1) << "an unmodified tab closes without a question";
    EXPECT_EQ(TabTexts(), std::vector<std::string>({"New File *"}));

    middleClose(false);
    Panel(0)->ClearModified();
    QTest::mouseClick(bar, Qt::MiddleButton, {}, bar->tabRect(0).center());
    EXPECT_EQ(tabs->count(), 1) << "the setting is off";
}

TEST_F(CEditorTest, SaveAllSavesEveryTabAndReportsFailures)
{
    Tabbed();
    const std::string path = dir.Write("a.vsh", "a\n");
    ASSERT_TRUE(editor->OnOpenFile(QString::fromStdString(path)));
    editor->OnNewFile(eShaderDocGLSLESVertex);
    Type(Panel(0), "x");
    Type(Panel(1), "y");
    host.savePath = dir.File("new.vsh");
    EXPECT_TRUE(editor->OnSaveAllTabs());
    EXPECT_EQ(ReadBytes(path), "xa\n");
    EXPECT_EQ(ReadBytes(host.savePath), "y");
    EXPECT_EQ(TabTexts(), std::vector<std::string>({"a.vsh", "new.vsh"}));

    Type(Panel(1), "z");
    host.savePath.clear();
    ASSERT_TRUE(QFile::remove(QString::fromStdString(path)));
    ASSERT_EQ(mkdir(path.c_str(), 0700), 0);   // the first tab's file can no longer be written
    EXPECT_FALSE(editor->OnSaveAllTabs());
    EXPECT_EQ(ReadBytes(dir.File("new.vsh")), "yz") << "a failure does not stop the others";
    EXPECT_EQ(host.errors.size(), 1u);
}

TEST_F(CEditorTest, FindResultsCursorSignalsAndCurrentTab)
{
    Tabbed();
    editor->OnNewFile(eShaderDocGLSLESVertex);
    editor->OnNewFile(eShaderDocGLSLESVertex);
    CShaderEditPanel* panel = Panel(1);
    panel->insertPlainText("ab\ncdef");
    QSignalSpy line(editor.get(), &CShaderEditor::LineChanged), column(editor.get(), &CShaderEditor::ColChanged);
    QTextCursor cursor = panel->textCursor();
    cursor.setPosition(5);
    cursor.setPosition(6, QTextCursor::KeepAnchor);
    panel->setTextCursor(cursor);
    ASSERT_GE(line.count(), 1);
    EXPECT_EQ(line.last().at(0).toInt(), 2);
    EXPECT_EQ(column.last().at(0).toInt(), 4);
    EXPECT_EQ(editor->GetSelectedText().toStdString(), "e");
    EXPECT_EQ(editor->GetTextEdit(), panel);
    EXPECT_EQ(editor->GetFindResultFormat().background().color(),
              CShaderEditController::Instance()->GetEditorSettings().FindResultColour);

    QTextEdit::ExtraSelection found{cursor, editor->GetFindResultFormat()};
    editor->SetFindResults({found});
    EXPECT_EQ(panel->GetHighlights(1).size(), 1);
    ChangeEditorSettings(Settings::eEditorHighlightFind, [](Settings::SEditor& s) { s.HighlightFindResults = false; });
    EXPECT_TRUE(panel->GetHighlights(1).isEmpty()) << "switching it off clears them";
    editor->SetFindResults({found});
    EXPECT_TRUE(panel->GetHighlights(1).isEmpty());
    ChangeEditorSettings(Settings::eEditorHighlightFind, [](Settings::SEditor& s) { s.HighlightFindResults = true; });

    QSignalSpy ids(editor.get(), qOverload<CXQFTHash>(&CShaderEditor::PanelChanged));
    tabs->setCurrentIndex(0);
    ASSERT_EQ(ids.count(), 1);
    EXPECT_EQ(ids.at(0).at(0).value<CXQFTHash>(), Panel(0)->GetPanelId());
    editor->OnFileTypeChanged(eShaderDocGLSLESFragment);
    EXPECT_EQ(Panel(0)->GetDocType(), eShaderDocGLSLESFragment);
}

TEST_F(CEditorTest, PrintsThroughTheHostAndIgnoresClosedPanelsCounts)
{
    Tabbed();
    editor->OnNewFile(eShaderDocGLSLESVertex);
    Type(Panel(0), "void main() {}");
    host.printPath = dir.File("out.pdf");
    editor->OnPrint();
    EXPECT_GT(QFileInfo(QString::fromStdString(host.printPath)).size(), 0);

    const CXQFTHash id = Panel(0)->GetPanelId();
    host.answer = QMessageBox::Discard;
    editor->OnCloseCurrentTab();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    CXQFTArray<int> counts;
    counts.Append(3);
    Q_EMIT CShaderEditController::Instance()->CompileCycleCountChanged(id, counts);   // nobody left to show it
    EXPECT_EQ(tabs->count(), 0);
}

std::vector<std::string> Signatures(const QMetaObject& mo)
{
    std::vector<std::string> list;
    for (int i = mo.methodOffset(); i < mo.methodCount(); ++i)
        list.push_back(mo.method(i).methodSignature().toStdString());
    return list;
}

TEST(ShaderEditorInterface, MetaObjectOrderIsTheInterface)
{
    using V = std::vector<std::string>;
    EXPECT_EQ(Signatures(CShaderHighlightController::staticMetaObject),
              V({"SyntaxColoursChanged()", "FontChanged(QFont)", "OnSyntaxColourChanged(uint,QTextCharFormat)",
                 "OnSetFont(QFont)"}));
    EXPECT_EQ(Signatures(CShaderHighlighter::staticMetaObject), V({"RequestDocumentType(CShaderHighlighter*)"}));
    EXPECT_EQ(Signatures(CShaderEditPanel::staticMetaObject),
              V({"RequestClose()", "OutdentSelection()",
                 "RecompileContents(CXQFTHash,QString,EShaderDocType,ECompileInvocationType)",
                 "PopulateVTLJumpList(QList<CVTLJumpList::SDesc>)", "CancelCompile(CXQFTHash)",
                 "FilenameChanged(QString)", "UpdateLineNumberArea(QRect,int)", "OnTextChanged(int,int,int)",
                 "OnRequestDocumentType(CShaderHighlighter*)",
                 "OnCompileCycleCountChanged(CXQFTHash,CXQFTArray<int>)", "OnFontChanged(QFont)",
                 "OnCompilerSettingsChanged(Settings::SCompiler,uint)", "OnCompileResultChanged(CXQFTHash,SCompileResult)"}));
    EXPECT_EQ(Signatures(CShaderEditor::staticMetaObject),
              V({"LineChanged(int)", "ColChanged(int)", "StateChanged(int)", "FileOpened(QString)",
                 "PanelChanged(CXQFTHash)", "PanelChanged(const CShaderEditPanel*)", "OnCloseTabRequest(int)",
                 "OnPanelContentChanged(bool)", "OnPanelCursorPositionChanged()",
                 "OnPanelCursorPositionChanged(QTextCursor)", "OnPanelChanged(int)", "OnPanelFilenameChanged(QString)",
                 "OnEditorSettingsChanged(Settings::SEditor)", "OnHighlightCursorMatches()",
                 "OnNewFile(EShaderDocType)", "OnOpenFile()", "OnOpenFile(QString)", "OnSaveCurrentTab()",
                 "OnSaveCurrentTabAs()", "OnSaveAllTabs()", "OnCloseCurrentTab()", "OnCloseAllTabs()", "OnUndo()",
                 "OnRedo()", "OnCut()", "OnCopy()", "OnPaste()", "OnDelete()", "OnSelectAll()", "OnPrint()",
                 "OnCommentSelection()", "OnUncommentSelection()", "OnIndentSelection()", "OnOutdentSelection()",
                 "OnFileTypeChanged(EShaderDocType)"}));
}

} // namespace

// The shader editor's controller: settings in its store, probes, background compiles on the
// worker thread, cancels, the meta-object interface and the exit step. One process, one
// controller: the tests run in order and the exit step comes last.
#include "CompileTestSupport.h"
#include "ShaderEditController.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QMetaMethod>

#include <csignal>
#include "TestPaths.h"

namespace {

const auto* const kQtEnvironment = ::testing::AddGlobalTestEnvironment(new CQtTestEnvironment);

CTempFolder& ConfigHome()
{
    static CTempFolder folder;
    return folder;
}

CFakeCompilers& Fakes()
{
    static CFakeCompilers fakes;
    return fakes;
}

CShaderEditController* Controller()
{
    static bool once = [] {
        setenv("XDG_CONFIG_HOME", ConfigHome().Path().c_str(), 1);
        // Probes of the fakes must not fail on a loaded machine (sanitizers, parallel tests):
        // only the test of the probe limit shortens it.
        CCompiler::ProbeLimit().milliseconds = 10000;
        return true;
    }();
    (void)once;
    return CShaderEditController::Instance();
}

void UseCompiler(const std::string& path)
{
    Settings::SCompiler s = Controller()->GetCompilerSettings();
    s.CustomCompilerPath = path.c_str();
    s.CompilerSelection = 4;
    QMetaObject::invokeMethod(Controller(), "SetCompilerSettings", Q_ARG(Settings::SCompiler, s), Q_ARG(unsigned int, 130u));
}

void Request(const CXQFTHash& panel, const QString& text, ECompileInvocationType how)
{
    QMetaObject::invokeMethod(Controller(), "OnCancelCompile", Q_ARG(CXQFTHash, panel));
    QMetaObject::invokeMethod(Controller(), "OnCompilePanel", Q_ARG(CXQFTHash, panel), Q_ARG(QString, text),
                              Q_ARG(EShaderDocType, eShaderDocGLSLESVertex), Q_ARG(ECompileInvocationType, how));
}

std::string ReadPlist(const std::string& key)
{
    const std::string file = ConfigHome().Path() + "/Orvistaline Technologies/XQFShaderEditor.plist";
    const std::string cmd = "/usr/bin/python3 -c \"import plistlib,sys; d=plistlib.load(open(sys.argv[1],'rb')); "
                            "v=d; [v:=v[k] for k in sys.argv[2].split('/')]; print(repr(v))\" '" + file + "' '" + key + "'";
    std::string out;
    if (FILE* p = popen(cmd.c_str(), "r")) {
        char buf[256];
        while (fgets(buf, sizeof buf, p))
            out += buf;
        pclose(p);
    }
    while (!out.empty() && out.back() == '\n')
        out.pop_back();
    return out;
}

} // namespace

TEST(ShaderEditController, FirstStartHasTheDefaults)
{
    CShaderEditController* c = Controller();
    const Settings::SCompiler& s = c->GetCompilerSettings();
    EXPECT_TRUE(s.AutoCompile);
    EXPECT_TRUE(s.ShouldFormat);
    EXPECT_EQ(s.CompilerSelection, 0u);
    EXPECT_STREQ(s.TempDirectory.CStr(), QDir::tempPath().toLocal8Bit().constData());
    EXPECT_EQ(s.WarningFormat.foreground().color().rgb(), 0xFFE25A00u);
    EXPECT_EQ(s.ErrorFormat.foreground().color().rgb(), 0xFFFF0000u);
    EXPECT_EQ(c->GetEditorSettings().TabSpaceSize, 4u);
    EXPECT_EQ(c->GetEditorSettings().CursorMatchColour.rgb(), 0xFFC4FFFFu);
    EXPECT_EQ(c->GetEditorSettings().FindResultColour.rgb(), 0xFFFFFF80u);
    EXPECT_EQ(std::string(c->GetCompilerPath().CStr()), BinaryDir() + "/bin/xqf-glsl-check");
    EXPECT_TRUE(CShaderEditController::SupportsBackgroundCompile(1));
    EXPECT_TRUE(CShaderEditController::SupportsBackgroundCompile(16));
    EXPECT_FALSE(CShaderEditController::SupportsBackgroundCompile(32));
    EXPECT_TRUE(c->GetFullFilter().startsWith("All supported formats (*.txt *.vsh *.fsh "));
    EXPECT_NE(CShaderEditController::MakePanelHash(""), CShaderEditController::MakePanelHash(""));
}

TEST(ShaderEditController, SettersStoreTheirKeysAndSignalTheMask)
{
    CShaderEditController* c = Controller();
    QSignalSpy compiler(c, &CShaderEditController::CompilerSettingsChanged);
    QSignalSpy editor(c, &CShaderEditController::EditorSettingsChanged);
    Settings::SCompiler s = c->GetCompilerSettings();
    s.AutoCompile = false;
    s.ShouldFormat = false;
    s.TempDirectory = "/tmp/elsewhere";
    s.WarningFormat.setForeground(QColor(1, 2, 3));
    s.ErrorFormat.setForeground(QColor(4, 5, 6));
    c->SetCompilerSettings(s, 1 | 8 | 16 | 32 | 64);
    ASSERT_EQ(compiler.count(), 1);
    EXPECT_EQ(compiler[0][1].toUInt(), 121u);
    EXPECT_EQ(ReadPlist("Compiler/AutoCompile"), "False");
    EXPECT_EQ(ReadPlist("Compiler/TempDirectory"), "'/tmp/elsewhere'");
    EXPECT_EQ(ReadPlist("Output/ShouldFormat"), "False");
    EXPECT_EQ(ReadPlist("Output/Warning"), std::to_string(0xFF010203u));
    EXPECT_EQ(ReadPlist("Output/Error"), std::to_string(0xFF040506u));

    Settings::SEditor e = c->GetEditorSettings();
    e.TreatTabAsSpace = true;
    e.TabSpaceSize = 8;
    e.CursorMatchColour = QColor(7, 8, 9);
    e.CloseTabsMiddleMouse = true;
    c->SetEditorSettings(e, 1 | 2 | 8 | 64);
    ASSERT_EQ(editor.count(), 1);
    EXPECT_EQ(ReadPlist("Editor/TreatTabAsSpace"), "True");
    EXPECT_EQ(ReadPlist("Editor/TabSpaceSize"), "8");
    EXPECT_EQ(ReadPlist("Editor/CursorMatchColour"), std::to_string(0xFF070809u));
    EXPECT_EQ(ReadPlist("Editor/CloseTabsMiddleMouse"), "True");

    s.AutoCompile = true;
    s.TempDirectory = QDir::tempPath().toLocal8Bit().constData();
    c->SetCompilerSettings(s, 1 | 8);
}

TEST(ShaderEditController, CustomCompilerIsProbedAndItsOptionsUsed)
{
    CShaderEditController* c = Controller();
    QSignalSpy flags(c, &CShaderEditController::CompilerFlagsChanged);
    QSignalSpy changed(c, &CShaderEditController::CompilerSettingsChanged);
    Fakes().TakeRuns();
    UseCompiler(Fakes().Path("ok"));
    // Mask 130 probes twice: after the path (selection still 0, the reference check) and after
    // the selection (the custom path).
    EXPECT_EQ(Fakes().TakeRuns().size(), 1u);
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed[0][1].toUInt(), 130u);
    EXPECT_EQ(c->GetSupportedCompilerFlags(), 8u | 16u | 32u);
    ASSERT_EQ(flags.count(), 1);

    QSignalSpy cycles(c, &CShaderEditController::CompileCycleCountChanged);
    const CXQFTHash panel = CShaderEditController::MakePanelHash("panel");
    Request(panel, "void main()\n{\n}\n", eCompileBackground);
    ASSERT_TRUE(cycles.wait(30000));
    auto runs = Fakes().TakeRuns();
    ASSERT_FALSE(runs.empty());
    EXPECT_EQ(std::vector<std::string>(runs[0].begin() + 2, runs[0].end()),
              std::vector<std::string>({"-v", "-profile", "-perfsim", "-disasm"}));
    EXPECT_EQ(cycles[0][0].value<CXQFTHash>(), panel);
    EXPECT_EQ(cycles[0][1].value<CXQFTArray<int>>().size, 3u);   // lines 1 to 3 hold text

    Request(panel, "void main()\n{\n}\n", eCompileExplicit);
    ASSERT_TRUE(cycles.wait(30000));
    runs = Fakes().TakeRuns();
    EXPECT_EQ(std::vector<std::string>(runs[0].begin() + 2, runs[0].end()), std::vector<std::string>({"-v"}));

    QSignalSpy cleared(c, &CShaderEditController::ClearCompileOutput);
    QSignalSpy output(c, &CShaderEditController::CompileOutputChanged);
    QMetaObject::invokeMethod(c, "OnPanelChanged", Q_ARG(CXQFTHash, CXQFTHash(12345)));
    EXPECT_EQ(cleared.count(), 1);
    QMetaObject::invokeMethod(c, "OnPanelChanged", Q_ARG(CXQFTHash, panel));
    EXPECT_EQ(output.count(), 1);
}

TEST(ShaderEditController, OnlyTheLastOfQuickRequestsPublishes)
{
    CShaderEditController* c = Controller();
    UseCompiler(Fakes().Path("slow"));
    QSignalSpy output(c, &CShaderEditController::CompileOutputChanged);
    const CXQFTHash panel = CShaderEditController::MakePanelHash("quick");
    Request(panel, "void first() {}\n", eCompileBackground);
    Request(panel, "void second() {}\n", eCompileBackground);
    ASSERT_TRUE(output.wait(30000));
    QTest::qWait(700);   // time for a late first result, which must not come
    ASSERT_EQ(output.count(), 1);

    // A burst while another panel's compile holds the worker: every request but the last is
    // cancelled before it runs. (An idle worker would start some of them before the next one
    // cancels them, as many as the burst is held up by the machine.)
    UseCompiler(Fakes().Path("hang"));
    const CXQFTHash busy = CShaderEditController::MakePanelHash("busy");
    const size_t before = Fakes().Pids().size();
    Request(busy, "void main() {}\n", eCompileBackground);
    ASSERT_TRUE(WaitFor([&] { return Fakes().Pids().size() > before; }));
    UseCompiler(Fakes().Path("ok"));
    output.clear();
    Fakes().TakeRuns();
    for (int i = 0; i < 1000; ++i)
        Request(panel, QString("void v%1() {}\n").arg(i), eCompileBackground);
    QMetaObject::invokeMethod(c, "OnCancelCompile", Q_ARG(CXQFTHash, busy));
    ASSERT_TRUE(output.wait(30000));
    EXPECT_TRUE(WaitFor([&] { return c->PendingCompileCount(panel) == 0; }));
    QTest::qWait(300);
    EXPECT_EQ(output.count(), 1);
    EXPECT_EQ(Fakes().TakeRuns().size(), 2u);   // the last request's compile and banner runs
}

TEST(ShaderEditController, MetaObjectOrderIsTheInterface)
{
    auto signatures = [](const QMetaObject& mo) {
        std::vector<std::string> list;
        for (int i = mo.methodOffset(); i < mo.methodCount(); ++i)
            list.push_back(mo.method(i).methodSignature().toStdString());
        return list;
    };
    EXPECT_EQ(signatures(CCompiler::staticMetaObject),
              std::vector<std::string>({"PanelCompiled(CXQFTHash,uint,SCompileResult)", "FinishedCompile(CXQFTHash,uint)",
                                        "FinishedCompile()", "OnCompile(CXQFTHash,uint,QString,EShaderDocType,uint)"}));
    EXPECT_EQ(signatures(CShaderEditController::staticMetaObject),
              std::vector<std::string>({"CompileOutputChanged(QString)", "CompileProfileChanged(SCompileResult)",
                                        "CompileCycleCountChanged(CXQFTHash,CXQFTArray<int>)",
                                        "CompilerSettingsChanged(Settings::SCompiler,uint)",
                                        "EditorSettingsChanged(Settings::SEditor)", "ClearCompileOutput()",
                                        "CompilerFlagsChanged(uint)", "BeginCompiling()", "EndCompiling()",
                                        "CompileResultChanged(CXQFTHash,SCompileResult)",
                                        "SetCompilerSettings(Settings::SCompiler,uint)",
                                        "SetEditorSettings(Settings::SEditor,uint)",
                                        "OnCompileFile(CXQFTHash,CXQFTString,CXQFTString,EShaderDocType)",
                                        "OnCompilePanel(CXQFTHash,QString,EShaderDocType,ECompileInvocationType,uint)",
                                        "OnCompilePanel(CXQFTHash,QString,EShaderDocType,ECompileInvocationType)",
                                        "OnPanelCompiled(CXQFTHash,uint,SCompileResult)",
                                        "OnPanelCompileFinished(CXQFTHash,uint)", "OnCancelCompile(CXQFTHash)",
                                        "OnPanelChanged(CXQFTHash)", "OnEditorStateChanged(int)"}));
}

TEST(ShaderEditController, ProbesOfAHungCompilerAreBounded)
{
    const CCompiler::SRunLimit saved = CCompiler::ProbeLimit();
    CCompiler::ProbeLimit().milliseconds = 300;
    QElapsedTimer stall;
    stall.start();
    UseCompiler(Fakes().Path("hang-banner"));   // mask 130: two probes, each killed at the limit
    // At the shortened limit, with room for a loaded machine: less than two probes would take at
    // the usual one.
    EXPECT_LT(stall.elapsed(), 2 * CCompiler::kProbeLimit.milliseconds);
    CCompiler::ProbeLimit() = saved;
}

TEST(ShaderEditController, ExitEndsARunningCompilerChild)
{
    [[maybe_unused]] CShaderEditController* c = Controller();
    UseCompiler(Fakes().Path("hang"));
    const size_t before = Fakes().Pids().size();
    Request(CShaderEditController::MakePanelHash("exit"), "void main() {}\n", eCompileBackground);
    QElapsedTimer wait;
    wait.start();
    while (Fakes().Pids().size() == before && wait.elapsed() < 20000)
        QTest::qWait(10);
    ASSERT_GT(Fakes().Pids().size(), before);
    const pid_t child = Fakes().Pids().back();
    QElapsedTimer exit;
    exit.start();
    CShaderEditController::Shutdown();
    EXPECT_LT(exit.elapsed(), 10000) << "the exit waits for the hung child (or the compile limit)";
    EXPECT_NE(kill(child, 0), 0) << "the compiler child outlived the exit step";
}

// The editor's compile road with the test-double compilers: a shader set into the embedded panel
// is compiled in the background and its counts reach the cycle gutter; new text replaces them;
// a hung compiler keeps the editor responsive and the next text cancels it.
#include "CompileTestSupport.h"
#include "ShaderEditPanel.h"
#include "ShaderEditor.h"
#include "WidgetsTestSupport.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <csignal>

namespace {

CFakeCompilers& Fakes()
{
    static CFakeCompilers fakes;
    return fakes;
}

void UseCompiler(const char* name)
{
    WidgetsApp();
    // The probes of the fakes must not fail on a loaded machine.
    CCompiler::ProbeLimit().milliseconds = 10000;
    Settings::SCompiler s = CShaderEditController::Instance()->GetCompilerSettings();
    s.CustomCompilerPath = Fakes().Path(name).c_str();
    s.CompilerSelection = 4;
    CShaderEditController::Instance()->SetCompilerSettings(s, Settings::eCompilerCustomPath |
                                                                  Settings::eCompilerSelection);
}

std::vector<int> Shown(const CShaderEditPanel* panel)
{
    const CXQFTArray<int>& counts = panel->GetCycleCounts();
    return std::vector<int>(counts.data, counts.data + counts.size);
}

TEST(EditorCompile, CountsOfTheCompilerReachTheGutterAndFollowTheText)
{
    UseCompiler("ok");
    ASSERT_NE(CShaderEditController::Instance()->GetSupportedCompilerFlags() & CCompiler::kOptionProfile, 0u);
    CShaderEditor editor;
    editor.resize(500, 300);
    editor.show();
    CShaderEditPanel* panel = editor.GetCurrentPanel();

    const std::string first =
        "uniform highp mat4 m;\nattribute vec4 p;\n\nvoid main()\n{\n    gl_Position = m * p;\n}\n";
    editor.SetContents(first.c_str(), true);
    EXPECT_TRUE(panel->isReadOnly());
    ASSERT_TRUE(WaitFor([&] { return !Shown(panel).empty(); }));
    EXPECT_EQ(Shown(panel), OkCounts(QString::fromStdString(first)));

    const std::string second = "precision mediump float;\nvoid main() { gl_FragColor = vec4(1.0); }\n";
    editor.SetContents(second.c_str(), true);
    EXPECT_TRUE(Shown(panel).empty()) << "the old counts go with the old text";
    ASSERT_TRUE(WaitFor([&] { return !Shown(panel).empty(); }));
    EXPECT_EQ(Shown(panel), OkCounts(QString::fromStdString(second)));
}

TEST(EditorCompile, AHungCompilerIsCancelledByTheNextText)
{
    UseCompiler("hang");
    CShaderEditor editor;
    const size_t before = Fakes().Pids().size();
    QElapsedTimer stall;
    stall.start();
    editor.SetContents("attribute highp vec4 p;\nvoid main() { gl_Position = p; }\n", true);
    EXPECT_LT(stall.elapsed(), 20000) << "the compile runs on the worker (a hung one here, for a minute)";
    ASSERT_TRUE(WaitFor([&] { return Fakes().Pids().size() > before; }));
    const pid_t hung = Fakes().Pids().back();
    editor.SetContents("attribute highp vec4 q;\nvoid main() { gl_Position = q; }\n", true);
    EXPECT_TRUE(WaitFor([&] { return kill(hung, 0) != 0; })) << "the first compile's child is killed";
    CShaderEditController::Shutdown();   // ends the second hung compile
}

} // namespace

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
#include <sstream>

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

// What the "ok" double counts for each line: its trimmed length modulo 10, plus 1; -1 for blank lines.
std::vector<int> OkCounts(const std::string& text)
{
    std::vector<int> counts;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        const size_t first = line.find_first_not_of(" \t"), last = line.find_last_not_of(" \t");
        counts.push_back(first == std::string::npos ? -1 : int((last - first + 1) % 10 + 1));
    }
    while (!counts.empty() && counts.back() == -1)
        counts.pop_back();
    return counts;
}

std::vector<int> Shown(const CShaderEditPanel* panel)
{
    const CXQFTArray<int>& counts = panel->GetCycleCounts();
    return std::vector<int>(counts.data, counts.data + counts.size);
}

bool WaitFor(const std::function<bool()>& done, int ms = 20000)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
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
    EXPECT_EQ(Shown(panel), OkCounts(first));

    const std::string second = "precision mediump float;\nvoid main() { gl_FragColor = vec4(1.0); }\n";
    editor.SetContents(second.c_str(), true);
    EXPECT_TRUE(Shown(panel).empty()) << "the old counts go with the old text";
    ASSERT_TRUE(WaitFor([&] { return !Shown(panel).empty(); }));
    EXPECT_EQ(Shown(panel), OkCounts(second));
}

TEST(EditorCompile, AHungCompilerIsCancelledByTheNextText)
{
    UseCompiler("hang");
    CShaderEditor editor;
    const size_t before = Fakes().Pids().size();
    QElapsedTimer stall;
    stall.start();
    editor.SetContents("attribute highp vec4 p;\nvoid main() { gl_Position = p; }\n", true);
    EXPECT_LT(stall.elapsed(), 2000) << "the compile runs on the worker";
    ASSERT_TRUE(WaitFor([&] { return Fakes().Pids().size() > before; }));
    const pid_t hung = Fakes().Pids().back();
    editor.SetContents("attribute highp vec4 q;\nvoid main() { gl_Position = q; }\n", true);
    EXPECT_TRUE(WaitFor([&] { return kill(hung, 0) != 0; })) << "the first compile's child is killed";
    CShaderEditController::Shutdown();   // ends the second hung compile
}

} // namespace

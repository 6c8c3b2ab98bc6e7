// The compile road through CCompiler with fake compilers: exact argument lists, statuses and
// texts, cancels, and the bounds on every child run.
#include "CompileTestSupport.h"
#include "ShaderEditorStrings.h"
#include "XQFTResourceFile.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QThread>

#include <csignal>
#include <sys/stat.h>
#include "TestPaths.h"

namespace {

const auto* const kQtEnvironment = ::testing::AddGlobalTestEnvironment(new CQtTestEnvironment);

using TRuns = std::vector<std::vector<std::string>>;

const QString kVertex = "attribute vec4 p;\nvoid main()\n{\n    gl_Position = p;\n}\n";

std::string Entry(uint32_t i)
{
    return GetShaderEditorString<const char*>(i);
}

class CompilerRoad : public ::testing::Test
{
protected:
    // The banner runs of the fakes must not hit the probe limit on a loaded machine; only the test
    // of the limits shortens them.
    void SetUp() override { CCompiler::ProbeLimit().milliseconds = 10000; }
    void TearDown() override { CCompiler::ProbeLimit() = m_savedProbeLimit; }

    const CCompiler::SRunLimit m_savedProbeLimit = CCompiler::ProbeLimit();
    CFakeCompilers m_fakes;
    CTempFolder m_temp;
};

// The compile run's arguments with the private folder's paths replaced by IN and OUT.
std::vector<std::string> Shape(std::vector<std::string> args)
{
    if (args.size() >= 2 && args[0].size() > 4 && args[0].compare(args[0].size() - 4, 4, ".tmp") == 0 &&
        args[1] == args[0].substr(0, args[0].size() - 4) && args[1].find("/xqft-compile-") != std::string::npos &&
        args[1].compare(args[1].size() - 3, 3, "/77") == 0) {
        args[0] = "IN";
        args[1] = "OUT";
    }
    return args;
}

} // namespace

TEST_F(CompilerRoad, ExactArgumentListsEachFollowedByTheBannerRun)
{
    struct SCase
    {
        const char* what;
        EShaderDocType type;
        unsigned flags;
        std::vector<std::string> args;
    };
    const SCase cases[] = {
        {"vertex with profile and disasm", eShaderDocGLSLESVertex, 8 | 32, {"IN", "OUT", "-v", "-profile", "-disasm"}},
        {"fragment", eShaderDocGLSLFragment, 0, {"IN", "OUT", "-f"}},
        {"kernel", eShaderDocOpenCLKernel, 4, {"IN", "OUT", "-nowarn"}},
        {"another type", eShaderDocHLSLVertex, 16, {"IN", "OUT", "-perfsim"}},
        {"explicit request, no bits", eShaderDocGLSLESVertex, 0, {"IN", "OUT", "-v"}},
    };
    for (const SCase& c : cases) {
        SCompileRun run = CompileNow(m_fakes.Path("ok"), m_temp.Path(), kVertex, c.type, c.flags);
        EXPECT_TRUE(run.published) << c.what;
        TRuns runs = m_fakes.TakeRuns();
        ASSERT_EQ(runs.size(), 2u) << c.what;
        EXPECT_EQ(Shape(runs[0]), c.args) << c.what;
        EXPECT_EQ(runs[1], std::vector<std::string>()) << c.what;
    }
    EXPECT_EQ(CCompiler::BuildCompilerCommandLine("E", "I", "O", 1 | 8 | 16 | 32).CStr(),
              std::string("\"E\" \"I\" \"O\" -v -profile -perfsim -disasm"));
    EXPECT_EQ(CCompiler::BuildCompilerCommandLine("", "I", "O", 2).CStr(), std::string("\"I\" \"O\" -f"));
    // The private folder is gone afterwards.
    EXPECT_TRUE(std::filesystem::is_empty(m_temp.Path()));
}

TEST_F(CompilerRoad, EffectFileShaderByShaderWithACustomLine)
{
    const QString effect =
        "[VERTEXSHADER]\nNAME V1\n[GLSL_CODE]\nvoid main()\n{\n}\n[/GLSL_CODE]\n[/VERTEXSHADER]\n"
        "[VERTEXSHADER]\nNAME V2\n[GLSL_CODE]\nvoid main() {}\n[/GLSL_CODE]\n[/VERTEXSHADER]\n"
        "[FRAGMENTSHADER]\nNAME F\n[GLSL_CODE]\nvoid main() {}\n[/GLSL_CODE]\n[/FRAGMENTSHADER]\n"
        "[EFFECT]\nNAME E\nVERTEXSHADER V1\nFRAGMENTSHADER F\n[/EFFECT]\n";
    const std::string custom = "\"" + m_fakes.Path("ok") + "\" <VTLShaders> -profile";
    SCompileRun run = CompileNow("unused", m_temp.Path(), effect, eShaderDocEffectGLSLES, 32, custom);
    TRuns runs = m_fakes.TakeRuns();
    ASSERT_EQ(runs.size(), 6u);
    EXPECT_EQ(Shape(runs[0]), std::vector<std::string>({"IN", "OUT", "-v", "-profile"}));
    EXPECT_EQ(Shape(runs[2]), std::vector<std::string>({"IN", "OUT", "-v", "-profile"}));
    EXPECT_EQ(Shape(runs[4]), std::vector<std::string>({"IN", "OUT", "-f", "-profile"}));
    ASSERT_TRUE(run.published);
    EXPECT_EQ(run.result.status, 0u);
    ASSERT_EQ(run.result.profiles.size, 3u);
    EXPECT_STREQ(run.result.profiles[0].name.CStr(), "V1");
    EXPECT_FALSE(run.result.profiles[1].fragment);
    EXPECT_TRUE(run.result.profiles[2].fragment);
    // V1's code starts after line 3: its lines 1 and 2 are the effect file's lines 4 and 5.
    ASSERT_GE(run.result.lineCycles.size, 5u);
    EXPECT_EQ(run.result.lineCycles[3], int(strlen("void main()") % 10 + 1));
    EXPECT_EQ(run.result.lineCycles[4], 2);
    EXPECT_STREQ(run.result.compilerName.CStr(), "Series6");
}

TEST_F(CompilerRoad, StatusesAndTexts)
{
    struct SCase
    {
        const char* what;
        std::string compiler;
        QString text;
        uint32_t status;
        std::string output;
    };
    const std::string unwritable = m_temp.File("no/such/folder");
    const SCase cases[] = {
        {"ok", m_fakes.Path("ok"), kVertex, 0, "Vertex Shader: Compile succeeded.\nWARNING: 0:1: fake warning\n"},
        {"FAIL", m_fakes.Path("ok"), "void main()\n{\n    FAIL;\n}\n", 1,
         "Vertex Shader: Compile failed.\nERROR: 0:3: 'FAIL' : undeclared identifier\n"},
        {"silent", m_fakes.Path("silent"), kVertex, 1, "Vertex Shader: " + Entry(11) + "\n"},
        {"crlf", m_fakes.Path("crlf"), kVertex, 0, "Vertex Shader: Compile succeeded.\nWARNING: 0:1: fake warning\n"},
        {"crash-before", m_fakes.Path("crash-before"), kVertex, 1, "Vertex Shader: " + Entry(11) + "\n"},
        {"crash-after", m_fakes.Path("crash-after"), kVertex, 0, "Vertex Shader: Compile succeeded.\nWARNING: 0:1: fake warning\n"},
        {"empty path", "", kVertex, 3, Entry(27) + "\n"},
        {"a directory", m_temp.Path(), kVertex, 3, Entry(27) + "\n"},
        {"no such program", m_temp.File("missing compiler"), kVertex, 3, Entry(27) + "\n"},
    };
    for (const SCase& c : cases) {
        SCompileRun run = CompileNow(c.compiler, m_temp.Path(), c.text, eShaderDocGLSLESVertex, 0);
        EXPECT_TRUE(run.published) << c.what;
        EXPECT_EQ(run.result.status, c.status) << c.what;
        EXPECT_EQ(OutputOf(run), c.output) << c.what;
        EXPECT_EQ(run.finishedWithId, 1) << c.what;
    }
    SCompileRun noTemp = CompileNow(m_fakes.Path("ok"), unwritable, kVertex, eShaderDocGLSLESVertex, 0);
    EXPECT_EQ(noTemp.result.status, 3u);
    EXPECT_EQ(OutputOf(noTemp), Entry(74) + "\n");
    m_fakes.TakeRuns();
    // A file without execute permission and a script without an interpreter line do not start.
    std::string plain = m_temp.Write("plain", "echo Success.\n");
    for (mode_t mode : {0600, 0700}) {
        chmod(plain.c_str(), mode);
        EXPECT_EQ(CompileNow(plain, m_temp.Path(), kVertex, eShaderDocGLSLESVertex, 0).result.status, 3u);
    }
    // Empty contents report the request finished, with no result.
    SCompileRun empty = CompileNow(m_fakes.Path("ok"), m_temp.Path(), "", eShaderDocGLSLESVertex, 0);
    EXPECT_FALSE(empty.published);
    EXPECT_EQ(empty.finishedWithId, 1);
    EXPECT_TRUE(m_fakes.TakeRuns().empty());
}

TEST_F(CompilerRoad, EffectFilesThatCannotBeCompiledWhole)
{
    SCompileRun missing = CompileNow(m_fakes.Path("ok"), m_temp.Path(),
                                     "[VERTEXSHADER]\nNAME V\nFILE " + QString::fromStdString(m_temp.File("none.vsh")) +
                                         "\n[/VERTEXSHADER]\n",
                                     eShaderDocEffectGLSLES, 0);
    EXPECT_EQ(missing.result.status, 1u);
    EXPECT_EQ(OutputOf(missing), Entry(29) + " Error loading file '" + m_temp.File("none.vsh") +
                                     "' in [VERTEXSHADER] on line 3\n\n");
    EXPECT_TRUE(m_fakes.TakeRuns().empty());

    // The parse reads FILE from the in-memory table, the compile reads it from the disk.
    CXQFTMemoryFileSystem::AddFile("memory-only.vsh", "void main() {}\n", 15, true);
    SCompileRun partial = CompileNow(
        m_fakes.Path("ok"), m_temp.Path(),
        "[VERTEXSHADER]\nNAME V\nFILE memory-only.vsh\n[/VERTEXSHADER]\n"
        "[FRAGMENTSHADER]\nNAME F\n[GLSL_CODE]\nvoid main() {}\n[/GLSL_CODE]\n[/FRAGMENTSHADER]\n"
        "[EFFECT]\nNAME E\nVERTEXSHADER V\nFRAGMENTSHADER F\n[/EFFECT]\n",
        eShaderDocEffectGLSLES, 0);
    CXQFTMemoryFileSystem::RemoveAll();
    EXPECT_EQ(OutputOf(partial).rfind(Entry(23) + Entry(28) + " memory-only.vsh\nReason: ", 0), 0u) << OutputOf(partial);
    EXPECT_NE(OutputOf(partial).find("F: Compile succeeded.\n"), std::string::npos);
    TRuns runs = m_fakes.TakeRuns();
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(Shape(runs[0]).back(), "-f");
}

TEST_F(CompilerRoad, ProbeReadsTheBannerAndOptions)
{
    CXQFTString name, version;
    CXQFTArray<QString> options;
    ASSERT_TRUE(CCompiler::ProbeCompiler(m_fakes.Path("ok").c_str(), &name, &version, &options));
    EXPECT_STREQ(version.CStr(), "2.9.1@123");
    EXPECT_EQ(options.size, 6u);
    EXPECT_FALSE(CCompiler::ProbeCompiler(m_fakes.Path("nohelp").c_str(), &name, &version, &options));
    EXPECT_FALSE(CCompiler::ProbeCompiler(m_temp.File("missing").c_str(), &name, &version, &options));
    EXPECT_FALSE(CCompiler::ProbeCompiler(m_temp.Path().c_str(), &name, &version, &options));
}

TEST_F(CompilerRoad, CancelsBeforeAndDuringACompile)
{
    {
        CCompiler early(m_fakes.Path("ok").c_str(), m_temp.Path().c_str());
        QSignalSpy published(&early, &CCompiler::PanelCompiled);
        QSignalSpy bare(&early, qOverload<>(&CCompiler::FinishedCompile));
        early.Cancel();
        early.OnCompile(CXQFTHash(1), 0, kVertex, eShaderDocGLSLESVertex, 0);
        EXPECT_EQ(published.count() + bare.count(), 0);
        EXPECT_TRUE(m_fakes.TakeRuns().empty());
    }

    QThread worker;
    worker.start();
    auto* compiler = new CCompiler(m_fakes.Path("hang").c_str(), m_temp.Path().c_str());
    compiler->moveToThread(&worker);
    QSignalSpy published(compiler, &CCompiler::PanelCompiled);
    QSignalSpy withId(compiler, qOverload<const CXQFTHash&, unsigned>(&CCompiler::FinishedCompile));
    QSignalSpy bare(compiler, qOverload<>(&CCompiler::FinishedCompile));
    QMetaObject::invokeMethod(compiler, "OnCompile", Qt::QueuedConnection, Q_ARG(CXQFTHash, CXQFTHash(2)),
                              Q_ARG(unsigned int, 9u), Q_ARG(QString, kVertex),
                              Q_ARG(EShaderDocType, eShaderDocGLSLESVertex), Q_ARG(unsigned int, 0u));
    QElapsedTimer wait;
    wait.start();
    while (m_fakes.Pids().empty() && wait.elapsed() < 20000)
        QThread::msleep(5);
    ASSERT_EQ(m_fakes.Pids().size(), 1u);
    QThread::msleep(100);   // the child is running its endless compile
    const pid_t child = m_fakes.Pids()[0];
    // The child is stopped at the next poll (bench_shader_compile prints the latency); the wait
    // here only tells that from a cancel that waits for the child, which never ends, or for the
    // compile limit.
    QElapsedTimer latency;
    latency.start();
    compiler->Cancel();
    while (kill(child, 0) == 0 && latency.elapsed() < 10000)
        QThread::msleep(2);
    EXPECT_NE(kill(child, 0), 0) << "the child outlived the cancel";
    if (bare.count() == 0)
        bare.wait(10000);
    EXPECT_EQ(bare.count(), 1);
    EXPECT_EQ(published.count(), 0);
    EXPECT_EQ(withId.count(), 0);
    worker.quit();
    worker.wait();
    delete compiler;
}

// A GLSL source that would run the compiler out of stack or memory (a shader from a trace) is not
// handed to it: the result says why.
TEST_F(CompilerRoad, HostileGlslSourcesAreNotCompiled)
{
    QString chain = "void main() { gl_Position = vec4(1.0";
    for (int i = 0; i < 15000; ++i)
        chain += " + 1.0";
    chain += "); }\n";
    SCompileRun run = CompileNow(m_fakes.Path("ok"), m_temp.Path(), chain, eShaderDocGLSLESVertex, 0);
    EXPECT_TRUE(run.published);
    EXPECT_EQ(run.result.status, 3u);
    EXPECT_STREQ(run.result.output.CStr(), "ERROR: a statement of more than 4096 tokens at line 1\n");
    EXPECT_TRUE(m_fakes.TakeRuns().empty());
}

TEST_F(CompilerRoad, EveryChildRunIsBounded)
{
    const CCompiler::SRunLimit saved = CCompiler::CompileLimit();
    CCompiler::CompileLimit() = {700, qint64(4) << 20};
    SCompileRun hang = CompileNow(m_fakes.Path("hang"), m_temp.Path(), kVertex, eShaderDocGLSLESVertex, 0);
    EXPECT_EQ(hang.result.status, 3u);
    SCompileRun huge = CompileNow(m_fakes.Path("huge"), m_temp.Path(), kVertex, eShaderDocGLSLESVertex, 0);
    EXPECT_EQ(huge.result.status, 3u);
    CCompiler::CompileLimit() = saved;
    // Each limit alone, with time enough on a loaded machine for the other to stay out of the way:
    // the fake must have printed all it prints before the kill.
    CXQFTString log;
    std::atomic<bool> never{false};
    EXPECT_EQ(CCompiler::RunCommandLine(&never, ("\"" + m_fakes.Path("huge") + "\" x").c_str(), log,
                                        {60000, qint64(4) << 20}),
              3u);
    EXPECT_LT(log.Length(), size_t(5) << 20);
    EXPECT_NE(std::string(log.CStr()).find("ERROR: The compiler wrote more than 4 MiB of output.\n"), std::string::npos);
    log.Clear();
    EXPECT_EQ(CCompiler::RunCommandLine(&never, ("\"" + m_fakes.Path("hang") + "\" x").c_str(), log,
                                        {3000, qint64(4) << 20}),
              3u);
    EXPECT_STREQ(log.CStr(), "working\nERROR: Failed to execute command line\nERROR: The compiler did not finish within 3 seconds.\n");
    for (pid_t pid : m_fakes.Pids())
        EXPECT_NE(kill(pid, 0), 0) << "a child outlived its run";

    EXPECT_EQ(CompileNow(m_fakes.Path("stdin"), m_temp.Path(), kVertex, eShaderDocGLSLESVertex, 0).result.status, 0u);
    SCompileRun bad = CompileNow(m_fakes.Path("badprof"), m_temp.Path(), kVertex, eShaderDocGLSLESVertex, 8);
    EXPECT_EQ(bad.result.status, 0u);
    EXPECT_LE(bad.result.lineCycles.size, 6u);
    CXQFTString unbalanced;
    EXPECT_EQ(CCompiler::RunCommandLine(&never, "\"", unbalanced, CCompiler::CompileLimit()), 3u);
}

TEST_F(CompilerRoad, GlslangBackedCheckReportsOnTheDocumentsLines)
{
    if (system("command -v glslangValidator >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "glslangValidator is not installed (Debian package glslang-tools)";
    const std::string check = BinaryDir() + "/bin/xqf-glsl-check";
    const QString bad = "precision mediump float;\nuniform sampler2D s;\nvoid main()\n{\n    vec4 c = texture2D(s, vec2(0.5));\n"
                        "    c.a = 1.0;\n    gl_FragColor = c * nope;\n}\n";
    SCompileRun failed = CompileNow(check, m_temp.Path(), bad, eShaderDocGLSLESFragment, 0);
    EXPECT_EQ(failed.result.status, 1u);
    EXPECT_NE(OutputOf(failed).find("ERROR: 0:7: 'nope' : undeclared identifier"), std::string::npos) << OutputOf(failed);
    EXPECT_NE(std::string(failed.result.compilerName.CStr()), "Unknown");
    SCompileRun good = CompileNow(check, m_temp.Path(), "precision mediump float;\nvoid main() { gl_FragColor = vec4(1.0); }\n",
                                  eShaderDocGLSLESFragment, 0);
    EXPECT_EQ(good.result.status, 0u) << OutputOf(good);

    QString effect = "[EFFECT]\nNAME E\nVERTEXSHADER V\nFRAGMENTSHADER F\n[/EFFECT]\n\n\n\n";   // lines 1-8
    effect += "[VERTEXSHADER]\nNAME V\n[GLSL_CODE]\n";                                        // line 11: [GLSL_CODE]
    effect += "attribute vec4 p;\nvoid main() { gl_Position = p * missingA; }\n[/GLSL_CODE]\n[/VERTEXSHADER]\n";
    while (effect.count('\n') < 39)
        effect += "\n";
    effect += "[FRAGMENTSHADER]\nNAME F\n[GLSL_CODE]\nprecision mediump float;\nvoid main() { gl_FragColor = missingB; }\n"
              "[/GLSL_CODE]\n[/FRAGMENTSHADER]\n";
    SCompileRun run = CompileNow(check, m_temp.Path(), effect, eShaderDocEffectGLSLES, 0);
    const std::string out = OutputOf(run);
    EXPECT_NE(out.find("ERROR: 0:13: 'missingA'"), std::string::npos) << out;   // code line 2 after line 11
    EXPECT_NE(out.find("ERROR: 0:44: 'missingB'"), std::string::npos) << out;   // code line 2 after line 42
}

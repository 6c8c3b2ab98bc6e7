#pragma once
// The fake compilers (one script under many names) and a compile run on the test's thread.
#include "Compiler.h"
#include "ShaderTestSupport.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSignalSpy>
#include <QTest>
#include <QDir>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <unistd.h>
#include <vector>
#include "TestPaths.h"

class CFakeCompilers
{
public:
    CFakeCompilers()
    {
        const std::string script = SourceDir() + "/tests/shadereditor/fakes/fakecompiler.py";
        for (const char* name : {"ok", "cl", "silent", "crlf", "hang", "hang-banner", "stdin", "crash-before",
                                 "crash-after", "huge", "badprof", "nohelp", "slow"})
            symlink(script.c_str(), m_dir.File(name).c_str());
        setenv("XQFT_FAKE_LOG", Log().c_str(), 1);
        setenv("XQFT_FAKE_PIDS", m_dir.File("pids").c_str(), 1);
    }
    std::string Path(const char* name) const { return m_dir.File(name); }
    std::string Log() const { return m_dir.File("log"); }
    const CTempFolder& Dir() const { return m_dir; }
    // Every run's arguments since the last call, oldest first.
    std::vector<std::vector<std::string>> TakeRuns()
    {
        std::vector<std::vector<std::string>> runs;
        std::string text;
        if (FILE* f = fopen(Log().c_str(), "rb")) {
            char buf[4096];
            size_t n;
            while ((n = fread(buf, 1, sizeof buf, f)) > 0)
                text.append(buf, n);
            fclose(f);
        }
        unlink(Log().c_str());
        for (const QByteArray& line : QByteArray::fromStdString(text).split('\n')) {
            if (line.isEmpty())
                continue;
            std::vector<std::string> args;
            for (const QJsonValue& v : QJsonDocument::fromJson(line).array())
                args.push_back(v.toString().toStdString());
            runs.push_back(args);
        }
        return runs;
    }
    std::vector<pid_t> Pids() const
    {
        std::vector<pid_t> pids;
        if (FILE* f = fopen(m_dir.File("pids").c_str(), "r")) {
            int pid;
            while (fscanf(f, "%d", &pid) == 1)
                pids.push_back(pid);
            fclose(f);
        }
        return pids;
    }

private:
    CTempFolder m_dir;
};

// What the "ok" double counts for each line: its trimmed length modulo 10, plus 1; -1 for blank
// lines; nothing after the last line that has a count.
inline std::vector<int> OkCounts(const QString& text)
{
    std::vector<int> counts;
    for (const QString& line : text.split('\n')) {
        const QString trimmed = line.trimmed();
        counts.push_back(trimmed.isEmpty() ? -1 : int(trimmed.size() % 10 + 1));
    }
    while (!counts.empty() && counts.back() == -1)
        counts.pop_back();
    return counts;
}

// Runs the event loop until done() holds or ms have passed; whether it holds.
inline bool WaitFor(const std::function<bool()>& done, int ms = 20000)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

struct SCompileRun
{
    bool published = false;
    SCompileResult result;
    int finishedWithId = 0;
    int finishedBare = 0;
};

// One request through OnCompile on this thread, as the controller's worker would run it.
inline SCompileRun CompileNow(const std::string& compiler, const std::string& tempDir, const QString& text,
                              EShaderDocType type, unsigned flags, const std::string& customLine = "")
{
    CCompiler c(CXQFTString(compiler.c_str()), CXQFTString(tempDir.c_str()));
    if (!customLine.empty())
        c.SetCustomCommandLine(CXQFTString(customLine.c_str()));
    SCompileRun run;
    QObject::connect(&c, &CCompiler::PanelCompiled, [&](const CXQFTHash&, unsigned, const SCompileResult& r) {
        run.published = true;
        run.result = r;
    });
    QObject::connect(&c, qOverload<const CXQFTHash&, unsigned>(&CCompiler::FinishedCompile),
                     [&](const CXQFTHash&, unsigned) { ++run.finishedWithId; });
    QObject::connect(&c, qOverload<>(&CCompiler::FinishedCompile), [&] { ++run.finishedBare; });
    c.OnCompile(CXQFTHash(77), 5, text, type, flags);
    return run;
}

inline std::string OutputOf(const SCompileRun& run)
{
    return std::string(run.result.output.CStr(), run.result.output.Length());
}

// The Qt application every compile test runs under (event loop for queued signals).
class CQtTestEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "shadereditor_test";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance())
            m_app = new QCoreApplication(argc, argv);
        RegisterShaderMetaTypes();
    }

private:
    QCoreApplication* m_app = nullptr;
};

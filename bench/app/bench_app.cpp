// Opens a generated trace of one million calls through the viewer's controller and prints the
// time of the load, of the statistics pass and of each export, and the peak memory.
// Goals: statistics under 10% of the load; text export at least 1 million calls/s.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "TraceController.h"
#include "TraceExport.h"
#include "TraceLoader.h"
#include "TraceStatistics.h"
#include "UserPrompts.h"
#include "data/TraceData.h"
#include "data/TraceReader.h"

namespace {

// Answers every dialog with one path and keeps quiet.
class CBenchPrompts : public CUserPrompts
{
public:
    QString path;
    QMessageBox::StandardButton Warning(QWidget*, const QString&, const QString& text, QMessageBox::StandardButtons,
                                        QMessageBox::StandardButton) override
    {
        std::printf("unexpected message: %s\n", text.toLocal8Bit().constData());
        return QMessageBox::Yes;
    }
    void Critical(QWidget*, const QString&, const QString& text) override
    {
        std::printf("unexpected failure: %s\n", text.toLocal8Bit().constData());
    }
    void Information(QWidget*, const QString&, const QString&) override {}
    QString SaveFileName(const QString&, const QString&) override { return path; }
    QString ExistingDirectory(const QString&) override { return path; }
};

double PeakMiB()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_maxrss) / 1024.0;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", (dir.path() + "/config").toLocal8Bit());
    const unsigned calls = argc > 1 ? unsigned(std::atoi(argv[1])) : 1000000u;
    const QString tracePath = dir.path() + "/bench.xqft";
    const std::string make = std::string("python3 '") + XQFT_SOURCE_DIR + "/bench/app/make_bench_trace.py' '" +
                             XQFT_SOURCE_DIR + "/tools' '" + tracePath.toStdString() + "' " + std::to_string(calls);
    if (std::system(make.c_str()) != 0) {
        std::printf("could not generate the trace\n");
        return 1;
    }
    QApplication app(argc, argv);
    CTraceController* c = CTraceController::Instance();
    auto promptsOwned = std::make_unique<CBenchPrompts>();
    CBenchPrompts* prompts = promptsOwned.get();
    c->SetPrompts(std::move(promptsOwned));
    c->Init(nullptr, nullptr);
    CTraceReader::Instance().SetLog(stderr, stderr);
    std::freopen("/dev/null", "w", stderr);

    // The reader alone, then the statistics pass alone, then the whole road through the controller
    // (which loads and counts again).
    QElapsedTimer t;
    t.start();
    const int result = CTraceReader::Instance().LoadTrace(CXQFTString(tracePath.toLocal8Bit().constData()), 1);
    const double loadMs = t.nsecsElapsed() / 1e6;
    CTraceData* loaded = CTraceReader::Instance().GetTraceData();
    if (result != 0 || !loaded) {
        std::printf("the trace did not load (result %d)\n", result);
        return 1;
    }
    t.restart();
    {
        CTraceStatistics statistics(loaded);
        statistics.Compute();
    }
    const double statsMs = t.nsecsElapsed() / 1e6;

    t.restart();
    c->SLTOpenTrace(tracePath);
    const double openMs = t.nsecsElapsed() / 1e6;
    CTraceData* trace = c->GetTrace();
    if (!trace) {
        std::printf("the trace did not open\n");
        return 1;
    }
    const double n = trace->GetCallCount();

    auto timed = [&](const QString& out, void (CTraceController::*slot)()) {
        prompts->path = out;
        QElapsedTimer e;
        e.start();
        (c->*slot)();
        return e.nsecsElapsed() / 1e6;
    };
    const double textMs = timed(dir.path() + "/all.txt", &CTraceController::STLSaveFrames);
    const double framesCsvMs = timed(dir.path() + "/frames.csv", &CTraceController::STLSaveFrameSummary);
    const double callsCsvMs = timed(dir.path() + "/calls.csv", &CTraceController::STLSaveCallsSummary);
    QDir().mkpath(dir.path() + "/shaders");
    const double shadersMs = timed(dir.path() + "/shaders", &CTraceController::SLTSaveShaders);

    std::printf("trace: %.0f calls in %d frames, %.1f MB\n", n, trace->GetFrameCount(),
                QFileInfo(tracePath).size() / 1e6);
    std::printf("load (reader):               %8.1f ms  (%.2f M calls/s)\n", loadMs, n / loadMs / 1e3);
    std::printf("statistics pass:             %8.1f ms  (%.1f%% of the load; goal under 10%%)\n", statsMs,
                100.0 * statsMs / loadMs);
    std::printf("open through the controller: %8.1f ms  (load, statistics, signals)\n", openMs);
    std::printf("text export (all frames):    %8.1f ms  (%.2f M calls/s; goal 1.00; %.1f MB written)\n", textMs,
                n / textMs / 1e3, QFileInfo(dir.path() + "/all.txt").size() / 1e6);
    std::printf("frame statistics CSV:        %8.1f ms\n", framesCsvMs);
    std::printf("call statistics CSV:         %8.1f ms\n", callsCsvMs);
    std::printf("shader export:               %8.1f ms\n", shadersMs);
    std::printf("peak memory:                 %8.1f MiB\n", PeakMiB());
    c->Shutdown();
    return 0;
}

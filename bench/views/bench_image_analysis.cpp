// The image-analysis dock, offscreen, in a scratch folder of its own (the dock sends the standard
// streams to output.log there; the figures go to the console's descriptors):
//  1. From a frame change to the dock's new image on the `mix` workload (800 x 600, 200 draws a
//     frame, recorded by xqft-record at the start of the run), frames 2 to 60 in order, with the
//     Output tab re-reading the log after each pass as in the window; beside it the facade's pass
//     (GoToFrame, SetRange, Analyse, GetFrameBuffer) for the same frames, the two taking turns over
//     three rounds. Goal: the dock adds at most 20 percent. Also the same pass ending at the RGBA
//     read-back (GetFrameBufferRgba), which the dock converts itself instead of the facade's RGB.
//  2. GenericImageViewer's DrawAtZoom of a 4096 x 4096 image in an 800 x 600 view at the fit and at
//     3200%. Goal: under 16 ms.
//  3. The Output tab's reload of a 100 KB and a 10 MB log. Goal: 100 KB under 20 ms.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "BenchSupport.h"
#include "PlaybackInterface.h"
#include "TraceController.h"
#include "data/TraceData.h"
#include "imageanalysis/ImageAnalysisWidget.h"
#include "output/OutputViewerWidget.h"

namespace {

FILE* g_console = nullptr;  // the standard output the program started with
constexpr int kRounds = 3;     // of frames 2 to 60, for the dock and for each facade pass

class CTimedViewer : public GenericImageViewer
{
public:
    using GenericImageViewer::DrawAtZoom;
};

struct SFigures
{
    std::vector<double> ms;
    double Median()
    {
        std::sort(ms.begin(), ms.end());
        return ms.empty() ? 0 : ms[ms.size() / 2];
    }
    double Max() const { return ms.empty() ? 0 : *std::max_element(ms.begin(), ms.end()); }
    double Sum() const
    {
        double s = 0;
        for (double v : ms)
            s += v;
        return s;
    }
};

QString RecordMix(const QString& dir)
{
    const QString bin = QCoreApplication::applicationDirPath();
    if (QProcess::execute(bin + "/xqft-record", {"--scene", "mix", "--out", dir}) != 0)
        return QString();
    const QString trace = dir + "/mix.xqft";
    if (QProcess::execute("python3", {XQFT_SOURCE_DIR "/tools/xqftgen.py", "from-log", dir + "/mix.log", trace}) != 0)
        return QString();
    return trace;
}

void FrameChange(const QString& trace)
{
    CTraceController* c = CTraceController::Instance();
    CImageAnalysisWidget dock;
    COutputViewerWidget log;
    dock.resize(814, 724);
    dock.show();
    QObject::connect(c, &CTraceController::SIGTraceUpdate, &dock, qOverload<bool>(&CImageAnalysisWidget::SLTUpdatedTrace));
    QObject::connect(c, &CTraceController::SIGFrameUpdate, &dock, &CImageAnalysisWidget::SLTUpdatedCurrFrame);
    QObject::connect(&dock, &CImageAnalysisWidget::SIGImaAnaOutput, &log, &COutputViewerWidget::SLTUpdateOutput);
    c->SLTOpenTrace(trace);
    if (!c->GetTrace() || dock.Viewer().Image().isNull()) {
        std::fprintf(g_console, "the mix trace did not render: %s\n", qPrintable(trace));
        return;
    }
    QElapsedTimer timer;
    // The dock's frame changes: from the request to the painted image.
    const auto dockChanges = [&](SFigures& ms) {
        for (int frame = 2; frame <= 60; ++frame) {
            const qint64 before = dock.Viewer().Image().cacheKey();
            timer.start();
            c->SLTRequestUpdateFrame(frame);
            QCoreApplication::processEvents();  // what changed is painted, as the event loop would
            ms.ms.push_back(double(timer.nsecsElapsed()) / 1e6);
            if (dock.Viewer().Image().cacheKey() == before)
                std::fprintf(g_console, "frame %d: no new image\n", frame);
        }
    };

    // The facade alone, as the dock drives it, on the same trace.
    CAnalysisInterface facade;
    facade.SetTraceForAnalysis(c->GetTrace());
    facade.SetOption(kOptionWireframe, 0);
    facade.SetOption(kOptionComplexity, 0);
    facade.SetOption(kOptionInvertRange, 0);
    facade.SetOption(kOptionHighlight, 0);
    // The facade's pass ending at its RGB frame buffer, or at the host's read-back as read (RGBA),
    // which is what the dock takes.
    const auto passes = [&](bool rgba, SFigures& ms) {
        for (int frame = 2; frame <= 60; ++frame) {
            timer.start();
            facade.GoToFrame(uint32_t(frame), 200);
            facade.SetRange(1, 200, 1);
            facade.Analyse(0);
            uint8_t* rgb = nullptr;
            const uint8_t* read = nullptr;
            uint32_t w = 0, h = 0;
            if (rgba)
                facade.GetFrameBufferRgba(&read, &w, &h);
            else
                facade.GetFrameBuffer(&rgb, &w, &h);
            ms.ms.push_back(double(timer.nsecsElapsed()) / 1e6);
        }
    };
    // The three take turns, round after round, so that a machine that speeds up or slows down
    // during the run weighs on each alike.
    SFigures dockMs, facadeMs, readBackMs;
    for (int round = 0; round < kRounds; ++round) {
        dockChanges(dockMs);
        passes(false, facadeMs);
        passes(true, readBackMs);
    }

    // The controller's own part of a frame change (the trace's cursor and state), the dock unplugged.
    QObject::disconnect(c, &CTraceController::SIGFrameUpdate, &dock, &CImageAnalysisWidget::SLTUpdatedCurrFrame);
    SFigures controllerMs;
    for (int frame = 2; frame <= 60; ++frame) {
        timer.start();
        c->SLTRequestUpdateFrame(frame);
        controllerMs.ms.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    const double own = dockMs.Median() - controllerMs.Median();
    std::fprintf(g_console,
                 "frame change to the dock's new image, mix frames 2-60: median %.2f ms, max %.2f ms, %.1f frames/s\n"
                 "  of which the controller's frame change without the dock: median %.2f ms\n"
                 "the facade's pass alone (GoToFrame, SetRange, Analyse, GetFrameBuffer): median %.2f ms, max %.2f ms\n"
                 "dock (without the controller's part) / facade, medians: %.3f (goal <= 1.20)\n"
                 "the pass ending at the RGBA read-back the dock takes: median %.2f ms; dock / it: %.3f\n",
                 dockMs.Median(), dockMs.Max(), 1000.0 * double(dockMs.ms.size()) / dockMs.Sum(), controllerMs.Median(), facadeMs.Median(),
                 facadeMs.Max(), own / std::max(facadeMs.Median(), 1e-9), readBackMs.Median(),
                 own / std::max(readBackMs.Median(), 1e-9));
    facade.SetTraceForAnalysis(nullptr);
    c->Shutdown();
}


void DrawAtZoom()
{
    CTimedViewer viewer;
    viewer.Setup();
    viewer.resize(800, 600);
    viewer.show();
    viewer.grab();
    QImage image(4096, 4096, QImage::Format_RGB888);
    for (int y = 0; y < image.height(); ++y) {
        uchar* row = image.scanLine(y);
        for (int x = 0; x < image.width() * 3; ++x)
            row[x] = uchar(x * 7 + y * 3);
    }
    viewer.SetImage(QPixmap::fromImage(image));
    for (int percent : {viewer.FitPercent(), 3200}) {
        SFigures ms;
        QElapsedTimer timer;
        for (int i = 0; i < 30; ++i) {
            timer.start();
            viewer.DrawAtZoom(percent);
            viewer.repaint();
            ms.ms.push_back(double(timer.nsecsElapsed()) / 1e6);
        }
        std::fprintf(g_console, "DrawAtZoom of 4096x4096 at %d%% in an 800x600 view: median %.2f ms, max %.2f ms "
                                "(goal < 16 ms)\n", percent, ms.Median(), ms.Max());
    }
}

void Reload()
{
    const QByteArray line("ERROR: Problem calling call glDrawElements(GL_TRIANGLES, 36, GL_UNSIGNED_SHORT)\n");
    for (int kib : {100, 10 * 1024}) {
        {
            QFile log("output.log");
            log.open(QIODevice::WriteOnly | QIODevice::Truncate);
            for (qint64 written = 0; written < qint64(kib) * 1024; written += line.size())
                log.write(line);
        }
        // The first reload lays the whole log out; each later one follows a pass that wrote a line.
        SFigures first, later;
        QElapsedTimer timer;
        for (int round = 0; round < (kib > 1000 ? 3 : 20); ++round) {
            COutputViewerWidget tab;
            tab.resize(413, 600);
            tab.show();
            timer.start();
            tab.SLTUpdateOutput();
            tab.repaint();
            first.ms.push_back(double(timer.nsecsElapsed()) / 1e6);
            for (int i = 0; i < 10; ++i) {
                QFile log("output.log");
                log.open(QIODevice::Append);
                log.write(line);
                log.close();
                timer.start();
                tab.SLTUpdateOutput();
                tab.repaint();
                later.ms.push_back(double(timer.nsecsElapsed()) / 1e6);
            }
        }
        std::fprintf(g_console,
                     "Output tab reload of a %d KB log: first %.2f ms (max %.2f), after a pass that added a line "
                     "%.2f ms (max %.2f)%s\n",
                     kib, first.Median(), first.Max(), later.Median(), later.Max(), kib == 100 ? " (goal < 20 ms)" : "");
    }
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("XQFT_PLAYBACK_WINDOWS"))
        qputenv("XQFT_PLAYBACK_WINDOWS", "headless");
    g_console = fdopen(dup(STDOUT_FILENO), "w");
    setvbuf(g_console, nullptr, _IOLBF, 0);
    QApplication app(argc, argv);
    QTemporaryDir scratch(QDir::tempPath() + "/bench_image_analysis-XXXXXX");
    QDir::setCurrent(scratch.path());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(scratch.path() + "/config"));
    const QString trace = RecordMix(scratch.path());
    if (trace.isEmpty())
        std::fprintf(g_console, "no host OpenGL ES library: the frame-change figures are left out\n");
    else
        FrameChange(trace);
    DrawAtZoom();
    Reload();
    return 0;
}

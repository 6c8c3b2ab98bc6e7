// The data viewer and the statistics dock on a frame change: the frame-buffer viewer from the
// frame change to the 1920 x 1080 recorded image shown (converted, scaled to the view, painted),
// and the statistics dock's refresh (frame summary and call summary) for a frame of 100,000 calls
// over 200 functions with 20 watches. Prints ms for both. Offscreen.
#include <QApplication>
#include <QElapsedTimer>
#include <QTableWidget>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "BenchTraceWriter.h"
#include "CallFixture.h"
#include "TraceController.h"
#include "dataviewer/FrameBufferWidget.h"
#include "statistics/CallSummaryFrame.h"
#include "statistics/FrameSummaryFrame.h"

using namespace xqft::bench;

namespace {
void Print(const char* what, std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    std::printf("%s: median %.2f ms, p95 %.2f ms, max %.2f ms\n", what, v[v.size() / 2], v[v.size() * 95 / 100], v.back());
}

void FrameImages()
{
    const uint32_t w = 1920, h = 1080;
    const int frames = 8;
    const std::string path = TempDir() + "/bench_frame_images.xqft";
    {
        CWriter writer(path);
        std::vector<uint8_t> image(size_t(w) * h * 4);
        for (int f = 1; f <= frames; ++f) {
            for (size_t i = 0; i < image.size(); ++i)
                image[i] = uint8_t(i * 7 + size_t(f) * 13);
            writer.SwapBuffers(uint32_t(f), w, h, image);
        }
    }
    CTraceController* controller = CTraceController::Instance();
    CFrameBufferWidget viewer;
    viewer.resize(800, 600);
    viewer.show();
    QObject::connect(controller, &CTraceController::SIGTraceUpdate, &viewer, [&](bool clean) { viewer.SetTrace(clean); });
    QObject::connect(controller, &CTraceController::SIGFrameUpdate, &viewer, [&] {
        viewer.ShowFrame();
        viewer.repaint();
    });
    controller->SLTOpenTrace(QString::fromStdString(path));
    QCoreApplication::processEvents();
    std::vector<double> ms;
    QElapsedTimer timer;
    for (int i = 0; i < 40; ++i) {
        timer.start();
        controller->SLTRequestUpdateFrame(1 + i % frames);
        ms.push_back(timer.nsecsElapsed() / 1e6);
    }
    Print("frame change to a 1920x1080 frame image shown", ms);
    controller->Shutdown();
    std::remove(path.c_str());
}

void Statistics()
{
    // Frames of 100,000 calls over 200 functions, every other one over a different 150 of them
    // with other counts, so that each change moves the rows.
    CTraceBuilder b;
    std::vector<std::string> names;
    for (int f = 0; f < 250; ++f)
        names.push_back("glFunction" + std::to_string(f));
    for (int frame = 0; frame < 2; ++frame) {
        const int functions = frame == 0 ? 200 : 150, offset = frame == 0 ? 0 : 100;
        for (int i = 0; i < 100000 - 1; ++i) {
            const int f = offset + (i * 7919 + i / 1000) % functions;
            b.Add(uint16_t(CallFamilyRange(ECallFamily::Es2).first + f), names[size_t(f)].c_str());
        }
        b.Frame();
    }
    CTraceController* controller = CTraceController::Instance();
    CFrameSummaryFrame frames;
    CCallSummaryFrame calls;
    calls.resize(300, 900);
    calls.show();
    frames.show();
    QObject::connect(controller, &CTraceController::SIGTraceUpdate, &calls,
                     qOverload<bool>(&CCallSummaryFrame::SLTUpdatedTrace));
    QObject::connect(controller, &CTraceController::SIGFrameUpdate, &calls, &CCallSummaryFrame::SLTUpdatedCurrFrame);
    QObject::connect(controller, &CTraceController::SIGFrameUpdate, &frames, &CFrameSummaryFrame::SLTUpdatedCurrFrame);
    auto trace = b.Take();
    OpenInController(trace.get());
    for (int f = 0; f < 20; ++f)
        calls.Summary().AddWatch(names[size_t(f * 10)]);
    controller->SLTRequestUpdateFrame(2);
    QCoreApplication::processEvents();
    std::vector<double> ms;
    QElapsedTimer timer;
    for (int i = 0; i < 50; ++i) {
        timer.start();
        controller->SLTRequestUpdateFrame(1 + i % 2);
        calls.repaint();
        frames.repaint();
        ms.push_back(timer.nsecsElapsed() / 1e6);
    }
    Print("statistics dock refresh, frames of 100000 calls over 200 and 150 functions, 20 watches", ms);
    controller->Shutdown();
}
} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    FrameImages();
    Statistics();
    return 0;
}

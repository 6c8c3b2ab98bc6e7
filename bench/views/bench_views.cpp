// The call list on a frame of 100,000 calls: time to open it, milliseconds per scroll step (one
// line, and a page jump anywhere), and the resident memory while scrolling through all of it.
// Offscreen; every step binds and paints the whole page, as a visible window would.
#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>

#include <cstdio>
#include <malloc.h>
#include <random>
#include <string>

#include "BenchSupport.h"
#include "CallFixture.h"
#include "TraceController.h"
#include "calllist/ViewCallsFrame.h"

namespace {
using namespace xqft::bench;

long RssKiB() { return long(StatusKiB("VmRSS:")); }

// One scroll step as a shown window takes it: the page is bound and painted, then the events
// that posted (updates, shows) are served.
void Step(CViewCallsFrame& list)
{
    list.repaint();
    QCoreApplication::processEvents();
}

std::unique_ptr<CTraceData> Frame(int calls)
{
    CTraceBuilder b;
    for (int i = 0; i < calls - 1; ++i) {
        if (i % 40 == 39)
            b.Draw();
        else
            b.Add(kIdUniform).Arg("location", std::to_string(i % 17)).Arg("count", "1")
                .Arg("v", "{0.25, 0.5, 0.75, " + std::to_string(i) + "}");
    }
    b.Frame();
    return b.Take();
}
}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int kCalls = 100000;
    auto trace = Frame(kCalls);

    CTraceController* controller = CTraceController::Instance();
    CViewCallsFrame list;
    QObject::connect(controller, &CTraceController::SIGTraceUpdate, &list,
                     qOverload<bool>(&CViewCallsFrame::SLTUpdatedTrace));
    QObject::connect(controller, &CTraceController::SIGFrameUpdate, &list, &CViewCallsFrame::SLTUpdatedCurrFrame);
    list.resize(814, 1000);
    list.show();
    QCoreApplication::processEvents();

    QElapsedTimer timer;
    timer.start();
    OpenInController(trace.get());
    list.repaint();
    const double openMs = timer.nsecsElapsed() / 1e6;
    QScrollBar* scroll = list.Form().verticalScrollBar;
    std::printf("calls %d, rows %d, open and first page %.1f ms (statistics included)\n", kCalls,
                list.PageRows(), openMs);

    const long rssStart = RssKiB();
    const int lineSteps = 3000;
    timer.restart();
    for (int i = 0; i < lineSteps; ++i) {
        scroll->setValue(scroll->value() + 1);
        Step(list);
    }
    std::printf("line step: %.3f ms (%d steps)\n", timer.nsecsElapsed() / 1e6 / lineSteps, lineSteps);

    std::mt19937 random(7);
    std::uniform_int_distribution<int> anywhere(1, scroll->maximum());
    const int jumps = 2000;
    timer.restart();
    for (int i = 0; i < jumps; ++i) {
        scroll->setValue(anywhere(random));
        Step(list);
    }
    std::printf("jump step: %.3f ms (%d jumps)\n", timer.nsecsElapsed() / 1e6 / jumps, jumps);

    // Every call of the frame shown once, page by page: memory must not follow.
    std::printf("RSS while scrolling through all %d calls (MiB):", kCalls);
    const int pages = kCalls / std::max(1, list.PageRows()) + 1;
    timer.restart();
    for (int p = 0; p < pages; ++p) {
        scroll->setValue(1 + p * list.PageRows());
        Step(list);
        if (p % (pages / 5) == 0)
            std::printf(" %.1f", RssKiB() / 1024.0);
    }
    std::printf(" %.1f\n", RssKiB() / 1024.0);
    std::printf("page step: %.3f ms (%d pages); RSS at start of scrolling %.1f MiB, growth %.2f MiB\n",
                timer.nsecsElapsed() / 1e6 / pages, pages, rssStart / 1024.0, (RssKiB() - rssStart) / 1024.0);
    // A second pass over the same calls: whatever the first pass added once (glyph and font
    // caches, the allocator's arenas) is warm now, so growth here would be kept per call shown.
    const long rssSecond = RssKiB();
    const size_t heapSecond = mallinfo2().uordblks;
    for (int p = 0; p < pages; ++p) {
        scroll->setValue(1 + p * list.PageRows());
        Step(list);
    }
    std::printf("second pass through all calls: RSS growth %.2f MiB, heap in use %+.3f MiB\n",
                (RssKiB() - rssSecond) / 1024.0, (double(mallinfo2().uordblks) - double(heapSecond)) / 1048576.0);
    controller->Shutdown();
    return 0;
}

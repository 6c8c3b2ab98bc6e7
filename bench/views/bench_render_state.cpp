// The render-state tree: from a selection in the call list to the refilled page, for 1,000 random
// calls of a 10,000-call frame of random state calls: the ES 2.0 page (1,000 textures, programs of
// 100 uniforms), then the ES 1.1 page (1,000 textures), every group expanded. Prints p50, p95 and
// max of the whole step (state at the call, page build, tree refill, paint) and of the refill
// alone (goal for the ES 1.1 page: under 2 ms). Offscreen.
#include <QApplication>
#include <QElapsedTimer>
#include <QTreeWidget>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "TraceController.h"
#include "data/TraceData.h"
#include "renderstate/RenderStateWidget.h"

namespace {
void Print(const char* what, std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    auto at = [&](double q) { return ms[std::min(ms.size() - 1, size_t(q * double(ms.size())))]; };
    std::printf("%s: p50 %.2f ms, p95 %.2f ms, max %.2f ms\n", what, at(0.5), at(0.95), ms.back());
}

struct SPage
{
    const char* name;
    const char* generator;  // the xqftgen.py command and options of its trace
    QTreeWidget* (CRenderStateWidget::*tree)() const;
    void (CRenderStateWidget::*fill)();
};

int RunPage(const SPage& page)
{
    const std::string path = xqft::bench::TempDir() + "/bench_render_state.xqft";
    const std::string make = "python3 " XQFT_SOURCE_DIR "/tools/xqftgen.py " + std::string(page.generator) + " " + path;
    if (std::system(make.c_str()) != 0)
        return 1;

    CTraceController* controller = CTraceController::Instance();
    controller->SLTOpenTrace(QString::fromStdString(path));
    CTraceData* trace = controller->GetTrace();
    const STraceFrame* frame = trace ? trace->GetFrame(2) : nullptr;
    if (!frame || frame->endCall == STraceFrame::kOpenEnd) {
        std::fprintf(stderr, "the generated trace did not load\n");
        return 1;
    }
    CRenderStateWidget widget;
    widget.resize(420, 900);
    widget.show();
    widget.SLTUpdateRenderStateCall(int(frame->firstCall + 1));
    for (int g = 0; g < kStateGroupCount; ++g)
        if (QTreeWidgetItem* item = widget.GroupItem(EStateGroup(g)))
            item->setExpanded(true);

    std::mt19937 random(3);
    std::uniform_int_distribution<uint32_t> pick(frame->firstCall + 1, frame->endCall);
    std::vector<double> step, refill;
    QElapsedTimer timer;
    for (int i = 0; i < 1000; ++i) {
        const int call = int(pick(random));
        timer.start();
        widget.SLTUpdateRenderStateCall(call);
        widget.repaint();
        step.push_back(timer.nsecsElapsed() / 1e6);
        timer.start();
        (widget.*page.fill)();
        refill.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::printf("%s page: frame of %u calls, %d groups in the page\n", page.name, frame->endCall - frame->firstCall,
                (widget.*page.tree)()->topLevelItemCount());
    Print("selection to refilled page", step);
    Print("refill alone", refill);
    controller->Shutdown();
    std::remove(path.c_str());
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const SPage pages[] = {
        {"ES 2.0", "es2-state-bench --frames 2 --frame-calls 10000 --textures 1000 --uniforms 100",
         &CRenderStateWidget::Es2Tree, &CRenderStateWidget::FillEs2State},
        {"ES 1.1", "es1-state-bench --frames 2 --frame-calls 10000 --textures 1000", &CRenderStateWidget::Es1Tree,
         &CRenderStateWidget::FillEs1State},
    };
    for (const SPage& page : pages)
        if (RunPage(page) != 0)
            return 1;
    return 0;
}

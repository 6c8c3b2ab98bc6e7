// The call search over a generated one-million-call ES 2.0 trace (es2-mixed: vertex arrays and
// texture uploads included), opened through the viewer's controller: calls/s for a pattern that
// matches nothing and for one that matches about every hundredth call (limit 10,000), the same
// through the controller (which serves events and shows progress while it searches), the latency
// of a cancel from the moment it arrives, and the filter dialog's rebuild for the trace.
// Goals: at least 1,000,000 calls/s for the first, the second within 1.5x of it, cancel within
// 50 ms, rebuild under 50 ms.
#include <QApplication>
#include <QElapsedTimer>
#include <QRegularExpression>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <thread>

#include "BenchSupport.h"
#include "CallSearch.h"
#include "TraceController.h"
#include "UserPrompts.h"
#include "data/TraceData.h"
#include "data/TraceReader.h"
#include "filter/FilterDialog.h"

using namespace xqft::bench;

namespace {
// Every box is answered at once.
class CQuietPrompts : public CUserPrompts
{
public:
    QMessageBox::StandardButton Warning(QWidget*, const QString&, const QString&, QMessageBox::StandardButtons,
                                        QMessageBox::StandardButton) override
    {
        return QMessageBox::Yes;
    }
    void Critical(QWidget*, const QString&, const QString&) override {}
    void Information(QWidget*, const QString&, const QString&) override {}
};
} // namespace

int main(int argc, char** argv)
{
    const long long calls = argc > 1 ? std::atoll(argv[1]) : 1000000;
    const std::string path = TempDir() + "/bench_search_mixed.xqft";
    const std::string command = "python3 " XQFT_SOURCE_DIR "/tools/xqftgen.py es2-mixed " + path + " --calls " +
                                std::to_string(calls) + " --frames 1000";
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "cannot write the trace: %s\n", command.c_str());
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::string config = TempDir() + "/bench_search_config";
    qputenv("XDG_CONFIG_HOME", config.c_str());
    QApplication app(argc, argv);
    CTraceController* c = CTraceController::Instance();
    c->SetPrompts(std::make_unique<CQuietPrompts>());
    c->Init(nullptr, nullptr);
    CTraceReader::Instance().SetLog(nullptr, nullptr);   // no progress lines
    c->SLTOpenTrace(QString::fromStdString(path));
    CTraceData* trace = c->GetTrace();
    if (!trace) {
        std::fprintf(stderr, "cannot open %s\n", path.c_str());
        return 1;
    }
    const SCallRange all = WholeTraceRange(*trace);

    auto timed = [&](const char* what, const char* pattern, uint32_t limit) {
        const QRegularExpression expression(pattern, QRegularExpression::CaseInsensitiveOption);
        std::vector<uint32_t> found;
        const auto t0 = Clock::now();
        const std::clock_t c0 = std::clock();
        const SCallSearchOutcome r = SearchCalls(*trace, all, expression, limit, found);
        const double s = Seconds(t0, Clock::now());
        const double cpu = double(std::clock() - c0) / CLOCKS_PER_SEC;
        std::printf("search %-28s %8u calls, %6zu found in %.3f s (%.3f s of CPU): %.0f calls/s\n", what, r.visited,
                    found.size(), s, cpu, r.visited / s);
        return r.visited / s;
    };
    const double none = timed("matching nothing:", "zq_nothing_matches", 10000);
    const double some = timed("glTexImage2D (about 1%):", "glTexImage2D", 10000);
    std::printf("search: %.0f calls/s matching nothing (goal >= 1000000); every hundredth call %.2fx slower "
                "(goal <= 1.5)\n", none, none / some);

    c->Options().SetMaxSearchItems(10000);
    for (const char* pattern : {"zq_nothing_matches", "glTexImage2D"}) {
        const auto t0 = Clock::now();
        c->SLTRequestedSearch({pattern, true, false});
        const double s = Seconds(t0, Clock::now());
        std::printf("search through the controller, %-20s %.3f s: %.0f calls/s\n", pattern, s, double(all.Count()) / s);
    }

    // A cancel arrives from another thread at a random-ish moment; the progress hook, where the
    // viewer serves its events, passes it on as the viewer's cancel slot does.
    double worst = 0;
    for (int round = 0; round < 5; ++round) {
        std::atomic<bool> arrived{false};
        std::atomic<long long> arrivedAt{0};
        bool cancel = false;
        SCallSearchHooks hooks;
        hooks.cancelRequested = [&] { return cancel; };
        hooks.progress = [&](uint32_t, uint32_t) { cancel = cancel || arrived.load(); };
        std::thread clicker([&, round] {
            std::this_thread::sleep_for(std::chrono::milliseconds(100 + 37 * round));
            arrivedAt = Clock::now().time_since_epoch().count();
            arrived = true;
        });
        const QRegularExpression expression("zq_nothing_matches");
        std::vector<uint32_t> found;
        SearchCalls(*trace, all, expression, 0, found, hooks);
        const long long end = Clock::now().time_since_epoch().count();
        clicker.join();
        const double ms = double(end - arrivedAt) / 1e6;
        worst = ms > worst ? ms : worst;
    }
    std::printf("search: cancel took at most %.2f ms from its arrival (goal <= 50 ms)\n", worst);

    CFilterDialog dialog;
    double slowest = 0;
    for (int round = 0; round < 5; ++round) {
        QElapsedTimer t;
        t.start();
        dialog.SLTUpdatedTrace(false);
        slowest = std::max(slowest, double(t.nsecsElapsed()) / 1e6);
    }
    std::printf("filter dialog: rebuild for the trace took at most %.2f ms (goal < 50 ms)\n", slowest);
    c->Shutdown();
    return 0;
}

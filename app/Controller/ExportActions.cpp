#include "ExportActions.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMainWindow>

#include "TraceController.h"
#include "TraceExport.h"
#include "TraceStatistics.h"
#include "UserPrompts.h"
#include "data/TraceData.h"

namespace {
const char kDone[] = "Operation Complete";
const char kFailed[] = "Operation Failed";

CXQFTString ToBytes(const QString& path)
{
    const QByteArray bytes = path.toLocal8Bit();
    return CXQFTString(bytes.constData(), size_t(bytes.size()));
}

// Both summaries: ask for a .csv path (the dialog titled for the summary), write the summary there
// with save, report the outcome.
void SaveSummary(CTraceController& controller, bool (CTraceStatistics::*save)(const CXQFTString&) const,
                 const char* title, const char* saved)
{
    if (!controller.GetStatistics())
        return;
    CUserPrompts& prompts = controller.Prompts();
    QWidget* window = controller.GetMainWindow();
    const QString path = prompts.SaveFileName(title, "XQFTrace (*.csv)");
    // Looked up again: an open served while the file dialog ran replaced the statistics.
    const CTraceStatistics* statistics = controller.GetStatistics();
    if (path.isEmpty() || !statistics)
        return;
    if ((statistics->*save)(ToBytes(path)))
        prompts.Information(window, kDone, saved);
    else
        prompts.Critical(window, kFailed, "The file could not be written: " + path);
}
} // namespace

void CExportActions::SaveText(bool currentFrame)
{
    CTraceController& c = m_controller;
    if (!c.GetStatistics() || c.IsBusy())
        return;
    const QString path = c.Prompts().SaveFileName("Save Trace", "Text File (*.txt)");
    if (path.isEmpty())
        return;
    const CTraceController::CBusyHold busy = c.HoldBusy();

    STextExportOptions options;
    options.numberCalls = m_numberCalls;
    options.includeData = m_includeData;
    options.onlyFrame = currentFrame ? c.GetCurrentFrame() : 0;
    // The status text is repainted at most every 50 ms: once per frame costs more than the
    // export itself on traces of many small frames.
    QElapsedTimer sinceRepaint;
    sinceRepaint.start();
    options.frameDone = [&c, &sinceRepaint](uint32_t n, uint32_t last) {
        if (n != last && sinceRepaint.elapsed() < 50)
            return;
        sinceRepaint.restart();
        c.UpdateTemporalStatusBar(QString("Saving trace...%1/%2").arg(n).arg(last));
        QCoreApplication::processEvents();
    };
    options.callFailed = [&c](const char* name, uint32_t callNo) {
        c.Prompts().Critical(c.GetMainWindow(), "Error Processing Call",
                             QString("Error processing Call:%1 %2").arg(QString::fromLatin1(name)).arg(callNo));
    };

    const bool written = ExportTraceText(c.GetTrace(), ToBytes(path), options);
    // The export put the cursor back where it was; a frame chosen while it pumped events is the
    // one the views show now.
    CTraceData* trace = c.GetTrace();
    const u32 frame = c.GetCurrentFrame();
    if (trace && frame && u32(trace->GetCurrentFrameNumber()) != frame)
        trace->SetCurrentFrame(frame, true);
    if (!written) {
        c.Prompts().Critical(c.GetMainWindow(), kFailed, "The file could not be written: " + path);
        return;
    }
    c.Prompts().Information(c.GetMainWindow(), kDone, currentFrame ? "Frame Saved." : "Frames Saved.");
}

void CExportActions::SaveShaders()
{
    CTraceController& c = m_controller;
    if (!c.GetStatistics())
        return;
    const QString folder = c.Prompts().ExistingDirectory("Save Shader folder");
    if (folder.isEmpty())
        return;
    // Looked up again: an open served while the folder dialog ran replaced the statistics.
    const CTraceStatistics* statistics = c.GetStatistics();
    if (!statistics)
        return;
    std::vector<CXQFTString> failed;
    if (!ExportShaders(c.GetTrace(), *statistics->GetShaderSources(), ToBytes(folder), &failed)) {
        QStringList names;
        for (const CXQFTString& f : failed)
            names << QString::fromLocal8Bit(f.CStr());
        c.Prompts().Critical(c.GetMainWindow(), kFailed, "These files could not be written:\n" + names.join('\n'));
        return;
    }
    c.Prompts().Information(c.GetMainWindow(), kDone, "Shader Saved.");
}

void CExportActions::SaveFrameSummary()
{
    SaveSummary(m_controller, &CTraceStatistics::SaveFrameSummary, "Save Frames Summary", "Frames Summary saved.");
}

void CExportActions::SaveCallsSummary()
{
    SaveSummary(m_controller, &CTraceStatistics::SaveCallsSummary, "Save Calls Summary", "Calls Summary saved.");
}

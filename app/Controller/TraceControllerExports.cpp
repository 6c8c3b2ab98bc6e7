// Export slots of the controller: ask for a path, run the export core, report the outcome.
#include "TraceController.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMainWindow>

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

// Both summaries: ask for a .csv path, write the summary there with save, report the outcome.
void SaveSummary(CUserPrompts& prompts, QWidget* window, const CTraceStatistics& statistics,
                 bool (CTraceStatistics::*save)(const CXQFTString&) const, const char* saved)
{
    const QString path = prompts.SaveFileName("Save Frames Summary", "XQFTrace (*.csv)");
    if (path.isEmpty())
        return;
    if ((statistics.*save)(ToBytes(path)))
        prompts.Information(window, kDone, saved);
    else
        prompts.Critical(window, kFailed, "The file could not be written: " + path);
}
} // namespace

void CTraceController::STLSaveFrames(bool currentFrame)
{
    // A text export started from the events an export or a load pumps would move the cursor
    // under the walk that runs.
    if (!m_statistics || m_busy)
        return;
    const QString path = m_prompts->SaveFileName("Save Trace", "Text File (*.txt)");
    if (path.isEmpty())
        return;
    const SBusy busy(m_busy);

    STextExportOptions options;
    options.numberCalls = m_numberCallsInExport;
    options.includeData = m_includeDataInExport;
    options.onlyFrame = currentFrame ? m_currentFrame : 0;
    // The status text is repainted at most every 50 ms: once per frame costs more than the
    // export itself on traces of many small frames.
    QElapsedTimer sinceRepaint;
    sinceRepaint.start();
    options.frameDone = [this, &sinceRepaint](uint32_t n, uint32_t last) {
        if (n != last && sinceRepaint.elapsed() < 50)
            return;
        sinceRepaint.restart();
        UpdateTemporalStatusBar(QString("Saving trace...%1/%2").arg(n).arg(last));
        QCoreApplication::processEvents();
    };
    options.callFailed = [this](const char* name, uint32_t callNo) {
        m_prompts->Critical(m_mainWindow, "Error Processing Call",
                            QString("Error processing Call:%1 %2").arg(QString::fromLatin1(name)).arg(callNo));
    };

    const bool written = ExportTraceText(m_trace, ToBytes(path), options);
    // The export put the cursor back where it was; a frame chosen while it pumped events is the
    // one the views show now.
    if (m_trace && m_currentFrame && u32(m_trace->GetCurrentFrameNumber()) != m_currentFrame)
        m_trace->SetCurrentFrame(m_currentFrame, true);
    if (!written) {
        m_prompts->Critical(m_mainWindow, kFailed, "The file could not be written: " + path);
        return;
    }
    m_prompts->Information(m_mainWindow, kDone, currentFrame ? "Frame Saved." : "Frames Saved.");
}

void CTraceController::SLTSaveShaders()
{
    if (!m_statistics)
        return;
    const QString folder = m_prompts->ExistingDirectory("Save Shader folder");
    if (folder.isEmpty())
        return;
    std::vector<CXQFTString> failed;
    if (!ExportShaders(m_trace, *m_statistics->GetShaderSources(), ToBytes(folder), &failed)) {
        QStringList names;
        for (const CXQFTString& f : failed)
            names << QString::fromLocal8Bit(f.CStr());
        m_prompts->Critical(m_mainWindow, kFailed, "These files could not be written:\n" + names.join('\n'));
        return;
    }
    m_prompts->Information(m_mainWindow, kDone, "Shader Saved.");
}

void CTraceController::STLSaveFrameSummary()
{
    if (m_statistics)
        SaveSummary(*m_prompts, m_mainWindow, *m_statistics, &CTraceStatistics::SaveFrameSummary,
                    "Frames Summary saved.");
}

void CTraceController::STLSaveCallsSummary()
{
    if (m_statistics)
        SaveSummary(*m_prompts, m_mainWindow, *m_statistics, &CTraceStatistics::SaveCallsSummary,
                    "Calls Summary saved.");
}

#include "TraceController.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMainWindow>
#include <QTimer>

#include <cstdio>
#include <utility>

#include "ExportActions.h"
#include "HelpActions.h"
#include "RecentFiles.h"
#include "RecentFilesMenu.h"
#include "UserPrompts.h"
#include "Common/XQFPreferences/XQFPreferences.h"
#include "TraceEvent.h"
#include "TraceLoader.h"
#include "TraceStatistics.h"
#include "data/TraceData.h"

namespace {
const char kStoreName[] = "XQFTraceGuiQT";
const char kReadError[] = "Error reading file";
const char kCutShort[] = "Unexpected end reading trace file.\n Try to open the processed calls.";
const char kBadFormat[] = "Bad Formatted file.";
const char kNotFound[] = "File not found: ";
} // namespace

CTraceController* CTraceController::Instance()
{
    static CTraceController controller;
    return &controller;
}

CTraceController::CTraceController()
    : m_prompts(std::make_unique<CUserPrompts>()), m_loader(std::make_unique<CTraceLoader>()),
      m_help(std::make_unique<CHelpActions>()), m_exports(std::make_unique<CExportActions>(*this))
{
}

CTraceController::~CTraceController()
{
    Shutdown();
}

void CTraceController::Shutdown()
{
    if (m_preferences)
        SaveOptions();
    RestoreEmulatorProfile();
    // The trace container belongs to the reader; only the pointer is dropped here.
    m_trace = nullptr;
    m_statistics.reset();
    m_textures.clear();
    m_help->SetContext(nullptr, nullptr);   // before the store the updater reads
    m_recentFiles.reset();
    m_preferences.reset();
    m_mainWindow = nullptr;
    // A later Init starts as a new program does: options at their defaults, no profile found.
    m_options.Reset();
    m_savedProfile = 0;
    m_currentFrame = 0;
    m_searchStarted = false;
    m_filePath.clear();
    m_rangeMode = false;
    m_filterSet.clear();
    m_highlightSet.clear();
    m_disabledCalls.clear();
    m_disabledFunctions.clear();
    m_deferredOpen.clear();
}

void CTraceController::SetPrompts(std::unique_ptr<CUserPrompts> prompts)
{
    m_prompts = prompts ? std::move(prompts) : std::make_unique<CUserPrompts>();
}

void CTraceController::SetLoader(std::unique_ptr<CTraceLoader> loader)
{
    m_loader = loader ? std::move(loader) : std::make_unique<CTraceLoader>();
}

void CTraceController::Init(QMainWindow* mainWindow, CRecentFilesMenu* recentMenu)
{
    m_mainWindow = mainWindow;
    // The updater reads the store it was made with: it goes before the store is replaced.
    m_help->SetContext(nullptr, nullptr);
    m_preferences = std::make_unique<CXQFPreferences>(CXQFTString(kStoreName), 0);
    CXQFTString error;
    const bool loaded = m_preferences->Load(error, true);
    if (loaded) {
        RestoreWindowState();
        LoadOptions();
        ForceEmulatorProfile();
    } else {
        // The program runs with default options; the settings are still saved at exit.
        std::printf("Failed to load preferences: %s\n", error.CStr());
        std::fflush(stdout);
    }

    // Made in every case: opening a file always records it here, and a missing object made
    // the first open after a failed load crash.
    m_recentFiles = std::make_unique<CRecentFiles>(m_preferences.get(), 0, CXQFTString(""), 10);
    if (recentMenu)
        m_recentFiles->Install(recentMenu);
    connect(m_recentFiles.get(), &CRecentFiles::triggered, this,
            qOverload<QString>(&CTraceController::SLTOpenTrace));

    m_help->SetContext(m_mainWindow, m_preferences.get());
    if (loaded)
        m_help->StartUpdater();
}

CAutoUpdater* CTraceController::GetUpdater() const { return m_help->Updater(); }

void CTraceController::SLTHelp() { m_help->OpenManual(); }
void CTraceController::SLTFeedback() { m_help->ShowFeedback(); }
void CTraceController::SLTshowAbout(bool bForce) { m_help->ShowAbout(bForce); }
void CTraceController::SLTForceCheckForUpdates() { m_help->ForceCheckForUpdates(); }

void CTraceController::STLSaveFrames(bool currentFrame) { m_exports->SaveText(currentFrame); }
void CTraceController::SLTSaveShaders() { m_exports->SaveShaders(); }
void CTraceController::STLSaveFrameSummary() { m_exports->SaveFrameSummary(); }
void CTraceController::STLSaveCallsSummary() { m_exports->SaveCallsSummary(); }

const STraceFrameStats* CTraceController::GetFrameStats(u32 frame) const
{
    if (!m_statistics || !m_trace)
        return nullptr;
    return m_statistics->GetFrame(frame != 0 ? frame : u32(m_trace->GetCurrentFrameNumber()));
}

void CTraceController::GetFilterSets(const std::set<u32>** filterSet, const std::set<u32>** highlightSet) const
{
    if (filterSet)
        *filterSet = &m_filterSet;
    if (highlightSet)
        *highlightSet = &m_highlightSet;
}

void CTraceController::ChangeSet(std::set<u32>& set, u32 value, bool present)
{
    const bool changed = present ? set.insert(value).second : set.erase(value) != 0;
    if (changed)
        Q_EMIT SIGCallSetsChanged();
}

void CTraceController::SetFunctionFiltered(u32 function, bool filtered) { ChangeSet(m_filterSet, function, filtered); }

void CTraceController::SetFunctionHighlighted(u32 function, bool highlighted)
{
    ChangeSet(m_highlightSet, function, highlighted);
}

void CTraceController::SetFilterSets(std::set<u32> filterSet, std::set<u32> highlightSet)
{
    m_filterSet = std::move(filterSet);
    m_highlightSet = std::move(highlightSet);
    Q_EMIT SIGCallSetsChanged();
}

void CTraceController::ClearFilterSet()
{
    m_filterSet.clear();
    Q_EMIT SIGCallSetsChanged();
}

void CTraceController::ClearHighlightSet()
{
    m_highlightSet.clear();
    Q_EMIT SIGCallSetsChanged();
}

void CTraceController::SetCallDisabled(u32 callNumber, bool disabled) { ChangeSet(m_disabledCalls, callNumber, disabled); }

void CTraceController::ClearDisabledCalls()
{
    m_disabledCalls.clear();
    Q_EMIT SIGCallSetsChanged();
}

void CTraceController::SetFunctionDisabled(u32 function, bool disabled)
{
    ChangeSet(m_disabledFunctions, function, disabled);
}

void CTraceController::SetRangeMode(bool on)
{
    if (m_rangeMode == on)
        return;
    m_rangeMode = on;
    Q_EMIT SIGCallSetsChanged();
}

void CTraceController::UpdateTemporalStatusBar(const QString& text)
{
    Q_EMIT SIGUpdateTemporalStatusBar(text);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void CTraceController::SetAnalysisRunning(bool running)
{
    m_analysisRunning = running;
    if (!running && !m_deferredOpen.isEmpty())
        QTimer::singleShot(0, this, &CTraceController::OpenDeferred);
}

void CTraceController::OpenDeferred()
{
    // A new analysis started meanwhile: its end asks again.
    if (m_deferredOpen.isEmpty() || m_analysisRunning)
        return;
    // Inside a load or an export (the analysis ran in the events they pump): once they are done.
    if (m_busy) {
        QTimer::singleShot(50, this, &CTraceController::OpenDeferred);
        return;
    }
    SLTOpenTrace(std::exchange(m_deferredOpen, QString()));
}

void CTraceController::DropTrace()
{
    m_statistics.reset();
    m_textures.clear();
    m_trace = nullptr;
    // Until another trace opens there is no file and no frame (an open that fails leaves none).
    m_filePath.clear();
    m_currentFrame = 0;
}

void CTraceController::SLTOpenTrace()
{
    const QString path = m_prompts->OpenFileName("Open File", "XQFTrace Files (*.xqft)");
    if (!path.isEmpty())
        SLTOpenTrace(path);
}

void CTraceController::SLTOpenTrace(QString path)
{
    // The progress displays of a load and of the text export pump events; a drop or a recent-file
    // click served there must not start a load inside the load (the reader is not re-entrant) or
    // free the trace the export is walking. An analysis replaying the trace is aborted instead, and
    // the file opens when it has returned.
    if (m_analysisRunning) {
        m_deferredOpen = path;
        Q_EMIT SIGAbortAnalysis();
        return;
    }
    if (m_busy)
        return;
    const CBusyHold busy = HoldBusy();

    if (m_trace || m_statistics) {
        Q_EMIT SIGTraceUpdate(true);
        DropTrace();
    }

    // Paths go to the reader as bytes of the local encoding, so non-ASCII names open too.
    const QByteArray bytes = path.toLocal8Bit();
    CTraceEvent event(this);
    int result;
    try {
        result = m_loader->Load(CXQFTString(bytes.constData(), size_t(bytes.size())), &event);
    } catch (...) {
        UpdateTemporalStatusBar("File corrupted.");
        m_prompts->Critical(m_mainWindow, kReadError, "File corrupted.");
        return;
    }
    // While a box says why the file did not open (or asks what to do), the status bar says it too,
    // not the load's last progress ("Opening file: 100%").
    auto warn = [&](const QString& text, QMessageBox::StandardButtons buttons, QMessageBox::StandardButton answer) {
        UpdateTemporalStatusBar(text.section('\n', 0, 0).trimmed());
        return m_prompts->Warning(m_mainWindow, kReadError, text, buttons, answer);
    };

    // The message names the file and, under it, what the reader found wrong.
    const CXQFTString reason = m_loader->LastError();
    auto withFile = [&](const char* text) {
        QString message = QString(text) + "\n\n" + QDir::toNativeSeparators(path);
        if (!reason.IsEmpty())
            message += "\n" + QString::fromLocal8Bit(reason.CStr(), qsizetype(reason.Length()));
        else if (result == 4 || !m_loader->GetTraceData() || m_loader->GetTraceData()->GetFrameCount() <= 0)
            message += "\nThe file holds no call.";
        return message;
    };
    // A file that is not there is said to be missing, not badly formatted, and its recent-files
    // entry goes.
    auto reportBadFile = [&] {
        if (QFileInfo::exists(path)) {
            warn(withFile(kBadFormat), QMessageBox::Ok, QMessageBox::Ok);
            return;
        }
        warn(QString(kNotFound) + QDir::toNativeSeparators(path), QMessageBox::Ok, QMessageBox::Ok);
        if (m_recentFiles)
            m_recentFiles->removeFile(path);
    };
    switch (result) {
    case 0:
        break;
    case 1:
    case 3:
        if (warn(withFile(kCutShort), QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) != QMessageBox::Yes)
            return;
        break;
    case 2:
    case 4:
        reportBadFile();
        return;
    default:
        break;
    }

    CTraceData* trace = m_loader->GetTraceData();
    if (!trace || trace->GetFrameCount() <= 0) {
        // Any code that leaves no trace (or one without a single call) is a bad file.
        if (result != 4 && result != 2)
            reportBadFile();
        return;
    }
    // Only traces that opened are offered again.
    if (m_recentFiles)
        m_recentFiles->addFile(path);

    m_trace = trace;
    m_statistics = std::make_unique<CTraceStatistics>(trace);
    UpdateTemporalStatusBar("Extracting Stats...");
    m_statistics->Compute();
    m_trace->Rewind();
    ExtractTextures();
    m_filePath = path;
    Q_EMIT SIGTraceUpdate(false);
    m_currentFrame = 1;
    Q_EMIT SIGFrameUpdate();
}

void CTraceController::SLTRequestUpdateFrame(int frame)
{
    // 1 to the frame count: SetCurrentFrame refuses the empty frame after the last eglSwapBuffers.
    if (!m_trace || frame <= 0 || !m_trace->SetCurrentFrame(u32(frame), true))
        return;
    m_currentFrame = u32(frame);
    Q_EMIT SIGFrameUpdate();
}

void CTraceController::SLTRequestedShowCall(int callNo)
{
    // A number without an entry (a search result from an earlier trace) is ignored.
    if (!m_trace || callNo <= 0)
        return;
    STraceCall* entry = m_trace->GetCall(u32(callNo));
    if (!entry)
        return;
    const u32 frame = entry->frame;
    if (frame != m_currentFrame) {
        m_trace->SetCurrentFrame(frame, true);
        m_currentFrame = frame;
        Q_EMIT SIGFrameUpdate();
    }
    Q_EMIT SIGRequestedShowCall(callNo);
}

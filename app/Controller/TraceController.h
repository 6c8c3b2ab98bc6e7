#pragma once
// The process-wide controller through which the main window and every view reach the open
// trace. Views hold no trace state: they pull through the accessors below when the controller
// emits SIGTraceUpdate / SIGFrameUpdate. The call sets, the range mode, the current frame and the
// file path belong to the controller: views read them and change them only through its methods,
// which emit SIGCallSetsChanged. Everything runs on the GUI thread.
#include <QObject>
#include <QString>

#include <memory>
#include <set>
#include <vector>

#include "TextureThumbnails.h"
#include "ViewerOptions.h"

using u32 = unsigned int;

class CTraceData;
class CTraceStatistics;
class CXQFPreferences;
class CRecentFiles;
class CRecentFilesMenu;
class CUserPrompts;
class CTraceLoader;
class CAutoUpdater;
class CExportActions;
class CHelpActions;
class QMainWindow;
struct STraceFrameStats;

class CTraceController : public QObject
{
    Q_OBJECT
public:
    // A call search as the Find dialog asks for it.
    struct SSearchParam {
        QString pattern;
        bool wholeTrace = false;      // false: the calls of the current frame
        bool caseSensitive = false;
    };
    // Call numbers found by a search, ascending.
    using TSEARCHCALLS = std::vector<u32>;

    static CTraceController* Instance();
    ~CTraceController() override;

    // Called once by the main window while it is built: preferences, window state, options,
    // emulator profile, recent files.
    void Init(QMainWindow* mainWindow, CRecentFilesMenu* recentMenu);

    CTraceData* GetTrace() const { return m_trace; }
    CTraceStatistics* GetStatistics() const { return m_statistics.get(); }
    // The statistics record of frame (1-based), or of the current frame for 0.
    const STraceFrameStats* GetFrameStats(u32 frame) const;
    // The texture records of the open trace, in upload order (empty while none is open).
    TTextureThumbnails* GetTextures() { return &m_textures; }
    // The texture image in force just after call `callNumber` of the open trace (see
    // TextureAtCall); false when that call shows no texture.
    bool TextureAtCall(uint32_t callNumber, STextureThumbnail& out);
    QString GetFilePath() const { return m_filePath; }
    // The frame the views show (1-based; 0 without a trace).
    u32 GetCurrentFrame() const { return m_currentFrame; }

    // The call sets: function ids filtered out of and highlighted in the call list, the call
    // numbers and function ids the frame analysis does not play.
    void GetFilterSets(const std::set<u32>** filterSet, const std::set<u32>** highlightSet) const;
    const std::set<u32>& GetDisabledCalls() const { return m_disabledCalls; }
    const std::set<u32>& GetDisabledFunctions() const { return m_disabledFunctions; }
    void SetFunctionFiltered(u32 function, bool filtered);
    void SetFunctionHighlighted(u32 function, bool highlighted);
    // Both sets at once (the filter dialog's choices).
    void SetFilterSets(std::set<u32> filterSet, std::set<u32> highlightSet);
    void ClearFilterSet();
    void ClearHighlightSet();
    void SetCallDisabled(u32 callNumber, bool disabled);
    void ClearDisabledCalls();
    void SetFunctionDisabled(u32 function, bool disabled);
    // Written by the image-analysis dock: true while its range selection is chosen.
    bool GetRangeMode() const { return m_rangeMode; }
    void SetRangeMode(bool on);
    CXQFPreferences* GetPreferences() const { return m_preferences.get(); }
    CRecentFiles* GetRecentFiles() const { return m_recentFiles.get(); }
    // Made by Init when the preference store loaded; null otherwise.
    CAutoUpdater* GetUpdater() const;
    // The parent of every message box; set by Init.
    QMainWindow* GetMainWindow() const { return m_mainWindow; }

    // The viewer options: loaded by Init, saved by Shutdown; SIGOptionsChanged tells of changes.
    CViewerOptions& Options() { return m_options; }
    const CViewerOptions& Options() const { return m_options; }
    // The File menu's exports, which the export slots run; the text export's switches are set there.
    CExportActions& Exports() { return *m_exports; }

    // True from the start of the first search to the end of the program (the Find dialog enables
    // its Cancel button by it).
    bool IsSearchStarted() const { return m_searchStarted; }

    // A load, a search and a text export walk the trace and pump events while they do; a request
    // served from those events must not replace the trace or move its cursor under them. Such
    // work holds the controller busy; opens, searches and text exports asked meanwhile are
    // refused (an open asked during an analysis waits instead, see SetAnalysisRunning).
    bool IsBusy() const { return m_busy; }
    class CBusyHold
    {
    public:
        ~CBusyHold() { m_flag = false; }
        CBusyHold(const CBusyHold&) = delete;
        CBusyHold& operator=(const CBusyHold&) = delete;

    private:
        friend class CTraceController;
        explicit CBusyHold(bool& flag) : m_flag(flag) { m_flag = true; }
        bool& m_flag;
    };
    // Busy until the hold ends.
    [[nodiscard]] CBusyHold HoldBusy() { return CBusyHold(m_busy); }

    void UpdateTemporalStatusBar(const QString& text);
    // Takes the text off the status bar when it is still what the bar shows (a failure that a later
    // success has made untrue).
    void ClearTemporalStatusBar(const QString& text) { Q_EMIT SIGClearTemporalStatusBar(text); }
    // The image-analysis dock replays the open trace and pumps events while it does. Meanwhile an
    // open request (menu, drop, recent file) must not free that trace: it aborts the analysis
    // (SIGAbortAnalysis) and is served once the analysis has ended.
    void SetAnalysisRunning(bool running);
    bool AnalysisRunning() const { return m_analysisRunning; }
    void RequestOpenFilterDialog() { Q_EMIT SIGRequestedOpenFilterDialog(); }

    // Viewer settings in the store "XQFTraceGuiQT" (the options and the window layout).
    void LoadOptions();
    void SaveOptions();
    void RestoreWindowState();
    void SaveWindowState();
    void ForceEmulatorProfile();
    void RestoreEmulatorProfile();

    // Seams: tests replace the user prompts and the trace loader. The controller keeps the
    // objects until replaced; null restores the defaults.
    void SetPrompts(std::unique_ptr<CUserPrompts> prompts);
    void SetLoader(std::unique_ptr<CTraceLoader> loader);
    CUserPrompts& Prompts() { return *m_prompts; }

    // Drops the trace pointer and statistics and the preference stores as at process exit, so
    // that tests can run several "program starts" in one process. The window pointer is cleared,
    // the options go back to their defaults and the call sets, range mode, current frame and file
    // path are emptied.
    void Shutdown();

Q_SIGNALS:
    void SIGTraceUpdate(bool clean);
    void SIGFrameUpdate();
    void SIGRedrawImageAnalsys();
    void SIGRequestedOpenFilterDialog();
    // The search's list so far: valid during the emission only (receivers copy what they keep).
    void SIGRequestOutputSearchViewer(CTraceController::TSEARCHCALLS* calls);
    void SIGRequestedShowCall(int callNo);
    void SIGUpdateTemporalStatusBar(QString text);
    void SIGClearTemporalStatusBar(QString text);
    // A call set or the range mode changed.
    void SIGCallSetsChanged();
    // An open waits for the running analysis: it should end as soon as it can.
    void SIGAbortAnalysis();

public Q_SLOTS:
    void SLTOpenTrace(QString path);
    void SLTOpenTrace();
    void SLTRequestUpdateFrame(int frame);
    void SLTRequestRedrawImageAnalysis() { Q_EMIT SIGRedrawImageAnalsys(); }
    void SLTRequestedSearch(CTraceController::SSearchParam param);
    void SLTRequestedShowCall(int callNo);
    void SLTRequestCancelSearch();
    // File menu exports (CExportActions does the work).
    void SLTSaveShaders();
    void STLSaveFrame() { STLSaveFrames(true); }
    void STLSaveFrames(bool currentFrame);
    void STLSaveFrames() { STLSaveFrames(false); }
    void STLSaveFrameSummary();
    void STLSaveCallsSummary();
    // Help menu: the user manual, the feedback dialog, the About box and the update check
    // (CHelpActions does the work).
    void SLTHelp();
    void SLTFeedback();
    void SLTAbout() { SLTshowAbout(true); }
    void SLTshowAbout(bool bForce);
    void SLTForceCheckForUpdates();

private:
    CTraceController();
    void DropTrace();
    // Opens the file an analysis held back, once nothing walks the trace any more.
    void OpenDeferred();
    // Turns every full-image upload of the open trace into a texture record with its thumbnail.
    void ExtractTextures();
    CTraceData* m_trace = nullptr;                   // owned by the trace reader, never deleted here
    QString m_filePath;
    std::unique_ptr<CTraceStatistics> m_statistics;
    TTextureThumbnails m_textures;
    QMainWindow* m_mainWindow = nullptr;
    std::unique_ptr<CXQFPreferences> m_preferences;
    std::unique_ptr<CXQFPreferences> m_emulatorPreferences;
    u32 m_savedProfile = 0;
    // Changes one set; emits SIGCallSetsChanged when it changed.
    void ChangeSet(std::set<u32>& set, u32 value, bool present);

    u32 m_currentFrame = 0;
    bool m_rangeMode = false;
    std::set<u32> m_highlightSet;
    std::set<u32> m_filterSet;
    std::set<u32> m_disabledCalls;
    std::set<u32> m_disabledFunctions;
    std::unique_ptr<CRecentFiles> m_recentFiles;
    std::unique_ptr<CUserPrompts> m_prompts;
    std::unique_ptr<CTraceLoader> m_loader;
    CViewerOptions m_options;
    std::unique_ptr<CHelpActions> m_help;
    std::unique_ptr<CExportActions> m_exports;
    bool m_busy = false;      // see IsBusy
    bool m_analysisRunning = false;
    QString m_deferredOpen;   // asked for during an analysis
    // The search's cancel request: the search itself runs on the GUI thread, so the request can
    // only come from the events it serves (SLTRequestCancelSearch), and it polls this flag
    // between calls. Only one search runs at a time (the busy flag refuses a second).
    bool m_searchCancel = false;
    bool m_searchStarted = false;
};

Q_DECLARE_METATYPE(CTraceController::SSearchParam)

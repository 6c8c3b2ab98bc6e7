#pragma once
// The main window: owns every dock, view and dialog, wires the menu actions to the trace
// controller, shows the open file in its title and the current frame in its status bar, and
// opens .xqft files dropped onto it. It holds no trace data.
#include <QMainWindow>
#include <QString>

class QAction;
class QDockWidget;
class QLabel;
class QMenu;
class QScrollBar;
class CRecentFilesMenu;
class CNetworkDialog;
class CCallSummaryFrame;
class CFrameBufferWidget;
class CShaderViewerWidget;
class CTextureViewerWidget;
class CFrameSummaryFrame;
class CRenderStateWidget;
class CShaderListWidget;
class CTextureListWidget;
class CGeneralOptionsDialog;
class CImageAnalysisWidget;
class COutputViewerWidget;
class COutputWidget;
class CFilterDialog;
class CSearchDialog;
class CSearchViewerWidget;

class XQFTraceGui_Qt : public QMainWindow
{
    Q_OBJECT
public:
    explicit XQFTraceGui_Qt(QWidget* parent = nullptr, Qt::WindowFlags flags = {});
    ~XQFTraceGui_Qt() override;

    // "XQFTraceGUI 3.0" and, with a file, a blank and the file's name.
    static QString TitleFor(const QString& filePath);

    QLabel* FrameLabel() const { return m_frameLabel; }
    QScrollBar* FrameSlider() const { return m_frameSlider; }
    QMenu* ExportMenu() const { return menuSave; }
    CRecentFilesMenu* RecentFilesMenu() const { return m_recentFilesMenu; }
    CNetworkDialog* NetworkDialog() const { return m_networkDialog; }
    CGeneralOptionsDialog* OptionsDialog() const { return m_optionsDialog; }
    CFilterDialog* FilterDialog() const { return m_filterDialog; }
    CSearchDialog* SearchDialog() const { return m_searchDialog; }
    CSearchViewerWidget* SearchResults() const { return m_searchResults; }

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private Q_SLOTS:
    void SLTUpdatedTrace(bool clean);
    void SLTUpdatedTrace() { SLTUpdatedTrace(false); }
    void SLTUpdatedCurrFrame();
    void SLTopenRecentFile();
    void SLTRequestOpenFilterDialog();
    void SLTRequestSearch();
    void SLTUpdateTemporalStatusBar(QString text);
    void SLTOpenDraggedFile();
    // The preferences changed: the shader viewer takes the compiler path.
    void SLTOptionDialogUpdated();

private:
    void SetupUi();
    void RetranslateUi();
    QDockWidget* AddDock(QDockWidget* dock, const char* menuText, Qt::DockWidgetArea area);
    void BuildStatisticsDock();
    void BuildStatesDock();
    void BuildDataViewerDock();
    void BuildOutputDock();
    void BuildImageAnalysisDock();
    // The Find and filter dialogs and the search results' wiring (XQFTraceGuiSearch.cpp).
    void BuildSearchAndFilterDialogs();
    void MakeConnections();

    // The form.
    QAction* actionOpen = nullptr;
    QAction* actionQuitExit = nullptr;
    QAction* actionSaveCurrentFrame = nullptr;
    QAction* actionSaveAll = nullptr;
    QAction* actionSaveShaders = nullptr;
    QAction* actionSaveFramesStatistics = nullptr;
    QAction* actionSaveCallsStatistics = nullptr;
    QAction* actionTrace_Manager = nullptr;
    QAction* actionRemoteController = nullptr;
    QAction* actionOptions = nullptr;
    QAction* actionHelp = nullptr;
    QAction* actionFeedback = nullptr;
    QAction* actionAbout = nullptr;
    QAction* actionCheck_for_Updates = nullptr;
    QAction* action = nullptr;
    QAction* actionQuit = nullptr;
    QAction* actionEnumerate_Frames_Call_Comp = nullptr;
    QAction* actionInclude_Data = nullptr;
    QMenu* menuFile = nullptr;
    QMenu* menuOpen_Recently = nullptr;
    QMenu* menuSave = nullptr;
    QMenu* menuTools = nullptr;
    QMenu* menuView = nullptr;
    QMenu* menuHelp = nullptr;

    QWidget* m_callList = nullptr;
    QDockWidget* m_statisticsDock = nullptr;
    COutputWidget* m_outputDock = nullptr;
    QDockWidget* m_statesDock = nullptr;
    CImageAnalysisWidget* m_imageAnalysisDock = nullptr;
    QDockWidget* m_dataViewerDock = nullptr;
    COutputViewerWidget* m_outputViewer = nullptr;
    CFrameSummaryFrame* m_frameSummary = nullptr;
    CCallSummaryFrame* m_callSummary = nullptr;
    CRenderStateWidget* m_renderState = nullptr;
    CTextureListWidget* m_textureList = nullptr;
    CShaderListWidget* m_shaderList = nullptr;
    CTextureViewerWidget* m_textureViewer = nullptr;
    CFrameBufferWidget* m_frameBufferViewer = nullptr;
    CShaderViewerWidget* m_shaderViewer = nullptr;

    QLabel* m_frameLabel = nullptr;
    QScrollBar* m_frameSlider = nullptr;
    QString m_draggedFile;
    CRecentFilesMenu* m_recentFilesMenu = nullptr;
    CNetworkDialog* m_networkDialog = nullptr;
    CGeneralOptionsDialog* m_optionsDialog = nullptr;
    CSearchViewerWidget* m_searchResults = nullptr;
    CFilterDialog* m_filterDialog = nullptr;
    CSearchDialog* m_searchDialog = nullptr;
};

#include "XQFTraceGui_Qt.h"

#include <QAction>
#include <QApplication>
#include <QDockWidget>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>

#include "AppIcons.h"
#include "GeneralOptionsDialog.h"
#include "NetworkDialog.h"
#include "RecentFilesMenu.h"
#include "TraceController.h"
#include "calllist/ViewCallsFrame.h"
#include "dataviewer/DataViewerWidget.h"
#include "dataviewer/FrameBufferWidget.h"
#include "dataviewer/ShaderViewerWidget.h"
#include "dataviewer/TextureViewerWidget.h"
#include "imageanalysis/ImageAnalysisWidget.h"
#include "output/OutputViewerWidget.h"
#include "output/OutputWidget.h"
#include "search/SearchViewerWidget.h"
#include "renderstate/RenderStateWidget.h"
#include "states/ShaderListWidget.h"
#include "states/StatesWidget.h"
#include "states/TextureListWidget.h"
#include "statistics/CallSummaryFrame.h"
#include "statistics/FrameSummaryFrame.h"
#include "statistics/StatisticViewerWidget.h"
#include "data/TraceData.h"

namespace {
const int kVersionMajor = 3;
const int kVersionMinor = 0;
const int kStatusTimeout = 10000;
} // namespace

QString XQFTraceGui_Qt::TitleFor(const QString& filePath)
{
    QString title = QString::asprintf("XQFTraceGUI %d.%d", kVersionMajor, kVersionMinor);
    if (!filePath.isEmpty()) {
        const QFileInfo info(filePath);
        title += " " + info.baseName() + "." + info.completeSuffix();
    }
    return title;
}

XQFTraceGui_Qt::XQFTraceGui_Qt(QWidget* parent, Qt::WindowFlags flags) : QMainWindow(parent, flags)
{
    SetupUi();

    auto* callList = new CViewCallsFrame(this);
    m_callList = callList;
    setCentralWidget(m_callList);
    CTraceController* controller = CTraceController::Instance();
    connect(controller, &CTraceController::SIGTraceUpdate, callList, qOverload<bool>(&CViewCallsFrame::SLTUpdatedTrace));
    connect(controller, &CTraceController::SIGFrameUpdate, callList, &CViewCallsFrame::SLTUpdatedCurrFrame);
    connect(controller, &CTraceController::SIGRequestedShowCall, callList,
            qOverload<int>(&CViewCallsFrame::SLTRequestedShowCall));

    BuildStatisticsDock();
    BuildOutputDock();
    BuildStatesDock();
    BuildImageAnalysisDock();
    BuildDataViewerDock();
    m_networkDialog = new CNetworkDialog(this);

    // The form's "Open Recent" submenu is only a placeholder for the recent-files menu.
    m_recentFilesMenu = new CRecentFilesMenu("Open Recent File", this);
    m_recentFilesMenu->setIcon(AppIcon(EAppIcon::Open));
    menuFile->insertMenu(menuOpen_Recently->menuAction(), m_recentFilesMenu);
    menuFile->removeAction(menuOpen_Recently->menuAction());
    delete menuOpen_Recently;
    menuOpen_Recently = nullptr;

    m_frameLabel = new QLabel("Frame: ", this);
    m_frameLabel->setFrameShape(QFrame::Panel);
    m_frameLabel->setFrameShadow(QFrame::Sunken);
    statusBar()->addPermanentWidget(m_frameLabel);
    m_frameSlider = new QScrollBar(Qt::Horizontal, this);
    m_frameSlider->setRange(1, 1);
    m_frameSlider->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Minimum);
    statusBar()->addPermanentWidget(m_frameSlider);
    statusBar()->showMessage("Ready.", 20000);

    BuildSearchAndFilterDialogs();
    m_optionsDialog = new CGeneralOptionsDialog(this);

    CTraceController::Instance()->Init(this, m_recentFilesMenu);
    // The shader viewer's editor starts with the compiler the options name.
    m_shaderViewer->SLTUpdateCompiler();
    setWindowTitle(TitleFor(QString()));

    MakeConnections();

    const QStringList args = QCoreApplication::arguments();
    if (args.size() > 1)
        CTraceController::Instance()->SLTOpenTrace(args.at(1));
}

XQFTraceGui_Qt::~XQFTraceGui_Qt()
{
    CTraceController::Instance()->SaveWindowState();
}

void XQFTraceGui_Qt::SetupUi()
{
    setObjectName("XQFTraceGui_QtClass");
    resize(941, 768);
    setWindowIcon(AppIcon(EAppIcon::Application));
    setAcceptDrops(true);

    auto makeAction = [this](QAction*& a, const char* name, EAppIcon* icon = nullptr) {
        a = new QAction(this);
        a->setObjectName(name);
        if (icon)
            a->setIcon(AppIcon(*icon));
    };
    EAppIcon open = EAppIcon::Open, exportIcon = EAppIcon::Export, exitIcon = EAppIcon::Exit,
             help = EAppIcon::Help, about = EAppIcon::About, feedback = EAppIcon::Feedback,
             update = EAppIcon::Update, remote = EAppIcon::Remote, prefs = EAppIcon::Preferences;
    makeAction(actionOpen, "actionOpen", &open);
    makeAction(actionQuitExit, "actionQuitExit", &exitIcon);
    makeAction(actionSaveCurrentFrame, "actionSaveCurrentFrame", &exportIcon);
    makeAction(actionSaveAll, "actionSaveAll", &exportIcon);
    makeAction(actionSaveShaders, "actionSaveShaders", &exportIcon);
    makeAction(actionSaveFramesStatistics, "actionSaveFramesStatistics", &exportIcon);
    makeAction(actionSaveCallsStatistics, "actionSaveCallsStatistics", &exportIcon);
    makeAction(actionTrace_Manager, "actionTrace_Manager");
    actionTrace_Manager->setEnabled(false);
    makeAction(actionRemoteController, "actionRemoteController", &remote);
    makeAction(actionOptions, "actionOptions", &prefs);
    makeAction(actionHelp, "actionHelp", &help);
    makeAction(actionFeedback, "actionFeedback", &feedback);
    makeAction(actionAbout, "actionAbout", &about);
    makeAction(actionCheck_for_Updates, "actionCheck_for_Updates", &update);
    makeAction(action, "action");
    makeAction(actionQuit, "actionQuit");
    makeAction(actionEnumerate_Frames_Call_Comp, "actionEnumerate_Frames_Call_Comp");
    actionEnumerate_Frames_Call_Comp->setCheckable(true);
    actionEnumerate_Frames_Call_Comp->setChecked(true);
    makeAction(actionInclude_Data, "actionInclude_Data");
    actionInclude_Data->setCheckable(true);

    QMenuBar* bar = menuBar();
    bar->setObjectName("menuBar");
    menuFile = new QMenu(bar);
    menuFile->setObjectName("menuFile");
    menuOpen_Recently = new QMenu(menuFile);
    menuOpen_Recently->setObjectName("menuOpen_Recently");
    menuSave = new QMenu(menuFile);
    menuSave->setObjectName("menuSave");
    menuSave->setIcon(AppIcon(EAppIcon::Export));
    menuTools = new QMenu(bar);
    menuTools->setObjectName("menuTools");
    menuView = new QMenu(bar);
    menuView->setObjectName("menuView");
    menuHelp = new QMenu(bar);
    menuHelp->setObjectName("menuHelp");

    bar->addAction(menuFile->menuAction());
    bar->addAction(menuTools->menuAction());
    bar->addAction(menuView->menuAction());
    bar->addAction(menuHelp->menuAction());
    menuFile->addAction(actionOpen);
    menuFile->addAction(menuOpen_Recently->menuAction());
    menuFile->addAction(menuSave->menuAction());
    menuFile->addSeparator();
    menuFile->addAction(actionQuitExit);
    menuSave->addAction(actionSaveCurrentFrame);
    menuSave->addAction(actionSaveAll);
    menuSave->addSeparator();
    menuSave->addAction(actionSaveShaders);
    menuSave->addSeparator();
    menuSave->addAction(actionSaveFramesStatistics);
    menuSave->addAction(actionSaveCallsStatistics);
    menuTools->addAction(actionTrace_Manager);
    menuTools->addAction(actionRemoteController);
    menuTools->addAction(actionOptions);
    menuHelp->addAction(actionHelp);
    menuHelp->addAction(actionFeedback);
    menuHelp->addAction(actionAbout);
    menuHelp->addSeparator();
    menuHelp->addAction(actionCheck_for_Updates);

    statusBar()->setObjectName("statusBar");
    RetranslateUi();
    QMetaObject::connectSlotsByName(this);
}

void XQFTraceGui_Qt::RetranslateUi()
{
    setWindowTitle("XQFTraceGUI");
    actionOpen->setText("Open");
    actionQuitExit->setText("Exit");
    actionSaveCurrentFrame->setText("Current Frame (.txt)");
    actionSaveAll->setText("All Frames (.txt)");
    actionSaveShaders->setText("Shaders (.txt)");
    actionSaveFramesStatistics->setText("Frame Statistics (.csv)");
    actionSaveCallsStatistics->setText("Call Statistics (.csv)");
    actionTrace_Manager->setText("Trace Manager");
    actionRemoteController->setText("Remote Controller...");
    actionOptions->setText("Preferences...");
    actionHelp->setText("XQFTrace Help");
    actionFeedback->setText("Feedback...");
    actionAbout->setText("About...");
    actionCheck_for_Updates->setText("Check for Updates");
    action->setText("....");
    actionQuit->setText("Quit");
    actionEnumerate_Frames_Call_Comp->setText("Enumerate Frames/Call (Comp)");
    actionInclude_Data->setText("Include Data");
    menuFile->setTitle("File");
    menuOpen_Recently->setTitle("Open Recent");
    menuSave->setTitle("Export");
    menuTools->setTitle("Tools");
    menuView->setTitle("View");
    menuHelp->setTitle("Help");
}

QDockWidget* XQFTraceGui_Qt::AddDock(QDockWidget* dock, const char* menuText, Qt::DockWidgetArea area)
{
    QAction* toggle = dock->toggleViewAction();
    toggle->setText(menuText);
    menuView->addAction(toggle);
    addDockWidget(area, dock);
    return dock;
}

void XQFTraceGui_Qt::BuildStatisticsDock()
{
    m_frameSummary = new CFrameSummaryFrame();
    m_callSummary = new CCallSummaryFrame();
    // Made without a parent, as the states dock: the window docks it where the placeholder stood.
    auto* statistics = new CStatisticViewerWidget(nullptr, {}, m_frameSummary, m_callSummary);
    m_statisticsDock = AddDock(statistics, "Show Statistics", Qt::LeftDockWidgetArea);

    CTraceController* controller = CTraceController::Instance();
    connect(controller, &CTraceController::SIGTraceUpdate, m_frameSummary,
            qOverload<bool>(&CFrameSummaryFrame::SLTUpdatedTrace));
    connect(controller, &CTraceController::SIGTraceUpdate, m_callSummary,
            qOverload<bool>(&CCallSummaryFrame::SLTUpdatedTrace));
    connect(controller, &CTraceController::SIGTraceUpdate, statistics,
            qOverload<bool>(&CStatisticViewerWidget::SLTUpdatedTrace));
    connect(controller, &CTraceController::SIGFrameUpdate, m_frameSummary, &CFrameSummaryFrame::SLTUpdatedCurrFrame);
    connect(controller, &CTraceController::SIGFrameUpdate, m_callSummary, &CCallSummaryFrame::SLTUpdatedCurrFrame);
}

void XQFTraceGui_Qt::BuildOutputDock()
{
    m_outputViewer = new COutputViewerWidget();
    m_searchResults = new CSearchViewerWidget();
    m_outputDock = new COutputWidget(this, {}, m_searchResults, m_outputViewer);
    AddDock(m_outputDock, "Show Output", Qt::LeftDockWidgetArea);

    CTraceController* controller = CTraceController::Instance();
    connect(controller, &CTraceController::SIGTraceUpdate, m_outputDock, qOverload<bool>(&COutputWidget::SLTUpdatedTrace));
    connect(controller, &CTraceController::SIGTraceUpdate, m_outputViewer,
            qOverload<bool>(&COutputViewerWidget::SLTUpdatedTrace));
}

void XQFTraceGui_Qt::BuildImageAnalysisDock()
{
    // Built, the dock sends the standard streams to output.log.
    m_imageAnalysisDock = new CImageAnalysisWidget(this);
    AddDock(m_imageAnalysisDock, "Show Image Analysis", Qt::RightDockWidgetArea);
    connect(m_imageAnalysisDock, &CImageAnalysisWidget::SIGImaAnaOutput, m_outputViewer,
            &COutputViewerWidget::SLTUpdateOutput);
}

void XQFTraceGui_Qt::BuildStatesDock()
{
    m_renderState = new CRenderStateWidget();
    m_textureList = new CTextureListWidget();
    m_shaderList = new CShaderListWidget();
    auto* states = new CStatesWidget(this, {}, m_renderState, m_textureList, m_shaderList);
    m_statesDock = AddDock(states, "Show States", Qt::LeftDockWidgetArea);

    CTraceController* controller = CTraceController::Instance();
    connect(controller, &CTraceController::SIGTraceUpdate, states, qOverload<bool>(&CStatesWidget::SLTUpdatedTrace));
    connect(controller, &CTraceController::SIGFrameUpdate, states, &CStatesWidget::SLTUpdatedCurrFrame);
    connect(static_cast<CViewCallsFrame*>(m_callList), &CViewCallsFrame::SIGRequestUpdateRenderState, m_renderState,
            &CRenderStateWidget::SLTUpdateRenderStateCall);
}

void XQFTraceGui_Qt::BuildDataViewerDock()
{
    m_textureViewer = new CTextureViewerWidget();
    m_frameBufferViewer = new CFrameBufferWidget();
    m_shaderViewer = new CShaderViewerWidget();
    auto* viewers = new CDataViewerWidget(nullptr, {}, m_textureViewer, m_frameBufferViewer, m_shaderViewer);
    m_dataViewerDock = AddDock(viewers, "Show Data Viewer", Qt::RightDockWidgetArea);

    CTraceController* controller = CTraceController::Instance();
    auto* callList = static_cast<CViewCallsFrame*>(m_callList);
    connect(controller, &CTraceController::SIGTraceUpdate, viewers, qOverload<bool>(&CDataViewerWidget::SLTUpdatedTrace));
    connect(controller, &CTraceController::SIGFrameUpdate, viewers, &CDataViewerWidget::SLTUpdatedCurrFrame);
    connect(m_textureList, &CTextureListWidget::TextureSelected, m_textureViewer,
            qOverload<int, QPixmap*>(&CTextureViewerWidget::UpdateView));
    connect(m_shaderList, &CShaderListWidget::ShaderSelected, m_shaderViewer, &CShaderViewerWidget::UpdateView);
    connect(callList, &CViewCallsFrame::SIGRequestShowImage, m_textureViewer,
            qOverload<int>(&CTextureViewerWidget::UpdateView));
    connect(callList, &CViewCallsFrame::SIGViewShaderRequest, m_shaderViewer, &CShaderViewerWidget::UpdateView);
}

void XQFTraceGui_Qt::SLTOptionDialogUpdated()
{
    m_shaderViewer->SLTUpdateCompiler();
}

void XQFTraceGui_Qt::MakeConnections()
{
    CTraceController* controller = CTraceController::Instance();
    connect(m_frameSlider, &QScrollBar::valueChanged, controller, &CTraceController::SLTRequestUpdateFrame);
    connect(controller, &CTraceController::SIGTraceUpdate, this, qOverload<bool>(&XQFTraceGui_Qt::SLTUpdatedTrace));
    connect(controller, &CTraceController::SIGFrameUpdate, this, &XQFTraceGui_Qt::SLTUpdatedCurrFrame);
    connect(controller, &CTraceController::SIGUpdateTemporalStatusBar, this,
            &XQFTraceGui_Qt::SLTUpdateTemporalStatusBar);
    connect(controller, &CTraceController::SIGClearTemporalStatusBar, this, [this](const QString& text) {
        if (statusBar()->currentMessage() == text)
            statusBar()->clearMessage();
    });

    // The image analysis renders while the signals are served: connected last, so that the other views
    // show the new frame first.
    auto* callList = static_cast<CViewCallsFrame*>(m_callList);
    CImageAnalysisWidget* analysis = m_imageAnalysisDock;
    connect(controller, &CTraceController::SIGTraceUpdate, analysis, qOverload<bool>(&CImageAnalysisWidget::SLTUpdatedTrace));
    connect(controller, &CTraceController::SIGFrameUpdate, analysis, &CImageAnalysisWidget::SLTUpdatedCurrFrame);
    connect(controller, &CTraceController::SIGRedrawImageAnalsys, analysis, &CImageAnalysisWidget::SLTUpdatedCurrFrame);
    connect(callList, &CViewCallsFrame::SIGRequestImageAnalysRange, analysis,
            &CImageAnalysisWidget::SLTRequestedUpdateRange);
    connect(analysis, &CImageAnalysisWidget::SIGUpdateScrubbers, callList, &CViewCallsFrame::SLTUpdateRangeImageAnalysis);

    connect(actionOpen, &QAction::triggered, controller, qOverload<>(&CTraceController::SLTOpenTrace));
    connect(actionRemoteController, &QAction::triggered, m_networkDialog, &QWidget::show);
    connect(actionQuitExit, &QAction::triggered, qApp, &QApplication::closeAllWindows);
    connect(actionSaveCurrentFrame, &QAction::triggered, controller, &CTraceController::STLSaveFrame);
    connect(actionSaveAll, &QAction::triggered, controller, qOverload<>(&CTraceController::STLSaveFrames));
    connect(actionSaveShaders, &QAction::triggered, controller, &CTraceController::SLTSaveShaders);
    connect(actionSaveFramesStatistics, &QAction::triggered, controller, &CTraceController::STLSaveFrameSummary);
    connect(actionSaveCallsStatistics, &QAction::triggered, controller, &CTraceController::STLSaveCallsSummary);
    connect(actionOptions, &QAction::triggered, m_optionsDialog, &QWidget::show);
    connect(actionHelp, &QAction::triggered, controller, &CTraceController::SLTHelp);
    connect(actionFeedback, &QAction::triggered, controller, &CTraceController::SLTFeedback);
    connect(actionAbout, &QAction::triggered, controller, &CTraceController::SLTAbout);
    connect(actionCheck_for_Updates, &QAction::triggered, controller, &CTraceController::SLTForceCheckForUpdates);
    connect(m_optionsDialog, &QDialog::accepted, this, &XQFTraceGui_Qt::SLTOptionDialogUpdated);
}

void XQFTraceGui_Qt::SLTUpdatedTrace(bool clean)
{
    if (clean) {
        // The window names no trace and no frame until the next one opens (an open that fails
        // leaves none).
        menuSave->setEnabled(false);
        setWindowTitle(TitleFor(QString()));
        m_frameLabel->setText("Frame: ");
        {
            const QSignalBlocker block(m_frameSlider);
            m_frameSlider->setRange(1, 1);
        }
        statusBar()->clearMessage();
        return;
    }
    menuSave->setEnabled(true);
    CTraceController* controller = CTraceController::Instance();
    setWindowTitle(TitleFor(controller->GetFilePath()));
    CTraceData* trace = controller->GetTrace();
    const int current = trace ? trace->GetCurrentFrameNumber() : 0;
    const int count = trace ? trace->GetFrameCount() : 0;
    m_frameLabel->setText(QString("Frame %1 of %2 ").arg(current).arg(count));
    {
        // A new range can clamp the old value; that must not request a frame.
        const QSignalBlocker block(m_frameSlider);
        m_frameSlider->setRange(current, count);
    }
    m_frameSlider->adjustSize();
    m_frameSlider->setMinimumWidth(250);
    statusBar()->showMessage("File opened: " + QFileInfo(controller->GetFilePath()).fileName(), kStatusTimeout);
    statusBar()->update();
}

void XQFTraceGui_Qt::SLTUpdatedCurrFrame()
{
    CTraceData* trace = CTraceController::Instance()->GetTrace();
    const int current = trace ? trace->GetCurrentFrameNumber() : 0;
    const int count = trace ? trace->GetFrameCount() : 0;
    m_frameLabel->setText(QString("Frame %1 of %2 ").arg(current).arg(count));
    const QSignalBlocker block(m_frameSlider);
    m_frameSlider->setValue(current);
}

void XQFTraceGui_Qt::SLTopenRecentFile()
{
    if (auto* a = qobject_cast<QAction*>(sender()))
        CTraceController::Instance()->SLTOpenTrace(a->data().toString());
}

void XQFTraceGui_Qt::SLTUpdateTemporalStatusBar(QString text)
{
    statusBar()->showMessage(text, kStatusTimeout);
    statusBar()->update();
}

void XQFTraceGui_Qt::SLTOpenDraggedFile()
{
    CTraceController::Instance()->SLTOpenTrace(m_draggedFile);
}

void XQFTraceGui_Qt::dragEnterEvent(QDragEnterEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (!urls.isEmpty() && urls.first().toLocalFile().endsWith(".xqft", Qt::CaseSensitive))
        event->acceptProposedAction();
}

void XQFTraceGui_Qt::dropEvent(QDropEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty())
        return;
    const QString file = urls.first().toLocalFile();
    if (file.isEmpty())
        return;
    m_draggedFile = file;
    QTimer::singleShot(100, this, &XQFTraceGui_Qt::SLTOpenDraggedFile);
}

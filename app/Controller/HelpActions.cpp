#include "HelpActions.h"

#include <QList>
#include <QMainWindow>
#include <QString>

#include "AboutBoxDialog.h"
#include "AutoUpdater.h"
#include "FeedbackDialog.h"
#include "ManualOpener.h"
#include "SplashImage.h"
#include "XQFTString.h"

CHelpActions::CHelpActions() = default;
CHelpActions::~CHelpActions() = default;

void CHelpActions::SetContext(QMainWindow* window, CXQFPreferences* store)
{
    m_updater.reset();
    m_window = window;
    m_store = store;
}

void CHelpActions::StartUpdater()
{
    m_updater.reset();
    if (!m_store)
        return;
    m_updater = std::make_unique<CAutoUpdater>("XQFTrace", QList<int>{CAutoUpdater::kViewerTool}, m_store, m_window);
    m_updater->CheckForUpdates(false);
}

void CHelpActions::OpenManual()
{
    if (!m_store)
        return;
    CManualOpener opener(m_window, m_store, CXQFTString("XQFTrace.User Manual.pdf"),
                         CXQFTString("../../Documentation/"), CXQFTString("Document"));
    opener.Open();
}

void CHelpActions::ShowFeedback()
{
    CFeedbackDialog dialog(QString::asprintf("XQFTraceGUI %d.%d", 3, 0), QString(), m_window);
    dialog.exec();
}

void CHelpActions::ShowAbout(bool force)
{
    CAboutBoxDialog about("XQFTrace", AboutSplashImage(), m_store, force, QString(), m_window);
    about.ShowIfEnabled();
}

void CHelpActions::ForceCheckForUpdates()
{
    if (m_updater)
        m_updater->OnForceCheckForUpdates();
}
